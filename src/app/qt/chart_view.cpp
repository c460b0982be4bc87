#include "app/qt/chart_view.hpp"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include "app/messages.hpp"
#include "picture/chart_picture.hpp"

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
  ownDialog_.setParent(this);
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

void ChartView::saveChart() {
  const std::string path = dialog_->ask(app::DialogKind::Save, "PNG Images (*.png)|*.png", "chart.png");
  if (path.empty()) return;
  if (const output::Saved s = picture::saveChartPng(surface_, path); !s.ok())
    messages_->show(app::messages::cannotWrite("chart image", path, s.reason), app::kErrorTitle);
}

}  // namespace varnel::qt
