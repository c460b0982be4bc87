// The window logic driven as a user would: loading and shifting scans, the chart with its cursors and channels,
// the smoothing, the slopes chart and the calculations, checked on texts, bars, tables and pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "model/number_text.hpp"
#include "support/form_state.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using model::kLightCyan, model::kLightRed, model::kYellow;
using Strs = std::vector<std::string>;
constexpr double kW = 287.0;

Strs row(const app::Form::Boxes& b) { return {b[0].Text, b[1].Text, b[2].Text}; }
std::string ramp(int n) {
  return scanOf(n, [](int i) { return std::pair{30 + 0.1 * i, 29 + 0.05 * i}; });
}
// Readings in file order, given by the point each lands on.
std::string byPoint(int n, const std::function<std::pair<double, double>(int)>& f) {
  return scanOf(n, [&](int r) { return f(n - 1 - r); });
}
// Whether the curve of a point passes the pixel of its x (the 2-pixel pen also covers the column to the left).
bool curveAt(const app::Form& f, double x, int point, int palette) {
  const int px = static_cast<int>(std::floor(x + 0.5));
  return f.Picture1.pixel(px, 500 - point) == rgb(palette) || f.Picture1.pixel(px - 1, 500 - point) == rgb(palette);
}

// One "Error" box holding each of `words`, and the window as `before` (but for the chart unless `chart`); returns
// the box's text.
std::string expectRefused(FormFixture& fx, const FormState& before, const Strs& words, const std::string& what,
                          bool chart = true) {
  FormState now = formState(fx.form);
  if (!chart) now.pixels = before.pixels, now.revision = before.revision;
  EXPECT_TRUE(now == before) << what << ": " << now.firstDifference(before);
  EXPECT_EQ(fx.messages.shown.size(), 1u) << what;
  if (fx.messages.shown.empty()) return {};
  const auto& [text, title] = fx.messages.shown[0];
  EXPECT_EQ(title, "Error") << what;
  for (const auto& w : words) EXPECT_NE(text.find(w), std::string::npos) << what << ": " << text;
  return text;
}

struct Chart : ::testing::Test, FormFixture {
  app::Form& f = form;
  std::string cursors() const {
    return std::to_string(f.VScroll1.Value()) + " " + std::to_string(f.VScroll2.Value()) + " " + f.LowerCutoff.Text +
           " " + f.UpperCutoff.Text;
  }
  Strs extremes() const {
    return {f.MaxTemp[1].Text, f.Max_at[0].Text, f.MinTemp[1].Text, f.Max_at[2].Text,
            f.MaxTemp[2].Text, f.Max_at[1].Text, f.MinTemp[2].Text, f.Max_at[3].Text};
  }
};
using Load = Chart;
using Calc = Chart;

TEST_F(Load, StoresReadingsLastFirstAndResetsCursorsAndStatesButNotTheOtherFile) {
  const auto r = [](int i) { return std::pair{30.0 + i * 0.5, 29.0 + i * 0.25}; };
  loadText(1, "ten.txt", scanOf(10, r));
  for (int j = 0; j <= 500; ++j) {
    const auto [left, right] = j <= 9 ? r(9 - j) : std::pair{0.0, 0.0};
    ASSERT_EQ(f.Scan1[j], (model::Row{left - right, left, right})) << j;
  }
  loadText(2, "b.txt", ramp(300));
  f.VScroll1.setValue(50);
  f.Smoothbutton_Click();
  const model::Table scan2 = f.Scan2;
  loadText(1, "empty.txt", "");
  EXPECT_EQ((Strs{cursors(), f.DataState[1], f.Pntnum[1].Text, f.Pntnum[2].Text, f.Filename[2].Text}),
            (Strs{"0 500 0 500", "Raw", "-1", "299", dir.file("b.txt")}));
  EXPECT_TRUE(f.Scan1 == model::Table{} && f.Scan2 == scan2 && messages.shown.empty());
}

