#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "chart/surface.hpp"

namespace varnel::qt {

// Shows the form's chart surface pixel for pixel inside a 1-pixel border.
// The surface is the picture: nothing is scaled, smoothed or drawn here.
class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(const chart::Surface& surface, QWidget* parent = nullptr);

  // Schedules a repaint when the surface has been drawn on since last shown.
  void refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const chart::Surface& surface_;
  QImage image_;
  std::uint64_t shown_;
};

}  // namespace varnel::qt
