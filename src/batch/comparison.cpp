// One comparison in a fresh form with stand-in dialogs, and the output clash check.
#include "batch/comparison.hpp"

#include <filesystem>
#include <utility>

#include "app/chart_files.hpp"
#include "app/report_content.hpp"
#include "app/stand_in_dialogs.hpp"

namespace varnel::batch {

namespace fs = std::filesystem;

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

std::string clash(const std::vector<Named>& inputs, const std::vector<Named>& outputs) {
  // An output that would replace a scan or another output loses the user's
  // data without a word; refuse it before anything runs.
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].path.empty()) continue;
    for (const Named& in : inputs)
      if (samePath(outputs[i].path, in.path))
        return "The " + outputs[i].what + " \"" + outputs[i].path + "\" would replace " + in.what + ".";
    for (std::size_t j = 0; j < i; ++j)
      if (!outputs[j].path.empty() && samePath(outputs[i].path, outputs[j].path))
        return "The " + outputs[i].what + " and the " + outputs[j].what + " are the same file \"" + outputs[i].path +
               "\".";
  }
  return {};
}

std::string clash(const Comparison& c, const std::string& summary, const std::string& pairsList) {
  std::vector<Named> inputs{{"File 1", c.scan1}, {"File 2", c.scan2}};
  if (!pairsList.empty()) inputs.push_back({"the list of pairs", pairsList});
  std::vector<Named> outputs;
  for (const OutputKind& k : kOutputKinds) outputs.push_back({k.what, c.*k.path});
  outputs.push_back({"summary", summary});
  return clash(inputs, outputs);
}

std::vector<Action> actionsOf(const Comparison& c, const Steps& steps) {
  using app::Form;
  std::vector<Action> actions;
  const auto click = [&](std::function<void(Form&)> f) {
    actions.push_back({"", [f = std::move(f)](Form& form, app::FileDialog&, app::MessageBox&) { f(form); }});
  };
  const auto withFile = [&](const std::string& path, std::function<void(Form&)> f) {
    actions.push_back({fullPath(path), [f = std::move(f)](Form& form, app::FileDialog&, app::MessageBox&) { f(form); }});
  };

  withFile(c.scan1, [](Form& f) { f.fileopen_Click(); });
  withFile(c.scan2, [](Form& f) { f.fileopen2_Click(); });
  if (const auto v = steps.lower) click([v](Form& f) { f.VScroll1.setValue(*v); });
  if (const auto v = steps.upper) click([v](Form& f) { f.VScroll2.setValue(*v); });
  for (const int ch : steps.smooth) {
    click([ch](Form& f) { f.LineButton_Click(ch); });
    click([](Form& f) { f.Smoothbutton_Click(); });
  }
  if (const auto v = steps.shift1) {
    click([v](Form& f) { f.VScroll3.setValue(*v); });
    click([](Form& f) { f.Shift1_Click(); });
  }
  if (const auto v = steps.shift2) {
    click([v](Form& f) { f.VScroll3.setValue(*v); });
    click([](Form& f) { f.Shift2_Click(); });
  }
  if (const auto ch = steps.channel) click([ch](Form& f) { f.LineButton_Click(*ch); });
  if (const auto t = steps.threshold) click([t](Form& f) { f.Threshold.Text = *t; });
  click([](Form& f) { f.CalcArea_Click(); });
  click([](Form& f) { f.CalcSlope_Click(); });
  click([](Form& f) { f.CalcCorrelation_Click(); });
  click([](Form& f) { f.Quil_Tesk_Click(); });
  if (steps.slopes) click([](Form& f) { f.SlopeChart_Click(); });
  if (!c.results.empty()) withFile(c.results, [](Form& f) { f.filesave_Click(); });
  if (!c.exportPath.empty()) withFile(c.exportPath, [](Form& f) { f.normexport_Click(); });
  // The chart and the report are saved from the chart's context menu.
  if (!c.chart.empty())
    actions.push_back({fullPath(c.chart), [](Form& f, app::FileDialog& d, app::MessageBox& box) {
                         app::saveChartAs(f.Picture1, d, box);
                       }});
  if (!c.report.empty())
    actions.push_back({fullPath(c.report), [](Form& f, app::FileDialog& d, app::MessageBox& box) {
                         app::saveReportAs(f.Picture1, [&f] { return app::reportOf(f, app::localDateTime()); }, d, box);
                       }});
  return actions;
}

Outcome runComparison(const Comparison& c, const Steps& steps, const std::function<void(app::Form&)>& prepare,
                      const std::function<void(const app::Form&)>& inspect) {
  Outcome o;
  app::ScriptedFileDialog dialog;
  app::RecordedMessages box;
  app::Form form(dialog, box);
  if (prepare) prepare(form);
  for (const Action& a : actionsOf(c, steps)) {
    if (!a.answer.empty()) dialog.answers = {a.answer};
    a.run(form, dialog, box);
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
  if (inspect) inspect(form);
  return o;
}

}  // namespace varnel::batch
