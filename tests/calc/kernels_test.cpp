// The congruence kernels on hand-worked tables; the two-ratio lanes (SIMD
// where this processor has them, scalar everywhere) bit for bit against the
// scalar reference.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "calc/area_ratio.hpp"
#include "calc/correlation.hpp"
#include "calc/slope_agreement.hpp"
#include "calc/two_ratio.hpp"

namespace varnel::calc {
namespace {
TEST(Correlation, InclusiveRangeAndUndefinedCases) {
  model::Table a{}, b{};
  a[10][1] = 1, a[11][1] = 2, a[12][1] = 3, b[10][1] = 1, b[11][1] = 3, b[12][1] = 2;
  a[9][1] = a[21][1] = 100;  // just outside
  // n = 11, Sx = Sy = 6, Sxx = Syy = 14, Sxy = 13: r = 107 / sqrt(118 x 118).
  EXPECT_EQ(correlations(a, b, 10, 20)[1], 107.0 / 118.0);
  for (const auto& [lo, hi] : {std::pair{11, 11}, {20, 10}, {13, 20}})  // one point, crossed, constant
    EXPECT_FALSE(correlations(a, b, lo, hi)[1]) << lo << ".." << hi;
  // Two points of an almost flat File 2: the one-pass sums cancel and the raw
  // quotient lands below -1; the coefficient stays at the bound.
  a[10][0] = 113.17320698935386, a[11][0] = 188.23476237681473;
  b[10][0] = 160.26807975318673, b[11][0] = 160.2680721234301;
  EXPECT_EQ(correlations(a, b, 10, 11)[0], -1.0);
}
TEST(SlopeAgreement, SinglePrecisionThresholdComparedInDouble) {
  model::Table s1{}, s2{};
  const double t = static_cast<double>(0.1f);  // a little above 0.1
  s1[1][2] = t, s1[2][2] = std::nextafter(t, 1.0), s2[3][2] = 0.1;
  std::vector<int> agreed;
  EXPECT_EQ(slopeAgreement(s1, s2, 2, 1, 4, 0.1f, [&](int i) { agreed.push_back(i); }).compared, 4);
  EXPECT_EQ(agreed, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(slopeAgreement(s1, s2, 2, 1, 4, -1.0f).agreeing, 0);
}
TEST(AreaRatio, WorkedExampleFullAreaAndCrossedRange) {
  model::Table a{}, b{};
  for (int i = 0; i <= model::kLastPoint; ++i) b[i][2] = i >= 10 && i <= 20 ? 20.0 : 90.0;
  const AreaSums s = areaSums(a, b, 10, 20, 250.0f);  // D = 11 x 20, F = 2000
  EXPECT_EQ(std::tuple(areaRatio(s, 2), areaRatio(s, 0)), std::tuple(0.89, 1.0));
  EXPECT_EQ(areaRatio(areaSums(a, b, 30, 20, 250.0f), 2), 1.0);
  // W x 0.8 first: W x (0.8 x 500) would give exactly 80800.
  EXPECT_EQ(areaSums(a, b, 0, 500, 202.0f).full, 80800.00000000001);
}
// One window over points 0..9 with x = 0..9 on every channel.
TEST(TwoRatio, CorrelationAndMeansBounds) {
  model::Table a{}, r{}, t{};
  // Permutations of 0..9 with Sxy = 255 (r = 525 / 825 = 0.636) and 254 (0.624).
  const int pass[] = {5, 1, 2, 4, 3, 0, 8, 7, 6, 9}, fail[] = {5, 2, 1, 4, 3, 0, 8, 7, 6, 9};
  for (int j = 0; j < 10; ++j) {
    a[j] = {1.0 * j, 1.0 * j, 1.0 * j};
    r[j] = {1.0 * pass[j], 1.0 * fail[j], 5.0};
    t[j] = {j - 2.4, j - 2.6, j + 2.6};  // t = 1.68, 1.82, -1.82 with n - 1 divisors
  }
  const TwoRatio byR = twoRatio(a, r, 0, 9);
  EXPECT_EQ(byR.correlationPasses, (std::array<int, 3>{1, 0, 0}));  // a flat File 2 has no r
  EXPECT_EQ(byR.meansPasses[2], 1);
  EXPECT_EQ(twoRatio(a, t, 0, 9).meansPasses, (std::array<int, 3>{1, 0, 1}));
  const TwoRatio flat = twoRatio(model::Table{}, model::Table{}, 0, 9);
  EXPECT_EQ(flat.correlationPasses[0] + flat.meansPasses[0], 0);
}
using model::kLastPoint;
struct TwoRatioLanes : ::testing::TestWithParam<Lanes> {
  void SetUp() override {
    if (!lanesAvailable(GetParam())) GTEST_SKIP() << "this processor lacks these instructions";
  }
  // The lanes over lo..hi against the reference, whose result is returned.
  TwoRatio expectSame(const model::Table& a, const model::Table& b, int lo, int hi) {
    std::vector<std::tuple<int, int, WindowTest>> want, got;
    const auto mark = [](auto& to) { return [&to](int i, int k, WindowTest t) { to.emplace_back(i, k, t); }; };
    const TwoRatio r = reference::twoRatio(a, b, lo, hi, mark(want));
    const TwoRatio l = twoRatioWith(a, b, lo, hi, mark(got), GetParam());
    EXPECT_EQ(std::tie(l.windows, l.correlationPasses, l.meansPasses, l.failedChannel),
              std::tie(r.windows, r.correlationPasses, r.meansPasses, r.failedChannel))
        << lo << ".." << hi;
    EXPECT_TRUE(got == want) << lo << ".." << hi << ": " << got.size() << " marks, want " << want.size();
    for (int k = 0; k < model::kChannels; ++k) {  // the marks of one channel alone
      std::vector<std::tuple<int, int, WindowTest>> one, wantOne;
      twoRatioWith(a, b, lo, hi, mark(one), GetParam(), k);
      for (const auto& m : want)
        if (std::get<1>(m) == k) wantOne.push_back(m);
      EXPECT_TRUE(one == wantOne) << lo << ".." << hi << " channel " << k;
    }
    return r;
  }
};
// Noisy waves or small integers, with stretches of NaN, infinities, huge,
// tiny or flat values, and windows where t or P alone overflows, or t after
// r passed; ranges
// crossed, too short for a window, off the table or anywhere on it.
TEST_P(TwoRatioLanes, MatchesReferenceOnRandomScansAndRanges) {
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> point(0, kLastPoint - 9), small(0, 3), kind(0, 9), edge(-8, kLastPoint + 8);
  const double hostile[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, 1e-160, 0x1p490, 5e-324}, p = 0x1p490, d = 1e-160;
  const double special[3][2][10] = {
      {{0, d, 0, d, 0, d, 0, d, 0, d}, {p, p, p, p, p, p, p, p, p, p}},
      {{1e150, -1e150, 1e150, -1e150}, {1e150, 0, -1e150, 0, 1}},
      // r passes, then t overflows: the two formulas round File 1's spread to 0 in t's only.
      {{0x1.000002p+506, 0x1.000001cp+506, 0x1.0000014p+506, 0x1.000001cp+506, 0x1.0000018p+506, 0x1.0000018p+506,
        0x1.000001cp+506, 0x1.0000028p+506, 0x1.000002p+506, 0x1.0000018p+506},
       {0, 0x1p-536, 0x1p-537, 0x1p-536, 0x1p-537, 0, 0x1p-537, 0x1p-536, 0x1p-536, 0x1p-537}}};
  int marks = 0, stops[model::kChannels] = {}, offTable = 0, noWindow = 0;
  for (int run = 0; run < 1500 && !HasFailure(); ++run) {
    model::Table a, b;
    const bool integers = kind(rng) < 3;
    const double spread = std::pow(10.0, 3.0 * u(rng));
    for (int i = 0; i <= kLastPoint; ++i)
      for (int k = 0; k < model::kChannels; ++k) {
        const double wave = 30.0 + std::sin(i / (7.0 + k)) * spread;
        a[i][k] = integers ? small(rng) : wave + 0.3 * spread * u(rng);
        b[i][k] = integers ? small(rng) : wave + 0.5 * spread * u(rng);
      }
    for (int n = kind(rng) < 4 ? 1 + small(rng) : 0; n > 0; --n) {
      const double v = hostile[kind(rng) % 8];
      const int at = point(rng), len = 1 + small(rng) * 4, k = small(rng) % 3, which = kind(rng);
      for (int i = at; i < at + len && i <= kLastPoint; ++i)
        a[i][k] = which < 6 ? v : a[i][k], b[i][k] = which > 3 ? v : b[i][k];
    }
    const int e = kind(rng), at = point(rng), k = small(rng) % 3;
    for (int j = 0; e < 3 && j < 10; ++j) a[at + j][k] = special[e][0][j], b[at + j][k] = special[e][1][j];
    for (int j = 0; j < 4; ++j) {
      int lo = edge(rng), hi = edge(rng);
      if (j < 2) std::tie(lo, hi) = std::pair(std::min(lo, hi), std::max(lo, hi));
      const TwoRatio want = expectSame(a, b, lo, hi);
      for (int k = 0; k < model::kChannels; ++k) marks += want.correlationPasses[k] + want.meansPasses[k];
      noWindow += want.windows == 0;
      if (want.failed() && want.windows > 0)
        ++(lo < 0 || lo + 3 + want.windows > kLastPoint - 5 ? offTable : stops[want.failedChannel]);
    }
  }
  EXPECT_GT(marks, 100000);
  EXPECT_GT(std::min(offTable, noWindow), 100);
  for (const int n : stops) EXPECT_GT(n, 20);
}
// Windows whose r or t lies on its bound to the last bit catch a kernel that
// rounds any sum, quotient or root differently.
TEST_P(TwoRatioLanes, MatchesReferenceOnWindowsAtTheBounds) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  model::Table a{}, b{};
  int windows = 0;
  for (int at = 0; at + 10 <= model::kPoints; at += 10) {
    const bool byR = at / 30 % 2 == 0;
    double x[10], y[10];
    for (int j = 0; j < 10; ++j) x[j] = 20.0 + j + 3.0 * u(rng), y[j] = x[j] + 2.0 * u(rng);
    // v replaces File 2's last point (r) or lowers all of File 2 (t); far off, both tests fail.
    const auto scan2 = [&](double v, int j) { return byR ? (j == 9 ? v : y[j]) : y[j] - v; };
    const auto passes = [&](double v) {
      model::Table p{}, q{};
      for (int j = 0; j < 10; ++j) p[j][0] = x[j], q[j][0] = scan2(v, j);
      const TwoRatio r = reference::twoRatio(p, q, 0, 9);
      return (byR ? r.correlationPasses : r.meansPasses)[0] == 1;
    };
    double in = byR ? y[9] : 0.0, out = byR ? -1e4 : 1e4;
    if (passes(in) == passes(out)) continue;
    for (double mid = in + (out - in) / 2; mid != in && mid != out; mid = in + (out - in) / 2)
      (passes(mid) == passes(in) ? in : out) = mid;
    const double v = u(rng) < 0 ? in : out;
    for (int j = 0; j < 10; ++j) a[at + j][at / 10 % 3] = x[j], b[at + j][at / 10 % 3] = scan2(v, j);
    ++windows;
  }
  ASSERT_GT(windows, 40);
  for (int lo = 0; lo < 4; ++lo) expectSame(a, b, lo, 500);  // each window in every lane
}
// r = 3160 / sqrt(5000 x 5000) and t = 867 / sqrt(2,250,000 / 9), every step
// exact: both land on their bound and pass, in every lane of a register.
TEST_P(TwoRatioLanes, PassesExactlyOnTheBounds) {
  const double x[10] = {13, 1, 18, 12, 7, 27, 15, 3, 13, 11}, y[10] = {13, 18, 15, 7, 1, 27, 13, 3, 11, 12};
  // File 2 is File 1 lowered by 867; the squared deviations add up to 9 x 1,125,000.
  const double d[10] = {-383, -58, 1498, 434, 610, -1189, -587, 906, 769, -2000};
  model::Table a{}, b{};
  for (int j = 0; j < 10; ++j) a[10 + j] = {x[j], 1000 + d[j], 0}, b[10 + j] = {y[j], 133 + d[j], 0};
  const TwoRatio r = expectSame(a, b, 10, 19);
  EXPECT_EQ(std::tie(r.windows, r.correlationPasses[0], r.meansPasses[1]), std::tuple(1, 1, 1));
  for (int before = 1; before < 4; ++before) expectSame(a, b, 10 - before, 19);  // lane 3 x before + channel
}
// The widest lanes divide by n = 10 and n - 1 = 9 with multiply-adds where
// that gives the divider's bits. Any finite dividend: random bits, exact
// multiples and their neighbours, subnormal quotients (among which halfway
// cases lie), the extremes.
TEST(TwoRatioQuotients, ByTenAndNineRoundAsTheDivider) {
  if (!lanesAvailable(Lanes::Avx2)) GTEST_SKIP() << "no AVX2 lanes here: the divider divides";
  std::mt19937_64 rng(2026);
  std::uniform_int_distribution<int> small(1, 100000);
  std::vector<double> as = {0.0, -0.0, DBL_MAX, -DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 15 * DBL_TRUE_MIN, 0x1p-1000};
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t bits = rng();
    double a;
    std::memcpy(&a, &bits, sizeof a);
    if (!std::isfinite(a)) continue;
    as.push_back(a);
    as.push_back(std::nextafter(10.0 * std::ldexp(small(rng), small(rng) % 60 - 30), 0.0));
    as.push_back(std::ldexp(small(rng), -1074 + small(rng) % 80));
  }
  int checked = 0;
  for (const double b : {9.0, 10.0}) {
    for (const double a : as) {
      const double got = detail::laneQuotient(a, b), want = a / b;
      if (std::memcmp(&got, &want, sizeof got) != 0) {
        ADD_FAILURE() << std::hexfloat << a << " / " << b << " gave " << got << ", the divider " << want;
        return;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 500000);
}

const char* const kLaneNames[] = {"Widest", "Scalar", "Sse2", "Avx2"};
INSTANTIATE_TEST_SUITE_P(, TwoRatioLanes, ::testing::Values(Lanes::Scalar, Lanes::Sse2, Lanes::Avx2, Lanes::Widest),
                         [](const auto& info) { return kLaneNames[int(info.param)]; });
}  // namespace
}  // namespace varnel::calc
