// The two-ratio windows on x86-64, several in the lanes of one SIMD
// register, a lane being one window on one channel. Each lane does the
// reference's operations in the reference's order; SSE2/AVX division and
// square root round exactly as the scalar ones, and the AVX2 path's
// multiply-add quotients by n and n - 1 give the divider's bits, so no digit
// moves.
#include "calc/two_ratio.hpp"

#include <immintrin.h>

#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace varnel::calc {
namespace detail {
namespace {

// Lane bits to bytes: byte j of kSpread[m] is bit j of m.
constexpr std::uint32_t kSpread[16] = {0x00000000, 0x00000001, 0x00000100, 0x00000101, 0x00010000, 0x00010001,
                                       0x00010100, 0x00010101, 0x01000000, 0x01000001, 0x01000100, 0x01000101,
                                       0x01010000, 0x01010001, 0x01010100, 0x01010101};

namespace sse2 {

struct V {
  using Reg = __m128d;
  struct Divisor {  // b = 9 or 10, with y = 1 / b rounded
    Reg b, y;
  };
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
  // Without fused multiply-add, the quotients by n and n - 1 take the divider too.
  static Reg quotient(Reg a, const Divisor& d, Reg& /*smallest*/) { return div(a, d.b); }
  static bool tooSmall(Reg /*smallest*/) { return false; }
};

constexpr int kRegs = 2;
constexpr unsigned kLaneBits = 3;
#include "calc/two_ratio_lanes.inc"

}  // namespace sse2

// Only this block may use AVX2 and FMA, and only after the run-time check.
// No multiply-add is fused but the quotients' own (-ffp-contract=off): a
// fused one would round the formulas differently.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace avx2 {

struct V {
  using Reg = __m256d;
  struct Divisor {
    Reg b, y;
  };
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
  // a / b for b = 9 or 10, without the divider: q = a y rounded is within an
  // ulp of a / b, the remainder a - q b is exact in a fused multiply-add, and
  // q + (a - q b) y, rounded once, is a / b rounded, as the divider gives it,
  // when a / b is a normal number: for b = 9 or 10 such a quotient lies at
  // least 1/20 ulp from every halfway point, while q + (a - q b) y lies within
  // 2^-52 ulp of a / b. `smallest` keeps the least |a| of each lane (a NaN a
  // may be lost, an infinite one does not show) for tooSmall.
  static Reg quotient(Reg a, const Divisor& d, Reg& smallest) {
    smallest = _mm256_min_pd(smallest, _mm256_andnot_pd(_mm256_set1_pd(-0.0), a));
    const Reg q = _mm256_mul_pd(a, d.y);
    return _mm256_fmadd_pd(_mm256_fnmadd_pd(q, d.b, a), d.y, q);
  }
  // Whether a lane's quotient may be below the normal numbers.
  static bool tooSmall(Reg smallest) {
    return _mm256_movemask_pd(_mm256_cmp_pd(smallest, _mm256_set1_pd(0x1p-1000), _CMP_LT_OQ)) != 0;
  }
};

constexpr int kRegs = 1;
constexpr unsigned kLaneBits = 15;
#include "calc/two_ratio_lanes.inc"  // NOLINT(readability-duplicate-include): once per instruction set

// One lane's a / b (b = 9 or 10), as laneOutcomes divides.
double quotient(double a, double b) {
  V::Reg smallest = V::set(DBL_MAX);
  const V::Reg q = V::quotient(V::set(a), V::Divisor{V::set(b), V::set(1.0 / b)}, smallest);
  return V::tooSmall(smallest) ? a / b : _mm256_cvtsd_f64(q);
}

}  // namespace avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool hasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return has;
}

}  // namespace

void windowOutcomes(const model::Table& a, const model::Table& b, int first, int last, Lanes lanes, Outcomes& out) {
  if (lanes == Lanes::Scalar) {
    scalarOutcomes(a, b, first, last, out);
    return;
  }
  // The lanes read the tables as they lie, three channels to a point; see
  // two_ratio_lanes.inc.
  static_assert(sizeof(model::Table) == sizeof(double) * model::kChannels * model::kPoints);
  const auto at = [](const model::Table& t, int point) { return t[0].data() + std::ptrdiff_t{model::kChannels} * point; };
  const bool wide = lanes == Lanes::Avx2 || (lanes == Lanes::Widest && hasAvx2());
  const auto run = [wide](const double* x, const double* y, int count, std::uint8_t* o) {
    if (wide)
      avx2::laneOutcomes(x, y, count, o);
    else
      sse2::laneOutcomes(x, y, count, o);
  };
  constexpr int kReach = 34;  // values a run reads from x beyond its count
  const int count = model::kChannels * (last - first + 1);
  const int onTable = model::kChannels * (model::kPoints - (first - 4));  // values from the first window on
  std::uint8_t* o = out.data() + std::ptrdiff_t{model::kChannels} * first;
  // The lanes whose reads stay on the tables; the last few from a copy
  // with room after it.
  const int direct = std::clamp(onTable - kReach, 0, count);
  if (direct > 0) run(at(a, first - 4), at(b, first - 4), direct, o);
  if (direct == count) return;
  alignas(32) double x[2 * kReach] = {}, y[2 * kReach] = {};
  const int rest = onTable - direct;
  std::memcpy(x, at(a, first - 4) + direct, sizeof(double) * static_cast<std::size_t>(rest));
  std::memcpy(y, at(b, first - 4) + direct, sizeof(double) * static_cast<std::size_t>(rest));
  run(x, y, count - direct, o + direct);
}

double laneQuotient(double a, double b) { return hasAvx2() ? avx2::quotient(a, b) : a / b; }

}  // namespace detail

bool lanesAvailable(Lanes lanes) { return lanes != Lanes::Avx2 || detail::hasAvx2(); }

}  // namespace varnel::calc