// A refused load or shift shows one "Error" box saying why (a load: the file and the line) and changes nothing;
// nor does a cancelled dialog.
TEST_F(Load, RefusedLoadsAndShiftsChangeNothing) {
  loadText(1, "first.txt", ramp(300));
  loadText(2, "second.txt", scanOf(501, [](int i) { return std::pair{34.0, 33.0 + i % 11 * 0.2}; }));
  f.VScroll1.setValue(200);
  f.LineButton_Click(2);
  f.Smoothbutton_Click();
  f.ShiftCount = 2;
  const FormState before = formState(f);
  const std::pair<const char*, const char*> rows[] = {
      {"36.1,35.4\r\nabc,35\r\n", "line 2"},
      {"36.1,35.4\r\n36.0,35.9\r\n36,35C\r\n", "line 3"},
      {"36.1,35.4\r\n3.5e38,35\r\n", "line 2"},  // beyond single precision
      {"1,2\r\n3,-3.5E38\r\n", "line 2"},
      {"36.1,35.4\r\n36.0,35.9\r\n36.2\r\n\r\n", "line 3"},
      {"1,2\n3,4\n5,6\nseven,8\n", "line 4"},
      {nullptr, "absent.txt"},  // cannot be opened, never read
      {nullptr, ""},            // the folder itself
  };
  for (int file = 1; file <= 2; ++file)
    for (const auto& [content, where] : rows) {
      const std::string path = content ? dir.write("bad.txt", content) : dir.file(where);
      messages.shown.clear();
      load(file, path);
      load(file, "");
      const std::string what = std::string(content ? content : where) + ", File " + std::to_string(file);
      const std::string text = expectRefused(*this, before, {path, where}, what);
      EXPECT_TRUE(content || text.find("line") == std::string::npos) << text;
    }
  // File 2 ends at point 500, the lower cut-off stands at 200 of its 225.
  for (const auto& [file, n, why] : {std::tuple{2, 1, "past point 500"}, {1, 26, "lower cut-off"}}) {
    f.VScroll3.setValue(n);
    const FormState was = formState(f);
    messages.shown.clear();
    file == 1 ? f.Shift1_Click() : f.Shift2_Click();
    expectRefused(*this, was, {why}, why);
  }
  f.VScroll3.setValue(0);  // up to the limits is fine
  f.Shift2_Click();
  f.VScroll3.setValue(25);
  f.Shift1_Click();
  EXPECT_EQ((std::vector{int(messages.shown.size()), f.pointCount(1), f.pointCount(2), f.VScroll1.Value()}),
            (std::vector{1, 324, 500, 225}));
}

TEST_F(Load, ShiftsByTheBarsAmountCountedUntilTheNext) {
  loadText(1, "a.txt", ramp(10));
  f.Scan1[5][0] = 99.0;  // a Delta-T that is not Left - Right: the shift derives it again
  const model::Table before = f.Scan1;
  f.VScroll3.setValue(3);
  f.Shift1_Click();
  for (int i = 0; i <= 12; ++i) {
    const model::Row& b = before[std::max(i - 3, 0)];
    EXPECT_EQ(f.Scan1[i], (i < 3 ? model::Row{} : model::Row{b[1] - b[2], b[1], b[2]})) << i;
  }
  EXPECT_EQ((Strs{f.ShiftNum.Text, f.Pntnum[1].Text, f.Frame1.Caption, f.LowerCutoff.Text}),
            (Strs{"3", "12", "Shift Chart Up  3", "3"}));
  EXPECT_EQ(f.Picture1.pixel(100, 500 - 3), rgb(kYellow));  // the raised cut-off line
  loadText(2, "b.txt", ramp(10));
  EXPECT_EQ((Strs{f.Frame1.Caption, f.ShiftNum.Text}), (Strs{"Shift Chart Up  0", "3"}));
  f.ShiftNum.Text = "9";  // typed text is not the amount
  f.Shift2_Click();
  f.VScroll3.setValue(7);
  f.Shift2_Click();
  EXPECT_EQ((Strs{f.Frame1.Caption, f.Pntnum[1].Text, f.Pntnum[2].Text}), (Strs{"Shift Chart Up -10", "12", "19"}));
  EXPECT_EQ((std::vector{f.VScroll1.Value(), int(f.ShiftCount)}), (std::vector{10, -10}));
}

