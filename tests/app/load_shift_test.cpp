// Loading scans and shifting them up, driven through the form as a user would.
#include <gtest/gtest.h>

#include "support/form_state.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Strs = std::vector<std::string>;
std::string ramp(int count) { return scanOf(count, [](int i) { return std::pair{30.0 + 0.1 * i, 29.0 + 0.05 * i}; }); }
struct Load : ::testing::Test, FormFixture {};

TEST_F(Load, ReadingsAreStoredLastFirstWithDeltaTAndTheCountShown) {
  const auto r = [](int i) { return i < 8 ? std::pair{30.0 + i * 0.5, 29.0 + i * 0.25} : std::pair{36.1, 35.4}; };
  const std::string path = loadText(1, "nine.txt", scanOf(9, r) + "35.0,35.9\r\n");
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ((Strs{dialog.calls[0].filter, dialog.calls[0].defaultName}),
            (Strs{"Data Files (*.txt)|*.txt", "Untitled.txt"}));
  EXPECT_EQ((Strs{form.Filename[1].Text, form.Pntnum[1].Text}), (Strs{path, "9"}));
  EXPECT_EQ(form.Scan1[0], (model::Row{35.0 - 35.9, 35.0, 35.9}));
  for (int j = 1; j <= 500; ++j) {
    const auto [left, right] = j <= 9 ? r(9 - j) : std::pair{0.0, 0.0};
    EXPECT_EQ(form.Scan1[j], (model::Row{left - right, left, right})) << j;
  }
  EXPECT_EQ(countInRow(form.Picture1, 0, rgb(14)), 287);  // nothing drawn but the cut-off line of 500
  for (int y = 1; y < 500; ++y) ASSERT_EQ(countInRow(form.Picture1, y, rgb(0)), 287) << y;
  // Past 501 readings the rest is not read, or line 601 would be refused.
  loadText(2, "long.txt", scanOf(600, [](int i) { return std::pair{1000.0 + i, -1.0}; }) + "x\r\n");
  EXPECT_EQ((std::vector{form.Scan2[0][1], form.Scan2[500][1]}), (std::vector{1500.0, 1000.0}));
  EXPECT_EQ(form.Pntnum[2].Text, "500");
  loadText(1, "empty.txt", "");
  EXPECT_EQ(form.Pntnum[1].Text, "-1");
  EXPECT_TRUE(form.Scan1 == model::Table{});
  loadText(2, "blank.txt", "\r\n  \r\n");
  EXPECT_EQ(form.Pntnum[2].Text, "-1");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Load, ResetsCursorsAndStatesButNotTheOtherFile) {
  loadText(1, "a.txt", ramp(200));
  const std::string pathB = loadText(2, "b.txt", ramp(300));
  form.Smoothbutton_Click();
  const model::Table scan2 = form.Scan2;
  form.VScroll1.setValue(50);
  form.VScroll2.setValue(150);
  loadText(1, "c.txt", scanOf(50, [](int i) { return std::pair{20.0 + i, 10.0}; }));
  EXPECT_EQ((Strs{form.LowerCutoff.Text, form.UpperCutoff.Text, form.DataState[1], form.Filename[2].Text,
                  form.Pntnum[2].Text, form.Pntnum[1].Text}),
            (Strs{"0", "500", "Raw", pathB, "299", "49"}));
  EXPECT_EQ(form.VScroll2.Value(), 500);
  EXPECT_TRUE(form.Scan2 == scan2);
  EXPECT_EQ((std::vector{form.Scan1[0][1], form.Scan1[50][1]}), (std::vector{69.0, 0.0}));  // nothing left of a.txt
  form.Filename_Click(0);  // no such box
  dialog.answers = {"", dir.file("a.txt")};
  form.Filename_Click(2);  // cancelled
  EXPECT_EQ(form.Filename[2].Text, pathB);
  form.Filename_Click(2);
  EXPECT_EQ(form.Pntnum[2].Text, "199");
  EXPECT_EQ(dialog.calls.size(), 5u);
}

// A refused load shows one "Error" box naming the file and the line, and
// changes nothing; nor does a cancelled dialog.
TEST(RefusedLoad, ChangesNothing) {
  const std::pair<const char*, const char*> rows[] = {
      {"36.1,35.4\r\nabc,35\r\n", "line 2"},   {"36.1,35.4\r\n36.0,35.9\r\n36,35C\r\n", "line 3"},
      {"36.1,35.4\r\n3.5e38,35\r\n", "line 2"},  // beyond single precision
      {"1,2\r\n3,-3.5E38\r\n", "line 2"},       {"36.1,35.4\r\n36.0,35.9\r\n36.2\r\n\r\n", "line 3"},
      {"1,2\n3,4\n5,6\nseven,8\n", "line 4"},   {nullptr, "absent.txt"},  // cannot be opened
      {"", ""},                                                           // the folder itself
  };
  for (int file = 1; file <= 2; ++file)
    for (const auto& [content, where] : rows) {
      FormFixture fx;  // two loaded, smoothed scans with moved cursors
      fx.loadText(1, "first.txt", ramp(400));
      fx.loadText(2, "second.txt", scanOf(501, [](int i) { return std::pair{34.0, 33.0 + i % 11 * 0.2}; }));
      fx.form.VScroll1.setValue(20);
      fx.form.VScroll2.setValue(350);
      fx.form.LineButton_Click(2);
      fx.form.Smoothbutton_Click();
      fx.form.ShiftCount = 2;
      const FormState before = formState(fx.form);
      std::string path = content ? fx.dir.write("bad.txt", content) : fx.dir.file(where);
      if (content && !*content) path = fx.dir.path().string();
      fx.load(file, path);
      fx.load(file, "");
      const std::string what = std::string(content ? content : where) + ", File " + std::to_string(file);
      ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
      const std::string& text = fx.messages.shown[0].text;
      EXPECT_EQ(fx.messages.shown[0].title, "Error");
      EXPECT_TRUE(text.find(path) != std::string::npos && text.find(where) != std::string::npos) << what << text;
      EXPECT_TRUE(content && *content ? true : text.find("line") == std::string::npos) << text;  // never read
      EXPECT_TRUE(formState(fx.form) == before) << what << ": " << formState(fx.form).firstDifference(before);
    }
}

