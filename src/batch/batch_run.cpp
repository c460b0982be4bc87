#include "batch/batch_run.hpp"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>
#include <utility>

#include "app/stand_in_dialogs.hpp"
#include "output/save_file.hpp"
#include "picture/chart_picture.hpp"

namespace varnel::batch {
namespace {

namespace fs = std::filesystem;

// A real dialog hands back the chosen full path; so does this one.
std::string fullPath(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.string();
}

// Two spellings of one file ("x", "./x", a path through a symbolic link),
// whether or not it exists yet.
bool samePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const auto resolved = [](const std::string& p) {
    std::error_code e;
    const fs::path r = fs::weakly_canonical(fullPath(p), e);
    return e ? fs::path(fullPath(p)).lexically_normal() : r;
  };
  return resolved(a) == resolved(b);
}

struct Named {
  const char* what;
  std::string path;
};

// An output that would replace a scan or another output loses the user's
// data without a word; refuse it before anything runs.
std::string clash(const std::vector<Named>& inputs, const std::vector<Named>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].path.empty()) continue;
    for (const Named& in : inputs)
      if (samePath(outputs[i].path, in.path))
        return std::string("The ") + outputs[i].what + " \"" + outputs[i].path + "\" would replace " + in.what + ".";
    for (std::size_t j = 0; j < i; ++j)
      if (!outputs[j].path.empty() && samePath(outputs[i].path, outputs[j].path))
        return std::string("The ") + outputs[i].what + " and the " + outputs[j].what + " are the same file \"" +
               outputs[i].path + "\".";
  }
  return {};
}

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Fields of one CSV line; false for an unterminated quote or text after a
// closing quote.
bool splitFields(const std::string& line, std::vector<std::string>& fields) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string field;
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += line[i];
        }
      }
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i < line.size() && line[i] != ',') return false;
    } else {
      const std::size_t comma = std::min(line.find(',', i), line.size());
      field = trim(line.substr(i, comma - i));
      i = comma;
    }
    fields.push_back(field);
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void printMessages(std::ostream& err, const std::string& where, const Outcome& o) {
  for (const std::string& m : o.messages) err << where << app::kErrorTitle << ": " << m << '\n';
}

int runSingle(const Options& o, std::ostream& out, std::ostream& err) {
  const Comparison c{o.scan1, o.scan2, o.results, o.exportPath, o.chart};
  if (const std::string why = clash({{"File 1", o.scan1}, {"File 2", o.scan2}}, {{"results file", o.results},
                                                                                 {"export file", o.exportPath},
                                                                                 {"chart image", o.chart},
                                                                                 {"summary", o.summary}});
      !why.empty()) {
    err << app::kErrorTitle << ": " << why << '\n';
    return 1;
  }
  const Outcome outcome = runComparison(c, o.steps);
  printMessages(err, "", outcome);
  if (outcome.ok) out << resultTable(outcome);
  if (!o.summary.empty()) {
    if (const output::Saved s = output::saveFile(o.summary, summaryHeader() + summaryRow(0, c, "", outcome)); !s.ok()) {
      err << app::kErrorTitle << ": " << app::messages::cannotWrite("summary", o.summary, s.reason) << '\n';
      return 1;
    }
  }
  return outcome.ok ? 0 : 1;
}

