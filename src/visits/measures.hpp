#pragma once
// What the matrix and the trend of a series show: one measure of every pair
// on one channel (the fifteen results as the window shows them, the mean
// difference and the width of its limits of agreement), the colour each
// value takes on the one scale, and the visits' own figures as texts.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "series/series.hpp"

namespace varnel::visits {

using series::Channel;

// What a cell of the matrix holds: one of the five results as the window
// shows it, the mean difference or the width of its limits of agreement.
enum class Measure { AreaRatio, SlopeComparison, Correlation, RRatio, TRatio, MeanDifference, AgreementWidth };
inline constexpr int kMeasures = 7;
const char* measureName(Measure measure);
const char* channelName(Channel channel);

enum class CellKind { Value, NoValue, Failed, Blank };

struct Cell {
  CellKind kind = CellKind::Blank;
  double value = 0.0;
  std::string text;  // as the window shows it; the failure's messages for a failed pair
};

// A pair's measure on `channel`.
Cell cellOf(const series::Pair& pair, Measure measure, Channel channel);
// Row `earlier`, column `later` of the matrix: blank on and below the
// diagonal, and for a series cut short by a cancel.
Cell cellAt(const series::Series& s, int earlier, int later, Measure measure, Channel channel);

// The range of the matrix's values; one colour scale for all its cells.
struct Scale {
  double lo = 0.0, hi = 0.0;
  bool empty = true;  // no pair has a value
};
Scale scaleOf(const series::Series& s, Measure measure, Channel channel);

// 0xRRGGBB along a dark-blue-to-yellow scale, lo to hi.
std::uint32_t scaleColour(const Scale& scale, double value);
inline constexpr std::uint32_t kNoValueColour = 0xD4D4D4;
inline constexpr std::uint32_t kFailedColour = 0xB00020;  // the cross over a failed pair

// An axis of the trend: its range, and ticks every `step` from `lo`, their
// labels with `decimals` decimals.
struct Axis {
  double lo = 0.0, hi = 1.0, step = 1.0;
  int decimals = 0;
  std::vector<double> ticks() const;
};

// One line of the trend: its value at each visit, none where the visit has
// none (a failed visit is a gap in every line).
struct TrendLine {
  const char* name;
  std::uint32_t colour;
  bool counts;  // dashed, on the right-hand axis
  std::vector<std::optional<double>> values;
  // The runs of visits that have a value, as (visit number, value) points.
  std::vector<std::vector<std::pair<double, double>>> runs() const;
};

// What the trend shows, worked out once for the window and the report: the
// measure against the visit before and against visit 1 on the left axis, the
// points of each visit at or past t1 and t2 on the right one, the visits
// along the bottom.
struct Trend {
  std::vector<TrendLine> lines;
  Axis visits, values, counts;
};
Trend trendOf(const series::Series& s, Measure measure, Channel channel);
inline constexpr std::uint32_t kPreviousColour = 0x1F5FD0;
inline constexpr std::uint32_t kBaselineColour = 0xD03020;
inline constexpr std::uint32_t kReachT1Colour = 0xE08A00;
inline constexpr std::uint32_t kReachT2Colour = 0x8040A0;

// A visit's figures in the window's number format; "n/a" where the stretch
// holds no point, empty for a visit that could not be loaded.
struct VisitFigures {
  std::string points, meanDelta, largestDelta, largestAt, reachT1, reachT2;
};
VisitFigures figuresOf(const series::Visit& v);

// The file name of a path, without its folder.
std::string fileName(const std::string& path);

}  // namespace varnel::visits
