// The comparison chart, the cut-off cursors, the channel buttons, the
// smoothing and the slope chart, checked on texts, tables and pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

constexpr double kW = 287.0;
using Strs = std::vector<std::string>;

// Readings in file order, given by the point each lands on (reading r on n - r).
std::string byPoint(int n, const std::function<std::pair<double, double>(int)>& f) {
  return scanOf(n, [&](int r) { return f(n - 1 - r); });
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
  Strs extremes() {
    return {f.MaxTemp[1].Text, f.Max_at[0].Text, f.MinTemp[1].Text, f.Max_at[2].Text,
            f.MaxTemp[2].Text, f.Max_at[1].Text, f.MinTemp[2].Text, f.Max_at[3].Text};
  }
};

TEST_F(Chart, ShortFilesPullTheCursorsBackAndSixtyLowersTheUpperBar) {
  loadText(1, "300.txt", byPoint(300, [](int p) { return std::pair{30.0 + p * 0.02, 30.0}; }));
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(f), "0 299 0 299");
  for (int y = 202; y <= 498; ++y) ASSERT_GE(countInRow(f.Picture1, y, rgb(12)), 2) << y;  // the pen is 2 wide
  EXPECT_TRUE(curveAt(f, 0.9 * kW, 299, 12));
  const std::string full = byPoint(501, [](int p) { return std::pair{36.0 + p % 9 * 0.1, 35.0}; });
  loadText(1, "long.txt", full);
  loadText(2, "100.txt", byPoint(100, [](int p) { return std::pair{36.0 + p % 5 * 0.1, 35.0}; }));
  f.VScroll1.setValue(150);
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(f), "98 99 98 99");
  // Below the bar's least value of 80, until the next load.
  loadText(2, "sixty.txt", byPoint(60, [](int p) { return std::pair{36.0 + p % 4 * 0.5, 35.0}; }));
  EXPECT_EQ(cursors(f), "0 59 0 59");
  loadText(1, "long.txt", full);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  f.VScroll2.setValue(70);
  EXPECT_EQ(f.VScroll2.Value(), 80);
}

TEST_F(Chart, ExtremesAndNormalisedValues) {
  const double left[4] = {1.5, 2.5, 2.5, 0.5};
  loadText(1, "four.txt", byPoint(4, [&](int p) { return std::pair{left[p], 3.0}; }));
  f.LineButton_Click(1);
  EXPECT_EQ(extremes(), (Strs{"2.5", "1", "0.5", "3", "DegreesC", "", "DegreesC", ""}));
  EXPECT_EQ((std::vector{f.Norm1[1][1], f.Norm1[3][1], f.Norm1[4][1]}), (std::vector{0.9 * kW, 0.1 * kW, 0.0}));
  // Delta-T all negative: highest 0 with an empty position, scaled with hi = 0.
  loadText(1, "neg.txt", byPoint(200, [](int p) { return std::pair{35.0, 35.5 + p * 0.01}; }));
  f.LineButton_Click(0);
  EXPECT_EQ((Strs{f.MaxTemp[1].Text, f.Max_at[0].Text, f.Max_at[2].Text}), (Strs{"0", "", "199"}));
  const double k = 0.8 * kW / (0.0 - f.Scan1[199][0]);
  EXPECT_NEAR(f.Norm1[0][0], k * f.Scan1[0][0] + (0.1 * kW - k * f.Scan1[199][0]), 1e-9);
  // File 2 never above 0 shows the position File 1's search left.
  loadText(1, "one.txt", byPoint(100, [](int p) { return std::pair{p == 40 ? 37.0 : 35.2, 35.0}; }));
  loadText(2, "two.txt", byPoint(100, [](int p) { return std::pair{34.0, 34.5 + p * 0.001}; }));
  f.LineButton_Click(0);
  EXPECT_EQ((Strs{f.MaxTemp[2].Text, f.Max_at[1].Text}), (Strs{"0", "40"}));
}

TEST_F(Chart, ChannelsStayUntilClearedAndLoadingFile2EndsOnLeftTemp) {
  // Left rises with the point, right twice as fast: Delta-T falls.
  loadText(1, "mirror.txt", byPoint(101, [](int p) { return std::pair{30.0 + p * 0.1, 20.0 + p * 0.2}; }));
  f.LineButton_Click(0);
  f.LineButton_Click(1);
  EXPECT_TRUE(curveAt(f, 0.7 * kW, 25, 12) && curveAt(f, 0.3 * kW, 25, 12));  // Delta-T, Left Temp
  f.ClearButton_Click();
  EXPECT_EQ(countColour(f, 0), 287 * 500);
  f.LineButton_Click(1);
  EXPECT_FALSE(curveAt(f, 0.7 * kW, 25, 12));

  auto captions = [&] {
    return Strs{f.LineButton[0].Caption, f.LineButton[1].Caption, f.LineButton[2].Caption, f.Label3.Caption};
  };
  loadText(2, "two.txt", byPoint(90, [](int p) { return std::pair{36.0 + std::sin(p * 0.1), 35.0}; }));
  EXPECT_EQ(captions(), (Strs{"Delta-T", "Left Temp ON", "Right Temp", "Left Temp"}));  // no trailing blank
  EXPECT_GT(countColour(f, 11), 0);  // File 2
  f.LineButton_Click(2);
  EXPECT_EQ(captions(), (Strs{"Delta-T", "Left Temp", "Right Temp ON", "Right Temp"}));
}

