// Long random use of the window logic, as a restless user would: loads of
// good, short, empty and broken scans and of missing files, cancelled
// dialogs, bar moves, typing anything into the boxes the window lets one type
// into, every button and menu item, shifts, calculations, results and
// exports. After every action the window's invariants are checked, and the
// action's own promise (a cancelled dialog changes nothing, a smoothing
// touches only its channel and range, ...). A run is repeatable from its
// seed; a failure prints the seed, the action number and the last actions.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/form.hpp"
#include "app/layout.hpp"
#include "model/number_text.hpp"
#include "support/scripted.hpp"

namespace {

namespace fs = std::filesystem;
using varnel::app::DialogKind;
using varnel::app::Form;
using varnel::app::ScrollBar;
using varnel::model::formatInt;
using varnel::model::formatNumber;
using varnel::model::kLastPoint;
using varnel::model::kNoValue;
using varnel::model::Table;
using varnel::test::RecordedMessages;
using varnel::test::ScratchDir;
using varnel::test::ScriptedDialog;
using Readings = std::vector<std::pair<double, double>>;

struct Failure {
  std::string what;
};

[[noreturn]] void fail(const std::string& what) { throw Failure{what}; }
// The message is built only when the check fails: most checks run inside
// loops over every point.
#define CHECK(ok, what)   \
  do {                    \
    if (!(ok)) fail(what); \
  } while (false)

bool sameBits(const Table& a, const Table& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A text the program wrote for a computed number: canonical and finite.
bool isNumberText(const std::string& t) {
  if (t.empty()) return false;
  const double v = varnel::model::numericValue(t);
  return std::isfinite(v) && formatNumber(v) == t;
}

bool hasNonFiniteWord(std::string t) {
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t.find("nan") != std::string::npos || t.find("inf") != std::string::npos;
}

std::vector<std::string> crlfLines(const std::string& text, bool& wellEnded) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    out.push_back(text.substr(at, end - at));
  wellEnded = at == text.size();
  return out;
}

// ---- the scans the user can choose from

struct ScanChoice {
  std::string path;
  bool good = false;    // the reader must take it
  Readings readings;    // what a load must place (at most 501)
};

std::string scanFileText(const Readings& r, const char* lineEnd) {
  std::string s;
  char buf[80];
  for (const auto& [l, v] : r) {
    std::snprintf(buf, sizeof buf, "%.17g,%.17g%s", l, v, lineEnd);
    s += buf;
  }
  return s;
}

class ScanShelf {
 public:
  ScanShelf(const ScratchDir& dir, std::mt19937_64& rng) : rng_(rng) {
    folder_ = dir.path() / "scans";
    fs::create_directories(folder_);
    addGood("good_a.txt", curve(501, 35.2));
    addGood("good_b.txt", curve(501, 34.9));
    addGood("good_c.txt", curve(430, 33.7));
    addGood("long_600.txt", curve(600, 35.0));
    for (int n : {1, 2, 60, 80, 81, 200}) addGood("short_" + std::to_string(n) + ".txt", curve(n, 34.0));
    addGood("flat.txt", Readings(150, {35.0, 35.0}));
    addGood("cold.txt", curve(300, -4.0));   // Left Temp never above 0
    addGood("hot.txt", curve(300, 95.0));    // never below 80
    addGood("spike.txt", spike());
    addGood("huge.txt", alternating(120, 1.5e308));   // Delta-T overflows
    addGood("tiny.txt", alternating(120, 3e-320));    // subnormal spreads
    addGood("outlier.txt", outlier());                // all but one point flat to 1e-9
    addGood("odd, \"name\" \xC3\xA9.txt", curve(100, 35.5));
    addGood("line\nbreak.txt", curve(90, 35.5));
    addGood("empty.txt", {}, "");
    addGood("blank.txt", {}, "\r\n  \r\n\n");
    addBad("text.txt", "36.1,35.4\r\n35.0,warm\r\n");
    addBad("odd_count.txt", "36.1,35.4\r\n35.0\r\n");
    addBad("empty_field.txt", "36.1,,35.4\r\n");
    addBad("overflow.txt", "1e999,35\r\n");
    addBad("noise.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    bad_.push_back({(folder_ / "missing.txt").string(), false, {}});
    fs::create_directories(folder_ / "folder.txt");
    bad_.push_back({(folder_ / "folder.txt").string(), false, {}});
  }

  const ScanChoice& good() { return good_[std::uniform_int_distribution<std::size_t>(0, good_.size() - 1)(rng_)]; }
  const ScanChoice& bad() { return bad_[std::uniform_int_distribution<std::size_t>(0, bad_.size() - 1)(rng_)]; }

  // A fresh random scan, sometimes of a length at an edge of the format.
  const ScanChoice& fresh() {
    static const int edges[] = {1, 2, 3, 10, 11, 60, 79, 80, 81, 225, 226, 500, 501, 502, 600};
    std::uniform_int_distribution<int> pick(0, 2);
    const int n = pick(rng_) == 0 ? edges[std::uniform_int_distribution<std::size_t>(0, std::size(edges) - 1)(rng_)]
                                  : std::uniform_int_distribution<int>(1, 600)(rng_);
    Readings r = curve(n, std::uniform_real_distribution<double>(-20.0, 120.0)(rng_));
    if (pick(rng_) == 0)  // a few wild readings
      for (int k = 0; k < 5; ++k)
        r[std::uniform_int_distribution<std::size_t>(0, r.size() - 1)(rng_)].second =
            std::uniform_real_distribution<double>(-1e6, 1e6)(rng_);
    fresh_ = {(folder_ / "fresh.txt").string(), true, {}};
    write(fresh_.path, scanFileText(r, pick(rng_) == 0 ? "\n" : "\r\n"));
    if (r.size() > 501) r.resize(501);
    fresh_.readings = r;
    return fresh_;
  }

  std::string under() const { return (folder_ / "good_a.txt" / "x.txt").string(); }

 private:
  Readings curve(int n, double base) {
    Readings r;
    std::normal_distribution<double> noise(0.0, 0.05);
    const double wave = std::uniform_real_distribution<double>(0.1, 2.0)(rng_);
    for (int i = 0; i < n; ++i) {
      const double left = base + wave * std::sin(i / 23.0) + noise(rng_);
      r.emplace_back(left, left - 0.3 + noise(rng_));
    }
    return r;
  }
  static Readings spike() {
    Readings r(501, {0.0, 0.0});
    r[400] = {11.0, 0.0};
    return r;
  }
  static Readings outlier() {
    Readings r;
    for (int i = 0; i < 501; ++i) r.emplace_back(35.0 + (i % 2) * 1e-9, 34.0 + (i % 3) * 1e-9);
    r[250] = {1000.0, 1000.0};
    return r;
  }
  static Readings alternating(int n, double v) {
    Readings r;
    for (int i = 0; i < n; ++i) r.emplace_back(i % 2 ? v : -v, i % 3 ? -v : v);
    return r;
  }
  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  void addGood(const std::string& name, Readings r, const char* text = nullptr) {
    const std::string path = (folder_ / name).string();
    write(path, text ? std::string(text) : scanFileText(r, "\r\n"));
    if (r.size() > 501) r.resize(501);
    good_.push_back({path, true, std::move(r)});
  }
  void addBad(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    write(path, text);
    bad_.push_back({path, false, {}});
  }

  std::mt19937_64& rng_;
  fs::path folder_;
  std::vector<ScanChoice> good_, bad_;
  ScanChoice fresh_;
};

// ---- what the window holds, to tell what an action changed

struct Snapshot {
  std::vector<std::string> texts;
  int bar[4][2];  // value, Min
  Table scan1, scan2, norm1, norm2, slopes1, slopes2;
  std::string dataState[3];
  int lineSel, shiftCount;
  float extremes[4][4];
  std::int16_t positions[4][4];
  std::uint64_t revision;
};

struct Box {
  const char* name;
  int index;
  bool editable;
};

std::vector<Box> boxesOfForm(Form& form) {
  std::vector<Box> out;
  for (const auto& c : varnel::app::controls())
    if (form.text(c.name, c.index)) out.push_back({c.name, c.index, c.kind == varnel::app::Kind::TextBox && !c.readOnly});
  return out;
}

const char* const kBars[4] = {"VScroll1", "VScroll2", "VScroll3", "VScroll4"};

// ---- the run

struct Options {
  long actions = 100000;
  std::uint64_t seed = 1;
  bool verbose = false;
  // An action slower than this is a failure: the window must answer every
  // click at once. Generous, as sanitizers slow everything tenfold; writing a
  // file is not held to it (the disk's time is not the program's).
  double maxMillis = 1000.0;
};

class RandomUse {
 public:
  explicit RandomUse(const Options& o) : opt_(o), rng_(o.seed), shelf_(dir_, rng_) {
    fs::create_directories(dir_.path() / "out" / "adir.txt");
    newWindow();
  }

