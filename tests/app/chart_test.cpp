// The comparison chart, the cut-off cursors, the channel buttons and the
// smoothing, driven through the form and checked on texts, tables and pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Readings = std::vector<std::pair<double, double>>;

// Readings in file order; reading r lands on point n - r.
Readings byPoint(int count, const std::function<std::pair<double, double>(int point)>& f) {
  Readings r;
  for (int i = 0; i < count; ++i) r.push_back(f(count - 1 - i));
  return r;
}

double at(const model::Table& t, int point, int ch) {
  return t[static_cast<std::size_t>(point)][static_cast<std::size_t>(ch)];
}

int countColour(const app::Form& f, int palette) {
  int n = 0;
  for (int y = 0; y < f.Picture1.ScaleHeight(); ++y) n += f.Picture1.countInRow(y, rgb(palette));
  return n;
}

// Rows (top first) that hold at least one pixel of the colour.
std::vector<int> rowsWith(const app::Form& f, int palette) {
  std::vector<int> rows;
  for (int y = 0; y < f.Picture1.ScaleHeight(); ++y)
    if (f.Picture1.countInRow(y, rgb(palette)) > 0) rows.push_back(y);
  return rows;
}

// Whether the curve pixel of point i (x rounded from the normalised value)
// carries the colour; the 2-pixel pen covers the column left of it too.
bool curveAt(const app::Form& f, double x, int point, int palette) {
  const int px = static_cast<int>(std::floor(x + 0.5));
  const int y = f.Picture1.ScaleHeight() - point;
  return f.Picture1.pixel(px, y) == rgb(palette) || f.Picture1.pixel(px - 1, y) == rgb(palette);
}

constexpr double kW = 287.0;

TEST(ComparisonChart, BeforeAnyLoadOnlyGridAndCutoffLines) {
  FormFixture fx;
  app::Form& f = fx.form;
  f.LineButton_Click(0);
  const int W = f.Picture1.ScaleWidth();
  EXPECT_EQ(f.Picture1.countInRow(0, rgb(14)), W);  // upper cut-off at 500
  for (int y = 1; y < f.Picture1.ScaleHeight(); ++y)
    ASSERT_EQ(f.Picture1.countInRow(y, rgb(14)), 3) << "row " << y;  // the three grid lines
  EXPECT_EQ(countColour(f, 14) + countColour(f, 0), W * f.Picture1.ScaleHeight());
  for (int col : {72, 144, 215}) EXPECT_EQ(f.Picture1.pixel(col, 250), rgb(14)) << col;
  EXPECT_EQ(f.MaxTemp[1].Text, "Degrees C");
  EXPECT_EQ(f.Max_at[0].Text, "");
}

TEST(ComparisonChart, ShortFilePullsTheUpperCursorDown) {
  FormFixture fx;
  app::Form& f = fx.form;
  fx.loadText(1, "300.txt", scanText(byPoint(300, [](int p) { return std::pair{30.0 + p * 0.02, 30.0}; })));
  f.LineButton_Click(1);
  EXPECT_EQ(f.VScroll2.Value(), 299);
  EXPECT_EQ(f.UpperCutoff.Text, "299");
  EXPECT_EQ(f.VScroll1.Value(), 0);
  const std::vector<int> red = rowsWith(f, 12);
  ASSERT_FALSE(red.empty());
  EXPECT_GE(red.front(), 500 - 299 - 1);  // the first reading, at height H - 299
  EXPECT_LE(red.front(), 500 - 299);
  EXPECT_EQ(red.back(), 499);  // point 0 at the bottom edge
  // Curves are 2 pixels wide although the cursor handler (width 1) ran mid-drawing.
  for (int y = 500 - 298; y <= 498; ++y) ASSERT_GE(f.Picture1.countInRow(y, rgb(12)), 2) << "row " << y;
  // The rising ramp runs from 10 % of the width at the bottom to 90 % at the top.
  EXPECT_TRUE(curveAt(f, 0.9 * kW, 299, 12));
  EXPECT_TRUE(curveAt(f, 0.1 * kW + 0.8 * kW / 299, 1, 12));
}

