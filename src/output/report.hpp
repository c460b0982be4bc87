#pragma once
// What a one-page comparison report holds, as plain texts: the window's
// boxes as they read, in the order the window shows them. A renderer lays it
// out; nothing here knows how it is drawn.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel::output {

// One scan and the extremes its boxes show.
struct ReportScan {
  bool loaded = false;
  std::string path, pointCount;
  std::string maxValue, maxAt, minValue, minAt;
};

struct ReportChannelState {
  std::string channel, state;  // "Left Temp", "Smoothed"
};

// How a legend entry shows its colour: a short stroke or a pair of dots.
enum class LegendMark { Line, Dots };

struct LegendEntry {
  std::uint32_t rgb;  // 0xRRGGBB
  LegendMark mark;
  std::string text;
};

inline constexpr int kReportRows = 5;
inline constexpr int kReportColumns = 3;
inline constexpr std::array<const char*, kReportRows> kReportRowNames = {"Area Ratio", "Slope Comparison",
                                                                         "Correlation", "r %", "t %"};
inline constexpr std::array<const char*, kReportColumns> kReportColumnNames = {"Lft", "Delta", "Rt"};
// The channel (0 Delta-T, 1 Left Temp, 2 Right Temp) of each on-screen column.
inline constexpr std::array<int, kReportColumns> kReportColumnChannel = {1, 0, 2};
// The on-screen column of a channel.
inline constexpr std::size_t reportColumnOf(int channel) {
  std::size_t column = 0;
  while (column + 1 < kReportColumns && kReportColumnChannel[column] != channel) ++column;
  return column;
}

// The results as the window's grid shows them: [row][on-screen column].
using ResultGrid = std::array<std::array<std::string, kReportColumns>, kReportRows>;

struct Report {
  std::string title, dateTime;
  ReportScan scans[2];
  std::string channel;                        // the channel on show
  ReportChannelState states[kReportColumns];  // on-screen column order
  std::string lowerCutoff, upperCutoff;
  int shiftCount = 0;
  std::string threshold;
  ResultGrid results;
  std::vector<LegendEntry> legend;
};

// The colours of the chart and what each one means.
std::vector<LegendEntry> chartLegend();

}  // namespace varnel::output
