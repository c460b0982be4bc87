// Long random use of the window logic, as a restless user would: loads of good, short, empty and broken scans and of
// missing files, cancelled dialogs, bar moves, typing anything into the editable boxes, every button and menu item,
// shifts, calculations, results and exports. After every action the checks are of what holds whatever the
// arithmetic: a refused or cancelled action changes nothing, texts the program writes are canonical numbers, bars
// stay in range, files are whole. A run repeats from its seed; a failure prints the seed, the action number and the
// last actions.
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/form.hpp"
#include "model/number_text.hpp"
#include "support/form_state.hpp"
#include "support/scripted.hpp"  // also <deque>, <filesystem>, <random>, <string>, <vector>

namespace {

namespace fs = std::filesystem;
using namespace varnel::app;
using namespace varnel::model;
using namespace varnel::test;
using std::string;
using std::to_string;
using Readings = std::vector<std::pair<double, double>>;

struct Failure { std::string what; };
#define CHECK(ok, what) do { if (!(ok)) throw Failure{what}; } while (false)  // `what` is built only on failure

bool isNumberText(const std::string& t) {
  return !t.empty() && std::isfinite(numericValue(t)) && formatNumber(numericValue(t)) == t;
}

struct ScanChoice { std::string path; bool good = false; int points = 0; };  // points: the count a load shows
struct Box { const char* name; int index; bool textBox, editable; std::string start, *text; };

const char* const kBars[4] = {"VScroll1", "VScroll2", "VScroll3", "VScroll4"};
const char* const kShows[4] = {"LowerCutoff", "UpperCutoff", "ShiftNum", "Threshold"};  // the box beside each bar

struct RandomUse {
  RandomUse(std::uint64_t seed, bool verbose) : rng(seed), verbose(verbose) {
    fs::create_directories(dir.path() / "scans" / "folder.txt");  // a folder is no scan
    fs::create_directories(dir.path() / "out" / "adir.txt");      // nor a place to write
    Readings spike(501, {0.0, 0.0}), huge, tiny, outlier(501, {35.0, 34.0});
    spike[400] = {11.0, 0.0}, outlier[250] = {1000.0, 1000.0};
    for (int i = 0; i < 120; ++i)  // Delta-T near the single limit; spreads below the double range
      huge.emplace_back(i % 2 ? 1.6e38 : -1.6e38, i % 3 ? -1.6e38 : 1.6e38),
          tiny.emplace_back(i % 2 ? 3e-320 : -3e-320, 0.0);
    const std::pair<const char*, Readings> goods[] = {
        {"good_a.txt", curve(501, 35.2)}, {"good_b.txt", curve(501, 34.9)}, {"good_c.txt", curve(430, 33.7)},
        {"long_600.txt", curve(600, 35.0)}, {"short_1.txt", curve(1, 34.0)}, {"short_2.txt", curve(2, 34.0)},
        {"short_60.txt", curve(60, 34.0)}, {"short_81.txt", curve(81, 34.0)}, {"flat.txt", Readings(150, {35, 35})},
        {"cold.txt", curve(300, -4.0)}, {"hot.txt", curve(300, 95.0)}, {"spike.txt", spike}, {"huge.txt", huge},
        {"tiny.txt", tiny}, {"outlier.txt", outlier}, {"odd, \"name\" \xC3\xA9.txt", curve(100, 35.5)},
        {"line\nbreak.txt", curve(90, 35.5)}, {"empty.txt", {}}};
    for (const auto& [name, r] : goods) goodScans.push_back(scan(name, scanText(r), int(r.size())));
    goodScans.push_back(scan("blank.txt", "\r\n  \r\n\n", 0));
    const char* const bads[][2] = {{"text.txt", "36.1,35.4\r\n35.0,warm\r\n"}, {"odd_count.txt", "36.1,35.4\r\n35\r\n"},
                                   {"empty_field.txt", "36.1,,35.4\r\n"}, {"overflow.txt", "1e999,35\r\n"},
                                   {"beyond_single.txt", "1.5e308,35\r\n"}, {"delta.txt", "3e38,-3e38\r\n"},
                                   {"noise.txt", "\x89PNG\r\n\x1a\n\x01\x02\rIHDR"}};
    for (const auto& [name, text] : bads) badScans.push_back(scan(name, text, 0, false));
    for (const char* name : {"missing.txt", "folder.txt"}) badScans.push_back({scanPath(name)});
    newWindow();
  }

