#include "chart/surface.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "model/palette.hpp"
#include "support/scripted.hpp"

namespace varnel::chart {
namespace {

using model::paletteColour;
using test::countInRow;

int countAll(const Surface& s, std::uint32_t rgb) {
  int n = 0;
  for (int y = 0; y < s.ScaleHeight(); ++y) n += countInRow(s, y, rgb);
  return n;
}

TEST(Surface, LinesEndsRoundingAndClipping) {
  Surface s(30, 30);
  EXPECT_EQ(countAll(s, 0), 900);
  s.setForeColor(model::kLightRed);
  s.line(2.0f, 3.0f, 9.0f, 10.0f);  // both ends drawn
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(s.pixel(2 + i, 3 + i), paletteColour(12)) << i;
  EXPECT_EQ(countAll(s, paletteColour(12)), 8);

  s.setForeColor(model::kYellow);
  s.line(20.75f, 0.0f, 20.75f, 29.0f);  // to the nearest column
  s.line(0.0f, 30.0f, 30.0f, 30.0f);    // the row below the last: nothing
  s.line(-1e9f, 25.0f, 1e9f, 25.0f);
  EXPECT_EQ(s.pixel(21, 15), 0xFFFF00u);
  EXPECT_EQ(countAll(s, 0xFFFF00u), 30 + 29);

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  s.line(nan, 5.0f, 10.0f, 5.0f);  // a NaN end point draws nothing
  s.pset(nan, nan);
  EXPECT_EQ(countAll(s, 0xFFFF00u), 30 + 29);
  s.line(inf, inf, -inf, -inf);  // cut down to the surface's diagonal, not walked
  EXPECT_EQ(countAll(s, 0xFFFF00u), 30 + 29 + 30 - 2);
  EXPECT_EQ(s.pixel(-1, 0), 0u);
}

TEST(Surface, PenWidthColoursAndClear) {
  Surface s(30, 30);
  s.setDrawWidth(2);
  s.setForeColor(model::kLightCyan);
  s.line(5.0f, 10.0f, 15.0f, 10.0f);
  EXPECT_GT(countInRow(s, 10, paletteColour(11)), 0);
  EXPECT_EQ(countAll(s, paletteColour(11)), 2 * 12);  // 11 points of 2 x 2, overlapping

  s.line(0.0f, 20.0f, 29.0f, 20.0f, model::kLightMagenta);
  EXPECT_EQ(s.pixel(5, 20), 0xFF00FFu);

  const auto revision = s.revision();
  s.clear();
  EXPECT_GT(s.revision(), revision);
  EXPECT_EQ(countAll(s, 0), 900);
  s.pset(4.0f, 6.0f);  // the colour and the pen outlive a clear
  EXPECT_EQ(s.pixel(4, 6), paletteColour(11));
  EXPECT_EQ(countAll(s, paletteColour(11)), 4);
}

// A point takes the nearest pixel, halves rounding up, and one just off the
// surface draws nothing.
TEST(Surface, PointsRoundToTheNearestPixel) {
  const std::pair<float, int> cases[] = {{-0.5f, 0},  {-0.5001f, -1}, {2.4999f, 2}, {2.5f, 3},
                                         {29.499f, 29}, {29.5f, -1},    {1e30f, -1},  {-1e30f, -1}};
  for (const auto& [at, pixel] : cases) {
    Surface s(30, 30);
    s.setForeColor(model::kYellow);
    s.pset(at, 7.0f);
    s.pset(7.0f, at);
    EXPECT_EQ(countAll(s, paletteColour(model::kYellow)), pixel < 0 ? 0 : 2) << at;
    if (pixel >= 0) {
      EXPECT_EQ(s.pixel(pixel, 7) & s.pixel(7, pixel), paletteColour(model::kYellow)) << at;
    }
  }
}

}  // namespace
}  // namespace varnel::chart