TEST_F(Chart, CutOffBarsDrawTheirLinesAndShortFilesPullThemBack) {
  for (int step = 0; step < 3; ++step) f.VScroll1.setValue(f.VScroll1.Value() + f.VScroll1.SmallChange);
  f.VScroll2.setValue(f.VScroll2.Value() - f.VScroll2.LargeChange);
  EXPECT_EQ(cursors(), "3 490 3 490");
  for (int y = 0; y < 500; ++y) ASSERT_EQ(countInRow(f.Picture1, y, rgb(kYellow)), y == 10 || y > 496 ? 287 : 0) << y;
  const FormState before = formState(f);
  f.VScroll1.setValue(3);  // the value it holds: nothing runs
  EXPECT_TRUE(formState(f) == before);

  loadText(1, "long.txt", ramp(501));
  loadText(2, "100.txt", ramp(100));
  f.VScroll1.setValue(150);
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(), "98 99 98 99");
  f.VScroll1.setValue(99);  // on the last point it stays
  f.LineButton_Click(1);
  EXPECT_EQ(cursors(), "99 99 99 99");
  // Below the bar's least value of 80, until the next load.
  loadText(2, "sixty.txt", ramp(60));
  EXPECT_EQ(cursors(), "0 59 0 59");
  loadText(1, "long.txt", ramp(501));
  f.VScroll2.setValue(70);
  EXPECT_EQ(f.VScroll2.Value(), 80);
}

TEST_F(Chart, ExtremesAndChannelsStayUntilClearedAndLoadingFile2EndsOnLeftTemp) {
  const double left[4] = {1.5, 2.5, 2.5, 0.5};
  loadText(1, "four.txt", byPoint(4, [&](int p) { return std::pair{left[p], 3.0}; }));
  f.LineButton_Click(1);
  EXPECT_EQ(extremes(), (Strs{"2.5", "1", "0.5", "3", "DegreesC", "", "DegreesC", ""}));
  EXPECT_EQ((std::vector{f.Norm1[1][1], f.Norm1[3][1], f.Norm1[4][1]}), (std::vector{0.9 * kW, 0.1 * kW, 0.0}));
  // Left rises with the point, right twice as fast: Delta-T falls.
  loadText(1, "mirror.txt", byPoint(101, [](int p) { return std::pair{30.0 + p * 0.1, 20.0 + p * 0.2}; }));
  f.LineButton_Click(0);
  f.LineButton_Click(1);
  EXPECT_TRUE(curveAt(f, 0.7 * kW, 25, kLightRed) && curveAt(f, 0.3 * kW, 25, kLightRed));  // Delta-T, Left Temp
  f.ClearButton_Click();
  f.LineButton_Click(1);
  EXPECT_FALSE(curveAt(f, 0.7 * kW, 25, kLightRed));
  loadText(2, "two.txt", ramp(90));
  EXPECT_EQ((Strs{f.LineButton[0].Caption, f.LineButton[1].Caption, f.LineButton[2].Caption, f.Label3.Caption}),
            (Strs{"Delta-T", "Left Temp ON", "Right Temp", "Left Temp"}));  // no trailing blank
  EXPECT_GT(countInRow(f.Picture1, 500 - 25, rgb(kLightCyan)), 0);          // File 2
  f.LineButton_Click(2);
  EXPECT_EQ((Strs{f.LineButton[1].Caption, f.LineButton[2].Caption, f.Label3.Caption}),
            (Strs{"Left Temp", "Right Temp ON", "Right Temp"}));
  // File 2 never above 0 shows the position File 1's search left.
  loadText(1, "one.txt", byPoint(100, [](int p) { return std::pair{p == 40 ? 37.0 : 35.2, 35.0}; }));
  loadText(2, "two.txt", byPoint(100, [](int p) { return std::pair{34.0, 34.5 + p * 0.001}; }));
  f.LineButton_Click(0);
  EXPECT_EQ((Strs{f.MaxTemp[2].Text, f.Max_at[1].Text}), (Strs{"0", "40"}));
}

