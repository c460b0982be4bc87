#include "batch/batch_options.hpp"

#include <charconv>

#include "model/decimal.hpp"

namespace varnel::batch {
namespace {

// A whole number from lo to hi, the whole text and nothing else.
std::optional<int> wholeNumber(const std::string& text, int lo, int hi) {
  int v = 0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || at != end || v < lo || v > hi) return std::nullopt;
  return v;
}

// Exactly the decimals a scan or a box of the window takes.
bool isNumber(const std::string& text) { return model::readDecimal(text).has_value(); }

std::string setOutputs(const std::string& list, PairOutputs& out) {
  out = PairOutputs{false, false, false};
  std::size_t at = 0;
  while (true) {
    const std::size_t comma = list.find(',', at);
    const std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    if (item == "results")
      out.results = true;
    else if (item == "export")
      out.exportData = true;
    else if (item == "chart")
      out.chart = true;
    else if (item != "none")
      return "--outputs: \"" + item + "\" is not one of results, export, chart, none";
    if (comma == std::string::npos) return {};
    at = comma + 1;
  }
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
  Steps& s = o.steps;
  std::vector<std::string> positional;
  bool outputsGiven = false, jobsGiven = false;
  bool singleOutputGiven = false;

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
    if (name == "--help" || name == "-h") {
      o.help = true;
      return p;
    }
    if (name == "--slopes") {
      if (inlineValue) return {o, "--slopes takes no value"};
      s.slopes = true;
      continue;
    }

    static const char* const valued[] = {"--lower",  "--upper",     "--channel", "--smooth", "--shift1",
                                         "--shift2", "--threshold", "--results", "--export", "--chart",
                                         "--pairs",  "--summary",   "--outputs", "--jobs"};
    bool known = false;
    for (const char* v : valued) known = known || name == v;
    if (!known) return {o, "unknown option " + name};
    std::string value;
    if (inlineValue)
      value = *inlineValue;
    else if (i + 1 < args.size())
      value = args[++i];
    else
      return {o, name + " needs a value"};

    const auto number = [&](int lo, int hi, std::optional<int>& into) -> std::string {
      into = wholeNumber(value, lo, hi);
      if (into) return {};
      return name + ": \"" + value + "\" is not a whole number from " + std::to_string(lo) + " to " +
             std::to_string(hi);
    };
    const auto channel = [&]() -> std::optional<int> { return channelIndex(value); };
    const auto path = [&](std::string& into) -> std::string {
      if (value.empty()) return name + " needs a file name";
      into = value;
      return {};
    };

    std::string error;
    if (name == "--lower")
      error = number(0, 225, s.lower);
    else if (name == "--upper")
      error = number(80, 500, s.upper);
    else if (name == "--shift1")
      error = number(0, 100, s.shift1);
    else if (name == "--shift2")
      error = number(0, 100, s.shift2);
    else if (name == "--channel" || name == "--smooth") {
      const std::optional<int> c = channel();
      if (!c)
        error = name + ": \"" + value + "\" is not one of left, delta, right";
      else if (name == "--channel")
        s.channel = c;
      else
        s.smooth.push_back(*c);
    } else if (name == "--threshold") {
      if (isNumber(value))
        s.threshold = value;
      else
        error = "--threshold: \"" + value + "\" is not a number";
    } else if (name == "--results" || name == "--export" || name == "--chart") {
      singleOutputGiven = true;
      error = path(name == "--results" ? o.results : name == "--export" ? o.exportPath : o.chart);
    } else if (name == "--pairs") {
      error = path(o.pairs);
    } else if (name == "--summary") {
      error = path(o.summary);
    } else if (name == "--jobs") {
      jobsGiven = true;
      std::optional<int> jobs;
      error = number(1, 64, jobs);
      if (jobs) o.jobs = *jobs;
    } else if (name == "--outputs") {
      outputsGiven = true;
      error = setOutputs(value, o.outputs);
    }
    if (!error.empty()) return {o, error};
  }

  if (!o.pairs.empty()) {
    if (!positional.empty()) return {o, "--pairs takes the scans from its list, not from the command line"};
    if (singleOutputGiven) return {o, "with --pairs, the files written are named by each pair's stem: use --outputs"};
  } else {
    if (outputsGiven) return {o, "--outputs goes with --pairs; name the files with --results, --export, --chart"};
    if (jobsGiven) return {o, "--jobs goes with --pairs"};
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
  9. writes the results file, the normalised data export and the chart image
     asked for.
It then prints the fifteen results as the window's boxes show them.

As in the window, the calculations use the normalised data that the latest
drawing of each channel left; after moving the cut-offs, --channel (or
--smooth) redraws over the new range.

Steps:
  --lower N          lower cut-off, 0 to 225 (at start 0)
  --upper N          upper cut-off, 80 to 500 (at start 500; a scan shorter
                     than that pulls it down to its last point)
  --smooth CHANNEL   smooth CHANNEL: left, delta or right; may be repeated
  --shift1 N         shift File 1 up by N points, 0 to 100
  --shift2 N         shift File 2 up by N points, 0 to 100
  --channel CHANNEL  select CHANNEL (left, delta or right) before calculating
  --threshold T      slope sensitivity threshold (at start 1)
  --slopes           draw the slopes chart after the calculations

Outputs of one comparison (each written only when asked for):
  --results PATH     the results file (49 lines)
  --export PATH      the normalised data export
  --chart PATH       the chart as a 287 x 500 PNG image
  --summary PATH     the summary CSV (see below), one row

Many comparisons:
  --pairs LIST.csv   one comparison per line "scan1,scan2,stem" of LIST.csv,
                     each in a fresh window, all with the same steps. Blank
                     lines, lines starting with #, and a first line reading
                     scan1,scan2,stem are skipped; a field may stand in double
                     quotes (a quote doubled inside) to hold a comma. The stem
                     is a path prefix for the pair's files and may be left
                     out: then the pair writes only its summary row. Relative
                     paths are taken from the current folder. A failed pair
                     does not stop the others.
  --outputs LIST     the files each pair writes, a comma-separated list of
                       results  STEM_results.txt
                       export   STEM_norm.txt
                       chart    STEM.png
                       none
                     (default: results,export)
  --summary PATH     write the summary CSV to PATH instead of standard output
  --jobs N           run up to N comparisons at once, 1 to 64 (default: one
                     per processor core); rows and messages still come in
                     the order of LIST.csv

The summary CSV has a header line, then one row per comparison: line (of
LIST.csv; 0 for FILE1 FILE2), scan1, scan2, stem, status (ok or failed),
message, and the fifteen results, from "Area Ratio Lft" to "t % Rt". With
--pairs, messages on standard error start with LIST.csv:LINE:.

  --help             show this help and exit

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
