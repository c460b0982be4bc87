// The user's other actions on two sample scans: each should take well under
// a millisecond of work in the window logic (writing a file also waits for
// the disk).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/form.hpp"
#include "app/stand_in_dialogs.hpp"
#include "model/scan_file.hpp"

using namespace varnel;

namespace {

const std::string kScan1 = std::string(VARNEL_SOURCE_DIR) + "/examples/back_visit1.txt";
const std::string kScan2 = std::string(VARNEL_SOURCE_DIR) + "/examples/back_visit2.txt";

struct Window {
  app::ScriptedFileDialog dialog;
  app::RecordedMessages messages;
  app::Form form{dialog, messages};
  Window() {
    dialog.answers = {kScan1, kScan2};
    form.fileopen_Click();
    form.fileopen2_Click();
  }
};

void ReadScan501(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(model::readScanFile(kScan1).count);
}

void LoadFile2(benchmark::State& state) {
  Window w;
  for (auto _ : state) {
    w.dialog.answers.push_back(kScan2);
    w.form.fileopen2_Click();
  }
}

void ChannelButton(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.form.LineButton_Click(0);
}

void MoveCutoff(benchmark::State& state) {
  Window w;
  int v = 0;
  for (auto _ : state) w.form.VScroll1.setValue(v = (v + 1) % 200);
}

void Smooth(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.form.Smoothbutton_Click();
}

void ShiftByZero(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.form.Shift1_Click();
}

void SlopesChart(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.form.SlopeChart_Click();
}

template <void (app::Form::*Write)()>
void WriteFile(benchmark::State& state) {
  Window w;
  const auto path = std::filesystem::temp_directory_path() / "varnel-bench-output.txt";
  for (auto _ : state) {
    w.dialog.answers.push_back(path.string());
    (w.form.*Write)();
  }
  std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(ReadScan501)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadFile2)->Unit(benchmark::kMicrosecond);
BENCHMARK(ChannelButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(MoveCutoff)->Unit(benchmark::kMicrosecond);
BENCHMARK(Smooth)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShiftByZero)->Unit(benchmark::kMicrosecond);
BENCHMARK(SlopesChart)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(WriteFile, &app::Form::filesave_Click)->Name("WriteResultsFile")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(WriteFile, &app::Form::normexport_Click)->Name("WriteExport")->Unit(benchmark::kMicrosecond);
