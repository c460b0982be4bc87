// What the matrix and the trend show, on small series made by hand: the cell
// of each measure and channel, the colours of the scale, and the trend's
// lines, gaps and axes.
#include "visits/measures.hpp"

#include <gtest/gtest.h>

#include <map>

namespace varnel::test {
namespace {

using visits::CellKind;
using visits::Channel;
using visits::Measure;

// Visits: none for one that failed, else its counts at or past t1 and t2.
// Pairs: the correlation texts (Lft, Delta, Rt columns) of those that ran;
// the others failed.
series::Series seriesOf(const std::vector<std::optional<std::pair<int, int>>>& visits,
                        const std::map<std::pair<int, int>, std::array<std::string, 3>>& correlations) {
  series::Series s;
  for (const auto& v : visits) {
    series::Visit& visit = s.visits.emplace_back();
    if (!v) visit.message = "cannot be read";
    if (v) visit.asymmetry.reachT1 = v->first, visit.asymmetry.reachT2 = v->second;
  }
  const int n = static_cast<int>(visits.size());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      series::Pair& p = s.pairs.emplace_back();
      p.earlier = i, p.later = j;
      const auto c = correlations.find({i, j});
      p.outcome.ok = c != correlations.end();
      if (!p.outcome.ok) p.outcome.messages = {"too short", "second reason"};
      if (p.outcome.ok) p.outcome.results[2] = c->second;
    }
  return s;
}

// One pair of each kind: its Left Temp limits of agreement -0.25 and 0.5
// about a mean of 0.2; Delta-T with a mean from a single point.
TEST(Measures, CellOfEachMeasureAndChannel) {
  series::Series s = seriesOf({{{0, 0}}, std::nullopt, {{0, 0}}}, {{{0, 2}, {"0.5", "n/a", "-0.25"}}});
  series::Pair& good = s.pairs[1];
  good.outcome.results[0] = {"1.5", "", ""};
  good.agreement[model::kLeft] = series::Agreement{10, 0.2, -0.25, 0.5};
  good.agreement[model::kDelta] = series::Agreement{1, -3.0, std::nullopt, std::nullopt};
  struct Case {
    int earlier, later;
    Measure m;
    Channel ch;
    CellKind kind;
    double value;
    std::string text;
  };
  const Case cases[] = {
      {0, 2, Measure::Correlation, Channel::Left, CellKind::Value, 0.5, "0.5"},
      {0, 2, Measure::Correlation, Channel::Right, CellKind::Value, -0.25, "-0.25"},
      {0, 2, Measure::Correlation, Channel::Delta, CellKind::NoValue, 0, "n/a"},
      {0, 2, Measure::AreaRatio, Channel::Left, CellKind::Value, 1.5, "1.5"},
      {0, 2, Measure::MeanDifference, Channel::Left, CellKind::Value, 0.2, "0.2"},
      {0, 2, Measure::MeanDifference, Channel::Delta, CellKind::Value, -3, "-3"},
      {0, 2, Measure::AgreementWidth, Channel::Left, CellKind::Value, 0.75, "0.75"},
      {0, 2, Measure::AgreementWidth, Channel::Delta, CellKind::NoValue, 0, "n/a"},
      {0, 2, Measure::MeanDifference, Channel::Right, CellKind::NoValue, 0, "n/a"},
      {0, 1, Measure::Correlation, Channel::Left, CellKind::Failed, 0, "too short\nsecond reason"},
      {1, 2, Measure::MeanDifference, Channel::Left, CellKind::Failed, 0, "too short\nsecond reason"},
      {2, 0, Measure::Correlation, Channel::Left, CellKind::Blank, 0, ""},
      {1, 1, Measure::Correlation, Channel::Left, CellKind::Blank, 0, ""},
      {0, 3, Measure::Correlation, Channel::Left, CellKind::Blank, 0, ""},
  };
  for (const Case& c : cases) {
    const visits::Cell cell = visits::cellAt(s, c.earlier, c.later, c.m, c.ch);
    EXPECT_EQ(std::tie(cell.kind, cell.value, cell.text), std::tie(c.kind, c.value, c.text))
        << c.earlier << "," << c.later << " " << visits::measureName(c.m) << " " << visits::channelName(c.ch);
  }
}

// The scale's five stops at its ends and quarters, and halfway between the
// last two: (0x5E + 0xFD) / 2 = 173.5 rounds to 0xAE, (0xC9 + 0xE7) / 2 =
// 0xD8, (0x62 + 0x25) / 2 = 67.5 to 0x44.
TEST(Measures, ScaleColours) {
  const visits::Scale scale{-1, 1, false};
  const std::pair<double, std::uint32_t> cases[] = {{-1, 0x440154}, {-0.5, 0x3B528B}, {0, 0x21918C},  {0.5, 0x5EC962},
                                                    {1, 0xFDE725},  {0.75, 0xAED844}, {-7, 0x440154}, {7, 0xFDE725}};
  for (const auto& [value, rgb] : cases) EXPECT_EQ(visits::scaleColour(scale, value), rgb) << value;
  EXPECT_EQ(visits::scaleColour({0.3, 0.3, false}, 0.3), 0x21918Cu);  // one value: the middle
}

// Four visits, the second failed: every line has a gap there, and the
// measure against the visit before only comes back at visit 4.
TEST(Measures, TrendLinesGapsAndAxes) {
  const series::Series s = seriesOf({{{4, 1}}, std::nullopt, {{10, 3}}, {{7, 2}}},
                                    {{{0, 2}, {"0.5", "", ""}}, {{0, 3}, {"0.8", "", ""}}, {{2, 3}, {"0.9", "", ""}}});
  using Runs = std::vector<std::vector<std::pair<double, double>>>;
  const visits::Trend t = visits::trendOf(s, Measure::Correlation, Channel::Left);
  ASSERT_EQ(t.lines.size(), 4u);
  const Runs want[] = {
      {{{4, 0.9}}}, {{{3, 0.5}, {4, 0.8}}}, {{{1, 4}}, {{3, 10}, {4, 7}}}, {{{1, 1}}, {{3, 3}, {4, 2}}}};
  for (int l = 0; l < 4; ++l) EXPECT_EQ(t.lines[static_cast<std::size_t>(l)].runs(), want[l]) << l;
  // 0.5..0.9 in tenths; counts 0..10 in fives; visits 1..4 one by one.
  const auto axis = [](const visits::Axis& a) { return std::tuple(a.lo, a.hi, a.step, a.decimals, a.ticks().size()); };
  EXPECT_EQ(axis(t.values), std::tuple(0.5, 0.9, 0.1, 1, 5u));
  EXPECT_EQ(axis(t.counts), std::tuple(0.0, 10.0, 5.0, 0, 3u));
  EXPECT_EQ(axis(t.visits), std::tuple(1.0, 4.0, 1.0, 0, 4u));

  // One value, 0.98, is widened by a tenth of itself: 0.882..1.078 in
  // twentieths is 0.85..1.1. No count past 1: the count axis runs to 1.
  const visits::Trend flat = visits::trendOf(seriesOf({{{0, 0}}, {{1, 0}}}, {{{0, 1}, {"0.98", "", ""}}}),
                                             Measure::Correlation, Channel::Left);
  EXPECT_DOUBLE_EQ(flat.values.lo, 0.85);
  EXPECT_DOUBLE_EQ(flat.values.hi, 1.1);
  EXPECT_EQ(std::tie(flat.values.decimals, flat.counts.hi), std::tuple(2, 1.0));
  EXPECT_EQ(axis(flat.visits), std::tuple(1.0, 2.0, 1.0, 0, 2u));
}

}  // namespace
}  // namespace varnel::test
