// The four congruence calculations on two full 501-point scans over the
// whole range, drawing included, as a user clicks them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "app/form.hpp"

using namespace varnel;

namespace {

struct NoDialog : app::FileDialog {
  std::string ask(app::DialogKind, const std::string&, const std::string&) override { return {}; }
};

struct NoMessages : app::MessageBox {
  void show(const std::string&, const std::string&) override {}
};

// Both scans placed and drawn on every channel as loading File 2 leaves
// them: Left Temp on show, cut-offs 0 and 500.
struct LoadedForm {
  NoDialog dialog;
  NoMessages messages;
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

}  // namespace

BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcCorrelation_Click)->Name("Correlation");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcSlope_Click)->Name("SlopeComparison");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::CalcArea_Click)->Name("AreaRatio");
BENCHMARK_TEMPLATE(BM_Handler, &app::Form::Quil_Tesk_Click)->Name("TwoRatioMethod");
BENCHMARK(BM_AllFour)->Name("AllFour");
