// The real file dialog, answered the way a user would.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>

#include "app/qt/dialogs.hpp"
#include "qt/qt_support.hpp"
#include "support/scripted.hpp"

namespace varnel::test {
namespace {

struct Dialogs : ::testing::Test {
  qt::FileDialog files;
  ScratchDir dir;
};

TEST_F(Dialogs, FormFilterBecomesQtNameFilters) {
  EXPECT_EQ(qt::FileDialog::nameFilters("Data Files (*.txt)|*.txt"), QStringList{"Data Files (*.txt)"});
  EXPECT_EQ(qt::FileDialog::nameFilters("Text|*.txt;*.dat|All|*.*"), QStringList({"Text (*.txt *.dat)", "All (*.*)"}));
}

TEST_F(Dialogs, OpenTakesATypedNameInAnyLetterCase) {
  dir.write("scan.txt", "1,2\r\n");
  whenShown<QFileDialog>([](QFileDialog* d) {
    EXPECT_EQ(d->nameFilters(), QStringList{"Data Files (*.txt)"});
    EXPECT_EQ(d->defaultSuffix(), "TXT");
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Untitled.txt");  // the default name stands preselected
    name->setText("scan");
    static_cast<QDialog*>(d)->accept();  // as the Open/Save button does
  });
  const std::string chosen = files.ask(app::DialogKind::Open, "Data Files (*.txt)|*.txt", dir.file("Untitled.txt"));
  EXPECT_EQ(chosen, dir.file("scan.txt"));
}

TEST_F(Dialogs, SaveAddsTheSuffixAndCancelGivesNothing) {
  whenShown<QFileDialog>([](QFileDialog* d) {
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(d->testOption(QFileDialog::DontConfirmOverwrite));
    d->findChild<QLineEdit*>("fileNameEdit")->setText("results");
    static_cast<QDialog*>(d)->accept();  // as the Open/Save button does
  });
  EXPECT_EQ(files.ask(app::DialogKind::Save, "Data Files (*.txt)|*.txt", dir.file("OutputAA.txt")),
            dir.file("results.TXT"));

  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(files.ask(app::DialogKind::Open, "Data Files (*.txt)|*.txt", dir.file("Untitled.txt")), "");
}

}  // namespace
}  // namespace varnel::test
