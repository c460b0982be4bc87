// The Qt window over the form, driven the way Qt delivers input: its build, clicks, drops, the chart and its menu.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QtWidgets>

#include "qt/chart_view.hpp"
#include "qt/program.hpp"
#include "app/report_content.hpp"
#include "support/application.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

[[maybe_unused]] const bool registered = useApplication<QApplication>("test_qt", qt::setUpApplication);

void mouse(QWidget* w, QEvent::Type type, QPoint at = {5, 5}) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void click(QWidget* w) { mouse(w, QEvent::MouseButtonPress), mouse(w, QEvent::MouseButtonRelease); }
// Runs `act`, closing each modal box or dialog that comes up meanwhile or in the events it posts; the last one's
// title, or "" when none comes up.
QString modalTitle(const std::function<void()>& act) {
  QString title;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* up = QApplication::activeModalWidget()) title = up->windowTitle(), up->close();
  });
  closer.start(0);
  act();
  QCoreApplication::processEvents();
  return title;
}
std::string smallScan(int n, double phase) {
  return scanOf(n, [phase](int i) { return std::pair{30 + 2 * std::sin(i / 30.0 + phase), 29 + std::cos(i / 40.0)}; });
}
// Whether the picture holds the chart surface's pixels, opaque.
bool showsSurface(const QImage& picture, const chart::Surface& s) {
  const QImage surface(reinterpret_cast<const uchar*>(s.bits()), s.ScaleWidth(), s.ScaleHeight(), QImage::Format_RGB32);
  return picture.convertToFormat(QImage::Format_ARGB32) == surface.convertToFormat(QImage::Format_ARGB32);
}

struct Window : ::testing::Test, FormFixture {
  Window() { window.show(); }
  qt::MainWindow window{form};
};

// Every control where the table puts it, showing what the form holds, its text inside the small fixed box; the
// menu's items forwarded. Qt would append a display name to every title.
TEST_F(Window, IsBuiltFromTheControlTable) {
  EXPECT_EQ(std::tuple(window.windowTitle(), QGuiApplication::applicationDisplayName(), window.centralWidget()->size()),
            std::tuple("Varnel Analysis", QCoreApplication::applicationName(), QSize(632, 541)));
  for (const app::ControlDef& c : app::controls()) {
    const std::string at = std::string(c.name) + "(" + std::to_string(c.index) + ")",
                      *live = form.text(c.name, c.index);
    QWidget* w = window.control(c.name, c.index);
    ASSERT_TRUE(w && w->parentWidget() == window.centralWidget()) << at;
    EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.w, c.h)) << at;
    const QString text = w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString().replace('\n', ' ');
    EXPECT_TRUE(c.kind == app::Kind::Chart || c.kind == app::Kind::ScrollBar ||
                text.toStdString() == (live ? *live : c.text))
        << at << " shows " << text.toStdString();
    for (const QString& line : qobject_cast<QLineEdit*>(w) ? QStringList{text} : text.split(' ', Qt::SkipEmptyParts))
      EXPECT_LE(QFontMetrics(w->font()).horizontalAdvance(line), c.w - 6) << at;  // inside the frame; labels wrap
  }
  int exits = 0;
  form.onExit = [&] { ++exits; };
  for (QAction* item : window.fileMenu()->actions()) item->trigger();  // four file dialogs, each cancelled, and Exit
  EXPECT_EQ(std::pair(dialog.calls.size(), exits), std::pair(std::size_t(4), 1));
}

// A file-name box opens its dialog as a button does: on a release over it after a press on it. The second press of
// a double click counts as a press, so a user who cancels and clicks again at once is heard.
TEST_F(Window, FileNameBoxOpensOnAClickNotOnAPress) {
  const QEvent::Type P = QEvent::MouseButtonPress, D = QEvent::MouseButtonDblClick, R = QEvent::MouseButtonRelease;
  // Each row: events with the height they happen at, and how often the dialog opens.
  const std::vector<std::pair<std::vector<std::pair<QEvent::Type, int>>, std::size_t>> rows = {
      {{{P, 5}, {R, 5}}, 1}, {{{D, 5}, {R, 5}}, 1}, {{{P, 5}, {R, 300}}, 0}, {{{R, 5}}, 0}, {{{P, 5}}, 0}};
  for (const auto& [events, opens] : rows) {
    dialog.calls.clear();
    for (const auto& [type, y] : events) mouse(window.control("Filename", 1), type, {5, y});
    EXPECT_EQ(dialog.calls.size(), opens) << events.size() << " events from " << events[0].first;
  }
}

