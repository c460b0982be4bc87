#include "chart/scaling.hpp"

#include <cmath>

namespace varnel::chart {

void searchExtremes(const model::Table& scan, int ch, int from, int to, Extremes& e) {
  for (int i = from; i <= to; ++i) {
    const double v = scan[static_cast<std::size_t>(i)][static_cast<std::size_t>(ch)];
    if (v > e.hi) {
      e.hi = v;
      e.hiAt = i;
    }
    if (v < e.lo) {
      e.lo = v;
      e.loAt = i;
    }
  }
}

Scale scaleToWidth(double hi, double lo, double width) {
  const Scale flat{0.0, 0.5 * width};
  if (!(hi - lo != 0.0)) return flat;
  Scale s;
  s.k = 0.8 * width / (hi - lo);
  s.b = 0.1 * width - s.k * lo;
  // A spread too small for a double (or values too large) gives no usable
  // map either; it is drawn as flat rather than as positions at infinity.
  if (!std::isfinite(s.k) || !std::isfinite(s.b)) return flat;
  return s;
}

void smoothInPlace(model::Table& scan, int ch, int lower, int upper, int halfWidth) {
  const int lo = lower + halfWidth;
  const int hi = upper - halfWidth;
  const auto c = static_cast<std::size_t>(ch);
  for (int i = lo; i <= hi; ++i) {
    double s = 0.0;
    for (int j = -halfWidth; j <= halfWidth; ++j) s = s + scan[static_cast<std::size_t>(i + j)][c];
    scan[static_cast<std::size_t>(i)][c] = s / (2 * halfWidth + 1);
  }
}

}  // namespace varnel::chart
