// "Slope Chart": both files' slopes of the channel on show, on one scale.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Strs = std::vector<std::string>;
struct SlopesChart : ::testing::Test, FormFixture {};

std::string wavy(int count, double (*left)(int), double (*right)(int)) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < count; ++i) r.push_back({left(i), right(i)});
  return scanText(r);
}

TEST_F(SlopesChart, CommonScaleOverBothFiles) {
  form.Pntnum[1].Text = "500";
  form.Pntnum[2].Text = "500";
  form.VScroll2.setValue(120);
  form.VScroll1.setValue(100);
  form.LineSel = 1;
  // Left Temp with the given slopes at points 101..119 (0 elsewhere): File 1
  // spans -2..3, File 2 -1..5, its equal maximum at 107 losing to 105.
  auto setSlopes = [](model::Table& norm, std::map<int, double> slope) {
    norm[0][1] = 100.0;
    for (int i = 1; i <= 200; ++i) norm[i][1] = norm[i - 1][1] + slope[i];
  };
  setSlopes(form.Norm1, {{104, 3.0}, {110, -2.0}});
  setSlopes(form.Norm2, {{105, 5.0}, {107, 5.0}, {112, -1.0}});
  form.ClearButton_Click();
  form.SlopeChart_Click();
  EXPECT_EQ((Strs{form.MaxTemp[1].Text, form.Max_at[0].Text, form.MinTemp[1].Text, form.Max_at[2].Text,
                  form.MaxTemp[2].Text, form.Max_at[1].Text, form.MinTemp[2].Text, form.Max_at[3].Text,
                  form.Label3.Caption}),
            (Strs{"3", "104", "-2", "110", "5", "105", "-1", "112", "Slopes"}));
  EXPECT_EQ(form.MaxVal1[1], 0.0f);  // the extremes tables keep their temperatures

  // Common range -2..5: slope 0 at 0.1W + 2 * 0.8W / 7, slope -2 at 0.1W, 5 at 0.9W.
  const double W = 287;
  int firstCyan = 0;
  while (firstCyan < 287 && form.Picture1.pixel(firstCyan, 500 - 115) != rgb(model::kLightCyan)) ++firstCyan;
  EXPECT_EQ(firstCyan, static_cast<int>(std::floor(0.1 * W + 2 * 0.8 * W / 7 + 0.5)));
  EXPECT_EQ(form.Picture1.pixel(static_cast<int>(std::floor(0.1 * W + 0.5)), 500 - 110), rgb(model::kLightRed));
  EXPECT_EQ(form.Picture1.pixel(static_cast<int>(std::floor(0.9 * W + 0.5)), 500 - 105), rgb(model::kLightCyan));
}

TEST_F(SlopesChart, TracesCoverPointsOneTo499AtFullRangeUntilAChannelButton) {
  const std::string scan = wavy(501, [](int i) { return 30 + std::sin(i / 20.0); },
                                [](int i) { return 31 + std::cos(i / 15.0); });
  loadText(1, "a.txt", scan);
  loadText(2, "b.txt", scan);
  form.ClearButton_Click();
  form.SlopeChart_Click();
  // File 2 is drawn over File 1 with the same data, so look for cyan.
  for (int i = 1; i <= 499; ++i) EXPECT_GT(countInRow(form.Picture1, 500 - i, rgb(model::kLightCyan)), 0) << i;
  EXPECT_EQ(countInRow(form.Picture1, 0, rgb(model::kLightCyan)), 0);  // point 500 has no slope
  EXPECT_EQ(form.Label3.Caption, "Slopes");
  form.LineButton_Click(1);  // brings back the temperatures and the channel name
  EXPECT_EQ(form.Label3.Caption, "Left Temp");
  EXPECT_GT(model::numericValue(form.MaxTemp[1].Text), 30.0);

  // Crossed cut-offs: the searches' start values and empty positions.
  form.VScroll1.setValue(200);
  form.VScroll2.setValue(150);
  form.SlopeChart_Click();
  EXPECT_EQ((Strs{form.MaxTemp[1].Text, form.MinTemp[1].Text, form.Max_at[0].Text, form.Max_at[3].Text}),
            (Strs{"-80", "80", "", ""}));
}

TEST_F(SlopesChart, OnlyFileOneLoadedKeepsFileTwoBoxes) {
  loadText(1, "a.txt", wavy(200, [](int i) { return 30 + 0.01 * i * i / 100; }, [](int) { return 31.0; }));
  form.LineButton_Click(1);
  form.SlopeChart_Click();
  EXPECT_EQ(form.MaxTemp[2].Text, "DegreesC");
  EXPECT_EQ(form.Label3.Caption, "Left Temp");
  EXPECT_NE(form.MaxTemp[1].Text, "Degrees C");
  // File 2 was never loaded: all its slopes are 0, a straight cyan line.
  const double max = model::numericValue(form.MaxTemp[1].Text), min = model::numericValue(form.MinTemp[1].Text);
  const double scale = 0.8 * 287 / (max - min), offset = 0.1 * 287 - min * scale;
  const int x = static_cast<int>(std::floor(static_cast<float>(offset) + 0.5));
  for (int i = 2; i < 199; i += 17) EXPECT_EQ(form.Picture1.pixel(x, 500 - i), rgb(model::kLightCyan)) << i;
}

TEST_F(SlopesChart, NoSpreadAtStartUpDrawsAtMidWidth) {
  form.SlopeChart_Click();  // nothing loaded: both File 1 boxes count as 0
  EXPECT_EQ(form.MaxTemp[1].Text, "Degrees C");
  EXPECT_EQ(form.Picture1.pixel(144, 500 - 250), rgb(model::kLightCyan));
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace varnel::test