TEST(ComparisonChart, LowerCursorPulledBelowAShortSecondFile) {
  FormFixture fx;
  app::Form& f = fx.form;
  fx.loadText(1, "long.txt", scanText(byPoint(501, [](int p) { return std::pair{36.0 + (p % 9) * 0.1, 35.0}; })));
  fx.loadText(2, "100.txt", scanText(byPoint(100, [](int p) { return std::pair{36.0 + (p % 5) * 0.1, 35.0}; })));
  EXPECT_EQ(f.VScroll2.Value(), 99);
  f.VScroll1.setValue(150);
  f.LineButton_Click(1);
  EXPECT_EQ(f.VScroll1.Value(), 98);
  EXPECT_EQ(f.LowerCutoff.Text, "98");
  EXPECT_EQ(f.VScroll2.Value(), 99);
}

TEST(ComparisonChart, ExtremesPositionsAndNormalisedValues) {
  FormFixture fx;
  app::Form& f = fx.form;
  const double left[4] = {1.5, 2.5, 2.5, 0.5};
  fx.loadText(1, "four.txt", scanText(byPoint(4, [&](int p) { return std::pair{left[p], 3.0}; })));
  f.LineButton_Click(1);
  EXPECT_EQ(f.VScroll2.Value(), 3);
  EXPECT_EQ(f.MaxTemp[1].Text, "2.5");
  EXPECT_EQ(f.Max_at[0].Text, "1");
  EXPECT_EQ(f.MinTemp[1].Text, "0.5");
  EXPECT_EQ(f.Max_at[2].Text, "3");
  EXPECT_EQ(f.MaxVal1[1], 2.5f);
  EXPECT_EQ(f.MaxAt1[1], 1);
  EXPECT_EQ(f.MinVal1[1], 0.5f);
  EXPECT_EQ(f.MinAt1[1], 3);
  EXPECT_DOUBLE_EQ(at(f.Norm1, 1, 1), 0.9 * kW);
  EXPECT_DOUBLE_EQ(at(f.Norm1, 3, 1), 0.1 * kW);
  EXPECT_DOUBLE_EQ(at(f.Norm1, 0, 1), 0.5 * kW);
  EXPECT_EQ(at(f.Norm1, 4, 1), 0.0);  // outside the range: untouched
  EXPECT_EQ(f.MaxTemp[2].Text, "DegreesC");  // File 2 not loaded, not drawn
}

TEST(ComparisonChart, AllNegativeDeltaTKeepsZeroAndAnEmptyPosition) {
  FormFixture fx;
  app::Form& f = fx.form;
  fx.loadText(1, "neg.txt", scanText(byPoint(200, [](int p) { return std::pair{35.0, 35.5 + p * 0.01}; })));
  f.LineButton_Click(0);
  EXPECT_EQ(f.MaxTemp[1].Text, "0");
  EXPECT_EQ(f.Max_at[0].Text, "");
  EXPECT_EQ(f.MaxVal1[0], 0.0f);
  EXPECT_EQ(f.MaxAt1[0], 0);
  EXPECT_EQ(f.Max_at[2].Text, "199");
  // Scaled with hi = 0: the lowest value at 10 %, 0 would sit at 90 %.
  const double lo = at(f.Scan1, 199, 0);
  EXPECT_DOUBLE_EQ(at(f.Norm1, 199, 0), 0.1 * kW);
  const double k = 0.8 * kW / (0.0 - lo);
  EXPECT_NEAR(at(f.Norm1, 0, 0), k * at(f.Scan1, 0, 0) + (0.1 * kW - k * lo), 1e-9);
  EXPECT_LT(at(f.Norm1, 0, 0), 0.9 * kW);
}

TEST(ComparisonChart, SecondFileShowsThePositionsTheFirstLeft) {
  FormFixture fx;
  app::Form& f = fx.form;
  // File 1: Delta-T peaks at point 40; File 2: Delta-T never above 0.
  fx.loadText(1, "one.txt", scanText(byPoint(100, [](int p) { return std::pair{p == 40 ? 37.0 : 35.2, 35.0}; })));
  fx.loadText(2, "two.txt", scanText(byPoint(100, [](int p) { return std::pair{34.0, 34.5 + p * 0.001}; })));
  f.LineButton_Click(0);
  EXPECT_EQ(f.Max_at[0].Text, "40");
  EXPECT_EQ(f.MaxTemp[2].Text, "0");
  EXPECT_EQ(f.Max_at[1].Text, "40");
  EXPECT_EQ(f.MaxAt2[0], 40);
}

