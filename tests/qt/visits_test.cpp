// The Visits window driven offscreen: its matrix against the series computed alone, a pair opened in the main window,
// the report's text and picture, and the series that cannot be shown.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <QtWidgets>
#include <cmath>

#include "app/messages.hpp"
#include "app/report_content.hpp"
#include "model/number_text.hpp"
#include "qt/program.hpp"
#include "qt/visits_models.hpp"
#include "qt/visits_window.hpp"
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
  // Runs `change` and waits for the computation it starts to end.
  void waitFor(const std::function<void()>& change) {
    QEventLoop loop;
    QObject::connect(w, &qt::VisitsWindow::seriesShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    change();
    loop.exec();
  }
  // Shows channel `ch` and returns the series computed alone with it.
  series::Series choose(int ch) {
    QComboBox* box = w->channelBox();
    if (box->currentData().toInt() != ch) waitFor([&] { box->setCurrentIndex(box->findData(ch)); });
    return computed(w->visits());
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
  ASSERT_TRUE(w->shownSeries());
  const QAbstractItemModel* matrix = w->matrixView()->model();
  for (int ch = 0; ch < model::kChannels; ++ch) {
    // The channel is a step of every comparison: the series is computed again.
    const series::Series want = choose(ch);
    for (int m = 0; m < visits::kMeasures; ++m) {
      w->measureBox()->setCurrentIndex(m);
      const int column = ch == model::kDelta ? 1 : ch == model::kLeft ? 0 : 2;
      for (const series::Pair& p : want.pairs) {
        std::string text = p.outcome.ok ? "" : p.outcome.messages.front();
        const auto& a = p.agreement[static_cast<std::size_t>(ch)];
        if (p.outcome.ok && m < 5) text = p.outcome.results[static_cast<std::size_t>(m)][column];
        if (p.outcome.ok && m == 5) text = a ? model::formatNumber(a->meanDifference) : "n/a";
        if (p.outcome.ok && m == 6) text = a && a->lower ? model::formatNumber(*a->upper - *a->lower) : "n/a";
        // The full text on hover; on the cell, rounded: three decimals, two for the temperatures.
        const QModelIndex cell = matrix->index(p.earlier, p.later);
        EXPECT_NE(cell.data(Qt::ToolTipRole).toString().toStdString().find(text), std::string::npos)
            << visits::measureName(visits::Measure(m)) << " " << ch << " pair " << p.earlier << "," << p.later;
        const double v = std::strtod(text.c_str(), nullptr);
        const std::string shown = !p.outcome.ok ? "failed" : text == "n/a" ? text : visits::rounded(v, m < 5 ? 3 : 2);
        EXPECT_EQ(cell.data().toString().toStdString(), shown) << m << " " << ch << " " << text;
      }
      EXPECT_FALSE(matrix->index(1, 0).data().isValid());  // nothing below the diagonal
    }
  }
  const series::Series want = choose(model::kLeft);
  w->measureBox()->setCurrentIndex(2);  // Correlation, Left
  QApplication::processEvents();
  const QImage screen = w->matrixView()->viewport()->grab().toImage();
  const visits::Scale scale = visits::scaleOf(visits::Measure::Correlation);
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
    EXPECT_TRUE(messages.shown.empty());
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
      {{kExamples[0], missing, kExamples[1]}, "1 visit could not be read", true},
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
        EXPECT_EQ(w->visitsView()->model()->index(int(v), qt::VisitsModel::Status).data(Qt::ToolTipRole).toString(),
                  QString::fromStdString(want.visits[v].message));
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

// A series of the first two examples, one scan that cannot be read (a long name: a long message) and one of five
// readings, which fails every comparison: 1-2 runs, the other five pairs fail.
struct Faulty : Visits {
  QStringList paths{kExamples[0], QString::fromStdString(dir.file(std::string(120, 'x') + ".txt")),
                    QString::fromStdString(dir.write("five.txt", scanOf(5,
                                                                        [](int) {
                                                                          return std::pair{30.5, 30.0};
                                                                        }))),
                    kExamples[1]};
  // Runs `act`, closing each modal box that comes up meanwhile; how many did.
  static int modals(const std::function<void()>& act) {
    int n = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (QWidget* up = QApplication::activeModalWidget()) ++n, up->close();
    });
    closer.start(0);
    act();
    QCoreApplication::processEvents();
    return n;
  }
};

// Every readable visit's figures stay in view at 900 pixels, the unreadable one's message in the Status column.
TEST_F(Faulty, OneBadScanLeavesEveryFigureInView) {
  w->resize(900, 650);
  show(paths);
  QApplication::processEvents();
  const QTableView* list = w->visitsView();
  for (int c = qt::VisitsModel::Points; c <= qt::VisitsModel::ReachT2; ++c)
    EXPECT_LE(list->columnViewportPosition(c) + list->columnWidth(c), list->viewport()->width()) << c;
  EXPECT_EQ(list->model()->index(1, qt::VisitsModel::Points).data().toString(), "");
  EXPECT_EQ(list->model()->index(0, qt::VisitsModel::Points).data().toString(), "500");
  EXPECT_EQ(list->model()->index(1, qt::VisitsModel::Status).data(Qt::ToolTipRole).toString().toStdString(),
            w->shownSeries()->visits[1].message);
}

