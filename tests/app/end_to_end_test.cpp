// One whole session on two short hand-made scans, from loading to the two result files, compared byte for
// byte with files worked out independently (in IEEE double arithmetic), not by running this program.
#include <gtest/gtest.h>

#include "support/form_state.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

// Each field stands for a line ending in CR LF in the file, @1 and @2 for the quoted paths of the scans.
// 20 readings, peak 35.3 at the 8th.
const char* const kFirst = R"(32.1,31.9 32.4,32.0 32.9,32.3 33.5,32.8 34.2,33.1 34.8,33.6 35.1,34.0 35.3,34.4 35.0,34.5
34.6,34.2 34.1,33.9 33.7,33.3 33.2,32.9 32.8,32.6 32.5,32.2 32.3,31.9 32.0,31.8 31.8,31.6 31.7,31.4 31.5,31.6
)";
// 17 readings, peak two points lower than the first scan's.
const char* const kSecond = R"(31.8,31.7 32.2,31.9 32.8,32.4 33.6,32.9 34.1,33.3 34.9,33.8 35.2,34.2 35.0,34.3 34.7,34.1
34.4,33.8 33.9,33.5 33.4,33.0 33.0,32.8 32.7,32.4 32.3,32.1 32.1,31.9 31.9,32.0
)";

const char* const kResults = R"(@1 "19" 35.3 1.2 34.5 12 14 11 32.4 0.2 32 18 6 18
@2 "18" 34.4 0.8 34.3 9 14 11 31.8 -0.3257701 31.7 18 12 18
-2 "5" "18" "Smoothed" "Raw" "Raw"
"0.773713544992993" "0.613462658537411" "0.92887573964497"
"0.333333333333333" "0.25" "0.416666666666667"
"0.751117232419229" "0.06346711454056" "0.967461685103397"
"0.4" "0" "1" "1" "1" "1"
)";

const char* const kExport = R"(@1,,,@2
36.6172413793101,47.0680000000002,51.6600000000003,108.176923076923,90.5153846153844,156.32536038441
60.3689655172411,83.8040000000001,28.7,134.669230769231,125.838461538461,135.930432461292
92.0379310344829,111.356,51.660000000002,169.992307692307,143.5,176.720288307527
130.904388714734,148.092,74.6200000000023,214.146153846154,187.653846153846,176.720288307527
150.991935024223,203.196,28.7000000000016,258.3,214.146153846154,217.510144153763
163.548882095391,230.748,74.6200000000007,230.202097902098,240.638461538462,91.4324079017613
167.170880781179,258.3,97.580000000001,226.042148760331,258.3,41.0350240256284
258.3,249.116,189.420000000001,211.870455990291,249.469230769231,28.7
242.46551724138,212.38,235.340000000001,188.382455485912,214.146153846154,56.0334660000978
218.713793103448,175.644,258.3,231.807692307692,169.992307692307,258.3
171.210344827587,129.724,235.340000000001,187.653846153846,134.669230769231,237.905072076882
115.789655172414,102.172,143.500000000002,117.007692307692,90.5153846153844,176.720288307527
68.2862068965514,56.2519999999995,120.540000000001,64.023076923077,46.3615384615382,156.32536038441
28.6999999999998,28.6999999999998,74.6200000000007,28.6999999999998,28.6999999999998,115.535504538173
)";

std::string fileText(const char* text, const std::string& path1 = "", const std::string& path2 = "") {
  std::string out;
  for (const char* c = text; *c; ++c)
    out += *c == '@'                 ? '"' + (*++c == '1' ? path1 : path2) + '"'
           : *c == '\n' || *c == ' ' ? "\r\n"
                                     : std::string(1, *c);
  return out;
}

TEST(EndToEnd, LoadNarrowSmoothShiftCalculateAndWrite) {
  FormFixture fx;
  app::Form& f = fx.form;
  const std::string first = fx.loadText(1, "first.txt", fileText(kFirst));
  const std::string second = fx.loadText(2, "second.txt", fileText(kSecond));
  EXPECT_EQ(f.UpperCutoff.Text, "16");  // pulled back to the second scan's last point

  for (int v = 1; v <= 3; ++v) f.VScroll1.setValue(v);  // three small steps up
  f.Smoothbutton_Click();                               // Left Temp, on show after loading
  f.VScroll3.setValue(2);
  f.Shift2_Click();  // lines the peaks up
  EXPECT_EQ(f.Frame1.Caption, "Shift Chart Up -2");
  EXPECT_EQ(f.LowerCutoff.Text, "5");
  f.VScroll2.setValue(18);  // the second scan now ends at 18
  for (int ch : {1, 2, 0}) f.LineButton_Click(ch);
  f.Threshold.Text = "5.4";  // typed in
  f.CalcCorrelation_Click();
  f.CalcSlope_Click();
  f.CalcArea_Click();
  f.Quil_Tesk_Click();
  EXPECT_TRUE(fx.messages.shown.empty());

  // Writing changes nothing in the window; a cancelled dialog writes nothing and says nothing, a failed write
  // says which file, where and why.
  const FormState before = formState(f);
  const std::string missing = fx.dir.file("none/x.txt");
  fx.dialog.answers = {fx.dir.file("OutputAA.txt"), fx.dir.file("NormAA.txt"), "", "", missing, missing};
  for (int i = 0; i < 3; ++i) f.filesave_Click(), f.normexport_Click();
  EXPECT_EQ(readAll(fx.dir.file("OutputAA.txt")), fileText(kResults, first, second));
  EXPECT_EQ(readAll(fx.dir.file("NormAA.txt")), fileText(kExport, first, second));
  std::vector<std::string> said;
  for (const auto& m : fx.messages.shown) said.push_back(m.title + ": " + m.text);
  const std::string why = " file \"" + missing + "\": No such file or directory.";
  EXPECT_EQ(said, (std::vector<std::string>{"Error: Cannot write the results" + why,
                                            "Error: Cannot write the export" + why}));
  EXPECT_TRUE(formState(f) == before) << formState(f).firstDifference(before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fx.dir.path()), {}), 4);  // two scans, two files
}

}  // namespace
}  // namespace varnel::test
