#pragma once
#include <QRect>
#include <QScrollBar>

#include "app/form.hpp"

namespace varnel::qt {

// A vertical scroll bar whose LARGER value stands at the top end.
// QScrollBar puts its minimum at the top, and inverting only its appearance
// would leave the arrows and the track moving the thumb the wrong way; so
// the widget keeps the mirrored value (Min + Max - v) and every standard
// gesture (up arrow, PageUp, wheel up, dragging up) raises barValue().
class ValueBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit ValueBar(QWidget* parent = nullptr);

  int barValue() const { return minimum() + maximum() - value(); }
  // Shows the form's range, steps and value without emitting anything.
  void display(const app::ScrollBar& bar);
  // Where the thumb is drawn, in the bar's own coordinates.
  QRect thumbRect() const;

 signals:
  // The user moved the bar; v is in the form's terms.
  void moved(int v);
};

}  // namespace varnel::qt
