#include "qt/patients_ask.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <map>

namespace varnel::qt {

QString DatabaseChoice::address() const {
  if (!server()) return file;
  return QStringLiteral("postgresql://") + (user.isEmpty() ? QString() : user + QLatin1Char('@')) + host +
         QStringLiteral(":%1/").arg(port) + database;
}

DatabaseChoice DatabaseChoice::fromAddress(const QString& address) {
  DatabaseChoice c;
  if (!address.startsWith(QLatin1String("postgresql://")) && !address.startsWith(QLatin1String("postgres://"))) {
    c.file = address;
    return c;
  }
  const QUrl url(address);
  c.host = url.host();
  c.port = url.port(5432);
  c.user = url.userName();
  c.database = url.path().mid(1);
  return c;
}

namespace {

// A field with the message that refuses its value beside it, in red.
struct Checked {
  QWidget* field;
  QLabel* problem;
};

QLabel* problemLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setStyleSheet(QStringLiteral("color: #b00000"));
  label->hide();
  return label;
}

QWidget* besides(QWidget* field, QLabel* problem) {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(field, 1);
  row->addWidget(problem);
  return box;
}

QDialogButtonBox* okCancel(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

std::optional<records::PatientFields> QtPatientsAsk::patient(QWidget* parent, const QString& title,
                                                             const records::PatientFields& start,
                                                             const PatientCheck& check) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* form = new QFormLayout(&dialog);
  auto* record = new QLineEdit(start.record);
  auto* family = new QLineEdit(start.family);
  auto* given = new QLineEdit(start.given);
  auto* known = new QCheckBox(QStringLiteral("Known"));
  auto* birth = new QDateEdit(start.birthDate.isValid() ? start.birthDate : QDate(1970, 1, 1));
  birth->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  birth->setCalendarPopup(true);
  known->setChecked(start.birthDate.isValid());
  birth->setEnabled(known->isChecked());
  QObject::connect(known, &QCheckBox::toggled, birth, &QWidget::setEnabled);
  auto* notes = new QPlainTextEdit(start.notes);
  notes->setFixedHeight(70);
  std::map<QString, QLabel*> problems;
  const auto add = [&](const QString& name, const QString& label, QWidget* field) {
    problems[name] = problemLabel(&dialog);
    form->addRow(label, besides(field, problems[name]));
  };
  add(QStringLiteral("record"), QStringLiteral("&Record number:"), record);
  add(QStringLiteral("family"), QStringLiteral("&Family name:"), family);
  add(QStringLiteral("given"), QStringLiteral("&Given name:"), given);
  auto* birthRow = new QWidget;
  auto* birthLayout = new QHBoxLayout(birthRow);
  birthLayout->setContentsMargins(0, 0, 0, 0);
  birthLayout->addWidget(known);
  birthLayout->addWidget(birth, 1);
  add(QStringLiteral("birthDate"), QStringLiteral("&Birth date:"), birthRow);
  form->addRow(QStringLiteral("&Notes:"), notes);
  QDialogButtonBox* buttons = okCancel(dialog);
  form->addRow(buttons);
  records::PatientFields result;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    result = {record->text().trimmed(), family->text().trimmed(), given->text().trimmed(),
              known->isChecked() ? birth->date() : QDate(), notes->toPlainText()};
    const FieldProblem problem = check(result);
    for (auto& [name, label] : problems) {
      label->setVisible(name == problem.field);
      if (name == problem.field) label->setText(problem.message);
    }
    if (problem.ok()) dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return result;
}

std::optional<VisitEntry> QtPatientsAsk::visit(QWidget* parent, const QString& title,
                                               const records::VisitDetails& start, bool withScan,
                                               const QString& scanPath) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* form = new QFormLayout(&dialog);
  auto* taken = new QDateTimeEdit(start.takenAt);
  taken->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
  taken->setCalendarPopup(true);
  auto* examiner = new QLineEdit(start.examiner);
  auto* room = new QDoubleSpinBox;
  room->setRange(0.0, 50.0);
  room->setDecimals(1);
  room->setSuffix(QStringLiteral(" \u00b0C"));
  room->setSpecialValueText(QStringLiteral("not taken"));
  room->setMinimum(0.0);
  room->setValue(start.roomTemperature.value_or(0.0));
  auto* acclimatisation = new QSpinBox;
  acclimatisation->setRange(0, 600);
  acclimatisation->setSuffix(QStringLiteral(" min"));
  acclimatisation->setSpecialValueText(QStringLiteral("not taken"));
  acclimatisation->setValue(start.acclimatisation.value_or(0));
  auto* notes = new QPlainTextEdit(start.notes);
  notes->setFixedHeight(70);
  form->addRow(QStringLiteral("&Date and time:"), taken);
  form->addRow(QStringLiteral("&Examiner:"), examiner);
  form->addRow(QStringLiteral("&Room temperature:"), room);
  form->addRow(QStringLiteral("&Acclimatisation:"), acclimatisation);
  form->addRow(QStringLiteral("&Notes:"), notes);
  auto* scan = new QLineEdit(scanPath);
  QLabel* scanProblem = problemLabel(&dialog);
  if (withScan) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scan, 1);
    auto* browse = new QPushButton(QStringLiteral("&Browse\u2026"));
    layout->addWidget(browse);
    layout->addWidget(scanProblem);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
      const QString path = QFileDialog::getOpenFileName(&dialog, QStringLiteral("Scan"), scan->text(),
                                                        QStringLiteral("Scans (*.txt *.TXT);;All files (*)"));
      if (!path.isEmpty()) scan->setText(path);
    });
    form->addRow(QStringLiteral("&Scan:"), row);
  }
  QDialogButtonBox* buttons = okCancel(dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    if (withScan && scan->text().trimmed().isEmpty()) {
      scanProblem->setText(QStringLiteral("Choose the scan."));
      scanProblem->show();
      return;
    }
    dialog.accept();
  });
  dialog.resize(460, dialog.sizeHint().height());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  VisitEntry entry;
  entry.details.takenAt = taken->dateTime();
  entry.details.examiner = examiner->text().trimmed();
  if (room->value() > 0.0) entry.details.roomTemperature = room->value();
  if (acclimatisation->value() > 0) entry.details.acclimatisation = acclimatisation->value();
  entry.details.notes = notes->toPlainText();
  entry.scanPath = withScan ? scan->text().trimmed() : QString();
  return entry;
}

