#include "calc/area_ratio.hpp"

#include <cmath>

#include "calc/point_range.hpp"

namespace varnel::calc {

AreaSums areaSums(const model::Table& a, const model::Table& b, int lo, int hi, float width) {
  AreaSums s;
  // Summed in registers: three running sums side by side.
  std::array<double, model::kChannels> between{};
  const int last = clipLast(hi);
  for (int i = clipFirst(lo); i <= last; ++i) {
    const auto p = static_cast<std::size_t>(i);
#pragma GCC unroll 3
    for (std::size_t k = 0; k < model::kChannels; ++k) between[k] += std::fabs(a[p][k] - b[p][k]);
  }
  s.between = between;
  s.full = static_cast<double>(width) * 0.8 * static_cast<double>(hi - lo);
  return s;
}

std::optional<double> areaRatio(const AreaSums& s, int channel) {
  if (s.full == 0.0) return std::nullopt;
  return (s.full - s.between[static_cast<std::size_t>(channel)]) / s.full;
}

}  // namespace varnel::calc