TEST(ComparisonChart, FlatRangeDrawsDownTheMiddle) {
  FormFixture fx;
  app::Form& f = fx.form;
  fx.loadText(1, "flat.txt", scanText(byPoint(501, [](int) { return std::pair{36.6, 36.6}; })));
  f.LineButton_Click(1);
  EXPECT_EQ(f.MaxTemp[1].Text, "36.6");
  EXPECT_EQ(f.MinTemp[1].Text, "36.6");
  EXPECT_EQ(f.Max_at[0].Text, "0");
  EXPECT_EQ(f.Max_at[2].Text, "0");
  for (int i = 0; i <= 500; ++i) ASSERT_EQ(at(f.Norm1, i, 1), 0.5 * kW) << i;
  f.ClearButton_Click();
  f.LineButton_Click(0);  // Delta-T 0 everywhere: hi and lo both 0
  EXPECT_EQ(f.MaxTemp[1].Text, "0");
  EXPECT_EQ(f.MinTemp[1].Text, "0");
  for (int i = 0; i <= 500; ++i) ASSERT_EQ(at(f.Norm1, i, 0), 0.5 * kW) << i;
  EXPECT_TRUE(curveAt(f, 0.5 * kW, 250, 12));
  EXPECT_GT(countColour(f, 12), 0);
}

TEST(ComparisonChart, ChannelsDrawnWithoutClearingStayTogether) {
  FormFixture fx;
  app::Form& f = fx.form;
  // Left rises with the point, right twice as fast, so Delta-T falls.
  fx.loadText(1, "mirror.txt", scanText(byPoint(101, [](int p) { return std::pair{30.0 + p * 0.1, 20.0 + p * 0.2}; })));
  f.LineButton_Click(0);
  f.LineButton_Click(1);
  const int point = 25;
  const double xDelta = at(f.Norm1, point, 0), xLeft = at(f.Norm1, point, 1);
  EXPECT_NEAR(xDelta, 0.7 * kW, 1e-9);
  EXPECT_NEAR(xLeft, 0.3 * kW, 1e-9);
  EXPECT_TRUE(curveAt(f, xDelta, point, 12));
  EXPECT_TRUE(curveAt(f, xLeft, point, 12));

  f.ClearButton_Click();
  EXPECT_EQ(countColour(f, 0), f.Picture1.ScaleWidth() * f.Picture1.ScaleHeight());
  EXPECT_EQ(f.MaxTemp[1].Text, model::formatNumber(at(f.Scan1, 100, 1)));  // Clear keeps the texts
  f.LineButton_Click(1);
  EXPECT_TRUE(curveAt(f, xLeft, point, 12));
  EXPECT_FALSE(curveAt(f, xDelta, point, 12));
}

TEST(ComparisonChart, LoadingFile2DrawsEveryChannelAndEndsOnLeftTemp) {
  FormFixture fx;
  app::Form& f = fx.form;
  auto shape = [](int p) { return std::pair{36.0 + std::sin(p * 0.05), 35.0 + std::cos(p * 0.03)}; };
  fx.loadText(1, "one.txt", scanText(byPoint(501, shape)));
  fx.loadText(2, "two.txt", scanText(byPoint(450, [&](int p) { return shape(p + 7); })));
  EXPECT_EQ(f.LineSel, 1);
  EXPECT_EQ(f.Label3.Caption, "Left Temp");
  EXPECT_EQ(f.Label13.Caption, "Raw");
  EXPECT_EQ(f.LineButton[1].Caption, "Left Temp ON");
  EXPECT_EQ(f.LineButton[0].Caption, "Delta-T");
  EXPECT_EQ(f.LineButton[2].Caption, "Right Temp");
  EXPECT_EQ(f.VScroll2.Value(), 449);

  // Every channel's normalised values and extremes are current. Right Temp
  // was drawn first: File 1 over 0..500, before File 2 pulled the cursor down.
  for (int ch = 0; ch < 3; ++ch) {
    for (const auto* t : {&f.Norm1, &f.Norm2}) {
      const int upper = t == &f.Norm1 && ch == 2 ? 500 : 449;
      double lo = 1e9, hi = -1e9;
      for (int i = 0; i <= upper; ++i) {
        lo = std::min(lo, at(*t, i, ch));
        hi = std::max(hi, at(*t, i, ch));
      }
      EXPECT_NEAR(lo, 0.1 * kW, 1e-9) << ch;
      EXPECT_NEAR(hi, 0.9 * kW, 1e-9) << ch;
    }
    EXPECT_NE(f.MaxVal1[ch], 0.0f) << ch;
    EXPECT_NE(f.MinVal2[ch], 0.0f) << ch;
  }
  // The chart shows the Left Temp drawing alone.
  const std::vector<std::uint32_t> shown(f.Picture1.bits(), f.Picture1.bits() + 287 * 500);
  f.ClearButton_Click();
  f.LineButton_Click(1);
  const std::vector<std::uint32_t> leftOnly(f.Picture1.bits(), f.Picture1.bits() + 287 * 500);
  EXPECT_TRUE(shown == leftOnly);
  EXPECT_GT(countColour(f, 11), 0);
  EXPECT_GT(countColour(f, 12), 0);
}

