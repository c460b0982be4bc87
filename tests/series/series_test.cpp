// A series of visits: its pairs against the single comparison, its figures
// against values worked by hand, and the command's failures.
#include <gtest/gtest.h>
#include <sys/wait.h>


#include "batch/comparison.hpp"
#include "series/series.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {
namespace fs = std::filesystem;
std::string example(const std::string& name) { return std::string(VARNEL_SOURCE_DIR) + "/examples/" + name; }

// Every pair, earlier visit as File 1, gives the single comparison's texts.
TEST(Series, EveryPairIsTheSingleComparisonOfThatPair) {
  batch::Steps steps;
  steps.lower = 20, steps.smooth = {model::kRight}, steps.channel = model::kDelta;
  const std::vector<std::string> paths{example("back_visit1.txt"), example("other_back.txt"),
                                       example("short_scan.txt"), example("back_visit2.txt")};
  const series::Series s = series::compute(paths, steps, {}, {});
  ASSERT_EQ(s.pairs.size(), 6u);
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) {
      const series::Pair& p = s.pair(i, j);
      EXPECT_EQ(std::tie(p.earlier, p.later, p.channel), std::tuple(i, j, series::Channel::Delta));
      batch::Comparison c;
      c.scan1 = paths[static_cast<std::size_t>(i)], c.scan2 = paths[static_cast<std::size_t>(j)];
      const batch::Outcome single = batch::runComparison(c, steps);
      EXPECT_EQ(p.outcome.results, single.results) << i << "," << j;
      EXPECT_TRUE(p.outcome.ok && single.ok);
      // Over points 20..59 of the short scan, or 20..500.
      EXPECT_EQ(p.agreement[model::kDelta]->points, i == 2 || j == 2 ? 40 : 481);
    }
}

// Delta-T of points 0..3: 36.4 - 36.1 (0.3 within rounding), -0.5, 0.5,
// 36.1 - 36.0.
TEST(Series, AsymmetryWorkedByHand) {
  model::Table t{};
  const double readings[4][2] = {{36.4, 36.1}, {35.0, 35.5}, {36.0, 35.5}, {36.1, 36.0}};
  for (std::size_t j = 0; j < 4; ++j) t[j] = {readings[j][0] - readings[j][1], readings[j][0], readings[j][1]};
  const series::Thresholds th{0.3, 0.5};
  struct Case {
    int lo, hi, points;
    double mean, largest;
    int at, reach1, reach2;
  };
  const Case cases[] = {
      {0, 500, 4, 0.1, 0.5, 1, 3, 2},  // the tie of |-0.5| and 0.5 goes to the lower point
      {2, 500, 2, 0.3, 0.5, 2, 1, 1},  // 36.1 - 36.0 does not reach 0.3
      {0, 0, 1, 0.3, 0.3, 0, 1, 0},    // one point
      {9, 500, 1, 0.1, 0.1, 3, 0, 0},  // a cut-off past the last point is held to it
      {3, 2, 0, 0.0, 0.0, 0, 0, 0},    // none
  };
  for (const Case& c : cases) {
    const series::Asymmetry a = series::asymmetry(t, 3, c.lo, c.hi, th);
    EXPECT_EQ(std::tie(a.points, a.largestAt, a.reachT1, a.reachT2), std::tie(c.points, c.at, c.reach1, c.reach2))
        << c.lo << ".." << c.hi;
    EXPECT_NEAR(a.meanDelta, c.mean, 1e-12) << c.lo;
    EXPECT_NEAR(a.largestDelta, c.largest, 1e-12) << c.lo;
  }
}

// Later minus earlier: 1, 0, 2; mean 1, sample deviation 1.
TEST(Series, AgreementWorkedByHand) {
  model::Table earlier{}, later{};
  const double e[] = {1, 2, 3}, l[] = {2, 2, 5};
  for (std::size_t j = 0; j < 3; ++j) earlier[j][model::kLeft] = e[j], later[j][model::kLeft] = l[j];
  const auto all = series::agreement(earlier, later, model::kLeft, 0, 2);
  ASSERT_TRUE(all && all->lower && all->upper);
  EXPECT_EQ(std::tie(all->points, all->meanDifference), std::tuple(3, 1.0));
  EXPECT_DOUBLE_EQ(*all->lower, 1 - 1.96);
  EXPECT_DOUBLE_EQ(*all->upper, 1 + 1.96);
  const auto one = series::agreement(earlier, later, model::kLeft, 2, 2);
  ASSERT_TRUE(one);
  EXPECT_EQ(std::tie(one->points, one->meanDifference), std::tuple(1, 2.0));
  EXPECT_FALSE(one->lower || one->upper);
  EXPECT_FALSE(series::agreement(earlier, later, model::kLeft, 2, 1));
  EXPECT_DOUBLE_EQ(series::agreement(later, earlier, model::kLeft, 0, 2)->meanDifference, -1.0);
}

