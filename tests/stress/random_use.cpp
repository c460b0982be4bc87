// Long random use of the window logic, as a restless user would: loads of good, short, empty and broken scans and of
// missing files, cancelled dialogs, bar moves, typing anything into the editable boxes, every button and menu item,
// shifts, calculations, results and exports. After every action the window's invariants are checked, and the
// action's own promise. A run repeats from its seed; a failure prints the seed, the action number and the last actions.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/form.hpp"
#include "model/number_text.hpp"
#include "support/scripted.hpp"  // also <deque>, <filesystem>, <random>, <string>, <vector>

namespace {

namespace fs = std::filesystem;
using namespace varnel::app;
using namespace varnel::model;
using namespace varnel::test;
using std::to_string;
using Readings = std::vector<std::pair<double, double>>;

struct Failure { std::string what; };
// The message is built only when the check fails: most checks run in loops over every point.
#define CHECK(ok, what) do { if (!(ok)) throw Failure{what}; } while (false)

// Bit for bit, so that -0, nan and the last bit of a double count.
template <class T>
bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A text the program wrote for a computed number: canonical and finite.
bool isNumberText(const std::string& t) {
  return !t.empty() && std::isfinite(numericValue(t)) && formatNumber(numericValue(t)) == t;
}

bool hasNonFiniteWord(std::string t) {
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t.find("nan") != std::string::npos || t.find("inf") != std::string::npos;
}

std::string nameOf(std::string_view name, int index) {
  return std::string(name) + (index >= 0 ? "(" + to_string(index) + ")" : "");
}

// `good`: the reader must take it; `readings`: what a load must place (at most 501).
struct ScanChoice { std::string path; bool good = false; Readings readings; };
struct Box { const char* name; int index; };
struct Options { long actions = 100000; std::uint64_t seed = 1; bool verbose = false; };

struct Snapshot {  // what the window holds, to tell what an action changed
  std::vector<std::string> texts;
  Table scan[2], norm[2], slopes[2];  // by file
  std::string dataState;
  int lineSel, shiftCount, bar[4][2];  // bar: value, Min
  std::uint64_t revision;
  float extremes[4][4];
  std::int16_t positions[4][4];
};

const char* const kBars[4] = {"VScroll1", "VScroll2", "VScroll3", "VScroll4"};
const char* const kShows[4] = {"LowerCutoff", "UpperCutoff", "ShiftNum", "Threshold"};  // the box beside each bar
const char* const kResults[5] = {"AreaRatio", "SlopeComp", "Correlation", "r_ratio", "t_ratio"};

struct RandomUse {
  explicit RandomUse(const Options& o) : opt(o), rng(o.seed) {
    fs::create_directories(dir.path() / "scans" / "folder.txt");  // a folder is no scan
    fs::create_directories(dir.path() / "out" / "adir.txt");      // nor a place to write
    const auto alternating = [](int i, double v) { return std::pair{i % 2 ? v : -v, i % 3 ? -v : v}; };
    Readings spike(501, {0.0, 0.0}), outlier, huge, tiny;
    spike[400] = {11.0, 0.0};
    for (int i = 0; i < 501; ++i) outlier.emplace_back(35.0 + (i % 2) * 1e-9, 34.0 + (i % 3) * 1e-9);
    outlier[250] = {1000.0, 1000.0};  // all but one point flat to 1e-9
    for (int i = 0; i < 120; ++i) huge.push_back(alternating(i, 1.6e38)), tiny.push_back(alternating(i, 3e-320));
    const std::pair<const char*, Readings> goods[] = {
        {"good_a.txt", curve(501, 35.2)}, {"good_b.txt", curve(501, 34.9)}, {"good_c.txt", curve(430, 33.7)},
        {"long_600.txt", curve(600, 35.0)}, {"short_1.txt", curve(1, 34.0)}, {"short_2.txt", curve(2, 34.0)},
        {"short_60.txt", curve(60, 34.0)}, {"short_80.txt", curve(80, 34.0)}, {"short_81.txt", curve(81, 34.0)},
        {"short_200.txt", curve(200, 34.0)}, {"flat.txt", Readings(150, {35.0, 35.0})},
        {"cold.txt", curve(300, -4.0)}, {"hot.txt", curve(300, 95.0)},  // Left Temp never above 0; never below 80
        {"spike.txt", spike}, {"huge.txt", huge}, {"tiny.txt", tiny},   // Delta-T near the single limit; subnormal spreads
        {"outlier.txt", outlier}, {"odd, \"name\" \xC3\xA9.txt", curve(100, 35.5)},
        {"line\nbreak.txt", curve(90, 35.5)}};
    for (const auto& [name, r] : goods) goodScans.push_back(scan(name, scanText(r), r));
    goodScans.push_back(scan("empty.txt", "", {}));
    goodScans.push_back(scan("blank.txt", "\r\n  \r\n\n", {}));
    const std::pair<const char*, std::string> bads[] = {
        {"text.txt", "36.1,35.4\r\n35.0,warm\r\n"}, {"odd_count.txt", "36.1,35.4\r\n35.0\r\n"},
        {"empty_field.txt", "36.1,,35.4\r\n"}, {"overflow.txt", "1e999,35\r\n"},
        {"beyond_single.txt", "1.5e308,35\r\n"}, {"delta_beyond_single.txt", "3e38,-3e38\r\n"},
        {"noise.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}};
    for (const auto& [name, text] : bads) badScans.push_back(scan(name, text, {}, false));
    for (const char* name : {"missing.txt", "folder.txt"}) badScans.push_back({scanPath(name), false, {}});
    newWindow();
  }

  void step(long n) {
    number = n;
    before = snap();
    messages.shown.clear();
    dialog.calls.clear();  // its answers were all taken, as checked below
    typedNow = -1, expectedDialog = nullptr, messageAllowed = false;
    pick();
    CHECK(dialog.calls.size() == (expectedDialog ? 1u : 0u) && dialog.answers.empty(),
          "the file dialog was asked " + to_string(dialog.calls.size()) + " times");
    for (const auto& call : dialog.calls)
      CHECK(call.kind == expectedKind && call.defaultName == expectedDialog && call.filter == kScanFilter,
            "the file dialog was asked with \"" + call.defaultName + "\"");
    CHECK(messageAllowed || messages.shown.empty(), "a message was shown: " + messages.shown[0].text);
    for (const auto& m : messages.shown)
      CHECK(m.title == kErrorTitle && !m.text.empty(), "a message \"" + m.text + "\" titled \"" + m.title + "\"");
    invariants();
  }

  // ---- randomness and the scans to choose from
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  template <class T>
  const T& any(const std::vector<T>& v) { return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)]; }

