// The four "Calc Now" buttons on normalised tables set up by hand, and the
// two files the window writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "model/number_text.hpp"
#include "support/form_state.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Strs = std::vector<std::string>;
Strs row(const app::TextBox* b) { return {b[0].Text, b[1].Text, b[2].Text}; }
struct Calc : ::testing::Test, FormFixture {};

TEST_F(Calc, CorrelationAreaAndSlopesOfEveryChannelMarkingOnlyTheOneOnShow) {
  form.VScroll1.setValue(60);
  form.VScroll2.setValue(80);
  const int partner[] = {0, 2, 1};
  for (int i = 60; i <= 80; ++i) {
    const int c = i % 3;
    form.Norm1[i] = {50.0 + 20 * c, 100.0 + 10 * c, 150.0 + 10 * c};
    form.Norm2[i] = {50.0 + 20 * c, 100.0 + 10 * partner[c], 200.0 - 10 * c};
  }
  form.LineSel = 1;
  form.CalcCorrelation_Click();
  EXPECT_EQ(row(form.Correlation), (Strs{"1", "0.5", "-1"}));
  EXPECT_EQ(form.Picture1.pixel(110, 500 - 120), rgb(12));  // a Left Temp dot at (x, H - y)
  EXPECT_EQ(form.Picture1.pixel(70, 500 - 70), rgb(14));    // the identity line, no Delta-T dot
  EXPECT_EQ(form.Picture1.pixel(160, 500 - 190), rgb(0));   // no Right Temp dot

  form.Norm2 = form.Norm1 = {};
  form.VScroll1.setValue(10);
  for (int i = 10; i <= 80; ++i) form.Norm2[i][1] = 20.0;
  form.CalcArea_Click();
  EXPECT_EQ(row(form.AreaRatio), (Strs{"1", "0.911647585863614", "1"}));  // D = 71 x 20, F = 287 x 0.8 x 70

  form.VScroll4.setValue(37);
  EXPECT_EQ(form.Threshold.Text, "0.37");
  form.Threshold.Text = "abc";  // counts as 0
  // Right Temp of File 2 steps up by 5 over 200..300: slopes differ at 200 and 301.
  for (int i = 200; i <= 300; ++i) form.Norm2[i][2] = 5.0;
  form.VScroll1.setValue(0);
  form.VScroll2.setValue(500);
  form.LineSel = 2;
  form.Picture1.line(1, 0, 2, 499, 15);
  form.CalcSlope_Click();
  EXPECT_EQ(row(form.SlopeComp), (Strs{"1", "0.995991983967936", "0.995991983967936"}));  // 497 / 499
  EXPECT_EQ((std::vector{form.Picture1.pixel(1, 500 - 250), form.Picture1.pixel(2, 500 - 250),
                         form.Picture1.pixel(2, 500 - 200), form.Picture1.pixel(2, 500 - 301)}),
            (std::vector{rgb(12), rgb(12), rgb(0), rgb(0)}));  // marked where Right Temp agrees
  EXPECT_EQ(form.Picture1.pixel(1, 0), rgb(0));  // point 500 is blanked, not compared
}

TEST_F(Calc, TwoRatiosOverOneWindowAndOverTheFullRange) {
  form.VScroll1.setValue(100);
  form.VScroll2.setValue(109);  // one window, at 104
  for (int i = 100; i <= 109; ++i) {
    form.Norm1[i] = {1.0 * i, 200.0 + i, 0.0};
    form.Norm2[i] = {1.0 * i + 50, 30.0, 0.0};  // Left Temp: File 2 flat and far below
  }
  form.Quil_Tesk_Click();  // Delta-T on show
  EXPECT_EQ(row(form.r_ratio), (Strs{"1", "0", "0"}));
  EXPECT_EQ(row(form.t_ratio), (Strs{"1", "0", "0"}));
  const int colour[] = {0, 14, 14, 0, 13, 13, 0};  // columns 3..9: r passes, then t passes
  for (int x = 3; x <= 9; ++x) EXPECT_EQ(form.Picture1.pixel(x, 500 - 104), rgb(colour[x - 3])) << x;
  EXPECT_EQ(countInRow(form.Picture1, 500 - 104, rgb(0)), 287 - 4);

  // Left Temp levels off at point 246: 246 of the 492 windows are not flat.
  for (int i = 0; i <= model::kLastPoint; ++i)
    form.Norm1[i] = form.Norm2[i] = {1.0 * i, 1.0 * std::min(i, 246), 0.5 * i};
  form.VScroll1.setValue(0);
  form.VScroll2.setValue(500);
  form.Quil_Tesk_Click();
  EXPECT_EQ(row(form.r_ratio), (Strs{"1", "0.5", "1"}));
  EXPECT_EQ(row(form.t_ratio), (Strs{"1", "0.5", "1"}));
  EXPECT_TRUE(messages.shown.empty());
}

