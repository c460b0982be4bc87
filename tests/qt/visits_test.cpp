// The Visits window driven offscreen: its matrix against the series computed alone, a pair opened in the main window,
// the report's text and picture, and the series that cannot be shown.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <cmath>

#include "app/messages.hpp"
#include "qt/program.hpp"
#include "qt/visits_window.hpp"
#include "app/report_content.hpp"
#include "model/number_text.hpp"
#include "support/application.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {
[[maybe_unused]] const bool registered = useApplication<QApplication>("test_visits", qt::setUpApplication);

const QStringList kExamples = [] {
  QStringList paths;
  for (const char* n : {"back_visit1.txt", "back_visit2.txt", "other_back.txt", "short_scan.txt"})
    paths << QStringLiteral(VARNEL_SOURCE_DIR "/examples/") + n;
  return paths;
}();

std::vector<std::string> strings(const QStringList& l) {
  std::vector<std::string> v;
  for (const QString& s : l) v.push_back(s.toStdString());
  return v;
}

struct Visits : ::testing::Test {
  Visits() { program.window.show(), w->setFileDialog(&dialog), w->setMessageBox(&messages); }
  // Shows `paths` and waits for the computation that follows to end.
  void show(const QStringList& paths) {
    QEventLoop loop;
    QObject::connect(w, &qt::VisitsWindow::seriesShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    w->setVisits(paths);
    loop.exec();
  }
  series::Series computed(const QStringList& paths) const {
    return series::compute(strings(paths), w->settings().steps, w->settings().thresholds);
  }
  bool canSave() const { return w->findChild<QPushButton*>("saveReport")->isEnabled(); }

  qt::Program program;
  qt::VisitsWindow* w = program.window.visitsWindow();
  ScriptedDialog dialog;
  RecordedMessages messages;
  ScratchDir dir;
};

void mouse(QWidget* v, QEvent::Type type, QPoint at) {
  QMouseEvent e(type, QPointF(at), v->mapToGlobal(QPointF(at)), Qt::LeftButton,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(v, &e);
}

// Every cell reads as the series computed alone says, for each measure and channel; its colour on screen is its
// value's on the scale. A double click opens the pair in the main window, the earlier visit as File 1, and the
// main window's result boxes then hold that pair's results.
TEST_F(Visits, MatrixHoldsEachPairsTextsAndOpensThePairInTheMainWindow) {
  show(kExamples);
  const series::Series want = computed(kExamples);
  ASSERT_TRUE(w->shownSeries());
  const QAbstractItemModel* matrix = w->matrixView()->model();
  for (int m = 0; m < visits::kMeasures; ++m)
    for (int ch = 0; ch < model::kChannels; ++ch) {
      w->measureBox()->setCurrentIndex(m), w->channelBox()->setCurrentIndex(ch);
      const int column = ch == model::kDelta ? 1 : ch == model::kLeft ? 0 : 2;
      for (const series::Pair& p : want.pairs) {
        std::string text = p.outcome.ok ? "" : p.outcome.messages.front();
        const auto& a = p.agreement[static_cast<std::size_t>(ch)];
        if (p.outcome.ok && m < 5) text = p.outcome.results[static_cast<std::size_t>(m)][column];
        if (p.outcome.ok && m == 5) text = a ? model::formatNumber(a->meanDifference) : "n/a";
        if (p.outcome.ok && m == 6) text = a && a->lower ? model::formatNumber(*a->upper - *a->lower) : "n/a";
        EXPECT_EQ(matrix->index(p.earlier, p.later).data().toString().toStdString(), text)
            << visits::measureName(visits::Measure(m)) << " " << ch << " pair " << p.earlier << "," << p.later;
      }
      EXPECT_FALSE(matrix->index(1, 0).data().isValid());  // nothing below the diagonal
    }
  w->measureBox()->setCurrentIndex(2), w->channelBox()->setCurrentIndex(model::kLeft);  // Correlation, Left
  QApplication::processEvents();
  const QImage screen = w->matrixView()->viewport()->grab().toImage();
  const visits::Scale scale = visits::scaleOf(want, visits::Measure::Correlation, series::Channel::Left);
  for (const auto& [i, j] : {std::pair{0, 1}, {1, 3}, {0, 2}}) {
    const QRect cell = w->matrixView()->visualRect(matrix->index(i, j));
    const visits::Cell c = visits::cellOf(want.pair(i, j), visits::Measure::Correlation, series::Channel::Left);
    ASSERT_EQ(c.kind, visits::CellKind::Value);
    EXPECT_EQ(screen.pixel(cell.topLeft() + QPoint(3, 3)) & 0xFFFFFF, visits::scaleColour(scale, c.value)) << i << j;

    const QPoint at = cell.center();
    QWidget* v = w->matrixView()->viewport();
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                 QEvent::MouseButtonRelease})
      mouse(v, t, at);
    EXPECT_EQ(program.form.Filename[1].Text, kExamples[i].toStdString());
    EXPECT_EQ(program.form.Filename[2].Text, kExamples[j].toStdString());
    EXPECT_EQ(app::resultGrid(program.form), want.pair(i, j).outcome.results) << i << j;
    EXPECT_EQ(program.window.control("Correlation", model::kLeft)->property("text").toString().toStdString(), c.text);
  }
}