  std::string scanPath(const std::string& name) const { return (dir.path() / "scans" / name).string(); }
  ScanChoice scan(const std::string& name, const std::string& text, Readings r, bool good = true) {
    std::ofstream(scanPath(name), std::ios::binary) << text;
    r.resize(std::min<std::size_t>(r.size(), 501));
    return {scanPath(name), good, std::move(r)};
  }
  Readings curve(int n, double base) {
    Readings r;
    std::normal_distribution<double> noise(0.0, 0.05);
    const double wave = std::uniform_real_distribution<double>(0.1, 2.0)(rng);
    for (int i = 0; i < n; ++i) {
      const double left = base + wave * std::sin(i / 23.0) + noise(rng);
      r.emplace_back(left, left - 0.3 + noise(rng));
    }
    return r;
  }
  // A fresh random scan, at times of a length at an edge of the format, with wild readings or with LF line ends.
  ScanChoice fresh() {
    static const std::vector<int> edges{1, 2, 3, 10, 11, 60, 79, 80, 81, 225, 226, 500, 501, 502, 600};
    std::uniform_int_distribution<int> third(0, 2);
    const int n = third(rng) == 0 ? any(edges) : uniform(1, 600);
    Readings r = curve(n, std::uniform_real_distribution<double>(-20.0, 120.0)(rng));
    for (int k = 0, wild = third(rng) == 0 ? 5 : 0; k < wild; ++k)
      r[std::uniform_int_distribution<std::size_t>(0, r.size() - 1)(rng)].second =
          std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
    std::string text = scanText(r);
    if (third(rng) == 0) std::erase(text, '\r');
    return scan("fresh.txt", text, std::move(r));
  }

  std::string randomText() {
    static const char* const fixed[] = {"", "0", "-0", "1", "0.5", " 0.25 ", "-3", "1e999", "-1e999", "1e308",
                                        "1e-400", "nan", "inf", "-inf", "NaN", "Infinity", "1e", "-", ".", "+.5e-3",
                                        "12abc", "9999999999999999999999999", "-1.7976931348623157e308", "0x1p3",
                                        "\xC3\xA9t\xC3\xA9", "0.5\r\n", "\r\n\r\n"};
    switch (uniform(0, 3)) {
      case 0: return fixed[uniform(0, static_cast<int>(std::size(fixed)) - 1)];
      case 1: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.*g", uniform(1, 17), std::uniform_real_distribution<double>(-300, 300)(rng));
        return buf;
      }
      case 2: return to_string(uniform(-1000, 1000));
    }
    std::string s(static_cast<std::size_t>(uniform(0, 24)), ' ');
    for (char& c : s) c = static_cast<char>(uniform(1, 255));
    return s;
  }

