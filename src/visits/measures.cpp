#include "visits/measures.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "model/decimal.hpp"
#include "model/number_text.hpp"
#include "output/report.hpp"

namespace varnel::visits {

const char* measureName(int measure) {
  if (measure >= 0 && measure < output::kReportRows) return output::kReportRowNames[static_cast<std::size_t>(measure)];
  if (measure == kMeanDifference) return "Mean difference";
  if (measure == kAgreementWidth) return "Width of the limits of agreement";
  return "";
}

const char* channelName(int channel) {
  static const char* const names[model::kChannels] = {"Delta-T", "Left Temp", "Right Temp"};
  return channel >= 0 && channel < model::kChannels ? names[channel] : "";
}

Cell cellOf(const series::Pair& pair, int measure, int channel) {
  Cell c;
  if (!pair.outcome.ok) {
    c.kind = CellKind::Failed;
    for (const std::string& m : pair.outcome.messages) c.text += (c.text.empty() ? "" : "\n") + m;
    if (c.text.empty()) c.text = "failed";
    return c;
  }
  std::optional<double> value;
  if (measure < output::kReportRows) {
    c.text = pair.outcome.results[static_cast<std::size_t>(measure)][output::reportColumnOf(channel)];
    value = model::readDecimal(c.text);
  } else if (const auto& a = pair.agreement[static_cast<std::size_t>(channel)]) {
    if (measure == kMeanDifference) value = a->meanDifference;
    if (measure == kAgreementWidth && a->lower && a->upper) value = *a->upper - *a->lower;
    c.text = value && std::isfinite(*value) ? model::formatNumber(*value) : model::kNoValue;
  } else {
    c.text = model::kNoValue;
  }
  if (value && std::isfinite(*value)) {
    c.kind = CellKind::Value;
    c.value = *value;
  } else {
    c.kind = CellKind::NoValue;
  }
  return c;
}

Cell cellAt(const series::Series& s, int earlier, int later, int measure, int channel) {
  const int n = static_cast<int>(s.visits.size());
  const auto all = static_cast<std::size_t>(n) * static_cast<std::size_t>(n > 0 ? n - 1 : 0) / 2;
  if (earlier < 0 || earlier >= later || later >= n || s.pairs.size() != all) return {};
  return cellOf(s.pair(earlier, later), measure, channel);
}

Scale scaleOf(const series::Series& s, int measure, int channel) {
  Scale scale;
  for (const series::Pair& p : s.pairs) {
    const Cell c = cellOf(p, measure, channel);
    if (c.kind != CellKind::Value) continue;
    scale.lo = scale.empty ? c.value : std::min(scale.lo, c.value);
    scale.hi = scale.empty ? c.value : std::max(scale.hi, c.value);
    scale.empty = false;
  }
  return scale;
}

std::uint32_t scaleColour(const Scale& scale, double value) {
  // Dark blue through teal and green to yellow: ordered by lightness, so it
  // reads in grey print too.
  static constexpr std::uint32_t stops[] = {0x440154, 0x3B528B, 0x21918C, 0x5EC962, 0xFDE725};
  constexpr int last = static_cast<int>(std::size(stops)) - 1;
  double t = scale.hi > scale.lo ? (value - scale.lo) / (scale.hi - scale.lo) : 0.5;
  t = std::clamp(t, 0.0, 1.0) * last;
  const int i = std::min(static_cast<int>(t), last - 1);
  const double f = t - i;
  std::uint32_t rgb = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double a = (stops[i] >> shift) & 0xFF, b = (stops[i + 1] >> shift) & 0xFF;
    rgb |= static_cast<std::uint32_t>(std::lround(a + (b - a) * f)) << shift;
  }
  return rgb;
}

std::vector<TrendPoint> trendOf(const series::Series& s, int measure, int channel) {
  std::vector<TrendPoint> trend(s.visits.size());
  const auto valueOf = [&](int earlier, int later) -> std::optional<double> {
    const Cell c = cellAt(s, earlier, later, measure, channel);
    return c.kind == CellKind::Value ? std::optional(c.value) : std::nullopt;
  };
  for (std::size_t v = 0; v < trend.size(); ++v) {
    const int i = static_cast<int>(v);
    if (i > 0) trend[v].previous = valueOf(i - 1, i), trend[v].baseline = valueOf(0, i);
    if (s.visits[v].ok()) {
      trend[v].reachT1 = s.visits[v].asymmetry.reachT1;
      trend[v].reachT2 = s.visits[v].asymmetry.reachT2;
    }
  }
  return trend;
}

VisitFigures figuresOf(const series::Visit& v) {
  if (!v.ok()) return {};
  const series::Asymmetry& a = v.asymmetry;
  VisitFigures f;
  f.points = model::formatInt(v.lastPoint);
  if (a.points == 0) {
    f.meanDelta = f.largestDelta = f.largestAt = model::kNoValue;
  } else {
    f.meanDelta = model::formatNumber(a.meanDelta);
    f.largestDelta = model::formatNumber(a.largestDelta);
    f.largestAt = model::formatInt(a.largestAt);
  }
  f.reachT1 = model::formatInt(a.reachT1);
  f.reachT2 = model::formatInt(a.reachT2);
  return f;
}

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace varnel::visits
