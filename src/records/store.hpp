#pragma once
// The clinic's records: patients, their visits and each visit's scan, kept in
// one database, SQLite (a file) or PostgreSQL (a clinic's server), through Qt
// SQL with the same schema and statements on both. Every value reaches the
// engine as a bound parameter; every change is one transaction, checked at
// its commit, and appended to the log of who did what.
//
// A scan is kept only once the calculator's own reader (model::readScan) has
// accepted its bytes, and is handed back byte for byte as it came.
//
// Edits name the version of the row they were made on (Patient::version,
// Visit::version): a row someone else changed since it was read is left as
// it is and the edit is refused with Fault::Conflict.
//
// A Store is one connection: use it from the thread that opened it. Several
// programs (or Store objects) may use one database at once.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace varnel::records {

// The version of the schema this program reads and writes.
inline constexpr int kSchemaVersion = 2;

enum class Engine { SQLite, PostgreSQL };

// Why something was refused or failed. `message` names what and why in
// words for the user (never empty unless ok).
enum class Fault {
  None,
  NotFound,   // no such patient, visit or file
  Conflict,   // changed by someone else since it was read
  Duplicate,  // the record number is taken; the scan is already kept for that patient
  Refused,    // input the store does not take: a scan the reader refuses, a bad value, a foreign or newer database
  Engine,     // the database or the disk failed; the engine's own message follows
};

struct [[nodiscard]] Status {
  Fault fault = Fault::None;
  QString message;
  bool ok() const { return fault == Fault::None; }
};

template <class T>
struct [[nodiscard]] Result {
  T value{};
  Status status;
  bool ok() const { return status.ok(); }
};

// What a user types about a patient.
struct PatientFields {
  QString record;  // the clinic's record number, unique, not empty
  QString family, given;
  QDate birthDate;  // null: not known
  QString notes;
};

struct Patient {
  qint64 id = 0;
  PatientFields fields;
  int version = 0;      // raised by every change of the row
  QDateTime updatedAt;  // UTC
};

// A patient as a search lists it.
struct PatientSummary {
  Patient patient;
  int visits = 0;
  QDateTime lastVisit;  // invalid when there is none
};

// What a user types about a visit.
struct VisitDetails {
  QDateTime takenAt;  // date and time of the visit, clinic's local time (seconds kept)
  QString examiner;
  std::optional<double> roomTemperature;  // °C
  std::optional<int> acclimatisation;     // minutes
  QString notes;
};

struct Visit {
  qint64 id = 0;
  qint64 patientId = 0;
  VisitDetails details;
  int version = 0;
  QDateTime updatedAt;  // UTC
  // Its scan (never changed once kept).
  QString fileName;   // as imported, without its folder
  QByteArray sha256;  // raw 32 bytes
  int readings = 0;
};

struct LogEntry {
  qint64 id = 0;
  QDateTime at;    // UTC
  QString user;    // the operating system's user
  QString action;  // "import", "edit patient", "remove visit", "export", "backup", ...
  QString record;  // the patient's record number; empty when none
  QString detail;
};

struct Counts {
  qint64 patients = 0, visits = 0, scans = 0, logEntries = 0;
};

// What check() found; `faults` empty when all is well.
struct CheckReport {
  int schemaVersion = 0;
  Counts counts;
  std::vector<QString> faults;
  bool ok() const { return faults.empty(); }
};

struct OpenOptions {
  // Build or upgrade a database no further than this version; older
  // versions only for tests and tools that need one.
  int schemaVersion = kSchemaVersion;
  // The PostgreSQL server's password when ~/.pgpass has none, as a person
  // typed it: handed to the driver and kept nowhere else.
  QString password;
};

// The database used when none is named: VARNEL_DATABASE, else
// records.sqlite in the program's data folder.
QString defaultDatabase();

// The lower-case, accent-free form that searches compare ("Müller" and
// "MULLER" both give "muller").
QString searchKey(const QString& text);

class Store {
 public:
  // `database`: a file path (SQLite; created when missing, with its folder,
  // owner-readable only) or postgresql://[user@]host[:port]/dbname (the
  // password comes from ~/.pgpass or PGPASSFILE, never from the address).
  // An older schema is backed up (SQLite) and upgraded step by step; a newer
  // one, or a database that is not ours, is refused and left untouched.
  static Result<std::unique_ptr<Store>> open(const QString& database, const OpenOptions& options = {});
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  Engine engine() const;
  // For titles and messages: the file's path or user@host:port/dbname.
  QString displayName() const;
  int schemaVersion() const;

  // Patients.
  Result<Patient> addPatient(const PatientFields& fields);
  Result<Patient> patient(qint64 id) const;
  Result<Patient> patientByRecord(const QString& record) const;
  Result<Patient> editPatient(qint64 id, int expectedVersion, const PatientFields& fields);
  // With all its visits and scans.
  Status removePatient(qint64 id, int expectedVersion);
  // Record numbers starting with `text`, or family and given names holding
  // it, case and accents ignored; all patients for an empty text. By family
  // name, given name, record number; at most `limit` (0: no limit).
  Result<std::vector<PatientSummary>> findPatients(const QString& text, int limit = 0) const;
  // `from`'s visits become `into`'s (a scan `into` already has is dropped
  // with its visit), then `from` is removed.
  Result<Patient> mergePatients(qint64 fromId, int fromVersion, qint64 intoId, int intoVersion);

  // Visits, in date order (then in the order they were kept).
  Result<std::vector<Visit>> visits(qint64 patientId) const;
  Result<Visit> visit(qint64 visitId) const;
  // The scan `bytes` read as the calculator reads a file; refused with the
  // reader's message (naming `fileName` and the line) when it cannot be read,
  // and with Fault::Duplicate when the patient already has the same scan.
  Result<Visit> addVisit(qint64 patientId, const VisitDetails& details, const QString& fileName,
                         const QByteArray& bytes);
  // addVisit() for the patient with fields.record, added first when there
  // is none, all in one transaction; refused when the record number is
  // used with other names. `patientAdded`, when given, tells whether it was.
  Result<Visit> importVisit(const PatientFields& fields, const VisitDetails& details, const QString& fileName,
                            const QByteArray& bytes, bool* patientAdded = nullptr);
  Result<Visit> editVisit(qint64 visitId, int expectedVersion, const VisitDetails& details);
  Status removeVisit(qint64 visitId, int expectedVersion);
  // Calls `changed` (on this connection's thread, while events are
  // processed) when any program adds a visit to the database. PostgreSQL
  // only (LISTEN/NOTIFY); false on SQLite or when the server refuses.
  bool watchVisits(std::function<void()> changed);
  // The scan's bytes exactly as they were kept.
  Result<QByteArray> scanBytes(qint64 visitId) const;

  // The log, oldest first; only entries naming `record` when it is given.
  Result<std::vector<LogEntry>> log(const QString& record = {}) const;
  // Appends what was done outside the store (an export) to the log.
  Status note(const QString& action, const QString& record, const QString& detail);

  // A consistent copy of the database in use, at `path` (SQLite only; an
  // existing file is never replaced). Owner-readable only.
  Status backup(const QString& path);
  // Integrity of the engine's pages, every scan against its SHA-256, the
  // schema version, and the counts.
  Result<CheckReport> check() const;

  struct Impl;

 private:
  explicit Store(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d_;
};

// Puts the backup `from` in the place of the SQLite database `database`,
// after checking it (ours, intact, not newer). The database it replaces is
// kept beside it under a dated name, which is returned. No Store may have
// `database` open.
Result<QString> restore(const QString& database, const QString& from);

}  // namespace varnel::records
