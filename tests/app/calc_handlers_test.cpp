// The four "Calc Now" buttons on normalised tables set up by hand.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Strs = std::vector<std::string>;
struct Calc : ::testing::Test, FormFixture {};

TEST_F(Calc, CorrelationFillsEveryChannelAndPlotsOnlyTheOneOnShow) {
  form.CalcCorrelation_Click();
  EXPECT_EQ(form.Correlation[1].Text, model::kNoValue);  // nothing loaded: all 0

  form.VScroll1.setValue(60);
  form.VScroll2.setValue(80);
  const int partner[] = {0, 2, 1};
  for (int i = 60; i <= 80; ++i) {
    const int c = i % 3;
    form.Norm1[i] = {50.0 + 20 * c, 100.0 + 10 * c, 150.0 + 10 * c};
    form.Norm2[i] = {50.0 + 20 * c, 100.0 + 10 * partner[c], 200.0 - 10 * c};
  }
  form.LineSel = 1;
  form.ClearButton_Click();
  form.CalcCorrelation_Click();
  EXPECT_EQ((Strs{form.Correlation[0].Text, form.Correlation[1].Text, form.Correlation[2].Text}),
            (Strs{"1", "0.5", "-1"}));
  EXPECT_EQ(form.Picture1.pixel(110, 500 - 120), rgb(12));  // a Left Temp dot at (x, H - y)
  EXPECT_EQ(form.Picture1.pixel(70, 500 - 70), rgb(14));    // the identity line, no Delta-T dot
  EXPECT_EQ(form.Picture1.pixel(160, 500 - 190), rgb(0));   // no Right Temp dot
}

TEST_F(Calc, SlopeThresholdSharesAndMarksOfTheChannelOnShow) {
  form.VScroll4.setValue(37);
  EXPECT_EQ(form.Threshold.Text, "0.37");
  // Right Temp of File 2 steps up by 5 over 200..300: slopes differ at 200 and 301.
  for (int i = 200; i <= 300; ++i) form.Norm2[i][2] = 5.0;
  form.Threshold.Text = "abc";  // counts as 0
  form.LineSel = 2;
  form.Picture1.line(1, 0, 2, 499, 15);
  form.CalcSlope_Click();
  EXPECT_EQ(form.SlopeComp[2].Text, "0.995991983967936");  // 497 / 499
  EXPECT_EQ(form.SlopeComp[0].Text, "1");
  for (int x : {1, 2}) {
    EXPECT_EQ(form.Picture1.pixel(x, 500 - 250), rgb(12));
    EXPECT_EQ(form.Picture1.pixel(x, 500 - 200), rgb(0));  // Delta-T agrees here but is not on show
    EXPECT_EQ(form.Picture1.pixel(x, 500 - 500), rgb(0));  // blanked, not compared
  }
  form.VScroll1.setValue(100);
  form.VScroll2.setValue(101);
  form.CalcSlope_Click();
  EXPECT_EQ(form.SlopeComp[1].Text, model::kNoValue);
}

TEST_F(Calc, AreaRatioAndFlatRange) {
  form.VScroll1.setValue(10);
  form.VScroll2.setValue(80);
  for (int i = 10; i <= 80; ++i) form.Norm2[i][1] = 20.0;
  const auto drawn = form.Picture1.revision();
  form.CalcArea_Click();
  EXPECT_EQ(form.AreaRatio[1].Text, "0.911647585863614");  // D = 71 x 20, F = 287 x 0.8 x 70
  EXPECT_EQ(form.AreaRatio[0].Text, "1");
  EXPECT_EQ(form.Picture1.revision(), drawn);  // draws nothing
  form.VScroll1.setValue(80);
  form.CalcArea_Click();
  EXPECT_EQ(form.AreaRatio[2].Text, model::kNoValue);
}

TEST_F(Calc, QuilTeskMarksOnlyTheChannelOnShow) {
  form.VScroll1.setValue(100);
  form.VScroll2.setValue(109);  // one window, at 104
  for (int i = 100; i <= 109; ++i) {
    form.Norm1[i] = {1.0 * i, 200.0 + i, 0.0};
    form.Norm2[i] = {1.0 * i + 50, 30.0, 0.0};  // Left Temp: File 2 flat and far below
  }
  form.LineSel = 1;
  form.ClearButton_Click();
  form.Quil_Tesk_Click();
  EXPECT_EQ(form.r_ratio[0].Text + form.t_ratio[0].Text, "11");
  EXPECT_EQ(form.r_ratio[1].Text + form.t_ratio[1].Text, "00");
  const int row = 500 - 104;
  EXPECT_EQ(countInRow(form.Picture1, row, rgb(0)), form.Picture1.ScaleWidth());
  form.LineSel = 0;
  form.Quil_Tesk_Click();
  for (int x : {4, 5}) EXPECT_EQ(form.Picture1.pixel(x, row), rgb(14));
  for (int x : {7, 8}) EXPECT_EQ(form.Picture1.pixel(x, row), rgb(13));
  EXPECT_EQ(countInRow(form.Picture1, row, rgb(0)), form.Picture1.ScaleWidth() - 4);
}

TEST_F(Calc, QuilTeskHalfOfTheFullRangeAndTheErrorBox) {
  // Left Temp levels off at point 246: 246 of the 492 windows are not flat.
  for (int i = 0; i <= model::kLastPoint; ++i)
    form.Norm1[i] = form.Norm2[i] = {1.0 * i, 1.0 * std::min(i, 246), 0.5 * i};
  form.Quil_Tesk_Click();
  EXPECT_EQ(form.r_ratio[1].Text + " " + form.t_ratio[1].Text + " " + form.r_ratio[2].Text, "0.5 0.5 1");

  form.VScroll1.setValue(100);
  form.VScroll2.setValue(108);  // no window
  form.Quil_Tesk_Click();
  form.VScroll2.setValue(300);
  form.Norm1[200][2] = 1e200;
  form.Quil_Tesk_Click();
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, "Calculation Error try smoothing or clipping Delta-T");
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_EQ(messages.shown[1].text, "Calculation Error try smoothing or clipping Right Temp");
  EXPECT_EQ(form.r_ratio[1].Text + form.t_ratio[2].Text, "0.51");  // unchanged
}

}  // namespace
}  // namespace varnel::test
