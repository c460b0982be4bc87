#pragma once
// One comparison of two scans: the window logic (app::Form) driven without a
// window. Scripted dialogs answer with the paths asked for, the message box
// collects what the window would show, and the results are read off the
// result boxes. Also the files a comparison may write and the check that
// none of them replaces a scan or another output.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/form.hpp"
#include "output/report.hpp"

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

// One thing a user does in the window. `answer` is what the file dialog it
// opens is to be answered with; empty when it opens none.
struct Action {
  std::string answer;
  std::function<void(app::Form&, app::FileDialog&, app::MessageBox&)> run;
};

// A comparison as a user does it, in order: open both scans, the steps, the
// four calculations, then save what `c` names (see helpText).
std::vector<Action> actionsOf(const Comparison& c, const Steps& steps);

// Runs actionsOf() in a fresh form and stops at the first message the form
// shows. `prepare`, when given, sees the form before the first action (a
// series hands it the scans it has read); `inspect` after the last.
Outcome runComparison(const Comparison& c, const Steps& steps, const std::function<void(app::Form&)>& prepare = {},
                      const std::function<void(const app::Form&)>& inspect = {});

// The path as a real dialog hands it back: absolute.
std::string fullPath(const std::string& path);

// Two spellings of one file ("x", "./x", a path through a symbolic link),
// whether or not it exists yet.
bool samePath(const std::string& a, const std::string& b);

// A file a run reads or writes, and what the user knows it as.
struct Named {
  std::string what, path;
};

// Why one of `outputs` would replace one of `inputs` or another output;
// empty when none would. Outputs with no path are not written.
std::string clash(const std::vector<Named>& inputs, const std::vector<Named>& outputs);

// Why the comparison's outputs or the summary would replace one of its scans,
// the list of pairs it comes from (empty: none) or each other; empty when
// they would not.
std::string clash(const Comparison& c, const std::string& summary, const std::string& pairsList = {});

}  // namespace varnel::batch
