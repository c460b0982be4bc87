// The report's PDF, read back with poppler's tools.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "app/report_content.hpp"
#include "picture/report_pages.hpp"
#include "support/application.hpp"
#include "support/pdf_words.hpp"
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
// Paths, states and extremes as text; the results in their cells are checked on the page below.
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
// On A4 at 180 dpi (1488 device pixels, 595.2 pt wide) the page has 40 pt
// margins: texts run from x = 40 to 555.2 pt. The results grid keeps 110 pt
// for its row names, then three columns of (515.2 - 110) / 3 = 135.07 pt, rows
// 15 pt high. The chart stands 40 + 258 = 298 pt down, 287 x 500 chart pixels
// of 0.8 pt (2 device pixels), so 229.6 x 400 pt; its heading 17 pt above it.
// The side panel starts 18 pt right of the chart, at 287.6 pt: the extremes
// keep 44 pt for "File n" and four cells of (555.2 - 287.6 - 44) / 4 = 55.9
// pt; a legend mark is 22 pt wide, its text 6 pt further, at 315.6 pt.
TEST_F(Report, LabelsMarksAndChartInTheirCells) {
  sample();
  const output::Report r = app::reportOf(form, "2031-05-06 07:08");
  const std::string file = pdf();
  const std::vector<Word> words = pdfWords(file);
  ASSERT_FALSE(words.empty());
  const auto centredIn = [](const Word& w, double lo, double hi) {
    EXPECT_NEAR(w.cx(), (lo + hi) / 2, 0.3) << w.text;
    EXPECT_TRUE(w.x0 > lo && w.x1 < hi) << w.text << " " << w.x0 << ".." << w.x1 << " outside " << lo << ".." << hi;
  };
  const auto on = [&](double y0, double xFrom, const std::string& text) {
    for (const Word& w : wordsReading(words, text))
      if (std::abs(w.y0 - y0) < 0.01 && w.x0 > xFrom) return w;
    ADD_FAILURE() << text << " not on the line at " << y0;
    return Word{};
  };
  const double resultCols[4] = {150, 285.067, 420.133, 555.2};
  const app::Form::Boxes* const boxes[] = {&form.AreaRatio, &form.SlopeComp, &form.Correlation, &form.r_ratio,
                                           &form.t_ratio};
  const char* const firstWord[5] = {"Area", "Slope", "Correlation", "r", "t"};
  std::vector<Word> keys;
  for (const char* k : firstWord)
    for (const Word& w : wordsReading(words, k))
      if (w.x0 == 40.0 && w.y0 < 281) keys.push_back(w);
  ASSERT_EQ(keys.size(), 5u);
  for (int row = 0; row < 5; ++row) {
    EXPECT_NEAR(keys[row].y0 - keys[0].y0, 15.0 * row, 0.01) << firstWord[row];
    for (int c = 0; c < 3; ++c)  // Lft, Delta, Rt: the boxes of Left Temp (1), Delta-T (0), Right Temp (2)
      centredIn(on(keys[row].y0, 140, (*boxes[row])[c == 0 ? 1 : c == 1 ? 0 : 2].Text), resultCols[c], resultCols[c + 1]);
  }
  for (int c = 0; c < 3; ++c) centredIn(on(keys[0].y0 - 15, 140, output::kReportColumnNames[c]), resultCols[c], resultCols[c + 1]);

  const Word chartHeading = wordsReading(words, "Chart:").at(0);
  EXPECT_NEAR(chartHeading.x0, 40, 0.01);
  EXPECT_TRUE(chartHeading.y0 >= 280.9 && chartHeading.y1 < 298) << chartHeading.y0;
  for (const char* h : {"Settings", "Extremes", "Legend"}) EXPECT_NEAR(wordsReading(words, h).at(0).x0, 287.6, 0.01) << h;
  const Word extremesAt = wordsReading(words, "Extremes").at(0);
  const double extremeCols[5] = {331.6, 387.5, 443.4, 499.3, 555.2};
  std::vector<Word> fileKeys;
  for (const Word& w : wordsReading(words, "File"))
    if (std::abs(w.x0 - 287.6) < 0.01 && w.y0 > extremesAt.y0 && fileKeys.size() < 2) fileKeys.push_back(w);
  ASSERT_EQ(fileKeys.size(), 2u);
  for (int f = 0; f < 2; ++f) {
    const output::ReportScan& s = r.scans[f];
    const std::string values[4] = {s.maxValue, s.maxAt, s.minValue, s.minAt};
    for (int c = 0; c < 4; ++c) centredIn(on(fileKeys[f].y0, 300, values[c]), extremeCols[c], extremeCols[c + 1]);
  }

  // Each legend text at 315.6 pt, its mark on its line: a stroke across the
  // 22 pt box, or two dots at 30 % and 70 % of it with black between.
  const QImage page = pdfPage(file, 1, picture::kReportDpi);
  ASSERT_FALSE(page.isNull());
  const auto colourAt = [&](double xPt, double yPt) {
    return page.pixel(static_cast<int>(xPt * 2.5), static_cast<int>(yPt * 2.5)) & 0xFFFFFF;
  };
  std::vector<Word> legendLines;
  for (const Word& w : words)
    if (std::abs(w.x0 - 315.6) < 0.01 && (legendLines.empty() || w.y0 > legendLines.back().y0)) legendLines.push_back(w);
  ASSERT_EQ(legendLines.size(), r.legend.size());
  for (std::size_t i = 0; i < r.legend.size(); ++i) {
    const output::LegendEntry& e = r.legend[i];
    EXPECT_EQ(e.text.substr(0, e.text.find(' ')), legendLines[i].text);
    const double y = legendLines[i].cy();
    if (e.mark == output::LegendMark::Line) {
      EXPECT_EQ(colourAt(298.6, y), e.rgb) << e.text;
      EXPECT_EQ(colourAt(289.0, y), 0u) << e.text;  // the black box outside the stroke
    } else {
      EXPECT_EQ(colourAt(294.2, y), e.rgb) << e.text;
      EXPECT_EQ(colourAt(303.0, y), e.rgb) << e.text;
      EXPECT_EQ(colourAt(298.6, y), 0u) << e.text;
    }
  }
}
// The chart holds the surface's pixels at (40, 298) pt. On A4 and Letter it
// is held to 400 pt high (1000 device pixels, 2 a chart pixel); on A5 the
// 595 - 40 - 298 = 257 pt left (642 device pixels) fit it once only, 287 x
// 500. Poppler smooths images enlarged less than 4 times, so it renders at 4
// times the report's resolution; a ring of white device pixels stands around.
TEST_F(Report, ChartComesBackPixelForPixel) {
  sample();
  form.Smoothbutton_Click();
  const chart::Surface& s = form.Picture1;
  for (const auto& [size, scale] : {std::pair{QPageSize::A4, 2}, {QPageSize::Letter, 2}, {QPageSize::A5, 1}}) {
    const QPageSize page(size);
    const int zoom = 4, w = 287 * scale, h = 500 * scale;
    const QRect at(QPoint(100, 745) * zoom, QSize(w, h) * zoom);
    const std::string command = QString::asprintf("pdftoppm -png -singlefile -r %d -x %d -y %d -W %d -H %d '%s' '%s'",
                                                  picture::kReportDpi * zoom, at.x() - zoom, at.y() - zoom,
                                                  at.width() + 2 * zoom, at.height() + 2 * zoom, pdf(page).c_str(),
                                                  dir.file("chart").c_str())
                                    .toStdString();
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage shot(QString::fromStdString(dir.file("chart.png")));
    ASSERT_EQ(shot.size(), at.size() + QSize(2 * zoom, 2 * zoom));
    int wrong = 0;  // each device pixel read at its centre
    for (int y = -1; y <= h; ++y)
      for (int x = -1; x <= w; ++x) {
        const bool inside = x >= 0 && x < w && y >= 0 && y < h;
        const QRgb want = inside ? s.pixel(x / scale, y / scale) : 0xFFFFFF;
        wrong += (shot.pixel((x + 1) * zoom + zoom / 2, (y + 1) * zoom + zoom / 2) & 0xFFFFFF) != want;
      }
    EXPECT_EQ(wrong, 0) << page.name().toStdString();
  }
}
}  // namespace
}  // namespace varnel::test
