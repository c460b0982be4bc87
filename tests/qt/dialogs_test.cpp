// The real file dialog, answered the way a user would.
#include "app/qt/dialogs.hpp"
#include "qt/qt_support.hpp"

namespace varnel::test {
namespace {

const std::string kData = "Data Files (*.txt)|*.txt";

TEST(Dialogs, OpenFindsATypedNameInAnyLetterCaseSaveAddsTheSuffixCancelGivesNothing) {
  EXPECT_EQ(qt::QtFileDialog::nameFilters("Text|*.txt;*.dat|All|*.*"), QStringList({"Text (*.txt *.dat)", "All (*.*)"}));
  qt::QtFileDialog files{QStringLiteral("TXT")};
  ScratchDir dir;
  dir.write("scan.txt", "1,2\r\n");
  whenShown<QFileDialog>([](QFileDialog* d) {
    EXPECT_EQ(d->nameFilters(), QStringList{"Data Files (*.txt)"});
    EXPECT_EQ(d->defaultSuffix(), "TXT");
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Untitled.txt");  // the default name stands preselected
    typeAndAccept(d, "scan");
  });
  EXPECT_EQ(files.ask(app::DialogKind::Open, kData, dir.file("Untitled.txt")), dir.file("scan.txt"));

  whenShown<QFileDialog>([](QFileDialog* d) {
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(d->testOption(QFileDialog::DontConfirmOverwrite));
    typeAndAccept(d, "results");
  });
  EXPECT_EQ(files.ask(app::DialogKind::Save, kData, dir.file("OutputAA.txt")), dir.file("results.TXT"));

  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(files.ask(app::DialogKind::Open, kData, dir.file("Untitled.txt")), "");
}

}  // namespace
}  // namespace varnel::test