  void note(std::string what) {
    what = "#" + to_string(number) + " " + what;
    std::replace_if(what.begin(), what.end(), [](char c) { return c == '\n' || c == '\r'; }, '~');
    if (opt.verbose) std::printf("%s\n", what.c_str());
    trail.push_back(std::move(what));
    if (trail.size() > 25) trail.pop_front();
  }

  // ---- actions
  void pick() {
    const int r = uniform(1, 1000);
    if (r <= 75)
      return load(r <= 40 ? any(goodScans) : r <= 55 ? fresh() : r <= 65 ? any(badScans) : ScanChoice{}, r > 65);
    if (r <= 78) return clickOther();
    if (r <= 378) return moveBar();
    if (r <= 498) return type();
    if (r <= 528) return clear();
    if (r <= 608 || (r > 908 && r <= 976)) return channel();  // the latter as redraws
    if (r <= 648) return smooth();
    if (r <= 708) return shift();
    if (r <= 748) return slopesChart();
    if (r <= 908) return calculate((r - 749) / 40);
    if (r <= 992) return save(r > 984);
    if (r <= 996) return exitCommand();
    note("new window");  // which must share nothing with the busy one before it
    newWindow();
    CHECK(form->Pntnum[1].Text == "0" && form->Pntnum[2].Text == "0" && form->Threshold.Text == "1" &&
              bar(3).Value() == 100 && form->Filename[1].Text == "Text2" && form->Label3.Caption == "Scanning",
          "the window did not open with its start-up values");
  }

  void click(const char* name, int index = -1) {
    CHECK(form->click(name, index), "no handler for " + nameOf(name, index));
  }

  void load(const ScanChoice& s, bool cancel) {
    const int file = uniform(1, 2);
    const bool viaBox = uniform(1, 100) <= 30;
    note((viaBox ? "click Filename(" + to_string(file) + ")" : "menu Open File" + to_string(file)) + ": " +
         (cancel ? "cancel" : s.path));
    dialog.answers.push_back(cancel ? "" : s.path);
    expectedDialog = "Untitled.txt", expectedKind = DialogKind::Open;
    if (viaBox) form->Filename_Click(file);
    else if (file == 1) form->fileopen_Click();
    else form->fileopen2_Click();
    if (cancel || !s.good) {
      messageAllowed = !cancel;
      CHECK(cancel || (messages.shown.size() == 1 && messages.shown[0].text.find(s.path) != std::string::npos),
            "a refused scan gave " + to_string(messages.shown.size()) + " messages, not one naming the file");
      return unchanged("a cancelled or refused load");
    }
    const int n = lastPoint[file] = static_cast<int>(s.readings.size()) - 1;
    fileName[file] = s.path, shiftCount = 0, countShown = true;
    for (const auto& state : form->DataState) CHECK(state == "Raw", "a load left a channel " + state);
    CHECK(sameBits(scanOf(3 - file), before.scan[2 - file]), "a load changed the other scan");
    reads("the loaded scan", scanOf(file), before.scan[file - 1], -1, 0, kLastPoint, [&](int i, int k) {
      const auto [l, r] = i <= n ? s.readings[n - i] : std::pair{0.0, 0.0};  // the last reading is point 0
      return k == 0 ? l - r : k == 1 ? l : r;
    });
    for (const char* box : {"LowerCutoff", "UpperCutoff"}) written(box);
    if (file == 1) {
      const Snapshot now = snap();
      CHECK(bar(0).Value() == 0 && bar(1).Value() == 500 && bar(1).Min == 80, "File 1 load left the cut-offs at " +
                                                                                    cutoffs());
      CHECK(sameBits(now.norm, before.norm) && sameBits(now.extremes, before.extremes), "a File 1 load drew the chart");
      return;
    }
    CHECK(form->LineSel == 1 && form->Label3.Caption == "Left Temp", "File 2 load did not end on Left Temp");
    const int top = std::min({500, lastPoint[1] > 0 ? lastPoint[1] : 500, lastPoint[2] > 0 ? lastPoint[2] : 500});
    CHECK(bar(0).Value() == 0 && bar(1).Value() == top, "after File 2 the cut-offs are " + cutoffs());
    drawn(1, 0, top, false);
  }

  void clickOther() {  // Filename(0) and (3), LineButton(-1) and (3), Label3, Picture1: no file, channel or handler
    static const char* const names[] = {"Filename", "LineButton", "Label3", "Picture1"};
    const int r = uniform(0, 3), index = r >= 2 ? -1 : uniform(0, 1) ? -r : 3;
    note("click " + nameOf(names[r], index));
    CHECK(!form->click(names[r], index) || r == 0, nameOf(names[r], index) + " ran a handler");
    unchanged("a click that runs nothing");
  }

