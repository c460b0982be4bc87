#include <ctime>

#include "app/report_content.hpp"

namespace varnel::app {

output::ResultGrid resultGrid(const Form& form) {
  const Form::Boxes* const rows[output::kReportRows] = {&form.AreaRatio, &form.SlopeComp, &form.Correlation,
                                                        &form.r_ratio, &form.t_ratio};
  output::ResultGrid grid;
  for (std::size_t row = 0; row < grid.size(); ++row)
    for (std::size_t c = 0; c < grid[row].size(); ++c)
      grid[row][c] = (*rows[row])[output::kReportColumnChannel[c]].Text;
  return grid;
}

output::Report reportOf(const Form& form, const std::string& dateTime) {
  output::Report r;
  r.title = kTitle;
  r.dateTime = dateTime;
  // Max_at holds File 1's max, File 2's max, File 1's min, File 2's min.
  for (int f = 0; f < 2; ++f) {
    output::ReportScan& s = r.scans[f];
    s.loaded = form.pointCount(f + 1) > 0;
    s.path = form.Filename[f + 1].Text;
    s.pointCount = form.Pntnum[f + 1].Text;
    s.maxValue = form.MaxTemp[f + 1].Text;
    s.maxAt = form.Max_at[f].Text;
    s.minValue = form.MinTemp[f + 1].Text;
    s.minAt = form.Max_at[f + 2].Text;
  }
  if (form.LineSel >= 0 && form.LineSel < 7) r.channel = form.ChannelNames[form.LineSel];
  r.lowerCutoff = form.LowerCutoff.Text;
  r.upperCutoff = form.UpperCutoff.Text;
  r.shiftCount = form.ShiftCount;
  r.threshold = form.Threshold.Text;
  for (int c = 0; c < output::kReportColumns; ++c) {
    const int ch = output::kReportColumnChannel[c];
    r.states[c] = {form.ChannelNames[ch], form.DataState[ch]};
  }
  r.results = resultGrid(form);
  r.legend = output::chartLegend();
  return r;
}

std::string localDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return std::string(text, n);
}

}  // namespace varnel::app
