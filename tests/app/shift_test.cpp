// Shifting a scan up by the shift bar's amount, and the shifts refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

std::string ramp(int count, double base = 30.0) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < count; ++i) r.push_back({base + 0.1 * i, base - 1.0 + 0.05 * i});
  return scanText(r);
}

// Everything a refused shift must leave alone.
std::string state(const app::Form& f) {
  std::string s = f.Pntnum[1].Text + '|' + f.Pntnum[2].Text + '|' + f.Frame1.Caption + '|' + f.LowerCutoff.Text +
                  '|' + f.UpperCutoff.Text;
  for (int v : {f.VScroll1.Value(), f.VScroll2.Value(), int(f.ShiftCount)}) s += '|' + std::to_string(v);
  for (const model::Table* t : {&f.Scan1, &f.Scan2}) s.append(reinterpret_cast<const char*>(t), sizeof *t);
  return s.append(reinterpret_cast<const char*>(f.Picture1.bits()), 287 * 500 * 4);
}

struct Shift : ::testing::Test, FormFixture {
  // "Shift File 1" must be refused with a message naming why, changing nothing.
  void expectRefused(const std::string& why) {
    const std::string before = state(form);
    form.Shift1_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_NE(messages.shown[0].text.find(why), std::string::npos) << messages.shown[0].text;
    EXPECT_TRUE(state(form) == before);
  }
};

TEST_F(Shift, TenReadingsShiftedByTheBarsAmountUntilALoadResetsTheCount) {
  loadText(1, "a.txt", ramp(10));
  const model::Table before = form.Scan1;
  form.VScroll3.setValue(3);
  EXPECT_EQ(form.ShiftNum.Text, "3");
  EXPECT_TRUE(form.Scan1 == before);  // moving the bar shifts nothing
  EXPECT_EQ(form.Pntnum[1].Text, "9");
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "12");
  for (int i = 0; i <= 12; ++i) {
    const model::Row& b = before[std::max(i - 3, 0)];
    EXPECT_EQ(form.Scan1[i], (i < 3 ? model::Row{} : model::Row{b[1] - b[2], b[1], b[2]})) << i;
  }
  EXPECT_EQ(form.ShiftCount, 3);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  3");
  EXPECT_EQ(form.VScroll1.Value(), 3);
  EXPECT_EQ(form.LowerCutoff.Text, "3");
  EXPECT_EQ(form.Picture1.pixel(100, 500 - 3), rgb(model::kYellow));  // the raised cut-off line

  loadText(2, "b.txt", ramp(10));
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  0");
  EXPECT_EQ(form.VScroll3.Value(), 3);
  EXPECT_EQ(form.ShiftNum.Text, "3");
  form.ShiftNum.Text = "9";  // typed text is not the amount
  form.Shift1_Click();       // the shifted file moves on
  EXPECT_EQ(form.ShiftCount, 3);
  EXPECT_EQ(form.Pntnum[1].Text, "15");
  EXPECT_EQ(form.Scan1[6][1], before[0][1]);
  EXPECT_EQ(form.Scan1[5][1], 0.0);
}

TEST_F(Shift, OppositeShiftsCancelInTheCountButBothFilesGrow) {
  loadText(1, "a.txt", ramp(100));
  loadText(2, "b.txt", ramp(100, 31.0));
  form.VScroll3.setValue(5);
  form.Shift1_Click();
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  5");
  form.Shift2_Click();
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  0");
  EXPECT_EQ(form.Pntnum[1].Text + " " + form.Pntnum[2].Text, "104 104");
  EXPECT_EQ(form.VScroll1.Value(), 10);
  form.VScroll3.setValue(7);
  form.Shift2_Click();
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up -7");
}

TEST_F(Shift, ZeroShiftRederivesDeltaAndRedraws) {
  loadText(1, "a.txt", ramp(50));
  form.LineButton_Click(0);
  form.Smoothbutton_Click();
  form.Scan1[20][0] = 99.0;  // a Delta-T that no longer is Left - Right
  form.ClearButton_Click();
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "49");
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Scan1[20][0], form.Scan1[20][1] - form.Scan1[20][2]);
  EXPECT_EQ(form.DataState[0], "Smoothed");
  EXPECT_GT(countInRow(form.Picture1, 500 - 10, rgb(model::kLightRed)), 0);
}

TEST_F(Shift, ShiftBeforeAnyLoadLengthensAnEmptyFile) {
  form.VScroll3.setValue(4);
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "4");
  EXPECT_TRUE(form.Scan1 == model::Table{});
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Shift, PastTheLastPointIsRefusedWhole) {
  loadText(1, "a.txt", ramp(501));
  loadText(2, "b.txt", ramp(501));
  form.VScroll3.setValue(1);
  expectRefused("past point 500");
}

TEST_F(Shift, RaisingTheLowerCutoffPastItsTopIsRefusedWhole) {
  loadText(1, "a.txt", ramp(300));
  form.VScroll1.setValue(200);
  form.VScroll3.setValue(30);
  expectRefused("lower cut-off");
  form.VScroll3.setValue(25);  // exactly up to the top end is fine
  form.Shift1_Click();
  EXPECT_EQ(form.VScroll1.Value(), 225);
  EXPECT_EQ(messages.shown.size(), 1u);
}

}  // namespace
}  // namespace varnel::test
