#include "chart/surface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/palette.hpp"

namespace varnel::chart {
namespace {

using model::paletteColour;

int countAll(const Surface& s, std::uint32_t rgb) {
  int n = 0;
  for (int y = 0; y < s.ScaleHeight(); ++y) n += s.countInRow(y, rgb);
  return n;
}

TEST(Surface, StartsBlackAtChartSize) {
  Surface s(287, 500);
  EXPECT_EQ(s.ScaleWidth(), 287);
  EXPECT_EQ(s.ScaleHeight(), 500);
  EXPECT_EQ(countAll(s, 0x000000), 287 * 500);
}

TEST(Surface, FullWidthLineCoversOneRowInTheCurrentColour) {
  Surface s(287, 500);
  s.setDrawWidth(1);
  s.setForeColor(model::kYellow);
  s.line(0.0f, 497.0f, 287.0f, 497.0f);
  EXPECT_EQ(s.countInRow(497, paletteColour(14)), 287);
  EXPECT_EQ(s.countInRow(496, 0x000000), 287);
  EXPECT_EQ(s.countInRow(498, 0x000000), 287);
  EXPECT_EQ(paletteColour(14), 0xFFFF00u);
}

TEST(Surface, RowsOutsideTheSurfaceDrawNothing) {
  Surface s(287, 500);
  s.setForeColor(model::kYellow);
  s.line(0.0f, 500.0f, 287.0f, 500.0f);  // the row of point 0
  s.line(0.0f, -1.0f, 287.0f, -1.0f);
  EXPECT_EQ(countAll(s, 0x000000), 287 * 500);
}

TEST(Surface, BothEndsOfALineAreDrawnAndCoordinatesRoundToNearest) {
  Surface s(20, 20);
  s.setForeColor(model::kLightRed);
  s.line(2.0f, 3.0f, 9.0f, 10.0f);
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(s.pixel(2 + i, 3 + i), paletteColour(12)) << i;
  EXPECT_EQ(countAll(s, paletteColour(12)), 8);

  Surface r(300, 10);
  r.setForeColor(model::kYellow);
  r.line(71.75f, 0.0f, 71.75f, 9.0f);    // a quarter of 287
  r.line(143.4f, 0.0f, 143.4f, 9.0f);
  EXPECT_EQ(r.pixel(72, 5), paletteColour(14));
  EXPECT_EQ(r.pixel(143, 5), paletteColour(14));
  EXPECT_EQ(r.countInRow(5, paletteColour(14)), 2);
}

TEST(Surface, WidthTwoCoversTwoRowsAndColumns) {
  Surface s(30, 30);
  s.setDrawWidth(2);
  s.setForeColor(model::kLightCyan);
  s.line(5.0f, 10.0f, 15.0f, 10.0f);
  const std::uint32_t cyan = paletteColour(11);
  int rows = 0;
  for (int y = 0; y < 30; ++y) rows += s.countInRow(y, cyan) > 0;
  EXPECT_EQ(rows, 2);
  EXPECT_GT(s.countInRow(10, cyan), 0);
  EXPECT_EQ(countAll(s, cyan), 2 * 12);  // 11 points, each 2 x 2, overlapping
}

TEST(Surface, ExplicitColourLeavesTheCurrentOneAndClearKeepsSettings) {
  Surface s(10, 10);
  s.setForeColor(model::kYellow);
  s.setDrawWidth(2);
  s.line(0.0f, 0.0f, 9.0f, 0.0f, model::kLightMagenta);
  EXPECT_EQ(s.pixel(5, 0), paletteColour(13));
  EXPECT_EQ(s.foreColor(), model::kYellow);

  const auto before = s.revision();
  s.clear();
  EXPECT_GT(s.revision(), before);
  EXPECT_EQ(countAll(s, 0x000000), 100);
  EXPECT_EQ(s.foreColor(), model::kYellow);
  EXPECT_EQ(s.drawWidth(), 2);

  s.setDrawWidth(1);
  s.pset(4.0f, 6.0f);
  EXPECT_EQ(s.pixel(4, 6), paletteColour(14));
  EXPECT_EQ(countAll(s, paletteColour(14)), 1);
}

TEST(Surface, FarOffAndNonFiniteCoordinatesAreClipped) {
  Surface s(50, 50);
  s.setForeColor(15);
  s.line(-1e9f, 20.0f, 1e9f, 20.0f);
  EXPECT_EQ(s.countInRow(20, paletteColour(15)), 50);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  s.line(nan, 5.0f, 10.0f, 5.0f);
  s.line(inf, inf, -inf, -inf);
  s.pset(nan, nan);  // must neither crash nor write outside the raster
  EXPECT_EQ(s.countInRow(20, paletteColour(15)), 50);
  EXPECT_EQ(s.pixel(-1, 0), 0u);
  EXPECT_EQ(s.pixel(50, 0), 0u);
}

}  // namespace
}  // namespace varnel::chart
