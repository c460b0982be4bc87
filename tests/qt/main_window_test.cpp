// The Qt window over the form: widgets where the table puts them, showing
// what the form holds, and user input forwarded to the form's handlers.
#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <tuple>

#include "app/qt/chart_view.hpp"
#include "app/qt/main_window.hpp"
#include "app/qt/program.hpp"
#include "app/qt/value_bar.hpp"
#include "qt/qt_support.hpp"

namespace varnel::test {
namespace {

using qt::ValueBar;

struct Window : ::testing::Test, FormFixture {
  Window() { window.show(); }

  template <class W>  // found by its object name, as tools and tests outside find it
  W* get(const char* name, int index = -1) {
    auto* w = window.findChild<W*>(qt::MainWindow::controlName(name, index));
    EXPECT_NE(w, nullptr) << name << "(" << index << ")";
    return w;
  }
  QString shown(const char* name, int index = -1) {
    QWidget* w = window.control(name, index);
    return w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString();
  }

  qt::MainWindow window{form};
};

TEST_F(Window, ControlsStandAtTheirPlacesWithTheStartUpTextsReadableWhole) {
  EXPECT_EQ(window.windowTitle(), "Varnel Analysis");
  EXPECT_EQ(window.centralWidget()->size(), QSize(632, 541));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  for (const app::ControlDef& c : app::controls()) {
    QWidget* w = window.control(c.name, c.index);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->parentWidget(), window.centralWidget()) << c.name;
    EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.w, c.h)) << c.name << "(" << c.index << ")";
    // The boxes are small and fixed: texts must fit inside 2-px margins.
    const QFontMetrics m(w->font());
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      QStyleOptionFrame frame;
      frame.initFrom(e);
      frame.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, e);
      const int inside = e->style()->subElementRect(QStyle::SE_LineEditContents, &frame, e).width();
      EXPECT_LE(m.horizontalAdvance(e->text()), inside - 4) << c.name << "(" << c.index << ")";
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      for (const QString& line : b->text().split('\n'))
        EXPECT_LE(m.horizontalAdvance(line), c.w - 4) << c.name << "(" << c.index << ")";
      EXPECT_LE(m.lineSpacing() * (b->text().count('\n') + 1), c.h) << c.name;
    }
  }
  const std::tuple<const char*, int, const char*> texts[] = {
      {"Pntnum", 1, "0"}, {"Pntnum", 2, "0"}, {"Threshold", -1, "1"}, {"Filename", 1, "Text2"},
      {"Filename", 2, "Text2"}, {"Label3", -1, "Scanning"}, {"Label13", -1, "Raw"}, {"MaxTemp", 1, "Degrees C"},
      {"MinTemp", 2, "DegreesC"}, {"LineButton", 2, "Right Temp "}, {"Frame2", -1, "Congruence Calculations"}};
  for (const auto& [name, index, text] : texts) EXPECT_EQ(shown(name, index), text) << name << "(" << index << ")";
  EXPECT_EQ(get<ValueBar>("VScroll4")->barValue(), 100);
  EXPECT_EQ(get<ValueBar>("VScroll2")->barValue(), 500);

  auto* count = get<QLineEdit>("Pntnum", 1);
  EXPECT_TRUE(count->isReadOnly());
  EXPECT_TRUE(count->alignment() & Qt::AlignRight);
  EXPECT_FALSE(get<QLineEdit>("Threshold")->isReadOnly());
  const QPalette file1 = get<QLineEdit>("Filename", 1)->palette();
  EXPECT_EQ(file1.color(QPalette::Text), QColor(255, 0, 0));
  EXPECT_EQ(file1.color(QPalette::Base), QColor(64, 64, 64));
}

TEST_F(Window, MenuHasTheFiveItemsAndForwardsThem) {
  ASSERT_EQ(window.menuBar()->actions().size(), 1);
  EXPECT_EQ(window.menuBar()->actions()[0]->text(), "&File");
  QStringList captions;
  for (QAction* a : window.fileMenu()->actions()) captions << a->text();
  EXPECT_EQ(captions, QStringList({"&Open File1", "&Open File2", "&Output Results", "&Export Normed Data", "&Exit"}));

  int exits = 0;
  form.onExit = [&] { ++exits; };
  window.fileMenu()->actions()[1]->trigger();  // cancelled: asks, changes nothing
  window.fileMenu()->actions()[4]->trigger();
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(dialog.calls[0].kind, app::DialogKind::Open);
  EXPECT_EQ(exits, 1);
}

TEST_F(Window, ButtonsAndFileNameBoxesReachTheForm) {
  const std::string path = dir.write("scan2.txt", smallScan(200, 0));
  dialog.answers.push_back(path);
  drag(get<QLineEdit>("Filename", 2), {5, 5}, {5, 5});  // a click
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(shown("Filename", 2), QString::fromStdString(path));
  EXPECT_EQ(shown("Pntnum", 2), "199");
  EXPECT_EQ(shown("Label3"), "Left Temp");  // File 2 ends on the Left Temp chart
  EXPECT_EQ(shown("LineButton", 1), "Left Temp ON");

  get<QPushButton>("ClearButton")->click();
  const QImage cleared = window.chart()->grab().toImage();
  for (int y = 0; y < 500; ++y) ASSERT_EQ(cleared.pixel(144, y + 1), 0xFF000000u) << y;

  get<QPushButton>("LineButton", 0)->click();
  EXPECT_EQ(shown("Label3"), "Delta-T");
  EXPECT_EQ(shown("LineButton", 0), "Delta-T ON");
  EXPECT_EQ(shown("LineButton", 1), "Left Temp");
}