  // ---- randomness, scans and texts
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
  std::string scanPath(const std::string& name) const { return (dir.path() / "scans" / name).string(); }
  ScanChoice scan(const std::string& name, const std::string& text, int n, bool good = true) {
    std::ofstream(scanPath(name), std::ios::binary) << text;
    return {scanPath(name), good, std::min(n, 501) - 1};
  }
  Readings curve(int n, double base) {
    Readings r;
    const double wave = real(0.1, 2.0);
    for (int i = 0; i < n; ++i) {
      const double left = base + wave * std::sin(i / 23.0) + real(-0.1, 0.1);
      r.emplace_back(left, left - 0.3 + real(-0.1, 0.1));
    }
    return r;
  }
  // A fresh random scan, at times of a length at an edge of the format, with wild readings or with LF line ends.
  ScanChoice fresh() {
    static const int edges[] = {1, 2, 3, 10, 11, 60, 79, 80, 81, 225, 226, 500, 501, 502, 600};
    const int n = uniform(0, 2) == 0 ? edges[uniform(0, 14)] : uniform(1, 600);
    Readings r = curve(n, real(-20.0, 120.0));
    for (int k = 0, wild = uniform(0, 2) == 0 ? 5 : 0; k < wild; ++k) r[uniform(0, n - 1)].second = real(-1e6, 1e6);
    std::string text = scanText(r);
    if (uniform(0, 2) == 0) std::erase(text, '\r');
    return scan("fresh.txt", text, n);
  }
  std::string randomText() {
    static const char* const fixed[] = {"", "0", "-0", "1", "0.5", " 0.25 ", "-3", "1e999", "-1e999", "1e308",
                                        "1e-400", "nan", "inf", "-inf", "NaN", "Infinity", "1e", "-", ".", "+.5e-3",
                                        "12abc", "9999999999999999999999999", "-1.7976931348623157e308", "0x1p3",
                                        "\xC3\xA9t\xC3\xA9", "0.5\r\n", "\r\n\r\n"};
    switch (uniform(0, 3)) {
      case 0: return fixed[uniform(0, int(std::size(fixed)) - 1)];
      case 1: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.*g", uniform(1, 17), real(-300, 300));
        return buf;
      }
      case 2: return to_string(uniform(-1000, 1000));
    }
    std::string s(std::size_t(uniform(0, 24)), ' ');
    for (char& c : s) c = char(uniform(1, 255));
    return s;
  }
  void note(std::string what) {
    std::replace_if(what.begin(), what.end(), [](char c) { return c == '\n' || c == '\r'; }, '~');
    if (verbose) std::printf("#%ld %s\n", number, what.c_str());
    trail.push_back("#" + to_string(number) + " " + what);
    if (trail.size() > 25) trail.pop_front();
  }

  // ---- one action and the checks of every action
  void step(long n) {
    number = n, typedNow = -1, expectedDialog = nullptr, messageAllowed = false, kept = false;
    messages.shown.clear(), dialog.calls.clear();
    const std::vector<std::string> before = texts();
    pick();
    if (!kept) state.reset();
    CHECK(dialog.calls.size() == (expectedDialog ? 1u : 0u) && dialog.answers.empty(),
          "the file dialog was asked " + to_string(dialog.calls.size()) + " times");
    for (const auto& call : dialog.calls)
      CHECK(call.kind == expectedKind && call.defaultName == expectedDialog && call.filter == kScanFilter,
            "the file dialog was asked with \"" + call.defaultName + "\"");
    CHECK(messageAllowed || messages.shown.empty(), "a message was shown: " + messages.shown[0].text);
    for (const auto& m : messages.shown)
      CHECK(m.title == kErrorTitle && !m.text.empty(), "a message \"" + m.text + "\" titled \"" + m.title + "\"");
    invariants(before);
  }

