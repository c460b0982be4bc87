#pragma once
#include <algorithm>
#include <cstddef>
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
  // A point, as the correlation's scatter draws hundreds a click: inlined
  // into the caller's loop. The nearest pixel of a position d >= 0 is
  // floor(d + 0.5), its truncation.
  [[gnu::always_inline]] void pset(float x, float y) {
    ++revision_;
    if (pixels_.empty()) return;
    const double dx = static_cast<double>(x) + 0.5, dy = static_cast<double>(y) + 0.5;
    if (!(dx >= 0.0 && dy >= 0.0 && dx < width_ && dy < height_)) return psetElsewhere(x, y);
    pointOn(static_cast<long>(dx), static_cast<long>(dy), model::paletteColour(foreColor_));
  }
  // The points x0..x1 of row y, whole pixels, as pset draws each of them.
  void psetRow(int x0, int x1, int y) {
    ++revision_;
    if (pixels_.empty()) return;
    const std::uint32_t rgb = model::paletteColour(foreColor_);
    if (drawWidth_ == 1 && y >= 0 && y < height_ && x0 >= 0 && x1 < width_) {
      std::uint32_t* const row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
      for (int x = x0; x <= x1; ++x) row[x] = rgb;
    } else {
      plot(x0, y, x1, y, rgb);
    }
  }
  void clear();
  // Drops the pixels of a surface nobody will look at (a series of
  // comparisons reads their results only): drawing then changes nothing
  // but the revision. The size stays, and so does every scale taken from it.
  void dropPixels() { std::vector<std::uint32_t>().swap(pixels_); }

  std::uint32_t pixel(int x, int y) const;                      // 0xRRGGBB; 0 once dropped
  const std::uint32_t* bits() const { return pixels_.data(); }  // rows top to bottom
  // Bumped by every drawing and clear, so a view knows when to repaint.
  std::uint64_t revision() const { return revision_; }

 private:
  // One point with the pen; a one-pixel pen on the surface sets just the pixel.
  void point(long x, long y, std::uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      pointOn(x, y, rgb);
    else
      plot(x, y, x, y, rgb);
  }
  void pointOn(long x, long y, std::uint32_t rgb) {  // a pixel on the surface
    if (drawWidth_ == 1)
      pixels_[static_cast<std::size_t>(y * width_ + x)] = rgb;
    else
      plot(x, y, x, y, rgb);
  }
  // A pen of width w covers a w x w square around a point; the squares of
  // the points [x0, x1] x [y0, y1] make one rectangle, cut to the surface.
  // (The width and the pixels are read once: a pixel store could otherwise
  // change them, as far as the compiler knows.)
  void plot(long x0, long y0, long x1, long y1, std::uint32_t rgb) {
    const long lo = -(drawWidth_ / 2), width = width_;
    const long left = std::max(x0 + lo, 0L), right = std::min(x1 + lo + drawWidth_, width);
    const long top = std::max(y0 + lo, 0L), bottom = std::min(y1 + lo + drawWidth_, static_cast<long>(height_));
    std::uint32_t* row = pixels_.data() + top * width;
    for (long r = top; r < bottom; ++r, row += width)
      for (long c = left; c < right; ++c) row[c] = rgb;
  }
  void psetElsewhere(float x, float y);

  int width_;
  int height_;
  int drawWidth_ = 1;
  int foreColor_ = 0;
  std::uint64_t revision_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace varnel::chart