TEST(ComparisonChart, SixtyReadingsLoadDrawAndSmooth) {
  FormFixture fx;
  app::Form& f = fx.form;
  fx.loadText(1, "long.txt", scanText(byPoint(501, [](int p) { return std::pair{36.0 + (p % 10) * 0.1, 35.0}; })));
  fx.loadText(2, "sixty.txt", scanText(byPoint(60, [](int p) { return std::pair{36.0 + (p % 4) * 0.5, 35.0}; })));
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(f.VScroll2.Value(), 59);
  EXPECT_EQ(f.UpperCutoff.Text, "59");
  EXPECT_LE(f.VScroll2.Min, 59);
  const std::vector<int> cyan = rowsWith(f, 11);
  ASSERT_FALSE(cyan.empty());
  EXPECT_GE(cyan.front(), 500 - 59 - 1);

  const double before = at(f.Scan2, 30, 1);
  f.Smoothbutton_Click();
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  EXPECT_NE(at(f.Scan2, 30, 1), before);
  EXPECT_EQ(f.VScroll2.Value(), 59);

  // A load gives the upper bar back its usual range.
  fx.loadText(1, "long.txt", scanText(byPoint(501, [](int p) { return std::pair{36.0 + (p % 10) * 0.1, 35.0}; })));
  EXPECT_EQ(f.VScroll2.Value(), 500);
  EXPECT_EQ(f.VScroll2.Min, 80);
  f.VScroll2.setValue(70);
  EXPECT_EQ(f.VScroll2.Value(), 80);
}

TEST(RangeCursors, EveryStepLeavesItsLine) {
  FormFixture fx;
  app::Form& f = fx.form;
  const int W = f.Picture1.ScaleWidth();
  for (const char* shown : {"1", "2", "3"}) {
    f.VScroll1.setValue(f.VScroll1.Value() + f.VScroll1.SmallChange);
    EXPECT_EQ(f.LowerCutoff.Text, shown);
  }
  EXPECT_EQ(rowsWith(f, 14), (std::vector<int>{497, 498, 499}));
  for (int y : {497, 498, 499}) EXPECT_EQ(f.Picture1.countInRow(y, rgb(14)), W);

  f.VScroll2.setValue(f.VScroll2.Value() - f.VScroll2.LargeChange);
  EXPECT_EQ(f.UpperCutoff.Text, "490");
  EXPECT_EQ(rowsWith(f, 14), (std::vector<int>{10, 497, 498, 499}));
  EXPECT_EQ(f.Picture1.countInRow(10, rgb(14)), W);

  // Setting the value a bar holds runs nothing.
  f.ClearButton_Click();
  f.VScroll1.setValue(3);
  EXPECT_EQ(countColour(f, 14), 0);

  // Crossed cut-offs are accepted as they are.
  f.VScroll1.setValue(200);
  f.VScroll2.setValue(100);
  EXPECT_EQ(f.LowerCutoff.Text, "200");
  EXPECT_EQ(f.UpperCutoff.Text, "100");
  // The bars keep to their ranges.
  f.VScroll1.setValue(300);
  EXPECT_EQ(f.VScroll1.Value(), 225);
  EXPECT_EQ(f.LowerCutoff.Text, "225");
}

TEST(ChannelButtons, CaptionsFollowTheSelection) {
  FormFixture fx;
  app::Form& f = fx.form;
  f.LineButton_Click(2);
  EXPECT_EQ(f.LineSel, 2);
  EXPECT_EQ(f.LineButton[0].Caption, "Delta-T");
  EXPECT_EQ(f.LineButton[1].Caption, "Left Temp");
  EXPECT_EQ(f.LineButton[2].Caption, "Right Temp ON");
  EXPECT_EQ(f.Label3.Caption, "Right Temp");
  EXPECT_EQ(f.Label13.Caption, "Raw");
  f.LineButton_Click(0);
  EXPECT_EQ(f.LineButton[0].Caption, "Delta-T ON");
  EXPECT_EQ(f.LineButton[2].Caption, "Right Temp");  // the design's trailing blank is gone
  EXPECT_EQ(f.Label3.Caption, "Delta-T");
  EXPECT_TRUE(f.click("LineButton", 1));
  EXPECT_EQ(f.LineButton[1].Caption, "Left Temp ON");
  EXPECT_FALSE(f.click("LineButton", 3));
  EXPECT_EQ(f.LineSel, 1);
}

