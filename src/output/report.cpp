#include "output/report.hpp"

#include "model/palette.hpp"

namespace varnel::output {

std::vector<LegendEntry> chartLegend() {
  using model::paletteColour;
  return {
      {paletteColour(model::kLightRed), LegendMark::Line, "File 1"},
      {paletteColour(model::kLightCyan), LegendMark::Line, "File 2"},
      {paletteColour(model::kYellow), LegendMark::Line, "Cut-off lines"},
      {paletteColour(model::kLightRed), LegendMark::Dots, "Slopes agree (Slope Comparison, columns 1-2)"},
      {paletteColour(model::kYellow), LegendMark::Dots, "Correlation test passed (r %/t %, columns 4-5)"},
      {paletteColour(model::kLightMagenta), LegendMark::Dots, "Means test passed (r %/t %, columns 7-8)"},
      {paletteColour(model::kLightRed), LegendMark::Dots, "Correlation scatter: File 1 against File 2"},
      {paletteColour(model::kYellow), LegendMark::Line, "Correlation scatter: identity line"},
  };
}

}  // namespace varnel::output
