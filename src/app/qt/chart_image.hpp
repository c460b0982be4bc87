#pragma once
// The chart surface as an image: what the chart view shows, what "Copy
// Chart" puts on the clipboard and what a saved PNG holds are the same
// pixels. Needs Qt Gui only, so a program without widgets can share it.
#include <QImage>
#include <QString>
#include <string>

#include "chart/surface.hpp"

namespace varnel::qt {

// The surface's pixels, opaque, at the surface's size (287 x 500).
QImage chartImage(const chart::Surface& surface);

// Writes the surface as a PNG file, whole or not at all: an existing file
// stays as it was unless the new one was written completely. Returns the
// empty text, or the message for the user with the path and the reason.
std::string saveChartPng(const chart::Surface& surface, const QString& path);

}  // namespace varnel::qt
