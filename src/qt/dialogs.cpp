#include "qt/dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <utility>

#include "app/messages.hpp"
#include "picture/report_pages.hpp"

namespace varnel::qt {

namespace {

// The scan and result files are named in any letter case (they often come
// from systems that ignore it): a typed "scan" that became "scan.TXT" finds
// "scan.txt" when that is the only file it can mean.
QString existingInAnyCase(const QString& path) {
  const QFileInfo info(path);
  if (info.exists()) return path;
  QString found;
  const QDir dir = info.absoluteDir();
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    if (name.compare(info.fileName(), Qt::CaseInsensitive) != 0) continue;
    if (!found.isEmpty()) return path;  // ambiguous: keep what was typed
    found = dir.filePath(name);
  }
  return found.isEmpty() ? path : found;
}

// Where the last file of each kind was chosen in this run, shared by every
// dialog: scans for Open, any saved file for Save.
QString lastFolder[2];

QString& folderFor(app::DialogKind kind) { return lastFolder[kind == app::DialogKind::Open ? 0 : 1]; }

}  // namespace

QStringList QtFileDialog::nameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
    if (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
      result << description;
    else
      result << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  if (result.isEmpty()) result << QStringLiteral("All Files (*)");
  return result;
}

std::string QtFileDialog::ask(app::DialogKind kind, const std::string& filter, const std::string& defaultName) {
  if (once_) {
    const QString path = *std::exchange(once_, std::nullopt);
    if (!path.isEmpty()) folderFor(kind) = QFileInfo(path).absolutePath();
    return QDir::toNativeSeparators(path).toStdString();
  }
  const bool open = kind == app::DialogKind::Open;
  QFileDialog dialog(parent_, open ? QStringLiteral("Open") : QStringLiteral("Save As"));
  // Qt's own dialog, so the filter's letter case and the typed-name rules
  // below hold on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(nameFilters(filter));
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  dialog.setDefaultSuffix(suffix_);

  const QFileInfo preset(QString::fromStdString(defaultName));
  if (preset.path() != QStringLiteral("."))
    dialog.setDirectory(preset.absolutePath());
  else if (!folderFor(kind).isEmpty())
    dialog.setDirectory(folderFor(kind));
  dialog.selectFile(preset.fileName());

  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  QString path = chosen.first();
  if (open) path = existingInAnyCase(path);
  folderFor(kind) = QFileInfo(path).absolutePath();
  return QDir::toNativeSeparators(path).toStdString();
}

QStringList QtFileDialog::askOpenMany(QWidget* parent, const std::string& filter, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Open"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(nameFilters(filter));
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  if (!folderFor(app::DialogKind::Open).isEmpty())
    dialog.setDirectory(folderFor(app::DialogKind::Open));
  else if (!folder.isEmpty())
    dialog.setDirectory(folder);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList chosen = dialog.selectedFiles();
  if (!chosen.isEmpty()) folderFor(app::DialogKind::Open) = QFileInfo(chosen.first()).absolutePath();
  for (QString& path : chosen) path = QDir::toNativeSeparators(path);
  return chosen;
}

void QtMessageBox::show(const std::string& text, const std::string& title) {
  QMessageBox box(parent_);
  box.setIcon(QMessageBox::NoIcon);
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.setWindowTitle(QString::fromStdString(title));
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool askPrinter(QPrinter& printer, QWidget* parent) {
  printer.setPageSize(picture::localPageSize());
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool beginPrinting(QPainter& painter, QPrinter& printer, app::MessageBox& messages) {
  if (painter.begin(&printer)) return true;
  const QString name = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
  messages.show(app::messages::cannotWrite("report", name.toStdString(), "the printer did not start"),
                app::kErrorTitle);
  return false;
}

}  // namespace varnel::qt
