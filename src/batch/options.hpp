#pragma once
// The command line of varnel-batch: what the user asks for, checked before
// anything runs, and the help that lists it.
#include <optional>
#include <string>
#include <vector>

namespace varnel::batch {

// What a user does in the window between loading both scans and saving, the
// same for every comparison of a run. Channels are the form's indices
// (0 Delta-T, 1 Left Temp, 2 Right Temp).
struct Steps {
  std::optional<int> lower, upper;  // cut-off bars
  std::vector<int> smooth;          // channels smoothed, in order
  std::optional<int> shift1, shift2;
  std::optional<int> channel;
  std::optional<std::string> threshold;  // typed into the Threshold box
  bool slopes = false;
};

// Which files each pair of a --pairs run writes next to its stem.
struct PairOutputs {
  bool results = true;     // STEM_results.txt
  bool exportData = true;  // STEM_norm.txt
  bool chart = false;      // STEM.png
  bool report = false;     // STEM_report.pdf
};

struct Options {
  Steps steps;
  // One comparison: FILE1 FILE2 and the outputs named on the command line
  // (empty: not written).
  std::string scan1, scan2;
  std::string results, exportPath, chart, report;
  // Many comparisons: the list of pairs (empty: one comparison).
  std::string pairs;
  PairOutputs outputs;
  std::string summary;  // summary CSV; empty: standard output with --pairs, none without
  int jobs = 0;         // comparisons run at once with --pairs; 0: as many as the machine has cores
  bool help = false;
};

struct ParsedArguments {
  Options options;
  std::string error;  // empty when the command line is good

  bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name. Values may follow their
// option as the next argument or after "="; "--" ends the options.
ParsedArguments parseArguments(const std::vector<std::string>& args);

std::string helpText();

// "left", "delta", "right" as the form's channel index; nullopt otherwise.
std::optional<int> channelIndex(const std::string& name);

}  // namespace varnel::batch
