#include "app/chart_files.hpp"

#include "app/messages.hpp"
#include "picture/chart_picture.hpp"
#include "picture/report_pages.hpp"

namespace varnel::app {
namespace {

void showFailure(const char* what, const std::string& path, const output::Saved& s, MessageBox& messages) {
  if (!s.ok()) messages.show(messages::cannotWrite(what, path, s.reason), kErrorTitle);
}

}  // namespace

void saveChartAs(const chart::Surface& chart, FileDialog& dialog, MessageBox& messages) {
  const std::string path = dialog.ask(DialogKind::Save, "PNG Images (*.png)|*.png", "chart.png");
  if (path.empty()) return;
  showFailure("chart image", path, picture::saveChartPng(chart, path), messages);
}

void saveReportAs(const chart::Surface& chart, const std::function<output::Report()>& report, FileDialog& dialog,
                  MessageBox& messages) {
  const std::string path = dialog.ask(DialogKind::Save, "PDF Files (*.pdf)|*.pdf", "Report.pdf");
  if (path.empty()) return;
  showFailure("report", path, picture::saveReportPdf(report(), chart, path), messages);
}

}  // namespace varnel::app
