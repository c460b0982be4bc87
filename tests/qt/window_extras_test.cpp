// A scan dropped on a file-name box, and the chart copied or saved as an
// image from its context menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cmath>
#include <filesystem>

#include "app/qt/chart_view.hpp"
#include "app/qt/dialogs.hpp"
#include "app/qt/main_window.hpp"
#include "app/qt/program.hpp"
#include "qt/qt_support.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

using qt::MainWindow;

std::string smallScan(int n, double phase) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < n; ++i) r.push_back({30 + 2 * std::sin(i / 25.0 + phase), 29 + std::cos(i / 35.0)});
  return scanText(r);
}

::testing::AssertionResult samePixels(const QImage& image, const chart::Surface& surface) {
  if (image.size() != QSize(surface.ScaleWidth(), surface.ScaleHeight()))
    return ::testing::AssertionFailure() << "size " << image.width() << " x " << image.height();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != (0xFF000000u | surface.pixel(x, y)))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y;
  return ::testing::AssertionSuccess();
}

QMimeData* urls(const QList<QUrl>& list) {
  auto* data = new QMimeData;
  data->setUrls(list);
  return data;
}

QMimeData* file(const std::string& path) { return urls({QUrl::fromLocalFile(QString::fromStdString(path))}); }

// Drags the data over the box and drops it there if the box takes it;
// true when it was taken.
bool dropOn(QWidget* box, QMimeData* owned, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
  const std::unique_ptr<QMimeData> data(owned);
  QDragEnterEvent enter(QPoint(5, 5), offered, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return false;
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);  // never a move: the source would delete the file
  QDropEvent dropped(QPointF(5, 5), offered, data.get(), Qt::LeftButton, Qt::NoModifier);
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
struct Drop : ::testing::Test {
  Drop() {
    window.setFileDialog(&files);
    window.show();
  }
  // A dialog answer still waiting fails the test that scheduled it.
  void TearDown() override { QCoreApplication::processEvents(); }

  QString shown(const char* name, int index = -1) { return static_cast<QLineEdit*>(window.control(name, index))->text(); }

  qt::FileDialog files;
  RecordedMessages messages;
  app::Form form{files, messages};
  ScratchDir dir;
  MainWindow window{form};
};

TEST_F(Drop, ScanDroppedOnAFileNameBoxLoadsAsThatFile) {
  const std::string one = dir.write("one.txt", smallScan(300, 0));
  const std::string two = dir.write("two.txt", smallScan(421, 0.4));
  EXPECT_TRUE(dropOn(window.control("Filename", 2), file(two)));
  EXPECT_EQ(shown("Filename", 2), QString::fromStdString(two));
  EXPECT_EQ(shown("Pntnum", 2), "420");
  EXPECT_EQ(shown("Filename", 1), "Text2");
  EXPECT_EQ(form.Label3.Caption, "Left Temp");  // File 2 went through "&Open File2"

  EXPECT_TRUE(dropOn(window.control("Filename", 1), file(one)));
  EXPECT_EQ(shown("Filename", 1), QString::fromStdString(one));
  EXPECT_EQ(shown("Pntnum", 1), "299");
  EXPECT_TRUE(messages.shown.empty());

  // The answer served that drop only: a click asks the user again.
  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_TRUE(form.click("Filename", 1));
  EXPECT_EQ(form.Filename[1].Text, one);
}

TEST_F(Drop, AnythingButOneLocalFileIsRefused) {
  const std::string a = dir.write("a.txt", smallScan(100, 0));
  const std::string b = dir.write("b.txt", smallScan(100, 1));
  QWidget* box = window.control("Filename", 1);
  EXPECT_FALSE(dropOn(box, urls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))})));
  EXPECT_FALSE(dropOn(box, urls({QUrl("https://example.org/a.txt")})));
  EXPECT_FALSE(dropOn(box, file(a), Qt::MoveAction));
  EXPECT_FALSE(dropOn(box, file(dir.path().string())));
  auto* text = new QMimeData;
  text->setText(QString::fromStdString(a));
  EXPECT_FALSE(dropOn(box, text));
  EXPECT_FALSE(dropOn(window.control("Threshold"), file(a)));  // not a file-name box
  EXPECT_EQ(form.Filename[1].Text, "Text2");
  EXPECT_EQ(form.Pntnum[1].Text, "0");
  EXPECT_EQ(form.Threshold.Text, "1");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Drop, MalformedScanIsReportedAndChangesNothing) {
  const std::string good = dir.write("good.txt", smallScan(250, 0));
  ASSERT_TRUE(dropOn(window.control("Filename", 1), file(good)));
  const std::uint64_t drawn = form.Picture1.revision();
  const std::string bad = dir.write("bad.txt", "35.1,34.9\r\n35.2,warm\r\n");
  EXPECT_TRUE(dropOn(window.control("Filename", 1), file(bad)));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_NE(messages.shown[0].text.find(bad), std::string::npos) << messages.shown[0].text;
  EXPECT_EQ(shown("Filename", 1), QString::fromStdString(good));
  EXPECT_EQ(shown("Pntnum", 1), "249");
  EXPECT_EQ(form.Picture1.revision(), drawn);
}