  void moveBar() {
    const int b = uniform(0, 3), how = uniform(0, 5);
    ScrollBar& s = bar(b);
    const int steps[] = {s.SmallChange, -s.SmallChange, s.LargeChange, -s.LargeChange};
    const int v = std::clamp(how < 4 ? s.Value() + steps[how] : how == 4 ? uniform(s.Min, s.Max)
                                                             : uniform(0, 1) ? s.Min : s.Max,
                             s.Min, s.Max);  // the toolkit's bar never leaves its range
    note(std::string("move ") + kBars[b] + " to " + to_string(v));
    s.setValue(v);
    CHECK(s.Value() == v, std::string(kBars[b]) + " stands at " + to_string(s.Value()));
    if (v != before.bar[b][0]) written(kShows[b]);
    unchanged("a bar move", static_cast<int>(boxIndex(kShows[b])), v != before.bar[b][0] && b < 2, b);
  }

  void type() {
    typedNow = any(editable);
    const Box& box = boxes[typedNow];
    const std::string t = randomText();
    note("type \"" + t + "\" into " + nameOf(box.name, box.index));
    *form->text(box.name, box.index) = t;
    CHECK(*form->text(box.name, box.index) == t, "the typed text did not stay");
    unchanged("typing", typedNow);
  }

  void clear() {
    note("click Clear");
    click("ClearButton");
    const auto& p = form->Picture1;
    const std::vector<std::uint32_t> black(static_cast<std::size_t>(p.ScaleWidth() * p.ScaleHeight()), 0u);
    CHECK(std::memcmp(p.bits(), black.data(), black.size() * sizeof black[0]) == 0, "Clear left pixels");
    unchanged("Clear", -1, true);
  }

  void channel() {
    const int c = uniform(0, 2);
    note("click LineButton(" + to_string(c) + ")");
    click("LineButton", c);
    const Form& f = *form;
    CHECK(f.LineSel == c && f.Label3.Caption == f.ChannelNames[c] && f.Label13.Caption == f.DataState[c],
          "the chart is not of channel " + to_string(c));
    for (int i = 0; i < 3; ++i)  // the chosen channel's button shows its marked caption
      CHECK(f.LineButton[i].Caption == f.ChannelNames[i == c ? i + 3 : i], "LineButton(" + to_string(i) + ") reads " +
                                                                               f.LineButton[i].Caption);
    CHECK(sameBits(f.Scan1, before.scan[0]) && sameBits(f.Scan2, before.scan[1]), "a channel button changed a scan");
    drawn(c, before.bar[0][0], before.bar[1][0]);
  }

  void smooth() {  // only the chosen channel within the cut-offs
    const int c = form->LineSel, lo = before.bar[0][0], hi = before.bar[1][0];
    note("click Smooth (channel " + to_string(c) + ", " + to_string(lo) + ".." + to_string(hi) + ")");
    click("Smoothbutton");
    CHECK(form->DataState[c] == "Smoothed", "smoothing left the channel " + form->DataState[c]);
    for (int file = 1; file <= 2; ++file)
      reads("smoothing", scanOf(file), before.scan[file - 1], c, lo, hi,
            [&](int i, int k) { return scanOf(file)[i][k]; });
    drawn(c, lo, hi);
  }

  void shift() {
    const int file = uniform(1, 2), n = uniform(1, 100) <= 70 ? uniform(0, 10) : uniform(0, 100);
    note("shift File " + to_string(file) + " by " + to_string(n));
    bar(2).setValue(n);
    if (n != before.bar[2][0]) written("ShiftNum");
    const Snapshot moved = snap();
    const int P = form->pointCount(file), L = bar(0).Value();
    click(file == 1 ? "Shift1" : "Shift2");
    if (!messages.shown.empty()) {  // refused: nothing may move
      messageAllowed = true;
      CHECK(messages.shown.size() == 1 && (P + n > kLastPoint || L + n > bar(0).Max),
            "a shift within the limits was refused, or with several messages");
      return unchanged("a refused shift", -1, false, -1, &moved);
    }
    lastPoint[file] = P + n;
    shiftCount = static_cast<std::int16_t>(file == 1 ? shiftCount + n : shiftCount - n);
    countShown = true;
    const Table& was = before.scan[file - 1];
    reads("the shift", scanOf(file), was, -1, 0, P + n, [&](int i, int k) {  // points move up, zeros fill in below
      const Row from = i >= n ? was[i - n] : Row{};
      return k == 0 ? from[1] - from[2] : from[k];
    });
    CHECK(sameBits(scanOf(3 - file), before.scan[2 - file]), "a shift changed the other file");
    if (n != 0) written("LowerCutoff");
    drawn(form->LineSel, L + n, moved.bar[1][0]);
  }

