#pragma once
// The calculator's one window, free of any toolkit. It owns the scan data,
// the texts, captions and bar values of every control, and the chart
// surface; its event handlers keep the window's own names. A view (the Qt
// window, the batch driver, the tests) builds the controls from layout.hpp,
// forwards the user's clicks, bar moves and typing to the handlers, and shows
// what the form holds afterwards. Dialogs reach the outside through the two
// interfaces of dialogs.hpp.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/dialogs.hpp"
#include "app/layout.hpp"
#include "app/messages.hpp"
#include "chart/scaling.hpp"
#include "chart/surface.hpp"
#include "model/scan_file.hpp"
#include "model/tables.hpp"

namespace varnel::app {

struct TextBox {
  std::string Text;
};

struct Captioned {  // labels, frames, buttons
  std::string Caption;
};

// The range, steps and start value of a scroll bar.
struct BarRange {
  int min, max, smallChange, largeChange, start;
};
inline constexpr BarRange kLowerCutoffBar{0, 225, 1, 10, 0};
inline constexpr BarRange kUpperCutoffBar{80, 500, 1, 10, 500};
inline constexpr BarRange kShiftBar{0, 100, 1, 3, 0};
inline constexpr BarRange kThresholdBar{0, 200, 1, 10, 0};  // threshold x 100

// A vertical bar with its larger value at the top end. Setting a different
// value runs Change at once; setting the value it holds runs nothing. Values
// are kept within Min..Max.
class ScrollBar {
 public:
  explicit ScrollBar(const BarRange& r)
      : Min(r.min), Max(r.max), SmallChange(r.smallChange), LargeChange(r.largeChange), value_(r.start) {}

  int Value() const { return value_; }
  void setValue(int v);

  int Min, Max, SmallChange, LargeChange;
  std::function<void()> Change;

 private:
  int value_;
};

inline constexpr const char* kScanFilter = "Data Files (*.txt)|*.txt";

class Form {
 public:
  Form(FileDialog& dialog, MessageBox& messages);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // ---- controls (arrays indexed as on the window: files 1 and 2, channels 0..2)
  // (std::array, so a checked build stops at an index past the end)
  using Boxes = std::array<TextBox, 3>;
  Boxes Filename, Pntnum, MaxTemp, MinTemp;
  std::array<TextBox, 4> Max_at;
  Boxes AreaRatio, SlopeComp, Correlation, r_ratio, t_ratio;
  TextBox Threshold, ShiftNum, LowerCutoff, UpperCutoff;
  Captioned Label3, Label13, Frame1;
  std::array<Captioned, 3> LineButton;
  ScrollBar VScroll1{kLowerCutoffBar};
  ScrollBar VScroll2{kUpperCutoffBar};
  ScrollBar VScroll3{kShiftBar};
  ScrollBar VScroll4{kThresholdBar};
  chart::Surface Picture1{287, 500};

  // ---- data model
  model::Table LoadBuf{}, Scan1{}, Scan2{}, Norm1{}, Norm2{}, ShiftBuf{}, Slopes1{}, Slopes2{};
  std::int16_t LineSel = 0;
  std::array<std::string, 7> ChannelNames;
  std::array<std::string, 3> DataState;
  std::int16_t PointCount = 0;
  std::array<float, 4> MaxVal1{}, MaxVal2{}, MinVal1{}, MinVal2{};
  std::array<std::int16_t, 4> MaxAt1{}, MaxAt2{}, MinAt1{}, MinAt2{};
  std::int16_t ShiftCount = 0;

  // ---- event handlers
  void Form_Load();
  void ClearButton_Click();
  void fileexit_Click();
  void Filename_Click(int Index);
  void fileopen_Click();
  void fileopen2_Click();
  void filesave_Click();
  void normexport_Click();
  void LineButton_Click(int Index);
  void Smoothbutton_Click();
  void SlopeChart_Click();
  void VScroll1_Change();
  void VScroll2_Change();
  void VScroll3_Change();
  void VScroll4_Change();
  void Shift1_Click();
  void Shift2_Click();
  void CalcArea_Click();
  void CalcSlope_Click();
  void CalcCorrelation_Click();
  void Quil_Tesk_Click();

  // Runs when the user leaves the program ("&Exit").
  std::function<void()> onExit;
  // Reads the scan file chosen for "Open File1" or "Open File2". A series of
  // visits hands one that reads each of its files once.
  std::function<model::ScanRead(const std::string& path)> readScan = model::readScanFile;

  // ---- access by control name, for views and drivers
  // The handler of a click on a button, menu item or file-name box; false
  // when the control has none.
  bool click(std::string_view name, int index = -1);
  // The live text or caption of a control the program writes; nullptr for
  // controls whose caption never changes (their text stands in layout.hpp).
  std::string* text(std::string_view name, int index = -1);
  ScrollBar* scrollBar(std::string_view name);
  // Whole number held by a point-count box.
  int pointCount(int file) const;
  // The channel on show (0 Delta-T, 1 Left, 2 Right) and the cut-offs' points.
  int channelOnShow() const { return LineSel; }
  int lowerCutoff() const { return VScroll1.Value(); }
  int upperCutoff() const { return VScroll2.Value(); }

 private:
  std::string GetFileName(const std::string& defaultName, DialogKind kind);
  bool LoadScanFile(int Index);
  void placeScan(model::Table& scan);
  void DrawScans(int ch);
  // The chart row of a point.
  float rowOf(int point) const { return static_cast<float>(Picture1.ScaleHeight()) - static_cast<float>(point); }
  int pixelRowOf(int point) const { return Picture1.ScaleHeight() - point; }  // the pixel of rowOf(point)
  void traceStep(int i, double from, double to);
  void drawGrid();
  void drawFile(int file, int ch, int colour, int& hiAt, int& loAt);
  void showExtremes(int file, const chart::Extremes& e);
  void cutoffLine(int v);
  void SmoothScans(int channel, int halfWidth);
  void ComputeSlopes(int channel, int margin);
  void shiftFile(int file);
  void showShiftCount();
  void save(const std::string& what, const std::string& path, const std::string& bytes);

  FileDialog& dialog_;
  MessageBox& messages_;
};

}  // namespace varnel::app