// What the screen holds, read from the window's backing store, follows the chart surface after each click on a real
// button, with no repaint forced here.
TEST_F(Window, ChartOnScreenFollowsTheSurfaceItsMenuCopiesSavesAndPrints) {
  loadText(1, "1.txt", smallScan(300, 0)), loadText(2, "2.txt", smallScan(400, 1));
  for (const auto& [button, index] : {std::pair{"LineButton", 0}, {"ClearButton", -1}, {"Smoothbutton", -1}}) {
    static_cast<QPushButton*>(window.control(button, index))->click();
    QCoreApplication::processEvents();
    const QPoint at = window.chart()->mapTo(&window, QPoint(0, 0));
    const QImage picture = window.screen()->grabWindow(window.winId(), at.x(), at.y(), 289, 502).toImage();
    EXPECT_EQ(picture.pixel(0, 0), 0xFF808080u) << button;  // border
    EXPECT_TRUE(showsSurface(picture.copy(1, 1, 287, 500), form.Picture1)) << button;
  }
  // Its context menu: the picture copied, the report saved and printed; a failed save names the file and a reason and
  // leaves what stands there whole.
  qt::ChartView* chart = window.chart();
  chart->setMessageBox(&messages), chart->setFileDialog(&dialog);
  const std::string x = dir.write("x", "keep");
  form.LineButton_Click(1);  // drawn on, not yet shown
  chart->copyAction()->trigger();
  EXPECT_TRUE(showsSurface(QGuiApplication::clipboard()->image(), form.Picture1));
  EXPECT_FALSE(chart->saveReportAction()->isEnabled());  // nothing to report from yet
  chart->setReportSource([&] { return app::reportOf(form, "2031-05-06 07:08"); });
  dialog.answers = {dir.file("saved.pdf"), x + "/x.png"};
  chart->saveReportAction()->trigger(), chart->saveAction()->trigger();
  ASSERT_EQ(messages.shown.size(), 1u);
  const std::string prefix = "Cannot write the chart image \"" + x + "/x.png\": ", text = messages.shown[0].text;
  EXPECT_TRUE(text.starts_with(prefix) && text.size() > prefix.size() + 3 && readAll(x) == "keep") << text;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat), printer.setOutputFileName(QString::fromStdString(dir.file("p.pdf")));
  chart->printReport(printer);
  for (const std::string& file : {dir.file("saved.pdf"), dir.file("p.pdf")}) {
    ASSERT_EQ(std::system(("pdftotext -raw '" + file + "' '" + file + ".txt'").c_str()), 0);
    EXPECT_NE(readAll(file + ".txt").find("2031-05-06 07:08"), std::string::npos) << file;
  }
}

// Drags over a box: whether it takes them, as a copy only, and the title of a box the drop brought up.
QUrl local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
std::pair<bool, QString> dropOn(QWidget* box, const QList<QUrl>& urls, Qt::DropActions offered) {
  QMimeData data;
  urls.isEmpty() ? data.setText("/tmp/a.txt") : data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return {};
  QDropEvent dropped(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  const QString title = modalTitle([&] { QApplication::sendEvent(box, &dropped); });
  EXPECT_EQ(std::pair(enter.dropAction(), dropped.dropAction()), std::pair(Qt::CopyAction, Qt::CopyAction));
  return {dropped.isAccepted(), title};
}

// One local scan dropped on a file-name box loads as that file, with no dialog; a refused scan is reported in a box
// titled "Error"; anything else is not taken.
TEST(Drop, OneLocalScanDroppedOnAFileNameBoxLoadsAsThatFile) {
  ScratchDir dir;
  qt::Program program;  // the real dialogs
  const std::string one = dir.write("one.txt", smallScan(300, 0)), two = dir.write("two.txt", smallScan(421, 0.4));
  QWidget *box1 = program.window.control("Filename", 1), *box2 = program.window.control("Filename", 2);
  const Qt::DropActions copy = Qt::CopyAction, any = copy | Qt::MoveAction;
  const std::vector<std::tuple<QWidget*, QList<QUrl>, Qt::DropActions, bool, QString>> rows = {
      {box1, {local(one), local(two)}, copy, false, ""},
      {box1, {QUrl("https://example.org/a.txt")}, copy, false, ""},
      {box1, {local(one)}, Qt::MoveAction, false, ""},
      {box1, {}, copy, false, ""},
      {program.window.control("Threshold"), {local(one)}, copy, false, ""},
      {box1, {local(dir.write("bad.txt", "1,x\r\n"))}, any, true, "Error"},
      {box2, {local(one)}, any, true, ""},
      {box1, {local(two)}, any, true, ""}};
  for (const auto& [box, urls, offered, taken, title] : rows)
    EXPECT_EQ(dropOn(box, urls, offered), std::pair(taken, title)) << urls.size();
  const app::Form& form = program.form;
  EXPECT_EQ(std::tie(form.Filename[1].Text, form.Pntnum[1].Text, form.Filename[2].Text, form.Pntnum[2].Text),
            std::tuple(two, "420", one, "299"));
  EXPECT_EQ(static_cast<QLineEdit*>(box1)->text().toStdString(), two);
  EXPECT_EQ(modalTitle([&] { click(box1); }), "Open");  // the answer served that drop only: a click asks the user
  EXPECT_TRUE(program.window.chart()->saveReportAction()->isEnabled());  // the program gives the report its source
}

}  // namespace
}  // namespace varnel::test