  void slopesChart() {
    const int c = form->LineSel, L = before.bar[0][0], U = before.bar[1][0];
    note("click Slopes (channel " + to_string(c) + ", cut-offs " + cutoffs() + ")");
    click("SlopeChart");
    CHECK(L == bar(0).Value() && U == bar(1).Value(), "the slopes chart moved a cut-off");
    slopesOnly(c, L + 1, U - 1);
    CHECK(form->pointCount(2) <= 0 || form->Label3.Caption == "Slopes", "the slopes chart has no title");
    for (int file = 1; file <= 2; ++file)
      if (form->pointCount(file) > 0) showsExtremes(file, slopesOf(file), c, L + 1, U - 1, -80.0);
  }

  void calculate(int which) {  // Area, Slope, Correlation, the two ratios
    static const struct { const char* button; std::vector<std::string_view> boxes; double lo, hi; } calcs[] = {
        {"CalcArea", {"AreaRatio"}, -1e300, 1.0 + 1e-9}, {"CalcSlope", {"SlopeComp"}, 0.0, 1.0},
        {"CalcCorrelation", {"Correlation"}, -1.0 - 1e-9, 1.0 + 1e-9}, {"Quil_Tesk", {"r_ratio", "t_ratio"}, 0.0, 1.0}};
    const auto& calc = calcs[which];
    note(std::string(calc.button) + " (threshold \"" + form->Threshold.Text + "\", cut-offs " + cutoffs() + ")");
    click(calc.button);
    const int L = bar(0).Value(), U = bar(1).Value();
    slopesOnly(-1, L + 1, which == 1 ? U - 1 : L);  // only Calc Slope writes slopes
    if (which == 3 && !messages.shown.empty()) {
      messageAllowed = true;
      const std::string& t = messages.shown[0].text;
      CHECK(messages.shown.size() == 1 && t.rfind("Calculation Error try smoothing or clipping ", 0) == 0,
            "the two-ratio failure reads \"" + t + "\"");
      return results({}, 0.0, 0.0);  // and changes no result
    }
    CHECK(which != 3 || U - L >= 9, "two ratios over fewer than ten points");
    for (int k = 0; which == 1 && U - L < 2 && k < 3; ++k)
      CHECK(form->SlopeComp[k].Text == kNoValue, "a share of no compared point");
    results(calc.boxes, calc.lo, calc.hi);
  }

  // "&Output Results" or "&Export Normed Data" to a good, impossible or no name.
  void save(bool exportData) {
    const char* menu = exportData ? "normexport" : "filesave";
    const fs::path out = dir.path() / "out";
    const int r = uniform(0, 9);
    const std::string others[] = {(out / "adir.txt").string(), (dir.path() / "nowhere" / "x.txt").string(),
                                  scanPath("good_a.txt") + "/x.txt", ""};  // a folder, in none, under a file; cancel
    const std::string path =
        r <= 5 ? (out / (exportData ? "export_" : "results_")).string() + char('a' + r % 2) + ".txt" : others[r - 6];
    note(std::string("menu ") + menu + ": " + (path.empty() ? "cancel" : path));
    dialog.answers.push_back(path);
    expectedDialog = exportData ? "NormAA.txt" : "OutputAA.txt", expectedKind = DialogKind::Save;
    click(menu);
    unchanged("writing a file");
    if (r <= 5) {
      CHECK(messages.shown.empty(), "writing " + path + " failed: " + messages.shown[0].text);
      ++writes;
      const std::string text = readAll(path);
      std::vector<std::string> lines;
      std::size_t at = 0;
      for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
      CHECK(at == text.size(), std::string(menu) + " wrote a line not ended by CR LF");
      const int want = exportData ? 1 + std::max(0, bar(1).Value() - bar(0).Value() + 1) : 49;
      CHECK(lines.size() == static_cast<std::size_t>(want),
            std::string(menu) + " wrote " + to_string(lines.size()) + " lines for cut-offs " + cutoffs());
      for (std::size_t i = 1; exportData && i < lines.size(); ++i)
        CHECK(!hasNonFiniteWord(lines[i]), "export line " + to_string(i + 1) + " reads " + lines[i]);
      CHECK(exportData || (lines[1] == "\"" + form->Pntnum[1].Text + "\"" && lines[28] == to_string(form->ShiftCount)),
            "the results file disagrees with the window");
    } else if (!path.empty()) {
      messageAllowed = true;
      CHECK(messages.shown.size() == 1 && !fs::is_regular_file(path),
            "an impossible write showed " + to_string(messages.shown.size()) + " messages or left a file");
    }
    static const char* const named[] = {"adir.txt", "results_a.txt", "results_b.txt", "export_a.txt", "export_b.txt"};
    for (const auto& e : fs::directory_iterator(out))  // no temporary file may be left behind
      CHECK(std::ranges::find(named, e.path().filename().string()) != std::end(named),
            "a stray file " + e.path().filename().string() + " was left in the folder");
    CHECK(fs::is_empty(out / "adir.txt"), "a write went into the folder named as the target");
  }

