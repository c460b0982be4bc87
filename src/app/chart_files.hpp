#pragma once
// The chart's own two files, saved from its context menu beside the results
// file and the export: the chart as a PNG image and the comparison report as
// a PDF. The window's chart view and varnel-batch both save through these.
#include <functional>

#include "app/dialogs.hpp"
#include "chart/surface.hpp"
#include "output/report.hpp"

namespace varnel::app {

// "Save Chart as PNG...": asks where, then writes the chart's pixels whole.
void saveChartAs(const chart::Surface& chart, FileDialog& dialog, MessageBox& messages);

// "Save Report as PDF…": asks where, then writes the report of what the
// window shows at that moment (`report`) with the chart.
void saveReportAs(const chart::Surface& chart, const std::function<output::Report()>& report, FileDialog& dialog,
                  MessageBox& messages);

}  // namespace varnel::app
