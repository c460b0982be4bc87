// varnel-batch against the window logic driven by hand: the same actions
// must give the same files, the same chart and the same messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <sstream>

#include "batch/comparison.hpp"
#include "batch/pairs_list.hpp"
#include "batch/run.hpp"
#include "batch/summary.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

namespace fs = std::filesystem;
std::string example(const std::string& name) { return std::string(VARNEL_SOURCE_DIR) + "/examples/" + name; }

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), {}};
}

struct BatchRun {
  int status;
  std::string out, err;
};
BatchRun runBatch(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = batch::run(args, out, err);
  return {status, out.str(), err.str()};
}

// A command line naming two example scans, and what a user does in the
// window for its steps, click by click.
batch::Options parsed(const std::string& line) {
  batch::ParsedArguments p = batch::parseArguments(words(line));
  EXPECT_TRUE(p.ok()) << p.error;
  p.options.scan1 = example(p.options.scan1);
  p.options.scan2 = example(p.options.scan2);
  return p.options;
}
void actLikeAUser(FormFixture& f, const batch::Options& o) {
  const batch::Steps& s = o.steps;
  app::Form& form = f.form;
  f.load(1, o.scan1);
  f.load(2, o.scan2);
  if (s.lower) form.VScroll1.setValue(*s.lower);
  if (s.upper) form.VScroll2.setValue(*s.upper);
  for (int ch : s.smooth) form.LineButton_Click(ch), form.Smoothbutton_Click();
  if (s.shift1) form.VScroll3.setValue(*s.shift1), form.Shift1_Click();
  if (s.shift2) form.VScroll3.setValue(*s.shift2), form.Shift2_Click();
  if (s.channel) form.LineButton_Click(*s.channel);
  if (s.threshold) form.Threshold.Text = *s.threshold;
  form.CalcArea_Click(), form.CalcSlope_Click(), form.CalcCorrelation_Click(), form.Quil_Tesk_Click();
  if (s.slopes) form.SlopeChart_Click();
}

class SameAsTheWindow : public ::testing::TestWithParam<const char*> {};
TEST_P(SameAsTheWindow, FilesChartAndResults) {
  const batch::Options opts = parsed(GetParam());
  ScratchDir out;
  const batch::Outcome o = batch::runComparison(
      {opts.scan1, opts.scan2, out.file("r.txt"), out.file("n.txt"), out.file("c.png"), ""}, opts.steps);
  ASSERT_TRUE(o.ok) << o.messages.front();
  FormFixture f;
  actLikeAUser(f, opts);
  ASSERT_TRUE(f.messages.shown.empty()) << f.messages.shown.front().text;
  EXPECT_EQ(o.results, batch::resultTexts(f.form));
  EXPECT_FALSE(o.results[4][2].empty());  // every calculation ran
  f.dialog.answers = {f.dir.file("r.txt"), f.dir.file("n.txt")};
  f.form.filesave_Click();
  f.form.normexport_Click();
  for (const char* name : {"r.txt", "n.txt"}) EXPECT_EQ(readAll(out.file(name)), readAll(f.dir.file(name))) << name;
  const QImage png = QImage(QString::fromStdString(out.file("c.png"))).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(png == QImage(reinterpret_cast<const uchar*>(f.form.Picture1.bits()), 287, 500, QImage::Format_RGB32));
}
INSTANTIATE_TEST_SUITE_P(Examples, SameAsTheWindow,
                         ::testing::Values("back_visit1.txt back_visit2.txt",
                                           "back_visit2.txt other_back.txt --lower 50 --upper 300 --smooth right "
                                           "--smooth right --smooth delta --channel delta --threshold 0.05",
                                           "short_scan.txt back_visit1.txt --shift1 10 --channel right "
                                           "--threshold=0.25 --slopes",
                                           "back_visit1.txt short_scan.txt --lower 5 --shift2 3 --smooth left"));

