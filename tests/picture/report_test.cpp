// The report's PDF, read back with poppler's tools.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "app/report_content.hpp"
#include "picture/report_pages.hpp"
#include "support/application.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {
[[maybe_unused]] const bool registered = useApplication<QGuiApplication>("test_picture");
const std::string kExamples = std::string(VARNEL_SOURCE_DIR) + "/examples/";
struct Report : ::testing::Test, FormFixture {
  void sample() {
    load(1, kExamples + "back_visit1.txt");
    load(2, kExamples + "back_visit2.txt");
    form.CalcArea_Click(), form.CalcSlope_Click(), form.CalcCorrelation_Click(), form.Quil_Tesk_Click();
  }
  std::string pdf(const QPageSize& size = QPageSize(QPageSize::A4)) {
    return dir.write("report.pdf", picture::reportPdf(app::reportOf(form, "2031-05-06 07:08"), form.Picture1, size));
  }
  void expectText(const std::vector<std::string>& wanted) {
    ASSERT_EQ(std::system(("pdftotext -raw '" + pdf() + "' '" + dir.file("report.txt") + "'").c_str()), 0);
    const std::string t = readAll(dir.file("report.txt"));
    for (const std::string& w : wanted) EXPECT_NE(t.find(w), std::string::npos) << w << " missing from\n" << t;
  }
};
// Every result in its row and on-screen column, paths and extremes.
TEST_F(Report, PdfTextHoldsEveryResultAndBothPaths) {
  expectText({"File 1 not loaded", "File 2 not loaded", "Delta-T: Raw", "Cut-offs lower 0, upper 500"});
  load(1, kExamples + "back_visit1.txt");
  form.CalcCorrelation_Click();
  expectText({"back_visit1.txt", "File 2 not loaded", "Correlation n/a n/a n/a"});
  sample();
  std::vector<std::string> wanted = {app::kTitle, "2031-05-06 07:08", form.Filename[1].Text, form.Filename[2].Text,
                                     "Left Temp: Raw"};
  wanted.push_back(form.MaxTemp[2].Text + " " + form.Max_at[1].Text);  // File 2's extremes and where they lie
  wanted.push_back(form.MinTemp[2].Text + " " + form.Max_at[3].Text);
  const app::Form::Boxes* const boxes[] = {&form.AreaRatio, &form.SlopeComp, &form.Correlation, &form.r_ratio,
                                           &form.t_ratio};
  for (int row = 0; row < 5; ++row)
    wanted.push_back(output::kReportRowNames[row] + (" " + (*boxes[row])[1].Text + " " + (*boxes[row])[0].Text) + " " +
                     (*boxes[row])[2].Text);
  expectText(wanted);
}
// Two scans of different lengths: each file's own path, point count and extremes (Left Temp over points 0..3,
// where the shorter file pulls the cut-offs).
TEST_F(Report, EachFileShowsItsOwnCountPathAndExtremes) {
  const double left1[] = {31, 35, 33, 30.5, 36, 29}, left2[] = {36.5, 29.25, 37, 33};
  const std::string one = loadText(1, "one.txt", scanOf(6, [&](int r) { return std::pair{left1[5 - r], 20.0}; }));
  const std::string two = loadText(2, "two.txt", scanOf(4, [&](int r) { return std::pair{left2[3 - r], 20.0}; }));
  expectText({"File 1 " + one + "\n# of Pnts: 5\nFile 2 " + two + "\n# of Pnts: 3\n",
              "File 1 35 1 30.5 3\nFile 2 37 2 29.25 1\n"});
}
// The chart holds the surface's pixels on either paper size; poppler smooths
// images enlarged less than 4 times, so it renders at 4 times.
TEST_F(Report, ChartComesBackPixelForPixel) {
  sample();
  form.Smoothbutton_Click();
  const chart::Surface& s = form.Picture1;
  for (const auto size : {QPageSize::A4, QPageSize::Letter}) {
    const QPageSize page(size);
    const picture::ReportLayout l = picture::reportLayout(page.rectPixels(picture::kReportDpi), picture::kReportDpi);
    ASSERT_EQ(l.chartScale, 2);
    const int zoom = 4;
    const QRect at(l.chart.topLeft() * zoom, l.chart.size() * zoom);
    const std::string command = QString::asprintf("pdftoppm -png -singlefile -r %d -x %d -y %d -W %d -H %d '%s' '%s'",
                                                  picture::kReportDpi * zoom, at.x(), at.y(), at.width(), at.height(),
                                                  pdf(page).c_str(), dir.file("chart").c_str())
                                    .toStdString();
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage shot(QString::fromStdString(dir.file("chart.png")));
    ASSERT_EQ(shot.size(), at.size());
    int wrong = 0;  // each device pixel read at its centre
    for (int y = 0; y < l.chart.height(); ++y)
      for (int x = 0; x < l.chart.width(); ++x)
        wrong += (shot.pixel(x * zoom + zoom / 2, y * zoom + zoom / 2) & 0xFFFFFF) != s.pixel(x / 2, y / 2);
    EXPECT_EQ(wrong, 0) << page.name().toStdString();
  }
}
}  // namespace
}  // namespace varnel::test
