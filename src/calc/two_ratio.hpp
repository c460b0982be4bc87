#pragma once
#include <array>
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

// Slides a ten-point window over lower..upper (positions lower + 4 to
// upper - 5) and tests, per channel, whether File 1 (a) and File 2 (b)
// correlate (r >= 0.632) and whether a's mean exceeds b's by no more than
// the t bound (t <= 1.734, signed difference, n - 1 divisors). Stops at the
// first non-finite value or a window reaching outside the tables; passes
// reported until then stand.
TwoRatio twoRatio(const model::Table& a, const model::Table& b, int lower, int upper,
                  const WindowPass& onPass = {});

}  // namespace varnel::calc
