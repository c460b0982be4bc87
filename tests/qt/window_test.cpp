// The Qt window over the form: every widget where the table puts it, showing
// what the form holds; user input forwarded to the form's handlers; the
// chart's context menu. Input is sent the way Qt delivers it.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QtWidgets>

#include "app/qt/chart_view.hpp"
#include "app/qt/main_window.hpp"
#include "app/qt/program.hpp"
#include "app/qt/value_bar.hpp"
#include "app/report_content.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

// One QApplication, made before the first test and gone after the last,
// while Qt's own globals still live (a static one would outlive them).
struct Application : ::testing::Environment {
  int argc = 1;
  char name[8] = "test_qt", *argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
  void TearDown() override { app.reset(); }
};
[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new Application);

void mouse(QWidget* w, QEvent::Type type, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Press at `from`, move to `to`, release there.
void drag(QWidget* w, QPoint from, QPoint to) {
  mouse(w, QEvent::MouseButtonPress, from), mouse(w, QEvent::MouseMove, to), mouse(w, QEvent::MouseButtonRelease, to);
}

void key(QWidget* w, int k, const QString& text = {}) {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent e(type, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
  }
}

// Runs `user` on the modal dialog of type D once it is up.
template <class D>
void whenShown(std::function<void(D*)> user) {
  QTimer::singleShot(0, [user] {
    QWidget* up = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<D*>(up)) return user(d);
    ADD_FAILURE() << "the dialog did not come up";
    if (up) up->close();
  });
}

// Types the name and presses Open/Save.
void typeAndAccept(QFileDialog* d, const std::string& name) {
  d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(name));
  static_cast<QDialog*>(d)->accept();
}

std::string smallScan(int n, double phase) {
  return scanOf(n, [phase](int i) { return std::pair{30 + 2 * std::sin(i / 30.0 + phase), 29 + std::cos(i / 40.0)}; });
}

// Whether the picture holds the chart surface's pixels, opaque.
bool showsSurface(const QImage& picture, const chart::Surface& s) {
  const QImage surface(reinterpret_cast<const uchar*>(s.bits()), s.ScaleWidth(), s.ScaleHeight(), QImage::Format_RGB32);
  return picture.convertToFormat(QImage::Format_ARGB32) == surface.convertToFormat(QImage::Format_ARGB32);
}

using qt::ValueBar;

struct Window : ::testing::Test, FormFixture {
  Window() { window.show(); }
  template <class W>
  W* get(const char* name, int index = -1) {
    return qobject_cast<W*>(window.control(name, index));
  }
  QString shown(const char* name, int index = -1) {
    QWidget* w = window.control(name, index);
    return w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString().replace('\n', ' ');
  }
  qt::MainWindow window{form};
};

// Every control from the table: place, text, colours, and a text that fits
// inside the box (the boxes are small and fixed).
TEST_F(Window, IsBuiltFromTheControlTable) {
  EXPECT_EQ(window.windowTitle(), "Varnel Analysis");
  EXPECT_EQ(window.centralWidget()->size(), QSize(632, 541));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  for (const app::ControlDef& c : app::controls()) {
    const std::string at = std::string(c.name) + "(" + std::to_string(c.index) + ")";
    QWidget* w = window.control(c.name, c.index);
    ASSERT_TRUE(w && w->parentWidget() == window.centralWidget()) << at;
    EXPECT_EQ(w->objectName(), qt::MainWindow::controlName(c.name, c.index));
    EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.w, c.h)) << at;
    if (auto* bar = qobject_cast<ValueBar*>(w)) {
      EXPECT_EQ(bar->barValue(), form.scrollBar(c.name)->Value()) << at;
      continue;
    }
    const std::string* live = form.text(c.name, c.index);
    if (c.kind != app::Kind::Chart) {
      EXPECT_EQ(shown(c.name, c.index).toStdString(), live ? *live : c.text) << at;
    }
    const QFontMetrics m(w->font());
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      QStyleOptionFrame frame;
      frame.initFrom(e);
      frame.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, e);
      EXPECT_LE(m.horizontalAdvance(e->text()) + 4,
                e->style()->subElementRect(QStyle::SE_LineEditContents, &frame, e).width())
          << at;
      EXPECT_EQ(std::tuple(e->isReadOnly(), bool(e->alignment() & Qt::AlignRight), e->palette().color(QPalette::Text),
                           e->palette().color(QPalette::Base)),
                std::tuple(c.readOnly, c.alignRight, QColor(QRgb(c.fg)), QColor(QRgb(c.bg))))
          << at;
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      for (const QString& line : b->text().split('\n')) EXPECT_LE(m.horizontalAdvance(line), c.w - 4) << at;
      EXPECT_LE(m.lineSpacing() * (b->text().count('\n') + 1), c.h) << at;
    }
  }
}

