#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "app/dialogs.hpp"
#include "qt/dialogs.hpp"
#include "chart/surface.hpp"
#include "output/report.hpp"

class QAction;
class QPrinter;

namespace varnel::qt {

// Shows the form's chart surface pixel for pixel inside a 1-pixel border.
// The surface is the picture: nothing is scaled, smoothed or drawn here.
// Its context menu copies the picture or saves it as a PNG file, and saves
// or prints the one-page comparison report; none of them touches the form.
class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(const chart::Surface& surface, QWidget* parent = nullptr);

  // Schedules a repaint when the surface has been drawn on since last shown.
  void refresh();

  // Where a failed save is reported; a box of the view's own until set.
  void setMessageBox(app::MessageBox* messages) { messages_ = messages ? messages : &ownBox_; }
  // The dialog that asks where to save; Qt's own until set.
  void setFileDialog(app::FileDialog* dialog) {
    dialog_ = dialog ? dialog : &ownDialog_;
    reportDialog_ = dialog ? dialog : &ownReportDialog_;
  }
  // What the report shows; the report actions stay disabled until set.
  void setReportSource(std::function<output::Report()> report);

  QAction* copyAction() const { return copy_; }
  QAction* saveAction() const { return save_; }
  QAction* saveReportAction() const { return saveReport_; }
  QAction* printReportAction() const { return printReport_; }

  // "Copy Chart": the surface's pixels onto the clipboard as an image.
  void copyChart();
  // "Save Chart as PNG...": asks for a name, then writes the surface's pixels.
  void saveChart();
  // "Save Report as PDF…": asks for a name, then writes the report.
  void saveReport();
  // "Print Report…": the system's print dialog, then the report on its printer.
  void printReport();
  void printReport(QPrinter& printer);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const chart::Surface& surface_;
  QImage image_;
  std::uint64_t shown_;
  QAction* copy_;
  QAction* save_;
  QAction* saveReport_;
  QAction* printReport_;
  std::function<output::Report()> report_;
  QtMessageBox ownBox_;
  app::MessageBox* messages_ = &ownBox_;
  QtFileDialog ownDialog_{QStringLiteral("png")};
  app::FileDialog* dialog_ = &ownDialog_;
  QtFileDialog ownReportDialog_{QStringLiteral("pdf")};
  app::FileDialog* reportDialog_ = &ownReportDialog_;
};

}  // namespace varnel::qt