  void exitCommand() {
    note("menu Exit");
    const long was = exits;
    click("fileexit");
    CHECK(exits == was + 1, "Exit did not reach the view");
    unchanged("Exit");
  }

  void newWindow() {
    form.reset();
    messages.shown.clear();
    form = std::make_unique<Form>(dialog, messages);
    form->onExit = [this] { ++exits; };
    boxes.clear();
    editable.clear();
    for (const auto& c : controls()) {
      if (!form->text(c.name, c.index)) continue;
      if (c.kind == Kind::TextBox && !c.readOnly) editable.push_back(static_cast<int>(boxes.size()));
      boxes.push_back({c.name, c.index});
    }
    typed.assign(boxes.size(), false);
    lastPoint[1] = lastPoint[2] = shiftCount = 0;
    fileName[1] = fileName[2] = "Text2";
    countShown = false;
    before = snap();
  }

  // ---- checks shared by the actions
  ScrollBar& bar(int b) { return *form->scrollBar(kBars[b]); }
  std::string cutoffs() { return to_string(bar(0).Value()) + ".." + to_string(bar(1).Value()); }
  const Table& scanOf(int file) const { return file == 1 ? form->Scan1 : form->Scan2; }
  const Table& normOf(int file) const { return file == 1 ? form->Norm1 : form->Norm2; }
  const Table& slopesOf(int file) const { return file == 1 ? form->Slopes1 : form->Slopes2; }
  std::size_t boxIndex(std::string_view name, int index = -1) const {
    for (std::size_t i = 0; i < boxes.size(); ++i)
      if (boxes[i].name == name && boxes[i].index == index) return i;
    throw Failure{"no box " + nameOf(name, index)};
  }
  // The program wrote this box during the action: what it shows is its own.
  void written(std::string_view name, int index = -1) { typed[boxIndex(name, index)] = false; }

  Snapshot snap() {
    const Form& f = *form;
    Snapshot s{{}, {f.Scan1, f.Scan2}, {f.Norm1, f.Norm2}, {f.Slopes1, f.Slopes2},
               f.DataState[0] + "/" + f.DataState[1] + "/" + f.DataState[2], f.LineSel, f.ShiftCount, {},
               f.Picture1.revision(), {}, {}};
    for (const Box& b : boxes) s.texts.push_back(*form->text(b.name, b.index));
    for (int b = 0; b < 4; ++b) s.bar[b][0] = bar(b).Value(), s.bar[b][1] = bar(b).Min;
    const float* vals[4] = {f.MaxVal1, f.MaxVal2, f.MinVal1, f.MinVal2};
    const std::int16_t* ats[4] = {f.MaxAt1, f.MaxAt2, f.MinAt1, f.MinAt2};
    for (int t = 0; t < 4; ++t) std::copy_n(vals[t], 4, s.extremes[t]), std::copy_n(ats[t], 4, s.positions[t]);
    return s;
  }

  // Nothing but box `box` (and, when allowed, the chart and bar `movedBar`) may differ from before the action (or
  // from `was`).
  void unchanged(const std::string& what, int box = -1, bool drew = false, int movedBar = -1,
                 const Snapshot* was = nullptr) {
    const Snapshot now = snap();
    const Snapshot& b = was ? *was : before;
    for (std::size_t i = 0; i < boxes.size(); ++i)
      CHECK(static_cast<int>(i) == box || now.texts[i] == b.texts[i],
            what + " changed " + nameOf(boxes[i].name, boxes[i].index) + " to \"" + now.texts[i] + "\"");
    for (int k = 0; k < 4; ++k) CHECK(k == movedBar || sameBits(now.bar[k], b.bar[k]), what + " moved " + kBars[k]);
    CHECK(sameBits(now.scan, b.scan) && sameBits(now.norm, b.norm) && sameBits(now.slopes, b.slopes) &&
              now.dataState == b.dataState && now.lineSel == b.lineSel && now.shiftCount == b.shiftCount &&
              sameBits(now.extremes, b.extremes) && sameBits(now.positions, b.positions),
          what + " changed the data, the channel, the shift or the extremes");
    CHECK(drew || now.revision == b.revision, what + " drew on the chart");
  }

