#include "chart/surface.hpp"

#include <cmath>
#include <cstdlib>

#include "model/palette.hpp"

namespace varnel::chart {
namespace {

// Device coordinates of a float position; far-off values are pinned well
// outside the surface so the line stays clipped rather than wrapping.
long toDevice(float v) {
  if (!(v == v)) return -100000;  // NaN
  const double r = std::floor(static_cast<double>(v) + 0.5);
  if (r < -100000.0) return -100000;
  if (r > 100000.0) return 100000;
  return static_cast<long>(r);
}

}  // namespace

Surface::Surface(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), 0) {}

void Surface::line(float x1, float y1, float x2, float y2) {
  line(x1, y1, x2, y2, foreColor_);
}

void Surface::line(float x1, float y1, float x2, float y2, int paletteIndex) {
  const std::uint32_t rgb = model::paletteColour(paletteIndex);
  long x = toDevice(x1), y = toDevice(y1);
  const long xe = toDevice(x2), ye = toDevice(y2);
  const long dx = std::labs(xe - x), dy = -std::labs(ye - y);
  const long sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
  long err = dx + dy;
  // Bresenham; both end points are drawn.
  for (;;) {
    plot(x, y, rgb);
    if (x == xe && y == ye) break;
    const long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  ++revision_;
}

void Surface::pset(float x, float y) {
  plot(toDevice(x), toDevice(y), model::paletteColour(foreColor_));
  ++revision_;
}

void Surface::clear() {
  std::fill(pixels_.begin(), pixels_.end(), 0u);
  ++revision_;
}

std::uint32_t Surface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

int Surface::countInRow(int y, std::uint32_t rgb) const {
  int n = 0;
  for (int x = 0; x < width_; ++x) n += pixel(x, y) == rgb;
  return n;
}

// A pen of width w covers a w x w square around the point.
void Surface::plot(long x, long y, std::uint32_t rgb) {
  const long lo = -(drawWidth_ / 2);
  for (long dy = lo; dy < lo + drawWidth_; ++dy)
    for (long dx = lo; dx < lo + drawWidth_; ++dx) dot(static_cast<int>(x + dx), static_cast<int>(y + dy), rgb);
}

void Surface::dot(int x, int y, std::uint32_t rgb) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y * width_ + x)] = rgb;
}

}  // namespace varnel::chart
