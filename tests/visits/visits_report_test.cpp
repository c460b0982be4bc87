// The visits report as the reader sees it: a series built by hand, its PDF
// rendered by poppler, and what lies where on the page. Places are found on
// the page (a cell by its fill, a label by its words) and checked against
// each other as the layout must have them, so that they hold whatever the
// margins and the page's header.
#include "visits/visits_report.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <map>

#include "support/application.hpp"
#include "support/pdf_words.hpp"

namespace varnel::test {
namespace {

[[maybe_unused]] const bool registered = useApplication<QGuiApplication>("test_visits_report");

constexpr int kDpi = 144;  // 2 pixels a point
int at(double pt) { return static_cast<int>(std::lround(pt * kDpi / 72.0)); }

int distance(QRgb p, std::uint32_t rgb) {
  return std::abs(qRed(p) - int(rgb >> 16)) + std::abs(qGreen(p) - int(rgb >> 8 & 0xFF)) +
         std::abs(qBlue(p) - int(rgb & 0xFF));
}
bool white(QRgb p) { return qRed(p) > 245 && qGreen(p) > 245 && qBlue(p) > 245; }
bool grey(QRgb p) { return std::abs(qRed(p) - qGreen(p)) < 10 && std::abs(qGreen(p) - qBlue(p)) < 10 && qRed(p) < 235; }
bool crossRed(QRgb p) { return distance(p, visits::kFailedColour) < 60; }

// Visits 1..n with the given asymmetry counts; pairs failed or with a
// correlation (Left Temp) as text.
struct Built {
  series::Series s;
  explicit Built(const std::vector<int>& reachT1) {
    for (std::size_t v = 0; v < reachT1.size(); ++v)
      s.visits.push_back({"/p/visit" + std::to_string(v + 1) + ".txt", "", 500, {501, 0.1, 0.5, 3, reachT1[v], 1}});
    for (int i = 0; i + 1 < static_cast<int>(reachT1.size()); ++i)
      for (int j = i + 1; j < static_cast<int>(reachT1.size()); ++j)
        s.pairs.push_back({i, j, {false, {"Cannot shift File 2 by 1"}, {}}, series::Channel::Left, {}});
  }
  void correlation(int i, int j, const char* text) {
    for (series::Pair& p : s.pairs)
      if (p.earlier == i && p.later == j) {
        p.outcome = {true, {}, {}};
        p.outcome.results[2][output::reportColumnOf(model::kLeft)] = text;
      }
  }
};

// The report's pages and words.
struct Rendered {
  std::vector<QImage> pages;
  std::vector<Word> words;
  QImage page(const Word& w) const { return pages.at(static_cast<std::size_t>(w.page - 1)); }
};

struct VisitsReport : ::testing::Test {
  ScratchDir dir;
  Rendered render(const series::Series& s) {
    const std::string pdf =
        dir.write("visits.pdf",
                  visits::visitsReportPdf(s, visits::VisitsSettings{}, "2031-05-06 07:08", QPageSize(QPageSize::A4)));
    Rendered r;
    r.words = pdfWords(pdf);
    int pages = 0;
    for (const Word& w : r.words) pages = std::max(pages, w.page);
    for (int p = 1; p <= pages; ++p) r.pages.push_back(pdfPage(pdf, p, kDpi));
    return r;
  }
};

// A matrix cell found by its fill around the word of its value, in points.
struct CellBox {
  double left = 0, right = 0, top = 0, bottom = 0;
  int page = 0;
  double cx() const { return (left + right) / 2; }
  double cy() const { return (top + bottom) / 2; }
};

// The cell holding the word `text` on a fill: its value centred in it, the
// column's later visit above it and the row's earlier visit left of it.
CellBox cellOfText(const Rendered& r, const std::string& text, int earlier, int later) {
  for (const Word& w : wordsReading(r.words, text)) {
    const QImage page = r.page(w);
    const int x = at(w.cx()), y = at(w.cy() + 8);  // under the text, inside the cell
    const QRgb fill = page.pixel(x, y);
    if (white(fill) || grey(fill)) continue;  // the scale's end values stand on white
    const auto same = [&](int px, int py) { return distance(page.pixel(px, py), fill & 0xFFFFFF) < 8; };
    int l = x, rt = x, t = y, b = y;
    while (same(l - 1, y)) --l;
    while (same(rt + 1, y)) ++rt;
    const int edge = l + at(3);
    while (same(edge, t - 1)) --t;
    while (same(edge, b + 1)) ++b;
    CellBox c{l / 2.0, (rt + 1) / 2.0, t / 2.0, (b + 1) / 2.0, w.page};
    EXPECT_TRUE(w.x0 > c.left && w.x1 < c.right && w.y0 > c.top && w.y1 < c.bottom) << text << " outside its cell";
    EXPECT_NEAR(w.cx(), c.cx(), 1.0) << text;
    EXPECT_NEAR(w.cy(), c.cy(), 1.5) << text;
    // The numbers stand along the matrix's top and left edges: `earlier`
    // rows above this cell and `later - 1` columns left of it.
    const double pitch = c.right - c.left, top = c.top - earlier * pitch, left = c.left - (later - 1) * pitch;
    bool column = false, row = false;
    for (const Word& n : r.words) {
      if (n.page != w.page) continue;
      if (n.text == std::to_string(later + 1) && std::abs(n.cx() - c.cx()) < 1 && n.y1 <= top + 0.5 && n.y1 > top - 14)
        column = true;
      if (n.text == std::to_string(earlier + 1) && std::abs(n.cy() - c.cy()) < 1 && n.x1 <= left + 0.5 &&
          n.x1 > left - 16)
        row = true;
    }
    EXPECT_TRUE(column) << text << ": visit " << later + 1 << " not over its column";
    EXPECT_TRUE(row) << text << ": visit " << earlier + 1 << " not beside its row";
    return c;
  }
  ADD_FAILURE() << text << " is in no cell";
  return {};
}

// Five visits; pairs 1,2 1,3 1,5 and 3,4 failed. The other cells show their
// value centred under their visits' numbers, the failed ones are crossed out,
// nothing is drawn under the diagonal, and the colour scale starts at the
// matrix's left edge with its end values at its ends.
TEST_F(VisitsReport, MatrixCellsLabelsAndScale) {
  Built b({4, 2, 2, 2, 2});
  const std::map<std::pair<int, int>, const char*> values = {{{0, 3}, "0.917"}, {{1, 2}, "0.213"}, {{1, 3}, "0.452"},
                                                             {{1, 4}, "0.351"}, {{2, 4}, "0.553"}, {{3, 4}, "0.618"}};
  for (const auto& [pair, text] : values) b.correlation(pair.first, pair.second, text);
  const Rendered r = render(b.s);
  ASSERT_FALSE(r.words.empty());
  std::map<std::pair<int, int>, CellBox> cells;
  for (const auto& [pair, text] : values) cells[pair] = cellOfText(r, text, pair.first, pair.second);
  ASSERT_FALSE(HasFailure());
  // One pitch for the whole grid: cells are squares side by side.
  const CellBox& ref = cells[{1, 2}];
  const double pitch = ref.right - ref.left;
  EXPECT_NEAR(ref.bottom - ref.top, pitch, 1.0);
  for (const auto& [pair, c] : cells) {
    EXPECT_NEAR(c.cx(), ref.cx() + (pair.second - 2) * pitch, 1.0) << pair.first << "," << pair.second;
    EXPECT_NEAR(c.cy(), ref.cy() + (pair.first - 1) * pitch, 1.0) << pair.first << "," << pair.second;
  }
  const QImage page = r.pages.at(static_cast<std::size_t>(ref.page - 1));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j <= 4; ++j) {
      if (j == 0) continue;
      const double x = ref.cx() + (j - 2) * pitch, y = ref.cy() + (i - 1) * pitch, d = pitch / 4;
      int red = 0, blank = 0;
      for (const auto& [dx, dy] : {std::pair{-d, -d}, {d, -d}, {-d, d}, {d, d}}) {
        red += crossRed(page.pixel(at(x + dx), at(y + dy)));
        blank += white(page.pixel(at(x + dx), at(y + dy)));
      }
      const bool failed = j > i && !values.count({i, j});
      EXPECT_EQ(red, failed ? 4 : 0) << "pair " << i + 1 << "," << j + 1;
      if (j <= i) {
        EXPECT_EQ(blank, 4) << "under the diagonal: " << i + 1 << "," << j + 1;
      }
    }

