// The options of varnel-batch as one table, read with QCommandLineParser;
// each value is checked here before anything runs.
#include "cli/options.hpp"

#include <QCommandLineParser>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <string_view>

#include "model/decimal.hpp"

namespace varnel::cli {
namespace {

// What an option's value must be.
enum class Kind { Flag, Whole, Channel, Decimal, Path, Outputs };
// Which run an option goes with: any, one comparison only, --pairs only,
// --pairs or --visits, or --visits only.
enum class Scope { Any, Single, Pairs, Many, Visits };

struct Range {
  int lo = 0, hi = 0, start = 0;
};
constexpr Range kNoRange{};
constexpr Range kJobs{1, 64, 0};  // comparisons at once
constexpr Range bar(const app::BarRange& b) { return {b.min, b.max, b.start}; }

// A checked value: the text as given, and what it reads as.
struct Value {
  std::string text;
  int number = 0;
  double decimal = 0.0;
  PairOutputs outputs;
};

struct Option {
  const char* name = nullptr;  // without its dashes
  const char* arg = nullptr;   // the value in the help; nullptr when there is none
  Kind kind = Kind::Flag;
  Range range;  // Kind::Whole
  void (*set)(Options&, const Value&) = nullptr;
  Scope scope = Scope::Any;
  // {range} and {start} stand for the option's range and start, {items} and
  // {defaults} for the outputs of a pair.
  const char* help = nullptr;
};

// Named once each; the help lists them in this order.
constexpr Option kOptions[] = {
    {"lower", "N", Kind::Whole, bar(app::kLowerCutoffBar), [](Options& o, const Value& v) { o.steps.lower = v.number; },
     Scope::Any, "Step: the lower cut-off, {range} (at start {start})."},
    {"upper", "N", Kind::Whole, bar(app::kUpperCutoffBar), [](Options& o, const Value& v) { o.steps.upper = v.number; },
     Scope::Any,
     "Step: the upper cut-off, {range} (at start {start}; a scan shorter than that pulls it down to its last "
     "point)."},
    {"smooth", "CHANNEL", Kind::Channel, kNoRange,
     [](Options& o, const Value& v) { o.steps.smooth.push_back(v.number); }, Scope::Any,
     "Step: smooth CHANNEL (left, delta or right); may be repeated."},
    {"shift1", "N", Kind::Whole, bar(app::kShiftBar), [](Options& o, const Value& v) { o.steps.shift1 = v.number; },
     Scope::Any, "Step: shift File 1 up by N points, {range}."},
    {"shift2", "N", Kind::Whole, bar(app::kShiftBar), [](Options& o, const Value& v) { o.steps.shift2 = v.number; },
     Scope::Any, "Step: shift File 2 up by N points, {range}."},
    {"channel", "CHANNEL", Kind::Channel, kNoRange, [](Options& o, const Value& v) { o.steps.channel = v.number; },
     Scope::Any, "Step: select CHANNEL (left, delta or right) before calculating."},
    {"threshold", "T", Kind::Decimal, kNoRange, [](Options& o, const Value& v) { o.steps.threshold = v.text; },
     Scope::Any, "Step: the slope sensitivity threshold (at start 1)."},
    {"slopes", nullptr, Kind::Flag, kNoRange, [](Options& o, const Value&) { o.steps.slopes = true; }, Scope::Any,
     "Step: draw the slopes chart after the calculations."},
    {"results", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.single.results = v.text; },
     Scope::Single, "One comparison: write the results file (49 lines)."},
    {"export", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.single.exportPath = v.text; },
     Scope::Single, "One comparison: write the normalised data export."},
    {"chart", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.single.chart = v.text; }, Scope::Single,
     "One comparison: write the chart as a 287 x 500 PNG image."},
    {"report", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.single.report = v.text; },
     Scope::Single,
     "One comparison: write the comparison report, one PDF page. With --visits: the visits report, the list "
     "of visits with their figures, the settings, the matrix of the correlations of every pair and the trend, "
     "on one or two pages."},
    {"visits", nullptr, Kind::Flag, kNoRange, [](Options& o, const Value&) { o.visits = true; }, Scope::Any,
     "A series: every FILE is a visit of one patient, in the order given (visit 1 the baseline). Every pair of "
     "visits is compared with the steps, the earlier visit as File 1, as FILE1 FILE2 would be; each pair adds "
     "the mean difference (later minus earlier) of the channel on show over the points the calculations used, "
     "with its 95 % limits of agreement (mean -/+ 1.96 standard deviations), and each visit its asymmetry over "
     "the cut-offs: mean Delta-T, largest |Delta-T| and its point, and the points where |Delta-T| reaches each "
     "threshold. Prints a table per visit: its figures, and the correlation and t % of the channel against the "
     "visit before and against visit 1."},
    {"visit-list", "LIST", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.visitList = v.text; },
     Scope::Visits,
     "With --visits: the visits from LIST instead, one path a line; blank lines and lines starting with # are "
     "skipped, and relative paths are taken from LIST's own folder."},
    {"patient", "RECORD", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.patient = v.text; },
     Scope::Visits,
     "With --visits: the visits of the patient with the record number RECORD, in date order, their scans "
     "read from the records database; each visit is named by its date and scan name, and the report names the "
     "patient."},
    {"database", "DB", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.database = v.text; },
     Scope::Visits,
     "With --patient: the records database, a file (SQLite) or postgresql://[user@]host[:port]/dbname "
     "(default: $VARNEL_DATABASE, else records.sqlite in the program's data folder)."},
    {"visit-table", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.visitTable = v.text; },
     Scope::Visits,
     "With --visits: write one row per visit: visit, scan, points, status, message, mean delta, largest delta, "
     "at, reach t1, reach t2."},
    {"pair-table", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.pairTable = v.text; },
     Scope::Visits,
     "With --visits: write one row per pair: visit1, visit2, scan1, scan2, status, message, the fifteen results "
     "(named as in the summary CSV), mean difference, lower limit, upper limit."},
    {"t1", "X", Kind::Decimal, kNoRange, [](Options& o, const Value& v) { o.thresholds.t1 = v.decimal; }, Scope::Visits,
     "With --visits: the first asymmetry threshold in °C (default 0.3)."},
    {"t2", "X", Kind::Decimal, kNoRange, [](Options& o, const Value& v) { o.thresholds.t2 = v.decimal; }, Scope::Visits,
     "With --visits: the second asymmetry threshold in °C (default 0.6)."},
    {"summary", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.summary = v.text; }, Scope::Any,
     "Write the summary CSV (see below) to PATH: one row for one comparison, which writes none without it; with "
     "--pairs, one row per pair, on standard output without it."},
    {"pairs", "LIST.csv", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.pairs = v.text; }, Scope::Any,
     "Many comparisons: one per line \"scan1,scan2,stem\" of LIST.csv, each in a fresh window, all with the same "
     "steps. Blank lines, lines starting with #, and a first line reading scan1,scan2,stem are skipped; a field "
     "may stand in double quotes (a quote doubled inside) to hold a comma. The stem is a path prefix for the "
     "pair's files and may be left out: then the pair writes only its summary row. Relative paths are taken from "
     "the current folder. A failed pair does not stop the others."},
    {"outputs", "LIST", Kind::Outputs, kNoRange, [](Options& o, const Value& v) { o.outputs = v.outputs; },
     Scope::Pairs,
     "With --pairs: the files each pair writes, a comma-separated list of\n{items}(default: {defaults})."},
    {"jobs", "N", Kind::Whole, kJobs, [](Options& o, const Value& v) { o.jobs = v.number; }, Scope::Many,
     "With --pairs or --visits: run up to N comparisons at once, {range} (default: one per processor core); rows "
     "and messages still come in the order of the list."},
};

