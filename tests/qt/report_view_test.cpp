// The chart's report actions: saved through the view's dialog, printed
// through a printer, failures told in the usual words.
#include <QAction>
#include <QPrinter>
#include <cstdlib>

#include "app/qt/chart_view.hpp"
#include "app/qt/main_window.hpp"
#include "app/qt/program.hpp"
#include "app/report_content.hpp"
#include "qt/qt_support.hpp"

namespace varnel::test {
namespace {

std::string pdfText(const ScratchDir& dir, const std::string& pdf) {
  const std::string out = dir.file("text.txt");
  EXPECT_EQ(std::system(("pdftotext -raw '" + pdf + "' '" + out + "'").c_str()), 0);
  return readAll(out);
}

TEST(ReportView, SavesAndPrintsWhatTheWindowShows) {
  FormFixture f;
  qt::MainWindow window{f.form};
  qt::ChartView* chart = window.chart();
  EXPECT_FALSE(chart->saveReportAction()->isEnabled());  // nothing to report from yet
  chart->setMessageBox(&f.messages);
  chart->setFileDialog(&f.dialog);
  chart->setReportSource([&f] { return app::reportOf(f.form, "2031-05-06 07:08"); });
  const std::string one = f.loadText(1, "one.txt", smallScan(300, 0));
  f.loadText(2, "two.txt", smallScan(350, 0.5));
  f.form.CalcCorrelation_Click();
  const std::string correlation = f.form.Correlation[1].Text;

  const std::string saved = f.dir.file("r.pdf");
  f.dialog.answers.push_back(saved);
  chart->saveReportAction()->trigger();
  ASSERT_EQ(f.dialog.calls.size(), 3u);
  EXPECT_EQ(f.dialog.calls[2].filter + " " + f.dialog.calls[2].defaultName, "PDF Files (*.pdf)|*.pdf Report.pdf");
  EXPECT_EQ(f.dialog.calls[2].kind, app::DialogKind::Save);
  EXPECT_TRUE(f.messages.shown.empty());
  const std::string printed = f.dir.file("printed.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(printed));
  chart->printReport(printer);
  for (const std::string& file : {saved, printed}) {
    const std::string text = pdfText(f.dir, file);
    for (const std::string& w : {one, correlation, std::string("2031-05-06 07:08")})
      EXPECT_NE(text.find(w), std::string::npos) << file << " lacks " << w;
  }

  const std::string blocker = f.dir.write("notafolder", "keep"), target = blocker + "/report.pdf";
  f.dialog.answers.push_back(target);
  chart->saveReport();
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].title, "Error");
  const std::string prefix = "Cannot write the report \"" + target + "\": ";
  EXPECT_EQ(f.messages.shown[0].text.rfind(prefix, 0), 0u) << f.messages.shown[0].text;
  EXPECT_GT(f.messages.shown[0].text.size(), prefix.size() + 3);
  EXPECT_EQ(readAll(blocker), "keep");
}

TEST(ReportView, ProgramReportsItsForm) {
  qt::Program program;
  EXPECT_TRUE(program.window.chart()->saveReportAction()->isEnabled());
  EXPECT_TRUE(program.window.chart()->printReportAction()->isEnabled());
}

}  // namespace
}  // namespace varnel::test
