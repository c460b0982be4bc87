#include "app/form.hpp"
#include "chart/scaling.hpp"
#include "model/number_text.hpp"
#include "model/palette.hpp"

namespace varnel::app {

using model::formatInt;
using model::formatNumber;

namespace {
std::string positionText(int at) { return at == chart::kNoPosition ? std::string() : formatInt(at); }
std::int16_t storedPosition(int at) { return static_cast<std::int16_t>(at == chart::kNoPosition ? 0 : at); }
}  // namespace

// A cut-off line across the chart on the row of point v.
void Form::cutoffLine(int v) {
  Picture1.setDrawWidth(1);
  Picture1.setForeColor(model::kYellow);
  Picture1.line(0.0f, rowOf(v), static_cast<float>(Picture1.ScaleWidth()), rowOf(v));
}

// The frame shared by the comparison and the slopes chart: yellow lines at a
// quarter, three quarters and half of the width, then the upper and the lower
// cut-off.
void Form::drawGrid() {
  const float W = static_cast<float>(Picture1.ScaleWidth());
  const float H = static_cast<float>(Picture1.ScaleHeight());
  const float A = W / 2;
  Picture1.setDrawWidth(1);
  Picture1.setForeColor(model::kYellow);
  Picture1.line(A / 2, 0, A / 2, H);
  Picture1.line(A / 2 + A, 0, A / 2 + A, H);
  Picture1.line(A, 0, A, H);
  Picture1.line(0, rowOf(VScroll2.Value()), W, rowOf(VScroll2.Value()));
  Picture1.line(0, rowOf(VScroll1.Value()), W, rowOf(VScroll1.Value()));
}

// Point i - 1 to point i of one channel, from position `from` to `to`.
void Form::traceStep(int i, double from, double to) {
  Picture1.line(static_cast<float>(from), rowOf(i - 1), static_cast<float>(to), rowOf(i));
}

// A file's highest and lowest value and their positions in its boxes.
void Form::showExtremes(int file, const chart::Extremes& e) {
  MaxTemp[file].Text = formatNumber(e.hi);
  Max_at[file - 1].Text = positionText(e.hiAt);
  MinTemp[file].Text = formatNumber(e.lo);
  Max_at[file + 1].Text = positionText(e.loAt);
}

void Form::DrawScans(int ch) {
  drawGrid();
  Picture1.setDrawWidth(2);
  // The positions of the search carry over from File 1 to File 2.
  int hiAt = chart::kNoPosition;
  int loAt = chart::kNoPosition;
  drawFile(1, ch, model::kLightRed, hiAt, loAt);
  drawFile(2, ch, model::kLightCyan, hiAt, loAt);
}

void Form::drawFile(int file, int ch, int colour, int& hiAt, int& loAt) {
  const int n = pointCount(file);
  if (n <= 0) return;
  // Pull the cursors back inside the file's data. A file shorter than the
  // upper bar's usual bottom end of 80 lowers that end to hold its last point.
  if (n < VScroll2.Value()) {
    if (n < VScroll2.Min) VScroll2.Min = n;
    VScroll2.setValue(n);
  }
  if (n < VScroll1.Value()) VScroll1.setValue(n - 1);

  model::Table& scan = file == 1 ? Scan1 : Scan2;
  model::Table& norm = file == 1 ? Norm1 : Norm2;
  const int L = VScroll1.Value();
  const int U = VScroll2.Value();
  chart::Extremes e;
  e.hiAt = hiAt;
  e.loAt = loAt;
  chart::searchExtremes(scan, ch, L, U, e);
  hiAt = e.hiAt;
  loAt = e.loAt;

  showExtremes(file, e);
  auto& maxVal = file == 1 ? MaxVal1 : MaxVal2;
  auto& minVal = file == 1 ? MinVal1 : MinVal2;
  auto& maxAt = file == 1 ? MaxAt1 : MaxAt2;
  auto& minAt = file == 1 ? MinAt1 : MinAt2;
  maxVal[ch] = static_cast<float>(e.hi);
  maxAt[ch] = storedPosition(e.hiAt);
  minVal[ch] = static_cast<float>(e.lo);
  minAt[ch] = storedPosition(e.loAt);

  const chart::Scale s = chart::scaleToWidth(e.hi, e.lo, Picture1.ScaleWidth());
  Picture1.setForeColor(colour);
  Picture1.setDrawWidth(2);
  const auto c = static_cast<std::size_t>(ch);
  norm[static_cast<std::size_t>(L)][c] = s.k * scan[static_cast<std::size_t>(L)][c] + s.b;
  for (int i = L + 1; i <= U; ++i) {
    const auto p = static_cast<std::size_t>(i);
    norm[p][c] = s.k * scan[p][c] + s.b;
    traceStep(i, norm[p - 1][c], norm[p][c]);
  }
}

void Form::LineButton_Click(int Index) {
  LineSel = static_cast<std::int16_t>(Index);
  Label3.Caption = ChannelNames[Index];
  Label13.Caption = DataState[Index];
  for (int i = 0; i < 3; ++i) LineButton[i].Caption = ChannelNames[i];
  LineButton[Index].Caption = ChannelNames[Index + 3];
  DrawScans(Index);
}

void Form::Smoothbutton_Click() { SmoothScans(LineSel, 5); }

void Form::SmoothScans(int channel, int halfWidth) {
  const int lower = VScroll1.Value();
  const int upper = VScroll2.Value();
  chart::smoothInPlace(Scan1, channel, lower, upper, halfWidth);
  chart::smoothInPlace(Scan2, channel, lower, upper, halfWidth);
  DataState[channel] = "Smoothed";
  Label13.Caption = DataState[channel];
  DrawScans(channel);
}

void Form::SlopeChart_Click() {
  const int c = LineSel;
  const auto k = static_cast<std::size_t>(c);
  ComputeSlopes(c, 1);
  drawGrid();
  const int L = VScroll1.Value();
  const int U = VScroll2.Value();

  // Each search starts from -80 and 80; the positions carry over from File
  // 1's search to File 2's.
  chart::Extremes e{-80.0, 80.0, chart::kNoPosition, chart::kNoPosition};
  if (pointCount(1) > 0) {
    chart::searchExtremes(Slopes1, c, L + 1, U - 1, e);
    showExtremes(1, e);
  }
  e.hi = -80.0;
  e.lo = 80.0;
  if (pointCount(2) > 0) {
    chart::searchExtremes(Slopes2, c, L + 1, U - 1, e);
    showExtremes(2, e);
    Label3.Caption = ChannelNames[6];
  }
  double max = e.hi, min = e.lo;
  const double shownMax = model::numericValue(MaxTemp[1].Text);
  const double shownMin = model::numericValue(MinTemp[1].Text);
  if (shownMax > max) max = shownMax;
  if (shownMin < min) min = shownMin;

  const chart::Scale s = chart::scaleToWidth(max, min, Picture1.ScaleWidth());
  const auto trace = [&](const model::Table& slopes, int colour) {
    Picture1.setForeColor(colour);
    double prev = s.b + slopes[static_cast<std::size_t>(L + 1)][k] * s.k;
    for (int i = L + 2; i <= U - 1; ++i) {
      const double cur = s.b + slopes[static_cast<std::size_t>(i)][k] * s.k;
      traceStep(i, prev, cur);
      prev = cur;
    }
  };
  trace(Slopes1, model::kLightRed);
  trace(Slopes2, model::kLightCyan);
}

}  // namespace varnel::app
