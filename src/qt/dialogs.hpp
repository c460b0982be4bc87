#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "app/dialogs.hpp"

class QPainter;
class QPrinter;

namespace varnel::qt {

// Qt's file dialog behind the form's FileDialog: the filter text
// ("Description|*.ext|...") becomes name filters matched in any letter case,
// the default name is preselected, and a name typed without extension gets
// the default suffix. Open accepts any typed name (the loader reports a
// missing file); Save asks before replacing a file. Cancel gives "". It
// opens in the folder of the last file chosen in this run for that kind of
// question (the working folder before any choice).
class QtFileDialog : public app::FileDialog {
 public:
  explicit QtFileDialog(QString defaultSuffix) : suffix_(std::move(defaultSuffix)) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  std::string ask(app::DialogKind kind, const std::string& filter, const std::string& defaultName) override;

  // The next question is answered with `path` without showing anything, as
  // if the user had chosen it: a file dropped on a file-name box takes the
  // road a click takes. forgetAnswer() drops an answer nobody asked for.
  void answerOnce(const QString& path) { once_ = path; }
  void forgetAnswer() { once_.reset(); }

  // Several files to open at once, from the folder the open questions
  // share, or `folder` before any was chosen in this run; none when cancelled.
  static QStringList askOpenMany(QWidget* parent, const std::string& filter, const QString& folder = {});

  // "Data Files (*.txt)|*.txt" -> "Data Files (*.txt)"; one filter per pair.
  static QStringList nameFilters(const std::string& filter);

 private:
  QString suffix_;
  QPointer<QWidget> parent_;
  std::optional<QString> once_;
};

// A modal box with the text, the title, one OK button and no icon.
class QtMessageBox : public app::MessageBox {
 public:
  void setParent(QWidget* parent) { parent_ = parent; }
  void show(const std::string& text, const std::string& title) override;

 private:
  QPointer<QWidget> parent_;
};

// The system's print dialog for a report, on the local paper size; true when
// the user chose to print.
bool askPrinter(QPrinter& printer, QWidget* parent);

// Starts `painter` on `printer`; when the printer does not start, says so
// as a report that cannot be written, and returns false.
bool beginPrinting(QPainter& painter, QPrinter& printer, app::MessageBox& messages);

}  // namespace varnel::qt