  void pick() {
    const int r = uniform(1, 1000);
    if (r <= 75) return load(r <= 40 ? goodScans[uniform(0, int(goodScans.size()) - 1)] : r <= 55 ? fresh()
                             : r <= 65 ? badScans[uniform(0, int(badScans.size()) - 1)] : ScanChoice{}, r > 65);
    if (r <= 78) return clickOther();
    if (r <= 378) return moveBar();
    if (r <= 498) return type();
    if (r <= 528) return clear();
    if (r <= 648 || (r > 908 && r <= 976)) return chart(r <= 608 || r > 908 ? "LineButton" : "Smoothbutton");
    if (r <= 708) return shift();
    if (r <= 748) return chart("SlopeChart");
    if (r <= 908) return calculate((r - 749) / 40);
    if (r <= 992) return save(r > 984);
    if (r <= 996) return exitCommand();
    note("new window");  // which must share nothing with the busy one before it
    newWindow();
    CHECK(form->Pntnum[1].Text == "0" && form->Threshold.Text == "1" && bar(3).Value() == 100 &&
              form->Filename[1].Text == "Text2" && form->Label3.Caption == "Scanning",
          "the window did not open with its start-up values");
  }

  void newWindow() {
    form.reset();
    form = std::make_unique<Form>(dialog, messages);
    form->onExit = [this] { ++exits; };
    boxes.clear();
    for (const auto& c : controls())
      if (std::string* t = form->text(c.name, c.index))
        boxes.push_back({c.name, c.index, c.kind == Kind::TextBox, c.kind == Kind::TextBox && !c.readOnly, c.text, t});
    typed.assign(boxes.size(), false);
    fileName[1] = fileName[2] = "Text2";
  }

  // Runs `act`; nothing of the window may change but what `allow` takes over. A snapshot of the whole window is dear
  // (the chart's pixels): the frequent actions mostly compare texts and bars only, and the state after a checked
  // action is the next one's start.
  template <class Act, class Allow>
  void keeps(const std::string& what, Act act, Allow allow, bool whole = true) {
    const auto snap = [&] {
      if (whole) return formState(*form);
      FormState s;
      s.texts = texts();
      for (int b = 0; b < 4; ++b) s.bars.push_back(bar(b).Value()), s.bars.push_back(bar(b).Min);
      return s;
    };
    FormState was = whole && state ? std::move(*state) : snap();
    act();
    FormState now = snap();
    allow(was, now);
    CHECK(now == was, what + " changed " + now.firstDifference(was));
    if (whole) state = std::move(now), kept = true;
  }
  void keeps(const std::string& what, auto act) { keeps(what, act, [](FormState&, const FormState&) {}); }

  void load(const ScanChoice& s, bool cancel) {
    const int file = uniform(1, 2), via = uniform(0, 2);
    note((via ? "menu Open File" : "click Filename") + to_string(file) + ": " + (cancel ? "cancel" : s.path));
    dialog.answers.push_back(cancel ? "" : s.path);
    expectedDialog = "Untitled.txt", expectedKind = DialogKind::Open;
    const auto open = [&] { via == 0 ? form->Filename_Click(file) : file == 1 ? form->fileopen_Click()
                                                                              : form->fileopen2_Click(); };
    if (!cancel && s.good) {
      const Table other = file == 1 ? form->Scan2 : form->Scan1;
      open();
      fileName[file] = s.path;
      CHECK(form->Pntnum[file].Text == formatInt(s.points) && other == (file == 1 ? form->Scan2 : form->Scan1),
            "a load shows " + form->Pntnum[file].Text + " points, not " + to_string(s.points) + ", or changed File " +
                to_string(3 - file));
      for (const auto& state : form->DataState) CHECK(state == "Raw", "a load left a channel " + state);
      return file == 2 ? extremesAgree(false) : void();
    }
    messageAllowed = !cancel;
    keeps("a cancelled or refused load", open);
    CHECK(cancel || (messages.shown.size() == 1 && messages.shown[0].text.find(s.path) != std::string::npos),
          "a refused scan gave " + to_string(messages.shown.size()) + " messages, not one naming the file");
  }

