// Start-up values and scan loading, driven through the form as a user would.
#include <gtest/gtest.h>

#include <functional>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Readings = std::vector<std::pair<double, double>>;

Readings readings(int n, const std::function<std::pair<double, double>(int)>& f) {
  Readings r;
  for (int i = 0; i < n; ++i) r.push_back(f(i));
  return r;
}

int countColour(const app::Form& f, int palette) {
  int n = 0;
  for (int y = 0; y < f.Picture1.ScaleHeight(); ++y) n += f.Picture1.countInRow(y, rgb(palette));
  return n;
}

// Everything a refused load must leave as it was.
struct Snapshot {
  std::vector<std::string> texts;
  model::Table scan1, scan2, norm1, norm2;
  std::vector<std::uint32_t> pixels;
  std::vector<int> numbers;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(app::Form& f) {
  Snapshot s{{}, f.Scan1, f.Scan2, f.Norm1, f.Norm2, {f.Picture1.bits(), f.Picture1.bits() + 287 * 500}, {}};
  for (const char* name : {"Filename", "Pntnum", "MaxTemp", "MinTemp", "Max_at", "LineButton"})
    for (int i = 0; i < 4; ++i)
      if (const std::string* t = f.text(name, i)) s.texts.push_back(std::string(name) + "=" + *t);
  for (const char* name : {"LowerCutoff", "UpperCutoff", "Frame1", "Label3", "Label13"})
    s.texts.push_back(std::string(name) + "=" + *f.text(name));
  for (const auto& state : f.DataState) s.texts.push_back(state);
  s.numbers = {f.VScroll1.Value(), f.VScroll2.Value(), f.VScroll2.Min, f.ShiftCount, f.LineSel};
  return s;
}

TEST(FormStartUp, TextsAndAnEmptyChart) {
  FormFixture fx;
  const std::tuple<const char*, int, const char*> texts[] = {
      {"Pntnum", 1, "0"},        {"Pntnum", 2, "0"},           {"Filename", 1, "Text2"},
      {"Filename", 2, "Text2"},  {"Label3", -1, "Scanning"},   {"Label13", -1, "Raw"},
      {"MaxTemp", 1, "Degrees C"}, {"MinTemp", 1, "Degrees C"}, {"MaxTemp", 2, "DegreesC"},
      {"MinTemp", 2, "DegreesC"}, {"Max_at", 0, ""},           {"LineButton", 2, "Right Temp "},
      {"Frame1", -1, "Shift Chart Up"}, {"LowerCutoff", -1, "0"}, {"UpperCutoff", -1, "500"},
      {"Threshold", -1, "1"},
  };
  for (const auto& [name, index, text] : texts) EXPECT_EQ(*fx.form.text(name, index), text) << name << index;
  EXPECT_EQ(fx.form.VScroll4.Value(), 100);
  for (const auto& s : fx.form.DataState) EXPECT_EQ(s, "Raw");
  EXPECT_EQ(countColour(fx.form, 0), 287 * 500);
}

TEST(ScanLoad, ReadingsAreStoredReversedWithDeltaT) {
  FormFixture fx;
  app::Form& f = fx.form;
  Readings r = readings(10, [](int i) { return std::pair{30.0 + i * 0.5, 29.0 + i * 0.25}; });
  r[8] = {36.1, 35.4};
  r[9] = {35.0, 35.9};
  const std::string path = fx.loadText(1, "ten.txt", scanText(r));
  ASSERT_EQ(fx.dialog.calls.size(), 1u);
  EXPECT_EQ(fx.dialog.calls[0].kind, app::DialogKind::Open);
  EXPECT_EQ(fx.dialog.calls[0].filter, "Data Files (*.txt)|*.txt");
  EXPECT_EQ(fx.dialog.calls[0].defaultName, "Untitled.txt");
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(f.Filename[1].Text, path);
  EXPECT_EQ(f.Pntnum[1].Text, "9");
  EXPECT_EQ(f.PointCount, 9);
  for (int j = 0; j <= 9; ++j) {
    EXPECT_EQ(f.Scan1[j][1], r[9 - j].first) << j;
    EXPECT_EQ(f.Scan1[j][2], r[9 - j].second) << j;
    EXPECT_EQ(f.Scan1[j][0], f.Scan1[j][1] - f.Scan1[j][2]) << j;
  }
  EXPECT_NEAR(f.Scan1[1][0], 0.7, 1e-12);
  EXPECT_NEAR(f.Scan1[0][0], -0.9, 1e-12);
  for (int j = 10; j <= 500; ++j) EXPECT_EQ(f.Scan1[j], (model::Row{0, 0, 0})) << j;
  // Nothing is drawn but the cursor line of 500, on row 0.
  EXPECT_EQ(countColour(f, 12), 0);
  EXPECT_EQ(countColour(f, 14), 287);
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up  0");
}

TEST(ScanLoad, TooManyOrNoReadings) {
  FormFixture fx;
  app::Form& f = fx.form;
  // Line 601 would be refused were it read.
  fx.loadText(2, "long.txt", scanText(readings(600, [](int i) { return std::pair{1000.0 + i, -1.0}; })) + "x\r\n");
  EXPECT_TRUE(fx.messages.shown.empty());
  EXPECT_EQ(f.Pntnum[2].Text, "500");
  EXPECT_EQ(f.Scan2[0][1], 1500.0);  // reading 501
  EXPECT_EQ(f.Scan2[500][1], 1000.0);

  fx.loadText(1, "full.txt", scanText(readings(501, [](int i) { return std::pair{36.0 + i * 0.01, 35.0}; })));
  fx.loadText(1, "empty.txt", "");
  EXPECT_EQ(f.Pntnum[1].Text, "-1");
  EXPECT_TRUE(f.Scan1 == model::Table{});
  fx.loadText(2, "blank.txt", "\r\n  \r\n");
  EXPECT_EQ(f.Pntnum[2].Text, "-1");
  EXPECT_EQ(countColour(f, 12) + countColour(f, 11), 0);  // neither file drawn
  EXPECT_EQ(f.MaxTemp[1].Text, "Degrees C");
  EXPECT_TRUE(fx.messages.shown.empty());
}

TEST(ScanLoad, ResetsCursorsStatesAndShiftCount) {
  FormFixture fx;
  app::Form& f = fx.form;
  const std::string text = scanText(readings(501, [](int i) { return std::pair{36.0 + i % 13 * 0.1, 35.0}; }));
  fx.loadText(1, "a.txt", text);
  fx.loadText(2, "b.txt", text);
  f.Smoothbutton_Click();
  f.ShiftCount = -4;  // as a shift of File 2 leaves it
  f.ClearButton_Click();
  f.VScroll1.setValue(50);
  f.VScroll2.setValue(300);

  fx.loadText(1, "c.txt", text);
  EXPECT_EQ(f.VScroll1.Value(), 0);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  EXPECT_EQ(f.LowerCutoff.Text, "0");
  EXPECT_EQ(f.UpperCutoff.Text, "500");
  for (const auto& s : f.DataState) EXPECT_EQ(s, "Raw");
  EXPECT_EQ(f.ShiftCount, 0);
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up  0");
  for (int y : {0, 200, 450}) EXPECT_EQ(f.Picture1.countInRow(y, rgb(14)), 287) << y;  // old lines stay
}

TEST(ScanLoad, ReloadingOneFileLeavesTheOther) {
  FormFixture fx;
  app::Form& f = fx.form;
  const std::string a = scanText(readings(200, [](int i) { return std::pair{36.0 + i * 0.01, 35.0}; }));
  fx.loadText(1, "a.txt", a);
  const std::string pathB = fx.loadText(2, "b.txt", scanText(readings(300, [](int i) { return std::pair{34.0, 33.0 - i * 0.01}; })));
  const model::Table scan1 = f.Scan1, scan2 = f.Scan2;
  fx.loadText(1, "c.txt", scanText(readings(50, [](int i) { return std::pair{20.0 + i, 10.0}; })));
  EXPECT_TRUE(f.Scan2 == scan2);
  EXPECT_EQ(f.Pntnum[2].Text, "299");
  EXPECT_EQ(f.Filename[2].Text, pathB);
  EXPECT_EQ(f.Pntnum[1].Text, "49");
  EXPECT_EQ(f.Scan1[0][1], 69.0);
  EXPECT_EQ(f.Scan1[50][1], 0.0);  // nothing left of the longer earlier file
  fx.loadText(2, "a2.txt", a);
  EXPECT_EQ(f.Pntnum[1].Text, "49");
  EXPECT_TRUE(f.Scan2 == scan1);
}

TEST(ScanLoad, FileNameBoxesOpenTheirFile) {
  FormFixture fx;
  fx.form.Filename_Click(0);
  fx.form.Filename_Click(3);
  EXPECT_TRUE(fx.dialog.calls.empty());
  fx.dialog.answers = {"", fx.dir.write("s.txt", "1,2\r\n3,4\r\n")};
  fx.form.Filename_Click(2);  // cancelled
  EXPECT_EQ(fx.form.Filename[2].Text, "Text2");
  fx.form.Filename_Click(2);
  EXPECT_EQ(fx.form.Pntnum[2].Text, "1");
  EXPECT_EQ(fx.form.LineSel, 1);  // as "&Open File2": all channels drawn
  EXPECT_EQ(fx.dialog.calls.size(), 2u);
}

TEST(ScanLoad, RefusedLoadsChangeNothing) {
  const std::pair<const char*, const char*> malformed[] = {
      {"36.1,35.4\r\nabc,35\r\n", "line 2"},
      {"36.1,35.4\r\n36.0,35.9\r\n36,35C\r\n", "line 3"},
      {"36.1,35.4\r\n36.0,35.9\r\n36.2\r\n\r\n\r\n", "line 3"},
      {"36.1,35.4\r\n1e999,35\r\n", "line 2"},
      {"36.1,,35.4\r\n", "line 1"},
      {"\"36.1\",\"35.4\"\r\n", "line 1"},
      {"1,2\n3,4\n5,6\nseven,8\n", "line 4"},
      {"1,2\r3,4\r5,x\r", "line 3"},
      {nullptr, "absent.txt"},  // cannot be opened
      {"", ""},                 // the folder itself
  };
  for (int file = 1; file <= 2; ++file)
    for (const auto& [content, where] : malformed) {
      FormFixture fx;  // two loaded, smoothed scans with moved cursors
      fx.loadText(1, "first.txt", scanText(readings(400, [](int i) { return std::pair{36.0 + i % 17 * 0.1, 35.5}; })));
      fx.loadText(2, "second.txt", scanText(readings(501, [](int i) { return std::pair{34.0, 33.0 + i % 11 * 0.2}; })));
      fx.form.VScroll1.setValue(20);
      fx.form.VScroll2.setValue(350);
      fx.form.LineButton_Click(2);
      fx.form.Smoothbutton_Click();
      fx.form.ShiftCount = 2;
      const Snapshot before = snapshot(fx.form);

      std::string path = content ? fx.dir.write("bad.txt", content) : fx.dir.file(where);
      if (content && !*content) path = fx.dir.path().string();
      fx.load(file, path);
      const std::string what = std::string(content ? content : where) + ", File " + std::to_string(file);
      ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
      const std::string& text = fx.messages.shown[0].text;
      EXPECT_NE(text.find(path), std::string::npos) << what << ": " << text;
      EXPECT_NE(text.find(where), std::string::npos) << what << ": " << text;
      const Snapshot after = snapshot(fx.form);
      EXPECT_EQ(after.texts, before.texts) << what;
      EXPECT_EQ(after.numbers, before.numbers) << what;
      EXPECT_TRUE(after == before) << what;
      fx.load(file, "");  // a cancelled dialog: no message either
      EXPECT_EQ(fx.messages.shown.size(), 1u);
      EXPECT_TRUE(snapshot(fx.form) == before) << what;
    }
}

}  // namespace
}  // namespace varnel::test
