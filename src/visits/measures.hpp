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

// Measures 0..4 are the result rows (output::kReportRowNames).
inline constexpr int kMeanDifference = 5;
inline constexpr int kAgreementWidth = 6;
inline constexpr int kMeasures = 7;
const char* measureName(int measure);

// Channels as the model numbers them (model::kDelta, kLeft, kRight).
const char* channelName(int channel);

enum class CellKind { Value, NoValue, Failed, Blank };

struct Cell {
  CellKind kind = CellKind::Blank;
  double value = 0.0;
  std::string text;  // as the window shows it; the failure's messages for a failed pair
};

// A pair's measure on `channel`.
Cell cellOf(const series::Pair& pair, int measure, int channel);
// Row `earlier`, column `later` of the matrix: blank on and below the
// diagonal, and for a series cut short by a cancel.
Cell cellAt(const series::Series& s, int earlier, int later, int measure, int channel);

// The range of the matrix's values; one colour scale for all its cells.
struct Scale {
  double lo = 0.0, hi = 0.0;
  bool empty = true;  // no pair has a value
};
Scale scaleOf(const series::Series& s, int measure, int channel);

// 0xRRGGBB along a dark-blue-to-yellow scale, lo to hi.
std::uint32_t scaleColour(const Scale& scale, double value);
inline constexpr std::uint32_t kNoValueColour = 0xD4D4D4;
inline constexpr std::uint32_t kFailedColour = 0xB00020;  // the cross over a failed pair

// The trend at one visit: the measure against the visit before and against
// visit 1 (none at visit 1 or where there is no value), and its asymmetry
// counts (none for a visit that could not be loaded).
struct TrendPoint {
  std::optional<double> previous, baseline;
  std::optional<int> reachT1, reachT2;
};
std::vector<TrendPoint> trendOf(const series::Series& s, int measure, int channel);
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