TEST_F(Window, MenuForwardsItsItems) {
  int exits = 0;
  form.onExit = [&] { ++exits; };
  const QList<QAction*> items = window.fileMenu()->actions();
  ASSERT_EQ(items.size(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(items[i]->text().toStdString(), app::menuItems()[i].caption);
  items[1]->trigger(), items[4]->trigger();
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(std::tuple(dialog.calls[0].kind, exits), std::tuple(app::DialogKind::Open, 1));
}

// A file-name box opens its dialog as a button does: a release over it after
// a press on it. The second press of a double click counts as a press, so a
// user who cancels and clicks again at once is heard.
TEST_F(Window, FileNameBoxOpensOnAClickNotOnAPress) {
  const QPoint in{5, 5}, out{5, 300};
  using E = QEvent;
  const std::vector<std::pair<std::vector<std::pair<E::Type, QPoint>>, std::size_t>> cases = {
      {{{E::MouseButtonRelease, in}}, 0},
      {{{E::MouseButtonPress, in}, {E::MouseButtonRelease, out}}, 0},
      {{{E::MouseButtonPress, in}, {E::MouseButtonRelease, in}}, 1},
      {{{E::MouseButtonDblClick, in}, {E::MouseButtonRelease, in}}, 1},
      {{{E::MouseButtonPress, in}}, 0},
  };
  auto* box = window.control("Filename", 1);
  for (std::size_t row = 0; row < cases.size(); ++row) {
    dialog.calls.clear();
    for (const auto& [type, at] : cases[row].first) mouse(box, type, at);
    EXPECT_EQ(dialog.calls.size(), cases[row].second) << "row " << row;
  }
}

// Qt would append an application display name to every window and box title.
TEST_F(Window, TitlesCarryNoApplicationSuffix) {
  qt::setUpApplication();
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST_F(Window, BarsMovedByTheUserRunTheirHandlersARefreshDoesNot) {
  auto* upper = get<ValueBar>("VScroll2");  // larger value at the top
  EXPECT_LT(upper->thumbRect().top(), 40);
  form.VScroll2.setValue(80);
  window.refresh();
  const QRect atBottom = upper->thumbRect();
  EXPECT_GT(atBottom.bottom(), upper->height() - 40);
  drag(upper, atBottom.center(), atBottom.center() - QPoint(0, 200));  // up: larger
  EXPECT_GT(form.VScroll2.Value(), 200);
  EXPECT_EQ(shown("UpperCutoff"), QString::number(form.VScroll2.Value()));

  auto* lower = get<ValueBar>("VScroll1");
  int runs = 0;
  const auto handler = form.VScroll1.Change;
  form.VScroll1.Change = [&] {
    ++runs;
    handler();
  };
  drag(lower, {8, 3}, {8, 3});  // the up arrow raises the cut-off
  key(lower, Qt::Key_PageUp);
  EXPECT_EQ(std::tuple(form.VScroll1.Value(), shown("LowerCutoff"), runs), std::tuple(11, QString("11"), 2));
  form.VScroll1.setValue(40);  // the program moves the bar: one run, no echo
  form.VScroll2.Min = 10;
  window.refresh();
  EXPECT_EQ(std::tuple(runs, lower->barValue(), upper->minimum()), std::tuple(3, 40, 10));
}

TEST_F(Window, TypingChangesTheFormsTextOnly) {
  auto* threshold = get<QLineEdit>("Threshold");
  threshold->setFocus();
  key(threshold, Qt::Key_End);
  key(threshold, Qt::Key_Backspace);
  for (QChar ch : QString("2.5")) key(threshold, 0, QString(ch));
  EXPECT_EQ(std::tuple(form.Threshold.Text, threshold->cursorPosition()), std::tuple("2.5", 3));
  key(get<QLineEdit>("Pntnum", 1), 0, "7");
  EXPECT_EQ(form.Pntnum[1].Text, "0");
}

// What the screen holds, read from the window's backing store, follows the
// surface after each click on a real button, with no repaint forced here.
TEST_F(Window, ChartOnScreenFollowsTheSurface) {
  for (int i = 0; i < 50 && !window.windowHandle()->isExposed(); ++i) QCoreApplication::processEvents();
  const auto onScreen = [&] {
    QCoreApplication::processEvents();
    const QPoint at = window.chart()->mapTo(&window, QPoint(0, 0));
    return window.screen()->grabWindow(window.winId(), at.x(), at.y(), 289, 502).toImage();
  };
  for (int file : {1, 2}) {
    dialog.answers.push_back(dir.write("s.txt", smallScan(200 + 100 * file, file / 3.0)));
    drag(window.control("Filename", file), {5, 5}, {5, 5});
  }
  ASSERT_EQ(form.Pntnum[2].Text, "399");
  for (const auto& [button, index] : {std::pair{"", 0}, {"ClearButton", -1}, {"LineButton", 0}, {"Smoothbutton", -1}}) {
    if (*button) get<QPushButton>(button, index)->click();
    const QImage picture = onScreen();
    EXPECT_EQ(picture.pixel(0, 0), 0xFF808080u) << button;  // border
    EXPECT_TRUE(showsSurface(picture.copy(1, 1, 287, 500), form.Picture1)) << button;
  }
  EXPECT_EQ(shown("LineButton", 0), "Delta-T ON");
}

// Drags over a file-name box: one local scan file, as a copy, is taken and
// loaded as that file; anything else is refused.
QUrl local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
bool dropOn(QWidget* box, const QList<QUrl>& urls, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
  QMimeData data;
  if (urls.isEmpty())
    data.setText("/tmp/a.txt");
  else
    data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent dropped(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &dropped);
  EXPECT_EQ(std::pair(enter.dropAction(), dropped.dropAction()), std::pair(Qt::CopyAction, Qt::CopyAction));
  QTimer::singleShot(0, [] {  // a dialog shown for a drop is a fault
    if (QWidget* up = QApplication::activeModalWidget()) ADD_FAILURE() << "a dialog came up", up->close();
  });
  QCoreApplication::processEvents();
  return dropped.isAccepted();
}

TEST(Drop, OneLocalScanDroppedOnAFileNameBoxLoadsAsThatFile) {
  ScratchDir dir;
  qt::Program program;  // the real file dialog: it must not come up for a drop
  app::Form& form = program.form;
  qt::MainWindow& window = program.window;
  const std::string one = dir.write("one.txt", smallScan(300, 0)), two = dir.write("two.txt", smallScan(421, 0.4));
  QWidget* box1 = window.control("Filename", 1);
  const std::vector<std::tuple<QWidget*, QList<QUrl>, Qt::DropActions>> refused = {
      {box1, {local(one), local(two)}, Qt::CopyAction},
      {box1, {QUrl("https://example.org/a.txt")}, Qt::CopyAction},
      {box1, {local(one)}, Qt::MoveAction},
      {box1, {local(dir.path().string())}, Qt::CopyAction},
      {box1, {}, Qt::CopyAction},
      {window.control("Threshold"), {local(one)}, Qt::CopyAction}};
  for (const auto& [box, urls, offered] : refused) EXPECT_FALSE(dropOn(box, urls, offered)) << urls.size();
  EXPECT_EQ(std::tie(form.Filename[1].Text, form.Pntnum[1].Text), std::tuple("Text2", "0"));

  EXPECT_TRUE(dropOn(window.control("Filename", 2), {local(two)}));
  EXPECT_EQ(std::tie(form.Filename[2].Text, form.Pntnum[2].Text, form.Label3.Caption),
            std::tuple(two, "420", "Left Temp"));
  EXPECT_TRUE(dropOn(box1, {local(one)}));
  EXPECT_EQ(static_cast<QLineEdit*>(box1)->text().toStdString() + " " + form.Pntnum[1].Text, one + " 299");

  // The answer served that drop only: a click asks the user again.
  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  drag(box1, {5, 5}, {5, 5});
  EXPECT_EQ(form.Filename[1].Text, one);
  QCoreApplication::processEvents();  // an answer still waiting fails here
}

// A save to a path under a plain file fails: the message names the path
// and a reason, and the file stays whole.
void failsToWrite(FormFixture& f, const char* what, const std::function<void(const std::string&)>& save) {
  const std::string blocker = f.dir.write("notafolder", "keep"), target = blocker + "/x.png";
  f.messages.shown.clear();
  save(target);
  ASSERT_EQ(f.messages.shown.size(), 1u) << what;
  const std::string prefix = std::string("Cannot write the ") + what + " \"" + target + "\": ",
                    text = f.messages.shown[0].text;
  EXPECT_EQ(std::tuple(f.messages.shown[0].title, text.rfind(prefix, 0)), std::tuple("Error", 0u)) << text;
  EXPECT_GT(text.size(), prefix.size() + 3) << "no reason given";
  EXPECT_EQ(readAll(blocker), "keep");
}

TEST(ChartMenu, CopiesAndSavesThePictureSavesAndPrintsTheReport) {
  FormFixture f;
  qt::MainWindow window{f.form};
  qt::ChartView* chart = window.chart();
  chart->setMessageBox(&f.messages);
  const std::string one = f.loadText(1, "one.txt", smallScan(300, 0));
  f.loadText(2, "two.txt", smallScan(350, 0.5));
  f.form.CalcCorrelation_Click();
  QStringList captions;
  for (QAction* a : chart->actions()) captions << a->text();
  EXPECT_EQ(captions,
            QStringList({"Copy Chart", "Save Chart as PNG...", "Save Report as PDF\u2026", "Print Report\u2026"}));
  EXPECT_EQ(chart->contextMenuPolicy(), Qt::ActionsContextMenu);
  chart->copyAction()->trigger();
  EXPECT_TRUE(showsSurface(QGuiApplication::clipboard()->image(), f.form.Picture1));
  whenShown<QFileDialog>([&](QFileDialog* d) { typeAndAccept(d, f.dir.file("chart")); });  // the suffix is added
  chart->saveAction()->trigger();
  EXPECT_TRUE(showsSurface(QImage(QString::fromStdString(f.dir.file("chart.png"))), f.form.Picture1));
  EXPECT_FALSE(chart->saveReportAction()->isEnabled());  // nothing to report from yet
  chart->setFileDialog(&f.dialog);
  failsToWrite(f, "chart image",
               [&](const std::string& target) { f.dialog.answers.push_back(target), chart->saveChart(); });
  chart->setReportSource([&f] { return app::reportOf(f.form, "2031-05-06 07:08"); });
  const std::string saved = f.dir.file("r.pdf"), printed = f.dir.file("printed.pdf");
  f.dialog.answers.push_back(saved);
  chart->saveReportAction()->trigger();
  ASSERT_EQ(f.dialog.calls.size(), 4u);
  const auto& call = f.dialog.calls[3];
  EXPECT_EQ(std::tuple(call.kind, call.filter, call.defaultName),
            std::tuple(app::DialogKind::Save, "PDF Files (*.pdf)|*.pdf", "Report.pdf"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(printed));
  chart->printReport(printer);
  for (const std::string& file : {saved, printed}) {
    ASSERT_EQ(std::system(("pdftotext -raw '" + file + "' '" + file + ".txt'").c_str()), 0);
    for (const std::string& w : {one, f.form.Correlation[1].Text, std::string("2031-05-06 07:08")})
      EXPECT_NE(readAll(file + ".txt").find(w), std::string::npos) << file << " lacks " << w;
  }
  failsToWrite(f, "report",
               [&](const std::string& target) { f.dialog.answers.push_back(target), chart->saveReport(); });
  qt::Program program;
  EXPECT_TRUE(program.window.chart()->saveReportAction()->isEnabled() &&
              program.window.chart()->printReportAction()->isEnabled());
}

// Open finds a typed name in any letter case; cancelled, it gives nothing.
TEST(FileDialog, OpenFindsATypedNameInAnyLetterCase) {
  EXPECT_EQ(qt::QtFileDialog::nameFilters("Text|*.txt;*.dat|All|*.*"),
            QStringList({"Text (*.txt *.dat)", "All (*.*)"}));
  qt::QtFileDialog files{QStringLiteral("TXT")};
  ScratchDir dir;
  dir.write("scan.txt", "1,2\r\n");
  for (const bool cancel : {false, true}) {
    whenShown<QFileDialog>([cancel](QFileDialog* d) { cancel ? d->reject() : typeAndAccept(d, "scan"); });
    EXPECT_EQ(files.ask(app::DialogKind::Open, "Data Files (*.txt)|*.txt", dir.file("Untitled.txt")),
              cancel ? "" : dir.file("scan.txt"));
  }
}

}  // namespace
}  // namespace varnel::test
