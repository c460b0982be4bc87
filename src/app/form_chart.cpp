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
  Picture1.line(0, H - static_cast<float>(VScroll2.Value()), W, H - static_cast<float>(VScroll2.Value()));
  Picture1.line(0, H - static_cast<float>(VScroll1.Value()), W, H - static_cast<float>(VScroll1.Value()));
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
  float* maxVal = file == 1 ? MaxVal1 : MaxVal2;
  float* minVal = file == 1 ? MinVal1 : MinVal2;
  std::int16_t* maxAt = file == 1 ? MaxAt1 : MaxAt2;
  std::int16_t* minAt = file == 1 ? MinAt1 : MinAt2;
  maxVal[ch] = static_cast<float>(e.hi);
  maxAt[ch] = storedPosition(e.hiAt);
  minVal[ch] = static_cast<float>(e.lo);
  minAt[ch] = storedPosition(e.loAt);

  const chart::Scale s = chart::scaleToWidth(e.hi, e.lo, Picture1.ScaleWidth());
  Picture1.setForeColor(colour);
  Picture1.setDrawWidth(2);
  const float H = static_cast<float>(Picture1.ScaleHeight());
  const auto c = static_cast<std::size_t>(ch);
  norm[static_cast<std::size_t>(L)][c] = s.k * scan[static_cast<std::size_t>(L)][c] + s.b;
  for (int i = L + 1; i <= U; ++i) {
    const auto p = static_cast<std::size_t>(i);
    norm[p][c] = s.k * scan[p][c] + s.b;
    Picture1.line(static_cast<float>(norm[p - 1][c]), H - static_cast<float>(i - 1),
                  static_cast<float>(norm[p][c]), H - static_cast<float>(i));
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

}  // namespace varnel::app