QString QtPatientsAsk::recordToKeep(QWidget* parent, const QString& text, const QStringList& choices) {
  bool ok = false;
  const QString chosen =
      QInputDialog::getItem(parent, QStringLiteral("Merge Into"), text, choices, 0, false, &ok);
  return ok ? chosen.section(QLatin1Char(' '), 0, 0) : QString();
}

bool QtPatientsAsk::confirm(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void QtPatientsAsk::tell(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

QString QtPatientsAsk::saveFile(QWidget* parent, const QString& title, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, title, suggested, QStringLiteral("SQLite databases (*.sqlite)"));
}

QString QtPatientsAsk::openFile(QWidget* parent, const QString& title) {
  return QFileDialog::getOpenFileName(parent, title, QString(),
                                      QStringLiteral("SQLite databases (*.sqlite *.backup);;All files (*)"));
}

std::optional<DatabaseChoice> QtPatientsAsk::database(QWidget* parent, const DatabaseChoice& current,
                                                      const QString& defaultFile) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Database"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* asFile = new QRadioButton(QStringLiteral("A &file on this computer"));
  auto* asServer = new QRadioButton(QStringLiteral("A PostgreSQL &server"));
  auto* file = new QLineEdit(current.server() ? defaultFile : current.file);
  auto* browse = new QPushButton(QStringLiteral("&Browse\u2026"));
  auto* standard = new QPushButton(QStringLiteral("&Default"));
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file, 1);
  fileRow->addWidget(browse);
  fileRow->addWidget(standard);
  auto* host = new QLineEdit(current.host);
  auto* port = new QSpinBox;
  port->setRange(1, 65535);
  port->setValue(current.port);
  auto* database = new QLineEdit(current.database);
  auto* user = new QLineEdit(current.user);
  auto* server = new QFormLayout;
  server->addRow(QStringLiteral("&Host:"), host);
  server->addRow(QStringLiteral("&Port:"), port);
  server->addRow(QStringLiteral("&Database:"), database);
  server->addRow(QStringLiteral("&User:"), user);
  server->addRow(new QLabel(QStringLiteral("The password is read from ~/.pgpass, or asked for and kept only while "
                                           "the program runs.")));
  layout->addWidget(asFile);
  layout->addLayout(fileRow);
  layout->addWidget(asServer);
  layout->addLayout(server);
  QDialogButtonBox* buttons = okCancel(dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString path = QFileDialog::getSaveFileName(&dialog, QStringLiteral("Database file"), file->text(),
                                                      QStringLiteral("SQLite databases (*.sqlite)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) file->setText(path);
  });
  QObject::connect(standard, &QPushButton::clicked, &dialog, [&] { file->setText(defaultFile); });
  const auto enable = [&] {
    for (QWidget* w : {static_cast<QWidget*>(file), static_cast<QWidget*>(browse), static_cast<QWidget*>(standard)})
      w->setEnabled(asFile->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(host), static_cast<QWidget*>(port), static_cast<QWidget*>(database),
                       static_cast<QWidget*>(user)})
      w->setEnabled(asServer->isChecked());
  };
  QObject::connect(asFile, &QRadioButton::toggled, &dialog, enable);
  (current.server() ? asServer : asFile)->setChecked(true);
  enable();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  DatabaseChoice chosen;
  if (asFile->isChecked()) {
    chosen.file = file->text().trimmed();
  } else {
    chosen.host = host->text().trimmed();
    chosen.port = port->value();
    chosen.database = database->text().trimmed();
    chosen.user = user->text().trimmed();
  }
  return chosen;
}

std::optional<QString> QtPatientsAsk::password(QWidget* parent, const QString& where, const QString& why) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent, QStringLiteral("Password"),
                                             why + QStringLiteral("\n\nPassword for %1:").arg(where),
                                             QLineEdit::Password, QString(), &ok);
  if (!ok) return std::nullopt;
  return text;
}

}  // namespace varnel::qt
