#include "app/form.hpp"

#include <cmath>
#include <span>

#include "model/number_text.hpp"
#include "model/palette.hpp"
#include "model/scan_file.hpp"

namespace varnel::app {

using model::formatInt;
using model::formatSigned;

void ScrollBar::setValue(int v) {
  if (v < Min) v = Min;
  if (v > Max) v = Max;
  if (v == value_) return;
  value_ = v;
  if (Change) Change();
}

Form::Form(FileDialog& dialog, MessageBox& messages) : dialog_(dialog), messages_(messages) {
  for (const auto& c : controls())
    if (std::string* t = text(c.name, c.index)) *t = c.text;
  VScroll1.Change = [this] { VScroll1_Change(); };
  VScroll2.Change = [this] { VScroll2_Change(); };
  VScroll3.Change = [this] { VScroll3_Change(); };
  VScroll4.Change = [this] { VScroll4_Change(); };
  Form_Load();
}

void Form::Form_Load() {
  static const char* const names[7] = {"Delta-T",      "Left Temp",     "Right Temp", "Delta-T ON",
                                       "Left Temp ON", "Right Temp ON", "Slopes"};
  for (int i = 0; i < 7; ++i) ChannelNames[i] = names[i];
  for (auto& s : DataState) s = "Raw";
  Pntnum[1].Text = "0";
  Pntnum[2].Text = "0";
  Threshold.Text = "0.1";
  VScroll4.setValue(100);
}

void Form::ClearButton_Click() { Picture1.clear(); }

void Form::fileexit_Click() {
  if (onExit) onExit();
}

void Form::Filename_Click(int Index) {
  if (Index == 1) fileopen_Click();
  if (Index == 2) fileopen2_Click();
}

std::string Form::GetFileName(const std::string& defaultName, DialogKind kind) {
  return dialog_.ask(kind, kScanFilter, defaultName);
}

int Form::pointCount(int file) const {
  const double v = model::numericValue(Pntnum[file].Text);
  if (!(v > -1000.0)) return -1;
  if (v > 1000.0) return 1000;
  return static_cast<int>(v);
}

// Reads the chosen file in full before anything changes, so a cancelled
// dialog, an unreadable file or a malformed one leaves the window as it was.
bool Form::LoadScanFile(int Index) {
  model::clear(LoadBuf);
  const std::string name = GetFileName("Untitled.txt", DialogKind::Open);
  if (name.empty()) return false;
  const model::ScanRead read = readScan(name);
  if (!read.ok()) {
    messages_.show(messages::cannotLoad(name, read.errorLine, read.error), kErrorTitle);
    return false;
  }
  Filename[Index].Text = name;
  for (int r = 0; r < read.count; ++r) {
    LoadBuf[static_cast<std::size_t>(r)][model::kLeft] = read.readings[static_cast<std::size_t>(r)].left;
    LoadBuf[static_cast<std::size_t>(r)][model::kRight] = read.readings[static_cast<std::size_t>(r)].right;
  }
  const int i = read.count;
  Pntnum[Index].Text = formatInt(i - 1);
  PointCount = static_cast<std::int16_t>(i - 1);
  VScroll1.setValue(0);
  VScroll1_Change();
  VScroll2.setValue(500);
  VScroll2.Min = kUpperCutoffBar.min;  // a short file may have lowered it (see DrawScans)
  VScroll2_Change();
  for (auto& s : DataState) s = "Raw";
  return true;
}

void Form::placeScan(model::Table& scan) {
  model::clear(scan);
  const int n = PointCount;
  for (int j = 0; j <= n; ++j) {
    auto& p = scan[static_cast<std::size_t>(j)];
    const auto& r = LoadBuf[static_cast<std::size_t>(n - j)];
    p[model::kLeft] = r[model::kLeft];
    p[model::kRight] = r[model::kRight];
    p[model::kDelta] = p[model::kLeft] - p[model::kRight];
  }
  ShiftCount = 0;
  showShiftCount();
}

void Form::showShiftCount() { Frame1.Caption = "Shift Chart Up " + formatSigned(ShiftCount); }

void Form::fileopen_Click() {
  if (!LoadScanFile(1)) return;
  placeScan(Scan1);
}

void Form::fileopen2_Click() {
  if (!LoadScanFile(2)) return;
  placeScan(Scan2);
  LineButton_Click(2);
  ClearButton_Click();
  LineButton_Click(0);
  ClearButton_Click();
  LineButton_Click(1);
}

void Form::VScroll1_Change() {
  LowerCutoff.Text = formatInt(VScroll1.Value());
  cutoffLine(VScroll1.Value());
}

void Form::VScroll2_Change() {
  UpperCutoff.Text = formatInt(VScroll2.Value());
  cutoffLine(VScroll2.Value());
}

void Form::ComputeSlopes(int channel, int margin) {
  const int L = VScroll1.Value();
  const int U = VScroll2.Value();
  const auto k = static_cast<std::size_t>(channel);
  for (int i = L + margin; i <= U - margin; ++i) {
    const auto p = static_cast<std::size_t>(i);
    Slopes1[p][k] = Norm1[p][k] - Norm1[p - 1][k];
    Slopes2[p][k] = Norm2[p][k] - Norm2[p - 1][k];
  }
}

bool Form::click(std::string_view name, int index) {
  using Handler = void (Form::*)();
  static constexpr std::pair<std::string_view, Handler> kHandlers[] = {
      {"ClearButton", &Form::ClearButton_Click},
      {"fileexit", &Form::fileexit_Click},
      {"fileopen", &Form::fileopen_Click},
      {"fileopen2", &Form::fileopen2_Click},
      {"filesave", &Form::filesave_Click},
      {"normexport", &Form::normexport_Click},
      {"Smoothbutton", &Form::Smoothbutton_Click},
      {"SlopeChart", &Form::SlopeChart_Click},
      {"Shift1", &Form::Shift1_Click},
      {"Shift2", &Form::Shift2_Click},
      {"CalcArea", &Form::CalcArea_Click},
      {"CalcSlope", &Form::CalcSlope_Click},
      {"CalcCorrelation", &Form::CalcCorrelation_Click},
      {"Quil_Tesk", &Form::Quil_Tesk_Click}};
  if (name == "Filename") {
    Filename_Click(index);
    return true;
  }
  if (name == "LineButton") {
    if (index < 0 || index > 2) return false;
    LineButton_Click(index);
    return true;
  }
  for (const auto& [handlerName, handler] : kHandlers) {
    if (name != handlerName) continue;
    (this->*handler)();
    return true;
  }
  return false;
}

std::string* Form::text(std::string_view name, int index) {
  const std::pair<std::string_view, std::span<TextBox>> arrays[] = {
      {"Filename", Filename}, {"Pntnum", Pntnum},       {"MaxTemp", MaxTemp},     {"MinTemp", MinTemp},
      {"Max_at", Max_at},     {"AreaRatio", AreaRatio}, {"SlopeComp", SlopeComp}, {"Correlation", Correlation},
      {"r_ratio", r_ratio},   {"t_ratio", t_ratio}};
  for (const auto& [arrayName, boxes] : arrays)
    if (name == arrayName)
      return index >= 0 && std::size_t(index) < boxes.size() ? &boxes[std::size_t(index)].Text : nullptr;
  if (name == "LineButton") return index >= 0 && index <= 2 ? &LineButton[index].Caption : nullptr;
  const std::pair<std::string_view, std::string*> singles[] = {
      {"Threshold", &Threshold.Text},     {"ShiftNum", &ShiftNum.Text}, {"LowerCutoff", &LowerCutoff.Text},
      {"UpperCutoff", &UpperCutoff.Text}, {"Label3", &Label3.Caption},  {"Label13", &Label13.Caption},
      {"Frame1", &Frame1.Caption}};
  for (const auto& [singleName, live] : singles)
    if (index == -1 && name == singleName) return live;
  return nullptr;
}

ScrollBar* Form::scrollBar(std::string_view name) {
  const std::pair<std::string_view, ScrollBar*> bars[] = {
      {"VScroll1", &VScroll1}, {"VScroll2", &VScroll2}, {"VScroll3", &VScroll3}, {"VScroll4", &VScroll4}};
  for (const auto& [barName, bar] : bars)
    if (name == barName) return bar;
  return nullptr;
}

}  // namespace varnel::app
