#pragma once
#include <array>
#include <optional>

#include "model/tables.hpp"

namespace varnel::calc {

struct AreaSums {
  // D(k): sum of |a(i, k) - b(i, k)| over the range, per channel.
  std::array<double, model::kChannels> between{};
  // F = W * 0.8 * (hi - lo): the most two curves kept within 10 % .. 90 % of
  // the width can enclose over hi - lo point intervals. Negative for a
  // crossed range.
  double full = 0.0;
};

// Sums points lo..hi of all channels, then the full area for a chart of the
// given (single-precision) width.
AreaSums areaSums(const model::Table& a, const model::Table& b, int lo, int hi, float width);

// (F - D(k)) / F; no value when F is 0 (both ends on one point).
std::optional<double> areaRatio(const AreaSums& s, int channel);

}  // namespace varnel::calc
