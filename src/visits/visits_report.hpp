#pragma once
// The visits report: the list of visits with their figures, the settings,
// the matrix as a heat map with its legend and the trend, on one or two
// pages. One painter routine draws it as vectors on any paint device (a PDF
// here, a printer in the window); the window's matrix and legend paint their
// cells with the same routines. Needs Qt Gui only, so varnel-batch writes the
// same report.
#include <QPageSize>
#include <QPainter>
#include <QRect>
#include <functional>
#include <string>

#include "output/save_file.hpp"
#include "series/series.hpp"
#include "visits/measures.hpp"

namespace varnel::visits {

// What a series was computed with, and what its matrix and trend show.
struct VisitsSettings {
  batch::Steps steps;
  series::Thresholds thresholds;
  Measure measure = Measure::Correlation;
  Channel channel = Channel::Left;  // of the matrix and the trend
  std::string patient;              // the patient the report names; empty: none
};

// One cell of the matrix in `box`: its colour on `scale`, "n/a" on grey, a
// failed pair crossed out. `withText` writes the cell's text over it.
void paintCell(QPainter& painter, const QRectF& box, const Cell& cell, const Scale& scale, bool withText);

// The colour bar from lo to hi with its end values, then the two marks for
// "n/a" and "failed", in `box` (wider than tall). `dpi` sizes the text.
void paintLegend(QPainter& painter, const QRectF& box, const Scale& scale, double dpi);

// The report's pages; `newPage` starts the next sheet of the device.
// Returns the number of pages drawn.
int paintVisitsReport(QPainter& painter, const QRect& page, double dpi, const series::Series& ser,
                      const VisitsSettings& v, const std::string& dateTime, const std::function<void()>& newPage);

// The report as the bytes of a PDF; empty when it cannot be drawn.
std::string visitsReportPdf(const series::Series& s, const VisitsSettings& settings, const std::string& dateTime,
                            const QPageSize& pageSize);

// Writes visitsReportPdf() to `path`, whole or not at all, dated now.
output::Saved saveVisitsReportPdf(const series::Series& s, const VisitsSettings& settings, const std::string& path);

}  // namespace varnel::visits
