#include "visits/measures.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "model/decimal.hpp"
#include "model/number_text.hpp"
#include "output/report.hpp"

namespace varnel::visits {

const char* measureName(Measure measure) {
  if (measure < Measure::MeanDifference) return output::kReportRowNames[static_cast<std::size_t>(measure)];
  return measure == Measure::MeanDifference ? "Mean difference" : "Width of the limits of agreement";
}

const char* channelName(Channel channel) {
  return std::array{"Delta-T", "Left Temp", "Right Temp"}.at(series::indexOf(channel));
}

Cell cellOf(const series::Pair& pair, Measure measure, Channel channel) {
  Cell c;
  if (!pair.outcome.ok) {
    c.kind = CellKind::Failed;
    for (const std::string& m : pair.outcome.messages) c.text += (c.text.empty() ? "" : "\n") + m;
    if (c.text.empty()) c.text = "failed";
    return c;
  }
  using R = series::ChannelResults;
  static constexpr std::string R::*kResultOf[] = {&R::areaRatio, &R::slopeComparison, &R::correlation, &R::rRatio,
                                                  &R::tRatio};
  std::optional<double> value;
  const auto& a = pair.agreementOf(channel);
  if (measure < Measure::MeanDifference) {
    c.text = pair.results(channel).*kResultOf[static_cast<std::size_t>(measure)];
    value = model::readDecimal(c.text);
  } else if (a && measure == Measure::MeanDifference) {
    value = a->meanDifference;
  } else if (a && a->lower && a->upper) {
    value = *a->upper - *a->lower;
  }
  const bool finite = value && std::isfinite(*value);
  if (measure == Measure::MeanDifference || measure == Measure::AgreementWidth)
    c.text = finite ? model::formatNumber(*value) : model::kNoValue;
  c.kind = finite ? CellKind::Value : CellKind::NoValue;
  if (finite) c.value = *value;
  return c;
}

Cell cellAt(const series::Series& s, int earlier, int later, Measure measure, Channel channel) {
  const int n = static_cast<int>(s.visits.size());
  const auto all = static_cast<std::size_t>(n) * static_cast<std::size_t>(n > 0 ? n - 1 : 0) / 2;
  if (earlier < 0 || earlier >= later || later >= n || s.pairs.size() != all) return {};
  return cellOf(s.pair(earlier, later), measure, channel);
}

Scale scaleOf(const series::Series& s, Measure measure, Channel channel) {
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

namespace {

// 1, 2 or 5 times a power of ten, the smallest at least `rough`.
double niceStep(double rough) {
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0})
    if (m * power >= rough * (1 - 1e-9)) return m * power;
  return 10 * power;
}

// lo..hi widened to whole steps, about `intervals` of them.
Axis axisOver(double lo, double hi, int intervals, bool whole) {
  Axis a;
  a.step = niceStep((hi - lo) / intervals);
  if (whole) a.step = std::max(1.0, a.step);
  a.lo = std::floor(lo / a.step + 1e-9) * a.step;
  a.hi = std::ceil(hi / a.step - 1e-9) * a.step;
  a.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(a.step) + 1e-9)));
  return a;
}

}  // namespace

std::vector<double> Axis::ticks() const {
  std::vector<double> t;
  for (int k = 0; lo + k * step <= hi + step * 1e-9; ++k) t.push_back(lo + k * step);
  return t;
}

std::vector<std::vector<std::pair<double, double>>> TrendLine::runs() const {
  std::vector<std::vector<std::pair<double, double>>> all;
  for (std::size_t v = 0; v < values.size(); ++v) {
    if (!values[v]) continue;
    if (v == 0 || !values[v - 1]) all.emplace_back();
    all.back().emplace_back(static_cast<double>(v + 1), *values[v]);
  }
  return all;
}

Trend trendOf(const series::Series& s, Measure measure, Channel channel) {
  const std::size_t n = s.visits.size();
  Trend t;
  t.lines = {{"against the visit before", kPreviousColour, false, std::vector<std::optional<double>>(n)},
             {"against visit 1", kBaselineColour, false, std::vector<std::optional<double>>(n)},
             {"points ≥ t1", kReachT1Colour, true, std::vector<std::optional<double>>(n)},
             {"points ≥ t2", kReachT2Colour, true, std::vector<std::optional<double>>(n)}};
  const auto valueOf = [&](std::size_t earlier, std::size_t later) -> std::optional<double> {
    const Cell c = cellAt(s, static_cast<int>(earlier), static_cast<int>(later), measure, channel);
    return c.kind == CellKind::Value ? std::optional(c.value) : std::nullopt;
  };
  for (std::size_t v = 0; v < n; ++v) {
    if (v > 0) t.lines[0].values[v] = valueOf(v - 1, v), t.lines[1].values[v] = valueOf(0, v);
    if (s.visits[v].ok()) {
      t.lines[2].values[v] = s.visits[v].asymmetry.reachT1;
      t.lines[3].values[v] = s.visits[v].asymmetry.reachT2;
    }
  }
  double lo = INFINITY, hi = -INFINITY, most = 1;
  for (const TrendLine& line : t.lines)
    for (const std::optional<double>& y : line.values)
      if (y) line.counts ? most = std::max(most, *y) : (lo = std::min(lo, *y), hi = std::max(hi, *y));
  if (!(hi - lo >= 1e-12)) {  // one value, or none: a tenth of it either side, or -0.5..0.5
    const double mid = lo <= hi ? lo : 0, half = mid != 0 ? std::fabs(mid) * 0.1 : 0.5;
    lo = mid - half, hi = mid + half;
  }
  t.values = axisOver(lo, hi, 4, false);
  t.counts = axisOver(0, most, 4, true);
  t.visits = axisOver(1, static_cast<double>(std::max<std::size_t>(n, 2)), 10, true);
  t.visits.lo = 1, t.visits.hi = static_cast<double>(std::max<std::size_t>(n, 2));  // first to last visit
  return t;
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