TEST(Program, WindowTakesDroppedScans) {
  ScratchDir dir;
  const std::string scan = dir.write("scan.txt", smallScan(120, 0));
  qt::Program program;
  EXPECT_TRUE(dropOn(program.window.control("Filename", 1), file(scan)));
  EXPECT_EQ(program.form.Pntnum[1].Text, "119");
}

struct ChartImage : ::testing::Test, FormFixture {
  ChartImage() {
    chart->setMessageBox(&messages);
    window.show();
    loadText(1, "a.txt", smallScan(300, 0));
    loadText(2, "b.txt", smallScan(350, 0.5));
    window.refresh();
  }
  void TearDown() override { QCoreApplication::processEvents(); }

  MainWindow window{form};
  qt::ChartView* chart = window.chart();
};

TEST_F(ChartImage, ContextMenuCopiesTheSurface) {
  EXPECT_EQ(chart->contextMenuPolicy(), Qt::ActionsContextMenu);
  QStringList captions;
  for (QAction* a : chart->actions()) captions << a->text();
  EXPECT_EQ(captions, QStringList({"Copy Chart", "Save Chart as PNG..."}));

  chart->copyAction()->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_TRUE(samePixels(copied, form.Picture1));
  EXPECT_GT(form.Picture1.countInRow(250, rgb(12)) + form.Picture1.countInRow(250, rgb(11)), 0);
}

TEST_F(ChartImage, SavedPngHoldsTheSurfacePixels) {
  whenShown<QFileDialog>([this](QFileDialog* d) {
    EXPECT_EQ(d->nameFilters(), QStringList{"PNG Images (*.png)"});
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(dir.file("comparison")));
    static_cast<QDialog*>(d)->accept();
  });
  chart->saveAction()->trigger();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(samePixels(QImage(QString::fromStdString(dir.file("comparison.png"))), form.Picture1));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);  // the scans and the picture
}

TEST_F(ChartImage, SaveAsksBeforeReplacing) {
  const std::string old = dir.write("old.png", "old");
  whenShown<QFileDialog>([&](QFileDialog* d) {
    d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(old));
    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    static_cast<QDialog*>(d)->accept();
    EXPECT_EQ(readAll(old), "old");
    EXPECT_TRUE(d->isVisible());
    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    static_cast<QDialog*>(d)->accept();
  });
  chart->saveChart();
  EXPECT_TRUE(samePixels(QImage(QString::fromStdString(old)), form.Picture1));
}

TEST_F(ChartImage, FailedSaveNamesThePathAndLeavesFilesAlone) {
  const std::string blocker = dir.write("notafolder", "keep");
  const std::string target = blocker + "/chart.png";
  whenShown<QFileDialog>([&](QFileDialog* d) {
    d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(target));
    static_cast<QDialog*>(d)->accept();
  });
  chart->saveChart();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Error");
  const std::string& text = messages.shown[0].text;
  const std::string prefix = "Cannot write the chart image \"" + target + "\": ";
  EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
  EXPECT_GT(text.size(), prefix.size() + 3) << "no reason given: " << text;
  EXPECT_EQ(readAll(blocker), "keep");
}

}  // namespace
}  // namespace varnel::test
