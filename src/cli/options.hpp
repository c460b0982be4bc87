#pragma once
// The command line of varnel-batch: what the user asks for, checked before
// anything runs, and the help that lists it.
#include <optional>
#include <string>
#include <vector>

#include "batch/comparison.hpp"
#include "series/series.hpp"

namespace varnel::cli {

// The program's options are the engine's steps, comparison and outputs.
using batch::Comparison;
using batch::kOutputKinds;
using batch::OutputKind;
using batch::PairOutputs;
using batch::Steps;

struct Options {
  Steps steps;
  // One comparison: FILE1 FILE2 and the outputs named on the command line
  // (empty: not written).
  Comparison single;
  // Many comparisons: the list of pairs (empty: one comparison).
  std::string pairs;
  PairOutputs outputs;
  std::string summary;  // summary CSV; empty: standard output with --pairs, none without
  int jobs = 0;         // comparisons run at once with --pairs; 0: as many as the machine has cores
  // A series of visits: the scans in visit order, from the command line or
  // from a list; the tables written (empty: not written); the asymmetry
  // thresholds.
  bool visits = false;
  std::vector<std::string> visitFiles;
  std::string visitList, visitTable, pairTable;
  // Or the visits of one patient from the records (empty: none), and the
  // database (empty: the default one).
  std::string patient, database;
  series::Thresholds thresholds;
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

}  // namespace varnel::cli
