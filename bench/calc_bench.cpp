// The four congruence calculations on two full 501-point scans over the
// whole range, drawing included, as a user clicks them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "app/form.hpp"
#include "app/stand_in_dialogs.hpp"
#include "calc/two_ratio.hpp"
#include "model/number_text.hpp"
#include "model/palette.hpp"

using namespace varnel;

namespace {

// Both scans placed and drawn on every channel as loading File 2 leaves
// them: Left Temp on show, cut-offs 0 and 500.
struct LoadedForm {
  app::ScriptedFileDialog dialog;  // no dialog is opened
  app::RecordedMessages messages;  // nor any message shown
  app::Form form{dialog, messages};

  LoadedForm() {
    std::uint32_t seed = 12345;
    const auto noise = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<double>(seed >> 8) / 16777216.0 - 0.5;  // -0.5 .. 0.5
    };
    for (int i = 0; i <= model::kLastPoint; ++i) {
      const double wave = std::sin(i / 37.0);
      const double l1 = 34.0 + 1.5 * wave + 0.2 * noise(), r1 = 33.5 + 1.2 * wave + 0.2 * noise();
      const double l2 = 34.3 + 1.4 * wave + 0.2 * noise(), r2 = 33.2 + 1.3 * wave + 0.2 * noise();
      form.Scan1[static_cast<std::size_t>(i)] = {l1 - r1, l1, r1};
      form.Scan2[static_cast<std::size_t>(i)] = {l2 - r2, l2, r2};
    }
    form.Pntnum[1].Text = "500";
    form.Pntnum[2].Text = "500";
    form.LineButton_Click(2);
    form.ClearButton_Click();
    form.LineButton_Click(0);
    form.ClearButton_Click();
    form.LineButton_Click(1);
  }
};

template <void (app::Form::*Handler)()>
void BM_Handler(benchmark::State& state) {
  LoadedForm f;
  for (auto _ : state) {
    (f.form.*Handler)();
    benchmark::ClobberMemory();
  }
}

void BM_AllFour(benchmark::State& state) {
  LoadedForm f;
  for (auto _ : state) {
    f.form.CalcArea_Click();
    f.form.CalcSlope_Click();
    f.form.CalcCorrelation_Click();
    f.form.Quil_Tesk_Click();
    benchmark::ClobberMemory();
  }
}

// The two-ratio handler as it was before the lane kernels: the scalar
// reference through a std::function, drawing the same marks. (No failure
// occurs on these scans, so the error message is left out.)
void twoRatioClickScalar(app::Form& form) {
  const auto mark = [&form](int i, int k, calc::WindowTest test) {
    if (k != form.LineSel) return;
    const bool r = test == calc::WindowTest::Correlation;
    form.Picture1.setForeColor(r ? model::kYellow : model::kLightMagenta);
    const float x = r ? 4.0f : 7.0f;
    form.Picture1.pset(x, static_cast<float>(form.Picture1.ScaleHeight()) - static_cast<float>(i));
    form.Picture1.pset(x + 1.0f, static_cast<float>(form.Picture1.ScaleHeight()) - static_cast<float>(i));
  };
  const calc::TwoRatio res =
      calc::reference::twoRatio(form.Norm1, form.Norm2, form.VScroll1.Value(), form.VScroll2.Value(), mark);
  if (res.failed()) return;
  for (int k = 0; k < model::kChannels; ++k) {
    form.r_ratio[k].Text = model::formatNumber(res.rRatio(k));
    form.t_ratio[k].Text = model::formatNumber(res.tRatio(k));
  }
}

void BM_TwoRatioScalarReference(benchmark::State& state) {
  LoadedForm f;
  for (auto _ : state) {
    twoRatioClickScalar(f.form);
    benchmark::ClobberMemory();
  }
}

void BM_AllFourScalarReference(benchmark::State& state) {
  LoadedForm f;
  for (auto _ : state) {
    f.form.CalcArea_Click();
    f.form.CalcSlope_Click();
    f.form.CalcCorrelation_Click();
    twoRatioClickScalar(f.form);
    benchmark::ClobberMemory();
  }
}

// The kernels alone, no drawing: each lane width and the reference.
void BM_TwoRatioKernel(benchmark::State& state, calc::Lanes lanes) {
  if (!calc::lanesAvailable(lanes)) {
    state.SkipWithError("not supported by this processor");
    return;
  }
  LoadedForm f;
  int passes = 0;
  for (auto _ : state) {
    const auto r = calc::twoRatioWith(
        f.form.Norm1, f.form.Norm2, 0, model::kLastPoint, [&passes](int, int, calc::WindowTest) { ++passes; }, lanes);
    benchmark::DoNotOptimize(r);
  }
  benchmark::DoNotOptimize(passes);
}

void BM_TwoRatioKernelScalarReference(benchmark::State& state) {
  LoadedForm f;
  int passes = 0;
  const calc::WindowPass count = [&passes](int, int, calc::WindowTest) { ++passes; };
  for (auto _ : state) {
    const auto r = calc::reference::twoRatio(f.form.Norm1, f.form.Norm2, 0, model::kLastPoint, count);
    benchmark::DoNotOptimize(r);
  }
  benchmark::DoNotOptimize(passes);
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcCorrelation_Click)->Name("Correlation");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcSlope_Click)->Name("SlopeComparison");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcArea_Click)->Name("AreaRatio");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::Quil_Tesk_Click)->Name("TwoRatioMethod");
BENCHMARK(BM_TwoRatioScalarReference)->Name("TwoRatioMethodScalarReference");
BENCHMARK(BM_AllFour)->Name("AllFour");
BENCHMARK(BM_AllFourScalarReference)->Name("AllFourScalarReference");
BENCHMARK_CAPTURE(BM_TwoRatioKernel, sse2, calc::Lanes::Sse2)->Name("TwoRatioKernelSse2");
BENCHMARK_CAPTURE(BM_TwoRatioKernel, avx2, calc::Lanes::Avx2)->Name("TwoRatioKernelAvx2");
BENCHMARK(BM_TwoRatioKernelScalarReference)->Name("TwoRatioKernelScalarReference");