// A file-name box opens its dialog as a button does: on a release over it
// after a press on it. The second press of a quick double click counts as
// a press, so a user who cancels and clicks again at once is heard.
TEST_F(Window, FileNameBoxOpensOnAClickNotOnAPress) {
  auto* box = get<QLineEdit>("Filename", 1);
  const auto send = [box](QEvent::Type type, QPoint at) {
    QMouseEvent e(type, QPointF(at), box->mapToGlobal(QPointF(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &e);
  };
  send(QEvent::MouseButtonPress, {5, 5});
  EXPECT_EQ(dialog.calls.size(), 0u);
  send(QEvent::MouseButtonRelease, {5, 5});
  EXPECT_EQ(dialog.calls.size(), 1u);
  send(QEvent::MouseButtonDblClick, {5, 5});
  send(QEvent::MouseButtonRelease, {5, 5});
  EXPECT_EQ(dialog.calls.size(), 2u);
  send(QEvent::MouseButtonPress, {5, 5});
  send(QEvent::MouseButtonRelease, {5, 300});  // let go elsewhere: no click
  EXPECT_EQ(dialog.calls.size(), 2u);
}

// Qt appends an application display name to every title on a desktop; the
// window and its boxes must read exactly "Varnel Analysis" and "Error".
TEST_F(Window, TitlesCarryNoApplicationSuffix) {
  qt::setUpApplication();
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
  EXPECT_EQ(window.windowTitle(), "Varnel Analysis");
}

TEST_F(Window, BarsMovedByTheUserRunTheirHandlersARefreshDoesNot) {
  // The upper bar has its larger value at the top.
  auto* upper = get<ValueBar>("VScroll2");
  EXPECT_LT(upper->thumbRect().top(), 40);
  form.VScroll2.setValue(80);
  window.refresh();
  const QRect atBottom = upper->thumbRect();
  EXPECT_GT(atBottom.bottom(), upper->height() - 40);
  drag(upper, atBottom.center(), atBottom.center() - QPoint(0, 200));  // drag up: larger
  EXPECT_GT(form.VScroll2.Value(), 200);
  EXPECT_EQ(shown("UpperCutoff"), QString::number(form.VScroll2.Value()));

  auto* lower = get<ValueBar>("VScroll1");
  int runs = 0, moves = 0;
  const auto handler = form.VScroll1.Change;
  form.VScroll1.Change = [&] { ++runs; handler(); };
  QObject::connect(lower, &ValueBar::moved, [&] { ++moves; });

  drag(lower, {8, 3}, {8, 3});  // a click on the up arrow raises the cut-off
  EXPECT_EQ(form.VScroll1.Value(), 1);
  EXPECT_EQ(shown("LowerCutoff"), "1");
  key(lower, Qt::Key_PageUp);
  EXPECT_EQ(form.VScroll1.Value(), 11);
  EXPECT_EQ(runs, 2);

  form.VScroll1.setValue(40);  // the program moves the bar: one run, no echo
  form.VScroll2.Min = 10;      // as a short file leaves it
  window.refresh();
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(lower->barValue(), 40);
  EXPECT_EQ(upper->minimum(), 10);
  EXPECT_EQ(shown("LowerCutoff"), "40");
}

TEST_F(Window, TypingChangesTheFormsTextOnly) {
  auto* threshold = get<QLineEdit>("Threshold");
  threshold->setFocus();
  key(threshold, Qt::Key_End);
  key(threshold, Qt::Key_Backspace);
  for (QChar ch : QString("2.5")) key(threshold, 0, QString(ch));
  EXPECT_EQ(form.Threshold.Text, "2.5");
  EXPECT_EQ(threshold->cursorPosition(), 3);  // the refresh left the typing alone
  EXPECT_EQ(form.VScroll4.Value(), 100);

  key(get<QLineEdit>("Pntnum", 1), 0, "7");
  EXPECT_EQ(form.Pntnum[1].Text, "0");
}

TEST_F(Window, ChartShowsTheSurfacePixelForPixel) {
  loadText(1, "a.txt", smallScan(300, 0));
  loadText(2, "b.txt", smallScan(350, 0.5));
  form.Picture1.line(0, 0, 286, 499, 13);  // drawn behind the view's back
  window.refresh();
  const QImage picture = window.chart()->grab().toImage();
  ASSERT_EQ(picture.size(), QSize(289, 502));
  EXPECT_EQ(picture.pixel(0, 0), 0xFF808080u);  // border
  EXPECT_TRUE(showsSurface(picture.copy(1, 1, 287, 500), form.Picture1));
  EXPECT_EQ(picture.pixel(287, 500), 0xFF000000u | rgb(13));
}

}  // namespace
}  // namespace varnel::test
