// The comparison chart, the cut-off cursors, the channel buttons and the
// smoothing, driven through the form and checked on texts, tables and pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

constexpr double kW = 287.0;
using Strs = std::vector<std::string>;

// Readings in file order, given by the point each lands on (reading r on n - r).
std::string byPoint(int count, const std::function<std::pair<double, double>(int point)>& f) {
  std::vector<std::pair<double, double>> r;
  for (int p = count - 1; p >= 0; --p) r.push_back(f(p));
  return scanText(r);
}

std::vector<int> rowsWith(const app::Form& f, int palette) {
  std::vector<int> rows;
  for (int y = 0; y < 500; ++y)
    if (countInRow(f.Picture1, y, rgb(palette)) > 0) rows.push_back(y);
  return rows;
}

int countColour(const app::Form& f, int palette) {
  int n = 0;
  for (int y = 0; y < 500; ++y) n += countInRow(f.Picture1, y, rgb(palette));
  return n;
}

// Whether the curve of a point passes the pixel of its x (the 2-pixel pen
// also covers the column to the left).
bool curveAt(const app::Form& f, double x, int point, int palette) {
  const int px = static_cast<int>(std::floor(x + 0.5));
  return f.Picture1.pixel(px, 500 - point) == rgb(palette) || f.Picture1.pixel(px - 1, 500 - point) == rgb(palette);
}

std::string cursors(const app::Form& f) {
  return std::to_string(f.VScroll1.Value()) + " " + std::to_string(f.VScroll2.Value()) + " " + f.LowerCutoff.Text +
         " " + f.UpperCutoff.Text;
}

struct Chart : ::testing::Test, FormFixture {
  app::Form& f = form;
};

TEST_F(Chart, ShortFilesPullTheCursorsBackAndSixtyLowersTheUpperBar) {
  loadText(1, "300.txt", byPoint(300, [](int p) { return std::pair{30.0 + p * 0.02, 30.0}; }));
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(f), "0 299 0 299");
  // 2 pixels wide, though the cursor handler (width 1) ran mid-drawing.
  for (int y = 202; y <= 498; ++y) ASSERT_GE(countInRow(f.Picture1, y, rgb(12)), 2) << y;
  const std::vector<int> red = rowsWith(f, 12);
  EXPECT_GE(red.front(), 500 - 299 - 1);  // the first reading at height H - 299
  EXPECT_EQ(red.back(), 499);             // the last at the bottom
  EXPECT_TRUE(curveAt(f, 0.9 * kW, 299, 12));

  const std::string full = byPoint(501, [](int p) { return std::pair{36.0 + p % 9 * 0.1, 35.0}; });
  loadText(1, "long.txt", full);
  loadText(2, "100.txt", byPoint(100, [](int p) { return std::pair{36.0 + p % 5 * 0.1, 35.0}; }));
  f.VScroll1.setValue(150);
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(f), "98 99 98 99");

  // Below the bar's least value of 80, until the next load.
  loadText(2, "sixty.txt", byPoint(60, [](int p) { return std::pair{36.0 + p % 4 * 0.5, 35.0}; }));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(cursors(f), "0 59 0 59");
  EXPECT_GE(rowsWith(f, 11).front(), 500 - 59 - 1);
  const double before = f.Scan2[30][1];
  f.Smoothbutton_Click();
  EXPECT_NE(f.Scan2[30][1], before);
  EXPECT_EQ(f.VScroll2.Value(), 59);
  loadText(1, "long.txt", full);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  f.VScroll2.setValue(70);
  EXPECT_EQ(f.VScroll2.Value(), 80);
}