  void clickOther() {  // Filename(0) and (3), LineButton(-1) and (3), Label3, Picture1: no file, channel or handler
    static const char* const names[] = {"Filename", "LineButton", "Label3", "Picture1"};
    const int r = uniform(0, 3), index = r >= 2 ? -1 : uniform(0, 1) ? -r : 3;
    note("click " + string(names[r]) + "(" + to_string(index) + ")");
    keeps("a click that runs nothing", [&] { CHECK(!form->click(names[r], index) || r == 0, "it ran a handler"); });
  }

  void moveBar() {
    const int b = uniform(0, 3), how = uniform(0, 5);
    ScrollBar& s = bar(b);
    const int steps[] = {s.SmallChange, -s.SmallChange, s.LargeChange, -s.LargeChange};
    const int v = std::clamp(how < 4 ? s.Value() + steps[how] : how == 4 ? uniform(s.Min, s.Max)
                                                              : uniform(0, 1) ? s.Min : s.Max, s.Min, s.Max);
    note(string("move ") + kBars[b] + " to " + to_string(v));
    if (v != s.Value()) typed[box(kShows[b])] = false;  // the box now shows the bar
    keeps("a bar move", [&] { s.setValue(v); }, [&](FormState& was, const FormState& now) {
      was.texts[box(kShows[b])] = now.texts[box(kShows[b])];
      was.bars[2 * b] = now.bars[2 * b];
      if (b < 2) was.pixels = now.pixels, was.revision = now.revision;  // a cut-off line moves
    }, uniform(0, 7) == 0);
    CHECK(s.Value() == v, string(kBars[b]) + " stands at " + to_string(s.Value()));
  }

  void type() {
    std::vector<std::size_t> editable;
    for (std::size_t i = 0; i < boxes.size(); ++i) if (boxes[i].editable) editable.push_back(i);
    typedNow = int(editable[uniform(0, int(editable.size()) - 1)]);
    const Box& b = boxes[typedNow];
    const std::string t = randomText();
    note("type \"" + t + "\" into " + b.name + "(" + to_string(b.index) + ")");
    keeps("typing", [&] { *b.text = t; },
          [&](FormState& was, const FormState& now) { was.texts[typedNow] = now.texts[typedNow]; }, uniform(0, 7) == 0);
    CHECK(*b.text == t, "the typed text did not stay");
  }

  void clear() {
    note("click Clear");
    keeps("Clear", [&] { CHECK(form->click("ClearButton"), "no Clear"); },
          [](FormState& was, const FormState& now) { was.pixels = now.pixels, was.revision = now.revision; });
    const auto& p = form->Picture1;
    CHECK(std::all_of(p.bits(), p.bits() + p.ScaleWidth() * p.ScaleHeight(), [](std::uint32_t c) { return c == 0; }),
          "Clear left pixels");
  }

  // A channel button, Smooth or Slopes: the scans change only in the charted channel (Smooth) or not at all.
  void chart(const char* button) {
    const bool channelButton = button == string("LineButton"), smooth = button == string("Smoothbutton");
    const int c = channelButton ? uniform(0, 2) : form->LineSel;
    note(string(button) + " (channel " + to_string(c) + ")");
    const Table scans[2] = {form->Scan1, form->Scan2};
    CHECK(form->click(button, channelButton ? c : -1), string("no handler for ") + button);
    for (int file = 0; file < 2; ++file)
      for (int i = 0; i <= kLastPoint; ++i)
        for (int k = 0; k < 3; ++k)
          CHECK(scans[file][i][k] == (file ? form->Scan2 : form->Scan1)[i][k] || (smooth && k == c),
                string(button) + " changed point " + to_string(i) + " of channel " + to_string(k));
    const Form& f = *form;
    CHECK(!smooth || f.DataState[c] == "Smoothed", "smoothing left the channel " + f.DataState[c]);
    if (!channelButton) return extremesAgree(!smooth);
    CHECK(f.LineSel == c && f.Label3.Caption == f.ChannelNames[c] && f.Label13.Caption == f.DataState[c],
          "the chart is not of channel " + to_string(c));
    for (int i = 0; i < 3; ++i)  // the chosen channel's button shows its marked caption
      CHECK(f.LineButton[i].Caption == f.ChannelNames[i == c ? i + 3 : i], "a channel button reads " +
                                                                               f.LineButton[i].Caption);
    extremesAgree(false);
  }