// The report holds every visit's name and figures on one or two pages; its picture shows the matrix's colours and
// the two trend lines. The two tables are the series' own.
TEST_F(Visits, ReportAndTablesHoldTheSeries) {
  show(kExamples);
  const series::Series want = computed(kExamples);
  dialog.answers = {dir.file("r.pdf"), dir.file("v.csv"), dir.file("p.csv")};
  w->saveReport(), w->saveVisitTable(), w->savePairTable();
  ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text;
  EXPECT_EQ(readAll(dir.file("v.csv")), series::visitTable(want));
  EXPECT_EQ(readAll(dir.file("p.csv")), series::pairTable(want));

  const std::string pdf = dir.file("r.pdf");
  ASSERT_EQ(std::system(("pdftotext -raw '" + pdf + "' '" + pdf + ".txt'").c_str()), 0);
  const std::string text = readAll(pdf + ".txt");
  for (const series::Visit& v : want.visits) {
    const visits::VisitFigures f = visits::figuresOf(v);
    for (const std::string& s : {visits::fileName(v.path), f.meanDelta, f.largestDelta, f.reachT1, f.reachT2})
      EXPECT_NE(text.find(s), std::string::npos) << s;
  }
  ASSERT_EQ(std::system(("pdfinfo '" + pdf + "' > '" + pdf + ".info'").c_str()), 0);
  const std::string info = readAll(pdf + ".info");
  const int pages = std::atoi(info.c_str() + info.find("Pages:") + 6);
  EXPECT_TRUE(pages == 1 || pages == 2) << pages;

  ASSERT_EQ(std::system(("pdftoppm -png -r 60 '" + pdf + "' '" + dir.file("page") + "'").c_str()), 0);
  QImage page(QString::fromStdString(dir.file(pages == 1 ? "page-1.png" : "page-2.png")));
  ASSERT_FALSE(page.isNull());
  const auto pixelsNear = [&](std::uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QRgb p = page.pixel(x, y);
        n += std::abs(qRed(p) - int(rgb >> 16)) + std::abs(qGreen(p) - int(rgb >> 8 & 0xFF)) +
                 std::abs(qBlue(p) - int(rgb & 0xFF)) <= 12;
      }
    return n;
  };
  const visits::Scale scale = visits::scaleOf(want, visits::Measure::Correlation, series::Channel::Left);
  for (const auto& [i, j] : {std::pair{0, 2}, {1, 2}})  // cells whose colours lie inside the scale, as large blocks
    EXPECT_GT(pixelsNear(visits::scaleColour(scale, visits::cellOf(want.pair(i, j), visits::Measure::Correlation, series::Channel::Left).value)), 400);
  EXPECT_GT(pixelsNear(visits::kPreviousColour), 60);
  EXPECT_GT(pixelsNear(visits::kBaselineColour), 60);
}

// A visit that cannot be loaded keeps its message in its row and the rest goes on; too few visits, listed or
// loaded, say so and leave nothing to save. Nothing is written, and the window then takes a good list.
TEST_F(Visits, SeriesThatCannotBeShownSaySoAndWriteNothing) {
  const QString missing = QString::fromStdString(dir.file("missing.txt"));
  const QString empty = QString::fromStdString(dir.write("empty.txt", ""));
  struct Row {
    QStringList paths;
    std::string message;
    bool shown;
  };
  const Row rows[] = {
      {{kExamples[0], missing, kExamples[1]}, "1 could not be loaded", true},
      {{}, app::messages::visitsTooFew(0, 0), false},
      {{kExamples[0]}, app::messages::visitsTooFew(1, 0), false},
      {{empty, kExamples[0], missing}, app::messages::visitsTooFew(3, 1), false},
  };
  for (const Row& r : rows) {
    show(r.paths);
    EXPECT_NE(w->message().toStdString().find(r.message), std::string::npos) << w->message().toStdString();
    EXPECT_EQ(bool(w->shownSeries()), r.shown) << r.message;
    EXPECT_EQ(canSave(), r.shown);
    const series::Series want = computed(r.paths);
    for (std::size_t v = 0; v < want.visits.size(); ++v)
      if (!want.visits[v].ok()) {
        EXPECT_EQ(w->visitsView()->model()->index(int(v), 2).data().toString().toStdString(), want.visits[v].message);
      }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // empty.txt alone
  EXPECT_TRUE(messages.shown.empty());
  show(kExamples);
  EXPECT_TRUE(w->shownSeries() && canSave());
}

// A long series shows its progress, and a cancel leaves no series, nothing to save and a message; the window then
// computes the next one. The list saved and opened again lists the same visits.
TEST_F(Visits, CancelledSeriesAndTheListFile) {
  QStringList many;
  for (int i = 0; i < 220; ++i)
    many << QString::fromStdString(dir.write("visit" + std::to_string(i) + ".txt", scanOf(501, [i](int k) {
                                               return std::pair{30 + std::sin(k / 20.0 + i), 30 + std::cos(k / 30.0)};
                                             })));
  QEventLoop loop;
  QObject::connect(w, &qt::VisitsWindow::seriesShown, &loop, &QEventLoop::quit);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (w->progressBar()->isVisible()) w->findChild<QPushButton*>("cancel")->click();
  });
  watch.start(10);
  w->setVisits(many);
  loop.exec();
  EXPECT_NE(w->message().toStdString().find("Cancelled after"), std::string::npos) << w->message().toStdString();
  EXPECT_FALSE(w->shownSeries() || canSave() || w->progressBar()->isVisible() || w->busy());

  show(kExamples);
  ASSERT_TRUE(w->shownSeries());
  std::filesystem::create_directory(dir.path() / "list");
  dialog.answers = {dir.file("list/visits.txt")};
  w->saveList();
  w->setVisits({});
  dialog.answers = {dir.file("list/visits.txt")};
  w->openList();
  EXPECT_EQ(w->visits(), kExamples);
}

}  // namespace
}  // namespace varnel::test
