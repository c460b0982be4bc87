// "&Output Results" and "&Export Normed Data" driven through the form.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

namespace fs = std::filesystem;
using Strs = std::vector<std::string>;
constexpr auto kSave = &app::Form::filesave_Click;
constexpr auto kExport = &app::Form::normexport_Click;

Strs lines(const std::string& text) {
  Strs out;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    out.push_back(text.substr(at, end - at));
  return out;
}

struct Files : ::testing::Test, FormFixture {
  // Answers the dialog with a file of the scratch folder; returns what the command wrote there.
  std::string write(void (app::Form::*command)(), const std::string& name) {
    dialog.answers.push_back(dir.file(name));
    (form.*command)();
    return readAll(dir.file(name));
  }
  size_t entries() { return size_t(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator())); }

  // What either command could disturb: texts, bars, surface, data.
  std::string windowState() {
    std::string s;
    for (const auto& c : app::controls())
      if (const std::string* t = form.text(c.name, c.index)) s += *t + '\n';
    for (const char* n : {"VScroll1", "VScroll2", "VScroll3", "VScroll4"})
      s += std::to_string(form.scrollBar(n)->Value()) + std::to_string(form.scrollBar(n)->Min);
    const auto& p = form.Picture1;
    s.append(reinterpret_cast<const char*>(p.bits()), size_t(p.ScaleWidth() * p.ScaleHeight()) * 4);
    s += std::to_string(p.revision());
    for (const model::Table* t : {&form.Scan1, &form.Scan2, &form.Norm1, &form.Norm2, &form.Slopes1, &form.Slopes2})
      s.append(reinterpret_cast<const char*>(t), sizeof *t);
    for (const auto& d : form.DataState) s += d;
    return s;
  }
};

TEST_F(Files, BeforeAnyLoad) {
  std::string results = "\"Text2\"\r\n\"0\"\r\n";
  for (int i = 0; i < 12; ++i) results += "0\r\n";
  results += "\"Text2\"\r\n\"0\"\r\n";
  for (int i = 0; i < 13; ++i) results += "0\r\n";
  results += "\"0\"\r\n\"500\"\r\n\"Raw\"\r\n\"Raw\"\r\n\"Raw\"\r\n";
  for (int i = 0; i < 15; ++i) results += "\"\"\r\n";
  EXPECT_EQ(write(kSave, "OutputAA.txt"), results);

  std::string normed = "\"Text2\",,,\"Text2\"\r\n";
  for (int i = 0; i <= 500; ++i) normed += "0,0,0,0,0,0\r\n";
  EXPECT_EQ(write(kExport, "NormAA.txt"), normed);

  ASSERT_EQ(dialog.calls.size(), 2u);
  EXPECT_EQ((Strs{dialog.calls[0].defaultName, dialog.calls[1].defaultName}), (Strs{"OutputAA.txt", "NormAA.txt"}));
  EXPECT_EQ(dialog.calls[1].kind, app::DialogKind::Save);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Files, ResultsTakeEveryValueFromItsOwnPlace) {
  auto& f = form;
  f.Filename[1].Text = "one";
  f.Pntnum[1].Text = "12";
  f.Filename[2].Text = "two";
  f.Pntnum[2].Text = "13";
  float* values[] = {f.MaxVal1, f.MinVal1, f.MaxVal2, f.MinVal2};
  std::int16_t* points[] = {f.MaxAt1, f.MinAt1, f.MaxAt2, f.MinAt2};
  app::TextBox* boxes[] = {f.AreaRatio, f.SlopeComp, f.Correlation, f.r_ratio, f.t_ratio};
  for (int ch = 0; ch < 3; ++ch) {
    for (int k = 0; k < 4; ++k) {
      values[k][ch] = float(10 * k + 10 + ch);
      points[k][ch] = std::int16_t(10 * k + 110 + ch);
    }
    for (int k = 0; k < 5; ++k) boxes[k][ch].Text = "ascrt"[k] + std::to_string(ch);
    f.DataState[ch] = "d" + std::to_string(ch);
  }
  write(kSave, "out.txt");  // replaced below
  f.MinVal1[0] = -0.3f;
  f.Correlation[1].Text = "0.95";
  f.ShiftCount = -4;
  f.LowerCutoff.Text = "typed";
  f.UpperCutoff.Text = "";
  const Strs expected = {
      "\"one\"", "\"12\"", "11", "10", "12", "111", "110", "112", "21", "-0.3", "22", "121", "120", "122",
      "\"two\"", "\"13\"", "31", "30", "32", "131", "130", "132", "41", "40", "42", "141", "140", "142",
      "-4", "\"typed\"", "\"\"", "\"d1\"", "\"d0\"", "\"d2\"",
      "\"a1\"", "\"a0\"", "\"a2\"", "\"s1\"", "\"s0\"", "\"s2\"", "\"0.95\"", "\"c0\"", "\"c2\"",
      "\"r1\"", "\"r0\"", "\"r2\"", "\"t1\"", "\"t0\"", "\"t2\""};
  EXPECT_EQ(lines(write(kSave, "out.txt")), expected);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, ExportFollowsTheCursors) {
  form.Filename[1].Text = "p1";
  form.Filename[2].Text = "p2";
  form.Norm1[100] = {1.5, 2.5, 3.5};
  form.Norm2[100] = {-1, 0.25, 287};
  form.VScroll2.setValue(100);
  form.VScroll1.setValue(100);
  EXPECT_EQ(write(kExport, "n.txt"), "\"p1\",,,\"p2\"\r\n2.5,3.5,1.5,0.25,287,-1\r\n");
  form.VScroll1.setValue(101);
  EXPECT_EQ(write(kExport, "n.txt"), "\"p1\",,,\"p2\"\r\n");
}

