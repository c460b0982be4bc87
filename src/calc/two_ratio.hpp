#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "model/tables.hpp"

namespace varnel::calc {

// Tabulated 5 % critical values for windows of ten pairs: Pearson's r with 8
// degrees of freedom (two-sided) and Student's t with 18 (one-sided).
inline constexpr double kCriticalR = 0.632;
inline constexpr double kCriticalT = 1.734;

enum class WindowTest { Correlation, Means };

struct TwoRatio {
  int windows = 0;
  std::array<int, model::kChannels> correlationPasses{};
  std::array<int, model::kChannels> meansPasses{};
  // The channel being computed when the calculation failed, -1 when it did
  // not. A range too short for one window fails on channel 0.
  int failedChannel = -1;

  bool failed() const { return failedChannel >= 0; }
  double rRatio(int channel) const;
  double tRatio(int channel) const;
};

// Called for every window that passes a test, on every channel, in the order
// the tests are made; `position` is the window's fifth point.
using WindowPass = std::function<void(int position, int channel, WindowTest test)>;

// Which SIMD instructions compute the windows: the widest this processor
// has, or one forced so that tests can hold every one to the reference.
enum class Lanes { Widest, Sse2, Avx2 };

// Whether `lanes` can run here (Widest and Sse2 always can).
bool lanesAvailable(Lanes lanes);

namespace detail {

// What the tests of one window on one channel come to, in the order they
// are made: the correlation test may pass or stop the calculation, then the
// means test may pass or stop it.
enum : std::uint8_t { kCorrelationPass = 1, kStopBeforeMeans = 2, kMeansPass = 4, kStopAtMeans = 8 };
using Outcomes = std::array<std::array<std::uint8_t, model::kPoints>, model::kChannels>;

// Fills out[k][i] for the windows at first..last, all on the table
// (4 <= first, last <= kLastPoint - 5). Several windows share a SIMD
// register, each lane adding its own ten points in the reference's order,
// so every value matches the reference bit for bit.
void windowOutcomes(const model::Table& a, const model::Table& b, int first, int last, Lanes lanes, Outcomes& out);

}  // namespace detail

// Slides a ten-point window over lower..upper (positions lower + 4 to
// upper - 5) and tests, per channel, whether File 1 (a) and File 2 (b)
// correlate (r >= 0.632) and whether a's mean exceeds b's by no more than
// the t bound (t <= 1.734, signed difference, n - 1 divisors). Stops at the
// first non-finite value or a window reaching outside the tables; passes
// reported until then stand. `onPass(position, channel, test)` is called as
// WindowPass describes; a plain lambda costs no indirect call per pass.
template <class OnPass>
TwoRatio twoRatioWith(const model::Table& a, const model::Table& b, int lower, int upper, OnPass&& onPass,
                      Lanes lanes = Lanes::Widest) {
  TwoRatio out;
  const int first = lower + 4;
  const int last = upper - 5;
  // Filled only where a window lies on the table; the walk below stops
  // before reading anything else.
  detail::Outcomes outcomes;
  const int lastOnTable = std::min(last, model::kLastPoint - 5);
  if (first - 4 >= 0 && first <= lastOnTable) detail::windowOutcomes(a, b, first, lastOnTable, lanes, outcomes);

  // The outcomes are replayed in the reference's order, so counts, marks
  // and the failing channel come out as a window-by-window loop gives them.
  for (int i = first; i <= last; ++i) {
    ++out.windows;
    if (i - 4 < 0 || i + 5 > model::kLastPoint) {
      out.failedChannel = 0;
      return out;
    }
    for (int k = 0; k < model::kChannels; ++k) {
      const auto kk = static_cast<std::size_t>(k);
      const std::uint8_t o = outcomes[kk][static_cast<std::size_t>(i)];
      if (o & detail::kStopBeforeMeans) {
        out.failedChannel = k;
        return out;
      }
      if (o & detail::kCorrelationPass) {
        ++out.correlationPasses[kk];
        onPass(i, k, WindowTest::Correlation);
      }
      if (o & detail::kStopAtMeans) {
        out.failedChannel = k;
        return out;
      }
      if (o & detail::kMeansPass) {
        ++out.meansPasses[kk];
        onPass(i, k, WindowTest::Means);
      }
    }
  }
  // No window: the ratios would be 0 / 0.
  if (out.windows == 0) out.failedChannel = 0;
  return out;
}

// The same through a std::function; an empty one reports nothing.
TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper, const WindowPass& onPass = {});

namespace reference {

// One window and one channel at a time, straight from the formulas: the
// scalar yardstick for the lane kernels above.
TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper, const WindowPass& onPass = {});

}  // namespace reference

}  // namespace varnel::calc
