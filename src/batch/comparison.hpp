#pragma once
// One comparison of two scans: the window logic (app::Form) driven without a
// window. Scripted dialogs answer with the paths asked for, the message box
// collects what the window would show, and the results are read off the
// result boxes. Also the files a comparison may write and the check that
// none of them replaces a scan or another output.
#include <array>
#include <string>
#include <vector>

#include "app/form.hpp"
#include "batch/options.hpp"
#include "output/report.hpp"

namespace varnel::batch {

// One comparison: two scans and the files to write (empty: not written).
struct Comparison {
  std::string scan1, scan2;
  std::string results, exportPath, chart, report;
};

// The files a comparison can write, in the order it writes them.
struct OutputKind {
  const char* item;    // in --outputs
  const char* suffix;  // after a pair's stem
  const char* what;    // in messages
  std::string Comparison::*path;
  bool PairOutputs::*wanted;
};
inline constexpr OutputKind kOutputKinds[] = {
    {"results", "_results.txt", "results file", &Comparison::results, &PairOutputs::results},
    {"export", "_norm.txt", "export file", &Comparison::exportPath, &PairOutputs::exportData},
    {"chart", ".png", "chart image", &Comparison::chart, &PairOutputs::chart},
    {"report", "_report.pdf", "report", &Comparison::report, &PairOutputs::report},
};

struct Outcome {
  bool ok = false;
  // What went wrong, as the window's message box would show it; empty when ok.
  std::vector<std::string> messages;
  // The result boxes as the window shows them (app::resultGrid); empty
  // when never computed.
  output::ResultGrid results;
};

// Runs one comparison in a fresh form, the steps in a user's order (see
// helpText), and stops at the first message the form shows.
Outcome runComparison(const Comparison& c, const Steps& steps);

// The path as a real dialog hands it back: absolute.
std::string fullPath(const std::string& path);

// Two spellings of one file ("x", "./x", a path through a symbolic link),
// whether or not it exists yet.
bool samePath(const std::string& a, const std::string& b);

// Why the comparison's outputs or the summary would replace one of its scans,
// the list of pairs it comes from (empty: none) or each other; empty when
// they would not.
std::string clash(const Comparison& c, const std::string& summary, const std::string& pairsList = {});

}  // namespace varnel::batch
