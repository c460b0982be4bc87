#include <string>

#include "app/form.hpp"
#include "model/number_text.hpp"
#include "model/palette.hpp"

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
    messages_.show("Cannot shift File " + formatInt(file) + " by " + formatInt(n) +
                       ": its readings would run past point " + formatInt(model::kLastPoint) +
                       " (last point " + formatInt(P) + " + " + formatInt(n) + ").",
                   kErrorTitle);
    return;
  }
  if (VScroll1.Value() + n > VScroll1.Max) {
    messages_.show("Cannot shift File " + formatInt(file) + " by " + formatInt(n) +
                       ": the lower cut-off would rise past " + formatInt(VScroll1.Max) + " (now " +
                       formatInt(VScroll1.Value()) + " + " + formatInt(n) + ").",
                   kErrorTitle);
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

void Form::SlopeChart_Click() {
  const int c = LineSel;
  const auto k = static_cast<std::size_t>(c);
  ComputeSlopes(c, 1);
  drawGrid();
  const float W = static_cast<float>(Picture1.ScaleWidth());
  const float H = static_cast<float>(Picture1.ScaleHeight());

  // Each search starts from -80 and 80; the positions carry over from File
  // 1's search to File 2's.
  chart::Extremes e{-80.0, 80.0, chart::kNoPosition, chart::kNoPosition};
  if (pointCount(1) > 0) {
    chart::searchExtremes(Slopes1, c, VScroll1.Value() + 1, VScroll2.Value() - 1, e);
    showExtremes(1, e);
  }
  e.hi = -80.0;
  e.lo = 80.0;
  if (pointCount(2) > 0) {
    chart::searchExtremes(Slopes2, c, VScroll1.Value() + 1, VScroll2.Value() - 1, e);
    showExtremes(2, e);
    Label3.Caption = ChannelNames[6];
  }
  double max = e.hi, min = e.lo;
  const double shownMax = model::numericValue(MaxTemp[1].Text);
  const double shownMin = model::numericValue(MinTemp[1].Text);
  if (shownMax > max) max = shownMax;
  if (shownMin < min) min = shownMin;

  // With no spread there is no scale: both traces stand at mid-width.
  double scale = 0.0, offset = 0.5 * W;
  if (max - min != 0.0) {
    scale = 0.8 * W / (max - min);
    offset = 0.1 * W - min * scale;
  }
  auto trace = [&](const model::Table& slopes, int colour) {
    Picture1.setForeColor(colour);
    const int L = VScroll1.Value();
    const int U = VScroll2.Value();
    double prev = offset + slopes[static_cast<std::size_t>(L + 1)][k] * scale;
    for (int i = L + 2; i <= U - 1; ++i) {
      const double cur = offset + slopes[static_cast<std::size_t>(i)][k] * scale;
      Picture1.line(static_cast<float>(prev), H - static_cast<float>(i - 1), static_cast<float>(cur),
                    H - static_cast<float>(i));
      prev = cur;
    }
  };
  trace(Slopes1, model::kLightRed);
  trace(Slopes2, model::kLightCyan);
}

}  // namespace varnel::app