  // The scale: below the matrix, from its left edge (column 2's), and its
  // two end values under its two ends.
  const double matrixLeft = ref.left - pitch, matrixBottom = ref.bottom + 2 * pitch;
  const int sx = at(ref.cx() - pitch);
  int y = at(matrixBottom) + at(2);
  while (y < page.height() && (white(page.pixel(sx, y)) || grey(page.pixel(sx, y)))) ++y;
  ASSERT_LT(y, at(matrixBottom + 40)) << "no scale under the matrix";
  const int barY = y + at(2);
  int left = sx, right = sx;
  while (!white(page.pixel(left - 1, barY))) --left;
  while (!white(page.pixel(right + 1, barY))) ++right;
  EXPECT_NEAR(left / 2.0, matrixLeft, 1.0) << "the scale does not start at the matrix's edge";
  std::vector<Word> under;
  for (const Word& w : r.words)
    if (w.page == ref.page && w.y0 > barY / 2.0 && w.y0 < barY / 2.0 + 20 && w.x1 < (right + 1) / 2.0 + 1)
      under.push_back(w);
  ASSERT_GE(under.size(), 2u);
  const auto [lo, hi] =
      std::minmax_element(under.begin(), under.end(), [](const Word& a, const Word& b) { return a.x0 < b.x0; });
  EXPECT_NEAR(lo->x0, left / 2.0, 1.0) << lo->text;
  EXPECT_NEAR(hi->x1, (right + 1) / 2.0, 1.0) << hi->text;
}

// A series of two visits still has its matrix: one cell, under "2" and
// beside "1".
TEST_F(VisitsReport, TwoVisitsStillDrawTheirMatrix) {
  Built b({1, 1});
  b.correlation(0, 1, "0.777");
  cellOfText(render(b.s), "0.777", 0, 1);
}

// The trend: against the visit before, a value at visits 3 (0.213, pair 2,3)
// and 5 (0.618, pair 4,5) alone; against visit 1, at visit 4 alone (0.917,
// pair 1,4). Each stands as a lone dot over its visit's number; the visits
// are evenly spaced and lie within the plot; the values run up the plot in
// proportion (0.618 at (0.618 - 0.213) / (0.917 - 0.213) = 0.575 of the way
// from the lowest to the highest), and the range runs from the step below
// the lowest to the step above the highest.
TEST_F(VisitsReport, TrendPointsAtTheirVisits) {
  Built b({4, 2, 2, 2, 2});
  for (const auto& [i, j, text] :
       {std::tuple{0, 3, "0.917"}, {1, 2, "0.213"}, {1, 3, "0.452"}, {1, 4, "0.351"}, {2, 4, "0.553"}, {3, 4, "0.618"}})
    b.correlation(i, j, text);
  const Rendered r = render(b.s);
  ASSERT_FALSE(r.words.empty());
  // Lone dots of each line's colour, in points: a dot is about 3.6 pt across,
  // the key's strokes are 16 pt long.
  struct Dot {
    double x, y;
    int page;
  };
  const auto dotsOf = [&](std::uint32_t rgb) {
    std::vector<Dot> dots;
    for (std::size_t p = 0; p < r.pages.size(); ++p) {
      const QImage& img = r.pages[p];
      std::vector<bool> seen(static_cast<std::size_t>(img.width() * img.height()));
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
          if (seen[static_cast<std::size_t>(y * img.width() + x)] || distance(img.pixel(x, y), rgb) > 30) continue;
          std::vector<QPoint> todo{{x, y}};
          int x0 = x, x1 = x, y0 = y, y1 = y;
          seen[static_cast<std::size_t>(y * img.width() + x)] = true;
          while (!todo.empty()) {
            const QPoint q = todo.back();
            todo.pop_back();
            x0 = std::min(x0, q.x()), x1 = std::max(x1, q.x()), y0 = std::min(y0, q.y()), y1 = std::max(y1, q.y());
            for (const QPoint n : {q + QPoint(1, 0), q - QPoint(1, 0), q + QPoint(0, 1), q - QPoint(0, 1)}) {
              if (!img.rect().contains(n)) continue;
              const auto k = static_cast<std::size_t>(n.y() * img.width() + n.x());
              if (seen[k] || distance(img.pixel(n), rgb) > 30) continue;
              seen[k] = true;
              todo.push_back(n);
            }
          }
          const Dot d{(x0 + x1 + 1) / 4.0, (y0 + y1 + 1) / 4.0, int(p) + 1};
          const bool inWord = std::any_of(r.words.begin(), r.words.end(), [&](const Word& w) {
            return w.page == d.page && d.x >= w.x0 && d.x <= w.x1 && d.y >= w.y0 && d.y <= w.y1;
          });  // a letter of the key, written in its line's colour
          if (x1 - x0 < at(6) && y1 - y0 > at(2) && !inWord) dots.push_back(d);
        }
    }
    return dots;
  };
  const std::vector<Dot> previous = dotsOf(visits::kPreviousColour), baseline = dotsOf(visits::kBaselineColour);
  ASSERT_EQ(previous.size(), 2u);
  ASSERT_EQ(baseline.size(), 1u);
  const Dot v3 = previous[0].x < previous[1].x ? previous[0] : previous[1];
  const Dot v5 = previous[0].x < previous[1].x ? previous[1] : previous[0];
  const Dot v4 = baseline[0];
  EXPECT_NEAR(v4.x - v3.x, v5.x - v4.x, 1.0);
  EXPECT_GT(v4.x - v3.x, 10);
  EXPECT_TRUE(v4.y < v5.y && v5.y < v3.y) << "a higher value stands lower";
  EXPECT_NEAR((v3.y - v5.y) / (v3.y - v4.y), 0.575, 0.01);

