// One comparison as varnel-batch runs it, on the 501-reading example scans:
// a fresh window, both scans loaded, the four calculations, the results file
// and the export written. A batch of 1,000 pairs costs about 1,000 times this
// (plus process start-up).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/form.hpp"
#include "app/stand_in_dialogs.hpp"

namespace {

void comparison(benchmark::State& state, bool writeFiles) {
  const std::string examples = std::string(VARNEL_SOURCE_DIR) + "/examples/";
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "varnel-batch-bench";
  std::filesystem::create_directories(out);
  for (auto _ : state) {
    varnel::app::ScriptedFileDialog dialog;
    varnel::app::RecordedMessages box;
    dialog.answers = {examples + "back_visit1.txt", examples + "back_visit2.txt", (out / "r.txt").string(),
                      (out / "n.txt").string()};
    varnel::app::Form form(dialog, box);
    form.fileopen_Click();
    form.fileopen2_Click();
    form.LineButton_Click(0);
    form.CalcArea_Click();
    form.CalcSlope_Click();
    form.CalcCorrelation_Click();
    form.Quil_Tesk_Click();
    if (writeFiles) {
      form.filesave_Click();
      form.normexport_Click();
    }
    if (!box.shown.empty()) state.SkipWithError("the form showed a message");
    benchmark::DoNotOptimize(form.t_ratio[2].Text);
  }
  std::filesystem::remove_all(out);
}

void BM_ComparisonInMemory(benchmark::State& state) { comparison(state, false); }
void BM_ComparisonWritingFiles(benchmark::State& state) { comparison(state, true); }

}  // namespace

BENCHMARK(BM_ComparisonInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComparisonWritingFiles)->Unit(benchmark::kMillisecond);
