#pragma once
// The one-page comparison report: one painter routine lays it out on any
// paint device (a PDF here, a printer in the window). Needs Qt Gui only.
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QRect>
#include <string>

#include "chart/surface.hpp"
#include "output/report.hpp"
#include "output/save_file.hpp"

namespace varnel::picture {

// The PDF's resolution: the chart comes out at exactly 2 x 2 device pixels
// per chart pixel.
inline constexpr int kReportDpi = 180;

// Where the parts of the page go, in device pixels. The chart's place
// depends on the page and the resolution only, never on the texts.
struct ReportLayout {
  QRect page;
  double dpi = kReportDpi;
  int chartScale = 1;  // device pixels per chart pixel, a whole number
  QRect chart;
};

// `page`: the whole sheet in device pixels at `dpi`.
ReportLayout reportLayout(const QRect& page, double dpi, const QSize& chartSize = {287, 500});

// A4, or Letter where the default locale measures in US units.
QPageSize localPageSize();

// Paints the report onto the painter's device. The chart is enlarged by
// a whole factor without smoothing and sent as a lossless image.
void paintReport(QPainter& painter, const ReportLayout& layout, const output::Report& report, const QImage& chart);

// The report as the bytes of a one-page PDF.
std::string reportPdf(const output::Report& report, const chart::Surface& surface,
                      const QPageSize& pageSize = localPageSize());

// Writes reportPdf() to `path`, whole or not at all.
output::Saved saveReportPdf(const output::Report& report, const chart::Surface& surface, const std::string& path);

}  // namespace varnel::picture
