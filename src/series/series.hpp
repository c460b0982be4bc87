#pragma once
// A series of one patient's scans, visit 1 the baseline: every pair of visits
// compared as varnel-batch compares two scans (the earlier visit as File 1),
// with each pair's agreement (later minus earlier) and each visit's
// left-right asymmetry. Scans are read once per series; nothing is written.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/comparison.hpp"

namespace varnel::series {

// The three channels, numbered as the model numbers them.
enum class Channel { Delta = model::kDelta, Left = model::kLeft, Right = model::kRight };
inline std::size_t indexOf(Channel c) { return static_cast<std::size_t>(c); }

// One channel's five results as the window's boxes show them.
struct ChannelResults {
  std::string areaRatio, slopeComparison, correlation, rRatio, tRatio;
};

// |Delta-T| at or past these counts as notable (t1) and marked (t2), in °C.
struct Thresholds {
  double t1 = 0.3, t2 = 0.6;
};

// A visit's readings as loaded, over the compared stretch (the cut-offs,
// held to its last point). Points are the chart's: point 0 is the last
// reading of the file.
struct Asymmetry {
  int points = 0;                // points in the stretch
  double meanDelta = 0.0;        // mean Delta-T
  double largestDelta = 0.0;     // largest |Delta-T|
  int largestAt = 0;             // its point, the lowest on a tie
  int reachT1 = 0, reachT2 = 0;  // points with |Delta-T| >= t1, >= t2 (to within 1e-9)
};

struct Visit {
  std::string path;     // as given
  std::string message;  // why it could not be loaded; empty when it was
  int lastPoint = -1;   // as the point-count box shows it
  Asymmetry asymmetry;  // when loaded and the stretch holds a point
  bool ok() const { return message.empty(); }
};

// Later minus earlier, point by point, over the points the calculations
// used, on the channel on show.
struct Agreement {
  int points = 0;
  double meanDifference = 0.0;
  std::optional<double> lower, upper;  // mean -/+ 1.96 sd (n - 1); none under two points
};

struct Pair {
  int earlier = 0, later = 0;       // visit indices, earlier < later
  batch::Outcome outcome;           // ok, messages and the fifteen result texts
  Channel channel = Channel::Left;  // the channel on show at the end
  // Per channel (indexOf), when the comparison ran to the end; that of
  // `channel` is the one the tables report.
  std::array<std::optional<Agreement>, model::kChannels> agreement;
  ChannelResults results(Channel c) const;
  const std::optional<Agreement>& agreementOf(Channel c) const { return agreement[indexOf(c)]; }
};

struct Series {
  std::vector<Visit> visits;
  // (0,1), (0,2), ..., (0,n-1), (1,2), ..., (n-2,n-1)
  std::vector<Pair> pairs;
  const Pair& pair(int earlier, int later) const;
  int loaded() const;  // visits that could be loaded
};

struct Run {
  // Called from worker threads as pairs finish: pairs done, of all.
  std::function<void(std::size_t done, std::size_t total)> progress;
  // Asked from worker threads before each pair; true stops early, and the
  // series is then incomplete.
  std::function<bool()> cancelled;
  int jobs = 0;  // pairs at once; 0: one per core
};

// Every visit read, every pair compared with `steps`.
Series compute(const std::vector<std::string>& paths, const batch::Steps& steps, const Thresholds& thresholds,
               const Run& run = {});

// A visit whose scan is already read (from the records), under the name
// the tables and the report give it; names are distinct.
struct ReadVisit {
  std::string name;
  model::ScanRead read;
};
Series compute(const std::vector<ReadVisit>& visits, const batch::Steps& steps, const Thresholds& thresholds,
               const Run& run = {});

// A scan's readings as the window places them: point j is reading count-1-j.
model::Table placed(const model::ScanRead& read);

// The figures alone, for tests and for the window: a visit's asymmetry over
// points lo..hi of a table as placed, and the agreement of two tables.
Asymmetry asymmetry(const model::Table& scan, int lastPoint, int lo, int hi, const Thresholds& t);
std::optional<Agreement> agreement(const model::Table& earlier, const model::Table& later, int channel, int lo, int hi);

// A list of visits as --visit-list reads it and the Visits window keeps it:
// one path a line (LF or CR LF); blank lines and lines starting with # are
// skipped; a relative path is taken from `folder`, the list's own.
std::vector<std::string> readVisitList(const std::string& text, const std::string& folder);
// The paths one a line, those inside `folder` relative to it, so that a
// patient's folder can move with its list.
std::string visitListText(const std::vector<std::string>& paths, const std::string& folder);

// The tables varnel-batch --visits writes and prints; numbers in the
// window's format (model::formatNumber), "n/a" where there is none.
std::string visitTable(const Series& s);  // CSV, one row per visit
std::string pairTable(const Series& s);   // CSV, one row per pair
// Per visit: its figures, and the correlation and t % of `channel` against
// the visit before and against visit 1.
std::string printedTable(const Series& s, Channel channel);

}  // namespace varnel::series