  // Table t reads want(i, k) at channel c (every channel when -1) of points lo..hi, and elsewhere what it read before.
  template <class Want>
  void reads(const std::string& what, const Table& t, const Table& was, int c, int lo, int hi, Want want) {
    for (int i = 0; i <= kLastPoint; ++i)
      for (int k = 0; k < 3; ++k)
        CHECK(sameBits(t[i][k], (c < 0 || k == c) && i >= lo && i <= hi ? want(i, k) : was[i][k]),
              what + " left point " + to_string(i) + " channel " + to_string(k) + " at " + formatNumber(t[i][k]));
  }

  // Slopes of channel c (all when -1) at points lo..hi are each the difference of the normalised value to the point
  // below; nothing else of the tables moves.
  void slopesOnly(int c, int lo, int hi) {
    for (int file = 1; file <= 2; ++file) {
      CHECK(sameBits(scanOf(file), before.scan[file - 1]) && sameBits(normOf(file), before.norm[file - 1]),
            "a calculation changed the data");
      const Table& norm = normOf(file);
      reads("the slopes", slopesOf(file), before.slopes[file - 1], c, lo, hi,
            [&](int i, int k) { return norm[i][k] - norm[i - 1][k]; });
    }
  }

  // The named result boxes read a number within [lo, hi] or "no value"; every other result box keeps its text.
  void results(const std::vector<std::string_view>& names, double lo, double hi) {
    for (const char* name : kResults)
      for (int k = 0; k < 3; ++k) {
        const std::string& t = *form->text(name, k);
        const bool mine = std::ranges::find(names, name) != names.end();
        if (mine) written(name, k);
        CHECK(mine ? t == kNoValue || (isNumberText(t) && numericValue(t) >= lo && numericValue(t) <= hi)
                   : t == before.texts[boxIndex(name, k)],
              nameOf(name, k) + " reads \"" + t + "\"" + (mine ? "" : " after another calculation"));
      }
  }

  // File `file` shows the extremes of channel c of table t over from..to (the highest searched from `hi`, the lowest
  // from 80) and the positions of extremes as whole point numbers or nothing.
  void showsExtremes(int file, const Table& t, int c, int from, int to, double hi) {
    const Form& f = *form;
    double lo = 80.0;
    for (int i = from; i <= to; ++i) hi = std::max(hi, t[i][c]), lo = std::min(lo, t[i][c]);
    CHECK(f.MaxTemp[file].Text == formatNumber(hi) && f.MinTemp[file].Text == formatNumber(lo),
          "File " + to_string(file) + " shows " + f.MaxTemp[file].Text + " / " + f.MinTemp[file].Text +
              " for channel " + to_string(c) + " over " + to_string(from) + ".." + to_string(to) + ", not " +
              formatNumber(hi) + " / " + formatNumber(lo));
    for (const char* box : {"MaxTemp", "MinTemp"}) written(box, file);
    for (int at : {file - 1, file + 1}) {
      written("Max_at", at);
      const std::string& p = f.Max_at[at].Text;
      CHECK(p.empty() || (formatInt(static_cast<long>(numericValue(p))) == p && numericValue(p) >= 0 &&
                          numericValue(p) <= kLastPoint),
            "a position reads \"" + p + "\"");
    }
  }

  // After the comparison chart of channel c was drawn from cut-offs L..U: each file with points shows the extremes of
  // its range (File 1 searched after its own pull-back of the cursors, File 2 after both); only channel c of the
  // normalised tables changed.
  void drawn(int c, int L, int U, bool oneChannel = true) {
    for (int file = 1; oneChannel && file <= 2; ++file)
      reads("drawing", normOf(file), before.norm[file - 1], c, 0, kLastPoint,
            [&](int i, int k) { return normOf(file)[i][k]; });
    if (const int n1 = form->pointCount(1); n1 > 0) U = std::min(U, n1), L = n1 < L ? n1 - 1 : L;
    for (int file = 1; file <= 2; ++file) {
      const int n = form->pointCount(file);
      if (n <= 0) continue;
      if (file == 2) L = bar(0).Value(), U = bar(1).Value();
      CHECK(U <= n && L <= n, "the cut-offs " + cutoffs() + " stand beyond File " + to_string(file) + "'s data");
      showsExtremes(file, scanOf(file), c, L, U, 0.0);
    }
  }

