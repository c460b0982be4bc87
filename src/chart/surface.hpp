#pragma once
#include <cstdint>
#include <vector>

#include "model/palette.hpp"

namespace varnel::chart {

// The chart's pixel surface: a black 0xRRGGBB raster with a current line
// width and drawing colour (palette numbers). Drawings accumulate until
// clear(). Coordinates are pixels, origin top left; whatever falls outside
// the surface is clipped.
class Surface {
 public:
  Surface(int width, int height);

  int ScaleWidth() const { return width_; }
  int ScaleHeight() const { return height_; }

  void setDrawWidth(int w) { drawWidth_ = w < 1 ? 1 : w; }
  void setForeColor(int paletteIndex) { foreColor_ = paletteIndex & 15; }

  void line(float x1, float y1, float x2, float y2);
  void line(float x1, float y1, float x2, float y2, int paletteIndex);
  void pset(float x, float y) {
    ++revision_;
    // A point inside the surface with a one-pixel pen, as every mark of the
    // calculations is: thousands a click, so no call and no pen loop. The
    // nearest pixel of a position d >= 0 is floor(d + 0.5), its truncation.
    const double dx = static_cast<double>(x) + 0.5, dy = static_cast<double>(y) + 0.5;
    if (drawWidth_ == 1 && dx >= 0.0 && dy >= 0.0 && dx < width_ && dy < height_) {
      pixels_[static_cast<std::size_t>(dy) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(dx)] =
          model::paletteColour(foreColor_);
      return;
    }
    psetElsewhere(x, y);
  }
  void clear();

  std::uint32_t pixel(int x, int y) const;                      // 0xRRGGBB
  const std::uint32_t* bits() const { return pixels_.data(); }  // rows top to bottom
  // Bumped by every drawing and clear, so a view knows when to repaint.
  std::uint64_t revision() const { return revision_; }

 private:
  void dot(int x, int y, std::uint32_t rgb);
  void plot(long x, long y, std::uint32_t rgb);
  void psetElsewhere(float x, float y);

  int width_;
  int height_;
  int drawWidth_ = 1;
  int foreColor_ = 0;
  std::uint64_t revision_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace varnel::chart
