#include "chart/scaling.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace varnel::chart {
namespace {

using model::Table;

Table withChannel(int ch, std::initializer_list<double> values) {
  Table t{};
  std::size_t i = 0;
  for (double v : values) t[i++][static_cast<std::size_t>(ch)] = v;
  return t;
}

TEST(SearchExtremes, FirstOfEqualValuesWinsAndScaleHitsTheMargins) {
  const Table t = withChannel(1, {1.5, 2.5, 2.5, 0.5});
  Extremes e;
  searchExtremes(t, 1, 0, 3, e);
  EXPECT_EQ(e.hi, 2.5);
  EXPECT_EQ(e.hiAt, 1);
  EXPECT_EQ(e.lo, 0.5);
  EXPECT_EQ(e.loAt, 3);

  const double W = 287.0;
  const Scale s = scaleToWidth(e.hi, e.lo, W);
  EXPECT_DOUBLE_EQ(s.k * 2.5 + s.b, 0.9 * W);
  EXPECT_DOUBLE_EQ(s.k * 0.5 + s.b, 0.1 * W);
  EXPECT_DOUBLE_EQ(s.k * 1.5 + s.b, 0.5 * W);
}

TEST(SearchExtremes, StartsAtZeroAndEightyAndKeepsPositionsItCannotBeat) {
  // All negative: the highest stays 0 and its position as it came in.
  const Table neg = withChannel(0, {-0.9, -0.2, -1.5});
  Extremes e;
  searchExtremes(neg, 0, 0, 2, e);
  EXPECT_EQ(e.hi, 0.0);
  EXPECT_EQ(e.hiAt, kNoPosition);
  EXPECT_EQ(e.lo, -1.5);
  EXPECT_EQ(e.loAt, 2);

  // Above 80 throughout: the lowest stays 80; a carried-in position survives.
  const Table hot = withChannel(2, {90.0, 95.0, 85.0});
  Extremes carried;
  carried.hiAt = 7;
  carried.loAt = 9;
  searchExtremes(hot, 2, 0, 2, carried);
  EXPECT_EQ(carried.hi, 95.0);
  EXPECT_EQ(carried.hiAt, 1);
  EXPECT_EQ(carried.lo, 80.0);
  EXPECT_EQ(carried.loAt, 9);

  // Only the range is searched, and an inverted range searches nothing.
  const Table t = withChannel(1, {50.0, 10.0, 20.0, 30.0, 60.0});
  Extremes part;
  searchExtremes(t, 1, 1, 3, part);
  EXPECT_EQ(part.hi, 30.0);
  EXPECT_EQ(part.hiAt, 3);
  EXPECT_EQ(part.lo, 10.0);
  EXPECT_EQ(part.loAt, 1);
  Extremes none;
  searchExtremes(t, 1, 3, 1, none);
  EXPECT_EQ(none.hi, 0.0);
  EXPECT_EQ(none.lo, 80.0);
  EXPECT_EQ(none.hiAt, kNoPosition);
}

TEST(ScaleToWidth, NegativeRangeAndFlatRange) {
  // hi = 0 from the search start, lo below it.
  const Scale s = scaleToWidth(0.0, -2.0, 287.0);
  EXPECT_DOUBLE_EQ(s.k * 0.0 + s.b, 0.9 * 287.0);
  EXPECT_DOUBLE_EQ(s.k * -2.0 + s.b, 0.1 * 287.0);

  // A flat range has no slope: every value goes to mid-width.
  const Scale flat = scaleToWidth(36.6, 36.6, 287.0);
  EXPECT_EQ(flat.k, 0.0);
  EXPECT_EQ(flat.b, 0.5 * 287.0);
}

TEST(SmoothInPlace, ForwardRunningAverageSpreadsASpikeUpwards) {
  Table t{};
  t[100][1] = 11.0;
  t[100][0] = 7.0;  // other channels are not touched
  smoothInPlace(t, 1, 0, 500, 5);

  for (int i = 0; i <= 94; ++i) EXPECT_EQ(t[static_cast<std::size_t>(i)][1], 0.0) << i;
  double power = 1.0;
  for (int i = 95; i <= 100; ++i) {
    EXPECT_NEAR(t[static_cast<std::size_t>(i)][1], power, 1e-12) << i;
    power *= 12.0 / 11.0;
  }
  EXPECT_NEAR(t[96][1], 1.0909, 1e-4);
  EXPECT_NEAR(t[100][1], 1.5451, 1e-4);
  EXPECT_NEAR(t[101][1], 0.5946, 1e-4);
  EXPECT_NEAR(t[105][1], 0.3271, 1e-4);
  EXPECT_NEAR(t[106][1], 0.2164, 1e-4);
  for (int i = 107; i <= 120; ++i) EXPECT_LT(t[static_cast<std::size_t>(i)][1], t[static_cast<std::size_t>(i - 1)][1]) << i;
  EXPECT_EQ(t[100][0], 7.0);
  EXPECT_EQ(t[100][2], 0.0);
}

TEST(SmoothInPlace, ConstantStaysConstant) {
  Table t{};
  for (auto& row : t) row = {0.7, 36.6, 35.9};
  smoothInPlace(t, 1, 0, 500, 5);
  for (const auto& row : t) {
    EXPECT_NEAR(row[1], 36.6, 1e-12);
    EXPECT_EQ(row[0], 0.7);
  }
}

TEST(SmoothInPlace, OnlyInsideTheCutoffsLessTheHalfWidth) {
  Table t{};
  for (int i = 0; i <= 500; ++i) t[static_cast<std::size_t>(i)][2] = (i % 7) * 1.25 + i * 0.01;
  const Table before = t;
  smoothInPlace(t, 2, 100, 200, 5);
  for (int i = 0; i <= 500; ++i) {
    const auto p = static_cast<std::size_t>(i);
    if (i >= 105 && i <= 195)
      EXPECT_NE(t[p][2], before[p][2]) << i;
    else
      EXPECT_EQ(t[p][2], before[p][2]) << i;
  }
  // Point 105 averages 100..110, none of which was smoothed yet.
  double s = 0.0;
  for (int j = 100; j <= 110; ++j) s = s + before[static_cast<std::size_t>(j)][2];
  EXPECT_EQ(t[105][2], s / 11);

  // A range narrower than 11 points averages nothing.
  Table narrow = before;
  smoothInPlace(narrow, 2, 100, 109, 5);
  smoothInPlace(narrow, 2, 200, 100, 5);
  EXPECT_EQ(narrow, before);
}

}  // namespace
}  // namespace varnel::chart
