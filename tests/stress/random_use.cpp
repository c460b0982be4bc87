// Long random use of the window logic, as a restless user would: loads of good, short, wild, empty and broken scans and
// of missing files, cancelled dialogs, bar moves, typing anything, every button and menu item. After every action the
// checks are of what holds whatever the arithmetic: a refused or cancelled action changes nothing, texts the program
// writes are canonical numbers, bars stay in range, files are whole. A failure prints the seed and the action.
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/form.hpp"
#include "model/number_text.hpp"
#include "support/form_state.hpp"
#include "support/scripted.hpp"  // also <filesystem>, <random>, <string>, <vector>

namespace {

using namespace varnel::app;
using namespace varnel::model;
using namespace varnel::test;
using std::string, std::to_string;

#define CHECK(ok, what) \
  if (ok) {             \
  } else                \
    throw string(what)  // `what` is built only on failure

bool isNumberText(const string& t) { return std::isfinite(numericValue(t)) && formatNumber(numericValue(t)) == t; }
std::vector<string> split(const char* s) {  // "a|b" -> {"a", "b"}
  std::vector<string> v(1);
  for (; *s; ++s) *s == '|' ? v.emplace_back() : v.back() += *s;
  return v;
}
const char* const kBars[4] = {"VScroll1", "VScroll2", "VScroll3", "VScroll4"};
const char* const kShows[4] = {"LowerCutoff", "UpperCutoff", "ShiftNum", "Threshold"};  // the box beside each bar

struct RandomUse {
  explicit RandomUse(std::uint64_t seed) : rng(seed) {
    std::filesystem::create_directories(dir.path() / "out" / "folder.txt");  // no scan, nor a place to write
    dir.write("plain.txt", "");                                              // nor is a place under a file
    newWindow();
  }
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
  const auto& any(const auto& v) { return v[uniform(0, int(v.size()) - 1)]; }
  // A scan to load and the point count a load shows (-2: refused; "" cancels): a new one, at times of a length at an
  // edge of the format, flat, wild, Delta-T near the single limit, readings below the double range, or LF line ends,
  // under an odd name; a broken, missing or no file.
  std::pair<string, int> scan() {
    static const auto bad = split("1,2\r\n3,warm|1,2\r\n3\r\n|1,,2|1e999,35|1.5e308,35|3e38,-3e38|\x89PNG\r\n\x1a");
    static const auto names = split("scan|odd, \"name\" \xC3\xA9|line\nbreak");
    static const std::vector<int> edges = {0, 1, 2, 3, 10, 11, 60, 79, 80, 81, 225, 226, 500, 501, 502, 600};
    const int r = uniform(0, 12), n = uniform(0, 2) ? uniform(1, 600) : any(edges), kind = uniform(0, 9);
    if (r < 2) return {dir.file(r ? "missing.txt" : "out/folder.txt"), -2};
    if (r < 5) return {dir.write("bad.txt", any(bad)), -2};
    if (r < 7) return {"", 0};
    std::vector<std::pair<double, double>> v;
    for (double i = 0, base = uniform(-20, 120), wave = real(0.1, 2); i < n; ++i) {
      const double left = base + wave * std::sin(i / 23) + real(-0.1, 0.1), huge = uniform(0, 1) ? 1.6e38 : -1.6e38,
                   wild = kind == 3 && !uniform(0, 50) ? 1e7 : 1;
      const std::pair<double, double> kinds[] = {
          {35, 35}, {huge, -huge}, {real(-3e-320, 3e-320), 0}, {left, left - 0.3 + real(-0.1, 0.1) * wild}};
      v.push_back(kinds[std::min(kind, 3)]);
    }
    string text = n == 0 && kind < 5 ? "\r\n  \r\n\n" : scanText(v);
    if (kind == 4) std::erase(text, '\r');
    return {dir.write(any(names) + to_string(number) + ".txt", text), std::min(n, 501) - 1};
  }
  string randomText() {
    static const auto fixed = split(
        "|0|-0|1|0.5| 0.25 |-3|\x01\xff|1e999|-1e999|1e308|1e-400|nan|inf|-inf|Infinity|1e|-|.|+.5e-3|12abc|0x1p3|"
        "9999999999999999999999999|-1.7976931348623157e308|\xC3\xA9t\xC3\xA9|0.5\r\n|\r\n\r\n");
    char buf[40];
    if (uniform(0, 1)) return any(fixed);
    return string(buf, std::snprintf(buf, sizeof buf, "%.*g", uniform(1, 17), real(-300, 300)));
  }
  void step(unsigned long long n) {
    number = n, asked = messageAllowed = kept = false;
    messages.shown.clear(), dialog.calls.clear(), before = texts();
    static const std::pair<int, void (RandomUse::*)()> acts[] = {
        {75, &RandomUse::load},    {325, &RandomUse::moveBar}, {150, &RandomUse::type}, {36, &RandomUse::click},
        {330, &RandomUse::button}, {60, &RandomUse::shift},    {22, &RandomUse::save},  {2, &RandomUse::newWindow}};
    for (int r = uniform(1, 1000); const auto& [weight, act] : acts)
      if ((r -= weight) <= 0) return (this->*act)(), check();
  }
  // What holds after every action, whatever the arithmetic.
  void check() {
    if (!kept) state.reset();
    CHECK(dialog.calls.size() == std::size_t(asked) && dialog.answers.empty(),
          "the file dialog was asked " + to_string(dialog.calls.size()) + " times");
    CHECK(messageAllowed || messages.shown.empty(), "a message was shown: " + messages.shown[0].text);
    const Form& f = *form;
    const int mins[] = {0, 80, 0, 0}, maxes[] = {225, 500, 100, 200};  // a short file lowers the upper bar's bottom
    for (int b = 0; b < 4; ++b) {
      const ScrollBar& s = bar(b);
      CHECK(s.Min >= 0 && s.Min <= mins[b] && s.Max == maxes[b] && s.Value() >= s.Min && s.Value() <= s.Max,
            string(kBars[b]) + " left its range");
    }
    for (int file = 1; file <= 2; ++file)
      CHECK(f.Filename[file].Text == fileName[file] && f.pointCount(file) >= -1 && f.pointCount(file) <= 500 &&
                f.Pntnum[file].Text == formatInt(f.pointCount(file)),
            "File " + to_string(file) + " shows \"" + f.Pntnum[file].Text + "\" points of " + f.Filename[file].Text);
    for (std::size_t i = 0; i < live.size(); ++i)  // a text the program wrote is its own: a number or none
      CHECK(*live[i] == before[i] || defs[i]->kind != Kind::TextBox || defs[i]->name == string("Filename") ||
                live[i]->empty() || *live[i] == kNoValue || *live[i] == defs[i]->text || isNumberText(*live[i]),
            id(i) + " reads \"" + *live[i] + "\"");
  }
  void newWindow() {  // which must share nothing with the busy one before it
    action = "new window";
    form = std::make_unique<Form>(dialog, messages);
    fileName[1] = fileName[2] = "Text2";
    defs.clear(), live.clear(), editable.clear();
    for (const auto& c : controls())
      if (string* t = form->text(c.name, c.index)) {
        if (c.kind == Kind::TextBox && !c.readOnly) editable.push_back(defs.size());
        defs.push_back(&c), live.push_back(t);
      }
    before = texts();
  }
  // Runs `act`, which must change nothing of the window (but the chart, when it may); the window's state after it, dear
  // to take (the chart's pixels), is the next one's start.
  void keeps(const string& what, bool chart, auto act) {
    action = what;
    FormState was = state ? std::move(*state) : formState(*form), now = (act(), formState(*form));
    if (chart) was.pixels = now.pixels, was.revision = now.revision;
    CHECK(now == was, what + " changed " + now.firstDifference(was));
    state = std::move(now), kept = true;
  }
  // Clear, which clears the chart only, Exit, and clicks that run nothing.
  void click() {
    static const std::vector<std::pair<const char*, int>> clicks = {
        {"ClearButton", -1}, {"ClearButton", -1}, {"fileexit", -1},  {"Filename", 0},
        {"Filename", 3},     {"LineButton", -1},  {"LineButton", 3}, {"Label3", -1}};
    const auto [name, index] = any(clicks);
    keeps(string("click ") + name + "(" + to_string(index) + ")", name == string("ClearButton"),
          [&] { form->click(name, index); });
  }
  void load() {
    const auto [path, points] = scan();
    const int file = uniform(1, 2), via = uniform(0, 2);
    dialog.answers.push_back(path), asked = true;
    const auto open = [&] { via ? form->click(file == 1 ? "fileopen" : "fileopen2") : form->click("Filename", file); };
    const string what = (via ? "menu Open File" : "click Filename") + to_string(file) + ": " + path;
    if (points < -1 || path.empty()) {  // refused or cancelled
      messageAllowed = !path.empty();
      keeps(what, false, open);
      CHECK(path.empty() || (messages.shown.size() == 1 && messages.shown[0].text.find(path) != string::npos),
            "a refused scan gave " + to_string(messages.shown.size()) + " messages, not one naming the file");
      return;
    }
    action = what;
    const Table other = file == 1 ? form->Scan2 : form->Scan1;
    open();
    fileName[file] = path;
    CHECK(form->Pntnum[file].Text == formatInt(points) && other == (file == 1 ? form->Scan2 : form->Scan1) &&
              std::ranges::count(form->DataState, "Raw") == 3,
          "a load shows " + form->Pntnum[file].Text + " points, not " + to_string(points) + ", or changed more");
  }
  // A bar moved changes its value and the box beside it only (and the chart, for a cut-off).
  void moveBar() {
    const int b = uniform(0, 3);
    ScrollBar& s = bar(b);
    const int step = uniform(-1, 1) * (uniform(0, 1) ? s.SmallChange : s.LargeChange);
    const int v = std::clamp(uniform(0, 1) ? s.Value() + step : uniform(s.Min - 40, s.Max + 40), s.Min, s.Max);
    action = string("move ") + kBars[b] + " to " + to_string(v);
    std::vector<int> bars = barValues();
    const std::size_t shows = std::ranges::find(live, form->text(kShows[b])) - live.begin();
    s.setValue(v);
    before[shows] = v == bars[b] ? before[shows] : b == 3 ? formatNumber(v / 100.0) : formatInt(v), bars[b] = v;
    CHECK(texts() == before && barValues() == bars, string(kBars[b]) + " moved to " + to_string(v) + " changed more");
  }
  void type() {
    const std::size_t i = any(editable);
    before[i] = *live[i] = randomText();
    action = "type \"" + *live[i] + "\" into " + id(i);
  }
  // A button of the chart or a calculation: only Smooth changes the scans; a calculation moves no bar and changes no
  // table; a channel button charts that channel.
  void button() {
    static const auto buttons =
        split("LineButton|LineButton|Smoothbutton|SlopeChart|CalcArea|CalcSlope|CalcCorrelation|Quil_Tesk");
    const string name = any(buttons);
    const bool line = name == "LineButton", smooth = name == "Smoothbutton";
    const bool calc = name.starts_with("Calc") || name == "Quil_Tesk";
    const int c = line ? uniform(0, 2) : form->LineSel;
    action = name + " (channel " + to_string(c) + ", threshold \"" + form->Threshold.Text + "\")";
    const Table kept[4] = {form->Scan1, form->Scan2, form->Norm1, form->Norm2};
    const std::vector<int> bars = barValues();
    messageAllowed = name == "Quil_Tesk";
    form->click(name, line ? c : -1);
    const Form& f = *form;
    CHECK(smooth || (kept[0] == f.Scan1 && kept[1] == f.Scan2), name + " changed the scans");
    CHECK(!calc || (barValues() == bars && kept[2] == f.Norm1 && kept[3] == f.Norm2), name + " moved a bar");
    CHECK(!line || (f.LineSel == c && f.Label3.Caption == f.ChannelNames[c] && f.Label13.Caption == f.DataState[c] &&
                    f.LineButton[c].Caption == f.ChannelNames[c + 3] &&  // the chosen button marked, the next not
                    f.LineButton[(c + 1) % 3].Caption == f.ChannelNames[(c + 1) % 3]),
          "the chart is not of channel " + to_string(c));
  }
  // A shift is refused only when the points or the lower cut-off would leave their range.
  void shift() {
    const int file = uniform(1, 2), n = uniform(0, 2) ? uniform(0, 10) : uniform(0, 100);
    action = "shift File " + to_string(file) + " by " + to_string(n);
    bar(2).setValue(n);
    const int points = form->pointCount(file), lower = bar(0).Value(), count = form->ShiftCount;
    const FormState was = formState(*form);
    form->click(file == 1 ? "Shift1" : "Shift2");
    if ((messageAllowed = !messages.shown.empty())) {
      const FormState now = formState(*form);
      CHECK(messages.shown.size() == 1 && now == was, "a refused shift changed " + now.firstDifference(was));
      CHECK(points + n > kLastPoint || lower + n > bar(0).Max, "a shift within the limits was refused");
      return;
    }
    CHECK(form->ShiftCount == count + (file == 1 ? n : -n), "a shift counted " + to_string(form->ShiftCount));
  }
  // "&Output Results" or "&Export Normed Data" to a good, impossible or no name: a file written is whole, one not
  // written leaves nothing behind.
  void save() {
    const bool exportData = uniform(0, 6) == 0;
    const string menu = exportData ? "normexport" : "filesave", out = dir.file("out/" + menu);
    const string path = any(std::vector<string>{out, out, out, dir.file("out/folder.txt"), dir.file("nowhere/x.txt"),
                                                dir.file("plain.txt/x.txt"), ""});
    dialog.answers.push_back(path), asked = true;
    messageAllowed = path != out && !path.empty();
    keeps("menu " + menu + ": " + path, false, [&] { form->click(menu); });
    CHECK(messages.shown.size() == messageAllowed && (path == out || !std::filesystem::is_regular_file(path)),
          "writing " + path + " gave " + to_string(messages.shown.size()) + " messages or left a file");
    const string text = path == out ? readAll(path) : "";
    std::size_t lines = 0, at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != string::npos; at = end + 2) ++lines;
    CHECK(path != out || (at == text.size() &&
                          lines == std::size_t(exportData ? 2 + std::max(-1, bar(1).Value() - bar(0).Value()) : 49)),
          menu + " wrote " + to_string(lines) + " lines, or one not ended by CR LF");
    CHECK(!exportData || (text.find("nan") == string::npos && text.find("inf") == string::npos), "export reads nan");
  }
  ScrollBar& bar(int b) { return *form->scrollBar(kBars[b]); }
  std::vector<int> barValues() { return {bar(0).Value(), bar(1).Value(), bar(2).Value(), bar(3).Value()}; }
  std::vector<string> texts() {  // in the order of FormState::texts
    std::vector<string> t;
    for (const string* s : live) t.push_back(*s);
    return t;
  }
  string id(std::size_t i) const { return defs[i]->name + ("(" + to_string(defs[i]->index) + ")"); }
  std::mt19937_64 rng;
  ScratchDir dir;
  ScriptedDialog dialog;
  RecordedMessages messages;
  std::unique_ptr<Form> form;
  std::optional<FormState> state;       // the window after the last action, when taken
  std::vector<const ControlDef*> defs;  // the controls whose text the program writes,
  std::vector<string*> live;            // their texts, as they stand
  std::vector<string> before;           // and as they stood before this action (or as typed)
  std::vector<std::size_t> editable;    // those the user may type into
  string fileName[3];
  bool asked = false, messageAllowed = false, kept = false;  // asked: the file dialog is to be asked, once
  unsigned long long number = 0;
  string action;  // what the last action was
};

}  // namespace

int main(int argc, char** argv) {
  unsigned long long actions = 100000, seed = 1;
  for (int i = 1; i + 1 < argc; i += 2)
    (argv[i] == string("--seed") ? seed : actions) = std::strtoull(argv[i + 1], 0, 10);
  // Snapshots of the chart come and go every action: keep their memory rather than map it afresh each time.
  mallopt(M_MMAP_THRESHOLD, 64 << 20), mallopt(M_TRIM_THRESHOLD, 256 << 20);
  RandomUse run(seed);
  try {
    for (unsigned long long n = 1; n <= actions; ++n) run.step(n);
  } catch (const string& failure) {
    std::printf("random_use: FAILED at action %llu (%s) of seed %llu: %s\n", run.number, run.action.c_str(), seed,
                failure.c_str());
    return 1;
  }
  std::printf("random_use: %llu actions, seed %llu passed\n", actions, seed);
}
