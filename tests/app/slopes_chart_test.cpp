#include <gtest/gtest.h>

#include <cmath>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

class SlopesChartTest : public ::testing::Test, public FormFixture {
 protected:
  // Sets a channel's normalised values so that its slopes at points 1.. are
  // the given ones, and pretends both files have 501 points.
  void setSlopes(model::Table& norm, int ch, const std::vector<double>& slopes) {
    norm[0][ch] = 100.0;
    for (std::size_t i = 0; i < slopes.size(); ++i) norm[i + 1][ch] = norm[i][ch] + slopes[i];
  }
  int columnOfColourInRow(int y, std::uint32_t colour) {
    for (int x = 0; x < 287; ++x)
      if (form.Picture1.pixel(x, y) == colour) return x;
    return -1;
  }
};

TEST_F(SlopesChartTest, CommonScaleOverBothFiles) {
  form.Pntnum[1].Text = "500";
  form.Pntnum[2].Text = "500";
  form.VScroll2.setValue(120);
  form.VScroll1.setValue(100);
  form.LineSel = 1;
  // Slopes at points 101..119: File 1 spans -2..3, File 2 -1..5.
  std::vector<double> s1(200, 0.0), s2(200, 0.0);
  s1[104 - 1] = 3.0;  // slope of point 104
  s1[110 - 1] = -2.0;
  s2[105 - 1] = 5.0;
  s2[107 - 1] = 5.0;  // equal maximum later: the lower index wins
  s2[112 - 1] = -1.0;
  setSlopes(form.Norm1, 1, s1);
  setSlopes(form.Norm2, 1, s2);
  form.ClearButton_Click();
  form.SlopeChart_Click();

  EXPECT_EQ(form.MaxTemp[1].Text, "3");
  EXPECT_EQ(form.Max_at[0].Text, "104");
  EXPECT_EQ(form.MinTemp[1].Text, "-2");
  EXPECT_EQ(form.Max_at[2].Text, "110");
  EXPECT_EQ(form.MaxTemp[2].Text, "5");
  EXPECT_EQ(form.Max_at[1].Text, "105");
  EXPECT_EQ(form.MinTemp[2].Text, "-1");
  EXPECT_EQ(form.Max_at[3].Text, "112");
  EXPECT_EQ(form.Label3.Caption, "Slopes");

  // Common range -2..5: slope 0 at 0.1W + 2 * 0.8W / 7, slope -2 at 0.1W.
  const double W = 287;
  const int zero = static_cast<int>(std::floor(0.1 * W + 2 * 0.8 * W / 7 + 0.5));
  EXPECT_EQ(columnOfColourInRow(500 - 115, rgb(model::kLightCyan)), zero);
  EXPECT_EQ(form.Picture1.pixel(static_cast<int>(std::floor(0.1 * W + 0.5)), 500 - 110), rgb(model::kLightRed));
  EXPECT_EQ(form.Picture1.pixel(static_cast<int>(std::floor(0.9 * W + 0.5)), 500 - 105), rgb(model::kLightCyan));
  // The extremes tables keep their temperatures.
  EXPECT_EQ(form.MaxVal1[1], 0.0f);
}

TEST_F(SlopesChartTest, TracesCoverPointsOneTo499AtFullRange) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < 501; ++i) r.push_back({30 + std::sin(i / 20.0), 31 + std::cos(i / 15.0)});
  loadText(1, "a.txt", scanText(r));
  loadText(2, "b.txt", scanText(r));
  form.ClearButton_Click();
  form.SlopeChart_Click();
  // File 2 is drawn over File 1 with the same data, so look for cyan.
  for (int i = 1; i <= 499; ++i) EXPECT_GT(form.Picture1.countInRow(500 - i, rgb(model::kLightCyan)), 0) << i;
  EXPECT_EQ(form.Picture1.countInRow(0, rgb(model::kLightCyan)), 0);  // point 500 has no slope
  EXPECT_EQ(form.Label3.Caption, "Slopes");
  // A channel button brings back the temperatures and the channel name.
  form.LineButton_Click(1);
  EXPECT_EQ(form.Label3.Caption, "Left Temp");
  EXPECT_GT(model::numericValue(form.MaxTemp[1].Text), 30.0);
}

TEST_F(SlopesChartTest, OnlyFileOneLoadedKeepsFileTwoBoxes) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < 200; ++i) r.push_back({30 + 0.01 * i * i / 100, 31});
  loadText(1, "a.txt", scanText(r));
  form.LineButton_Click(1);
  form.SlopeChart_Click();
  EXPECT_EQ(form.MaxTemp[2].Text, "DegreesC");
  EXPECT_EQ(form.Label3.Caption, "Left Temp");
  EXPECT_NE(form.MaxTemp[1].Text, "Degrees C");
  // File 2 was never loaded: all its slopes are 0, a straight cyan line.
  const double max = model::numericValue(form.MaxTemp[1].Text);
  const double min = model::numericValue(form.MinTemp[1].Text);
  const double scale = 0.8 * 287 / (max - min);
  const double offset = 0.1 * 287 - min * scale;
  const int x = static_cast<int>(std::floor(static_cast<float>(offset) + 0.5));
  for (int i = 2; i < 199; i += 17) EXPECT_EQ(form.Picture1.pixel(x, 500 - i), rgb(model::kLightCyan)) << i;
}

TEST_F(SlopesChartTest, NoSpreadAtStartUpDrawsAtMidWidth) {
  form.SlopeChart_Click();  // nothing loaded: both File 1 boxes count as 0
  EXPECT_EQ(form.MaxTemp[1].Text, "Degrees C");
  EXPECT_EQ(form.Picture1.pixel(144, 500 - 250), rgb(model::kLightCyan));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SlopesChartTest, EmptyRangeShowsStartValuesAndEmptyPositions) {
  std::vector<std::pair<double, double>> r(300, {30.0, 31.0});
  loadText(1, "a.txt", scanText(r));
  loadText(2, "b.txt", scanText(r));
  form.VScroll1.setValue(200);
  form.VScroll2.setValue(150);
  form.SlopeChart_Click();
  EXPECT_EQ(form.MaxTemp[1].Text, "-80");
  EXPECT_EQ(form.MinTemp[1].Text, "80");
  EXPECT_EQ(form.Max_at[0].Text, "");
  EXPECT_EQ(form.Max_at[3].Text, "");
}

}  // namespace
}  // namespace varnel::test