// Every way the two-ratio method fails: one "Error" box naming the channel,
// and not one result box touched.
TEST(TwoRatioFailure, NamesTheChannelAndWritesNoResult) {
  const double big = std::ldexp(1.0, 500), tiny = std::ldexp(1.0, -525);  // exact sums, a t beyond any double
  const struct {
    int lower, upper, channel;
    double a, b0, b1;  // File 1 reads a throughout, File 2 b0 and b1 in turn
    const char* name;
  } rows[] = {
      {100, 300, 0, 1e200, 1.0, 2.0, "Delta-T"},  {100, 300, 1, 1.0, 2.0, -1e200, "Left Temp"},  // sums overflow
      {0, 500, 2, 1e160, 0.0, 0.0, "Right Temp"}, {100, 300, 2, big, 0.0, tiny, "Right Temp"},
      {100, 300, 1, big, 0.0, tiny, "Left Temp"},  // t overflows
      {100, 108, 1, 1.0, 2.0, 3.0, "Delta-T"},    {300, 100, 2, 1.0, 2.0, 3.0, "Delta-T"},  // no window
  };
  for (const auto& r : rows) {
    FormFixture fx;
    app::Form& f = fx.form;
    for (app::TextBox* boxes : {f.AreaRatio, f.SlopeComp, f.Correlation, f.r_ratio, f.t_ratio})
      for (int k = 0; k < 3; ++k) boxes[k].Text = "kept";
    f.VScroll1.setValue(r.lower);
    f.VScroll2.setValue(r.upper);
    for (int i = std::min(r.lower, r.upper); i <= std::max(r.lower, r.upper); ++i) {
      f.Norm1[i][r.channel] = r.a;
      f.Norm2[i][r.channel] = i % 2 ? r.b1 : r.b0;
    }
    const FormState before = formState(f);
    f.Quil_Tesk_Click();
    FormState after = formState(f);
    after.pixels = before.pixels, after.revision = before.revision;  // passes before the failure are marked
    const std::string what = std::string(r.name) + " " + std::to_string(r.a) + " over " + std::to_string(r.lower);
    ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
    EXPECT_EQ(fx.messages.shown[0].title, "Error");
    EXPECT_EQ(fx.messages.shown[0].text, std::string("Calculation Error try smoothing or clipping ") + r.name) << what;
    EXPECT_TRUE(after == before) << what << ": " << after.firstDifference(before);
  }
}

struct Files : ::testing::Test, FormFixture {};