// A whole number from lo to hi, the whole text and nothing else.
std::optional<int> wholeNumber(const std::string& text, int lo, int hi) {
  int v = 0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || at != end || v < lo || v > hi) return std::nullopt;
  return v;
}

std::string outputItems() {
  std::string items;
  for (const OutputKind& k : kOutputKinds) items += std::string(k.item) + ", ";
  return items + "none";
}

std::string readOutputs(const std::string& list, PairOutputs& out) {
  for (const OutputKind& k : kOutputKinds) out.*k.wanted = false;
  std::size_t at = 0;
  while (true) {
    const std::size_t comma = list.find(',', at);
    const std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    bool known = item == "none";
    for (const OutputKind& k : kOutputKinds)
      if (item == k.item) {
        out.*k.wanted = true;
        known = true;
      }
    if (!known) return "\"" + item + "\" is not one of " + outputItems();
    if (comma == std::string::npos) return {};
    at = comma + 1;
  }
}

// Why v.text is no value of `opt`; empty when it is one, then read into `v`.
std::string check(const Option& opt, Value& v) {
  const std::string& text = v.text;
  switch (opt.kind) {
    case Kind::Whole:
      if (const std::optional<int> n = wholeNumber(text, opt.range.lo, opt.range.hi)) {
        v.number = *n;
        return {};
      }
      return "\"" + text + "\" is not a whole number from " + std::to_string(opt.range.lo) + " to " +
             std::to_string(opt.range.hi);
    case Kind::Channel:
      if (const std::optional<int> c = channelIndex(text)) {
        v.number = *c;
        return {};
      }
      return "\"" + text + "\" is not one of left, delta, right";
    case Kind::Decimal:
      // Exactly the decimals a scan or a box of the window takes.
      v.decimal = model::readDecimal(text).value_or(NAN);
      return std::isnan(v.decimal) ? "\"" + text + "\" is not a number" : "";
    case Kind::Outputs:
      return readOutputs(text, v.outputs);
    case Kind::Path:
      return text.empty() ? "needs a file name" : "";
    case Kind::Flag:
      return {};
  }
  return {};
}

