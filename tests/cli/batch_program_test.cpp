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
// Bad command lines are refused with exit status 2 before any scan is read
// (a and b do not exist) or anything is written.
TEST(BatchOptions, GoodAndBadCommandLines) {
  const auto p = cli::parseArguments({"x.txt",     "--lower",  "225",         "--upper=80", "--smooth", "left",
                                      "--smooth",  "delta",    "--shift1",    "0",          "--shift2", "100",
                                      "--channel", "right",    "--threshold", "-2e-1",      "--slopes", "--results",
                                      "r",         "--export", "e",           "--chart",    "c.png",    "y.txt"});
  const cli::Options& o = p.options;
  EXPECT_EQ(std::tie(p.error, o.single.scan1, o.single.scan2, o.single.results, o.single.exportPath, o.single.chart,
                     o.steps.threshold, o.steps.lower, o.steps.upper, o.steps.shift1, o.steps.shift2, o.steps.channel,
                     o.steps.slopes, o.steps.smooth),
            std::tuple("", "x.txt", "y.txt", "r", "e", "c.png", "-2e-1", 225, 80, 0, 100, 2, true, std::vector{1, 0}));
  ScratchDir d;
  // clang-format off
  const std::pair<const char*, const char*> bad[] = {
      {"a b --lower 226", "--lower: \"226\" is not a whole number from 0 to 225"}, {"a b --lower -1", "from 0 to"},
      {"a b --upper 79", "from 80 to 500"}, {"a b --upper 501", "from 80 to 500"},
      {"a b --shift1 1.5", "--shift1: \"1.5\""}, {"a b --channel middle", "is not one of left, delta, right"},
      {"a b --slopes=1", "takes no value"}, {"a b --threshold 0.1x", "--threshold: \"0.1x\" is not a number"},
      {"a b --threshold inf", "\"inf\" is not a"}, {"a b --threshold nan", "\"nan\" is not a"},
      {"a b --threshold 0x10", "\"0x10\" is not a"}, {"a b --threshold 1e999", "\"1e999\" is not a"},
      {"a b --frobnicate", "unknown option --frobnicate"}, {"a b --results", "--results needs a value\nTry 'varnel"},
      {"a", "two scan files are needed"}, {"a b c", "two scan files are"},
      {"a b --outputs results", "--outputs goes with --pairs"}, {"--pairs l.csv --results r", "use --outputs"},
      {"--pairs l.csv --outputs results,pdf", "\"pdf\" is not one of"}, {"--pairs l.csv a", "not from the command"}};
  // clang-format on
  for (const auto& [line, expected] : bad) {
    const auto [status, out, err] = batch("--summary " + d.file("s.csv") + " " + line);
    EXPECT_EQ(std::tie(status, out), std::tuple(2, "")) << line;
    EXPECT_EQ(err.rfind("varnel-batch: ", 0), 0u) << err;
    EXPECT_NE(err.find(expected), std::string::npos) << line << " -> " << err;
  }
  EXPECT_TRUE(fs::is_empty(d.path()));
}
// A failing run says why, exits 1 and writes nothing the user did not have;
// so does one naming one file twice, however spelt.
TEST(BatchFailures, MessagesAreTheWindowsOwnAndNothingIsWritten) {
  ScratchDir d;
  const std::string bad = d.write("bad.txt", "35.1,35.0\r\n35.2,abc\r\n"), kept = d.write("n.txt", "keep me");
  fs::create_directory_symlink(d.path(), d.file("link"));
  const std::string v = "back_visit1.txt back_visit2.txt ";
  const std::pair<std::string, std::string> cases[] = {
      {"back_visit1.txt " + bad + " --results " + d.file("r.txt"), "Error: Cannot load the scan \"" + bad + "\""},
      {v + "--results " + d.file("no/r.txt") + " --export " + kept,
       "Error: Cannot write the results file \"" + d.file("no/r.txt") + "\": "},
      {"back_visit1.txt " + bad + " --export " + d.file("link/bad.txt"), "would replace File 2"},
      {v + "--shift2 1 --results " + d.file("r.txt"), "Error: Cannot shift File 2 by 1"},
      {v + "--export " + d.file("x") + " --results " + d.file("./x"), "are the same file"},
      {v + "--chart " + d.file("link/x") + " --export " + d.file("x"), "are the same file"},
      {v + "--results " + d.file("link/./x") + " --summary " + d.file("x"), "are the same file"},
      {"--pairs " + d.file("none.csv"), "Error: Cannot read the list of pairs \"" + d.file("none.csv") + "\".\n"},
      {"--pairs " + kept + " --summary " + d.file("no/sum.csv"), "Error: Cannot write the summary"}};
  for (const auto& [args, expected] : cases) {
    const auto [status, out, err] = batch(args);
    EXPECT_EQ(std::tie(status, out), std::tuple(1, "")) << args;
    EXPECT_NE(err.find(expected), std::string::npos) << err;
    EXPECT_EQ(std::distance(fs::directory_iterator(d.path()), {}), 3) << "a file was written for " << args;
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
