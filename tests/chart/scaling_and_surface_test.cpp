// The chart's arithmetic (extremes, scale, smoothing) and its pixel surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "chart/scaling.hpp"
#include "chart/surface.hpp"
#include "support/scripted.hpp"

namespace varnel::chart {
namespace {
using model::paletteColour;
using model::Table;
// The first of two equal highs wins; the search starts at 0 and 80, keeping
// a carried position. A flat or too narrow range is drawn down the middle.
TEST(Scaling, ExtremesAreStrictAndStartAtZeroAndEighty) {
  const std::tuple<std::vector<double>, int, int, double, double, int, int> cases[] = {
      {{1.5, 2.5, 2.5, 0.5}, 3, kNoPosition, 2.5, 0.5, 1, 3},
      {{-0.9, -0.2, -1.5}, 2, kNoPosition, 0.0, -1.5, kNoPosition, 2},
      {{90.0, 95.0, 85.0, 70.0}, 2, 9, 95.0, 80.0, 1, 9},
      {{50.0, 10.0}, -1, kNoPosition, 0.0, 80.0, kNoPosition, kNoPosition}};
  for (const auto& [values, to, carriedLoAt, hi, lo, hiAt, loAt] : cases) {
    Table t{};
    for (std::size_t i = 0; i < values.size(); ++i) t[i][2] = values[i];
    Extremes e;
    e.loAt = carriedLoAt;
    searchExtremes(t, 2, 0, to, e);
    EXPECT_EQ(std::tie(e.hi, e.lo, e.hiAt, e.loAt), std::tie(hi, lo, hiAt, loAt)) << values[0];
  }
  const Scale s = scaleToWidth(2.5, 0.5, 287.0);
  EXPECT_DOUBLE_EQ(s.k * 2.5 + s.b, 0.9 * 287.0);
  EXPECT_DOUBLE_EQ(s.k * 0.5 + s.b, 0.1 * 287.0);
  for (const auto& [hi, lo] : {std::pair{36.6, 36.6}, {3e-320, -3e-320}})
    EXPECT_EQ(std::tuple(scaleToWidth(hi, lo, 287.0).k, scaleToWidth(hi, lo, 287.0).b), std::tuple(0.0, 143.5));
}
// An impulse of 11 at point 100: each window takes in the values smoothed
// below it, (12/11)^0 .. (12/11)^5 at points 95 to 100, then a falling tail.
TEST(Scaling, SmoothingRunsForwardOverItsOwnResults) {
  Table t{};
  t[100][1] = 11.0, t[100][0] = 7.0;
  smoothInPlace(t, 1, 0, 500, 5);
  for (int i = 0; i <= 100; ++i) EXPECT_NEAR(t[i][1], i < 95 ? 0.0 : std::pow(12.0 / 11.0, i - 95), 1e-12) << i;
  for (int i = 107; i <= 120; ++i) EXPECT_LT(t[i][1], t[i - 1][1]) << i;
  EXPECT_EQ(std::tuple(std::round(t[101][1] * 1e4), std::round(t[106][1] * 1e4), t[100][0]),
            std::tuple(5946, 2164, 7.0));
  const Table once = t;  // too few points, or crossed cut-offs: nothing to average
  smoothInPlace(t, 1, 95, 104, 5);
  smoothInPlace(t, 1, 200, 100, 5);
  EXPECT_EQ(t, once);
}
// Pixels of one colour on a 30 x 30 surface.
long countAll(const Surface& s, std::uint32_t rgb) { return std::count(s.bits(), s.bits() + 900, rgb); }
TEST(Surface, LinesPenRoundingClippingAndClear) {
  Surface s(30, 30);
  s.setForeColor(model::kLightRed);
  s.line(2.0f, 3.0f, 9.0f, 10.0f);  // both ends drawn
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(s.pixel(2 + i, 3 + i), paletteColour(12)) << i;
  EXPECT_EQ(countAll(s, paletteColour(12)), 8);
  s.setForeColor(model::kYellow);
  s.line(20.75f, 0.0f, 20.75f, 29.0f);  // to the nearest column
  s.line(0.0f, 30.0f, 30.0f, 30.0f);    // the row below the last: nothing
  s.line(-1e9f, 25.0f, 1e9f, 25.0f);
  EXPECT_EQ(s.pixel(21, 15), 0xFFFF00u);
  s.line(NAN, 5.0f, 10.0f, 5.0f);  // a NaN end point draws nothing
  s.pset(NAN, NAN);
  EXPECT_EQ(countAll(s, 0xFFFF00u), 30 + 29);
  s.line(INFINITY, INFINITY, -INFINITY, -INFINITY);  // cut down to the surface's diagonal, not walked
  EXPECT_EQ(countAll(s, 0xFFFF00u), 30 + 29 + 30 - 2);
  const auto revision = s.revision();
  s.clear();
  EXPECT_TRUE(s.revision() > revision && countAll(s, 0) == 900);
  s.setDrawWidth(2);  // 11 points of 2 x 2, overlapping
  s.line(5.0f, 10.0f, 15.0f, 10.0f, model::kLightCyan);
  EXPECT_EQ(countAll(s, paletteColour(11)), 2 * 12);
  EXPECT_EQ(test::countInRow(s, 10, paletteColour(11)), 12);
}
// Drawings on an 8 x 6 surface and the pixels they set, worked out by hand ('#' set, '.' not, rows top to bottom).
// Halfway pixels go toward the end point; segments far outside are cut to a margin of 1000 around the surface, the
// cut ends rounded. A NaN x2 draws the point (x1, y1).
TEST(Surface, DrawingsSetExactlyTheirPixels) {
  const struct {
    float x1, y1, x2, y2;
    int pen;
    const char* pixels;
  } rows[] = {
      {0, 0, 7, 3, 1, "##...... ..##.... ....##.. ......## ........ ........"},  // the eight octants
      {7, 0, 0, 3, 1, "......## ....##.. ..##.... ##...... ........ ........"},
      {0, 5, 7, 2, 1, "........ ........ ......## ....##.. ..##.... ##......"},
      {7, 5, 0, 2, 1, "........ ........ ##...... ..##.... ....##.. ......##"},
      {1, 0, 3, 5, 1, ".#...... .#...... ..#..... ..#..... ...#.... ...#...."},
      {3, 5, 1, 0, 1, ".#...... .#...... ..#..... ..#..... ...#.... ...#...."},
      {6, 0, 4, 5, 1, "......#. ......#. .....#.. .....#.. ....#... ....#..."},
      {4, 5, 6, 0, 1, "......#. ......#. .....#.. .....#.. ....#... ....#..."},
      {0, 1, 4, 3, 1, "........ #....... .##..... ...##... ........ ........"},  // halfway pixels
      {4, 3, 0, 1, 1, "........ ##...... ..##.... ....#... ........ ........"},
      {1, 0, 3, 4, 1, ".#...... ..#..... ..#..... ...#.... ...#.... ........"},
      {1, 2, 6, 2, 1, "........ ........ .######. ........ ........ ........"},  // level, upright, one point
      {5, 4, 5, 1, 1, "........ .....#.. .....#.. .....#.. .....#.. ........"},
      {3, 3, 3, 3, 1, "........ ........ ........ ...#.... ........ ........"},
      {.5f, .49f, 6.49f, .5f, 1, ".###.... ....###. ........ ........ ........ ........"},  // ends to the nearest
      {1, 2, 4, 2, 2, "........ #####... #####... ........ ........ ........"},             // the 2-pixel pen
      {1, 1, 3, 3, 2, "##...... ###..... .###.... ..##.... ........ ........"},
      {6, 4, 9, 7, 2, "........ ........ ........ .....##. .....### ......##"},
      {5, 0, 10, 5, 1, ".....#.. ......#. .......# ........ ........ ........"},  // out through each edge
      {-2, 4, 3, -1, 1, "..#..... .#...... #....... ........ ........ ........"},
      {0, 3, 4, 7, 1, "........ ........ ........ #....... .#...... ..#....."},
      {-1e6f, 2, 3, 2, 1, "........ ........ ####.... ........ ........ ........"},  // one end far out
      {6, 3, 6, -1e6f, 1, "......#. ......#. ......#. ......#. ........ ........"},
      {4, 1, 4004, 1001, 1, "........ ....##.. ......## ........ ........ ........"},
      {2, 3, 1202, 3003, 1, "........ ........ ........ ..#..... ..#..... ...#...."},
      {-3000, -3000, 3000, 3000, 1, "#....... .#...... ..#..... ...#.... ....#... .....#.."},  // both, corners
      {3007, -3000, -2993, 3000, 1, ".......# ......#. .....#.. ....#... ...#.... ..#....."},
      {2999, -3000, -3001, 3000, 1, "........ ........ ........ ........ ........ ........"},
      {-3000, -750, 3000, 752, 1, "........ ##...... ..####.. ......## ........ ........"},  // cut at y -249.33
      {7.49f, 5.49f, NAN, 0, 1, "........ ........ ........ ........ ........ .......#"},    // points
      {7.5f, 2, NAN, 0, 1, "........ ........ ........ ........ ........ ........"},
      {2, -.51f, NAN, 0, 1, "........ ........ ........ ........ ........ ........"},
      {8, 2, NAN, 0, 2, "........ .......# .......# ........ ........ ........"},
      {8, 6, NAN, 0, 2, "........ ........ ........ ........ ........ .......#"},
  };
  for (const auto& [x1, y1, x2, y2, pen, pixels] : rows) {
    Surface s(8, 6);
    s.setDrawWidth(pen);
    s.setForeColor(model::kYellow);
    std::isnan(x2) ? s.pset(x1, y1) : s.line(x1, y1, x2, y2);
    std::string got;
    for (int y = 0; y < 6; ++y, got += y < 6 ? " " : "")
      for (int x = 0; x < 8; ++x) got += s.pixel(x, y) == 0xFFFF00u ? '#' : s.pixel(x, y) ? '?' : '.';
    EXPECT_EQ(got, pixels) << x1 << ", " << y1 << " to " << x2 << ", " << y2 << ", pen " << pen;
  }
}
// A point takes the nearest pixel, halves rounding up.
TEST(Surface, PointsRoundToTheNearestPixel) {
  const std::pair<float, int> cases[] = {{-0.5f, 0},    {-0.5001f, -1}, {2.4999f, 2}, {2.5f, 3},
                                         {29.499f, 29}, {29.5f, -1},    {1e30f, -1},  {-1e30f, -1}};
  for (const auto& [at, pixel] : cases) {
    Surface s(30, 30);
    s.setForeColor(model::kYellow);
    s.pset(at, 7.0f);
    s.pset(7.0f, at);
    EXPECT_EQ(countAll(s, 0xFFFF00u), pixel < 0 ? 0 : 2) << at;
    EXPECT_EQ(s.pixel(pixel, 7) & s.pixel(7, pixel), pixel < 0 ? 0u : 0xFFFF00u) << at;
  }
  // A 2-pixel pen covers the square ending at the point, cut at the edge.
  Surface s(30, 30);
  s.setForeColor(model::kYellow);
  s.setDrawWidth(2);
  s.pset(10.0f, 10.0f);
  s.pset(0.0f, 0.0f);
  EXPECT_EQ(countAll(s, 0xFFFF00u), 4 + 1);
  EXPECT_EQ(s.pixel(9, 9) & s.pixel(10, 10) & s.pixel(0, 0), 0xFFFF00u);
}
// A row of points draws what its points drawn one by one draw, with either
// pen, inside and across every edge.
TEST(Surface, RowOfPointsAsItsPoints) {
  const int rows[][3] = {{4, 5, 7}, {0, 1, 0}, {28, 29, 29}, {-1, 0, 5}, {29, 30, 5}, {4, 5, -1}, {4, 5, 30}, {3, 3, 3}};
  for (const int pen : {1, 2}) {
    for (const auto& [x0, x1, y] : rows) {
      Surface row(30, 30), points(30, 30);
      for (Surface* s : {&row, &points}) s->setDrawWidth(pen), s->setForeColor(model::kLightMagenta);
      row.psetRow(x0, x1, y);
      for (int x = x0; x <= x1; ++x) points.pset(static_cast<float>(x), static_cast<float>(y));
      EXPECT_TRUE(std::equal(row.bits(), row.bits() + 900, points.bits())) << pen << ": " << x0 << ".." << x1 << ", " << y;
      EXPECT_GT(row.revision(), 0u);
    }
  }
}
}  // namespace
}  // namespace varnel::chart
