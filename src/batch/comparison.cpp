// One comparison in a fresh form with stand-in dialogs, and the output clash check.
#include "batch/comparison.hpp"

#include <filesystem>
#include <functional>
#include <utility>

#include "app/report_content.hpp"
#include "app/stand_in_dialogs.hpp"
#include "output/save_file.hpp"
#include "picture/chart_picture.hpp"
#include "picture/report_pages.hpp"

namespace varnel::batch {
namespace {

namespace fs = std::filesystem;

struct Named {
  const char* what;
  std::string path;
};

// An output that would replace a scan or another output loses the user's
// data without a word; refuse it before anything runs.
std::string clash(const std::vector<Named>& inputs, const std::vector<Named>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].path.empty()) continue;
    for (const Named& in : inputs)
      if (samePath(outputs[i].path, in.path))
        return std::string("The ") + outputs[i].what + " \"" + outputs[i].path + "\" would replace " + in.what + ".";
    for (std::size_t j = 0; j < i; ++j)
      if (!outputs[j].path.empty() && samePath(outputs[i].path, outputs[j].path))
        return std::string("The ") + outputs[i].what + " and the " + outputs[j].what + " are the same file \"" +
               outputs[i].path + "\".";
  }
  return {};
}

}  // namespace

std::string fullPath(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.string();
}

bool samePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const auto resolved = [](const std::string& p) {
    std::error_code e;
    const fs::path r = fs::weakly_canonical(fullPath(p), e);
    return e ? fs::path(fullPath(p)).lexically_normal() : r;
  };
  return resolved(a) == resolved(b);
}

std::string clash(const Comparison& c, const std::string& summary, const std::string& pairsList) {
  std::vector<Named> inputs{{"File 1", c.scan1}, {"File 2", c.scan2}};
  if (!pairsList.empty()) inputs.push_back({"the list of pairs", pairsList});
  std::vector<Named> outputs;
  for (const OutputKind& k : kOutputKinds) outputs.push_back({k.what, c.*k.path});
  outputs.push_back({"summary", summary});
  return clash(inputs, outputs);
}

Outcome runComparison(const Comparison& c, const Steps& steps) {
  Outcome o;
  app::ScriptedFileDialog dialog;
  app::RecordedMessages box;
  app::Form form(dialog, box);

  // The user's actions in order; `answer` is what the file dialog the action
  // opens is answered with.
  struct Action {
    std::string answer;
    std::function<void()> run;
  };
  std::vector<Action> actions;
  const auto click = [&](std::function<void()> f) { actions.push_back({"", std::move(f)}); };
  const auto withFile = [&](const std::string& path, std::function<void()> f) {
    actions.push_back({fullPath(path), std::move(f)});
  };

  withFile(c.scan1, [&] { form.fileopen_Click(); });
  withFile(c.scan2, [&] { form.fileopen2_Click(); });
  if (steps.lower) click([&] { form.VScroll1.setValue(*steps.lower); });
  if (steps.upper) click([&] { form.VScroll2.setValue(*steps.upper); });
  for (const int ch : steps.smooth) {
    click([&form, ch] { form.LineButton_Click(ch); });
    click([&] { form.Smoothbutton_Click(); });
  }
  if (steps.shift1) {
    click([&] { form.VScroll3.setValue(*steps.shift1); });
    click([&] { form.Shift1_Click(); });
  }
  if (steps.shift2) {
    click([&] { form.VScroll3.setValue(*steps.shift2); });
    click([&] { form.Shift2_Click(); });
  }
  if (steps.channel) click([&] { form.LineButton_Click(*steps.channel); });
  if (steps.threshold) click([&] { form.Threshold.Text = *steps.threshold; });
  click([&] { form.CalcArea_Click(); });
  click([&] { form.CalcSlope_Click(); });
  click([&] { form.CalcCorrelation_Click(); });
  click([&] { form.Quil_Tesk_Click(); });
  if (steps.slopes) click([&] { form.SlopeChart_Click(); });
  if (!c.results.empty()) withFile(c.results, [&] { form.filesave_Click(); });
  if (!c.exportPath.empty()) withFile(c.exportPath, [&] { form.normexport_Click(); });
  // The chart and the report are saved from the chart's context menu, with
  // no question of the form's: their outcome is shown as the view does.
  const auto saved = [&](const char* what, const std::string& path, const output::Saved& s) {
    if (!s.ok()) box.show(app::messages::cannotWrite(what, path, s.reason), app::kErrorTitle);
  };
  if (!c.chart.empty())
    click([&] { saved("chart image", fullPath(c.chart), picture::saveChartPng(form.Picture1, fullPath(c.chart))); });
  if (!c.report.empty())
    click([&] {
      const output::Report report = app::reportOf(form, app::localDateTime());
      saved("report", fullPath(c.report), picture::saveReportPdf(report, form.Picture1, fullPath(c.report)));
    });

  for (const Action& a : actions) {
    if (!a.answer.empty()) dialog.answers = {a.answer};
    a.run();
    if (!box.shown.empty()) break;
    // A dialog that was never opened would leave its answer unused and the
    // window silently short of a step.
    if (!dialog.answers.empty()) {
      box.show("The window did not ask for \"" + a.answer + "\".", app::kErrorTitle);
      break;
    }
  }
  for (const auto& m : box.shown) o.messages.push_back(m.text);
  o.ok = o.messages.empty();
  o.results = app::resultGrid(form);
  return o;
}

}  // namespace varnel::batch
