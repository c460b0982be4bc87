#include "app/qt/chart_view.hpp"

#include <QPainter>

namespace varnel::qt {

namespace {
constexpr QRgb kBorder = 0xFF808080;
}

ChartView::ChartView(const chart::Surface& surface, QWidget* parent)
    : QWidget(parent),
      surface_(surface),
      image_(surface.ScaleWidth(), surface.ScaleHeight(), QImage::Format_RGB32),
      shown_(surface.revision() + 1) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::refresh() {
  if (surface_.revision() != shown_) update();
}

void ChartView::paintEvent(QPaintEvent*) {
  if (surface_.revision() != shown_) {
    // The surface keeps 0x00RRGGBB; the alpha byte is set on the copy so no
    // paint device can take the pixels for transparent ones.
    const int w = surface_.ScaleWidth();
    const std::uint32_t* src = surface_.bits();
    for (int y = 0; y < surface_.ScaleHeight(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
      const std::uint32_t* line = src + static_cast<std::ptrdiff_t>(y) * w;
      for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | line[x];
    }
    shown_ = surface_.revision();
  }
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setPen(QColor::fromRgb(kBorder));
  p.drawRect(0, 0, width() - 1, height() - 1);
  p.drawImage(1, 1, image_);
}

}  // namespace varnel::qt
