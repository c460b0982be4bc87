// The two-ratio method one window and one channel at a time, as the formulas
// read: the yardstick the lane kernels are held to, and the windows'
// outcomes where there are no lanes.
#include <cmath>

#include "calc/correlation.hpp"
#include "calc/two_ratio.hpp"

namespace varnel::calc {
namespace detail {
namespace {

bool finite(double a, double b, double c, double d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The tests of the window at i (on the table) on channel k.
std::uint8_t windowOutcome(const model::Table& a, const model::Table& b, int i, int k) {
  const PearsonSums s = pearsonSums(a, b, k, i - 4, i + 5);
  const double A = s.sxy * s.n - s.sx * s.sy;
  const double B = s.n * s.sxx - s.sx * s.sx;
  const double C = s.n * s.syy - s.sy * s.sy;
  const double P = C * B;
  // Every sum feeds A, B or C, so a non-finite sum shows here; with these
  // finite, V1, V2 and S below are finite too.
  if (!finite(A, B, C, P)) return kStopBeforeMeans;
  std::uint8_t o = 0;
  // P is 0 when either scan is flat over the window: no r, no pass.
  if (P > 0.0) {
    const double r = A / std::sqrt(P);
    if (!std::isfinite(r)) return kStopBeforeMeans;
    if (r >= kCriticalR) o |= kCorrelationPass;
  }

  const double V1 = (s.sxx - s.sx * s.sx / s.n) / (s.n - 1.0);
  const double V2 = (s.syy - s.sy * s.sy / s.n) / (s.n - 1.0);
  const double S = V2 + V1;
  if (S > 0.0) {
    // Signed on purpose: File 2 lying higher always passes.
    const double t = (s.sx / s.n - s.sy / s.n) / std::sqrt(S / (s.n - 1.0));
    if (!std::isfinite(t)) return o | kStopAtMeans;
    if (t <= kCriticalT) o |= kMeansPass;
  }
  return o;
}

}  // namespace

void scalarOutcomes(const model::Table& a, const model::Table& b, int first, int last, Outcomes& out) {
  for (int i = first; i <= last; ++i)
    for (int k = 0; k < model::kChannels; ++k)
      out[static_cast<std::size_t>(model::kChannels * i + k)] = windowOutcome(a, b, i, k);
}

}  // namespace detail

namespace reference {

TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper, const WindowPass& onPass) {
  TwoRatio out;
  const int first = lower + 4;
  const int last = upper - 5;
  for (int i = first; i <= last; ++i) {
    ++out.windows;
    // Every channel reads the same points, so a window off the table fails
    // on the first channel.
    if (i - 4 < 0 || i + 5 > model::kLastPoint) {
      out.failedChannel = 0;
      return out;
    }
    for (int k = 0; k < model::kChannels; ++k) {
      const auto kk = static_cast<std::size_t>(k);
      const std::uint8_t o = detail::windowOutcome(a, b, i, k);
      if (o & detail::kCorrelationPass) {
        ++out.correlationPasses[kk];
        if (onPass) onPass(i, k, WindowTest::Correlation);
      }
      if (o & (detail::kStopBeforeMeans | detail::kStopAtMeans)) {
        out.failedChannel = k;
        return out;
      }
      if (o & detail::kMeansPass) {
        ++out.meansPasses[kk];
        if (onPass) onPass(i, k, WindowTest::Means);
      }
    }
  }
  // No window: the ratios would be 0 / 0.
  if (out.windows == 0) out.failedChannel = 0;
  return out;
}

}  // namespace reference
}  // namespace varnel::calc
