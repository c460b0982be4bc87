#include "chart/scaling.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace varnel::chart {
namespace {

using model::Table;

Table channel(int ch, std::initializer_list<double> values) {
  Table t{};
  std::size_t i = 0;
  for (double v : values) t[i++][static_cast<std::size_t>(ch)] = v;
  return t;
}

TEST(Scaling, ExtremesAreStrictAndStartAtZeroAndEighty) {
  const struct {
    int ch, from, to;
    std::initializer_list<double> values;
    int carriedLoAt;
    Extremes want;
  } cases[] = {
      {1, 0, 3, {1.5, 2.5, 2.5, 0.5}, kNoPosition, {2.5, 0.5, 1, 3}},  // the first of two equal highs
      {0, 0, 2, {-0.9, -0.2, -1.5}, kNoPosition, {0.0, -1.5, kNoPosition, 2}},  // never above 0
      {2, 0, 2, {90.0, 95.0, 85.0, 70.0}, 9, {95.0, 80.0, 1, 9}},  // never below 80: the carried position stays
      {1, 1, 0, {50.0, 10.0}, kNoPosition, {0.0, 80.0, kNoPosition, kNoPosition}},  // an inverted range
  };
  for (const auto& c : cases) {
    Extremes e;
    e.loAt = c.carriedLoAt;
    searchExtremes(channel(c.ch, c.values), c.ch, c.from, c.to, e);
    EXPECT_EQ(std::tie(e.hi, e.lo, e.hiAt, e.loAt), std::tie(c.want.hi, c.want.lo, c.want.hiAt, c.want.loAt))
        << *c.values.begin();
  }
  const Scale s = scaleToWidth(2.5, 0.5, 287.0);
  EXPECT_DOUBLE_EQ(s.k * 2.5 + s.b, 0.9 * 287.0);
  EXPECT_DOUBLE_EQ(s.k * 0.5 + s.b, 0.1 * 287.0);
  for (const auto& [hi, lo] : {std::pair{36.6, 36.6}, {3e-320, -3e-320}}) {  // flat, or spread below the double range
    const Scale flat = scaleToWidth(hi, lo, 287.0);
    EXPECT_EQ(flat.k, 0.0);
    EXPECT_EQ(flat.b, 0.5 * 287.0);
  }
}

TEST(Scaling, SmoothingRunsForwardOverItsOwnResults) {
  Table t{};
  t[100][1] = 11.0;
  t[100][0] = 7.0;
  smoothInPlace(t, 1, 0, 500, 5);
  for (int i = 0; i <= 94; ++i) EXPECT_EQ(t[i][1], 0.0) << i;
  double power = 1.0;  // (12/11)^0 .. (12/11)^5
  for (int i = 95; i <= 100; ++i, power *= 12.0 / 11.0) EXPECT_NEAR(t[i][1], power, 1e-12) << i;
  EXPECT_NEAR(t[100][1], 1.5451, 1e-4);
  EXPECT_NEAR(t[101][1], 0.5946, 1e-4);
  EXPECT_NEAR(t[105][1], 0.3271, 1e-4);
  EXPECT_NEAR(t[106][1], 0.2164, 1e-4);
  for (int i = 107; i <= 120; ++i) EXPECT_LT(t[i][1], t[i - 1][1]) << i;
  EXPECT_EQ(t[100][0], 7.0);
  const Table once = t;  // fewer than 11 points, or crossed cut-offs: nothing to average
  smoothInPlace(t, 1, 95, 104, 5);
  smoothInPlace(t, 1, 200, 100, 5);
  EXPECT_EQ(t, once);

  Table flat{};
  for (auto& row : flat) row = {0.7, 36.6, 35.9};
  smoothInPlace(flat, 1, 0, 500, 5);
  for (const auto& row : flat) EXPECT_NEAR(row[1], 36.6, 1e-12);
}

}  // namespace
}  // namespace varnel::chart
