// varnel-batch, run from the examples' folder, against the window driven by
// hand: the same actions must give the same files, chart and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <sstream>

#include "app/report_content.hpp"
#include "batch/comparison.hpp"
#include "batch/summary.hpp"
#include "cli/options.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {
namespace fs = std::filesystem;
std::string example(const std::string& name) { return std::string(VARNEL_SOURCE_DIR) + "/examples/" + name; }
// Exit status, output and errors of the program run from the examples' folder.
std::tuple<int, std::string, std::string> batch(const std::string& args) {
  static const ScratchDir io;
  const std::string command = "cd " + example("") + " && " VARNEL_BATCH_EXE " " + args;
  const int s = std::system((command + " >" + io.file("out") + " 2>" + io.file("err")).c_str());
  return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, readAll(io.file("out")), readAll(io.file("err"))};
}
// The program against a user's clicks for the steps of its command line.
class SameAsTheWindow : public ::testing::TestWithParam<std::string> {};
TEST_P(SameAsTheWindow, FilesChartAndResults) {
  ScratchDir d;
  const auto [status, out, err] = batch(GetParam() + " --results " + d.file("r.txt") + " --export " + d.file("n.txt") +
                                        " --chart " + d.file("c.png") + " --report " + d.file("r.pdf"));
  ASSERT_EQ(status, 0) << err;
  // The same comparison, its steps done in a form driven by hand with the
  // results file and export in a folder of its own.
  FormFixture f;
  std::istringstream words(GetParam());
  cli::Options o = cli::parseArguments({std::istream_iterator<std::string>(words), {}}).options;
  batch::Comparison c{
      example(o.single.scan1), example(o.single.scan2), f.dir.file("r.txt"), f.dir.file("n.txt"), "", ""};
  app::Form& form = f.form;
  for (const batch::Action& a : batch::actionsOf(c, o.steps)) {
    if (!a.answer.empty()) f.dialog.answers = {a.answer};
    a.run(form, f.dialog, f.messages);
    EXPECT_TRUE(f.dialog.answers.empty());
  }
  ASSERT_TRUE(f.messages.shown.empty()) << f.messages.shown.front().text;
  const batch::Outcome window{true, {}, app::resultGrid(form)};
  EXPECT_FALSE(window.results[4][2].empty());  // every calculation ran
  EXPECT_EQ(out, batch::resultTable(window));
  ASSERT_EQ(std::system(("pdftotext " + d.file("r.pdf") + " " + d.file("pdf.txt")).c_str()), 0);
  for (const auto& row : window.results)
    for (const std::string& r : row) EXPECT_NE(readAll(d.file("pdf.txt")).find(r), std::string::npos) << r;
  for (const char* name : {"r.txt", "n.txt"}) EXPECT_EQ(readAll(d.file(name)), readAll(f.dir.file(name))) << name;
  const QImage png = QImage(QString::fromStdString(d.file("c.png"))).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(png == QImage(reinterpret_cast<const uchar*>(form.Picture1.bits()), 287, 500, QImage::Format_RGB32));
}
INSTANTIATE_TEST_SUITE_P(Examples, SameAsTheWindow,
                         ::testing::Values("back_visit1.txt back_visit2.txt",
                                           "back_visit2.txt other_back.txt --lower 50 --upper 300 --smooth right "
                                           "--smooth right --smooth delta --channel delta --threshold 0.05",
                                           "short_scan.txt back_visit1.txt --lower 5 --shift1 10 "
                                           "--smooth left --channel right --threshold=0.25 --slopes",
                                           "back_visit1.txt short_scan.txt --shift2 3"));
