#include "qt/chart_view.hpp"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include "app/chart_files.hpp"
#include "app/messages.hpp"
#include "picture/chart_picture.hpp"
#include "picture/report_pages.hpp"

namespace varnel::qt {

namespace {
constexpr QRgb kBorder = 0xFF808080;
}

ChartView::ChartView(const chart::Surface& surface, QWidget* parent)
    : QWidget(parent),
      surface_(surface),
      shown_(surface.revision() + 1),
      copy_(new QAction(QStringLiteral("Copy Chart"), this)),
      save_(new QAction(QStringLiteral("Save Chart as PNG..."), this)),
      saveReport_(new QAction(QStringLiteral("Save Report as PDF\u2026"), this)),
      printReport_(new QAction(QStringLiteral("Print Report\u2026"), this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  ownBox_.setParent(this);
  ownDialog_.setParent(this);
  ownReportDialog_.setParent(this);
  copy_->setObjectName(QStringLiteral("copyChart"));
  save_->setObjectName(QStringLiteral("saveChart"));
  connect(copy_, &QAction::triggered, this, &ChartView::copyChart);
  connect(save_, &QAction::triggered, this, &ChartView::saveChart);
  saveReport_->setObjectName(QStringLiteral("saveReport"));
  printReport_->setObjectName(QStringLiteral("printReport"));
  connect(saveReport_, &QAction::triggered, this, &ChartView::saveReport);
  connect(printReport_, &QAction::triggered, this, qOverload<>(&ChartView::printReport));
  saveReport_->setEnabled(false);
  printReport_->setEnabled(false);
  addAction(copy_);
  addAction(save_);
  addAction(saveReport_);
  addAction(printReport_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ChartView::refresh() {
  if (surface_.revision() != shown_) update();
}

void ChartView::paintEvent(QPaintEvent*) {
  if (surface_.revision() != shown_) {
    image_ = picture::chartImage(surface_);
    shown_ = surface_.revision();
  }
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setPen(QColor::fromRgb(kBorder));
  p.drawRect(0, 0, width() - 1, height() - 1);
  p.drawImage(1, 1, image_);
}

void ChartView::copyChart() { QGuiApplication::clipboard()->setImage(picture::chartImage(surface_)); }

void ChartView::saveChart() { app::saveChartAs(surface_, *dialog_, *messages_); }

void ChartView::setReportSource(std::function<output::Report()> report) {
  report_ = std::move(report);
  saveReport_->setEnabled(bool(report_));
  printReport_->setEnabled(bool(report_));
}

void ChartView::saveReport() {
  if (report_) app::saveReportAs(surface_, report_, *reportDialog_, *messages_);
}

void ChartView::printReport() {
  if (!report_) return;
  QPrinter printer;
  if (askPrinter(printer, this)) printReport(printer);
}

void ChartView::printReport(QPrinter& printer) {
  if (!report_) return;
  // The report keeps its own margins; the PDF's resolution gives the same
  // whole chart scale wherever the printer accepts it.
  printer.setFullPage(true);
  printer.setResolution(picture::kReportDpi);
  QPainter painter;
  if (!beginPrinting(painter, printer, *messages_)) return;
  const picture::ReportLayout layout =
      picture::reportLayout(QRect(0, 0, printer.width(), printer.height()), printer.resolution());
  picture::paintReport(painter, layout, report_(), picture::chartImage(surface_));
}

}  // namespace varnel::qt
