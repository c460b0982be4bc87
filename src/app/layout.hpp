#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace varnel::app {

enum class Kind { Label, TextBox, Button, Frame, ScrollBar, Chart };

// One control of the window at its fixed place in the 632 x 541 client area.
struct ControlDef {
  const char* name = "";
  int index = -1;  // member of a control array, -1 for a single control
  Kind kind = Kind::Label;
  int x = 0, y = 0, w = 0, h = 0;
  const char* text = "";  // caption or text before start-up
  double fontPt = 8.25;
  std::uint32_t fg = 0x000000;  // 0xRRGGBB
  std::uint32_t bg = 0xC0C0C0;
  bool alignRight = false;
  bool readOnly = false;   // text boxes the program alone writes
  bool opensScan = false;  // a click on it, or a file dropped on it, loads a scan
};

inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 541;
inline constexpr std::uint32_t kWindowBackground = 0xC0C0C0;
inline constexpr const char* kTitle = "Thermographic Varnel Analysis Calculator";
inline constexpr const char* kCaption = "Varnel Analysis";

std::span<const ControlDef> controls();

// The one menu, "&File", and its items in order.
struct MenuItem {
  const char* name;
  const char* caption;
};
inline constexpr const char* kMenuCaption = "&File";
std::span<const MenuItem> menuItems();

}  // namespace varnel::app