TEST(Series, VisitListRelativeToItsFolder) {
  const std::string text = "# visits\r\n\r\nvisit2/scan.txt\r\n  \n/elsewhere/b.txt\n../up.txt";
  const std::vector<std::string> want{"/p/visit2/scan.txt", "/elsewhere/b.txt", "/up.txt"};
  EXPECT_EQ(series::readVisitList(text, "/p"), want);
  EXPECT_EQ(series::visitListText(want, "/p/"), "visit2/scan.txt\n/elsewhere/b.txt\n/up.txt\n");
}

std::tuple<int, std::string, std::string> batch(const std::string& args) {
  static const ScratchDir io;
  const std::string command = "cd " + example("") + " && " VARNEL_BATCH_EXE " " + args;
  const int s = std::system((command + " >" + io.file("out") + " 2>" + io.file("err")).c_str());
  return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, readAll(io.file("out")), readAll(io.file("err"))};
}

// A visit that cannot be loaded, or holds no reading, fails with its pairs;
// the rest go on. Fewer than two visits to compare write nothing.
TEST(SeriesCommand, FailedVisitsAndTooFewOfThem) {
  ScratchDir d;
  const std::string empty = d.write("empty.txt", ""), tables = " --visit-table " + d.file("v.csv") +
                                                               " --pair-table " + d.file("p.csv") +
                                                               " --report " + d.file("r.pdf");
  d.write("list.txt", "# in visit order\n" + example("back_visit1.txt") + "\ngone.txt\n\nempty.txt\n" +
                          example("back_visit2.txt") + "\n");
  const auto [status, out, err] = batch("--visits --visit-list " + d.file("list.txt") + tables);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("visit 2: Error: Cannot load the scan \"" + d.file("gone.txt") + "\": "), std::string::npos);
  EXPECT_NE(err.find("visit 3: Error: Cannot load the scan \"" + empty + "\": it holds no readings."),
            std::string::npos);
  const std::string visits = readAll(d.file("v.csv")), pairs = readAll(d.file("p.csv"));
  EXPECT_NE(visits.find("\n2," + d.file("gone.txt") + ",,failed,\"Cannot load"), std::string::npos) << visits;
  EXPECT_NE(visits.find("\n4," + example("back_visit2.txt") + ",500,ok,,0.130299401197605,0.82,387,103,34\n"),
            std::string::npos)
      << visits;
  EXPECT_NE(pairs.find("\n1,3," + example("back_visit1.txt") + "," + empty + ",failed,\"Cannot load"),
            std::string::npos);
  EXPECT_NE(pairs.find("\n1,4," + example("back_visit1.txt") + "," + example("back_visit2.txt") + ",ok,,0.98614"),
            std::string::npos);
  // Visit 4 against visit 3 (failed) and visit 1: correlation and t % of Left Temp.
  EXPECT_NE(out.find("\n4      500     0.130299401197605  0.82               387  103       34        failed      failed"
                     "        0.998100542255158  0.957317073170732\n"),
            std::string::npos)
      << out;
  ASSERT_EQ(std::system(("pdftotext " + d.file("r.pdf") + " " + d.file("r.txt")).c_str()), 0);
  for (const char* text : {"gone.txt", "back_visit2.txt", "0.130299401197605", "Correlation, Left Temp"})
    EXPECT_NE(readAll(d.file("r.txt")).find(text), std::string::npos) << text;

  const std::pair<std::string, int> refused[] = {
      {"--visits back_visit1.txt", 1}, {"--visits back_visit1.txt " + empty, 1},
      {"--visits --visit-list " + d.file("none.txt"), 1}, {"--visits back_visit1.txt back_visit2.txt --t1 x", 2},
      {"--visits back_visit1.txt back_visit2.txt --results " + d.file("r"), 2},
      {"back_visit1.txt back_visit2.txt --pair-table " + d.file("p"), 2},
      {"--visits back_visit1.txt back_visit2.txt --pair-table back_visit2.txt", 1}};
  for (const auto& [args, code] : refused) {
    fs::remove(d.file("v.csv")), fs::remove(d.file("p.csv")), fs::remove(d.file("r.pdf"));
    const auto [st, o, e] = batch(tables + " " + args);
    EXPECT_EQ(std::tie(st, o), std::tuple(code, "")) << args << ": " << e;
    EXPECT_FALSE(fs::exists(d.file("v.csv")) || fs::exists(d.file("p.csv")) || fs::exists(d.file("r.pdf"))) << args;
  }
}

}  // namespace
}  // namespace varnel::test
