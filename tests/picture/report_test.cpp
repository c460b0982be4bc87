// The comparison report: what reportOf() gathers from the window, and what
// the PDF holds, read back with poppler's tools.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "app/report_content.hpp"
#include "picture/report_pages.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

// Fonts need an application, made before the first test and gone after the last.
struct GuiApplication : ::testing::Environment {
  int argc = 1;
  char name[13] = "test_picture", *argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  void SetUp() override { app = std::make_unique<QGuiApplication>(argc, argv); }
  void TearDown() override { app.reset(); }
};
[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new GuiApplication);

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
  std::string text() {
    EXPECT_EQ(std::system(("pdftotext -raw '" + pdf() + "' '" + dir.file("report.txt") + "'").c_str()), 0);
    return readAll(dir.file("report.txt"));
  }
};

// Every result in its row and on-screen column, both paths and extremes.
TEST_F(Report, PdfTextHoldsEveryResultAndBothPaths) {
  sample();
  const std::string t = text();
  std::vector<std::string> wanted = {app::kTitle,
                                     "2031-05-06 07:08",
                                     form.Filename[1].Text,
                                     form.Filename[2].Text,
                                     "Left Temp: Raw",
                                     form.MaxTemp[2].Text + " " + form.Max_at[1].Text,
                                     form.MinTemp[2].Text + " " + form.Max_at[3].Text};
  const app::TextBox* const boxes[] = {form.AreaRatio, form.SlopeComp, form.Correlation, form.r_ratio, form.t_ratio};
  for (int row = 0; row < 5; ++row)
    wanted.push_back(output::kReportRowNames[row] + (" " + boxes[row][1].Text + " " + boxes[row][0].Text) + " " +
                     boxes[row][2].Text);
  for (const std::string& w : wanted) EXPECT_NE(t.find(w), std::string::npos) << w << " missing from\n" << t;
}

// The chart, rendered back, holds the surface's pixels as whole squares, on
// either paper size. Poppler smooths images it enlarges less than 4 times,
// so the page is rendered at 4 times the PDF's resolution, and only the
// inside of each square is compared, which a fraction of a pixel of offset
// cannot move.
TEST_F(Report, ChartComesBackPixelForPixel) {
  sample();
  form.Smoothbutton_Click();
  const chart::Surface& s = form.Picture1;
  for (const auto size : {QPageSize::A4, QPageSize::Letter}) {
    const QPageSize page(size);
    const picture::ReportLayout l = picture::reportLayout(page.rectPixels(picture::kReportDpi), picture::kReportDpi);
    ASSERT_EQ(l.chartScale, 2);
    const int zoom = 4, square = l.chartScale * zoom;
    const QRect at(l.chart.topLeft() * zoom, l.chart.size() * zoom);
    const std::string png = dir.file("chart");
    const auto n = [](int v) { return std::to_string(v); };
    ASSERT_EQ(std::system(("pdftoppm -png -singlefile -r " + n(picture::kReportDpi * zoom) + " -x " + n(at.x()) +
                           " -y " + n(at.y()) + " -W " + n(at.width()) + " -H " + n(at.height()) + " '" + pdf(page) +
                           "' '" + png + "'")
                              .c_str()),
              0);
    const QImage shot(QString::fromStdString(png + ".png"));
    ASSERT_EQ(shot.size(), at.size());
    int wrong = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const int inX = x % square, inY = y % square;
        if (inX == 0 || inY == 0 || inX == square - 1 || inY == square - 1) continue;
        wrong += (shot.pixel(x, y) & 0xFFFFFF) != s.pixel(x / square, y / square);
      }
    EXPECT_EQ(wrong, 0) << page.name().toStdString();
  }
}

// Each state builds on the one before, as a user gets there.
TEST_F(Report, UnusualStatesStillMakeAPage) {
  const std::vector<std::tuple<std::function<void()>, std::vector<std::string>>> cases = {
      {[] {}, {"File 1 not loaded", "File 2 not loaded", "Delta-T: Raw", "Cut-offs lower 0, upper 500"}},
      {[this] { load(1, kExamples + "back_visit1.txt"); }, {"back_visit1.txt", "File 2 not loaded"}},
      {[this] { form.CalcCorrelation_Click(); }, {"Correlation n/a n/a n/a"}},
  };
  for (const auto& [setUp, shown] : cases) {
    setUp();
    const std::string t = text();
    for (const std::string& w : shown) EXPECT_NE(t.find(w), std::string::npos) << w << "\n" << t;
  }
}

}  // namespace
}  // namespace varnel::test