TEST_F(Chart, ExtremesAndNormalisedValues) {
  const double left[4] = {1.5, 2.5, 2.5, 0.5};
  loadText(1, "four.txt", byPoint(4, [&](int p) { return std::pair{left[p], 3.0}; }));
  f.LineButton_Click(1);
  EXPECT_EQ((Strs{f.MaxTemp[1].Text, f.Max_at[0].Text, f.MinTemp[1].Text, f.Max_at[2].Text, f.MaxTemp[2].Text}),
            (Strs{"2.5", "1", "0.5", "3", "DegreesC"}));
  EXPECT_EQ(f.MaxAt1[1], 1);
  EXPECT_EQ(f.MinVal1[1], 0.5f);
  EXPECT_DOUBLE_EQ(f.Norm1[1][1], 0.9 * kW);
  EXPECT_DOUBLE_EQ(f.Norm1[3][1], 0.1 * kW);
  EXPECT_EQ(f.Norm1[4][1], 0.0);  // outside the range

  // Delta-T all negative: highest 0 with an empty position, scaled with hi = 0.
  loadText(1, "neg.txt", byPoint(200, [](int p) { return std::pair{35.0, 35.5 + p * 0.01}; }));
  f.LineButton_Click(0);
  EXPECT_EQ((Strs{f.MaxTemp[1].Text, f.Max_at[0].Text, f.Max_at[2].Text}), (Strs{"0", "", "199"}));
  EXPECT_EQ(f.MaxAt1[0], 0);
  const double k = 0.8 * kW / (0.0 - f.Scan1[199][0]);
  EXPECT_NEAR(f.Norm1[0][0], k * f.Scan1[0][0] + (0.1 * kW - k * f.Scan1[199][0]), 1e-9);

  // File 2 never above 0 shows the position File 1's search left.
  loadText(1, "one.txt", byPoint(100, [](int p) { return std::pair{p == 40 ? 37.0 : 35.2, 35.0}; }));
  loadText(2, "two.txt", byPoint(100, [](int p) { return std::pair{34.0, 34.5 + p * 0.001}; }));
  f.LineButton_Click(0);
  EXPECT_EQ((Strs{f.MaxTemp[2].Text, f.Max_at[1].Text}), (Strs{"0", "40"}));
  EXPECT_EQ(f.MaxAt2[0], 40);
}

TEST_F(Chart, ChannelsDrawnWithoutClearingStayTogetherAndFlatRangesDrawDownTheMiddle) {
  // Left rises with the point, right twice as fast: Delta-T falls.
  loadText(1, "mirror.txt", byPoint(101, [](int p) { return std::pair{30.0 + p * 0.1, 20.0 + p * 0.2}; }));
  f.LineButton_Click(0);
  f.LineButton_Click(1);
  EXPECT_TRUE(curveAt(f, 0.7 * kW, 25, 12));  // Delta-T
  EXPECT_TRUE(curveAt(f, 0.3 * kW, 25, 12));  // Left Temp
  f.ClearButton_Click();
  EXPECT_EQ(countColour(f, 0), 287 * 500);
  EXPECT_EQ(f.MaxTemp[1].Text, "40");  // Clear leaves the texts
  f.LineButton_Click(1);
  EXPECT_TRUE(curveAt(f, 0.3 * kW, 25, 12));
  EXPECT_FALSE(curveAt(f, 0.7 * kW, 25, 12));

  f.ClearButton_Click();
  loadText(1, "flat.txt", byPoint(501, [](int) { return std::pair{36.6, 36.6}; }));
  for (int ch : {1, 0}) {  // 36.6 throughout, and Delta-T 0 throughout
    f.LineButton_Click(ch);
    EXPECT_EQ(f.MinTemp[1].Text, ch ? "36.6" : "0");
    for (int i = 0; i <= 500; ++i) ASSERT_EQ(f.Norm1[i][ch], 0.5 * kW) << i;
  }
  EXPECT_TRUE(curveAt(f, 0.5 * kW, 250, 12));
}

TEST_F(Chart, LoadingFile2DrawsEveryChannelAndEndsOnLeftTempAndCaptionsFollowTheSelection) {
  auto captions = [&] {
    return Strs{f.LineButton[0].Caption, f.LineButton[1].Caption, f.LineButton[2].Caption, f.Label3.Caption,
                f.Label13.Caption};
  };
  auto shape = [](int p) { return std::pair{36.0 + std::sin(p * 0.05), 35.0 + std::cos(p * 0.03)}; };
  loadText(1, "one.txt", byPoint(501, shape));
  loadText(2, "two.txt", byPoint(450, [&](int p) { return shape(p + 7); }));
  EXPECT_EQ(f.LineSel, 1);
  EXPECT_EQ(captions(), (Strs{"Delta-T", "Left Temp ON", "Right Temp", "Left Temp", "Raw"}));  // no trailing blank
  // Every channel is normalised. Right Temp went first: File 1 over 0..500,
  // before File 2 pulled the upper cursor down to 449.
  for (int ch = 0; ch < 3; ++ch)
    for (const auto* t : {&f.Norm1, &f.Norm2}) {
      const int upper = t == &f.Norm1 && ch == 2 ? 500 : 449;
      double lo = 1e9, hi = -1e9;
      for (int i = 0; i <= upper; ++i) lo = std::min(lo, (*t)[i][ch]), hi = std::max(hi, (*t)[i][ch]);
      EXPECT_NEAR(lo, 0.1 * kW, 1e-9) << ch;
      EXPECT_NEAR(hi, 0.9 * kW, 1e-9) << ch;
    }
  // The chart holds the Left Temp drawing alone.
  const std::vector<std::uint32_t> shown(f.Picture1.bits(), f.Picture1.bits() + 287 * 500);
  f.ClearButton_Click();
  f.LineButton_Click(1);
  EXPECT_TRUE(shown == std::vector<std::uint32_t>(f.Picture1.bits(), f.Picture1.bits() + 287 * 500));
  EXPECT_GT(countColour(f, 11), 0);

  f.LineButton_Click(2);
  EXPECT_EQ(f.LineSel, 2);
  EXPECT_EQ(captions(), (Strs{"Delta-T", "Left Temp", "Right Temp ON", "Right Temp", "Raw"}));
  f.LineButton_Click(0);
  EXPECT_EQ(captions(), (Strs{"Delta-T ON", "Left Temp", "Right Temp", "Delta-T", "Raw"}));
}