  // What holds after every action.
  void invariants() {
    const Form& f = *form;
    const int ranges[4][2] = {{0, 225}, {80, 500}, {0, 100}, {0, 200}};
    for (int b = 0; b < 4; ++b) {
      const ScrollBar& s = bar(b);
      const bool lowered = b == 1 && s.Min >= 0 && s.Min <= 80;  // a short file lowers the upper bar's bottom
      CHECK((s.Min == ranges[b][0] || lowered) && s.Max == ranges[b][1] && s.Value() >= s.Min && s.Value() <= s.Max,
            std::string(kBars[b]) + " stands at " + to_string(s.Value()) + " in " + to_string(s.Min) + ".." +
                to_string(s.Max));
    }
    for (int file = 1; file <= 2; ++file) {
      const int n = f.pointCount(file);
      CHECK(n >= -1 && n <= kLastPoint && n == lastPoint[file] && f.Pntnum[file].Text == formatInt(n) &&
                f.Filename[file].Text == fileName[file],
            "File " + to_string(file) + " shows \"" + f.Pntnum[file].Text + "\" points (not " +
                to_string(lastPoint[file]) + ") of " + f.Filename[file].Text);
    }
    // The frame keeps its design caption until a load or a shift writes the count.
    const std::string caption = countShown ? "Shift Chart Up " + formatSigned(shiftCount) : "Shift Chart Up";
    CHECK(f.ShiftCount == shiftCount && f.Frame1.Caption == caption, "the shift count reads " + f.Frame1.Caption);
    CHECK(f.LineSel >= 0 && f.LineSel <= 2, "LineSel is " + to_string(f.LineSel));
    for (const auto& s : f.DataState) CHECK(s == "Raw" || s == "Smoothed", "a data state reads " + s);
    const std::string& title = f.Label3.Caption;
    CHECK(title == "Scanning" || title == "Slopes" || std::count(f.ChannelNames, f.ChannelNames + 3, title),
          "the chart title reads " + title);

    if (typedNow >= 0) typed[typedNow] = true;
    const Snapshot now = snap();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (static_cast<int>(i) != typedNow && now.texts[i] != before.texts[i]) typed[i] = false;
      CHECK(typed[i] || boxes[i].name == std::string_view("Filename") || !hasNonFiniteWord(now.texts[i]),
            nameOf(boxes[i].name, boxes[i].index) + " reads \"" + now.texts[i] + "\"");
    }
    for (int b = 0; b < 4; ++b) {  // boxes beside the bars show the bar unless the user typed over them
      const std::size_t i = boxIndex(kShows[b]);
      const std::string want = b == 3 ? formatNumber(bar(b).Value() / 100.0) : formatInt(bar(b).Value());
      CHECK(typed[i] || now.texts[i] == want, std::string(kShows[b]) + " reads \"" + now.texts[i] + "\", not " + want);
    }
  }

  Options opt;
  std::mt19937_64 rng;
  ScratchDir dir;
  ScriptedDialog dialog;
  RecordedMessages messages;
  std::unique_ptr<Form> form;
  std::vector<ScanChoice> goodScans, badScans;
  std::vector<Box> boxes;
  std::vector<int> editable;  // indexes into boxes
  std::vector<bool> typed;    // the user's text stands in the box
  int typedNow = -1, lastPoint[3] = {0, 0, 0};
  std::string fileName[3];
  std::int16_t shiftCount = 0;
  bool countShown = false, messageAllowed = false;
  const char* expectedDialog = nullptr;
  DialogKind expectedKind = DialogKind::Open;
  Snapshot before{};
  long number = 0, exits = 0, writes = 0;
  std::deque<std::string> trail;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  const auto usage = [] { return std::fprintf(stderr, "usage: random_use [--actions N] [--seed S] [--verbose]\n"), 2; };
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--verbose") o.verbose = true;
    else if (a == "--actions" && i + 1 < argc) o.actions = std::strtol(argv[++i], nullptr, 10);
    else if (a == "--seed" && i + 1 < argc) o.seed = std::strtoull(argv[++i], nullptr, 10);
    else return usage();
  }
  if (o.actions <= 0) return usage();
  const auto t0 = std::chrono::steady_clock::now();
  RandomUse run(o);
  bool ok = true;
  try {
    for (long n = 1; n <= o.actions; ++n) run.step(n);
  } catch (const Failure& f) {
    ok = false;
    std::printf("random_use: FAILED at action %ld of seed %llu: %s\nlast actions:\n", run.number,
                static_cast<unsigned long long>(o.seed), f.what.c_str());
    for (const auto& t : run.trail) std::printf("  %s\n", t.c_str());
  }
  std::printf("random_use: %.1f s, %ld files written, %ld exits\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), run.writes, run.exits);
  std::printf("random_use: %ld actions, seed %llu: %d passed, %d failed\n", o.actions,
              static_cast<unsigned long long>(o.seed), ok ? 1 : 0, ok ? 0 : 1);
  return ok ? 0 : 1;
}
