// The run: the command line, then one comparison, a list of them side by
// side, or a series of visits.
#include "cli/run.hpp"

#include <unistd.h>

#include <QThreadPool>
#include <QtConcurrent>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>

#include "app/messages.hpp"
#include "batch/pairs_list.hpp"
#include "batch/summary.hpp"
#include "cli/options.hpp"
#include "output/save_file.hpp"
#include "records/archive.hpp"
#include "series/series.hpp"
#include "visits/visits_report.hpp"

namespace varnel::cli {
namespace {

namespace fs = std::filesystem;
using namespace batch;  // the engine this program runs

void printError(std::ostream& err, const std::string& where, const std::string& message) {
  err << where << app::kErrorTitle << ": " << message << '\n';
}

void printMessages(std::ostream& err, const std::string& where, const Outcome& o) {
  for (const std::string& m : o.messages) printError(err, where, m);
}

bool save(const std::string& what, const std::string& path, const std::string& text, std::ostream& err) {
  const output::Saved s = output::saveFile(path, text);
  if (!s.ok()) printError(err, "", app::messages::cannotWrite(what, path, s.reason));
  return s.ok();
}

bool saveSummary(const std::string& path, const std::string& text, std::ostream& err) {
  return save("summary", path, text, err);
}

std::optional<std::string> readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) return std::nullopt;
  return text.str();
}

// "DONE of ALL pairs" on standard error while a run that has taken more than
// a second goes on, when standard error is a terminal; nothing otherwise.
class Progress {
 public:
  using Clock = std::chrono::steady_clock;
  Progress(std::ostream& err, std::size_t total)
      : err_(err), total_(total), shown_(&err == &std::cerr && isatty(STDERR_FILENO) != 0) {}
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress() {
    if (drawn_) err_ << '\r' << std::string(40, ' ') << '\r' << std::flush;
  }
  // From any thread.
  void update(std::size_t done) {
    if (!shown_) return;
    const std::unique_lock<std::mutex> lock(m_, std::try_to_lock);
    const Clock::time_point now = Clock::now();
    if (!lock || now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    drawn_ = true;
    err_ << '\r' << done << " of " << total_ << " pairs" << std::flush;
  }

 private:
  std::ostream& err_;
  std::size_t total_;
  bool shown_, drawn_ = false;
  std::mutex m_;
  Clock::time_point start_ = Clock::now(), last_;
};

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
  const std::optional<std::string> text = readText(o.pairs);
  if (!text) {
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
  for (const PairLine& line : readPairLines(*text)) {
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
  Progress progress(err, pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const Outcome outcome = outcomes.resultAt(static_cast<int>(i));
    progress.update(i + 1);
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

int runVisits(const Options& o, std::ostream& out, std::ostream& err) {
  std::vector<std::string> paths = o.visitFiles;
  std::vector<Named> inputs;
  if (!o.visitList.empty()) {
    const std::optional<std::string> text = readText(o.visitList);
    if (!text) {
      printError(err, "", "Cannot read the list of visits \"" + o.visitList + "\".");
      return 1;
    }
    paths = series::readVisitList(*text, fs::path(fullPath(o.visitList)).parent_path().string());
    inputs.push_back({"the list of visits", o.visitList});
  }
  for (std::size_t i = 0; i < paths.size(); ++i) inputs.push_back({"visit " + std::to_string(i + 1), paths[i]});
  if (const std::string why =
          clash(inputs, {{"visit table", o.visitTable}, {"pair table", o.pairTable}, {"report", o.single.report}});
      !why.empty()) {
    printError(err, "", why);
    return 1;
  }

  series::Series s;
  std::string patient;
  if (!o.patient.empty()) {
    // The patient's visits from the records, each scan read once from there.
    const QString db = o.database.empty() ? records::defaultDatabase() : QString::fromStdString(o.database);
    const records::Result<std::unique_ptr<records::Store>> store = records::Store::open(db);
    const records::Result<records::Patient> p =
        store.ok() ? store.value->patientByRecord(QString::fromStdString(o.patient)) : records::Result<records::Patient>{};
    const records::Status failed = !store.ok() ? store.status : p.status;
    if (!failed.ok()) {
      printError(err, "", failed.message.toStdString());
      return 1;
    }
    patient = (p.value.fields.record + QStringLiteral(": ") + p.value.fields.family + QStringLiteral(", ") +
               p.value.fields.given)
                  .toStdString();
    const std::size_t n = store.value->visits(p.value.id).value.size();
    Progress progress(err, n > 1 ? n * (n - 1) / 2 : 0);
    series::Run run;
    run.jobs = o.jobs;
    run.progress = [&progress](std::size_t done, std::size_t) { progress.update(done); };
    records::Result<series::Series> read = records::patientSeries(*store.value, p.value.fields.record, o.steps, o.thresholds, run);
    if (!read.ok()) {
      printError(err, "", read.status.message.toStdString());
      return 1;
    }
    s = std::move(read.value);
  } else if (paths.size() >= 2) {
    Progress progress(err, paths.size() * (paths.size() - 1) / 2);
    series::Run run;
    run.jobs = o.jobs;
    run.progress = [&progress](std::size_t done, std::size_t) { progress.update(done); };
    s = series::compute(paths, o.steps, o.thresholds, run);
  }
  bool allOk = true;
  for (std::size_t i = 0; i < s.visits.size(); ++i)
    if (!s.visits[i].ok()) {
      printError(err, "visit " + std::to_string(i + 1) + ": ", s.visits[i].message);
      allOk = false;
    }
  if (s.loaded() < 2) {
    printError(err, "", app::messages::visitsTooFew(static_cast<int>(o.patient.empty() ? paths.size() : s.visits.size()), s.loaded()));
    return 1;
  }
  for (const series::Pair& p : s.pairs) {
    allOk = allOk && p.outcome.ok;
    if (s.visits[static_cast<std::size_t>(p.earlier)].ok() && s.visits[static_cast<std::size_t>(p.later)].ok())
      printMessages(err, "visits " + std::to_string(p.earlier + 1) + "," + std::to_string(p.later + 1) + ": ",
                    p.outcome);
  }
  const auto channel = static_cast<series::Channel>(o.steps.channel.value_or(model::kLeft));
  out << series::printedTable(s, channel);
  if (!o.visitTable.empty() && !save("visit table", o.visitTable, series::visitTable(s), err)) return 1;
  if (!o.pairTable.empty() && !save("pair table", o.pairTable, series::pairTable(s), err)) return 1;
  if (!o.single.report.empty()) {
    const visits::VisitsSettings settings{o.steps, o.thresholds, visits::VisitsSettings().measure, channel, patient};
    const output::Saved saved = visits::saveVisitsReportPdf(s, settings, o.single.report);
    if (!saved.ok()) {
      printError(err, "", app::messages::cannotWrite("report", o.single.report, saved.reason));
      return 1;
    }
  }
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
  if (o.visits) return runVisits(o, out, err);
  return o.pairs.empty() ? runSingle(o, out, err) : runPairs(o, out, err);
}

}  // namespace varnel::cli
