// The congruence kernels on small hand-made tables.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calc/area_ratio.hpp"
#include "calc/correlation.hpp"
#include "calc/slope_agreement.hpp"
#include "calc/two_ratio.hpp"

using namespace varnel;

TEST(Correlation, InclusiveRangeAndUndefinedCases) {
  model::Table a{}, b{};
  a[10][1] = 1, a[11][1] = 2, a[12][1] = 3;
  b[10][1] = 1, b[11][1] = 3, b[12][1] = 2;
  a[9][1] = a[21][1] = 100;  // just outside
  // n = 11, Sx = Sy = 6, Sxx = Syy = 14, Sxy = 13: r = 107 / sqrt(118 x 118).
  EXPECT_EQ(calc::pearsonSums(a, b, 1, 10, 20).n, 11.0);
  EXPECT_EQ(calc::correlation(a, b, 1, 10, 20), 107.0 / 118.0);
  EXPECT_FALSE(calc::correlation(a, b, 1, 11, 11));   // one point
  EXPECT_FALSE(calc::correlation(a, b, 1, 20, 10));   // crossed: empty
  EXPECT_FALSE(calc::correlation(a, b, 1, 13, 20));   // constant

  // Two points of an almost flat File 2: the one-pass sums cancel and the raw
  // quotient lands below -1; the coefficient stays at the bound.
  a[10][0] = 113.17320698935386;
  a[11][0] = 188.23476237681473;
  b[10][0] = 160.26807975318673;
  b[11][0] = 160.2680721234301;
  EXPECT_EQ(calc::correlation(a, b, 0, 10, 11), -1.0);
}

TEST(SlopeAgreement, SinglePrecisionThresholdComparedInDouble) {
  model::Table s1{}, s2{};
  const double t = static_cast<double>(0.1f);  // a little above 0.1
  s1[1][2] = t;
  s1[2][2] = std::nextafter(t, 1.0);
  s2[3][2] = 0.1;
  std::vector<int> agreed;
  const auto a = calc::slopeAgreement(s1, s2, 2, 1, 4, 0.1f, [&](int i) { agreed.push_back(i); });
  EXPECT_EQ(a.compared, 4);
  EXPECT_EQ(agreed, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(calc::slopeAgreement(s1, s2, 2, 1, 4, -1.0f).agreeing, 0);
}

TEST(AreaRatio, WorkedExampleFullAreaAndCrossedRange) {
  model::Table a{}, b{};
  for (int i = 0; i <= model::kLastPoint; ++i) b[i][2] = i >= 10 && i <= 20 ? 20.0 : 90.0;
  const calc::AreaSums s = calc::areaSums(a, b, 10, 20, 250.0f);  // D = 11 x 20, F = 2000
  EXPECT_EQ(calc::areaRatio(s, 2), 0.89);
  EXPECT_EQ(calc::areaRatio(s, 0), 1.0);
  EXPECT_EQ(calc::areaRatio(calc::areaSums(a, b, 30, 20, 250.0f), 2), 1.0);
  // W x 0.8 first: W x (0.8 x 500) would give exactly 80800.
  EXPECT_EQ(calc::areaSums(a, b, 0, 500, 202.0f).full, 80800.00000000001);
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
  const auto byR = calc::twoRatio(a, r, 0, 9);
  EXPECT_EQ(byR.correlationPasses, (std::array<int, 3>{1, 0, 0}));  // a flat File 2 has no r
  EXPECT_EQ(byR.meansPasses[2], 1);
  EXPECT_EQ(calc::twoRatio(a, t, 0, 9).meansPasses, (std::array<int, 3>{1, 0, 1}));
  const auto flat = calc::twoRatio(model::Table{}, model::Table{}, 0, 9);
  EXPECT_EQ(flat.correlationPasses[0] + flat.meansPasses[0], 0);
}
