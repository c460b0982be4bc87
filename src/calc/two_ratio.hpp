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

// Which instructions compute the windows: the widest SIMD lanes this
// processor has (x86-64 only; elsewhere the scalar formulas), or one set
// forced so that tests can hold every one to the reference.
enum class Lanes { Widest, Scalar, Sse2, Avx2 };

// Whether `lanes` can run here: Widest and Scalar always, Sse2 on x86-64,
// Avx2 where the processor has AVX2 and FMA.
bool lanesAvailable(Lanes lanes);

namespace detail {

// What the tests of one window on one channel come to, in the order they
// are made: the correlation test may pass or stop the calculation, then the
// means test may pass or stop it.
enum : std::uint8_t { kCorrelationPass = 1, kStopBeforeMeans = 2, kMeansPass = 4, kStopAtMeans = 8 };
// One per window and channel, at 3 x window + channel: the order of the
// walk below, window by window, channel by channel.
using Outcomes = std::array<std::uint8_t, std::size_t{model::kChannels} * model::kPoints>;

// Fills the outcomes of the windows at first..last, all on the table
// (4 <= first, last <= kLastPoint - 5). On SIMD lanes several windows share
// a register, each lane adding its own ten points in the reference's order,
// so every value matches the reference bit for bit.
void windowOutcomes(const model::Table& a, const model::Table& b, int first, int last, Lanes lanes, Outcomes& out);
// The same one window and channel at a time, by the reference's formulas.
void scalarOutcomes(const model::Table& a, const model::Table& b, int first, int last, Outcomes& out);

// The first of o[from..to] that stops the walk, or -1; eight outcomes at a
// time.
int firstStop(const std::uint8_t* o, int from, int to);

// The passes of each channel among o[from..to], o[from] being channel 0's.
struct PassCounts {
  std::array<int, model::kChannels> correlation{}, means{};
};
PassCounts passCounts(const std::uint8_t* o, int from, int to);

// a / b for b = 9 or 10, as the widest lanes here divide it (for the tests).
double laneQuotient(double a, double b);

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
  constexpr int K = model::kChannels;
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

  // The walk reaches the outcomes from..to: up to the first that stops it,
  // else up to the first window off the table, which fails on channel 0.
  const int from = K * first;
  int to = K * lastOnTable + K - 1;
  const int stop = detail::firstStop(outcomes.data(), from, to);
  if (stop >= 0) {
    to = stop;
    out.failedChannel = stop % K;
    out.windows = stop / K - first + 1;
  } else {
    out.failedChannel = lastOnTable < last ? 0 : -1;
    out.windows = std::min(std::max(first, lastOnTable + 1), last) - first + 1;
  }
  const detail::PassCounts counts = detail::passCounts(outcomes.data(), from, to);
  out.correlationPasses = counts.correlation;
  out.meansPasses = counts.means;

  // Then the passes in the walk's order, the correlation test before the
  // means test.
  const auto report = [&](int i, int k, std::uint8_t o) {
    if (o & detail::kCorrelationPass) onPass(i, k, WindowTest::Correlation);
    if (o & detail::kMeansPass) onPass(i, k, WindowTest::Means);
  };
  if (onlyChannel >= 0) {
    for (int i = first, q = from + onlyChannel; q <= to; ++i, q += K)
      report(i, onlyChannel, outcomes[static_cast<std::size_t>(q)]);
  } else {
    for (int q = from; q <= to; ++q) report(q / K, q % K, outcomes[static_cast<std::size_t>(q)]);
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