std::string dashed(const QString& name) { return (name.size() > 1 ? "--" : "-") + name.toStdString(); }

void replace(std::string& text, const std::string& from, const std::string& to) {
  if (const std::size_t at = text.find(from); at != std::string::npos) text.replace(at, from.size(), to);
}

std::string helpOf(const Option& opt) {
  std::string text = opt.help;
  replace(text, "{range}", std::to_string(opt.range.lo) + " to " + std::to_string(opt.range.hi));
  replace(text, "{start}", std::to_string(opt.range.start));
  std::string items, defaults;
  const PairOutputs byDefault;
  for (const OutputKind& k : kOutputKinds) {
    std::string item = k.item;
    item.resize(std::max<std::size_t>(item.size(), 7), ' ');
    items += "  " + item + "  STEM" + k.suffix + "\n";
    if (byDefault.*k.wanted) defaults += std::string(defaults.empty() ? "" : ",") + k.item;
  }
  replace(text, "{items}", items + "  none\n");
  replace(text, "{defaults}", defaults);
  return text;
}

QCommandLineOption helpOption() { return QCommandLineOption({"h", "help"}, "Show this help and exit."); }

// The parser that knows every option of the table.
void addOptions(QCommandLineParser& parser) {
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  for (const Option& opt : kOptions) {
    QCommandLineOption o(QString::fromLatin1(opt.name), QString::fromStdString(helpOf(opt)));
    if (opt.arg) o.setValueName(QString::fromLatin1(opt.arg));
    parser.addOption(o);
  }
  parser.addOption(helpOption());
}

// QCommandLineParser's own complaint in the words of the rest of the program.
std::string parseError(const QCommandLineParser& parser) {
  if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
    return "unknown option " + dashed(unknown.front());
  const QString error = parser.errorText();
  for (const Option& opt : kOptions) {
    const QString name = QStringLiteral("--") + QString::fromLatin1(opt.name);
    if (error == QCommandLineParser::tr("Missing value after '%1'.").arg(name))
      return dashed(opt.name) + " needs a value";
    if (error == QCommandLineParser::tr("Unexpected value after '%1'.").arg(name))
      return dashed(opt.name) + " takes no value";
  }
  return error.toStdString();
}

}  // namespace

std::optional<int> channelIndex(const std::string& name) {
  if (name == "delta") return 0;
  if (name == "left") return 1;
  if (name == "right") return 2;
  return std::nullopt;
}

