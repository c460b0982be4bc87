// Start-up values and scan loading, driven through the form as a user would.
#include <gtest/gtest.h>

#include <functional>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using Readings = std::vector<std::pair<double, double>>;
using Strs = std::vector<std::string>;

std::string scan(int n, const std::function<std::pair<double, double>(int)>& f) {
  Readings r;
  for (int i = 0; i < n; ++i) r.push_back(f(i));
  return scanText(r);
}

int countColour(const app::Form& f, int palette) {
  int n = 0;
  for (int y = 0; y < 500; ++y) n += countInRow(f.Picture1, y, rgb(palette));
  return n;
}

// Everything a refused load must leave as it was.
std::string state(app::Form& f) {
  std::string s;
  for (const auto& c : app::controls())
    if (const std::string* t = f.text(c.name, c.index)) s += *t + '\n';
  for (const auto& d : f.DataState) s += d + '\n';
  for (int v : {f.VScroll1.Value(), f.VScroll2.Value(), f.VScroll2.Min, int(f.ShiftCount), int(f.LineSel)})
    s += std::to_string(v) + ',';
  for (const model::Table* t : {&f.Scan1, &f.Scan2, &f.Norm1, &f.Norm2})
    s.append(reinterpret_cast<const char*>(t), sizeof *t);
  return s.append(reinterpret_cast<const char*>(f.Picture1.bits()), 287 * 500 * 4);
}

struct ScanLoad : ::testing::Test, FormFixture {
  app::Form& f = form;
};

TEST_F(ScanLoad, StartUpTextsAndAnEmptyChart) {
  const std::tuple<const char*, int, const char*> texts[] = {
      {"Pntnum", 1, "0"},          {"Pntnum", 2, "0"},           {"Filename", 1, "Text2"},
      {"Filename", 2, "Text2"},    {"Label3", -1, "Scanning"},   {"Label13", -1, "Raw"},
      {"MaxTemp", 1, "Degrees C"}, {"MinTemp", 1, "Degrees C"},  {"MaxTemp", 2, "DegreesC"},
      {"MinTemp", 2, "DegreesC"},  {"Max_at", 0, ""},            {"LineButton", 2, "Right Temp "},
      {"Frame1", -1, "Shift Chart Up"}, {"LowerCutoff", -1, "0"}, {"UpperCutoff", -1, "500"},
      {"Threshold", -1, "1"},
  };
  for (const auto& [name, index, text] : texts) EXPECT_EQ(*f.text(name, index), text) << name << index;
  EXPECT_EQ(f.VScroll4.Value(), 100);
  for (const auto& s : f.DataState) EXPECT_EQ(s, "Raw");
  EXPECT_EQ(countColour(f, 0), 287 * 500);
}

TEST_F(ScanLoad, ReadingsAreStoredReversedWithDeltaT) {
  Readings r;
  for (int i = 0; i < 8; ++i) r.push_back({30.0 + i * 0.5, 29.0 + i * 0.25});
  r.insert(r.end(), {{36.1, 35.4}, {35.0, 35.9}});
  const std::string path = loadText(1, "ten.txt", scanText(r));
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(dialog.calls[0].kind, app::DialogKind::Open);
  EXPECT_EQ((Strs{dialog.calls[0].filter, dialog.calls[0].defaultName}),
            (Strs{"Data Files (*.txt)|*.txt", "Untitled.txt"}));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ((Strs{f.Filename[1].Text, f.Pntnum[1].Text}), (Strs{path, "9"}));
  EXPECT_EQ(f.PointCount, 9);
  for (int j = 0; j <= 500; ++j) {
    const auto [left, right] = j <= 9 ? r[9 - j] : std::pair{0.0, 0.0};
    EXPECT_EQ(f.Scan1[j], (model::Row{left - right, left, right})) << j;
  }
  EXPECT_NEAR(f.Scan1[1][0], 0.7, 1e-12);  // Left less Right
  // Nothing is drawn but the cursor line of 500, on row 0.
  EXPECT_EQ(countColour(f, 12), 0);
  EXPECT_EQ(countColour(f, 14), 287);
}

