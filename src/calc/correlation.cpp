#include "calc/correlation.hpp"

#include <algorithm>
#include <cmath>

namespace varnel::calc {

std::optional<double> pearson(const PearsonSums& s) {
  const double d = std::sqrt((s.n * s.sxx - s.sx * s.sx) * (s.n * s.syy - s.sy * s.sy));
  // Also refuses a NaN root (a product pushed below 0 by rounding).
  if (!(d > 0.0)) return std::nullopt;
  // The one-pass sums cancel badly for an almost flat series and can push the
  // quotient past +-1 (by 5 % over two points); a coefficient never lies
  // there, so it is held to the bounds. Values inside keep every digit.
  return std::clamp((s.sxy * s.n - s.sx * s.sy) / d, -1.0, 1.0);
}

std::optional<double> correlation(const model::Table& a, const model::Table& b, int channel, int lo, int hi) {
  return pearson(pearsonSums(a, b, channel, lo, hi));
}

}  // namespace varnel::calc
