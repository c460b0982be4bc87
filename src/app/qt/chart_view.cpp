#include "app/qt/chart_view.hpp"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include "app/form.hpp"
#include "app/qt/chart_image.hpp"

namespace varnel::qt {

namespace {
constexpr QRgb kBorder = 0xFF808080;
}

ChartView::ChartView(const chart::Surface& surface, QWidget* parent)
    : QWidget(parent),
      surface_(surface),
      shown_(surface.revision() + 1),
      copy_(new QAction(QStringLiteral("Copy Chart"), this)),
      save_(new QAction(QStringLiteral("Save Chart as PNG..."), this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  ownBox_.setParent(this);
  copy_->setObjectName(QStringLiteral("copyChart"));
  save_->setObjectName(QStringLiteral("saveChart"));
  connect(copy_, &QAction::triggered, this, &ChartView::copyChart);
  connect(save_, &QAction::triggered, this, &ChartView::saveChart);
  addAction(copy_);
  addAction(save_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ChartView::refresh() {
  if (surface_.revision() != shown_) update();
}

void ChartView::paintEvent(QPaintEvent*) {
  if (surface_.revision() != shown_) {
    image_ = chartImage(surface_);
    shown_ = surface_.revision();
  }
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setPen(QColor::fromRgb(kBorder));
  p.drawRect(0, 0, width() - 1, height() - 1);
  p.drawImage(1, 1, image_);
}

void ChartView::copyChart() { QGuiApplication::clipboard()->setImage(chartImage(surface_)); }

void ChartView::saveChart() {
  QFileDialog dialog(this, QStringLiteral("Save Chart as PNG"));
  // Qt's own dialog, as for the scan and result files.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before replacing a file
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("PNG Images (*.png)"));
  dialog.setDefaultSuffix(QStringLiteral("png"));
  if (!folder_.isEmpty()) dialog.setDirectory(folder_);
  dialog.selectFile(QStringLiteral("chart.png"));
  if (dialog.exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return;
  const QString& path = chosen.first();
  folder_ = QFileInfo(path).absolutePath();
  if (const std::string why = saveChartPng(surface_, path); !why.empty()) messages_->show(why, app::kErrorTitle);
}

}  // namespace varnel::qt