  // Each position shown beside an extreme is where the charted table holds that very value; a search that never
  // passed its start value (0 or -80 for the highest, 80 for the lowest) leaves the position as it stood.
  void extremesAgree(bool slopes) {
    const Form& f = *form;
    for (int file = 1; file <= 2; ++file) {
      if (f.pointCount(file) <= 0) continue;
      const Table& t = slopes ? (file == 1 ? f.Slopes1 : f.Slopes2) : (file == 1 ? f.Scan1 : f.Scan2);
      const std::pair<const TextBox*, int> shown[] = {{&f.MaxTemp[file], file - 1}, {&f.MinTemp[file], file + 1}};
      for (const auto& [value, at] : shown) {
        const std::string& p = f.Max_at[at].Text;
        const double i = numericValue(p);
        CHECK(p.empty() || (formatInt(long(i)) == p && i >= 0 && i <= kLastPoint), "a position reads \"" + p + "\"");
        const bool unmoved = value->Text == "0" || value->Text == "80" || value->Text == "-80";
        CHECK(p.empty() || unmoved || formatNumber(t[int(i)][f.LineSel]) == value->Text,
              "File " + to_string(file) + " shows " + value->Text + " at position " + p);
      }
    }
  }

  void shift() {
    const int file = uniform(1, 2), n = uniform(1, 100) <= 70 ? uniform(0, 10) : uniform(0, 100);
    note("shift File " + to_string(file) + " by " + to_string(n));
    if (n != bar(2).Value()) typed[box("ShiftNum")] = false;
    bar(2).setValue(n);
    const Table other = file == 1 ? form->Scan2 : form->Scan1;
    const int points = form->pointCount(file), lower = bar(0).Value(), count = form->ShiftCount;
    messageAllowed = true;
    const FormState was = formState(*form);
    CHECK(form->click(file == 1 ? "Shift1" : "Shift2"), "no shift button");
    if (!messages.shown.empty()) {  // refused only when the points or the lower cut-off would leave their range
      const FormState now = formState(*form);
      CHECK(messages.shown.size() == 1 && now == was, "a refused shift changed " + now.firstDifference(was));
      CHECK(points + n > kLastPoint || lower + n > bar(0).Max, "a shift within the limits was refused");
      return;
    }
    CHECK(other == (file == 1 ? form->Scan2 : form->Scan1), "a shift changed the other file");
    CHECK(form->ShiftCount == count + (file == 1 ? n : -n), "the shift count went to " + to_string(form->ShiftCount));
    extremesAgree(false);
  }