// Both files of 501 readings, Left Temp 11 at point 100 and 0 elsewhere.
struct SpikeFixture : FormFixture {
  SpikeFixture() {
    const auto spike = byPoint(501, [](int p) { return std::pair{p == 100 ? 11.0 : 0.0, p * 0.01}; });
    loadText(1, "one.txt", scanText(spike));
    loadText(2, "two.txt", scanText(spike));
  }
};

TEST(Smoothing, OneClickSmoothsTheSelectedChannelOfBothFiles) {
  SpikeFixture fx;
  app::Form& f = fx.form;
  ASSERT_EQ(f.LineSel, 1);
  const model::Table before = f.Scan1;
  f.Smoothbutton_Click();
  for (const auto* scan : {&f.Scan1, &f.Scan2}) {
    for (int i = 0; i <= 94; ++i) ASSERT_EQ(at(*scan, i, 1), 0.0) << i;
    double power = 1.0;
    for (int i = 95; i <= 100; ++i, power *= 12.0 / 11.0) EXPECT_NEAR(at(*scan, i, 1), power, 1e-12) << i;
    EXPECT_NEAR(at(*scan, 101, 1), 0.5946, 1e-4);
    EXPECT_NEAR(at(*scan, 105, 1), 0.3271, 1e-4);
    EXPECT_NEAR(at(*scan, 106, 1), 0.2164, 1e-4);
    for (int i = 0; i <= 500; ++i) {
      ASSERT_EQ(at(*scan, i, 0), at(before, i, 0)) << i;
      ASSERT_EQ(at(*scan, i, 2), at(before, i, 2)) << i;
    }
  }
  EXPECT_EQ(f.DataState[1], "Smoothed");
  EXPECT_EQ(f.DataState[0], "Raw");
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  // Redrawn from the smoothed values.
  EXPECT_EQ(f.MaxTemp[1].Text, model::formatNumber(at(f.Scan1, 100, 1)));
  EXPECT_EQ(f.Max_at[0].Text, "100");
  EXPECT_DOUBLE_EQ(at(f.Norm1, 100, 1), 0.9 * kW);
}

TEST(Smoothing, WorksBetweenTheCutoffBars) {
  FormFixture fx;
  app::Form& f = fx.form;
  const auto ragged = byPoint(501, [](int p) { return std::pair{35.0 + (p % 7) * 0.3, 30.0 + std::sin(p * 1.7)}; });
  fx.loadText(1, "one.txt", scanText(ragged));
  fx.loadText(2, "two.txt", scanText(ragged));
  f.VScroll1.setValue(100);
  f.VScroll2.setValue(200);
  f.LineButton_Click(2);
  const model::Table before = f.Scan2;
  f.Smoothbutton_Click();
  for (int i = 0; i <= 500; ++i) {
    if (i >= 105 && i <= 195)
      EXPECT_NE(at(f.Scan2, i, 2), at(before, i, 2)) << i;
    else
      EXPECT_EQ(at(f.Scan2, i, 2), at(before, i, 2)) << i;
  }
  EXPECT_TRUE(f.Scan1 == f.Scan2);
}

TEST(Smoothing, TheStateBelongsToTheChannel) {
  SpikeFixture fx;
  app::Form& f = fx.form;
  f.Smoothbutton_Click();
  f.LineButton_Click(0);
  EXPECT_EQ(f.Label13.Caption, "Raw");
  f.LineButton_Click(1);
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  // Crossed cut-offs average nothing, yet mark the channel.
  f.VScroll1.setValue(200);
  f.VScroll2.setValue(150);
  f.LineButton_Click(2);
  const model::Table before = f.Scan1;
  f.Smoothbutton_Click();
  EXPECT_TRUE(f.Scan1 == before);
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  EXPECT_EQ(f.DataState[2], "Smoothed");
  EXPECT_EQ(f.DataState[0], "Raw");
}

}  // namespace
}  // namespace varnel::test