TEST_F(Files, CancelledOrFailedWritesLeaveNoFileAndNeitherCommandChangesTheWindow) {
  loadText(1, "a.txt", scanText({{30, 29}, {31.5, 29.25}, {33, 28}, {32, 30.5}}));
  loadText(2, "b.txt", scanText({{35, 34}, {36.1, 35.4}, {34, 35}}));
  const std::string before = windowState();
  form.filesave_Click();  // both cancelled
  form.normexport_Click();
  EXPECT_EQ(dialog.calls.size(), 4u);
  EXPECT_TRUE(messages.shown.empty());

  const std::string missing = dir.file("no such folder/out.txt");
  dialog.answers = {missing, dir.path().string()};
  form.filesave_Click();
  form.normexport_Click();
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_EQ(messages.shown[0].text, "Cannot write the results file \"" + missing + "\": No such file or directory.");
  EXPECT_EQ(messages.shown[1].title, "Error");
  EXPECT_EQ(messages.shown[1].text,
            "Cannot write the export file \"" + dir.path().string() + "\": Filename refers to a directory.");
  EXPECT_EQ(entries(), 2u);  // the two scans alone

  const Strs got = lines(write(kSave, "out.txt"));
  // File 1's points 0..2 (File 2's last point pulled the upper cursor back),
  // stored last reading first: (32, 30.5), (33, 28), (31.5, 29.25).
  ASSERT_EQ(got.size(), 49u);
  EXPECT_EQ(got[0], "\"" + dir.file("a.txt") + "\"");
  EXPECT_EQ(Strs(got.begin() + 1, got.begin() + 12),
            (Strs{"\"3\"", "33", "5", "30.5", "1", "1", "0", "31.5", "1.5", "28", "2"}));
  EXPECT_EQ(lines(write(kExport, "n.txt")).size(), 4u);
  EXPECT_TRUE(windowState() == before);
}

TEST_F(Files, ReadOnlyFolderKeepsTheOldFile) {
  fs::create_directory(dir.path() / "ro");
  const std::string old = dir.write("ro/OutputAA.txt", "old\r\n");
  fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  dialog.answers = {old, old};
  const auto writeBoth = [&] {
    form.filesave_Click();
    form.normexport_Click();
    return messages.shown.size() == 2 &&
           messages.shown[1].text.find("\"" + old + "\": Permission denied.") != std::string::npos;
  };
  bool refused = false;
  if (geteuid() != 0) {
    refused = writeBoth();
  } else {
    // Permission bits do not stop the superuser: write as "nobody" in a child.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && writeBoth() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    refused = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  EXPECT_TRUE(refused) << "both writes must fail with a message naming the path and the reason";
  EXPECT_EQ(readAll(old), "old\r\n");
}

}  // namespace
}  // namespace varnel::test
