#include <string>

#include "app/form.hpp"
#include "model/number_text.hpp"
#include "model/palette.hpp"

namespace varnel::app {

using model::formatInt;
using model::formatNumber;

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
  const float W = static_cast<float>(Picture1.ScaleWidth());
  const float H = static_cast<float>(Picture1.ScaleHeight());
  Picture1.setDrawWidth(1);
  Picture1.setForeColor(model::kYellow);
  const float A = W / 2;
  Picture1.line(A / 2, 0, A / 2, H);
  Picture1.line(A + A / 2, 0, A + A / 2, H);
  Picture1.line(A, 0, A, H);
  Picture1.line(0, H - static_cast<float>(VScroll2.Value()), W, H - static_cast<float>(VScroll2.Value()));
  Picture1.line(0, H - static_cast<float>(VScroll1.Value()), W, H - static_cast<float>(VScroll1.Value()));

  // The positions carry over from File 1's search to File 2's.
  double max = -80, min = 80;
  std::string maxAt, minAt;
  auto search = [&](const model::Table& slopes) {
    const int L = VScroll1.Value();
    const int U = VScroll2.Value();
    for (int i = L + 1; i <= U - 1; ++i) {
      const double s = slopes[static_cast<std::size_t>(i)][k];
      if (s > max) {
        max = s;
        maxAt = formatInt(i);
      }
      if (s < min) {
        min = s;
        minAt = formatInt(i);
      }
    }
  };
  if (pointCount(1) > 0) {
    search(Slopes1);
    MaxTemp[1].Text = formatNumber(max);
    Max_at[0].Text = maxAt;
    MinTemp[1].Text = formatNumber(min);
    Max_at[2].Text = minAt;
  }
  max = -80;
  min = 80;
  if (pointCount(2) > 0) {
    search(Slopes2);
    MaxTemp[2].Text = formatNumber(max);
    Max_at[1].Text = maxAt;
    MinTemp[2].Text = formatNumber(min);
    Max_at[3].Text = minAt;
    Label3.Caption = ChannelNames[6];
  }
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