  void calculate(int which) {  // Area, Slope, Correlation, the two ratios: each writes only its own boxes
    static const struct { const char* button; std::vector<string> boxes; double lo, hi; } calcs[] = {
        {"CalcArea", {"AreaRatio"}, -1e300, 1.0 + 1e-9}, {"CalcSlope", {"SlopeComp"}, 0.0, 1.0},
        {"CalcCorrelation", {"Correlation"}, -1.0 - 1e-9, 1.0 + 1e-9}, {"Quil_Tesk", {"r_ratio", "t_ratio"}, 0.0, 1.0}};
    const auto& calc = calcs[which];
    note(string(calc.button) + " (threshold \"" + form->Threshold.Text + "\")");
    const Table kept[4] = {form->Scan1, form->Scan2, form->Norm1, form->Norm2};
    const std::vector<std::string> was = texts();
    const std::vector<int> bars = barValues();
    CHECK(form->click(calc.button), "no calculation");
    CHECK((kept[0] == form->Scan1 && kept[1] == form->Scan2 && kept[2] == form->Norm1 && kept[3] == form->Norm2),
          "a calculation changed the data");
    const std::vector<std::string> now = texts();
    messageAllowed = which == 3;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const bool mine = std::ranges::find(calc.boxes, boxes[i].name) != calc.boxes.end() && messages.shown.empty();
      const std::string& t = now[i];
      CHECK(mine ? t == kNoValue || (isNumberText(t) && numericValue(t) >= calc.lo && numericValue(t) <= calc.hi)
                 : t == was[i],
            string(boxes[i].name) + "(" + to_string(boxes[i].index) + ") reads \"" + t + "\" after " + calc.button);
    }
    CHECK(barValues() == bars, "a calculation moved a bar");
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
    note(string("menu ") + menu + ": " + (path.empty() ? "cancel" : path));
    dialog.answers.push_back(path);
    expectedDialog = exportData ? "NormAA.txt" : "OutputAA.txt", expectedKind = DialogKind::Save;
    messageAllowed = r > 5 && !path.empty();
    keeps("writing a file", [&] { CHECK(form->click(menu), "no menu item"); });
    if (r <= 5) {
      CHECK(messages.shown.empty(), "writing " + path + " failed: " + messages.shown[0].text);
      ++writes;
      const std::string text = readAll(path);
      std::vector<std::string> lines;
      std::size_t at = 0;
      for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
      const int want = exportData ? 1 + std::max(0, bar(1).Value() - bar(0).Value() + 1) : 49;
      CHECK(at == text.size() && lines.size() == std::size_t(want),
            string(menu) + " wrote " + to_string(lines.size()) + " lines, or one not ended by CR LF");
      for (std::size_t i = 1; exportData && i < lines.size(); ++i)
        CHECK(lines[i].find("nan") == string::npos && lines[i].find("inf") == string::npos, "export reads " + lines[i]);
      CHECK(exportData || (lines[1] == "\"" + form->Pntnum[1].Text + "\"" && lines[28] == to_string(form->ShiftCount)),
            "the results file disagrees with the window");
    } else if (!path.empty()) {
      CHECK(messages.shown.size() == 1 && !fs::is_regular_file(path), "an impossible write left a file or no message");
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
    keeps("Exit", [&] { CHECK(form->click("fileexit"), "no Exit"); });
    CHECK(exits == was + 1, "Exit did not reach the view");
  }

  // What holds after every action, whatever the arithmetic.
  void invariants(const std::vector<std::string>& before) {
    const Form& f = *form;
    const int ranges[4][2] = {{0, 225}, {80, 500}, {0, 100}, {0, 200}};
    for (int b = 0; b < 4; ++b) {
      const ScrollBar& s = bar(b);
      const bool lowered = b == 1 && s.Min >= 0 && s.Min <= 80;  // a short file lowers the upper bar's bottom
      CHECK((s.Min == ranges[b][0] || lowered) && s.Max == ranges[b][1] && s.Value() >= s.Min && s.Value() <= s.Max,
            string(kBars[b]) + " stands at " + to_string(s.Value()) + " in " + to_string(s.Min) + ".." +
                to_string(s.Max));
    }
    for (int file = 1; file <= 2; ++file)
      CHECK(f.Filename[file].Text == fileName[file] && f.pointCount(file) >= -1 && f.pointCount(file) <= 500 &&
                f.Pntnum[file].Text == formatInt(f.pointCount(file)),
            "File " + to_string(file) + " shows \"" + f.Pntnum[file].Text + "\" points of " + f.Filename[file].Text);
    CHECK(f.Frame1.Caption == "Shift Chart Up" || f.Frame1.Caption == "Shift Chart Up " + formatSigned(f.ShiftCount),
          "the shift count reads " + f.Frame1.Caption);
    CHECK(f.LineSel >= 0 && f.LineSel <= 2, "LineSel is " + to_string(f.LineSel));
    for (const auto& s : f.DataState) CHECK(s == "Raw" || s == "Smoothed", "a data state reads " + s);
    const std::string& title = f.Label3.Caption;
    CHECK(title == "Scanning" || title == "Slopes" || std::count(f.ChannelNames, f.ChannelNames + 3, title),
          "the chart title reads " + title);
    const std::vector<std::string> now = texts();
    for (std::size_t i = 0; i < boxes.size(); ++i) {  // a text the program wrote is its own: a number or none
      if (int(i) == typedNow) typed[i] = true;
      else if (now[i] != before[i]) typed[i] = false;
      const std::string& t = now[i];
      CHECK(typed[i] || !boxes[i].textBox || boxes[i].name == string("Filename") || t.empty() || t == kNoValue ||
                t == boxes[i].start || isNumberText(t),
            string(boxes[i].name) + "(" + to_string(boxes[i].index) + ") reads \"" + t + "\"");
    }
    for (int b = 0; b < 4; ++b) {  // boxes beside the bars show the bar unless the user typed over them
      const std::string want = b == 3 ? formatNumber(bar(b).Value() / 100.0) : formatInt(bar(b).Value());
      CHECK(typed[box(kShows[b])] || now[box(kShows[b])] == want, string(kShows[b]) + " is not " + want);
    }
  }

