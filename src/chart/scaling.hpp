#pragma once
#include "model/tables.hpp"

namespace varnel::chart {

inline constexpr int kNoPosition = -1;

// Highest and lowest value of a channel over a range, searched from the
// starting values given (strict comparisons: among equal values the lowest
// index wins). Positions stay as passed in when nothing beats the start.
struct Extremes {
  double hi = 0.0;
  double lo = 80.0;
  int hiAt = kNoPosition;
  int loAt = kNoPosition;
};

void searchExtremes(const model::Table& scan, int ch, int from, int to, Extremes& e);

// The straight map x = k * v + b that puts lo at 10 % and hi at 90 % of the
// width. A flat range (hi == lo), or one whose spread is too small or whose
// values are too large for a finite map, goes to mid-width.
struct Scale {
  double k = 0.0;
  double b = 0.0;
};

Scale scaleToWidth(double hi, double lo, double width);

// Moving average of 2 * halfWidth + 1 points written back in place, points
// lower cut-off + halfWidth up to upper cut-off - halfWidth, ascending, so
// each window already holds the smoothed values below it.
void smoothInPlace(model::Table& scan, int ch, int lower, int upper, int halfWidth);

}  // namespace varnel::chart
