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
// WindowPass describes, for `onlyChannel` alone when it is 0 to 2; a plain
// lambda costs no indirect call per pass.
template <class OnPass>
TwoRatio twoRatioWith(const model::Table& a, const model::Table& b, int lower, int upper, OnPass&& onPass,
                      Lanes lanes = Lanes::Widest, int onlyChannel = -1) {
  TwoRatio out;
  const int first = lower + 4;
  const int last = upper - 5;
  if (first > last) {  // no window: the ratios would be 0 / 0
    out.failedChannel = 0;
    return out;
  }
  // Filled only where a window lies on the table; nothing below reads
  // anything else.
  detail::Outcomes outcomes;
  const int lastOnTable = first - 4 < 0 ? first - 1 : std::min(last, model::kLastPoint - 5);
  if (first <= lastOnTable) detail::windowOutcomes(a, b, first, lastOnTable, lanes, outcomes);

  // Where the reference's window-by-window walk stops: the first outcome
  // that stops it, else the first window off the table (on channel 0).
  int stopAt = last + 1, stopChannel = -1;
  for (int k = 0; k < model::kChannels; ++k) {  // a later channel must stop at an earlier window
    const std::uint8_t* o = outcomes[static_cast<std::size_t>(k)].data();
    for (int i = first; i <= lastOnTable && i < stopAt; ++i)
      if (o[i] & (detail::kStopBeforeMeans | detail::kStopAtMeans)) {
        stopAt = i;
        stopChannel = k;
      }
  }
  if (stopChannel < 0 && lastOnTable < last) {
    stopAt = std::max(first, lastOnTable + 1);
    stopChannel = 0;
  }
  out.failedChannel = stopChannel;
  out.windows = std::min(stopAt, last) - first + 1;

  // The passes the walk reaches at window i on channel k: all of them
  // before the stop; at the stop, those of the channels up to the one that
  // stopped it (whose outcome holds only the passes made before it stopped).
  const int whole = std::min(stopAt, lastOnTable + 1);
  const auto reached = [&](int i, int k) -> std::uint8_t {
    if (i >= whole && (i > lastOnTable || k > stopChannel)) return 0;
    return outcomes[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] &
           (detail::kCorrelationPass | detail::kMeansPass);
  };
  const int end = std::min(stopAt, lastOnTable);
  for (int k = 0; k < model::kChannels; ++k) {
    const auto kk = static_cast<std::size_t>(k);
    const std::uint8_t* o = outcomes[kk].data();
    int r = 0, t = 0;
    for (int i = first; i < whole; ++i) {
      r += o[i] & detail::kCorrelationPass;
      t += o[i] & detail::kMeansPass;
    }
    const std::uint8_t atStop = end >= whole ? reached(end, k) : 0;
    out.correlationPasses[kk] = r + (atStop & detail::kCorrelationPass);
    out.meansPasses[kk] = (t + (atStop & detail::kMeansPass)) >> 2;
  }
  // Then the passes in the walk's order: window by window, channel by
  // channel, the correlation test before the means test.
  const int kFirst = onlyChannel < 0 ? 0 : onlyChannel;
  const int kLast = onlyChannel < 0 ? model::kChannels - 1 : onlyChannel;
  for (int i = first; i <= end; ++i) {
    for (int k = kFirst; k <= kLast; ++k) {
      const std::uint8_t o = reached(i, k);
      if (o & detail::kCorrelationPass) onPass(i, k, WindowTest::Correlation);
      if (o & detail::kMeansPass) onPass(i, k, WindowTest::Means);
    }
  }
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