TEST_F(Files, ResultsTakeEveryValueFromItsOwnPlaceAndExportFollowsTheCursors) {
  auto& f = form;
  f.Filename[1].Text = "one", f.Pntnum[1].Text = "12", f.Filename[2].Text = "two", f.Pntnum[2].Text = "13";
  float* values[] = {f.MaxVal1, f.MinVal1, f.MaxVal2, f.MinVal2};
  std::int16_t* points[] = {f.MaxAt1, f.MinAt1, f.MaxAt2, f.MinAt2};
  app::TextBox* boxes[] = {f.AreaRatio, f.SlopeComp, f.Correlation, f.r_ratio, f.t_ratio};
  for (int ch = 0; ch < 3; ++ch) {
    for (int k = 0; k < 4; ++k) values[k][ch] = float(10 * k + 10 + ch), points[k][ch] = std::int16_t(10 * k + 110 + ch);
    for (int k = 0; k < 5; ++k) boxes[k][ch].Text = "ascrt"[k] + std::to_string(ch);
    f.DataState[ch] = "d" + std::to_string(ch);
  }
  f.MinVal1[0] = -0.3f;
  f.ShiftCount = -4;
  f.Norm1[100] = {1.5, 2.5, 3.5};
  f.Norm2[100] = {-1, 0.25, 287};
  f.VScroll2.setValue(100);
  f.VScroll1.setValue(100);
  f.LowerCutoff.Text = "typed";  // the boxes' text, not the bars
  f.UpperCutoff.Text = "";
  dialog.answers = {dir.file("r.txt"), dir.file("n.txt")};
  f.filesave_Click();
  f.normexport_Click();
  EXPECT_EQ(readAll(dir.file("r.txt")),
            "\"one\"\r\n\"12\"\r\n11\r\n10\r\n12\r\n111\r\n110\r\n112\r\n21\r\n-0.3\r\n22\r\n121\r\n120\r\n122\r\n"
            "\"two\"\r\n\"13\"\r\n31\r\n30\r\n32\r\n131\r\n130\r\n132\r\n41\r\n40\r\n42\r\n141\r\n140\r\n142\r\n"
            "-4\r\n\"typed\"\r\n\"\"\r\n\"d1\"\r\n\"d0\"\r\n\"d2\"\r\n\"a1\"\r\n\"a0\"\r\n\"a2\"\r\n\"s1\"\r\n"
            "\"s0\"\r\n\"s2\"\r\n\"c1\"\r\n\"c0\"\r\n\"c2\"\r\n\"r1\"\r\n\"r0\"\r\n\"r2\"\r\n\"t1\"\r\n\"t0\"\r\n\"t2\"\r\n");
  EXPECT_EQ(readAll(dir.file("n.txt")), "\"one\",,,\"two\"\r\n2.5,3.5,1.5,0.25,287,-1\r\n");
  EXPECT_EQ((Strs{dialog.calls[0].defaultName, dialog.calls[1].defaultName}), (Strs{"OutputAA.txt", "NormAA.txt"}));
}

// A cancelled dialog writes nothing and says nothing; a failed write shows one
// "Error" box naming the path and why. Neither changes the window.
TEST_F(Files, CancelledOrFailedWrites) {
  namespace fs = std::filesystem;
  loadText(1, "a.txt", scanText({{30, 29}, {31.5, 29.25}, {33, 28}, {32, 30.5}}));
  fs::create_directory(dir.path() / "ro");
  const std::string old = dir.write("ro/OutputAA.txt", "old\r\n");
  fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  const std::string missing = dir.file("no such folder/out.txt"), folder = dir.path().string();
  const std::pair<std::string, std::string> rows[] = {
      {"", ""}, {missing, "No such file or directory"}, {folder, "Filename refers to a directory"},
      {old, "Permission denied"}};
  const FormState before = formState(form);
  for (const auto& [target, why] : rows) {
    // Permission bits do not stop the superuser: write as "nobody" in a child.
    const bool asNobody = target == old && geteuid() == 0;
    const pid_t child = asNobody ? fork() : 0;
    ASSERT_NE(child, -1);
    if (child == 0) {
      if (asNobody && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
      messages.shown.clear();
      dialog.answers = {target, target};
      form.filesave_Click();
      form.normexport_Click();
      const auto said = [&](std::size_t i, const char* file) {
        return messages.shown[i].title == "Error" &&
               messages.shown[i].text == "Cannot write the " + std::string(file) + " file \"" + target + "\": " + why + ".";
      };
      const bool ok = target.empty() ? messages.shown.empty()
                                     : messages.shown.size() == 2 && said(0, "results") && said(1, "export");
      if (asNobody) _exit(ok ? 0 : 1);
      EXPECT_TRUE(ok) << target << ": " << (messages.shown.empty() ? "" : messages.shown[0].text);
    } else {
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "read-only folder, as nobody";
    }
    EXPECT_TRUE(formState(form) == before) << target << ": " << formState(form).firstDifference(before);
  }
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  EXPECT_EQ(readAll(old), "old\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // a.txt, ro
}

}  // namespace
}  // namespace varnel::test
