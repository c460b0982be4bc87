#pragma once
// Drives the window logic (app::Form) without a window: scripted dialogs
// answer with the paths of the command line, the message box collects what
// the window would show, and the results are read off the result boxes.
#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/form.hpp"
#include "batch/batch_options.hpp"

namespace varnel::batch {

// One comparison: two scans and the files to write (empty: not written).
struct Comparison {
  std::string scan1, scan2;
  std::string results, exportPath, chart;
};

// Rows of the result boxes, top to bottom, and their columns left to right
// as channel indices (Lft, Delta, Rt).
inline constexpr int kResultRows = 5;
inline constexpr const char* kRowNames[kResultRows] = {"Area Ratio", "Slope Comparison", "Correlation", "r %", "t %"};
inline constexpr int kColumnChannels[3] = {1, 0, 2};
inline constexpr const char* kColumnNames[3] = {"Lft", "Delta", "Rt"};

struct Outcome {
  bool ok = false;
  // What went wrong, as the window's message box would show it; empty when ok.
  std::vector<std::string> messages;
  // The boxes' texts, [row][channel index]; empty when never computed.
  std::array<std::array<std::string, 3>, kResultRows> results;
};

// Runs one comparison in a fresh form, the steps in a user's order (see
// helpText), and stops at the first message the form shows.
Outcome runComparison(const Comparison& c, const Steps& steps);

// The result boxes of a form, [row][channel index].
std::array<std::array<std::string, 3>, kResultRows> resultTexts(const app::Form& form);

// The fifteen results as a table for a reader.
std::string resultTable(const Outcome& o);

// One CSV field, quoted when it needs to be.
std::string csvField(const std::string& text);
std::string summaryHeader();
// line: the pair's line in the list (0 for a comparison of the command line).
std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o);

// One line of a list of pairs.
struct PairLine {
  int line = 0;
  std::vector<std::string> fields;
  std::string error;  // why the line cannot be split into fields
};
// Splits the list into its pairs' lines: blank lines, comments and the
// optional header are left out.
std::vector<PairLine> readPairLines(const std::string& text);

// The whole program: arguments after the program name; returns the exit
// status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace varnel::batch