struct Shift : ::testing::Test, FormFixture {};

TEST_F(Shift, ByTheBarsAmountCountedUntilALoad) {
  loadText(1, "a.txt", ramp(10));
  const model::Table before = form.Scan1;
  form.VScroll3.setValue(3);
  EXPECT_EQ(form.ShiftNum.Text, "3");
  form.Shift1_Click();
  for (int i = 0; i <= 12; ++i) {
    const model::Row& b = before[std::max(i - 3, 0)];
    EXPECT_EQ(form.Scan1[i], (i < 3 ? model::Row{} : model::Row{b[1] - b[2], b[1], b[2]})) << i;
  }
  EXPECT_EQ((Strs{form.Pntnum[1].Text, form.Frame1.Caption, form.LowerCutoff.Text}),
            (Strs{"12", "Shift Chart Up  3", "3"}));
  EXPECT_EQ(form.Picture1.pixel(100, 500 - 3), rgb(model::kYellow));  // the raised cut-off line
  loadText(2, "b.txt", ramp(10));
  EXPECT_EQ((Strs{form.Frame1.Caption, form.ShiftNum.Text}), (Strs{"Shift Chart Up  0", "3"}));
  form.ShiftNum.Text = "9";  // typed text is not the amount
  form.Shift2_Click();
  form.VScroll3.setValue(7);
  form.Shift2_Click();
  EXPECT_EQ((Strs{form.Frame1.Caption, form.Pntnum[1].Text, form.Pntnum[2].Text}),
            (Strs{"Shift Chart Up -10", "12", "19"}));
  EXPECT_EQ((std::vector{form.VScroll1.Value(), int(form.ShiftCount)}), (std::vector{10, -10}));
}

TEST_F(Shift, ZeroRederivesDeltaAndBeforeAnyLoadLengthensAnEmptyFile) {
  form.VScroll3.setValue(4);
  form.Shift2_Click();
  EXPECT_EQ(form.Pntnum[2].Text, "4");
  EXPECT_TRUE(form.Scan2 == model::Table{});
  loadText(1, "a.txt", ramp(50));
  form.Scan1[20][0] = 99.0;  // a Delta-T that no longer is Left - Right
  form.VScroll3.setValue(0);
  form.Shift1_Click();
  EXPECT_EQ(form.Pntnum[1].Text, "49");
  EXPECT_EQ(form.Scan1[20][0], form.Scan1[20][1] - form.Scan1[20][2]);
  EXPECT_TRUE(messages.shown.empty());
}

// Refused shifts show one "Error" box naming why and change nothing; up to
// the limit is fine.
TEST(ShiftLimits, RefusedWholeOrTakenWhole) {
  const struct {
    int points, lower, n;
    const char* why;
  } rows[] = {{501, 0, 1, "past point 500"}, {491, 0, 11, "past point 500"}, {491, 0, 10, nullptr},
              {300, 200, 26, "lower cut-off"}, {300, 200, 25, nullptr}};
  for (const auto& r : rows) {
    FormFixture fx;
    fx.loadText(1, "a.txt", ramp(r.points));
    fx.form.VScroll1.setValue(r.lower);
    fx.form.VScroll3.setValue(r.n);
    const FormState before = formState(fx.form);
    fx.form.Shift1_Click();
    const std::string what = std::to_string(r.points) + " + " + std::to_string(r.n);
    if (r.why) {
      ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
      EXPECT_EQ(fx.messages.shown[0].title, "Error");
      EXPECT_NE(fx.messages.shown[0].text.find(r.why), std::string::npos) << what << fx.messages.shown[0].text;
      EXPECT_TRUE(formState(fx.form) == before) << what << ": " << formState(fx.form).firstDifference(before);
    } else {
      EXPECT_TRUE(fx.messages.shown.empty()) << what;
      EXPECT_EQ(fx.form.pointCount(1), r.points - 1 + r.n) << what;
      EXPECT_EQ(fx.form.VScroll1.Value(), r.lower + r.n) << what;
    }
  }
}

}  // namespace
}  // namespace varnel::test