TEST_F(ScanLoad, TooManyOrNoReadings) {
  // Line 601 would be refused were it read.
  loadText(2, "long.txt", scan(600, [](int i) { return std::pair{1000.0 + i, -1.0}; }) + "x\r\n");
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(f.Pntnum[2].Text, "500");
  EXPECT_EQ(f.Scan2[0][1], 1500.0);  // reading 501
  EXPECT_EQ(f.Scan2[500][1], 1000.0);

  loadText(1, "full.txt", scan(501, [](int i) { return std::pair{36.0 + i * 0.01, 35.0}; }));
  loadText(1, "empty.txt", "");
  EXPECT_EQ(f.Pntnum[1].Text, "-1");
  EXPECT_TRUE(f.Scan1 == model::Table{});
  loadText(2, "blank.txt", "\r\n  \r\n");
  EXPECT_EQ(f.Pntnum[2].Text, "-1");
  EXPECT_EQ(countColour(f, 12) + countColour(f, 11), 0);  // neither file drawn
  EXPECT_EQ(f.MaxTemp[1].Text, "Degrees C");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScanLoad, ResetsCursorsAndStatesButNotTheOtherFile) {
  const std::string a = scan(200, [](int i) { return std::pair{36.0 + i % 13 * 0.1, 35.0}; });
  loadText(1, "a.txt", a);
  const model::Table scan1 = f.Scan1;
  const std::string pathB = loadText(2, "b.txt", scan(300, [](int i) { return std::pair{34.0, 33.0 - i * 0.01}; }));
  f.Smoothbutton_Click();
  const model::Table scan2 = f.Scan2;
  f.ClearButton_Click();
  f.VScroll1.setValue(50);
  f.VScroll2.setValue(150);

  loadText(1, "c.txt", scan(50, [](int i) { return std::pair{20.0 + i, 10.0}; }));
  EXPECT_EQ((Strs{f.LowerCutoff.Text, f.UpperCutoff.Text}), (Strs{"0", "500"}));
  EXPECT_EQ(f.VScroll1.Value(), 0);
  EXPECT_EQ(f.VScroll2.Value(), 500);
  for (const auto& s : f.DataState) EXPECT_EQ(s, "Raw");
  for (int y : {0, 350, 450}) EXPECT_EQ(countInRow(f.Picture1, y, rgb(14)), 287) << y;  // old lines stay
  EXPECT_TRUE(f.Scan2 == scan2);
  EXPECT_EQ((Strs{f.Filename[2].Text, f.Pntnum[2].Text, f.Pntnum[1].Text}), (Strs{pathB, "299", "49"}));
  EXPECT_EQ(f.Scan1[0][1], 69.0);
  EXPECT_EQ(f.Scan1[50][1], 0.0);  // nothing left of the longer earlier file
  loadText(2, "a2.txt", a);
  EXPECT_EQ(f.Pntnum[1].Text, "49");
  EXPECT_TRUE(f.Scan2 == scan1);
}

TEST_F(ScanLoad, FileNameBoxesOpenTheirFile) {
  f.Filename_Click(0);
  f.Filename_Click(3);
  EXPECT_TRUE(dialog.calls.empty());
  dialog.answers = {"", dir.write("s.txt", "1,2\r\n3,4\r\n")};
  f.Filename_Click(2);  // cancelled
  EXPECT_EQ(f.Filename[2].Text, "Text2");
  f.Filename_Click(2);
  EXPECT_EQ(f.Pntnum[2].Text, "1");
  EXPECT_EQ(f.LineSel, 1);  // as "&Open File2": all channels drawn
  EXPECT_EQ(dialog.calls.size(), 2u);
}

TEST_F(ScanLoad, RefusedLoadsChangeNothing) {
  const std::pair<const char*, const char*> malformed[] = {
      {"36.1,35.4\r\nabc,35\r\n", "line 2"},         {"36.1,35.4\r\n36.0,35.9\r\n36,35C\r\n", "line 3"},
      {"36.1,35.4\r\n1e999,35\r\n", "line 2"},       {"36.1,35.4\r\n36.0,35.9\r\n36.2\r\n\r\n\r\n", "line 3"},
      {"36.1,,35.4\r\n", "line 1"},                   {"\"36.1\",\"35.4\"\r\n", "line 1"},
      {"1,2\n3,4\n5,6\nseven,8\n", "line 4"},         {"1,2\r3,4\r5,x\r", "line 3"},
      {nullptr, "absent.txt"},  // cannot be opened
      {"", ""},                 // the folder itself
  };
  for (int file = 1; file <= 2; ++file)
    for (const auto& [content, where] : malformed) {
      FormFixture fx;  // two loaded, smoothed scans with moved cursors
      fx.loadText(1, "first.txt", scan(400, [](int i) { return std::pair{36.0 + i % 17 * 0.1, 35.5}; }));
      fx.loadText(2, "second.txt", scan(501, [](int i) { return std::pair{34.0, 33.0 + i % 11 * 0.2}; }));
      fx.form.VScroll1.setValue(20);
      fx.form.VScroll2.setValue(350);
      fx.form.LineButton_Click(2);
      fx.form.Smoothbutton_Click();
      fx.form.ShiftCount = 2;
      const std::string before = state(fx.form);

      std::string path = content ? fx.dir.write("bad.txt", content) : fx.dir.file(where);
      if (content && !*content) path = fx.dir.path().string();
      fx.load(file, path);
      const std::string what = std::string(content ? content : where) + ", File " + std::to_string(file);
      ASSERT_EQ(fx.messages.shown.size(), 1u) << what;
      const std::string& text = fx.messages.shown[0].text;
      EXPECT_NE(text.find(path), std::string::npos) << what << ": " << text;
      EXPECT_NE(text.find(where), std::string::npos) << what << ": " << text;
      EXPECT_TRUE(state(fx.form) == before) << what;
      fx.load(file, "");  // a cancelled dialog: no message either
      EXPECT_EQ(fx.messages.shown.size(), 1u);
      EXPECT_TRUE(state(fx.form) == before) << what;
    }
}

}  // namespace
}  // namespace varnel::test
