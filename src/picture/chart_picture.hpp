#pragma once
// The chart surface as a picture: what the chart view shows, what "Copy
// Chart" puts on the clipboard, a saved PNG and a report page hold the same
// pixels. Needs Qt Gui only.
#include <QImage>
#include <string>

#include "chart/surface.hpp"
#include "output/save_file.hpp"

namespace varnel::picture {

// The surface's pixels, opaque, at the surface's size (287 x 500).
QImage chartImage(const chart::Surface& surface);

// The surface as PNG bytes, with the palette as colour table.
std::string chartPng(const chart::Surface& surface);

// Writes chartPng() to `path`, whole or not at all.
output::Saved saveChartPng(const chart::Surface& surface, const std::string& path);

}  // namespace varnel::picture