TEST_F(Chart, EveryCursorMoveLeavesItsLineAndFlatRangesDrawDownTheMiddle) {
  for (const char* shown : {"1", "2", "3"}) {
    f.VScroll1.setValue(f.VScroll1.Value() + f.VScroll1.SmallChange);
    EXPECT_EQ(f.LowerCutoff.Text, shown);
  }
  f.VScroll2.setValue(f.VScroll2.Value() - f.VScroll2.LargeChange);
  EXPECT_EQ(f.UpperCutoff.Text, "490");
  for (int y : {10, 497, 498, 499}) EXPECT_EQ(countInRow(f.Picture1, y, rgb(14)), 287);
  EXPECT_EQ(countColour(f, 14), 4 * 287);
  f.ClearButton_Click();
  f.VScroll1.setValue(3);  // the value it holds: nothing runs
  EXPECT_EQ(countColour(f, 14), 0);

  loadText(1, "flat.txt", byPoint(501, [](int) { return std::pair{36.6, 36.6}; }));
  for (int ch : {1, 0}) {  // 36.6 throughout, and Delta-T 0 throughout
    f.LineButton_Click(ch);
    EXPECT_EQ(f.MinTemp[1].Text, ch ? "36.6" : "0");
    for (int i = 0; i <= 500; ++i) ASSERT_EQ(f.Norm1[i][ch], 0.5 * kW) << i;
  }
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
  EXPECT_EQ(f.MaxTemp[1].Text, model::formatNumber(f.Scan1[100][1]));  // drawn again
  f.VScroll1.setValue(100);
  f.VScroll2.setValue(200);
  f.LineButton_Click(2);
  const model::Table right = f.Scan2;
  f.Smoothbutton_Click();
  for (int i = 0; i <= 500; ++i) EXPECT_EQ(f.Scan2[i][2] != right[i][2], i >= 105 && i <= 195) << i;
  f.LineButton_Click(0);
  EXPECT_EQ(f.Label13.Caption, "Raw");  // the state belongs to the channel
  f.VScroll1.setValue(200);  // crossed cut-offs average nothing, yet mark the channel
  f.VScroll2.setValue(150);
  const model::Table unsmoothed = f.Scan1;
  f.Smoothbutton_Click();
  EXPECT_TRUE(f.Scan1 == unsmoothed);
  EXPECT_EQ(f.Label13.Caption, "Smoothed");
}

TEST_F(Chart, SlopesOfBothFilesOnOneScale) {
  f.Pntnum[1].Text = f.Pntnum[2].Text = "500";
  f.VScroll2.setValue(120);
  f.VScroll1.setValue(100);
  f.LineSel = 1;
  // Left Temp with the given slopes at points 101..119 (0 elsewhere): File 1
  // spans -2..3, File 2 -1..5, its equal maximum at 107 losing to 105.
  auto setSlopes = [](model::Table& norm, std::map<int, double> slope) {
    norm[0][1] = 100.0;
    for (int i = 1; i <= 200; ++i) norm[i][1] = norm[i - 1][1] + slope[i];
  };
  setSlopes(f.Norm1, {{104, 3.0}, {110, -2.0}});
  setSlopes(f.Norm2, {{105, 5.0}, {107, 5.0}, {112, -1.0}});
  f.ClearButton_Click();
  f.SlopeChart_Click();
  EXPECT_EQ(extremes(), (Strs{"3", "104", "-2", "110", "5", "105", "-1", "112"}));
  EXPECT_EQ(f.Label3.Caption, "Slopes");
  EXPECT_EQ(f.MaxVal1[1], 0.0f);  // the extremes tables keep their temperatures
  // Common range -2..5: slope 0 at 0.1W + 2 * 0.8W / 7, slope -2 at 0.1W, 5 at 0.9W.
  int firstCyan = 0;
  while (firstCyan < 287 && f.Picture1.pixel(firstCyan, 500 - 115) != rgb(model::kLightCyan)) ++firstCyan;
  EXPECT_EQ(firstCyan, static_cast<int>(std::floor(0.1 * kW + 2 * 0.8 * kW / 7 + 0.5)));
  EXPECT_EQ(f.Picture1.pixel(static_cast<int>(std::floor(0.1 * kW + 0.5)), 500 - 110), rgb(model::kLightRed));
  EXPECT_EQ(f.Picture1.pixel(static_cast<int>(std::floor(0.9 * kW + 0.5)), 500 - 105), rgb(model::kLightCyan));
  // Crossed cut-offs: the searches' start values and empty positions.
  f.VScroll1.setValue(200);
  f.VScroll2.setValue(150);
  f.SlopeChart_Click();
  EXPECT_EQ(extremes(), (Strs{"-80", "", "80", "", "-80", "", "80", ""}));
}

}  // namespace
}  // namespace varnel::test
