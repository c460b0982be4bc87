#include "qt/value_bar.hpp"

#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>

namespace varnel::qt {

ValueBar::ValueBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  // A drag reports once, when the thumb is let go: every change runs a
  // handler that draws on the chart, and the intermediate positions would
  // all stay drawn there.
  setTracking(false);
  connect(this, &QScrollBar::valueChanged, this, [this] { emit moved(barValue()); });
}

void ValueBar::display(const app::ScrollBar& bar) {
  const QSignalBlocker quiet(this);
  setRange(bar.Min, bar.Max);
  setSingleStep(bar.SmallChange);
  setPageStep(bar.LargeChange);
  setValue(bar.Min + bar.Max - bar.Value());
}

QRect ValueBar::thumbRect() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

}  // namespace varnel::qt