  // The plot's frame, up and down from visit 4's dot, and left and right
  // along a row just above its bottom.
  const QImage& page = r.pages.at(static_cast<std::size_t>(v4.page - 1));
  int top = at(v4.y) - at(3), bottom = at(v4.y) + at(3);
  while (top > 0 && !grey(page.pixel(at(v4.x), top))) --top;
  while (bottom < page.height() - 1 && !grey(page.pixel(at(v4.x), bottom))) ++bottom;
  const int rowY = bottom - at(1.5);
  int left = at(v3.x), right = at(v5.x) - at(3);
  while (left > 0 && !grey(page.pixel(left, rowY))) --left;
  while (right < page.width() - 1 && !grey(page.pixel(right, rowY))) ++right;
  // 0.213 to 0.917 in steps of 0.2: the axis runs from 0.2 to 1.0, with a
  // label at either end.
  const double height = (bottom - top) / 2.0;
  EXPECT_NEAR(v4.y - top / 2.0, (1.0 - 0.917) / 0.8 * height, 1.0) << "the top of the range";
  EXPECT_NEAR(bottom / 2.0 - v3.y, (0.213 - 0.2) / 0.8 * height, 1.0) << "the bottom of the range";
  for (const char* end : {"0.2", "1.0"})
    EXPECT_TRUE(std::any_of(r.words.begin(), r.words.end(),
                            [&](const Word& w) {
                              return w.page == v4.page && w.text == end && w.x1 < left / 2.0 &&
                                     std::abs(w.cy() - (end[0] == '1' ? top : bottom) / 2.0) < 3;
                            }))
        << end << " not at its end of the axis";

  for (const auto& [visit, dot] : {std::pair{3, v3}, {4, v4}, {5, v5}}) {
    bool labelled = false;
    for (const Word& w : r.words)
      labelled = labelled || (w.page == dot.page && w.text == std::to_string(visit) && std::abs(w.cx() - dot.x) < 1 &&
                              w.y0 > bottom / 2.0 && w.y0 < bottom / 2.0 + 12);
    EXPECT_TRUE(labelled) << "visit " << visit << "'s point is not over its number";
  }
  for (int visit = 1; visit <= 5; ++visit) {
    const double x = v3.x + (visit - 3) * (v4.x - v3.x);
    EXPECT_TRUE(x > left / 2.0 - 1 && x < right / 2.0 + 1) << "visit " << visit << " outside the plot";
  }
}

}  // namespace
}  // namespace varnel::test