ParsedArguments parseArguments(const std::vector<std::string>& args) {
  ParsedArguments p;
  Options& o = p.options;
  QCommandLineParser parser;
  addOptions(parser);
  QStringList list{QStringLiteral("varnel-batch")};
  for (const std::string& a : args) list << QString::fromStdString(a);
  if (!parser.parse(list)) return {o, parseError(parser)};
  if (parser.isSet(QStringLiteral("help"))) {
    o.help = true;
    return p;
  }

  std::vector<const Option*> given;
  for (const Option& opt : kOptions) {
    const QString name = QString::fromLatin1(opt.name);
    if (!parser.isSet(name)) continue;
    given.push_back(&opt);
    const QStringList values = opt.arg ? parser.values(name) : QStringList{QString()};
    for (const QString& text : values) {
      Value v;
      v.text = text.toStdString();
      if (const std::string why = check(opt, v); !why.empty())
        return {o, dashed(name) + (opt.kind == Kind::Path ? " " : ": ") + why};
      opt.set(o, v);
    }
  }

  const auto givenAny = [&](Scope scope) -> const Option* {
    for (const Option* opt : given)
      if (opt->scope == scope) return opt;
    return nullptr;
  };
  std::vector<std::string> positional;
  for (const QString& a : parser.positionalArguments()) positional.push_back(a.toStdString());
  const auto refuse = [&](Scope scope, const std::string& why) -> std::string {
    const Option* opt = givenAny(scope);
    return opt ? dashed(opt->name) + why : "";
  };
  std::string why;
  if (o.visits) {
    if (!o.pairs.empty()) return {o, "--visits and --pairs do not go together"};
    // --report is the one output of a comparison that a series has too.
    std::erase_if(given, [](const Option* opt) { return std::string_view(opt->name) == "report"; });
    why = refuse(Scope::Single,
                 " goes with FILE1 FILE2; with --visits, name the tables with --visit-table and --pair-table");
    if (why.empty()) why = refuse(Scope::Pairs, " goes with --pairs");
    if (why.empty() && !o.summary.empty()) why = "--summary goes with FILE1 FILE2 or --pairs";
    if (why.empty() && !o.visitList.empty() && !positional.empty())
      why = "--visits takes its scans from the command line or from --visit-list, not both";
    if (why.empty() && !o.patient.empty() && (!o.visitList.empty() || !positional.empty()))
      why = "--patient takes the visits from the records, not from files";
    if (why.empty() && !o.database.empty() && o.patient.empty()) why = "--database goes with --patient";
    if (why.empty() && o.visitList.empty() && positional.empty() && o.patient.empty())
      why = "--visits needs the scan files of the visits";
    o.visitFiles = positional;
  } else if (!o.pairs.empty()) {
    why = refuse(Scope::Visits, " goes with --visits");
    if (why.empty() && !positional.empty()) why = "--pairs takes the scans from its list, not from the command line";
    if (why.empty() && givenAny(Scope::Single))
      why = "with --pairs, the files written are named by each pair's stem: use --outputs";
  } else {
    why = refuse(Scope::Visits, " goes with --visits");
    if (why.empty()) why = refuse(Scope::Many, " goes with --pairs or --visits");
    if (const Option* opt = givenAny(Scope::Pairs); why.empty() && opt) {
      why = dashed(opt->name) + " goes with --pairs";
      if (opt->kind == Kind::Outputs) {
        std::string singles;
        for (const Option& s : kOptions)
          if (s.scope == Scope::Single) singles += (singles.empty() ? "" : ", ") + dashed(s.name);
        why += "; name the files with " + singles;
      }
    }
    if (why.empty() && positional.size() != 2) why = "two scan files are needed, FILE1 and FILE2";
    if (why.empty()) o.single.scan1 = positional[0], o.single.scan2 = positional[1];
  }
  if (!why.empty()) return {o, why};
  return p;
}

std::string helpText() {
  QCommandLineParser parser;
  addOptions(parser);
  parser.setApplicationDescription(QString::fromUtf8(R"text(
Compares two thermographic scans with the calculator's own window logic. Each
comparison starts from a freshly opened window and does what a user would do,
in this order:
  1. "Open File1" with FILE1, then "Open File2" with FILE2 (this draws every
     channel and leaves Left Temp on the chart);
  2. moves the lower cut-off bar, then the upper one (--lower, --upper);
  3. for each --smooth: selects that channel, then "Smooth (X5)";
  4. --shift1, then --shift2: sets the shift bar, then clicks "File 1" or
     "File 2";
  5. --channel: selects that channel, which redraws it over the cut-offs;
  6. --threshold: types the slope sensitivity into its box;
  7. the four "Calc Now" buttons: area ratio, slope comparison, correlation,
     two-ratio method;
  8. --slopes: " Slopes" (the slopes chart);
  9. writes the results file, the normalised data export, the chart image
     and the comparison report asked for.
It then prints the fifteen results as the window's boxes show them.

As in the window, the calculations use the normalised data that the latest
drawing of each channel left; after moving the cut-offs, --channel (or
--smooth) redraws over the new range.)text"));
  std::string text = parser.helpText().toStdString();
  // Qt names the program as it was started; the usage names both ways in.
  text.replace(0, text.find('\n'),
               "Usage: varnel-batch [OPTION]... FILE1 FILE2\n       varnel-batch --pairs LIST.csv [OPTION]...\n"
               "       varnel-batch --visits [OPTION]... FILE FILE FILE...");
  return text + R"help(
The summary CSV has a header line, then one row per comparison: line (of
LIST.csv; 0 for FILE1 FILE2), scan1, scan2, stem, status (ok or failed),
message, and the fifteen results, from "Area Ratio Lft" to "t % Rt". With
--pairs, messages on standard error start with LIST.csv:LINE:.

Values may also be given as --option=VALUE; "--" ends the options.

Every file is written whole or not at all: an existing file is replaced only
once its new content is complete. No output may name a scan or another output.
When a step fails (a scan that cannot be read, a refused shift, a calculation
error, an output that cannot be written), the message the window would show is
printed on standard error, and the comparison stops: what it had not written
yet stays unwritten.

Exit status: 0 when every comparison succeeded, 1 when one failed (or a series
has fewer than two visits that can be loaded), 2 for a bad command line.
)help";
}

}  // namespace varnel::cli