TEST(BatchOptions, GoodCommandLine) {
  const auto p = cli::parseArguments({"x.txt",     "--lower",  "225",         "--upper=80", "--smooth", "left",
                                      "--smooth",  "delta",    "--shift1",    "0",          "--shift2", "100",
                                      "--channel", "right",    "--threshold", "-2e-1",      "--slopes", "--results",
                                      "r",         "--export", "e",           "--chart",    "c.png",    "y.txt"});
  const cli::Options& o = p.options;
  EXPECT_EQ(std::tie(p.error, o.single.scan1, o.single.scan2, o.single.results, o.single.exportPath, o.single.chart,
                     o.steps.threshold, o.steps.lower, o.steps.upper, o.steps.shift1, o.steps.shift2, o.steps.channel,
                     o.steps.slopes, o.steps.smooth),
            std::tuple("", "x.txt", "y.txt", "r", "e", "c.png", "-2e-1", 225, 80, 0, 100, 2, true, std::vector{1, 0}));
}
// Every refusal once, with its exit status: 2 for a bad command line, before
// any scan is read (a and b do not exist); 1 for a run that fails, which
// says why in the window's words; 0 when all went well. None of them writes
// a file the user did not have; one failing only after its comparisons still
// prints what it computed.
TEST(BatchProgram, RefusalsAndExitStatuses) {
  ScratchDir d;
  const std::string bad = d.write("bad.txt", "35.1,35.0\r\n35.2,abc\r\n"), kept = d.write("n.txt", "keep me");
  const std::string empty = d.write("empty.txt", ""), good = d.write("good.csv", "back_visit1.txt,back_visit2.txt\n");
  fs::create_directory_symlink(d.path(), d.file("link"));
  const std::string v = "back_visit1.txt back_visit2.txt ", series = "--visits " + v;
  struct Case {
    std::string args;
    int status;
    std::string error;  // a part of standard error; empty: none at all
    bool prints = false;
  };
  // clang-format off
  const Case cases[] = {
      {"a b --lower 226", 2, "varnel-batch: --lower: \"226\" is not a whole number from 0 to 225\nTry 'varnel-batch --help'.\n"},
      {"a b --lower -1", 2, "from 0 to"}, {"a b --upper 79", 2, "--upper: \"79\" is not a whole number from 80 to 500"},
      {"a b --upper 501", 2, "from 80 to 500"}, {"a b --shift1 1.5", 2, "--shift1: \"1.5\""},
      {"a b --channel middle", 2, "--channel: \"middle\" is not one of left, delta, right"},
      {"a b --slopes=1", 2, "--slopes takes no value"}, {"a b --threshold 0.1x", 2, "--threshold: \"0.1x\" is not a number"},
      {"a b --threshold inf", 2, "\"inf\" is not a"}, {"a b --threshold nan", 2, "\"nan\" is not a"},
      {"a b --threshold 0x10", 2, "\"0x10\" is not a"}, {"a b --threshold 1e999", 2, "\"1e999\" is not a"},
      {"a b --frobnicate", 2, "unknown option --frobnicate"}, {"a b --results", 2, "--results needs a value\nTry 'varnel"},
      {"a b --results=", 2, "--results needs a file name"},
      {"a", 2, "two scan files are needed"}, {"a b c", 2, "two scan files are"},
      {"a b --outputs results", 2, "--outputs goes with --pairs; name the files with --results, --export, --chart, --report\n"},
      {"a b --visit-table v", 2, "--visit-table goes with --visits"}, {"a b --jobs 2", 2, "--jobs goes with --pairs or --visits"},
      {"--pairs l.csv --results r", 2, "use --outputs"}, {"--pairs l.csv --jobs 0", 2, "--jobs: \"0\" is not a whole number from 1 to 64"},
      {"--pairs l.csv --outputs results,pdf", 2, "\"pdf\" is not one of results, export, chart, report, none"},
      {"--pairs l.csv a", 2, "not from the command"}, {"--pairs l.csv --t2 1", 2, "--t2 goes with --visits"},
      {"--visits a b --pairs l.csv", 2, "--visits and --pairs do not go together"},
      {"--visits a b --results r", 2, "--results goes with FILE1 FILE2; with --visits, name the tables"},
      {"--visits a b --outputs none", 2, "--outputs goes with --pairs\n"},
      {"--visits a b --summary s", 2, "--summary goes with FILE1 FILE2 or --pairs"},
      {"--visits --visit-list l a", 2, "from the command line or from --visit-list, not both"},
      {"--visits", 2, "--visits needs the scan files of the visits"}, {"--visits a b --t1 x", 2, "--t1: \"x\" is not a number"},
      {"--visits a b --t1 0.8 --t2 0.6", 2, "t1 (0.8 °C) is above t2 (0.6 °C)"},
      {"--visits a b --lower 200 --upper 100", 2, "The lower cut-off (200) is above the upper cut-off (100)"},
      {"back_visit1.txt " + bad + " --results " + d.file("r.txt"), 1, "Error: Cannot load the scan \"" + bad + "\", line 2"},
      {v + "--results " + d.file("no/r.txt") + " --export " + kept, 1, "Error: Cannot write the results file \"" + d.file("no/r.txt") + "\": "},
      {"back_visit1.txt " + bad + " --export " + d.file("link/bad.txt"), 1, "would replace File 2"},
      {v + "--shift2 1 --results " + d.file("r.txt"), 1, "Error: Cannot shift File 2 by 1"},
      {v + "--export " + d.file("x") + " --results " + d.file("./x"), 1, "The export file and the results file are the same file \"" + d.file("x") + "\"."},
      {v + "--chart " + d.file("link/x") + " --export " + d.file("x"), 1, "are the same file"},
      {v + "--results " + d.file("link/./x") + " --summary " + d.file("x"), 1, "are the same file"},
      {v + "--summary " + d.file("no/s.csv"), 1, "Error: Cannot write the summary \"" + d.file("no/s.csv"), true},
      {"--pairs " + d.file("none.csv"), 1, "Error: Cannot read the list of pairs \"" + d.file("none.csv") + "\".\n"},
      {"--pairs " + kept + " --summary " + d.file("no/sum.csv"), 1, "Error: Cannot write the summary"},
      {"--pairs " + kept + " --summary " + d.file("link/n.txt"), 1, "would replace the list of pairs"},
      {"--visits back_visit1.txt", 1, "A series needs at least two visits"},
      {"--visits back_visit1.txt " + empty, 1, "Only 1 of the 2 visits could be loaded"},
      {"--visits --visit-list " + d.file("none.txt"), 1, "Error: Cannot read the list of visits \"" + d.file("none.txt")},
      {series + "--pair-table back_visit2.txt", 1, "would replace visit 2"},
      {series + "back_visit1.txt gone.txt", 1, "visit 4: Error: Cannot load the scan", true},
      {series + "--shift2 1", 1, "visits 1,2: Error: Cannot shift File 2 by 1", true},
      {series + "--visit-table " + d.file("no/v.csv"), 1, "Error: Cannot write the visit table", true},
      {series + "--report " + d.file("no/r.pdf"), 1, "Error: Cannot write the report", true},
      {"--help", 0, "", true}, {series, 0, "", true}, {"--pairs " + good, 0, "", true}};
  // clang-format on
  for (const Case& c : cases) {
    const auto [status, out, err] = batch(c.args);
    EXPECT_EQ(status, c.status) << c.args << "\n" << err;
    EXPECT_EQ(out.empty(), !c.prints) << c.args << "\n" << out;
    if (c.error.empty())
      EXPECT_EQ(err, "") << c.args;
    else
      EXPECT_NE(err.find(c.error), std::string::npos) << c.args << " -> " << err;
    EXPECT_EQ(std::distance(fs::directory_iterator(d.path()), {}), 5) << "a file was written for " << c.args;
  }
  EXPECT_EQ(readAll(kept) + readAll(bad), "keep me35.1,35.0\r\n35.2,abc\r\n");
}
// Bad lines of a list (a scan gone, quotes doubled or left open) do not stop
// the others; a good pair writes what one comparison writes.
TEST(BatchPairs, ABadPairDoesNotStopTheOthers) {
  ScratchDir d;
  const std::string list =
      d.write("pairs.csv", "SCAN1,Scan2,stem\r\n# visits of one back\r\nback_visit1.txt,back_visit2.txt," +
                               d.file("a") + "\r\nback_visit1.txt,gone.txt," + d.file("b") +
                               "\r\n\"say \"\"hi\"\"\",x\r\n\"open,x\r\n\r\n\"other_back.txt\" , back_visit1.txt\n");
  const auto [status, out, err] = batch("--pairs " + list + " --summary " + d.file("sum.csv") +
                                        " --outputs results,export,chart --channel delta --jobs 3");
  EXPECT_EQ(std::tie(status, out), std::tuple(1, ""));
  for (const char* at : {":4: Error: Cannot load the scan", ":5: Error: ", ":6: Error: A quoted field"})
    EXPECT_NE(err.find(list + at), std::string::npos) << err;
  ASSERT_EQ(std::get<0>(batch("back_visit1.txt back_visit2.txt --channel delta --results " + d.file("one_r.txt") +
                              " --export " + d.file("one_n.txt") + " --summary " + d.file("one.csv"))),
            0);
  EXPECT_EQ(readAll(d.file("a_results.txt")) + readAll(d.file("a_norm.txt")),
            readAll(d.file("one_r.txt")) + readAll(d.file("one_n.txt")));
  EXPECT_TRUE(fs::exists(d.file("a.png")) && !fs::exists(d.file("a_report.pdf")) && !fs::exists(d.file("b.png")));
  std::istringstream sum(readAll(d.file("sum.csv")));
  const std::string oneRow = readAll(d.file("one.csv")), results = oneRow.substr(oneRow.find(",ok,,"));
  // clang-format off
  const std::string rows[] = {"line,scan1,scan2,stem,status,message,Area Ratio Lft,Area",
      "3,back_visit1.txt,back_visit2.txt," + d.file("a") + results.substr(0, results.size() - 1),
      "4,back_visit1.txt,gone.txt," + d.file("b") + ",failed,\"Cannot", "5,\"say \"\"hi\"\"\",x,,failed,\"Cannot load the scan \"\"",
      "6,,,,failed,\"A quoted field", "8,other_back.txt,back_visit1.txt,,ok,,", ""};
  // clang-format on
  for (std::string row; const std::string& want : rows)
    EXPECT_EQ(std::getline(sum, row) ? row.rfind(want, 0) : 0, 0u) << row;
}
}  // namespace
}  // namespace varnel::test
