// A scan dropped on a file-name box, and the chart copied or saved as an
// image from its context menu.
#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "app/qt/chart_view.hpp"
#include "app/qt/dialogs.hpp"
#include "app/qt/main_window.hpp"
#include "app/qt/program.hpp"
#include "qt/qt_support.hpp"

namespace varnel::test {
namespace {

QUrl local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

std::unique_ptr<QMimeData> urls(const QList<QUrl>& list) {
  auto data = std::make_unique<QMimeData>();
  data->setUrls(list);
  return data;
}

// Drags the data over the box and drops it there if the box takes it;
// true when it was taken.
bool dropOn(QWidget* box, const QMimeData& data, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
  QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return false;
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);  // never a move: the source would delete the file
  QDropEvent dropped(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &dropped);
  EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
  QTimer guard;  // a dialog shown after all is a fault: close it
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* up = QApplication::activeModalWidget()) {
      ADD_FAILURE() << "a dialog came up";
      up->close();
    }
  });
  guard.start(0);
  QCoreApplication::processEvents();
  return dropped.isAccepted();
}

// The window as the program has it: the real file dialog, which must never
// come up during a drop, and a recorded message box.
TEST(Drop, OneLocalScanDroppedOnAFileNameBoxLoadsAsThatFile) {
  qt::QtFileDialog dialog{QStringLiteral("TXT")};
  RecordedMessages messages;
  app::Form form{dialog, messages};
  ScratchDir dir;
  qt::MainWindow window{form};
  window.setFileDialog(&dialog);
  window.show();
  const auto shown = [&](const char* name, int index) {
    return static_cast<QLineEdit*>(window.control(name, index))->text().toStdString();
  };
  QWidget* box1 = window.control("Filename", 1);
  const std::string one = dir.write("one.txt", smallScan(300, 0));
  const std::string two = dir.write("two.txt", smallScan(421, 0.4));

  EXPECT_FALSE(dropOn(box1, *urls({local(one), local(two)})));
  EXPECT_FALSE(dropOn(box1, *urls({QUrl("https://example.org/a.txt")})));
  EXPECT_FALSE(dropOn(box1, *urls({local(one)}), Qt::MoveAction));
  EXPECT_FALSE(dropOn(box1, *urls({local(dir.path().string())})));
  QMimeData text;
  text.setText(QString::fromStdString(one));
  EXPECT_FALSE(dropOn(box1, text));
  EXPECT_FALSE(dropOn(window.control("Threshold"), *urls({local(one)})));  // not a file-name box
  EXPECT_EQ(std::tie(form.Filename[1].Text, form.Pntnum[1].Text, form.Threshold.Text),
            std::make_tuple("Text2", "0", "1"));

  EXPECT_TRUE(dropOn(window.control("Filename", 2), *urls({local(two)})));
  EXPECT_EQ(std::make_tuple(shown("Filename", 2), shown("Pntnum", 2), shown("Filename", 1)),
            std::make_tuple(two, "420", "Text2"));
  EXPECT_EQ(form.Label3.Caption, "Left Temp");  // File 2 went through "&Open File2"
  EXPECT_TRUE(dropOn(box1, *urls({local(one)})));
  EXPECT_EQ(std::make_tuple(shown("Filename", 1), shown("Pntnum", 1)), std::make_tuple(one, "299"));
  EXPECT_TRUE(messages.shown.empty());

  // A malformed scan is reported and changes nothing.
  const std::uint64_t drawn = form.Picture1.revision();
  const std::string bad = dir.write("bad.txt", "35.1,34.9\r\n35.2,warm\r\n");
  EXPECT_TRUE(dropOn(box1, *urls({local(bad)})));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_NE(messages.shown[0].text.find(bad), std::string::npos) << messages.shown[0].text;
  EXPECT_EQ(std::make_tuple(shown("Filename", 1), shown("Pntnum", 1)), std::make_tuple(one, "299"));
  EXPECT_EQ(form.Picture1.revision(), drawn);

  // The answer served that drop only: a click asks the user again.
  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_TRUE(form.click("Filename", 1));
  EXPECT_EQ(form.Filename[1].Text, one);
  QCoreApplication::processEvents();  // an answer still waiting fails the test
}

TEST(Program, WindowTakesDroppedScans) {
  ScratchDir dir;
  qt::Program program;
  EXPECT_TRUE(dropOn(program.window.control("Filename", 1), *urls({local(dir.write("scan.txt", smallScan(120, 0)))})));
  EXPECT_EQ(program.form.Pntnum[1].Text, "119");
}

TEST(ChartImage, ContextMenuCopiesAndSavesTheSurface) {
  FormFixture f;
  qt::MainWindow window{f.form};
  qt::ChartView* chart = window.chart();
  chart->setMessageBox(&f.messages);
  window.show();
  f.loadText(1, "a.txt", smallScan(300, 0));
  f.loadText(2, "b.txt", smallScan(350, 0.5));
  window.refresh();
  const chart::Surface& surface = f.form.Picture1;
  EXPECT_GT(countInRow(surface, 250, rgb(12)) + countInRow(surface, 250, rgb(11)), 0);

  EXPECT_EQ(chart->contextMenuPolicy(), Qt::ActionsContextMenu);
  QStringList captions;
  for (QAction* a : chart->actions()) captions << a->text();
  EXPECT_EQ(captions, QStringList({"Copy Chart", "Save Chart as PNG...", "Save Report as PDF\u2026", "Print Report\u2026"}));
  chart->copyAction()->trigger();
  EXPECT_TRUE(showsSurface(QGuiApplication::clipboard()->image(), surface));

  whenShown<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->nameFilters(), QStringList{"PNG Images (*.png)"});
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    typeAndAccept(d, f.dir.file("comparison"));
  });
  chart->saveAction()->trigger();
  EXPECT_TRUE(f.messages.shown.empty());
  EXPECT_TRUE(showsSurface(QImage(QString::fromStdString(f.dir.file("comparison.png"))), surface));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()), {}), 3);  // the scans and the picture

  // Replacing asks first: "No" leaves the file and the dialog up.
  const std::string old = f.dir.write("old.png", "old");
  whenShown<QFileDialog>([&](QFileDialog* d) {
    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    typeAndAccept(d, old);
    EXPECT_EQ(readAll(old), "old");
    EXPECT_TRUE(d->isVisible());
    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    static_cast<QDialog*>(d)->accept();
  });
  chart->saveChart();
  EXPECT_TRUE(showsSurface(QImage(QString::fromStdString(old)), surface));

  // A failed save names the path and a reason, and leaves files alone.
  const std::string blocker = f.dir.write("notafolder", "keep"), target = blocker + "/chart.png";
  whenShown<QFileDialog>([&](QFileDialog* d) { typeAndAccept(d, target); });
  chart->saveChart();
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].title, "Error");
  const std::string& text = f.messages.shown[0].text;
  const std::string prefix = "Cannot write the chart image \"" + target + "\": ";
  EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
  EXPECT_GT(text.size(), prefix.size() + 3) << "no reason given: " << text;
  EXPECT_EQ(readAll(blocker), "keep");
  QCoreApplication::processEvents();  // an answer still waiting fails the test
}

}  // namespace
}  // namespace varnel::test