TEST(BatchOptions, GoodAndBadCommandLines) {
  const auto p = batch::parseArguments(
      words("x.txt --lower 225 --upper=80 --smooth left --smooth delta --shift1 0 --shift2 100 --channel right "
            "--threshold -2e-1 --slopes --results r --export e --chart c.png y.txt"));
  ASSERT_TRUE(p.ok()) << p.error;
  const batch::Options& o = p.options;
  EXPECT_EQ(std::tie(o.scan1, o.scan2, o.results, o.exportPath, o.chart, o.steps.threshold),
            std::tuple("x.txt", "y.txt", "r", "e", "c.png", "-2e-1"));
  EXPECT_EQ(std::tie(o.steps.lower, o.steps.upper, o.steps.shift1, o.steps.shift2, o.steps.channel, o.steps.slopes),
            std::tuple(225, 80, 0, 100, 2, true));
  EXPECT_EQ(o.steps.smooth, (std::vector<int>{1, 0}));
  const auto pairs = batch::parseArguments(words("--pairs l.csv --outputs chart,results"));
  EXPECT_TRUE(pairs.options.outputs.chart && pairs.options.outputs.results && !pairs.options.outputs.exportData);

  const std::pair<const char*, const char*> bad[] = {
      // refused before anything runs
      {"a b --lower 226", "--lower: \"226\" is not a whole number from 0 to 225"},
      {"a b --lower -1", "from 0 to"},
      {"a b --upper 79", "from 80 to 500"},
      {"a b --upper 501", "from 80 to 500"},
      {"a b --shift1 1.5", "--shift1: \"1.5\""},
      {"a b --channel middle", "is not one of left, delta, right"},
      {"a b --slopes=1", "takes no value"},
      {"a b --threshold 0.1x", "--threshold: \"0.1x\" is not a number"},
      {"a b --threshold inf", "\"inf\" is not a"},
      {"a b --threshold nan", "\"nan\" is not a"},
      {"a b --threshold 0x10", "\"0x10\" is not a"},
      {"a b --threshold 1e999", "\"1e999\" is not a"},
      {"a b --frobnicate", "unknown option --frobnicate"},
      {"a b --results", "--results needs a value"},
      {"a", "two scan files are needed"},
      {"a b c", "two scan files are"},
      {"a b --outputs results", "--outputs goes with --pairs"},
      {"--pairs l.csv --results r", "use --outputs"},
      {"--pairs l.csv --outputs results,pdf", "\"pdf\" is not one of"},
      {"--pairs l.csv a", "not from the command line"}};
  for (const auto& [line, expected] : bad) {
    const BatchRun r = runBatch(words(line));
    EXPECT_EQ(std::tie(r.status, r.out), std::tuple(2, "")) << line;
    EXPECT_EQ(r.err.rfind("varnel-batch: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(expected), std::string::npos) << line << " -> " << r.err;
  }
}

// A failing comparison prints what the window shows, exits 1, and writes
// nothing the user did not already have.
TEST(BatchFailures, MessagesAreTheWindowsOwnAndNothingIsWritten) {
  ScratchDir d;
  const std::string good = example("back_visit1.txt"), other = example("back_visit2.txt");
  const std::string bad = d.write("bad.txt", "35.1,35.0\r\n35.2,abc\r\n"), kept = d.write("n.txt", "keep me");
  for (const std::string& scan : {bad, d.file("missing.txt")}) {
    FormFixture f;
    f.load(1, good);
    f.load(2, scan);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    const BatchRun r = runBatch({good, scan, "--results", d.file("r.txt")});
    EXPECT_EQ(std::tie(r.status, r.out, r.err), std::tuple(1, "", "Error: " + f.messages.shown[0].text + "\n"));
  }
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{good, other, "--results", d.file("no/r.txt"), "--export", kept},
       "Error: Cannot write the results file \"" + d.file("no/r.txt") + "\": "},
      {{good, bad, "--export", d.file("link/bad.txt")}, "would replace File 2"},
      {{good, other, "--shift2", "1", "--results", d.file("r.txt")}, "Error: Cannot shift File 2 by 1"},
      {{good, other, "--export", d.file("x"), "--results", d.file("./x")}, "are the same file"},
      {{good, other, "--chart", d.file("link/x"), "--export", d.file("x")}, "are the same file"},
      {{good, other, "--results", d.file("link/./x"), "--summary", d.file("x")}, "are the same file"},
  };
  fs::create_directory_symlink(d.path(), d.file("link"));
  for (const auto& [args, expected] : cases) {
    const BatchRun r = runBatch(args);
    EXPECT_EQ(r.status, 1) << args[3];
    EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(d.path()), {}), 3) << "a file was written for " << args[3];
  }
  EXPECT_EQ(readAll(kept) + readAll(bad), "keep me35.1,35.0\r\n35.2,abc\r\n");
}

