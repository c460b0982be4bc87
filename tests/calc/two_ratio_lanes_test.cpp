// The SIMD two-ratio kernels against the scalar reference: same counts, same
// failing channel, same marks in the same order, on every lane width this
// processor runs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "calc/two_ratio.hpp"

using namespace varnel;

namespace {

using Call = std::tuple<int, int, calc::WindowTest>;

struct Marks {
  calc::TwoRatio res;
  std::vector<Call> calls;
};

// Each pass as reported, with the result.
template <class Run>
Marks record(Run run) {
  Marks m;
  m.res = run([&m](int i, int k, calc::WindowTest t) { m.calls.emplace_back(i, k, t); });
  return m;
}

Marks reference(const model::Table& a, const model::Table& b, int lo, int hi) {
  return record([&](const auto& f) { return calc::reference::twoRatio(a, b, lo, hi, f); });
}

Marks lanes(const model::Table& a, const model::Table& b, int lo, int hi, calc::Lanes l) {
  return record([&](const auto& f) { return calc::twoRatioWith(a, b, lo, hi, f, l); });
}

void expectSame(const Marks& want, const Marks& got, const std::string& what) {
  const auto counts = [](const calc::TwoRatio& r) {
    return std::tuple(r.windows, r.correlationPasses, r.meansPasses, r.failedChannel);
  };
  EXPECT_TRUE(counts(got.res) == counts(want.res)) << what << ": " << got.res.windows << " windows, failed on "
                                                   << got.res.failedChannel << ", want " << want.res.windows << ", "
                                                   << want.res.failedChannel;
  EXPECT_TRUE(got.calls == want.calls) << what << ": " << got.calls.size() << " marks, want " << want.calls.size();
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Two scans of one of several kinds: correlated noise around a wave (passes
// and misses near the bounds), small integers (flat windows, P or S zero),
// and now and then a hostile stretch (NaN, infinities, 1e300 that overflows
// the sums, underflowing tiny values, exact powers of two held flat).
struct Scans {
  model::Table a{}, b{};
};
Scans randomScans(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> point(0, model::kLastPoint), small(0, 3), kind(0, 9);
  Scans s;
  const bool integers = kind(rng) < 3;
  const double spread = std::pow(10.0, 3.0 * u(rng));
  for (int i = 0; i <= model::kLastPoint; ++i) {
    for (int k = 0; k < model::kChannels; ++k) {
      const double wave = 30.0 + std::sin(i / (7.0 + k)) * spread;
      s.a[i][k] = integers ? small(rng) : wave + 0.3 * spread * u(rng);
      s.b[i][k] = integers ? small(rng) : wave + 0.5 * spread * u(rng);
    }
  }
  const double hostile[] = {kNaN, kInf, -kInf, 1e300, -1e300, 1e-160, 0x1p490, 5e-324};
  const int stretches = kind(rng) < 4 ? 1 + small(rng) : 0;
  for (int n = 0; n < stretches; ++n) {
    const double v = hostile[static_cast<std::size_t>(kind(rng)) % std::size(hostile)];
    const int at = point(rng), len = 1 + small(rng) * 4, k = small(rng) % 3;
    auto& t = kind(rng) < 5 ? s.a : s.b;
    for (int i = at; i < at + len && i <= model::kLastPoint; ++i) t[i][k] = v;
  }
  return s;
}

}  // namespace

struct TwoRatioLanes : ::testing::TestWithParam<calc::Lanes> {
  void SetUp() override {
    if (!calc::lanesAvailable(GetParam())) GTEST_SKIP() << "this processor lacks these instructions";
  }
};

TEST_P(TwoRatioLanes, MatchesReferenceOnRandomScansAndRanges) {
  std::mt19937_64 rng(20261207);
  std::uniform_int_distribution<int> edge(-8, model::kLastPoint + 8), any(0, 7);
  // Whole, crossed, too short for a window, single window, off either end.
  const std::pair<int, int> fixed[] = {{0, 500}, {0, 9}, {0, 8}, {1, 10}, {9, 0}, {250, 250}, {-3, 20},
                                       {-3, 5}, {491, 500}, {490, 505}, {488, 500}, {0, 12}, {3, 400}};
  int marks = 0, stops[model::kChannels] = {}, offTable = 0, noWindow = 0;
  for (int run = 0; run < 1500; ++run) {
    const Scans s = randomScans(rng);
    for (int j = 0; j < 4; ++j) {
      int lo = edge(rng), hi = edge(rng);
      if (j == 0) std::tie(lo, hi) = fixed[static_cast<std::size_t>(run) % std::size(fixed)];
      if (j == 1 && any(rng) < 6) std::tie(lo, hi) = std::make_pair(std::min(lo, hi), std::max(lo, hi));
      const Marks want = reference(s.a, s.b, lo, hi);
      expectSame(want, lanes(s.a, s.b, lo, hi, GetParam()), "run " + std::to_string(run));
      if (HasFailure()) return;
      marks += static_cast<int>(want.calls.size());
      if (want.res.windows == 0) ++noWindow;
      else if (want.res.failed() && (lo + 4 < 4 || lo + 3 + want.res.windows > 495)) ++offTable;
      else if (want.res.failed()) ++stops[want.res.failedChannel];
    }
  }
  // The corpus reached what it is meant to reach.
  EXPECT_GT(marks, 100000);
  EXPECT_GT(offTable, 100);
  EXPECT_GT(noWindow, 100);
  for (const int n : stops) EXPECT_GT(n, 20);
}

// Hand-made windows at the edges of the formulas, one channel each.
TEST_P(TwoRatioLanes, MatchesReferenceOnEdgeWindows) {
  struct Case {
    const char* name;
    double x[10], y[10];
  };
  const double p = 0x1p490, d = 1e-160;
  const Case cases[] = {
      // File 2 flat at an exact power of two, File 1 barely varying: S is a
      // few subnormals, so t overflows and the means test stops.
      {"t overflows", {0, d, 0, d, 0, d, 0, d, 0, d}, {p, p, p, p, p, p, p, p, p, p}},
      {"all flat", {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
      {"P overflows", {1e150, -1e150, 1e150, -1e150, 0, 0, 0, 0, 0, 0}, {1e150, 0, -1e150, 0, 1, 0, 0, 0, 0, 0}},
      {"NaN in File 2", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2, 3, kNaN, 5, 6, 7, 8, 9}},
  };
  for (const Case& c : cases) {
    for (int k = 0; k < model::kChannels; ++k) {
      // The window sits at several offsets so that it meets every lane.
      for (int at = 0; at < 6; ++at) {
        model::Table a{}, b{};
        for (int i = 0; i <= model::kLastPoint; ++i) a[i] = b[i] = {i * 0.5, 1.0 + (i % 7), 2.0 * (i % 3)};
        for (int j = 0; j < 10; ++j) a[40 + at + j][k] = c.x[j], b[40 + at + j][k] = c.y[j];
        expectSame(reference(a, b, 30, 70), lanes(a, b, 30, 70, GetParam()), c.name);
      }
    }
  }
  // The overflowing t is reached at all: the means test stops on its channel.
  model::Table a{}, b{};
  for (int j = 0; j < 10; ++j) a[j][1] = cases[0].x[j], b[j][1] = cases[0].y[j];
  EXPECT_EQ(calc::reference::twoRatio(a, b, 0, 9).failedChannel, 1);
}

// Windows whose r or t lies on its bound to the last bit: one point of File 2
// is bisected down to the two neighbouring doubles where the reference's
// verdict flips. A kernel that rounds any sum, quotient or root differently
// flips some of these verdicts, though the counts on ordinary scans agree.
TEST_P(TwoRatioLanes, MatchesReferenceOnWindowsAtTheBounds) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  model::Table a{}, b{};
  int windows = 0;
  for (int at = 0; at + 10 <= model::kPoints; at += 10) {
    const int k = at / 10 % model::kChannels;
    const auto test = at / 30 % 2 ? calc::WindowTest::Means : calc::WindowTest::Correlation;
    double x[10], y[10];
    for (int j = 0; j < 10; ++j) x[j] = 20.0 + j + 3.0 * u(rng), y[j] = x[j] + 2.0 * u(rng);
    // v replaces File 2's last point (r) or lowers all of File 2 (t);
    // far off, both tests fail.
    const auto scan2 = [&](double v, int j) { return test == calc::WindowTest::Correlation ? (j == 9 ? v : y[j]) : y[j] - v; };
    const auto passes = [&](double v) {
      model::Table p{}, q{};
      for (int j = 0; j < 10; ++j) p[j][0] = x[j], q[j][0] = scan2(v, j);
      const calc::TwoRatio r = calc::reference::twoRatio(p, q, 0, 9);
      return (test == calc::WindowTest::Correlation ? r.correlationPasses : r.meansPasses)[0] == 1;
    };
    double in = test == calc::WindowTest::Correlation ? y[9] : 0.0, out = test == calc::WindowTest::Correlation ? -1e4 : 1e4;
    if (passes(in) == passes(out)) continue;
    for (double mid = in + (out - in) / 2; mid != in && mid != out; mid = in + (out - in) / 2)
      (passes(mid) == passes(in) ? in : out) = mid;
    const double v = u(rng) < 0 ? in : out;
    for (int j = 0; j < 10; ++j) a[at + j][k] = x[j], b[at + j][k] = scan2(v, j);
    ++windows;
  }
  ASSERT_GT(windows, 40) << windows;
  // Shifted ranges put each window into every lane.
  for (int lo = 0; lo < 4; ++lo) expectSame(reference(a, b, lo, 500), lanes(a, b, lo, 500, GetParam()), "bounds");
}

std::string lanesName(const ::testing::TestParamInfo<calc::Lanes>& info) {
  const char* names[] = {"Widest", "Sse2", "Avx2"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(, TwoRatioLanes,
                         ::testing::Values(calc::Lanes::Sse2, calc::Lanes::Avx2, calc::Lanes::Widest), lanesName);
