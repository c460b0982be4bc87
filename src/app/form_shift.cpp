#include <string>

#include "app/form.hpp"
#include "model/number_text.hpp"

namespace varnel::app {

using model::formatInt;

void Form::VScroll3_Change() { ShiftNum.Text = formatInt(VScroll3.Value()); }

void Form::Shift1_Click() { shiftFile(1); }

void Form::Shift2_Click() { shiftFile(2); }

// Moves the file's readings n points up, fills the freed points with 0,
// derives Delta-T again, and redraws. A shift that would push readings past
// the last point or the lower cut-off past its bar's top end is refused
// before anything changes.
void Form::shiftFile(int file) {
  const int n = VScroll3.Value();
  const int P = pointCount(file);
  if (P + n > model::kLastPoint) {
    messages_.show(messages::shiftPastLastPoint(file, n, P, model::kLastPoint), kErrorTitle);
    return;
  }
  if (VScroll1.Value() + n > VScroll1.Max) {
    messages_.show(messages::shiftPastCutoff(file, n, VScroll1.Value(), VScroll1.Max), kErrorTitle);
    return;
  }
  model::Table& scan = file == 1 ? Scan1 : Scan2;
  for (int i = 0; i <= n; ++i) {
    ShiftBuf[static_cast<std::size_t>(i)][model::kLeft] = 0.0;
    ShiftBuf[static_cast<std::size_t>(i)][model::kRight] = 0.0;
  }
  for (int i = 0; i <= P; ++i) {  // P is -1 for an empty file: nothing moves
    ShiftBuf[static_cast<std::size_t>(i + n)][model::kLeft] = scan[static_cast<std::size_t>(i)][model::kLeft];
    ShiftBuf[static_cast<std::size_t>(i + n)][model::kRight] = scan[static_cast<std::size_t>(i)][model::kRight];
  }
  Pntnum[file].Text = formatInt(P + n);
  const int last = pointCount(file);
  for (int i = 0; i <= last; ++i) {
    auto& p = scan[static_cast<std::size_t>(i)];
    p[model::kLeft] = ShiftBuf[static_cast<std::size_t>(i)][model::kLeft];
    p[model::kRight] = ShiftBuf[static_cast<std::size_t>(i)][model::kRight];
    p[model::kDelta] = p[model::kLeft] - p[model::kRight];
  }
  ShiftCount = static_cast<std::int16_t>(file == 1 ? ShiftCount + n : ShiftCount - n);
  showShiftCount();
  VScroll1.setValue(VScroll1.Value() + n);
  cutoffLine(VScroll1.Value());
  DrawScans(LineSel);
}

}  // namespace varnel::app
