// "&Output Results" and "&Export Normed Data": gather what the window shows,
// build the file and save it whole. Neither command changes the window.
#include "app/form.hpp"
#include "output/norm_export.hpp"
#include "output/results_file.hpp"
#include "output/save_file.hpp"

namespace varnel::app {
namespace {

using Values = std::array<float, 4>;
using Positions = std::array<std::int16_t, 4>;
void copyExtremes(output::ScanExtremes& e, const Values& maxVal, const Positions& maxAt, const Values& minVal,
                  const Positions& minAt) {
  for (int ch = 0; ch < model::kChannels; ++ch) {
    e.maxVal[ch] = maxVal[ch];
    e.maxAt[ch] = maxAt[ch];
    e.minVal[ch] = minVal[ch];
    e.minAt[ch] = minAt[ch];
  }
}

}  // namespace

void Form::save(const std::string& what, const std::string& path, const std::string& bytes) {
  if (const output::Saved s = output::saveFile(path, bytes); !s.ok())
    messages_.show(messages::cannotWrite(what, path, s.reason), kErrorTitle);
}

void Form::filesave_Click() {
  const std::string name = GetFileName("OutputAA.txt", DialogKind::Save);
  if (name.empty()) return;
  output::Results r;
  r.filename1 = Filename[1].Text;
  r.pointCount1 = Pntnum[1].Text;
  copyExtremes(r.scan1, MaxVal1, MaxAt1, MinVal1, MinAt1);
  r.filename2 = Filename[2].Text;
  r.pointCount2 = Pntnum[2].Text;
  copyExtremes(r.scan2, MaxVal2, MaxAt2, MinVal2, MinAt2);
  r.shiftCount = ShiftCount;
  r.lowerCutoff = LowerCutoff.Text;
  r.upperCutoff = UpperCutoff.Text;
  for (int ch = 0; ch < model::kChannels; ++ch) {
    r.dataState[ch] = DataState[ch];
    r.areaRatio[ch] = AreaRatio[ch].Text;
    r.slopeComp[ch] = SlopeComp[ch].Text;
    r.correlation[ch] = Correlation[ch].Text;
    r.rRatio[ch] = r_ratio[ch].Text;
    r.tRatio[ch] = t_ratio[ch].Text;
  }
  save("results file", name, output::resultsText(r));
}

void Form::normexport_Click() {
  const std::string name = GetFileName("NormAA.txt", DialogKind::Save);
  if (name.empty()) return;
  const std::string content =
      output::exportText(Filename[1].Text, Filename[2].Text, Norm1, Norm2, VScroll1.Value(), VScroll2.Value());
  save("export file", name, content);
}

}  // namespace varnel::app
