// The options of varnel-batch as one table, read from it, and the help.
#include "batch/options.hpp"

#include <algorithm>
#include <charconv>

#include "app/form.hpp"
#include "batch/comparison.hpp"
#include "model/decimal.hpp"

namespace varnel::batch {
namespace {

// What an option's value must be.
enum class Kind { Flag, Whole, Channel, Decimal, Path, Outputs, Help };
// Which run an option goes with: any, one comparison only, or --pairs only.
enum class Scope { Any, Single, Pairs };
// Where the help lists an option.
enum class Section { Steps, OneComparison, ManyComparisons, Last };

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
  PairOutputs outputs;
};

struct Option {
  const char* name = nullptr;
  const char* arg = nullptr;  // the value in the help; nullptr when there is none
  Kind kind = Kind::Flag;
  Range range;  // Kind::Whole
  void (*set)(Options&, const Value&) = nullptr;
  Scope scope = Scope::Any;
  Section section = Section::Steps;
  // In the help, one line per line of the text. {range}, {start}, {items}
  // and {defaults} stand for the option's range and start and for the
  // outputs of a pair.
  const char* help = nullptr;
  const char* pairsHelp = nullptr;  // listed again under ManyComparisons with this text
};

// Named once each; the help lists them in this order.
constexpr Option kOptions[] = {
    {"--lower", "N", Kind::Whole, bar(app::kLowerCutoffBar),
     [](Options& o, const Value& v) { o.steps.lower = v.number; }, Scope::Any, Section::Steps,
     "lower cut-off, {range} (at start {start})"},
    {"--upper", "N", Kind::Whole, bar(app::kUpperCutoffBar),
     [](Options& o, const Value& v) { o.steps.upper = v.number; }, Scope::Any, Section::Steps,
     "upper cut-off, {range} (at start {start}; a scan shorter\nthan that pulls it down to its last point)"},
    {"--smooth", "CHANNEL", Kind::Channel, kNoRange,
     [](Options& o, const Value& v) { o.steps.smooth.push_back(v.number); }, Scope::Any, Section::Steps,
     "smooth CHANNEL: left, delta or right; may be repeated"},
    {"--shift1", "N", Kind::Whole, bar(app::kShiftBar), [](Options& o, const Value& v) { o.steps.shift1 = v.number; },
     Scope::Any, Section::Steps, "shift File 1 up by N points, {range}"},
    {"--shift2", "N", Kind::Whole, bar(app::kShiftBar), [](Options& o, const Value& v) { o.steps.shift2 = v.number; },
     Scope::Any, Section::Steps, "shift File 2 up by N points, {range}"},
    {"--channel", "CHANNEL", Kind::Channel, kNoRange, [](Options& o, const Value& v) { o.steps.channel = v.number; },
     Scope::Any, Section::Steps, "select CHANNEL (left, delta or right) before calculating"},
    {"--threshold", "T", Kind::Decimal, kNoRange, [](Options& o, const Value& v) { o.steps.threshold = v.text; },
     Scope::Any, Section::Steps, "slope sensitivity threshold (at start 1)"},
    {"--slopes", nullptr, Kind::Flag, kNoRange, [](Options& o, const Value&) { o.steps.slopes = true; }, Scope::Any,
     Section::Steps, "draw the slopes chart after the calculations"},
    {"--results", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.results = v.text; }, Scope::Single,
     Section::OneComparison, "the results file (49 lines)"},
    {"--export", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.exportPath = v.text; }, Scope::Single,
     Section::OneComparison, "the normalised data export"},
    {"--chart", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.chart = v.text; }, Scope::Single,
     Section::OneComparison, "the chart as a 287 x 500 PNG image"},
    {"--report", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.report = v.text; }, Scope::Single,
     Section::OneComparison, "the comparison report, one PDF page"},
    {"--pairs", "LIST.csv", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.pairs = v.text; }, Scope::Any,
     Section::ManyComparisons,
     "one comparison per line \"scan1,scan2,stem\" of LIST.csv,\n"
     "each in a fresh window, all with the same steps. Blank\n"
     "lines, lines starting with #, and a first line reading\n"
     "scan1,scan2,stem are skipped; a field may stand in double\n"
     "quotes (a quote doubled inside) to hold a comma. The stem\n"
     "is a path prefix for the pair's files and may be left\n"
     "out: then the pair writes only its summary row. Relative\n"
     "paths are taken from the current folder. A failed pair\n"
     "does not stop the others."},
    {"--outputs", "LIST", Kind::Outputs, kNoRange, [](Options& o, const Value& v) { o.outputs = v.outputs; },
     Scope::Pairs, Section::ManyComparisons,
     "the files each pair writes, a comma-separated list of\n{items}\n(default: {defaults})"},
    {"--summary", "PATH", Kind::Path, kNoRange, [](Options& o, const Value& v) { o.summary = v.text; }, Scope::Any,
     Section::OneComparison, "the summary CSV (see below), one row",
     "write the summary CSV to PATH instead of standard output"},
    {"--jobs", "N", Kind::Whole, kJobs, [](Options& o, const Value& v) { o.jobs = v.number; }, Scope::Pairs,
     Section::ManyComparisons,
     "run up to N comparisons at once, {range} (default: one\n"
     "per processor core); rows and messages still come in\n"
     "the order of LIST.csv"},
    {"--help", nullptr, Kind::Help, kNoRange, [](Options& o, const Value&) { o.help = true; }, Scope::Any,
     Section::Last, "show this help and exit"},
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
      return model::readDecimal(text) ? "" : "\"" + text + "\" is not a number";
    case Kind::Outputs:
      return readOutputs(text, v.outputs);
    default:
      return {};
  }
}

