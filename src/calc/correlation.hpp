#pragma once
#include <array>
#include <optional>

#include "calc/point_range.hpp"
#include "model/tables.hpp"

namespace varnel::calc {

// Running sums of the one-pass Pearson formula; n is counted as a double.
struct PearsonSums {
  double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
};

// Sums over points lo..hi (both included) of x = a(i, channel) and
// y = b(i, channel), added per point in the order Sxx, Sx, Syy, Sy, Sxy, n.
// An empty range (lo > hi) gives all zeros. Inline so the sliding windows of
// the two-ratio method keep their sums in registers.
inline PearsonSums pearsonSums(const model::Table& a, const model::Table& b, int channel, int lo, int hi) {
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

// r = (Sxy n - Sx Sy) / sqrt((n Sxx - Sx Sx) (n Syy - Sy Sy)); no value when
// that root is not positive: an empty range, a single point, a constant
// series.
std::optional<double> pearson(const PearsonSums& s);

// Pearson's r of each channel of a against b over points lo..hi. The three
// channels' sums run side by side, each added as pearsonSums adds it.
std::array<std::optional<double>, model::kChannels> correlations(const model::Table& a, const model::Table& b, int lo,
                                                                 int hi);

}  // namespace varnel::calc