  ScrollBar& bar(int b) { return *form->scrollBar(kBars[b]); }
  std::vector<std::string> texts() {  // in the order of FormState::texts
    std::vector<std::string> t;
    for (const Box& b : boxes) t.push_back(*b.text);
    return t;
  }
  std::vector<int> barValues() { return {bar(0).Value(), bar(1).Value(), bar(2).Value(), bar(3).Value()}; }
  std::size_t box(const string& name, int index = -1) const {
    for (std::size_t i = 0; i < boxes.size(); ++i) if (boxes[i].name == name && boxes[i].index == index) return i;
    throw Failure{"no box " + name};
  }

  std::mt19937_64 rng;
  bool verbose, messageAllowed = false;
  ScratchDir dir;
  ScriptedDialog dialog;
  RecordedMessages messages;
  std::unique_ptr<Form> form;
  std::optional<FormState> state;  // the window after the last action, when taken
  bool kept = false;
  std::vector<ScanChoice> goodScans, badScans;
  std::vector<Box> boxes;
  std::vector<bool> typed;  // the user's text stands in the box
  int typedNow = -1;
  std::string fileName[3];
  const char* expectedDialog = nullptr;
  DialogKind expectedKind = DialogKind::Open;
  long number = 0, exits = 0, writes = 0;
  std::deque<std::string> trail;
};

}  // namespace

int main(int argc, char** argv) {
  long actions = 100000;
  std::uint64_t seed = 1;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--verbose") verbose = true;
    else if (a == "--actions" && i + 1 < argc) actions = std::strtol(argv[++i], nullptr, 10);
    else if (a == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
    else actions = 0;
  }
  if (actions <= 0) return std::fprintf(stderr, "usage: random_use [--actions N] [--seed S] [--verbose]\n"), 2;
  // Snapshots of the chart come and go every action: keep their memory rather than map it afresh each time.
  mallopt(M_MMAP_THRESHOLD, 64 << 20), mallopt(M_TRIM_THRESHOLD, 256 << 20);
  RandomUse run(seed, verbose);
  try {
    for (long n = 1; n <= actions; ++n) run.step(n);
  } catch (const Failure& f) {
    std::printf("random_use: FAILED at action %ld of seed %llu: %s\nlast actions:\n", run.number,
                static_cast<unsigned long long>(seed), f.what.c_str());
    for (const auto& t : run.trail) std::printf("  %s\n", t.c_str());
    return 1;
  }
  std::printf("random_use: %ld actions, seed %llu passed; %ld files written, %ld exits\n", actions,
              static_cast<unsigned long long>(seed), run.writes, run.exits);
  return 0;
}
