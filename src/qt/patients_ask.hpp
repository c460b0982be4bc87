#pragma once
// What the Patients window asks the person at it: a patient's fields, a
// visit's details and scan, a yes or no, a file, the database to use and its
// password. QtPatientsAsk asks with dialogs; the tests answer from a script.
#include <QString>
#include <functional>
#include <optional>

#include "records/store.hpp"

class QWidget;

namespace varnel::qt {

// A value the patient dialog cannot keep: which field and why.
struct FieldProblem {
  QString field;  // "record", "family", "given", "birthDate"; empty when all is well
  QString message;
  bool ok() const { return field.isEmpty(); }
};
using PatientCheck = std::function<FieldProblem(const records::PatientFields&)>;

// A visit as the New Visit dialog gives it: its details and, for a new
// visit, the scan file.
struct VisitEntry {
  records::VisitDetails details;
  QString scanPath;
};

// The database the window uses: an SQLite file or a PostgreSQL server.
struct DatabaseChoice {
  QString file;  // empty for a server
  QString host, database, user;
  int port = 5432;
  bool server() const { return file.isEmpty(); }
  QString address() const;  // the file, or postgresql://user@host:port/database
  static DatabaseChoice fromAddress(const QString& address);
};

class PatientsAsk {
 public:
  virtual ~PatientsAsk() = default;
  // The patient's fields starting from `start`; OK is taken only when
  // `check` finds nothing wrong. None when cancelled.
  virtual std::optional<records::PatientFields> patient(QWidget* parent, const QString& title,
                                                        const records::PatientFields& start,
                                                        const PatientCheck& check) = 0;
  // A visit's details starting from `start`; with `scanPath` set the scan is
  // already chosen (a dropped file), with `withScan` false none is asked
  // (an edit never changes the scan).
  virtual std::optional<VisitEntry> visit(QWidget* parent, const QString& title, const records::VisitDetails& start,
                                          bool withScan, const QString& scanPath) = 0;
  // The record number of the patient another one goes into; `choices` are
  // "RECORD  Family, Given" lines. Empty when cancelled.
  virtual QString recordToKeep(QWidget* parent, const QString& text, const QStringList& choices) = 0;
  virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;
  virtual void tell(QWidget* parent, const QString& title, const QString& text) = 0;
  // A file to write (backup) or read (restore); empty when cancelled.
  virtual QString saveFile(QWidget* parent, const QString& title, const QString& suggested) = 0;
  virtual QString openFile(QWidget* parent, const QString& title) = 0;
  virtual std::optional<DatabaseChoice> database(QWidget* parent, const DatabaseChoice& current,
                                                 const QString& defaultFile) = 0;
  // The server's password, when ~/.pgpass holds none; kept in memory only.
  virtual std::optional<QString> password(QWidget* parent, const QString& where, const QString& why) = 0;
};

// The dialogs a person answers.
class QtPatientsAsk : public PatientsAsk {
 public:
  std::optional<records::PatientFields> patient(QWidget* parent, const QString& title,
                                                const records::PatientFields& start,
                                                const PatientCheck& check) override;
  std::optional<VisitEntry> visit(QWidget* parent, const QString& title, const records::VisitDetails& start,
                                  bool withScan, const QString& scanPath) override;
  QString recordToKeep(QWidget* parent, const QString& text, const QStringList& choices) override;
  bool confirm(QWidget* parent, const QString& title, const QString& text) override;
  void tell(QWidget* parent, const QString& title, const QString& text) override;
  QString saveFile(QWidget* parent, const QString& title, const QString& suggested) override;
  QString openFile(QWidget* parent, const QString& title) override;
  std::optional<DatabaseChoice> database(QWidget* parent, const DatabaseChoice& current,
                                         const QString& defaultFile) override;
  std::optional<QString> password(QWidget* parent, const QString& where, const QString& why) override;
};

}  // namespace varnel::qt
