#include <gtest/gtest.h>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

std::vector<std::pair<double, double>> ramp(int count, double base = 30.0) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < count; ++i) r.push_back({base + 0.1 * i, base - 1.0 + 0.05 * i});
  return r;
}

class ShiftTest : public ::testing::Test, public FormFixture {};

TEST_F(ShiftTest, TenReadingsShiftedByThree) {
  loadText(1, "a.txt", scanText(ramp(10)));
  const model::Table before = form.Scan1;
  form.VScroll3.setValue(3);
  EXPECT_EQ(form.ShiftNum.Text, "3");
  form.Shift1_Click();

  EXPECT_EQ(form.Pntnum[1].Text, "12");
  for (int i = 0; i < 3; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(form.Scan1[i][c], 0.0) << i << "," << c;
  for (int i = 0; i <= 9; ++i) {
    EXPECT_EQ(form.Scan1[i + 3][1], before[i][1]);
    EXPECT_EQ(form.Scan1[i + 3][2], before[i][2]);
    EXPECT_EQ(form.Scan1[i + 3][0], before[i][1] - before[i][2]);
  }
  EXPECT_EQ(form.ShiftCount, 3);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  3");
  EXPECT_EQ(form.VScroll1.Value(), 3);
  EXPECT_EQ(form.LowerCutoff.Text, "3");
  // The raised cut-off line stands on the row of point 3.
  EXPECT_EQ(form.Picture1.pixel(100, 500 - 3), rgb(model::kYellow));
}

TEST_F(ShiftTest, OppositeShiftsCancelInTheCountButBothFilesGrow) {
  loadText(1, "a.txt", scanText(ramp(100)));
  loadText(2, "b.txt", scanText(ramp(100, 31.0)));
  form.VScroll3.setValue(5);
  form.Shift1_Click();
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  5");
  form.Shift2_Click();
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  0");
  EXPECT_EQ(form.Pntnum[1].Text, "104");
  EXPECT_EQ(form.Pntnum[2].Text, "104");
  EXPECT_EQ(form.VScroll1.Value(), 10);

  form.VScroll3.setValue(0);
  form.VScroll3.setValue(7);
  form.Shift2_Click();
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up -7");
}

TEST_F(ShiftTest, ZeroShiftRederivesDeltaAndRedraws) {
  loadText(1, "a.txt", scanText(ramp(50)));
  form.LineButton_Click(0);
  form.Smoothbutton_Click();
  form.Scan1[20][0] = 99.0;  // a Delta-T that no longer is Left - Right
  form.ClearButton_Click();
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "49");
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Scan1[20][0], form.Scan1[20][1] - form.Scan1[20][2]);
  EXPECT_EQ(form.DataState[0], "Smoothed");
  EXPECT_GT(form.Picture1.countInRow(500 - 10, rgb(model::kLightRed)), 0);  // redrawn
}

TEST_F(ShiftTest, RepeatedShiftsAccumulate) {
  loadText(1, "a.txt", scanText(ramp(20)));
  const double first = form.Scan1[0][1];
  form.VScroll3.setValue(2);
  form.Shift1_Click();
  form.Shift1_Click();
  EXPECT_EQ(form.ShiftCount, 4);
  EXPECT_EQ(form.Pntnum[1].Text, "23");
  EXPECT_EQ(form.Scan1[4][1], first);
  EXPECT_EQ(form.Scan1[3][1], 0.0);
}

TEST_F(ShiftTest, ShiftBeforeAnyLoadLengthensAnEmptyFile) {
  form.VScroll3.setValue(4);
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "4");
  for (int i = 0; i <= 4; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(form.Scan1[i][c], 0.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ShiftTest, MovingTheBarOnlyChangesTheAmountText) {
  loadText(1, "a.txt", scanText(ramp(20)));
  const model::Table before = form.Scan1;
  form.VScroll3.setValue(9);
  EXPECT_EQ(form.ShiftNum.Text, "9");
  EXPECT_EQ(form.Scan1, before);
  EXPECT_EQ(form.Pntnum[1].Text, "19");
  form.ShiftNum.Text = "2";  // typed text is not the amount
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "28");
}

// Captures everything a refused shift must leave alone.
struct Snapshot {
  model::Table scan1, scan2;
  std::string p1, p2, caption, lower, upper;
  int v1, v2;
  std::int16_t count;
  std::vector<std::uint32_t> pixels;
  explicit Snapshot(const app::Form& f)
      : scan1(f.Scan1), scan2(f.Scan2), p1(f.Pntnum[1].Text), p2(f.Pntnum[2].Text),
        caption(f.Frame1.Caption), lower(f.LowerCutoff.Text), upper(f.UpperCutoff.Text),
        v1(f.VScroll1.Value()), v2(f.VScroll2.Value()), count(f.ShiftCount),
        pixels(f.Picture1.bits(), f.Picture1.bits() + 287 * 500) {}
  bool operator==(const Snapshot&) const = default;
};

TEST_F(ShiftTest, ShiftPastTheLastPointIsRefusedWhole) {
  std::vector<std::pair<double, double>> full = ramp(501);
  loadText(1, "a.txt", scanText(full));
  loadText(2, "b.txt", scanText(full));
  form.VScroll3.setValue(1);
  const Snapshot before(form);
  form.Shift1_Click();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_NE(messages.shown[0].text.find("past point 500"), std::string::npos) << messages.shown[0].text;
  EXPECT_TRUE(Snapshot(form) == before);
}

TEST_F(ShiftTest, ShiftRaisingTheLowerCutoffPastItsTopIsRefusedWhole) {
  loadText(1, "a.txt", scanText(ramp(300)));
  form.VScroll1.setValue(200);
  form.VScroll3.setValue(30);
  const Snapshot before(form);
  form.Shift1_Click();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("lower cut-off"), std::string::npos) << messages.shown[0].text;
  EXPECT_TRUE(Snapshot(form) == before);
  form.VScroll3.setValue(25);  // exactly up to the top end is fine
  form.Shift1_Click();
  EXPECT_EQ(form.VScroll1.Value(), 225);
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ShiftTest, ALoadResetsTheCountButNotTheAmount) {
  loadText(1, "a.txt", scanText(ramp(20)));
  form.VScroll3.setValue(6);
  form.Shift1_Click();
  loadText(2, "b.txt", scanText(ramp(20)));
  EXPECT_EQ(form.ShiftCount, 0);
  EXPECT_EQ(form.Frame1.Caption, "Shift Chart Up  0");
  EXPECT_EQ(form.VScroll3.Value(), 6);
  EXPECT_EQ(form.ShiftNum.Text, "6");
}

}  // namespace
}  // namespace varnel::test