TEST_F(Chart, SmoothingTakesTheSelectedChannelOfBothFilesBetweenTheBars) {
  const std::string spike = byPoint(501, [](int p) { return std::pair{p == 100 ? 11.0 : 0.0, std::sin(p * 1.7)}; });
  loadText(1, "one.txt", spike);
  loadText(2, "two.txt", spike);
  const model::Table before = f.Scan1;
  f.Smoothbutton_Click();  // Left Temp, selected by the load
  for (const auto* scan : {&f.Scan1, &f.Scan2}) {
    EXPECT_NEAR((*scan)[100][1], std::pow(12.0 / 11.0, 5), 1e-12);
    for (int i = 0; i <= 500; ++i) ASSERT_EQ((*scan)[i][2], before[i][2]) << i;
  }
  EXPECT_EQ(f.MaxTemp[1].Text, model::formatNumber(f.Scan1[100][1]));  // drawn again
  f.VScroll1.setValue(100);
  f.VScroll2.setValue(200);
  f.LineButton_Click(2);
  const model::Table right = f.Scan2;
  f.Smoothbutton_Click();
  for (int i = 0; i <= 500; ++i) ASSERT_EQ(f.Scan2[i][2] != right[i][2], i >= 105 && i <= 195) << i;
  f.LineButton_Click(0);
  EXPECT_EQ(f.Label13.Caption, "Raw");  // the state belongs to the channel
  f.VScroll1.setValue(200);             // crossed cut-offs average nothing, yet mark the channel
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
  // Left Temp with the given slopes at points 101..119 (0 elsewhere): File 1 spans -2..3, File 2 -1..5, its equal
  // maximum at 107 losing to 105.
  auto setSlopes = [](model::Table& norm, std::map<int, double> slope) {
    norm[0][1] = 100.0;
    for (int i = 1; i <= 200; ++i) norm[i][1] = norm[i - 1][1] + slope[i];
  };
  setSlopes(f.Norm1, {{101, 3.0}, {119, -2.0}});  // at either end of the range L + 1 .. U - 1
  setSlopes(f.Norm2, {{105, 5.0}, {107, 5.0}, {112, -1.0}});
  f.Slopes1[100][1] = 9.0, f.Slopes1[120][1] = -9.0;  // left by an earlier calculation, outside the range
  f.SlopeChart_Click();
  EXPECT_EQ(extremes(), (Strs{"3", "101", "-2", "119", "5", "105", "-1", "112"}));
  EXPECT_EQ(f.Label3.Caption, "Slopes");
  EXPECT_EQ(f.MaxVal1[1], 0.0f);  // the extremes tables keep their temperatures
  // Common range -2..5: slope s at 0.1W + (s + 2) * 0.8W / 7; 0 at 94.3, 3 at 192.7, -2 at 28.7, 5 at 258.3. File
  // 1's trace runs from point 101 to 119; the cut-off rows keep their yellow.
  for (const auto& [x, point, colour] :
       {std::tuple{94, 115, kLightCyan}, {193, 101, kLightRed}, {29, 119, kLightRed}, {258, 105, kLightCyan}})
    EXPECT_EQ(f.Picture1.pixel(x, 500 - point), rgb(colour)) << point;
  EXPECT_EQ(countInRow(f.Picture1, 400, rgb(kYellow)) + countInRow(f.Picture1, 380, rgb(kYellow)), 2 * 287);
  // Crossed cut-offs: the searches' start values and empty positions.
  f.VScroll1.setValue(200);
  f.VScroll2.setValue(150);
  f.SlopeChart_Click();
  EXPECT_EQ(extremes(), (Strs{"-80", "", "80", "", "-80", "", "80", ""}));
}

TEST_F(Calc, CorrelationAndSlopesOfEveryChannelMarkingOnlyTheOneOnShow) {
  f.VScroll1.setValue(60);
  f.VScroll2.setValue(80);
  const int partner[] = {0, 2, 1};
  for (int i = 60; i <= 80; ++i) {
    const int c = i % 3;
    f.Norm1[i] = {50.0 + 20 * c, 100.0 + 10 * c, 150.0 + 10 * c};
    f.Norm2[i] = {50.0 + 20 * c, 100.0 + 10 * partner[c], 200.0 - 10 * c};
  }
  f.LineSel = 1;
  f.CalcCorrelation_Click();
  EXPECT_EQ(row(f.Correlation), (Strs{"1", "0.5", "-1"}));
  EXPECT_EQ(f.Picture1.pixel(110, 500 - 120), rgb(kLightRed));  // a Left Temp dot at (x, H - y)
  EXPECT_EQ(f.Picture1.pixel(70, 500 - 70), rgb(kYellow));      // the identity line, no Delta-T dot
  EXPECT_EQ(f.Picture1.pixel(160, 500 - 190), rgb(0));          // no Right Temp dot

  f.Threshold.Text = "abc";  // counts as 0
  // Right Temp of File 2 steps up by 5 over 200..300: slopes differ at 200 and 301.
  f.Norm2 = f.Norm1 = {};
  for (int i = 200; i <= 300; ++i) f.Norm2[i][2] = 5.0;
  f.VScroll1.setValue(0);
  f.VScroll2.setValue(500);
  f.LineSel = 2;
  f.Picture1.line(1, 0, 2, 499, 15);
  f.CalcSlope_Click();
  EXPECT_EQ(row(f.SlopeComp), (Strs{"1", "1", "0.995991983967936"}));  // 497 / 499
  // Marked where Right Temp agrees; point 500 is blanked, not compared.
  for (const auto& [x, p, c] :
       {std::tuple{1, 250, kLightRed}, {2, 250, kLightRed}, {2, 200, 0}, {2, 301, 0}, {1, 500, 0}})
    EXPECT_EQ(f.Picture1.pixel(x, 500 - p), rgb(c)) << x << ", point " << p;
}