  void step(long number) {
    number_ = number;
    before_ = snap();
    messages_.shown.clear();
    dialog_.answers.clear();
    dialog_.calls.clear();
    typedNow_ = -1;
    expectedDialog_ = nullptr;
    messageAllowed_ = false;
    pick();
    checkDialog();
    if (!messageAllowed_) CHECK(messages_.shown.empty(), "a message was shown: " + lastMessage());
    for (const auto& m : messages_.shown) {
      CHECK(m.title == varnel::app::kErrorTitle, "a message titled \"" + m.title + "\"");
      CHECK(!m.text.empty(), "an empty message");
    }
    invariants();
  }

  std::string trail() const {
    std::string s;
    for (const auto& t : trail_) s += "  " + t + "\n";
    return s;
  }

  struct Slowest {
    double millis = 0.0;
    std::string what;
  };
  const Slowest& slowest() const { return slowest_; }
  long exits() const { return exits_; }
  double handlerSeconds() const { return handlerMillis_ / 1000.0; }
  long writes() const { return writes_; }

 private:
  Form& form() { return *form_; }

  // ---- randomness
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return uniform(1, 100) <= percent; }

  std::string randomText() {
    static const char* const fixed[] = {"",      "0",        "-0",     "1",     "0.5",    " 0.25 ", "-3",
                                        "1e999", "-1e999",   "1e308",  "1e-400", "nan",   "inf",    "-inf",
                                        "NaN",   "Infinity", "1e",     "-",      ".",      "+.5e-3", "12abc",
                                        "9999999999999999999999999", "-1.7976931348623157e308", "0x1p3",
                                        "\xC3\xA9t\xC3\xA9", "0.5\r\n", "\r\n\r\n"};
    switch (uniform(0, 3)) {
      case 0:
        return fixed[uniform(0, static_cast<int>(std::size(fixed)) - 1)];
      case 1: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.*g", uniform(1, 17),
                      std::uniform_real_distribution<double>(-300.0, 300.0)(rng_));
        return buf;
      }
      case 2:
        return std::to_string(uniform(-1000, 1000));
      default: {
        std::string s(static_cast<std::size_t>(uniform(0, 24)), ' ');
        for (char& c : s) c = static_cast<char>(uniform(1, 255));
        return s;
      }
    }
  }

  void note(std::string what) {
    what = "#" + std::to_string(number_) + " " + what;
    for (char& c : what)
      if (c == '\n' || c == '\r') c = '~';
    if (opt_.verbose) std::printf("%s\n", what.c_str());
    trail_.push_back(std::move(what));
    if (trail_.size() > 25) trail_.pop_front();
  }

  // Runs one user action on the form and times it.
  void timed(const std::function<void()>& action, bool diskBound = false) {
    const auto t0 = std::chrono::steady_clock::now();
    action();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    handlerMillis_ += ms;
    if (ms > slowest_.millis) slowest_ = {ms, trail_.empty() ? std::string() : trail_.back()};
    CHECK(diskBound || ms <= opt_.maxMillis, "the action took " + std::to_string(ms) + " ms");
  }

  void click(const char* name, int index = -1) {
    timed([&] { CHECK(form().click(name, index), std::string("no handler for ") + name); });
  }

  // ---- actions
  void pick() {
    const int r = uniform(1, 1000);
    if (r <= 40) return load(shelf_.good(), false);
    if (r <= 55) return load(shelf_.fresh(), false);
    if (r <= 65) return load(shelf_.bad(), false);
    if (r <= 75) return load({}, true);
    if (r <= 78) return clickOther();
    if (r <= 378) return moveBar();
    if (r <= 498) return type();
    if (r <= 528) return clear();
    if (r <= 608) return channel();
    if (r <= 648) return smooth();
    if (r <= 708) return shift();
    if (r <= 748) return slopesChart();
    if (r <= 788) return calcArea();
    if (r <= 828) return calcSlope();
    if (r <= 868) return calcCorrelation();
    if (r <= 908) return calcTwoRatio();
    if (r <= 976) return channel();  // the rest of the range goes to redraws
    if (r <= 984) return save(false);
    if (r <= 992) return save(true);
    if (r <= 996) return exitCommand();
    return newWindowAction();
  }

  void load(const ScanChoice& scan, bool cancel) {
    const int file = uniform(1, 2);
    const bool viaBox = chance(30);
    note(std::string(viaBox ? "click Filename(" : "menu Open File") + std::to_string(file) + (viaBox ? ")" : "") +
         ": " + (cancel ? "cancel" : scan.path));
    dialog_.answers.push_back(cancel ? "" : scan.path);
    expectedDialog_ = "Untitled.txt";
    expectedKind_ = DialogKind::Open;
    timed([&] {
      if (viaBox) form().Filename_Click(file);
      else if (file == 1) form().fileopen_Click();
      else form().fileopen2_Click();
    });
    if (cancel || !scan.good) {
      messageAllowed_ = !cancel;
      if (!cancel) {
        CHECK(messages_.shown.size() == 1, "a refused scan gave " + std::to_string(messages_.shown.size()) + " messages");
        CHECK(messages_.shown[0].text.find(scan.path) != std::string::npos, "the message names no file");
      }
      return unchanged("a cancelled or refused load");
    }
    const int n = static_cast<int>(scan.readings.size()) - 1;
    lastPoint_[file] = n;
    path_[file] = scan.path;
    shiftCount_ = 0;
    countShown_ = true;
    for (int c = 0; c < 3; ++c) CHECK(form().DataState[c] == "Raw", "a load left a channel " + form().DataState[c]);
    const Table& mine = file == 1 ? form().Scan1 : form().Scan2;
    const Table& other = file == 1 ? form().Scan2 : form().Scan1;
    CHECK(sameBits(other, file == 1 ? before_.scan2 : before_.scan1), "a load changed the other scan");
    for (int j = 0; j <= kLastPoint; ++j) {
      const auto& p = mine[static_cast<std::size_t>(j)];
      const auto r = j <= n ? scan.readings[static_cast<std::size_t>(n - j)] : std::pair<double, double>{0.0, 0.0};
      CHECK(sameBits(p[1], r.first) && sameBits(p[2], r.second) && sameBits(p[0], r.first - r.second),
             "point " + std::to_string(j) + " of the loaded scan is not reading " + std::to_string(n - j));
    }
    written("LowerCutoff");
    written("UpperCutoff");
    if (file == 1) {
      CHECK(bar(0).Value() == 0 && bar(1).Value() == 500 && bar(1).Min == 80, "File 1 load left the cut-offs elsewhere");
      const Snapshot now = snap();
      CHECK(sameBits(now.norm1, before_.norm1) && sameBits(now.norm2, before_.norm2) &&
                 std::memcmp(now.extremes, before_.extremes, sizeof now.extremes) == 0,
             "loading File 1 drew the chart");
      return;
    }
    CHECK(form().LineSel == 1 && *form().text("Label3") == "Left Temp", "File 2 load did not end on Left Temp");
    int top = 500;
    for (int f = 1; f <= 2; ++f)
      if (lastPoint_[f] > 0 && lastPoint_[f] < top) top = lastPoint_[f];
    CHECK(bar(0).Value() == 0 && bar(1).Value() == top, "after File 2 the cut-offs are " + cutoffs() +
                                                             ", not 0 and " + std::to_string(top));
    drawn(1, bar(0).Value(), bar(1).Value(), false);
  }

  void clickOther() {
    const int r = uniform(0, 3);
    if (r == 0) {
      const int index = uniform(0, 1) ? 0 : 3;
      note("click Filename(" + std::to_string(index) + ")");
      timed([&] { form().click("Filename", index); });
    } else if (r == 1) {
      const int index = uniform(0, 1) ? -1 : 3;
      note("click LineButton(" + std::to_string(index) + ")");
      timed([&] { CHECK(!form().click("LineButton", index), "LineButton(" + std::to_string(index) + ") ran"); });
    } else {
      note("click a control with no handler");
      timed([&] { CHECK(!form().click(r == 2 ? "Label3" : "Picture1"), "a control with no handler ran one"); });
    }
    unchanged("a click that runs nothing");
  }

  void moveBar() {
    const int b = uniform(0, 3);
    ScrollBar& s = bar(b);
    int v = s.Value();
    switch (uniform(0, 5)) {
      case 0: v += s.SmallChange; break;
      case 1: v -= s.SmallChange; break;
      case 2: v += s.LargeChange; break;
      case 3: v -= s.LargeChange; break;
      case 4: v = uniform(s.Min, s.Max); break;
      default: v = uniform(0, 1) ? s.Min : s.Max; break;
    }
    v = std::clamp(v, s.Min, s.Max);  // the toolkit's bar never leaves its range
    note(std::string("move ") + kBars[b] + " to " + std::to_string(v));
    timed([&] { s.setValue(v); });
    CHECK(s.Value() == v, std::string(kBars[b]) + " stands at " + std::to_string(s.Value()));
    const char* const shows[4] = {"LowerCutoff", "UpperCutoff", "ShiftNum", "Threshold"};
    const bool moved = v != before_.bar[b][0];
    if (moved) written(shows[b]);
    unchanged("a bar move", static_cast<int>(boxIndex(shows[b], -1)), moved && b < 2, b);
  }

  void type() {
    std::vector<int> editable;
    for (std::size_t i = 0; i < boxes_.size(); ++i)
      if (boxes_[i].editable) editable.push_back(static_cast<int>(i));
    typedNow_ = editable[std::uniform_int_distribution<std::size_t>(0, editable.size() - 1)(rng_)];
    const Box& box = boxes_[static_cast<std::size_t>(typedNow_)];
    const std::string t = randomText();
    note(std::string("type \"") + t + "\" into " + box.name + (box.index >= 0 ? "(" + std::to_string(box.index) + ")" : ""));
    timed([&] { *form().text(box.name, box.index) = t; });
    CHECK(*form().text(box.name, box.index) == t, "the typed text did not stay");
    unchanged("typing", typedNow_);
  }

  void clear() {
    note("click Clear");
    click("ClearButton");
    const auto& p = form().Picture1;
    const std::vector<std::uint32_t> black(static_cast<std::size_t>(p.ScaleWidth() * p.ScaleHeight()), 0u);
    CHECK(std::memcmp(p.bits(), black.data(), black.size() * sizeof black[0]) == 0, "Clear left pixels");
    unchanged("Clear", -1, true);
  }

  void channel() {
    const int c = uniform(0, 2);
    note("click LineButton(" + std::to_string(c) + ")");
    click("LineButton", c);
    const Form& f = form();
    CHECK(f.LineSel == c, "LineSel is " + std::to_string(f.LineSel));
    CHECK(*form().text("Label3") == f.ChannelNames[c] && *form().text("Label13") == f.DataState[c],
           "the chart title is not the channel's");
    for (int i = 0; i < 3; ++i)
      CHECK(f.LineButton[i].Caption == f.ChannelNames[i == c ? i + 3 : i], "LineButton(" + std::to_string(i) + ") reads " + f.LineButton[i].Caption);
    CHECK(sameBits(f.Scan1, before_.scan1) && sameBits(f.Scan2, before_.scan2), "a channel button changed a scan");
    drawn(c, before_.bar[0][0], before_.bar[1][0]);
  }

  void smooth() {
    const int c = form().LineSel;
    const int lo = before_.bar[0][0], hi = before_.bar[1][0];
    note("click Smooth (channel " + std::to_string(c) + ", " + std::to_string(lo) + ".." + std::to_string(hi) + ")");
    click("Smoothbutton");
    CHECK(form().DataState[c] == "Smoothed", "smoothing left the channel " + form().DataState[c]);
    for (int file = 1; file <= 2; ++file) {
      const Table& now = file == 1 ? form().Scan1 : form().Scan2;
      const Table& was = file == 1 ? before_.scan1 : before_.scan2;
      for (int i = 0; i <= kLastPoint; ++i)
        for (int k = 0; k < 3; ++k)
          if (k != c || i < lo || i > hi)
            CHECK(sameBits(now[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)],
                            was[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)]),
                   "smoothing changed point " + std::to_string(i) + " channel " + std::to_string(k) + " of File " +
                       std::to_string(file));
    }
    drawn(c, lo, hi);
  }

  void shift() {
    const int file = uniform(1, 2);
    const int n = chance(70) ? uniform(0, 10) : uniform(0, 100);
    note("shift File " + std::to_string(file) + " by " + std::to_string(n));
    timed([&] { bar(2).setValue(n); });
    if (n != before_.bar[2][0]) written("ShiftNum");
    const Snapshot moved = snap();
    const int P = form().pointCount(file);
    const int L = bar(0).Value();
    click(file == 1 ? "Shift1" : "Shift2");
    if (!messages_.shown.empty()) {  // refused: nothing may have moved
      messageAllowed_ = true;
      CHECK(messages_.shown.size() == 1, "a refused shift showed several messages");
      CHECK(P + n > kLastPoint || L + n > bar(0).Max, "a shift within the limits was refused");
      const Snapshot now = snap();
      CHECK(now.texts == moved.texts && sameBits(now.scan1, moved.scan1) && sameBits(now.scan2, moved.scan2) &&
                 now.shiftCount == moved.shiftCount && now.bar[0][0] == moved.bar[0][0] && now.revision == moved.revision,
             "a refused shift changed the window");
      return;
    }
    lastPoint_[file] = P + n;
    shiftCount_ = static_cast<std::int16_t>(file == 1 ? shiftCount_ + n : shiftCount_ - n);
    countShown_ = true;
    const Table& now = file == 1 ? form().Scan1 : form().Scan2;
    const Table& was = file == 1 ? before_.scan1 : before_.scan2;
    for (int i = 0; i <= kLastPoint; ++i) {
      const auto& p = now[static_cast<std::size_t>(i)];
      const auto& q = was[static_cast<std::size_t>(i)];
      if (i > P + n) {
        CHECK(sameBits(p[0], q[0]) && sameBits(p[1], q[1]) && sameBits(p[2], q[2]), "a shift changed a point above the data");
        continue;
      }
      const auto& from = i >= n ? was[static_cast<std::size_t>(i - n)] : varnel::model::Row{0.0, 0.0, 0.0};
      CHECK(sameBits(p[1], from[1]) && sameBits(p[2], from[2]) && sameBits(p[0], p[1] - p[2]),
             "after the shift point " + std::to_string(i) + " is not the former point " + std::to_string(i - n));
    }
    CHECK(sameBits(file == 1 ? form().Scan2 : form().Scan1, file == 1 ? before_.scan2 : before_.scan1),
           "a shift changed the other file");
    if (n != 0) written("LowerCutoff");
    drawn(form().LineSel, L + n, moved.bar[1][0]);
  }

  void slopesChart() {
    const int c = form().LineSel;
    note("click Slopes (channel " + std::to_string(c) + ", cut-offs " + cutoffs() + ")");
    click("SlopeChart");
    const int L = bar(0).Value(), U = bar(1).Value();
    CHECK(L == before_.bar[0][0] && U == before_.bar[1][0], "the slopes chart moved a cut-off");
    slopesOnly(c, L + 1, U - 1);
    if (form().pointCount(2) > 0) CHECK(*form().text("Label3") == "Slopes", "the slopes chart has no title");
    for (int file = 1; file <= 2; ++file) {
      if (form().pointCount(file) <= 0) continue;
      const Table& s = file == 1 ? form().Slopes1 : form().Slopes2;
      double max = -80, min = 80;
      for (int i = L + 1; i <= U - 1; ++i) {
        const double v = s[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)];
        if (v > max) max = v;
        if (v < min) min = v;
      }
      CHECK(form().MaxTemp[file].Text == formatNumber(max) && form().MinTemp[file].Text == formatNumber(min),
             "the slopes chart shows " + form().MaxTemp[file].Text + " / " + form().MinTemp[file].Text + " for File " +
                 std::to_string(file) + ", not " + formatNumber(max) + " / " + formatNumber(min));
      written("MaxTemp", file);
      written("MinTemp", file);
      for (int at : {file - 1, file + 1}) written("Max_at", at);
    }
  }

  void calcArea() {
    note("Calc Area (cut-offs " + cutoffs() + ")");
    click("CalcArea");
    results("AreaRatio", -1e300, 1.0 + 1e-9);
    tablesUnchanged();
  }

  void calcSlope() {
    note("Calc Slope (threshold \"" + form().Threshold.Text + "\", cut-offs " + cutoffs() + ")");
    click("CalcSlope");
    const int L = bar(0).Value(), U = bar(1).Value();
    results("SlopeComp", 0.0, 1.0);
    if (U - L < 2)
      for (int k = 0; k < 3; ++k) CHECK(form().SlopeComp[k].Text == kNoValue, "a share of no compared point");
    slopesOnly(-1, L + 1, U - 1);
  }

  void calcCorrelation() {
    note("Calc Correlation (cut-offs " + cutoffs() + ")");
    click("CalcCorrelation");
    results("Correlation", -1.0 - 1e-9, 1.0 + 1e-9);
    tablesUnchanged();
  }

  void calcTwoRatio() {
    note("Calc two ratios (cut-offs " + cutoffs() + ")");
    click("Quil_Tesk");
    tablesUnchanged();
    if (!messages_.shown.empty()) {
      messageAllowed_ = true;
      const std::string& t = messages_.shown[0].text;
      CHECK(messages_.shown.size() == 1 && t.rfind("Calculation Error try smoothing or clipping ", 0) == 0,
             "the two-ratio failure reads \"" + t + "\"");
      for (const char* name : {"r_ratio", "t_ratio"})
        for (int k = 0; k < 3; ++k)
          CHECK(*form().text(name, k) == before_.texts[boxIndex(name, k)], "a failed two-ratio run changed a box");
      return;
    }
    CHECK(bar(1).Value() - bar(0).Value() >= 9, "two ratios over fewer than ten points");
    results("r_ratio", 0.0, 1.0);
    results("t_ratio", 0.0, 1.0);
  }

  // "&Output Results" or "&Export Normed Data" to a good, impossible or no name.
  void save(bool exportData) {
    const char* menu = exportData ? "normexport" : "filesave";
    const int r = uniform(0, 9);
    std::string path;
    if (r <= 5) path = (dir_.path() / "out" / (exportData ? "export_" : "results_")).string() + char('a' + r % 2) + ".txt";
    else if (r == 6) path = (dir_.path() / "out" / "adir.txt").string();
    else if (r == 7) path = (dir_.path() / "nowhere" / "x.txt").string();
    else if (r == 8) path = shelf_.under();
    note(std::string("menu ") + menu + ": " + (path.empty() ? "cancel" : path));
    dialog_.answers.push_back(path);
    expectedDialog_ = exportData ? "NormAA.txt" : "OutputAA.txt";
    expectedKind_ = DialogKind::Save;
    timed([&] { CHECK(form().click(menu), "no handler for " + std::string(menu)); }, true);
    unchanged("writing a file");
    if (r <= 5) {
      CHECK(messages_.shown.empty(), "writing " + path + " failed: " + lastMessage());
      ++writes_;
      std::ifstream in(path, std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      bool wellEnded = false;
      const auto lines = crlfLines(text, wellEnded);
      CHECK(wellEnded, std::string(menu) + " wrote a line not ended by CR LF");
      if (exportData) {
        const int rows = std::max(0, bar(1).Value() - bar(0).Value() + 1);
        CHECK(lines.size() == static_cast<std::size_t>(1 + rows),
               "the export has " + std::to_string(lines.size()) + " lines for cut-offs " + cutoffs());
        for (std::size_t i = 1; i < lines.size(); ++i)
          CHECK(!hasNonFiniteWord(lines[i]), "export line " + std::to_string(i + 1) + " reads " + lines[i]);
      } else {
        CHECK(lines.size() == 49, "the results file has " + std::to_string(lines.size()) + " lines");
        CHECK(lines[1] == "\"" + form().Pntnum[1].Text + "\"" && lines[28] == std::to_string(form().ShiftCount),
               "the results file disagrees with the window");
      }
    } else if (!path.empty()) {
      messageAllowed_ = true;
      CHECK(messages_.shown.size() == 1, "an impossible write showed " + std::to_string(messages_.shown.size()) + " messages");
      CHECK(!fs::is_regular_file(path), "an impossible write left a file at " + path);
    }
    // Only the named files: no temporary file may be left behind.
    for (const auto& e : fs::directory_iterator(dir_.path() / "out")) {
      const std::string name = e.path().filename().string();
      CHECK(name == "adir.txt" || name == "results_a.txt" || name == "results_b.txt" || name == "export_a.txt" ||
                 name == "export_b.txt",
             "a stray file " + name + " was left in the folder");
    }
    CHECK(fs::is_empty(dir_.path() / "out" / "adir.txt"), "a write went into the folder named as the target");
  }

  void exitCommand() {
    note("menu Exit");
    const long was = exits_;
    click("fileexit");
    CHECK(exits_ == was + 1, "Exit did not reach the view");
    unchanged("Exit");
  }

  void newWindowAction() {
    note("new window");
    timed([&] { newWindow(); });
    CHECK(form().Pntnum[1].Text == "0" && form().Pntnum[2].Text == "0" && form().Threshold.Text == "1" &&
               bar(3).Value() == 100 && form().Filename[1].Text == "Text2" && *form().text("Label3") == "Scanning",
           "the window did not open with its start-up values");
    before_ = snap();
  }

  void newWindow() {
    form_.reset();
    messages_.shown.clear();
    form_ = std::make_unique<Form>(dialog_, messages_);
    form_->onExit = [this] { ++exits_; };
    boxes_ = boxesOfForm(*form_);
    typed_.assign(boxes_.size(), false);
    lastPoint_[1] = lastPoint_[2] = 0;
    path_[1] = path_[2] = "Text2";
    shiftCount_ = 0;
    countShown_ = false;
  }

  // ---- checks shared by the actions

  ScrollBar& bar(int b) { return *form().scrollBar(kBars[b]); }
  std::string cutoffs() { return std::to_string(bar(0).Value()) + ".." + std::to_string(bar(1).Value()); }
  std::string lastMessage() const { return messages_.shown.empty() ? "" : messages_.shown.back().text; }

  std::size_t boxIndex(std::string_view name, int index) const {
    for (std::size_t i = 0; i < boxes_.size(); ++i)
      if (boxes_[i].name == name && boxes_[i].index == index) return i;
    fail("no box " + std::string(name));
  }
  // The program wrote this box during the action: what it shows is its own.
  void written(std::string_view name, int index = -1) { typed_[boxIndex(name, index)] = false; }

  Snapshot snap() {
    Snapshot s{};
    for (const Box& b : boxes_) s.texts.push_back(*form().text(b.name, b.index));
    for (int b = 0; b < 4; ++b) {
      s.bar[b][0] = bar(b).Value();
      s.bar[b][1] = bar(b).Min;
    }
    const Form& f = form();
    s.scan1 = f.Scan1, s.scan2 = f.Scan2, s.norm1 = f.Norm1, s.norm2 = f.Norm2;
    s.slopes1 = f.Slopes1, s.slopes2 = f.Slopes2;
    for (int c = 0; c < 3; ++c) s.dataState[c] = f.DataState[c];
    s.lineSel = f.LineSel;
    s.shiftCount = f.ShiftCount;
    const float* vals[4] = {f.MaxVal1, f.MaxVal2, f.MinVal1, f.MinVal2};
    const std::int16_t* ats[4] = {f.MaxAt1, f.MaxAt2, f.MinAt1, f.MinAt2};
    for (int t = 0; t < 4; ++t)
      for (int c = 0; c < 4; ++c) {
        s.extremes[t][c] = vals[t][c];
        s.positions[t][c] = ats[t][c];
      }
    s.revision = f.Picture1.revision();
    return s;
  }

  // Nothing but box `box` (and, when allowed, the chart and bar `movedBar`)
  // may differ from before the action.
  void unchanged(const std::string& what, int box = -1, bool drew = false, int movedBar = -1) {
    const Snapshot now = snap();
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
      CHECK(static_cast<int>(i) == box || now.texts[i] == before_.texts[i],
             what + " changed " + boxes_[i].name + "(" + std::to_string(boxes_[i].index) + ") to \"" + now.texts[i] + "\"");
    }
    for (int b = 0; b < 4; ++b)
      CHECK(b == movedBar || (now.bar[b][0] == before_.bar[b][0] && now.bar[b][1] == before_.bar[b][1]),
             what + " moved " + kBars[b]);
    CHECK(sameBits(now.scan1, before_.scan1) && sameBits(now.scan2, before_.scan2) && sameBits(now.norm1, before_.norm1) &&
               sameBits(now.norm2, before_.norm2) && sameBits(now.slopes1, before_.slopes1) &&
               sameBits(now.slopes2, before_.slopes2),
           what + " changed the data");
    for (int c = 0; c < 3; ++c) CHECK(now.dataState[c] == before_.dataState[c], what + " changed a data state");
    CHECK(now.lineSel == before_.lineSel && now.shiftCount == before_.shiftCount, what + " changed the channel or shift");
    CHECK(std::memcmp(now.extremes, before_.extremes, sizeof now.extremes) == 0 &&
               std::memcmp(now.positions, before_.positions, sizeof now.positions) == 0,
           what + " changed the extremes tables");
    CHECK(drew || now.revision == before_.revision, what + " drew on the chart");
  }

  // The scans and normalised tables stay; slopes change only where allowed.
  void tablesUnchanged() {
    const Form& f = form();
    CHECK(sameBits(f.Scan1, before_.scan1) && sameBits(f.Scan2, before_.scan2) && sameBits(f.Norm1, before_.norm1) &&
               sameBits(f.Norm2, before_.norm2) && sameBits(f.Slopes1, before_.slopes1) &&
               sameBits(f.Slopes2, before_.slopes2),
           "a calculation changed the data");
  }

  // Slopes written for channel c (all when -1) at points lo..hi, each the
  // difference of the normalised value to the point below; nothing else moves.
  void slopesOnly(int c, int lo, int hi) {
    const Form& f = form();
    CHECK(sameBits(f.Scan1, before_.scan1) && sameBits(f.Scan2, before_.scan2) && sameBits(f.Norm1, before_.norm1) &&
               sameBits(f.Norm2, before_.norm2),
           "the slopes changed the data");
    for (int file = 1; file <= 2; ++file) {
      const Table& s = file == 1 ? f.Slopes1 : f.Slopes2;
      const Table& was = file == 1 ? before_.slopes1 : before_.slopes2;
      const Table& norm = file == 1 ? f.Norm1 : f.Norm2;
      for (int i = 0; i <= kLastPoint; ++i)
        for (int k = 0; k < 3; ++k) {
          const auto p = static_cast<std::size_t>(i), q = static_cast<std::size_t>(k);
          if ((c < 0 || k == c) && i >= lo && i <= hi)
            CHECK(sameBits(s[p][q], norm[p][q] - norm[p - 1][q]), "slope " + std::to_string(i) + " is no difference");
          else
            CHECK(sameBits(s[p][q], was[p][q]), "a slope outside the range changed at " + std::to_string(i));
        }
    }
  }

  // A calculation's three boxes: a number within [lo, hi], or "no value".
  void results(const char* name, double lo, double hi) {
    for (int k = 0; k < 3; ++k) {
      const std::string& t = *form().text(name, k);
      written(name, k);
      if (t == kNoValue) continue;
      CHECK(isNumberText(t), std::string(name) + "(" + std::to_string(k) + ") reads \"" + t + "\"");
      const double v = varnel::model::numericValue(t);
      CHECK(v >= lo && v <= hi, std::string(name) + "(" + std::to_string(k) + ") reads " + t + ", outside its range");
    }
    // Every other result box keeps its text.
    for (const char* other : {"AreaRatio", "SlopeComp", "Correlation", "r_ratio", "t_ratio"})
      if (std::strcmp(other, name) && !(std::strcmp(name, "r_ratio") == 0 && std::strcmp(other, "t_ratio") == 0) &&
          !(std::strcmp(name, "t_ratio") == 0 && std::strcmp(other, "r_ratio") == 0))
        for (int k = 0; k < 3; ++k)
          CHECK(*form().text(other, k) == before_.texts[boxIndex(other, k)], std::string(name) + " changed " + other);
  }

  // After the comparison chart of channel c was drawn from cut-offs L0..U0:
  // each file with points shows the extremes of its range (File 1 searched
  // after its own pull-back of the cursors, File 2 after both), only channel
  // c of the normalised tables changed.
  void drawn(int c, int L0, int U0, bool oneChannel = true) {
    const Form& f = form();
    for (int file = 1; oneChannel && file <= 2; ++file) {
      const Table& norm = file == 1 ? f.Norm1 : f.Norm2;
      const Table& was = file == 1 ? before_.norm1 : before_.norm2;
      for (std::size_t i = 0; i <= kLastPoint; ++i)
        for (std::size_t k = 0; k < 3; ++k)
          if (static_cast<int>(k) != c)
            CHECK(sameBits(norm[i][k], was[i][k]), "drawing channel " + std::to_string(c) + " changed channel " + std::to_string(k));
    }
    const int n1 = f.pointCount(1);
    int L = L0, U = U0;
    if (n1 > 0) {
      if (n1 < U) U = n1;
      if (n1 < L) L = n1 - 1;
    }
    for (int file = 1; file <= 2; ++file) {
      const int n = f.pointCount(file);
      if (n <= 0) continue;
      if (file == 2) L = bar(0).Value(), U = bar(1).Value();
      CHECK(U <= n && L <= n, "the cut-offs " + cutoffs() + " stand beyond File " + std::to_string(file) + "'s data");
      const Table& scan = file == 1 ? f.Scan1 : f.Scan2;
      double hi = 0.0, lo = 80.0;
      for (int i = L; i <= U; ++i) {
        const double v = scan[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)];
        if (v > hi) hi = v;
        if (v < lo) lo = v;
      }
      CHECK(f.MaxTemp[file].Text == formatNumber(hi) && f.MinTemp[file].Text == formatNumber(lo),
             "File " + std::to_string(file) + " shows " + f.MaxTemp[file].Text + " / " + f.MinTemp[file].Text +
                 " for channel " + std::to_string(c) + " over " + std::to_string(L) + ".." + std::to_string(U) +
                 ", not " + formatNumber(hi) + " / " + formatNumber(lo));
      written("MaxTemp", file);
      written("MinTemp", file);
      for (int at : {file - 1, file + 1}) {
        written("Max_at", at);
        const std::string& t = f.Max_at[at].Text;
        const double v = varnel::model::numericValue(t);
        CHECK(t.empty() || (formatInt(static_cast<long>(v)) == t && v >= 0 && v <= kLastPoint),
               "a position reads \"" + t + "\"");
      }
    }
  }

  void checkDialog() {
    if (!expectedDialog_) {
      CHECK(dialog_.calls.empty(), "an action asked for a file name");
      return;
    }
    CHECK(dialog_.calls.size() == 1 && dialog_.answers.empty(), "the file dialog was asked " + std::to_string(dialog_.calls.size()) + " times");
    const auto& call = dialog_.calls[0];
    CHECK(call.kind == expectedKind_ && call.defaultName == expectedDialog_ && call.filter == varnel::app::kScanFilter,
           "the file dialog was asked with \"" + call.defaultName + "\"");
  }

  // What holds after every action.
  void invariants() {
    const Form& f = form();
    const int ranges[4][2] = {{0, 225}, {80, 500}, {0, 100}, {0, 200}};
    for (int b = 0; b < 4; ++b) {
      const ScrollBar& s = bar(b);
      const bool lowered = b == 1 && s.Min >= 0 && s.Min <= 80;  // a short file lowers the upper bar's bottom
      CHECK((s.Min == ranges[b][0] || lowered) && s.Max == ranges[b][1], std::string(kBars[b]) + " has the range " +
                                                                             std::to_string(s.Min) + ".." + std::to_string(s.Max));
      CHECK(s.Value() >= s.Min && s.Value() <= s.Max, std::string(kBars[b]) + " stands outside its range");
    }
    for (int file = 1; file <= 2; ++file) {
      const int n = f.pointCount(file);
      CHECK(n >= -1 && n <= kLastPoint && f.Pntnum[file].Text == formatInt(n),
             "Pntnum(" + std::to_string(file) + ") reads \"" + f.Pntnum[file].Text + "\"");
      CHECK(n == lastPoint_[file], "File " + std::to_string(file) + " ends at " + std::to_string(n) + ", not " +
                                        std::to_string(lastPoint_[file]));
      CHECK(f.Filename[file].Text == path_[file], "Filename(" + std::to_string(file) + ") reads " + f.Filename[file].Text);
    }
    // The frame keeps its design caption until a load or a shift writes the count.
    const std::string caption =
        countShown_ ? "Shift Chart Up " + varnel::model::formatSigned(shiftCount_) : std::string("Shift Chart Up");
    CHECK(f.ShiftCount == shiftCount_ && f.Frame1.Caption == caption,
           "the shift count reads \"" + f.Frame1.Caption + "\"");
    CHECK(f.LineSel >= 0 && f.LineSel <= 2, "LineSel is " + std::to_string(f.LineSel));
    for (const auto& s : f.DataState) CHECK(s == "Raw" || s == "Smoothed", "a data state reads " + s);
    const std::string& title = *form().text("Label3");
    CHECK(title == "Scanning" || title == "Slopes" || title == f.ChannelNames[0] || title == f.ChannelNames[1] ||
               title == f.ChannelNames[2],
           "the chart title reads " + title);

    if (typedNow_ >= 0) typed_[static_cast<std::size_t>(typedNow_)] = true;
    const Snapshot now = snap();
    for (std::size_t i = 0; i < boxes_.size(); ++i)
      if (static_cast<int>(i) != typedNow_ && now.texts[i] != before_.texts[i]) typed_[i] = false;
    // Boxes beside the bars show the bar unless the user typed over them.
    const char* shows[4] = {"LowerCutoff", "UpperCutoff", "ShiftNum", "Threshold"};
    for (int b = 0; b < 4; ++b) {
      const std::size_t i = boxIndex(shows[b], -1);
      const std::string want = b == 3 ? formatNumber(bar(b).Value() / 100.0) : formatInt(bar(b).Value());
      CHECK(typed_[i] || now.texts[i] == want, std::string(shows[b]) + " reads \"" + now.texts[i] + "\" beside " + want);
    }
    for (std::size_t i = 0; i < boxes_.size(); ++i)
      if (!typed_[i] && std::strcmp(boxes_[i].name, "Filename") != 0)
        CHECK(!hasNonFiniteWord(now.texts[i]),
               std::string(boxes_[i].name) + "(" + std::to_string(boxes_[i].index) + ") reads \"" + now.texts[i] + "\"");
  }

  Options opt_;
  std::mt19937_64 rng_;
  ScratchDir dir_;
  ScanShelf shelf_;
  ScriptedDialog dialog_;
  RecordedMessages messages_;
  std::unique_ptr<Form> form_;
  std::vector<Box> boxes_;
  std::vector<bool> typed_;  // the user's text stands in the box
  int typedNow_ = -1;
  Snapshot before_{};
  long number_ = 0;
  int lastPoint_[3] = {0, 0, 0};
  std::string path_[3];
  std::int16_t shiftCount_ = 0;
  bool countShown_ = false;
  const char* expectedDialog_ = nullptr;
  DialogKind expectedKind_ = DialogKind::Open;
  bool messageAllowed_ = false;
  long exits_ = 0, writes_ = 0;
  std::deque<std::string> trail_;
  Slowest slowest_;
  double handlerMillis_ = 0.0;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--actions" && more) o.actions = std::strtol(argv[++i], nullptr, 10);
    else if (a == "--seed" && more) o.seed = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--max-ms" && more) o.maxMillis = std::strtod(argv[++i], nullptr);
    else if (a == "--verbose") o.verbose = true;
    else return false;
  }
  return o.actions > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: random_use [--actions N] [--seed S] [--max-ms MS] [--verbose]\n");
    return 2;
  }
  const auto t0 = std::chrono::steady_clock::now();
  RandomUse run(o);
  long done = 0;
  bool ok = true;
  try {
    for (; done < o.actions; ++done) run.step(done + 1);
  } catch (const Failure& f) {
    ok = false;
    std::printf("random_use: FAILED at action %ld of seed %llu: %s\nlast actions:\n%s", done + 1,
                static_cast<unsigned long long>(o.seed), f.what.c_str(), run.trail().c_str());
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("random_use: %.1f s (%.1f s in the window's handlers), %ld files written, %ld exits; slowest action "
              "%.1f ms: %s\n",
              secs, run.handlerSeconds(), run.writes(), run.exits(), run.slowest().millis, run.slowest().what.c_str());
  std::printf("random_use: %ld actions, seed %llu: %d passed, %d failed\n", o.actions,
              static_cast<unsigned long long>(o.seed), ok ? 1 : 0, ok ? 0 : 1);
  return ok ? 0 : 1;
}