TEST(BatchPairs, ABadPairDoesNotStopTheOthers) {
  ScratchDir d;
  const std::string v1 = example("back_visit1.txt"), v2 = example("back_visit2.txt"), ob = example("other_back.txt");
  const std::string list =
      d.write("pairs.csv", "scan1,scan2,stem\r\n# visits of one back\r\n" + v1 + "," + v2 + "," + d.file("a") + "\r\n" +
                               v1 + "," + d.file("gone.txt") + "," + d.file("b") + "\r\nonly-one-field\r\n\r\n\"" + ob +
                               "\" , " + v1 + "\n");
  const BatchRun r = runBatch({"--pairs", list, "--summary", d.file("sum.csv"), "--outputs", "results,export,chart",
                               "--channel", "delta", "--jobs", "3"});
  EXPECT_EQ(std::tie(r.status, r.out), std::tuple(1, ""));
  EXPECT_NE(r.err.find(list + ":4: Error: Cannot load the scan \"" + d.file("gone.txt") + "\""), std::string::npos);
  EXPECT_NE(r.err.find(list + ":5: Error: "), std::string::npos) << r.err;
  std::istringstream sum(readAll(d.file("sum.csv")));
  std::vector<std::string> rows;
  for (std::string row; std::getline(sum, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 5u);
  const std::string starts[] = {"line,scan1,scan2,stem,status,message,Area Ratio Lft,Area",
                                "3," + v1 + "," + v2 + "," + d.file("a") + ",ok,,",
                                "4," + v1 + "," + d.file("gone.txt") + "," + d.file("b") + ",failed,\"Cannot",
                                "5,only-one-field,,,failed,", "7," + ob + "," + v1 + ",,ok,,"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[i].rfind(starts[i], 0), 0u) << rows[i];

  // The good pair wrote what one comparison of the command line writes.
  const BatchRun one = runBatch({v1, v2, "--channel", "delta", "--results", d.file("one_r.txt"), "--export",
                                 d.file("one_n.txt"), "--summary", d.file("one.csv")});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(readAll(d.file("a_results.txt")) + readAll(d.file("a_norm.txt")),
            readAll(d.file("one_r.txt")) + readAll(d.file("one_n.txt")));
  EXPECT_TRUE(fs::exists(d.file("a.png")) && !fs::exists(d.file("b_results.txt")));
  const std::string oneRow = readAll(d.file("one.csv"));
  EXPECT_EQ(oneRow.substr(oneRow.find(",ok,")), rows[1].substr(rows[1].find(",ok,")) + "\n");

  const BatchRun none = runBatch({"--pairs", d.file("none.csv")});
  EXPECT_EQ(std::tie(none.status, none.err),
            std::tuple(1, "Error: Cannot read the list of pairs \"" + d.file("none.csv") + "\".\n"));
  const BatchRun noFolder = runBatch({"--pairs", list, "--summary", d.file("no/sum.csv")});
  EXPECT_NE(noFolder.err.find("Cannot write the summary"), std::string::npos) << noFolder.err;
}

TEST(BatchPairs, QuotedFieldsAndTheOptionalHeader) {
  const auto lines = batch::readPairLines("SCAN1,SCAN2\n\"a,b.txt\",\"say \"\"hi\"\"\" ,  s  \n\"open,x\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].line, 2);
  EXPECT_EQ(lines[0].fields, (std::vector<std::string>{"a,b.txt", "say \"hi\"", "s"}));
  EXPECT_NE(lines[1].error.find("no closing quote"), std::string::npos);
  EXPECT_EQ(batch::csvField("a \"b\", c") + batch::csvField("a,b"), "\"a \"\"b\"\", c\"\"a,b\"");
}

// The program itself, run from the examples' folder.
TEST(BatchProgram, RunsFromTheCommandLine) {
  ScratchDir d;
  const auto sh = [&](const std::string& args) {
    const std::string command = "cd " + example("") + " && " VARNEL_BATCH_EXE " " + args;
    const int s = std::system((command + " >" + d.file("out") + " 2>" + d.file("err")).c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  };
  EXPECT_EQ(sh("--help"), 0);
  EXPECT_NE(readAll(d.file("out")).find("--pairs LIST.csv"), std::string::npos);
  const std::string line = "back_visit1.txt other_back.txt --lower 12 --channel right";
  EXPECT_EQ(sh(line + " --results " + d.file("r.txt") + " --report " + d.file("r.pdf")), 0) << readAll(d.file("err"));
  FormFixture f;
  actLikeAUser(f, parsed(line));
  const std::string correlation = batch::resultTexts(f.form)[2][1];
  EXPECT_NE(readAll(d.file("out")).find("Correlation       " + correlation), std::string::npos);
  f.dialog.answers = {f.dir.file("r.txt")};
  f.form.filesave_Click();
  EXPECT_EQ(readAll(d.file("r.txt")), readAll(f.dir.file("r.txt")));
  // The report holds what the window shows; its layout is tested with the report itself.
  ASSERT_EQ(std::system(("pdftotext " + d.file("r.pdf") + " " + d.file("r.pdf.txt")).c_str()), 0);
  EXPECT_NE(readAll(d.file("r.pdf.txt")).find(correlation), std::string::npos);
  EXPECT_EQ(sh("--lower"), 2);
  EXPECT_EQ(readAll(d.file("err")), "varnel-batch: --lower needs a value\nTry 'varnel-batch --help'.\n");
}

}  // namespace
}  // namespace varnel::test
