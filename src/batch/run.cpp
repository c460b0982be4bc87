// The run: the command line, then one comparison or a list of them side by side.
#include "batch/run.hpp"

#include <QThreadPool>
#include <QtConcurrent>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/messages.hpp"
#include "batch/options.hpp"
#include "batch/pairs_list.hpp"
#include "batch/summary.hpp"
#include "output/save_file.hpp"

namespace varnel::batch {
namespace {

namespace fs = std::filesystem;

void printError(std::ostream& err, const std::string& where, const std::string& message) {
  err << where << app::kErrorTitle << ": " << message << '\n';
}

void printMessages(std::ostream& err, const std::string& where, const Outcome& o) {
  for (const std::string& m : o.messages) printError(err, where, m);
}

bool saveSummary(const std::string& path, const std::string& text, std::ostream& err) {
  const output::Saved s = output::saveFile(path, text);
  if (!s.ok()) printError(err, "", app::messages::cannotWrite("summary", path, s.reason));
  return s.ok();
}

int runSingle(const Options& o, std::ostream& out, std::ostream& err) {
  const Comparison& c = o.single;
  if (const std::string why = clash(c, o.summary); !why.empty()) {
    printError(err, "", why);
    return 1;
  }
  const Outcome outcome = runComparison(c, o.steps);
  printMessages(err, "", outcome);
  if (outcome.ok) out << resultTable(outcome);
  if (!o.summary.empty() && !saveSummary(o.summary, summaryHeader() + summaryRow(0, c, "", outcome), err)) return 1;
  return outcome.ok ? 0 : 1;
}

int runPairs(const Options& o, std::ostream& out, std::ostream& err) {
  std::ifstream in(o.pairs, std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    printError(err, "", "Cannot read the list of pairs \"" + o.pairs + "\".");
    return 1;
  }
  if (!o.summary.empty()) {
    // Refuse now rather than after a long run whose summary cannot be kept.
    const fs::path folder = fs::path(fullPath(o.summary)).parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
      printError(
          err, "",
          "Cannot write the summary \"" + o.summary + "\": the folder \"" + folder.string() + "\" does not exist.");
      return 1;
    }
    if (samePath(o.summary, o.pairs)) {
      printError(err, "", "The summary \"" + o.summary + "\" would replace the list of pairs.");
      return 1;
    }
  }

  // Every pair of the list, checked before anything runs.
  struct Pair {
    ListedPair listed;
    Outcome outcome;
  };
  std::vector<Pair> pairs;
  for (const PairLine& line : readPairLines(text.str())) {
    Pair& p = pairs.emplace_back(Pair{listedPair(line, o.outputs), {}});
    if (p.listed.error.empty()) p.listed.error = clash(p.listed.c, o.summary, o.pairs);
    if (!p.listed.error.empty()) p.outcome.messages.push_back(p.listed.error);
  }

  // Comparisons share nothing, so they run side by side; most of a pair's
  // time goes to waiting for its files to reach the disk. Rows and messages
  // are still given in the order of the list, each as soon as it and those
  // before it are done.
  QThreadPool pool;
  if (o.jobs > 0) pool.setMaxThreadCount(o.jobs);
  const QFuture<Outcome> outcomes = QtConcurrent::mapped(&pool, pairs, [&o](const Pair& p) {
    return p.listed.error.empty() ? runComparison(p.listed.c, o.steps) : p.outcome;
  });

  const bool toStdout = o.summary.empty();
  std::string summary = summaryHeader();
  if (toStdout) out << summary << std::flush;
  bool allOk = true;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const Outcome outcome = outcomes.resultAt(static_cast<int>(i));
    const ListedPair& p = pairs[i].listed;
    printMessages(err, o.pairs + ":" + std::to_string(p.line) + ": ", outcome);
    allOk = allOk && outcome.ok;
    const std::string row = summaryRow(p.line, p.c, p.stem, outcome);
    if (toStdout)
      out << row << std::flush;
    else
      summary += row;
  }
  if (!toStdout && !saveSummary(o.summary, summary, err)) return 1;
  return allOk ? 0 : 1;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed = parseArguments(args);
  if (!parsed.ok()) {
    err << "varnel-batch: " << parsed.error << "\nTry 'varnel-batch --help'.\n";
    return 2;
  }
  const Options& o = parsed.options;
  if (o.help) {
    out << helpText();
    return 0;
  }
  return o.pairs.empty() ? runSingle(o, out, err) : runPairs(o, out, err);
}

}  // namespace varnel::batch
