// Start-up values and scan loading, driven through the form as a user would:
// menu clicks, scripted file dialogs, bar moves.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Readings = std::vector<std::pair<double, double>>;

Readings makeReadings(int n, const std::function<std::pair<double, double>(int)>& f) {
  Readings r;
  for (int i = 0; i < n; ++i) r.push_back(f(i));
  return r;
}

double at(const model::Table& t, int point, int ch) {
  return t[static_cast<std::size_t>(point)][static_cast<std::size_t>(ch)];
}

std::vector<std::uint32_t> pixels(const app::Form& f) {
  const auto* p = f.Picture1.bits();
  return {p, p + f.Picture1.ScaleWidth() * f.Picture1.ScaleHeight()};
}

int countColour(const app::Form& f, int palette) {
  int n = 0;
  for (int y = 0; y < f.Picture1.ScaleHeight(); ++y) n += f.Picture1.countInRow(y, rgb(palette));
  return n;
}

// Everything a load may change, or a refused load must leave alone.
struct Snapshot {
  std::vector<std::string> texts;
  model::Table scan1, scan2, norm1, norm2;
  std::vector<std::uint32_t> pixels;
  int lower = 0, upper = 0, upperMin = 0;
  int shiftCount = 0, lineSel = 0;
};

Snapshot snapshot(app::Form& f) {
  Snapshot s;
  for (const char* name : {"Filename", "Pntnum", "MaxTemp", "MinTemp"})
    for (int i = 1; i <= 2; ++i) s.texts.push_back(std::string(name) + "=" + *f.text(name, i));
  for (int i = 0; i < 4; ++i) s.texts.push_back("Max_at=" + f.Max_at[i].Text);
  for (int i = 0; i < 3; ++i) s.texts.push_back("LineButton=" + f.LineButton[i].Caption);
  for (int i = 0; i < 3; ++i) s.texts.push_back("DataState=" + f.DataState[i]);
  for (const char* name : {"LowerCutoff", "UpperCutoff", "Frame1", "Label3", "Label13"})
    s.texts.push_back(std::string(name) + "=" + *f.text(name));
  s.scan1 = f.Scan1;
  s.scan2 = f.Scan2;
  s.norm1 = f.Norm1;
  s.norm2 = f.Norm2;
  s.pixels = pixels(f);
  s.lower = f.VScroll1.Value();
  s.upper = f.VScroll2.Value();
  s.upperMin = f.VScroll2.Min;
  s.shiftCount = f.ShiftCount;
  s.lineSel = f.LineSel;
  return s;
}

void expectSame(const Snapshot& a, const Snapshot& b, const std::string& what) {
  EXPECT_EQ(a.texts, b.texts) << what;
  EXPECT_TRUE(a.scan1 == b.scan1) << what;
  EXPECT_TRUE(a.scan2 == b.scan2) << what;
  EXPECT_TRUE(a.norm1 == b.norm1) << what;
  EXPECT_TRUE(a.norm2 == b.norm2) << what;
  EXPECT_TRUE(a.pixels == b.pixels) << what << ": the chart changed";
  EXPECT_EQ(a.lower, b.lower) << what;
  EXPECT_EQ(a.upper, b.upper) << what;
  EXPECT_EQ(a.upperMin, b.upperMin) << what;
  EXPECT_EQ(a.shiftCount, b.shiftCount) << what;
  EXPECT_EQ(a.lineSel, b.lineSel) << what;
}