TEST_F(Calc, TwoRatiosMarkThePassesOfTheChannelOnShow) {
  f.VScroll1.setValue(100);
  f.VScroll2.setValue(109);  // one window, at 104
  for (int i = 100; i <= 109; ++i) {
    f.Norm1[i] = {1.0 * i, 200.0 + i, 0.0};
    f.Norm2[i] = {1.0 * i + 50, 30.0, 0.0};  // Left Temp: File 2 flat and far below
  }
  f.Quil_Tesk_Click();  // Delta-T on show
  EXPECT_EQ(row(f.r_ratio), (Strs{"1", "0", "0"}));
  EXPECT_EQ(row(f.t_ratio), (Strs{"1", "0", "0"}));
  const int colour[] = {0, 14, 14, 0, 13, 13, 0};  // columns 3..9: r passes, then t passes
  for (int x = 3; x <= 9; ++x) EXPECT_EQ(f.Picture1.pixel(x, 500 - 104), rgb(colour[x - 3])) << x;
  EXPECT_EQ(countInRow(f.Picture1, 500 - 104, rgb(0)), 287 - 4);
  f.Picture1.clear();
  f.LineSel = 2;  // no passes on Right Temp: Delta-T's stay unmarked
  f.Quil_Tesk_Click();
  EXPECT_EQ(countInRow(f.Picture1, 500 - 104, rgb(0)), 287);
}

// Every way the two-ratio method fails shows one "Error" box naming the channel and writes no result; passes
// before the failure are marked on the chart.
TEST(TwoRatioFailure, NamesTheChannelAndWritesNoResult) {
  const double big = std::ldexp(1.0, 500), tiny = std::ldexp(1.0, -525);  // exact sums, a t beyond any double
  const struct {
    int lower, upper, channel;
    double a, b0, b1;  // File 1 reads a throughout, File 2 b0 and b1 in turn
    const char* name;
  } rows[] = {
      {100, 300, 0, 1e200, 1.0, 2.0, "Delta-T"},  {100, 300, 1, 1.0, 2.0, -1e200, "Left Temp"},  // sums overflow
      {0, 500, 2, 1e160, 0.0, 0.0, "Right Temp"}, {100, 300, 2, big, 0.0, tiny, "Right Temp"},
      {100, 300, 1, big, 0.0, tiny, "Left Temp"},                                           // t overflows
      {100, 108, 1, 1.0, 2.0, 3.0, "Delta-T"},    {300, 100, 2, 1.0, 2.0, 3.0, "Delta-T"},  // no window
  };
  for (const auto& r : rows) {
    FormFixture fx;
    app::Form& f = fx.form;
    f.VScroll1.setValue(r.lower);
    f.VScroll2.setValue(r.upper);
    for (int i = std::min(r.lower, r.upper); i <= std::max(r.lower, r.upper); ++i) {
      f.Norm1[i][r.channel] = r.a;
      f.Norm2[i][r.channel] = i % 2 ? r.b1 : r.b0;
    }
    const FormState before = formState(f);
    f.Quil_Tesk_Click();
    const std::string text = expectRefused(fx, before, {}, r.name + (" over " + std::to_string(r.lower)), false);
    EXPECT_EQ(text, std::string("Calculation Error try smoothing or clipping ") + r.name);
  }
}

}  // namespace
}  // namespace varnel::test
