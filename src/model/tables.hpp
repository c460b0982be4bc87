#pragma once
#include <array>
#include <cstdint>

namespace varnel::model {

// Points 0..500, channels 0 Delta-T, 1 Left Temp, 2 Right Temp.
inline constexpr int kLastPoint = 500;
inline constexpr int kPoints = kLastPoint + 1;
inline constexpr int kChannels = 3;
inline constexpr int kDelta = 0;
inline constexpr int kLeft = 1;
inline constexpr int kRight = 2;

using Row = std::array<double, kChannels>;
using Table = std::array<Row, kPoints>;

inline void clear(Table& t) {
  for (auto& row : t) row.fill(0.0);
}

}  // namespace varnel::model
