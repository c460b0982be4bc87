// The four congruence calculations: each computes its measure for all three
// channels over the cut-off range and fills its row of result boxes; the
// correlation, the slope comparison and the two-ratio method also draw the
// channel on show over the chart.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "app/form.hpp"
#include "calc/area_ratio.hpp"
#include "calc/correlation.hpp"
#include "calc/slope_agreement.hpp"
#include "calc/two_ratio.hpp"
#include "model/number_text.hpp"
#include "model/palette.hpp"

namespace varnel::app {

using model::formatNumber;

namespace {

std::string resultText(const std::optional<double>& v) { return v ? formatNumber(*v) : model::kNoValue; }

}  // namespace

void Form::VScroll4_Change() { Threshold.Text = formatNumber(VScroll4.Value() / 100.0); }

void Form::CalcCorrelation_Click() {
  Picture1.setDrawWidth(1);
  Picture1.setForeColor(model::kYellow);
  const float H = static_cast<float>(Picture1.ScaleHeight());
  const float W = static_cast<float>(Picture1.ScaleWidth());
  Picture1.line(0.0f, H, W, H - W);  // identity line of the scatter diagram

  Picture1.setForeColor(model::kLightRed);
  const int L = VScroll1.Value();
  const int U = VScroll2.Value();
  const auto ch = static_cast<std::size_t>(LineSel);
  const double h = Picture1.ScaleHeight();
  for (int i = std::max(L, 0); i <= std::min(U, model::kLastPoint); ++i) {
    const auto p = static_cast<std::size_t>(i);
    Picture1.pset(static_cast<float>(Norm1[p][ch]), static_cast<float>(h - Norm2[p][ch]));
  }

  const auto r = calc::correlations(Norm1, Norm2, L, U);
  for (int k = 0; k < model::kChannels; ++k) Correlation[k].Text = resultText(r[static_cast<std::size_t>(k)]);
}

void Form::CalcSlope_Click() {
  const float t = static_cast<float>(model::numericValue(Threshold.Text));
  const int m = 1;
  for (int k = 0; k < model::kChannels; ++k) ComputeSlopes(k, m);

  // Blank the marker strip (columns 1 and 2) over the range.
  Picture1.setDrawWidth(1);
  const float L = rowOf(VScroll1.Value());
  const float U = rowOf(VScroll2.Value());
  Picture1.line(1.0f, L, 1.0f, U, model::kBlack);
  Picture1.line(2.0f, L, 2.0f, U, model::kBlack);

  const auto mark = [this](int i) {
    Picture1.setForeColor(model::kLightRed);
    Picture1.psetRow(1, 2, pixelRowOf(i));
  };
  const int lo = VScroll1.Value() + m;
  const int hi = VScroll2.Value() - m;
  for (int j = 0; j < model::kChannels; ++j) {
    const calc::SlopeAgreement a = j == LineSel ? calc::slopeAgreement(Slopes1, Slopes2, j, lo, hi, t, mark)
                                                : calc::slopeAgreement(Slopes1, Slopes2, j, lo, hi, t);
    SlopeComp[j].Text = resultText(calc::agreementShare(a));
  }
}

void Form::CalcArea_Click() {
  const calc::AreaSums s =
      calc::areaSums(Norm1, Norm2, VScroll1.Value(), VScroll2.Value(), static_cast<float>(Picture1.ScaleWidth()));
  for (int k = 0; k < model::kChannels; ++k) AreaRatio[k].Text = resultText(calc::areaRatio(s, k));
}

void Form::Quil_Tesk_Click() {
  // Marks for the channel on show only.
  const auto mark = [this](int i, int, calc::WindowTest test) {
    const bool r = test == calc::WindowTest::Correlation;
    Picture1.setForeColor(r ? model::kYellow : model::kLightMagenta);
    const int x = r ? 4 : 7;
    Picture1.psetRow(x, x + 1, pixelRowOf(i));  // two points side by side
  };
  const calc::TwoRatio res =
      calc::twoRatioWith(Norm1, Norm2, VScroll1.Value(), VScroll2.Value(), mark, calc::Lanes::Widest, LineSel);
  if (res.failed()) {
    messages_.show(messages::calculationError(ChannelNames[res.failedChannel]), kErrorTitle);
    return;
  }
  for (int k = 0; k < model::kChannels; ++k) {
    r_ratio[k].Text = formatNumber(res.rRatio(k));
    t_ratio[k].Text = formatNumber(res.tRatio(k));
  }
}

}  // namespace varnel::app