const Option* find(const std::string& name) {
  for (const Option& opt : kOptions)
    if (name == opt.name) return &opt;
  return nullptr;
}

void replace(std::string& text, const std::string& from, const std::string& to) {
  if (const std::size_t at = text.find(from); at != std::string::npos) text.replace(at, from.size(), to);
}

// The option's lines of the help: its name and value, then its text from the
// 22nd column on.
std::string helpLines(const Option& opt, std::string text) {
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
  replace(text, "{items}", items + "  none");
  replace(text, "{defaults}", defaults);

  std::string head = std::string(opt.name) + (opt.arg ? std::string(" ") + opt.arg : "");
  head.resize(std::max<std::size_t>(head.size() + 1, 19), ' ');
  std::string lines = "  " + head;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines += (at == 0 ? "" : std::string(21, ' ')) + text.substr(at, end - at) + "\n";
    at = end + 1;
  }
  return lines;
}

std::string section(Section s) {
  std::string lines;
  for (const Option& opt : kOptions) {
    if (opt.section == s) lines += helpLines(opt, opt.help);
    if (s == Section::ManyComparisons && opt.pairsHelp) lines += helpLines(opt, opt.pairsHelp);
  }
  return lines;
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
  std::vector<std::string> positional;
  std::vector<const Option*> given;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const Option* opt = find(name == "-h" ? "--help" : name);
    if (!opt) return {o, "unknown option " + name};
    given.push_back(opt);
    Value v;
    if (opt->kind == Kind::Help) {
      opt->set(o, v);
      return p;
    }
    if (opt->kind == Kind::Flag) {
      if (inlineValue) return {o, name + " takes no value"};
    } else if (inlineValue) {
      v.text = *inlineValue;
    } else if (i + 1 < args.size()) {
      v.text = args[++i];
    } else {
      return {o, name + " needs a value"};
    }
    if (opt->kind == Kind::Path && v.text.empty()) return {o, name + " needs a file name"};
    if (const std::string why = check(*opt, v); !why.empty()) return {o, name + ": " + why};
    opt->set(o, v);
  }

  const auto givenAny = [&](Scope scope) -> const Option* {
    for (const Option& opt : kOptions)
      if (opt.scope == scope && std::find(given.begin(), given.end(), &opt) != given.end()) return &opt;
    return nullptr;
  };
  if (!o.pairs.empty()) {
    if (!positional.empty()) return {o, "--pairs takes the scans from its list, not from the command line"};
    if (givenAny(Scope::Single))
      return {o, "with --pairs, the files written are named by each pair's stem: use --outputs"};
  } else {
    if (const Option* opt = givenAny(Scope::Pairs)) {
      std::string why = std::string(opt->name) + " goes with --pairs";
      if (opt->kind == Kind::Outputs) {
        std::string singles;
        for (const Option& s : kOptions)
          if (s.scope == Scope::Single) singles += std::string(singles.empty() ? "" : ", ") + s.name;
        why += "; name the files with " + singles;
      }
      return {o, why};
    }
    if (positional.size() != 2) return {o, "two scan files are needed, FILE1 and FILE2"};
    o.scan1 = positional[0];
    o.scan2 = positional[1];
  }
  return p;
}

std::string helpText() {
  return R"help(Usage: varnel-batch FILE1 FILE2 [OPTION]...
       varnel-batch --pairs LIST.csv [OPTION]...

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
--smooth) redraws over the new range.

Steps:
)help" + section(Section::Steps) +
         "\nOutputs of one comparison (each written only when asked for):\n" + section(Section::OneComparison) +
         "\nMany comparisons:\n" + section(Section::ManyComparisons) + R"help(
The summary CSV has a header line, then one row per comparison: line (of
LIST.csv; 0 for FILE1 FILE2), scan1, scan2, stem, status (ok or failed),
message, and the fifteen results, from "Area Ratio Lft" to "t % Rt". With
--pairs, messages on standard error start with LIST.csv:LINE:.

)help" + section(Section::Last) +
         R"help(
Values may also be given as --option=VALUE; "--" ends the options.

Every file is written whole or not at all: an existing file is replaced only
once its new content is complete. No output may name a scan or another output.
When a step fails (a scan that cannot be read, a refused shift, a calculation
error, an output that cannot be written), the message the window would show is
printed on standard error, and the comparison stops: what it had not written
yet stays unwritten.

Exit status: 0 when every comparison succeeded, 1 when one failed, 2 for a bad
command line.
)help";
}

}  // namespace varnel::batch