TEST_F(Chart, BeforeAnyLoadOnlyGridAndCutoffLinesAndEveryCursorMoveLeavesItsLine) {
  f.LineButton_Click(0);
  EXPECT_EQ(countInRow(f.Picture1, 0, rgb(14)), 287);  // upper cut-off 500
  for (int y = 1; y < 500; ++y) ASSERT_EQ(countInRow(f.Picture1, y, rgb(14)), 3) << y;
  EXPECT_EQ(countColour(f, 14) + countColour(f, 0), 287 * 500);
  EXPECT_EQ(f.MaxTemp[1].Text, "Degrees C");
  f.ClearButton_Click();
  for (const char* shown : {"1", "2", "3"}) {
    f.VScroll1.setValue(f.VScroll1.Value() + f.VScroll1.SmallChange);
    EXPECT_EQ(f.LowerCutoff.Text, shown);
  }
  f.VScroll2.setValue(f.VScroll2.Value() - f.VScroll2.LargeChange);
  EXPECT_EQ(f.UpperCutoff.Text, "490");
  EXPECT_EQ(rowsWith(f, 14), (std::vector<int>{10, 497, 498, 499}));
  for (int y : {10, 497, 498, 499}) EXPECT_EQ(countInRow(f.Picture1, y, rgb(14)), 287);
  f.ClearButton_Click();
  f.VScroll1.setValue(3);  // the value it holds: nothing runs
  EXPECT_EQ(countColour(f, 14), 0);
  f.VScroll1.setValue(200);  // crossed cut-offs are taken as they are
  f.VScroll2.setValue(100);
  EXPECT_EQ(cursors(f), "200 100 200 100");
}

TEST_F(Chart, SmoothingTakesTheSelectedChannelOfBothFilesBetweenTheBars) {
  const std::string spike = byPoint(501, [](int p) { return std::pair{p == 100 ? 11.0 : 0.0, std::sin(p * 1.7)}; });
  loadText(1, "one.txt", spike);
  loadText(2, "two.txt", spike);
  const model::Table before = f.Scan1;
  f.Smoothbutton_Click();  // Left Temp, selected by the load
  for (const auto* scan : {&f.Scan1, &f.Scan2}) {
    EXPECT_EQ((*scan)[94][1], 0.0);
    EXPECT_NEAR((*scan)[100][1], std::pow(12.0 / 11.0, 5), 1e-12);
    EXPECT_NEAR((*scan)[106][1], 0.2164, 1e-4);
    for (int i = 0; i <= 500; ++i) ASSERT_EQ((*scan)[i][2], before[i][2]) << i;
  }
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  EXPECT_EQ(f.MaxTemp[1].Text, model::formatNumber(f.Scan1[100][1]));  // drawn again
  EXPECT_DOUBLE_EQ(f.Norm1[100][1], 0.9 * kW);

  f.VScroll1.setValue(100);
  f.VScroll2.setValue(200);
  f.LineButton_Click(2);
  const model::Table right = f.Scan2;
  f.Smoothbutton_Click();
  for (int i = 0; i <= 500; ++i) EXPECT_EQ(f.Scan2[i][2] != right[i][2], i >= 105 && i <= 195) << i;
  // The state belongs to the channel.
  f.LineButton_Click(0);
  EXPECT_EQ(f.Label13.Caption, "Raw");
  f.LineButton_Click(1);
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
  // Crossed cut-offs average nothing, yet mark the channel.
  f.VScroll1.setValue(200);
  f.VScroll2.setValue(150);
  f.LineButton_Click(0);
  const model::Table unsmoothed = f.Scan1;
  f.Smoothbutton_Click();
  EXPECT_TRUE(f.Scan1 == unsmoothed);
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
}

}  // namespace
}  // namespace varnel::test