TEST(FormStartUp, TextsStatesAndEmptyChart) {
  FormFixture fx;
  app::Form& f = fx.form;
  EXPECT_EQ(f.Pntnum[1].Text, "0");
  EXPECT_EQ(f.Pntnum[2].Text, "0");
  EXPECT_EQ(f.Filename[1].Text, "Text2");
  EXPECT_EQ(f.Filename[2].Text, "Text2");
  EXPECT_EQ(f.Label3.Caption, "Scanning");
  EXPECT_EQ(f.Label13.Caption, "Raw");
  EXPECT_EQ(f.MaxTemp[1].Text, "Degrees C");
  EXPECT_EQ(f.MinTemp[1].Text, "Degrees C");
  EXPECT_EQ(f.MaxTemp[2].Text, "DegreesC");
  EXPECT_EQ(f.MinTemp[2].Text, "DegreesC");
  for (const auto& box : f.Max_at) EXPECT_EQ(box.Text, "");
  EXPECT_EQ(f.LineButton[0].Caption, "Delta-T");
  EXPECT_EQ(f.LineButton[1].Caption, "Left Temp");
  EXPECT_EQ(f.LineButton[2].Caption, "Right Temp ");
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up");
  EXPECT_EQ(f.LowerCutoff.Text, "0");
  EXPECT_EQ(f.UpperCutoff.Text, "500");
  EXPECT_EQ(f.VScroll1.Value(), 0);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  EXPECT_EQ(f.LineSel, 0);
  for (const auto& s : f.DataState) EXPECT_EQ(s, "Raw");
  const char* names[7] = {"Delta-T", "Left Temp", "Right Temp", "Delta-T ON", "Left Temp ON", "Right Temp ON",
                          "Slopes"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(f.ChannelNames[i], names[i]);
  EXPECT_EQ(countColour(f, 0), f.Picture1.ScaleWidth() * f.Picture1.ScaleHeight());
  EXPECT_TRUE(fx.dialog.calls.empty());
}

TEST(FormStartUp, ThresholdFollowsItsBar) {
  FormFixture fx;
  EXPECT_EQ(fx.form.VScroll4.Value(), 100);
  EXPECT_EQ(fx.form.Threshold.Text, "1");
}

TEST(ScanLoad, TenReadingsAreStoredReversedWithDeltaT) {
  FormFixture fx;
  const Readings r = makeReadings(10, [](int i) { return std::pair{30.0 + i * 0.5, 29.0 + i * 0.25}; });
  const std::string path = fx.loadText(1, "ten.txt", scanText(r));
  app::Form& f = fx.form;

  ASSERT_EQ(fx.dialog.calls.size(), 1u);
  EXPECT_EQ(fx.dialog.calls[0].kind, app::DialogKind::Open);
  EXPECT_EQ(fx.dialog.calls[0].filter, "Data Files (*.txt)|*.txt");
  EXPECT_EQ(fx.dialog.calls[0].defaultName, "Untitled.txt");
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(f.Filename[1].Text, path);
  EXPECT_EQ(f.Pntnum[1].Text, "9");
  EXPECT_EQ(f.PointCount, 9);
  EXPECT_EQ(f.Pntnum[2].Text, "0");
  for (int j = 0; j <= 9; ++j) {
    EXPECT_EQ(at(f.Scan1, j, 1), r[static_cast<std::size_t>(9 - j)].first) << j;
    EXPECT_EQ(at(f.Scan1, j, 2), r[static_cast<std::size_t>(9 - j)].second) << j;
    EXPECT_EQ(at(f.Scan1, j, 0), at(f.Scan1, j, 1) - at(f.Scan1, j, 2)) << j;
    EXPECT_EQ(at(f.LoadBuf, j, 1), r[static_cast<std::size_t>(j)].first) << j;
  }
  for (int j = 10; j <= 500; ++j)
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(at(f.Scan1, j, ch), 0.0) << j;
  // File 1 alone draws nothing: only the cursor line of 500 (row 0) appears.
  EXPECT_EQ(countColour(f, 12), 0);
  EXPECT_EQ(countColour(f, 14), f.Picture1.ScaleWidth());
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up  0");
}

TEST(ScanLoad, DeltaTIsLeftMinusRight) {
  FormFixture fx;
  fx.loadText(1, "pair.txt", "36.1,35.4\r\n35.0,35.9\r\n");
  // Point 0 holds the last reading.
  EXPECT_EQ(at(fx.form.Scan1, 1, 1), 36.1);
  EXPECT_EQ(at(fx.form.Scan1, 1, 2), 35.4);
  EXPECT_NEAR(at(fx.form.Scan1, 1, 0), 0.7, 1e-12);
  EXPECT_NEAR(at(fx.form.Scan1, 0, 0), -0.9, 1e-12);
}

TEST(ScanLoad, MoreThan501ReadingsKeepTheFirst501) {
  FormFixture fx;
  const Readings r = makeReadings(600, [](int i) { return std::pair{1000.0 + i, -double(i)}; });
  // Line 601 would be refused were it read.
  fx.loadText(2, "long.txt", scanText(r) + "not a number\r\n");
  app::Form& f = fx.form;
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(f.Pntnum[2].Text, "500");
  EXPECT_EQ(at(f.Scan2, 0, 1), 1500.0);  // reading 501
  EXPECT_EQ(at(f.Scan2, 500, 1), 1000.0);
  EXPECT_EQ(at(f.Scan2, 0, 0), 1500.0 + 500.0);
}

TEST(ScanLoad, EmptyFileGivesMinusOneAndNoCurve) {
  FormFixture fx;
  const Readings r = makeReadings(501, [](int i) { return std::pair{36.0 + i * 0.01, 35.0}; });
  fx.loadText(1, "full.txt", scanText(r));
  fx.loadText(1, "empty.txt", "");
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(fx.form.Pntnum[1].Text, "-1");
  EXPECT_EQ(fx.form.PointCount, -1);
  EXPECT_TRUE(fx.form.Scan1 == model::Table{});
  fx.loadText(2, "blank.txt", "\r\n\r\n  \r\n");
  EXPECT_EQ(fx.form.Pntnum[2].Text, "-1");
  // Neither file is drawn: the chart holds grid and cut-off lines only.
  EXPECT_EQ(countColour(fx.form, 12) + countColour(fx.form, 11), 0);
  EXPECT_EQ(fx.form.MaxTemp[1].Text, "Degrees C");
}

TEST(ScanLoad, ResetsCursorsStatesAndShiftCount) {
  FormFixture fx;
  app::Form& f = fx.form;
  const Readings r = makeReadings(501, [](int i) { return std::pair{36.0 + (i % 13) * 0.1, 35.0 + (i % 7) * 0.1}; });
  fx.loadText(1, "a.txt", scanText(r));
  fx.loadText(2, "b.txt", scanText(r));
  f.Smoothbutton_Click();
  ASSERT_EQ(f.DataState[1], "Smoothed");
  f.ShiftCount = -4;  // as a shift of File 2 would leave it
  f.ClearButton_Click();
  f.VScroll1.setValue(50);
  f.VScroll2.setValue(300);
  const int W = f.Picture1.ScaleWidth();
  ASSERT_EQ(f.Picture1.countInRow(500 - 50, rgb(14)), W);

  fx.loadText(1, "c.txt", scanText(r));
  EXPECT_EQ(f.VScroll1.Value(), 0);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  EXPECT_EQ(f.LowerCutoff.Text, "0");
  EXPECT_EQ(f.UpperCutoff.Text, "500");
  for (const auto& s : f.DataState) EXPECT_EQ(s, "Raw");
  EXPECT_EQ(f.ShiftCount, 0);
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up  0");
  // The old cursor lines stay until the chart is cleared.
  EXPECT_EQ(f.Picture1.countInRow(500 - 50, rgb(14)), W);
  EXPECT_EQ(f.Picture1.countInRow(500 - 300, rgb(14)), W);
  EXPECT_EQ(f.Picture1.countInRow(0, rgb(14)), W);
}

TEST(ScanLoad, ReloadingOneFileLeavesTheOther) {
  FormFixture fx;
  app::Form& f = fx.form;
  const Readings a = makeReadings(200, [](int i) { return std::pair{36.0 + i * 0.01, 35.0}; });
  const Readings b = makeReadings(300, [](int i) { return std::pair{34.0, 33.0 - i * 0.01}; });
  const Readings c = makeReadings(50, [](int i) { return std::pair{20.0 + i, 10.0}; });
  const std::string pathA = fx.loadText(1, "a.txt", scanText(a));
  const std::string pathB = fx.loadText(2, "b.txt", scanText(b));
  const model::Table scan1 = f.Scan1, scan2 = f.Scan2;

  const std::string pathC = fx.loadText(1, "c.txt", scanText(c));
  EXPECT_TRUE(f.Scan2 == scan2);
  EXPECT_EQ(f.Pntnum[2].Text, "299");
  EXPECT_EQ(f.Filename[2].Text, pathB);
  EXPECT_EQ(f.Filename[1].Text, pathC);
  EXPECT_EQ(f.Pntnum[1].Text, "49");
  EXPECT_EQ(at(f.Scan1, 0, 1), 69.0);
  EXPECT_EQ(at(f.Scan1, 50, 1), 0.0);  // the longer earlier File 1 is gone

  fx.loadText(2, "a2.txt", scanText(a));
  EXPECT_EQ(f.Filename[1].Text, pathC);
  EXPECT_EQ(f.Pntnum[1].Text, "49");
  EXPECT_TRUE(f.Scan2 == scan1);
}

TEST(ScanLoad, ClickingAFileNameBoxOpensThatFile) {
  FormFixture fx;
  app::Form& f = fx.form;
  const std::string path = fx.dir.write("s.txt", "1,2\r\n3,4\r\n");
  f.Filename_Click(0);
  f.Filename_Click(3);
  EXPECT_TRUE(fx.dialog.calls.empty());

  f.Filename_Click(2);  // cancelled
  ASSERT_EQ(fx.dialog.calls.size(), 1u);
  EXPECT_EQ(fx.dialog.calls[0].defaultName, "Untitled.txt");
  EXPECT_EQ(f.Filename[2].Text, "Text2");

  fx.dialog.answers.push_back(path);
  f.Filename_Click(2);
  EXPECT_EQ(f.Filename[2].Text, path);
  EXPECT_EQ(f.Pntnum[2].Text, "1");
  EXPECT_EQ(f.LineSel, 1);  // as "&Open File2": all channels drawn
  EXPECT_TRUE(fx.form.click("Filename", 1));
  EXPECT_EQ(fx.dialog.calls.size(), 3u);
}

// A window holding two loaded, smoothed scans with moved cursors.
struct LoadedFixture : FormFixture {
  LoadedFixture() {
    const Readings a = makeReadings(400, [](int i) { return std::pair{36.0 + (i % 17) * 0.1, 35.5}; });
    const Readings b = makeReadings(501, [](int i) { return std::pair{34.0, 33.0 + (i % 11) * 0.2}; });
    loadText(1, "first.txt", scanText(a));
    loadText(2, "second.txt", scanText(b));
    form.VScroll1.setValue(20);
    form.VScroll2.setValue(350);
    form.LineButton_Click(2);
    form.Smoothbutton_Click();
    form.ShiftCount = 2;  // as a shift of File 1 would leave it
    form.Frame1.Caption = "Shift Chart Up  2";
  }
};

TEST(ScanLoadRefused, MalformedFileChangesNothing) {
  struct Case {
    const char* what;
    std::string content;
    const char* line;
  };
  const Case cases[] = {
      {"text", "36.1,35.4\r\nabc,35\r\n", "line 2"},
      {"text after a number", "36.1,35.4\r\n36.0,35.9\r\n36,35C\r\n", "line 3"},
      {"odd field count", "36.1,35.4\r\n36.0\r\n", "line 2"},
      {"odd, blank lines after", "36.1,35.4\r\n36.0,35.9\r\n36.2\r\n\r\n\r\n", "line 3"},
      {"not finite", "36.1,35.4\r\n1e999,35\r\n", "line 2"},
      {"empty field", "36.1,,35.4\r\n", "line 1"},
      {"quoted", "\"36.1\",\"35.4\"\r\n", "line 1"},
      {"LF lines", "1,2\n3,4\n5,6\nseven,8\n", "line 4"},
      {"CR lines", "1,2\r3,4\r5,x\r", "line 3"},
  };
  for (int file = 1; file <= 2; ++file)
    for (const auto& c : cases) {
      LoadedFixture fx;
      const Snapshot before = snapshot(fx.form);
      const std::string path = fx.loadText(file, "bad.txt", c.content);
      const std::string what = std::string(c.what) + ", File " + std::to_string(file);
      ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
      const std::string& text = fx.messages.shown[0].text;
      EXPECT_NE(text.find(path), std::string::npos) << what << ": " << text;
      EXPECT_NE(text.find(c.line), std::string::npos) << what << ": " << text;
      expectSame(snapshot(fx.form), before, what);
    }
}

TEST(ScanLoadRefused, UnopenableFileAndCancelledDialogChangeNothing) {
  LoadedFixture fx;
  const Snapshot before = snapshot(fx.form);

  const std::string missing = fx.dir.file("absent.txt");
  fx.load(1, missing);
  ASSERT_EQ(fx.messages.shown.size(), 1u);
  EXPECT_NE(fx.messages.shown[0].text.find(missing), std::string::npos) << fx.messages.shown[0].text;
  expectSame(snapshot(fx.form), before, "missing file");

  fx.load(2, fx.dir.path().string());  // a folder, not a file
  EXPECT_EQ(fx.messages.shown.size(), 2u);
  expectSame(snapshot(fx.form), before, "folder");

  fx.load(1, "");
  fx.load(2, "");
  EXPECT_EQ(fx.messages.shown.size(), 2u);
  expectSame(snapshot(fx.form), before, "cancelled");
}

}  // namespace
}  // namespace varnel::test
