// What the window outcomes come to, on every processor: where the walk
// stops and the passes before it. The outcomes themselves come from the
// lanes (two_ratio_x86.cpp) or the scalar formulas (two_ratio_reference.cpp).
#include "calc/two_ratio.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace varnel::calc {

double TwoRatio::rRatio(int channel) const {
  return static_cast<double>(correlationPasses[static_cast<std::size_t>(channel)]) / static_cast<double>(windows);
}

double TwoRatio::tRatio(int channel) const {
  return static_cast<double>(meansPasses[static_cast<std::size_t>(channel)]) / static_cast<double>(windows);
}

namespace detail {
namespace {

// Eight outcome bytes as one word, the first the lowest whatever the byte
// order.
std::uint64_t eight(const std::uint8_t* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t r = 0;
    for (int j = 0; j < 8; ++j, w >>= 8) r = r << 8 | (w & 0xFF);
    w = r;
  }
  return w;
}
// c in every byte.
constexpr std::uint64_t bytes(std::uint8_t c) { return 0x0101010101010101u * c; }

}  // namespace

int firstStop(const std::uint8_t* o, int from, int to) {
  constexpr std::uint64_t kStops = bytes(kStopBeforeMeans | kStopAtMeans);
  int i = from;
  for (; i + 7 <= to; i += 8) {
    const std::uint64_t m = eight(o + i) & kStops;
    if (m != 0) return i + std::countr_zero(m) / 8;
  }
  for (; i <= to; ++i)
    if (o[i] & kStops) return i;
  return -1;
}

PassCounts passCounts(const std::uint8_t* o, int from, int to) {
  PassCounts c;
  // 24 outcomes at a time, the passes added up byte by byte (at most 63 to
  // a byte): byte j of word m holds channel (8 m + j) % 3.
  std::uint64_t r[3] = {}, t[3] = {};
  int q = from;
  for (; q + 23 <= to; q += 24) {
    for (int m = 0; m < 3; ++m) {
      const std::uint64_t w = eight(o + q + std::ptrdiff_t{8} * m);
      r[m] += w & bytes(kCorrelationPass);
      t[m] += (w & bytes(kMeansPass)) >> 2;
    }
  }
  for (int m = 0; m < 3; ++m) {
    for (int j = 0; j < 8; ++j) {
      const auto k = static_cast<std::size_t>((8 * m + j) % 3);
      c.correlation[k] += static_cast<int>(r[m] >> (8 * j) & 0xFF);
      c.means[k] += static_cast<int>(t[m] >> (8 * j) & 0xFF);
    }
  }
  for (; q <= to; ++q) {
    const auto k = static_cast<std::size_t>((q - from) % 3);
    c.correlation[k] += o[q] & kCorrelationPass;
    c.means[k] += (o[q] & kMeansPass) >> 2;
  }
  return c;
}

}  // namespace detail

TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper, const WindowPass& onPass) {
  return twoRatioWith(a, b, lower, upper, [&onPass](int i, int k, WindowTest test) {
    if (onPass) onPass(i, k, test);
  });
}

}  // namespace varnel::calc
