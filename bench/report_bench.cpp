// One comparison report of the example scans, all four calculations run, as
// PDF bytes: what a batch run pays per pair for `--report`.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <string>

#include "app/report_content.hpp"
#include "app/stand_in_dialogs.hpp"
#include "picture/report_pages.hpp"

namespace {

QGuiApplication& application() {
  static int argc = 1;
  static char name[] = "varnel_bench";
  static char* argv[] = {name, nullptr};
  static const std::unique_ptr<QGuiApplication> app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
  }();
  return *app;
}

void reportPdf(benchmark::State& state) {
  application();
  const std::string examples = std::string(VARNEL_SOURCE_DIR) + "/examples/";
  varnel::app::ScriptedFileDialog dialog;
  varnel::app::RecordedMessages messages;
  dialog.answers = {examples + "back_visit1.txt", examples + "back_visit2.txt"};
  varnel::app::Form form(dialog, messages);
  form.fileopen_Click();
  form.fileopen2_Click();
  form.CalcArea_Click();
  form.CalcSlope_Click();
  form.CalcCorrelation_Click();
  form.Quil_Tesk_Click();
  const varnel::output::Report report = varnel::app::reportOf(form, varnel::app::localDateTime());
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string pdf = varnel::picture::reportPdf(report, form.Picture1);
    bytes = pdf.size();
    benchmark::DoNotOptimize(pdf.data());
  }
  state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(reportPdf)->Unit(benchmark::kMillisecond);

}  // namespace