// Opening a failed pair, unreadable or too short, leaves the calculator as it was and says why once.
TEST_F(Faulty, AFailedPairOpensNothingAndSaysWhyOnce) {
  show(paths);
  const std::string before[] = {program.form.Filename[1].Text, program.form.Filename[2].Text};
  for (const auto& [i, j] : {std::pair{0, 1}, {2, 3}}) {
    messages.shown.clear();
    EXPECT_EQ(modals([&] { w->openPair(i, j); }), 0);
    ASSERT_EQ(messages.shown.size(), 1u) << i << j;
    const std::string why =
        visits::cellOf(w->shownSeries()->pair(i, j), visits::Measure::Correlation, visits::Channel::Left).text;
    EXPECT_EQ(messages.shown.front().text, app::messages::pairFailed(i + 1, j + 1, why));
    EXPECT_EQ(program.form.Filename[1].Text, before[0]);
    EXPECT_EQ(program.form.Filename[2].Text, before[1]);
  }
}

// The status line counts every failed pair, not only those of the unreadable visit, and the report says where
// each message stands instead of sending the reader to a table it does not hold.
TEST_F(Faulty, EveryFailedPairIsCountedAndItsMessagePlaced) {
  show(paths);
  EXPECT_NE(w->message().toStdString().find("5 of 6 pairs failed"), std::string::npos) << w->message().toStdString();
  EXPECT_NE(w->message().toStdString().find("1 visit could not be read"), std::string::npos);
  dialog.answers = {dir.file("r.pdf")};
  w->saveReport();
  ASSERT_EQ(std::system(("pdftotext '" + dir.file("r.pdf") + "' '" + dir.file("r.txt") + "'").c_str()), 0);
  const std::string text = readAll(dir.file("r.txt"));
  EXPECT_NE(text.find("5 of 6 pairs failed"), std::string::npos);
  EXPECT_NE(text.find("Pairs 1-3, 3-4: Calculation Error"), std::string::npos) << text;
  EXPECT_EQ(text.find("pair table"), std::string::npos);
  EXPECT_EQ(text.find("Pairs 1-2"), std::string::npos);  // the unreadable visit's pairs: its message is in the list
}

// One value takes one colour whatever else the series holds: correlation 0.998 in a series where it is the
// largest value and in one where it is the only one.
TEST_F(Visits, SameValueSameColourInEverySeries) {
  std::vector<QRgb> seen;
  for (const QStringList& list : {kExamples, kExamples.mid(0, 2)}) {
    show(list);
    QApplication::processEvents();
    const QRect cell = w->matrixView()->visualRect(w->matrixView()->model()->index(0, 1));
    seen.push_back(w->matrixView()->viewport()->grab().toImage().pixel(cell.topLeft() + QPoint(5, 5)) & 0xFFFFFF);
  }
  EXPECT_EQ(seen[0], seen[1]);
  const double r =
      visits::cellOf(computed(kExamples).pair(0, 1), visits::Measure::Correlation, visits::Channel::Left).value;
  EXPECT_EQ(seen[0], visits::scaleColour(visits::scaleOf(visits::Measure::Correlation), r));
}

// The keyboard: Move Down moves the selected visits together, Delete removes them, Return opens a pair.
TEST_F(Visits, SelectedVisitsMoveTogetherAndDeleteRemovesThemAndReturnOpensAPair) {
  show(kExamples);
  QTableView* list = w->visitsView();
  list->setFocus();
  for (const int r : {0, 1})
    list->selectionModel()->select(list->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  w->findChild<QPushButton*>("down")->click();
  EXPECT_EQ(w->visits(), (QStringList{kExamples[2], kExamples[0], kExamples[1], kExamples[3]}));
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(w->visits().join(" ").toStdString(), (QStringList{kExamples[2], kExamples[3]}).join(" ").toStdString());
  // Return on the current cell opens its pair.
  waitFor([&] { w->setVisits(kExamples.mid(0, 2)); });
  w->matrixView()->setCurrentIndex(w->matrixView()->model()->index(0, 1));
  QTest::keyClick(w->matrixView(), Qt::Key_Return);
  EXPECT_EQ(program.form.Filename[2].Text, kExamples[1].toStdString());
}

// Steps that cannot hold are refused with a message, nothing computed, as varnel-batch refuses them.
TEST_F(Visits, StepsThatCannotHoldAreRefused) {
  show(kExamples.mid(0, 2));
  auto* threshold = w->findChild<QLineEdit*>("threshold");
  auto* t1 = w->findChild<QDoubleSpinBox*>("t1");
  auto* lower = w->findChild<QSpinBox*>("lower");
  auto* upper = w->findChild<QSpinBox*>("upper");
  struct Row {
    std::function<void()> change, undo;
    std::string message;
  };
  const Row rows[] = {
      {[&] { threshold->setText("abc"), threshold->textEdited("abc"); },
       [&] { threshold->setText("1"), threshold->textEdited("1"); },
       app::messages::notANumber("slope threshold", "abc")},
      {[&] { t1->setValue(0.8); }, [&] { t1->setValue(0.3); }, app::messages::thresholdsOutOfOrder(0.8, 0.6)},
      {[&] { upper->setValue(100), lower->setValue(200); }, [&] { lower->setValue(0), upper->setValue(500); },
       app::messages::cutoffsOutOfOrder(200, 100)},
  };
  for (const Row& r : rows) {
    waitFor(r.change);
    EXPECT_EQ(w->message().toStdString(), r.message);
    EXPECT_FALSE(w->shownSeries());
    waitFor(r.undo);
    EXPECT_TRUE(w->shownSeries()) << w->message().toStdString();
  }
}

}  // namespace
}  // namespace varnel::test
