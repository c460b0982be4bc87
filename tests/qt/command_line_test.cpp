// The real program started from a shell, seen through the probe plugin (probe_plugin.cpp): the scans it is given open
// as the menu opens them; its informational options and refusals end it with the usual statuses.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <map>

#include "support/scripted.hpp"

namespace varnel::test {
namespace {

struct Ran {
  int status = -1;  // -1: crashed or had to be killed
  QString out, err;
};

// `varnel ARGS...` in `folder`, offscreen, with the probe loaded.
Ran run(const QStringList& args, const QString& folder, const std::string& chart = "") {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen"), env.insert("QT_PLUGIN_PATH", VARNEL_PROBE_PLUGINS);
  env.insert("QT_QPA_GENERIC_PLUGINS", "varnelprobe"), env.insert("VARNEL_PROBE_CHART", QString::fromStdString(chart));
  env.insert("XDG_CONFIG_HOME", QDir::tempPath() + "/varnel-test-config");  // out of the user's settings
  QProcess p;
  p.setProcessEnvironment(env), p.setWorkingDirectory(folder), p.start(VARNEL_EXE, args);
  const bool ended = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit;
  if (!ended) p.kill(), p.waitForFinished();
  return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

std::string oneLine(std::string text) { return std::replace(text.begin(), text.end(), '\n', ' '), text; }

// Started with names as arguments, the program shows what the menu shows with the same names chosen in its dialog,
// in the same order: the same boxes, each over the window, then the same texts and chart, nothing more.
TEST(CommandLine, OpensItsScansAsTheMenuWould) {
  ScratchDir dir;
  const QString examples = QFileInfo(VARNEL_SOURCE_DIR "/examples").canonicalFilePath();
  const std::string ex = examples.toStdString() + "/", bad = dir.write("bad.txt", "1,x\r\n");
  // Each row: the arguments, and the paths the dialog would have returned.
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
      {{}, {}},
      {{"back_visit1.txt", "back_visit2.txt"}, {ex + "back_visit1.txt", ex + "back_visit2.txt"}},
      {{"./back_visit2.txt"}, {ex + "back_visit2.txt"}},
      {{"../examples/none.txt", ex + "short_scan.txt"}, {ex + "none.txt", ex + "short_scan.txt"}},
      {{bad, "other_back.txt"}, {bad, ex + "other_back.txt"}}};
  for (const auto& [names, paths] : rows) {
    FormFixture menu;
    QStringList args;
    for (std::size_t i = 0; i < paths.size(); ++i)
      menu.load(static_cast<int>(i) + 1, paths[i]), args << QString::fromStdString(names[i]);
    const std::string at = args.join(' ').toStdString();
    const Ran ran = run(args, examples, menu.dir.file("chart.png"));
    ASSERT_EQ(ran.status, 0) << at << ran.err.toStdString();
    std::string boxes, want;
    std::map<std::string, std::string> shown;
    for (const QString& line : ran.out.split('\n', Qt::SkipEmptyParts))
      line.startsWith("box=") ? void(boxes += line.toStdString() + "\n")
                              : void(shown[line.section('=', 0, 0).toStdString()] = line.section('=', 1).toStdString());
    for (const auto& m : menu.messages.shown) want += "box=" + m.title + "|" + oneLine(m.text) + "|over the window\n";
    EXPECT_EQ(boxes, want) << at;
    for (const app::ControlDef& c : app::controls()) {
      const std::string name = c.index < 0 ? c.name : c.name + ("(" + std::to_string(c.index) + ")");
      if (const std::string* live = menu.form.text(c.name, c.index)) {
        EXPECT_EQ(shown[name], oneLine(*live)) << at;
      }
    }
    const chart::Surface& s = menu.form.Picture1;
    const QImage surface(reinterpret_cast<const uchar*>(s.bits()), s.ScaleWidth(), s.ScaleHeight(),
                         QImage::Format_RGB32);
    const QImage chart = QImage(QString::fromStdString(menu.dir.file("chart.png"))).copy(1, 1, 287, 500);
    EXPECT_TRUE(chart.convertToFormat(QImage::Format_RGB32) == surface) << at;
  }
}

// With --visits, every name is a visit of the Visits window, the main window left as it starts.
TEST(CommandLine, OpensVisitsInTheirWindow) {
  const Ran ran = run({"--visits", "back_visit1.txt", "back_visit2.txt", "short_scan.txt"}, VARNEL_SOURCE_DIR "/examples");
  ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
  for (const char* line : {"\nwindow=Visits\n", "\nvisitList.rows=3\n", "\nPntnum(1)=0\n"})
    EXPECT_TRUE(ran.out.contains(line)) << line << ran.out.toStdString();
}

// Help and version, named by the full title, end the program at once; what it does not take is refused with Qt's
// message and status 2, before any window.
TEST(CommandLine, AnswersHelpAndVersionAndRefusesWhatItDoesNotTake) {
  const std::string title = "Thermographic Varnel Analysis Calculator";
  const std::vector<std::tuple<QStringList, int, std::string>> rows = {
      {{"--help"}, 0, "[FILE1 [FILE2]]\n" + title + "\n"},
      {{"-platform", "offscreen", "-h"}, 0, "[FILE1 [FILE2]]\n" + title + "\n"},
      {{"--version"}, 0, title + " " VARNEL_VERSION "\n"},
      {{"--frobnicate", "a.txt"}, 2, "varnel: Unknown option 'frobnicate'.\n"},
      {{"a.txt", "b.txt", "c.txt"}, 2, "varnel: Too many arguments: at most two scan files (or --visits).\n"}};
  for (const auto& [args, status, says] : rows) {
    const Ran ran = run(args, ".");
    EXPECT_TRUE(ran.status == status && (status ? ran.err : ran.out).contains(QString::fromStdString(says)))
        << args.join(' ').toStdString() << ": " << ran.status << " " << (ran.out + ran.err).toStdString();
  }
}

}  // namespace
}  // namespace varnel::test