int runPairs(const Options& o, std::ostream& out, std::ostream& err) {
  std::ifstream in(o.pairs, std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    err << app::kErrorTitle << ": Cannot read the list of pairs \"" << o.pairs << "\".\n";
    return 1;
  }
  if (!o.summary.empty()) {
    // Refuse now rather than after a long run whose summary cannot be kept.
    const fs::path folder = fs::path(fullPath(o.summary)).parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
      err << app::kErrorTitle << ": Cannot write the summary \"" << o.summary << "\": the folder \"" << folder.string()
          << "\" does not exist.\n";
      return 1;
    }
    if (samePath(o.summary, o.pairs)) {
      err << app::kErrorTitle << ": The summary \"" << o.summary << "\" would replace the list of pairs.\n";
      return 1;
    }
  }

  // Every pair of the list, checked before anything runs.
  struct Pair {
    int line;
    Comparison c;
    std::string stem;
    Outcome outcome;
    bool run = false;
  };
  std::vector<Pair> pairs;
  for (const PairLine& p : readPairLines(text.str())) {
    Pair& pair = pairs.emplace_back(Pair{p.line, {}, {}, {}});
    Comparison& c = pair.c;
    const std::size_t n = p.fields.size();
    if ((n == 2 || n == 3) && !p.fields[0].empty() && !p.fields[1].empty()) {
      c.scan1 = p.fields[0];
      c.scan2 = p.fields[1];
      pair.stem = n == 3 ? p.fields[2] : "";
      if (!pair.stem.empty()) {
        if (o.outputs.results) c.results = pair.stem + "_results.txt";
        if (o.outputs.exportData) c.exportPath = pair.stem + "_norm.txt";
        if (o.outputs.chart) c.chart = pair.stem + ".png";
      }
      const std::string why = clash({{"File 1", c.scan1}, {"File 2", c.scan2}, {"the list of pairs", o.pairs}},
                                    {{"results file", c.results},
                                     {"export file", c.exportPath},
                                     {"chart image", c.chart},
                                     {"summary", o.summary}});
      if (why.empty())
        pair.run = true;
      else
        pair.outcome.messages.push_back(why);
    } else {
      if (n > 0) c.scan1 = p.fields[0];
      if (n > 1) c.scan2 = p.fields[1];
      pair.outcome.messages.push_back(!p.error.empty() ? p.error
                                                       : "This line is not \"scan1,scan2,stem\" with two scan files.");
    }
  }

  // Comparisons share nothing, so they run side by side; most of a pair's
  // time goes to waiting for its files to reach the disk. Rows and messages
  // are still given in the order of the list, each as soon as it and those
  // before it are done.
  std::mutex m;
  std::condition_variable doneChanged;
  std::vector<char> done(pairs.size(), 0);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i; (i = next++) < pairs.size();) {
      if (pairs[i].run) pairs[i].outcome = runComparison(pairs[i].c, o.steps);
      {
        const std::lock_guard<std::mutex> lock(m);
        done[i] = 1;
      }
      doneChanged.notify_all();
    }
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers =
      std::min<std::size_t>(o.jobs > 0 ? static_cast<std::size_t>(o.jobs) : cores, pairs.size());
  std::vector<std::jthread> threads;
  for (std::size_t t = 0; t < workers; ++t) threads.emplace_back(work);

  const bool toStdout = o.summary.empty();
  std::string summary = summaryHeader();
  if (toStdout) out << summary << std::flush;
  bool allOk = true;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    {
      std::unique_lock<std::mutex> lock(m);
      doneChanged.wait(lock, [&] { return done[i] != 0; });
    }
    const Pair& p = pairs[i];
    printMessages(err, o.pairs + ":" + std::to_string(p.line) + ": ", p.outcome);
    allOk = allOk && p.outcome.ok;
    const std::string row = summaryRow(p.line, p.c, p.stem, p.outcome);
    if (toStdout)
      out << row << std::flush;
    else
      summary += row;
  }
  if (!toStdout) {
    if (const output::Saved s = output::saveFile(o.summary, summary); !s.ok()) {
      err << app::kErrorTitle << ": " << app::messages::cannotWrite("summary", o.summary, s.reason) << '\n';
      return 1;
    }
  }
  return allOk ? 0 : 1;
}

}  // namespace

std::array<std::array<std::string, 3>, kResultRows> resultTexts(const app::Form& form) {
  const app::TextBox* rows[kResultRows] = {form.AreaRatio, form.SlopeComp, form.Correlation, form.r_ratio,
                                           form.t_ratio};
  std::array<std::array<std::string, 3>, kResultRows> r;
  for (int i = 0; i < kResultRows; ++i)
    for (int k = 0; k < 3; ++k) r[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] = rows[i][k].Text;
  return r;
}

