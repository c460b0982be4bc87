#include "calc/correlation.hpp"

#include <cmath>

#include "calc/point_range.hpp"

namespace varnel::calc {

PearsonSums pearsonSums(const model::Table& a, const model::Table& b, int channel, int lo, int hi) {
  PearsonSums s;
  const auto k = static_cast<std::size_t>(channel);
  const int last = clipLast(hi);
  for (int i = clipFirst(lo); i <= last; ++i) {
    const double x = a[static_cast<std::size_t>(i)][k];
    const double y = b[static_cast<std::size_t>(i)][k];
    s.sxx += x * x;
    s.sx += x;
    s.syy += y * y;
    s.sy += y;
    s.sxy += y * x;
    s.n += 1.0;
  }
  return s;
}

std::optional<double> pearson(const PearsonSums& s) {
  const double d = std::sqrt((s.n * s.sxx - s.sx * s.sx) * (s.n * s.syy - s.sy * s.sy));
  // Also refuses a NaN root (a product pushed below 0 by rounding).
  if (!(d > 0.0)) return std::nullopt;
  return (s.sxy * s.n - s.sx * s.sy) / d;
}

std::optional<double> correlation(const model::Table& a, const model::Table& b, int channel, int lo, int hi) {
  return pearson(pearsonSums(a, b, channel, lo, hi));
}

}  // namespace varnel::calc
