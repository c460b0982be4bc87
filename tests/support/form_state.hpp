#pragma once
// Everything the window holds, to tell what an action changed: the one
// "nothing changed" check of every test and of the random-use driver.
#include <cstdint>
#include <string>
#include <vector>

#include "app/form.hpp"

namespace varnel::test {

struct FormState {
  std::vector<std::string> texts;  // each control's live text or caption, in table order
  std::vector<int> bars;           // value and bottom end of each bar
  std::string data;                // tables, extremes, channel, states, shift count, as bytes
  std::string pixels;              // the chart surface
  std::uint64_t revision = 0;      // bumped by every drawing, even one that changes no pixel

  bool operator==(const FormState&) const = default;

  // The first part that differs from `other` ("Label3", "VScroll2", "data",
  // "chart"), or "" when none does.
  std::string firstDifference(const FormState& other) const {
    for (std::size_t i = 0; i < texts.size() && i < other.texts.size(); ++i)
      if (texts[i] != other.texts[i]) return "text " + std::to_string(i) + " \"" + texts[i] + "\"";
    if (bars != other.bars) return "a bar";
    if (data != other.data) return "data";
    if (pixels != other.pixels) return "chart";
    if (revision != other.revision) return "chart drawn on";
    return {};
  }
};

template <class T>
void appendBytes(std::string& s, const T& v) {
  s.append(reinterpret_cast<const char*>(&v), sizeof v);
}

inline FormState formState(app::Form& f) {
  FormState s;
  for (const auto& c : app::controls())
    if (const std::string* t = f.text(c.name, c.index)) s.texts.push_back(*t);
  for (const app::ScrollBar* b : {&f.VScroll1, &f.VScroll2, &f.VScroll3, &f.VScroll4}) {
    s.bars.push_back(b->Value());
    s.bars.push_back(b->Min);
  }
  for (const model::Table* t : {&f.Scan1, &f.Scan2, &f.Norm1, &f.Norm2, &f.Slopes1, &f.Slopes2}) appendBytes(s.data, *t);
  for (const auto* v : {&f.MaxVal1, &f.MaxVal2, &f.MinVal1, &f.MinVal2}) appendBytes(s.data, *v);
  for (const auto* v : {&f.MaxAt1, &f.MaxAt2, &f.MinAt1, &f.MinAt2}) appendBytes(s.data, *v);
  appendBytes(s.data, f.LineSel);
  appendBytes(s.data, f.ShiftCount);
  for (const auto& d : f.DataState) s.data += d + '\n';
  const chart::Surface& p = f.Picture1;
  s.pixels.assign(reinterpret_cast<const char*>(p.bits()), std::size_t(p.ScaleWidth() * p.ScaleHeight()) * 4);
  s.revision = p.revision();
  return s;
}

}  // namespace varnel::test