Outcome runComparison(const Comparison& c, const Steps& steps) {
  Outcome o;
  app::ScriptedFileDialog dialog;
  app::RecordedMessages box;
  app::Form form(dialog, box);

  // The user's actions in order; `answer` is what the file dialog the action
  // opens is answered with.
  struct Action {
    std::string answer;
    std::function<void()> run;
  };
  std::vector<Action> actions;
  const auto click = [&](std::function<void()> f) { actions.push_back({"", std::move(f)}); };
  const auto withFile = [&](const std::string& path, std::function<void()> f) {
    actions.push_back({fullPath(path), std::move(f)});
  };

  withFile(c.scan1, [&] { form.fileopen_Click(); });
  withFile(c.scan2, [&] { form.fileopen2_Click(); });
  if (steps.lower) click([&] { form.VScroll1.setValue(*steps.lower); });
  if (steps.upper) click([&] { form.VScroll2.setValue(*steps.upper); });
  for (const int ch : steps.smooth) {
    click([&form, ch] { form.LineButton_Click(ch); });
    click([&] { form.Smoothbutton_Click(); });
  }
  if (steps.shift1) {
    click([&] { form.VScroll3.setValue(*steps.shift1); });
    click([&] { form.Shift1_Click(); });
  }
  if (steps.shift2) {
    click([&] { form.VScroll3.setValue(*steps.shift2); });
    click([&] { form.Shift2_Click(); });
  }
  if (steps.channel) click([&] { form.LineButton_Click(*steps.channel); });
  if (steps.threshold) click([&] { form.Threshold.Text = *steps.threshold; });
  click([&] { form.CalcArea_Click(); });
  click([&] { form.CalcSlope_Click(); });
  click([&] { form.CalcCorrelation_Click(); });
  click([&] { form.Quil_Tesk_Click(); });
  if (steps.slopes) click([&] { form.SlopeChart_Click(); });
  if (!c.results.empty()) withFile(c.results, [&] { form.filesave_Click(); });
  if (!c.exportPath.empty()) withFile(c.exportPath, [&] { form.normexport_Click(); });
  if (!c.chart.empty())
    click([&] {
      const std::string path = fullPath(c.chart);
      if (const output::Saved s = picture::saveChartPng(form.Picture1, path); !s.ok())
        box.show(app::messages::cannotWrite("chart image", path, s.reason), app::kErrorTitle);
    });

  for (const Action& a : actions) {
    if (!a.answer.empty()) dialog.answers = {a.answer};
    a.run();
    if (!box.shown.empty()) break;
    // A dialog that was never opened would leave its answer unused and the
    // window silently short of a step.
    if (!dialog.answers.empty()) {
      box.show("The window did not ask for \"" + a.answer + "\".", app::kErrorTitle);
      break;
    }
  }
  for (const auto& m : box.shown) o.messages.push_back(m.text);
  o.ok = o.messages.empty();
  o.results = resultTexts(form);
  return o;
}

std::string resultTable(const Outcome& o) {
  std::size_t first = 0;
  for (const char* r : kRowNames) first = std::max(first, std::string(r).size());
  std::size_t width[3];
  for (int col = 0; col < 3; ++col) {
    width[col] = std::string(kColumnNames[col]).size();
    for (const auto& row : o.results)
      width[col] = std::max(width[col], row[static_cast<std::size_t>(kColumnChannels[col])].size());
  }
  const auto pad = [](const std::string& s, std::size_t w) { return s + std::string(w - s.size(), ' '); };
  const auto line = [&](const std::string& head, const std::string(&cells)[3]) {
    std::string l = pad(head, first);
    for (int col = 0; col < 3; ++col) l += "  " + (col == 2 ? cells[col] : pad(cells[col], width[col]));
    while (!l.empty() && l.back() == ' ') l.pop_back();
    return l + '\n';
  };
  std::string t = line("", {kColumnNames[0], kColumnNames[1], kColumnNames[2]});
  for (int r = 0; r < kResultRows; ++r) {
    const auto& row = o.results[static_cast<std::size_t>(r)];
    t += line(kRowNames[r], {row[1], row[0], row[2]});
  }
  return t;
}

std::string csvField(const std::string& text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string q = "\"";
  for (char ch : text) {
    if (ch == '"') q += '"';
    q += ch;
  }
  return q + '"';
}

std::string summaryHeader() {
  std::string h = "line,scan1,scan2,stem,status,message";
  for (const char* r : kRowNames)
    for (const char* col : kColumnNames) h += "," + csvField(std::string(r) + " " + col);
  return h + '\n';
}

std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o) {
  std::string message;
  for (const std::string& m : o.messages) message += (message.empty() ? "" : " ") + m;
  std::string row = std::to_string(line) + "," + csvField(c.scan1) + "," + csvField(c.scan2) + "," + csvField(stem) +
                    "," + (o.ok ? "ok" : "failed") + "," + csvField(message);
  for (const auto& r : o.results)
    for (const int ch : kColumnChannels) row += "," + csvField(r[static_cast<std::size_t>(ch)]);
  return row + '\n';
}

std::vector<PairLine> readPairLines(const std::string& text) {
  std::vector<PairLine> lines;
  bool first = true;
  int number = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = trim(line);
    if (t.empty() || t[0] == '#') continue;
    PairLine p;
    p.line = number;
    if (!splitFields(line, p.fields)) {
      p.fields.clear();
      p.error = "A quoted field of this line has no closing quote, or text follows its closing quote.";
    }
    if (first) {
      first = false;
      std::vector<std::string> names;
      for (const std::string& f : p.fields) names.push_back(lower(f));
      if (names == std::vector<std::string>{"scan1", "scan2", "stem"} ||
          names == std::vector<std::string>{"scan1", "scan2"})
        continue;
    }
    lines.push_back(std::move(p));
  }
  return lines;
}

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
