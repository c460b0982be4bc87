#include "app/layout.hpp"

#include <array>

namespace varnel::app {
namespace {

constexpr std::uint32_t kDarkGrey = 0x404040;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kCyan = 0x00FFFF;
constexpr double kLarge = 9.75;

using K = Kind;

// A text box: black on white unless given otherwise.
constexpr ControlDef box(const char* name, int index, int x, int y, int w, int h, const char* text, bool right = false,
                         bool readOnly = false) {
  return {name, index, K::TextBox, x, y, w, h, text, 8.25, 0x000000, kWhite, right, readOnly};
}
constexpr ControlDef label(const char* name, int index, int x, int y, int w, int h, const char* text,
                           double pt = 8.25) {
  return {name, index, K::Label, x, y, w, h, text, pt};
}
constexpr ControlDef button(const char* name, int index, int x, int y, int w, int h, const char* text, double pt = 8.25,
                            std::uint32_t bg = 0xC0C0C0) {
  return {name, index, K::Button, x, y, w, h, text, pt, 0x000000, bg};
}
constexpr ControlDef bar(const char* name, int x, int y, int w, int h) {
  return {name, -1, K::ScrollBar, x, y, w, h, ""};
}

const std::array kControls = {
    label("LabelX", -1, 16, 0, 57, 17, "File1", kLarge),
    ControlDef{"Filename", 1, K::TextBox, 16, 16, 241, 19, "Text2", 8.25, kRed, kDarkGrey, false, true, true},
    label("LabelY", -1, 16, 40, 41, 17, "File2", kLarge),
    ControlDef{"Filename", 2, K::TextBox, 16, 56, 241, 19, "Text2", 8.25, kCyan, kDarkGrey, false, true, true},
    label("Label6", -1, 256, 0, 49, 17, "# of Pnts"),
    box("Pntnum", 1, 264, 16, 33, 19, "", true, true),
    box("Pntnum", 2, 264, 56, 33, 19, "", true, true),
    label("Label3", -1, 8, 88, 121, 17, "Scanning", kLarge),
    label("Label13", -1, 152, 88, 81, 17, "Raw"),
    label("Label1", 0, 16, 104, 25, 17, "Max"),
    box("MaxTemp", 1, 48, 104, 49, 19, "Degrees C"),
    label("Label1", 2, 99, 104, 17, 17, "@"),
    box("Max_at", 0, 112, 104, 41, 19, ""),
    box("MaxTemp", 2, 176, 104, 49, 19, "DegreesC"),
    label("Label1", 4, 232, 104, 17, 17, "@"),
    box("Max_at", 1, 248, 104, 41, 19, ""),
    label("Label1", 1, 16, 128, 25, 17, "Min"),
    box("MinTemp", 1, 48, 128, 49, 19, "Degrees C"),
    label("Label1", 5, 99, 129, 17, 17, "@"),
    box("Max_at", 2, 112, 128, 41, 19, ""),
    box("MinTemp", 2, 176, 128, 49, 19, "DegreesC"),
    label("Label1", 3, 232, 128, 17, 17, "@"),
    box("Max_at", 3, 248, 128, 41, 19, ""),
    ControlDef{"Frame2", -1, K::Frame, 8, 160, 273, 193, "Congruence Calculations", kLarge},
    label("Label4", -1, 104, 184, 25, 17, "Lft"),
    label("Label7", -1, 144, 184, 33, 17, "Delta"),
    label("Label5", -1, 200, 184, 25, 17, "Rt"),
    label("Label2", 0, 24, 200, 57, 25, "Area Ratio"),
    box("AreaRatio", 1, 88, 200, 41, 19, ""),
    box("AreaRatio", 0, 136, 200, 41, 19, ""),
    box("AreaRatio", 2, 184, 200, 41, 19, ""),
    button("CalcArea", -1, 232, 192, 33, 33, "Calc Now"),
    label("Label2", 1, 24, 224, 81, 25, "Slope Comparison"),
    box("SlopeComp", 1, 88, 232, 41, 19, ""),
    box("SlopeComp", 0, 136, 232, 41, 19, ""),
    box("SlopeComp", 2, 184, 232, 41, 19, ""),
    button("CalcSlope", -1, 232, 224, 33, 33, "Calc Now"),
    label("Label2", 2, 24, 264, 57, 25, "Correlation"),
    box("Correlation", 1, 88, 264, 41, 19, ""),
    box("Correlation", 0, 136, 264, 41, 19, ""),
    box("Correlation", 2, 184, 264, 41, 19, ""),
    button("CalcCorrelation", -1, 232, 256, 33, 33, "Calc Now"),
    label("Label8", -1, 24, 296, 49, 41, "Quillon, Tesk Method"),
    label("Label10", -1, 72, 296, 17, 17, "r %"),
    box("r_ratio", 1, 88, 296, 41, 19, ""),
    box("r_ratio", 0, 136, 296, 41, 19, ""),
    box("r_ratio", 2, 184, 296, 41, 19, ""),
    label("Label9", -1, 72, 320, 17, 17, "t %"),
    box("t_ratio", 1, 88, 320, 41, 19, ""),
    box("t_ratio", 0, 136, 320, 41, 19, ""),
    box("t_ratio", 2, 184, 320, 41, 19, ""),
    button("Quil_Tesk", -1, 232, 296, 33, 41, "Calc Now"),
    ControlDef{"Frame3", -1, K::Frame, 8, 368, 113, 105, "Slope Sensitivity", kLarge},
    box("Threshold", -1, 24, 416, 41, 25, "Text1"),
    bar("VScroll4", 80, 392, 17, 73),
    ControlDef{"Frame1", -1, K::Frame, 136, 368, 145, 105, "Shift Chart Up", kLarge},
    button("Shift1", -1, 144, 392, 49, 33, "File 1", kLarge, 0x808080),
    button("Shift2", -1, 144, 432, 49, 33, "File 2", kLarge, 0x808080),
    box("ShiftNum", -1, 208, 416, 33, 25, "0", true),
    bar("VScroll3", 248, 384, 17, 81),
    label("Label12", -1, 24, 499, 240, 22, "Varnel Analysis", 13.5),
    label("Label11", -1, 40, 504, 0, 0, ""),
    label("Label14", -1, 72, 520, 121, 17, "Revision date 8/10/01"),
    button("LineButton", 1, 320, 0, 97, 17, "Left Temp"),
    button("LineButton", 0, 424, 0, 65, 17, "Delta-T"),
    button("LineButton", 2, 496, 0, 97, 17, "Right Temp "),
    ControlDef{"Picture1", -1, K::Chart, 312, 18, 289, 502, "", 8.25, 0x000000, 0x000000},
    bar("VScroll1", 295, 275, 17, 256),
    box("LowerCutoff", -1, 264, 512, 25, 19, "0", true),
    bar("VScroll2", 600, 7, 17, 452),
    box("UpperCutoff", -1, 600, 464, 25, 19, "500", true),
    button("ClearButton", -1, 328, 522, 73, 17, "Clear"),
    button("SlopeChart", -1, 424, 522, 73, 17, " Slopes"),
    button("Smoothbutton", -1, 520, 522, 73, 17, "Smooth (X5)"),
};

const std::array kMenu = {
    MenuItem{"fileopen", "&Open File1"},     MenuItem{"fileopen2", "&Open File2"},
    MenuItem{"filesave", "&Output Results"}, MenuItem{"normexport", "&Export Normed Data"},
    MenuItem{"fileexit", "&Exit"},
};

}  // namespace

std::span<const ControlDef> controls() { return kControls; }

std::span<const MenuItem> menuItems() { return kMenu; }

}  // namespace varnel::app
