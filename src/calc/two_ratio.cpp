// The two-ratio method with several windows in the lanes of one SIMD
// register. Only whole windows are spread across lanes; each lane does the
// reference's operations in the reference's order, and SSE2/AVX division and
// square root round exactly as the scalar ones, so no digit moves.
#include "calc/two_ratio.hpp"

#include <immintrin.h>

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

// Points per channel, plus room for the lanes past the last window to read.
constexpr std::size_t kPadded = model::kPoints + 8;

// Lane bits to bytes: byte j of kSpread[m] is bit j of m.
constexpr std::uint32_t kSpread[16] = {0x00000000, 0x00000001, 0x00000100, 0x00000101, 0x00010000, 0x00010001,
                                       0x00010100, 0x00010101, 0x01000000, 0x01000001, 0x01000100, 0x01000101,
                                       0x01010000, 0x01010001, 0x01010100, 0x01010101};

namespace sse2 {

struct V {
  using Reg = __m128d;
  static constexpr int kWidth = 2;
  static Reg zero() { return _mm_setzero_pd(); }
  static Reg set(double v) { return _mm_set1_pd(v); }
  static Reg load(const double* p) { return _mm_loadu_pd(p); }
  static void store(double* p, Reg a) { _mm_storeu_pd(p, a); }
  static void storeBytes(std::uint8_t* p, std::uint32_t b) { std::memcpy(p, &b, 2); }
  static Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm_div_pd(a, b); }
  static Reg sqrt(Reg a) { return _mm_sqrt_pd(a); }
  // v - v is 0 exactly when v is finite, NaN otherwise.
  static int finite(Reg a) { return _mm_movemask_pd(_mm_cmpeq_pd(_mm_sub_pd(a, a), _mm_setzero_pd())); }
  // Ordered comparisons: false on NaN, as the scalar ones.
  static int greater(Reg a, Reg b) { return _mm_movemask_pd(_mm_cmpgt_pd(a, b)); }
  static int atLeast(Reg a, Reg b) { return _mm_movemask_pd(_mm_cmpge_pd(a, b)); }
  static int atMost(Reg a, Reg b) { return _mm_movemask_pd(_mm_cmple_pd(a, b)); }
};

constexpr int kRegs = 4;
constexpr unsigned kLaneBits = 3;
#include "calc/two_ratio_lanes.inc"

}  // namespace sse2

// Only this block may use AVX2, and only after the run-time check. No fma:
// fused operations would round differently.
#pragma GCC push_options
#pragma GCC target("avx2")

namespace avx2 {

struct V {
  using Reg = __m256d;
  static constexpr int kWidth = 4;
  static Reg zero() { return _mm256_setzero_pd(); }
  static Reg set(double v) { return _mm256_set1_pd(v); }
  static Reg load(const double* p) { return _mm256_loadu_pd(p); }
  static void store(double* p, Reg a) { _mm256_storeu_pd(p, a); }
  static void storeBytes(std::uint8_t* p, std::uint32_t b) { std::memcpy(p, &b, 4); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
  static Reg sqrt(Reg a) { return _mm256_sqrt_pd(a); }
  static int finite(Reg a) {
    return _mm256_movemask_pd(_mm256_cmp_pd(_mm256_sub_pd(a, a), _mm256_setzero_pd(), _CMP_EQ_OQ));
  }
  static int greater(Reg a, Reg b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_GT_OQ)); }
  static int atLeast(Reg a, Reg b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_GE_OQ)); }
  static int atMost(Reg a, Reg b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_LE_OQ)); }
};

constexpr int kRegs = 2;
constexpr unsigned kLaneBits = 15;
#include "calc/two_ratio_lanes.inc"  // NOLINT(readability-duplicate-include): once per instruction set

}  // namespace avx2

#pragma GCC pop_options

bool hasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace

void windowOutcomes(const model::Table& a, const model::Table& b, int first, int last, Lanes lanes, Outcomes& out) {
  // Channels side by side in rows do not fit the lanes; one contiguous
  // series per channel does.
  alignas(32) double x[model::kChannels][kPadded];
  alignas(32) double y[model::kChannels][kPadded];
  const auto lo = static_cast<std::size_t>(first - 4);
  const auto hi = static_cast<std::size_t>(last + 5);
  for (std::size_t p = lo; p <= hi; ++p) {
    for (std::size_t k = 0; k < model::kChannels; ++k) {
      x[k][p] = a[p][k];
      y[k][p] = b[p][k];
    }
  }
  for (std::size_t k = 0; k < model::kChannels; ++k) {
    for (std::size_t p = hi + 1; p <= hi + 7; ++p) x[k][p] = y[k][p] = 0.0;
  }

  const bool wide = lanes == Lanes::Avx2 || (lanes == Lanes::Widest && hasAvx2());
  for (std::size_t k = 0; k < model::kChannels; ++k) {
    if (wide)
      avx2::channelOutcomes(x[k], y[k], first, last, out[k].data());
    else
      sse2::channelOutcomes(x[k], y[k], first, last, out[k].data());
  }
}

}  // namespace detail

bool lanesAvailable(Lanes lanes) { return lanes != Lanes::Avx2 || detail::hasAvx2(); }

TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper, const WindowPass& onPass) {
  return twoRatioWith(a, b, lower, upper, [&onPass](int i, int k, WindowTest test) {
    if (onPass) onPass(i, k, test);
  });
}

}  // namespace varnel::calc
