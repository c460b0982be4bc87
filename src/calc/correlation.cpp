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

std::array<std::optional<double>, model::kChannels> correlations(const model::Table& a, const model::Table& b, int lo,
                                                                 int hi) {
  // A sum per channel in each array, so that the three stay in registers.
  std::array<double, model::kChannels> sxx{}, sx{}, syy{}, sy{}, sxy{};
  const int last = clipLast(hi);
  const int first = clipFirst(lo);
  for (int i = first; i <= last; ++i) {
    const auto p = static_cast<std::size_t>(i);
#pragma GCC unroll 3
    for (std::size_t k = 0; k < model::kChannels; ++k) {
      const double x = a[p][k];
      const double y = b[p][k];
      sxx[k] += x * x;
      sx[k] += x;
      syy[k] += y * y;
      sy[k] += y;
      sxy[k] += y * x;
    }
  }
  // n counts the points by adding 1.0, which stays exact.
  const double n = first <= last ? static_cast<double>(last - first + 1) : 0.0;
  std::array<std::optional<double>, model::kChannels> r;
  for (std::size_t k = 0; k < model::kChannels; ++k) r[k] = pearson({n, sx[k], sy[k], sxx[k], syy[k], sxy[k]});
  return r;
}

}  // namespace varnel::calc
