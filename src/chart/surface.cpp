#include "chart/surface.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/palette.hpp"

namespace varnel::chart {
namespace {

// Device coordinates: the nearest pixel of a position; an infinite one is
// pinned far out, where clipping takes over.
double toDevice(float v) { return std::clamp(std::floor(static_cast<double>(v) + 0.5), -1e7, 1e7); }

// Lines are stepped pixel by pixel, so a segment reaching far outside the
// surface (a position near infinity) is first cut down to a margin around it.
// The margin is wide enough that every line that can touch the surface keeps
// exactly the pixels of the uncut line.
constexpr double kMargin = 1000.0;

// Liang-Barsky: cuts the segment to the box; false when it misses the box.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double lo, double xhi, double yhi) {
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - lo, xhi - x1, y1 - lo, yhi - y1};
  double t0 = 0.0, t1 = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
  x2 = x1 + t1 * dx;
  y2 = y1 + t1 * dy;
  x1 = ax;
  y1 = ay;
  return true;
}

}  // namespace

Surface::Surface(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), 0) {}

void Surface::line(float x1, float y1, float x2, float y2) { line(x1, y1, x2, y2, foreColor_); }

void Surface::line(float x1, float y1, float x2, float y2, int paletteIndex) {
  ++revision_;
  if (pixels_.empty() || std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
  const std::uint32_t rgb = model::paletteColour(paletteIndex);
  double ax = toDevice(x1), ay = toDevice(y1), bx = toDevice(x2), by = toDevice(y2);
  const double lo = -kMargin, xhi = width_ + kMargin, yhi = height_ + kMargin;
  const auto inside = [&](double x, double y) { return x >= lo && x <= xhi && y >= lo && y <= yhi; };
  if (!inside(ax, ay) || !inside(bx, by)) {
    if (!clipSegment(ax, ay, bx, by, lo, xhi, yhi)) return;
    ax = std::floor(ax + 0.5), ay = std::floor(ay + 0.5), bx = std::floor(bx + 0.5), by = std::floor(by + 0.5);
  }
  long x = static_cast<long>(ax), y = static_cast<long>(ay);
  const long xe = static_cast<long>(bx), ye = static_cast<long>(by);
  const long dx = std::labs(xe - x), dy = -std::labs(ye - y);
  const long sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
  if (dx == 0 || dy == 0) {
    // Level and upright lines (the grid, the cut-offs, the strip blanks).
    plot(std::min(x, xe), std::min(y, ye), std::max(x, xe), std::max(y, ye), rgb);
    return;
  }
  long err = dx + dy;
  // Bresenham; both end points are drawn.
  for (;;) {
    point(x, y, rgb);
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
}

void Surface::psetElsewhere(float x, float y) {  // pset's caller has seen pixels
  const double px = toDevice(x), py = toDevice(y);
  if (!(px > -kMargin && px < width_ + kMargin && py > -kMargin && py < height_ + kMargin)) return;
  point(static_cast<long>(px), static_cast<long>(py), model::paletteColour(foreColor_));
}

void Surface::clear() {
  std::fill(pixels_.begin(), pixels_.end(), 0u);
  ++revision_;
}

std::uint32_t Surface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0;
  return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

}  // namespace varnel::chart
