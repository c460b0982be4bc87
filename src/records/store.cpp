// The store on Qt SQL: the connection and its safety settings, the schema
// and its upgrades, and every statement, each with its values bound.
#include "records/store.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTimeZone>
#include <QUrl>
#include <QVariant>
#include <atomic>
#include <cstring>
#include <functional>
#include <sstream>

#include "app/messages.hpp"
#include "model/scan_file.hpp"

namespace varnel::records {
namespace {

// PRAGMA application_id of our SQLite files: "VRNL".
constexpr int kApplicationId = 0x56524e4c;
constexpr const char* kApplication = "varnel-records";
// Workstations upgrading one server take this advisory lock in turn.
constexpr qint64 kUpgradeLock = 0x56524e4c0001;
// How long a statement waits for another program's write to finish.
constexpr int kBusyMilliseconds = 30000;
constexpr const char* kTakenAtFormat = "yyyy-MM-ddTHH:mm:ss";
constexpr const char* kDateFormat = "yyyy-MM-dd";

Status fail(Fault f, const QString& message) { return {f, message}; }

QString engineMessage(const QSqlError& e) {
  QString text = e.databaseText().trimmed();
  if (text.isEmpty()) text = e.driverText().trimmed();
  if (text.isEmpty()) text = e.text().trimmed();
  return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

QString nowUtc() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }
QDateTime utcOf(const QVariant& v) {
  QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
  t.setTimeSpec(Qt::UTC);
  return t;
}

QString osUser() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
  return QString::number(geteuid());
}

// Typed nulls, so that both drivers bind a NULL of the column's type.
// Texts the user left empty are kept as empty texts, not NULL.
QString orEmpty(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }
QVariant dateOrNull(const QDate& d) {
  return d.isValid() ? QVariant(d.toString(QString::fromLatin1(kDateFormat)))
                     : QVariant(QMetaType::fromType<QString>());
}
template <class T>
QVariant optionalOrNull(const std::optional<T>& v) {
  return v ? QVariant::fromValue(*v) : QVariant(QMetaType::fromType<T>());
}

QString takenAtText(const QDateTime& t) { return t.toString(QString::fromLatin1(kTakenAtFormat)); }

bool ownerOnly(const QString& path, bool folder) {
  return ::chmod(QFile::encodeName(path).constData(), folder ? 0700 : 0600) == 0;
}

bool syncFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

// A file that did not exist, made empty and owner-readable only.
bool createOwnerOnly(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  return fd >= 0 && ::close(fd) == 0;
}

QString connectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("varnel-records-%1").arg(next++);
}

// A connection of its own, removed with it.
class Connection {
 public:
  Connection(const QString& driver, const QString& options) : name_(connectionName()) {
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name_);
    db.setConnectOptions(options);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() {
    {
      QSqlDatabase db = QSqlDatabase::database(name_, false);
      db.close();
    }
    QSqlDatabase::removeDatabase(name_);
  }
  QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

 private:
  QString name_;
};

// A driver Qt cannot load is said at once, by name, with the package that
// holds it.
Status driverMissing(const char* driver) {
  if (QSqlDatabase::isDriverAvailable(QString::fromLatin1(driver))) return {};
  const bool sqlite = QLatin1String(driver) == QLatin1String("QSQLITE");
  return fail(Fault::Engine, QStringLiteral("The Qt SQL driver %1 is not installed (Debian package %2).")
                                 .arg(QLatin1String(driver), sqlite ? QStringLiteral("libqt6sql6-sqlite")
                                                                    : QStringLiteral("libqt6sql6-psql")));
}

// What the engine's read of an SQLite file says of it, without writing to it.
struct Probe {
  Status status;
  int version = 0;
  bool empty = false;  // no table at all: a new database
};

Probe probeSqlite(const QString& path, bool integrity) {
  Probe p;
  Connection c(QStringLiteral("QSQLITE"),
               QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds));
  QSqlDatabase db = c.db();
  db.setDatabaseName(path);
  const QString notOurs = QStringLiteral("\"%1\" is not a records database").arg(path);
  if (!db.open()) {
    p.status = fail(Fault::Refused, notOurs + ": " + engineMessage(db.lastError()) + ".");
    return p;
  }
  QSqlQuery q(db);
  int application = 0;
  if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next()) {
    p.status = fail(Fault::Refused, notOurs + ": " + engineMessage(q.lastError()) + ".");
    return p;
  }
  application = q.value(0).toInt();
  q.exec(QStringLiteral("PRAGMA user_version"));
  p.version = q.next() ? q.value(0).toInt() : 0;
  q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
  p.empty = q.next() && q.value(0).toLongLong() == 0;
  if (p.empty && application == 0) return p;
  if (application != kApplicationId) {
    p.status = fail(Fault::Refused, notOurs + " (it belongs to another program); it was left as it was.");
    return p;
  }
  if (p.version > kSchemaVersion) {
    p.status = fail(Fault::Refused, QStringLiteral("\"%1\" was written by a newer program (schema version %2; this "
                                                   "program knows up to %3); it was left as it was.")
                                        .arg(path)
                                        .arg(p.version)
                                        .arg(kSchemaVersion));
    return p;
  }
  if (integrity) {
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next() ||
        q.value(0).toString() != QLatin1String("ok")) {
      const QString what = q.isActive() ? q.value(0).toString() : engineMessage(q.lastError());
      p.status = fail(Fault::Refused, QStringLiteral("\"%1\" is damaged: %2.").arg(path, what));
    }
  }
  q.finish();
  return p;
}

}  // namespace

QString searchKey(const QString& text) {
  const QString decomposed = text.normalized(QString::NormalizationForm_KD);
  QString key;
  key.reserve(decomposed.size());
  for (const QChar c : decomposed)
    if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_SpacingCombining &&
        c.category() != QChar::Mark_Enclosing)
      key += c;
  return key.toCaseFolded();
}

QString defaultDatabase() {
  QString named = qEnvironmentVariable("VARNEL_DATABASE");
  if (!named.isEmpty()) return named;
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/records.sqlite");
}

struct Store::Impl {
  Engine engine = Engine::SQLite;
  QString display;
  QString path;  // the SQLite file
  int version = 0;
  std::unique_ptr<Connection> connection;
  QSqlDatabase db;

  // ---- statements

  Status engineFault(const QSqlError& e) const { return fail(Fault::Engine, engineMessage(e)); }

  // `sql` prepared, `values` bound in order, run; the engine's fault otherwise.
  Status run(QSqlQuery& q, const QString& sql, const QVariantList& values = {}) const {
    q = QSqlQuery(db);
    q.setForwardOnly(true);
    if (values.isEmpty()) return q.exec(sql) ? Status{} : engineFault(q.lastError());
    if (!q.prepare(sql)) return engineFault(q.lastError());
    for (const QVariant& v : values) q.addBindValue(v);
    return q.exec() ? Status{} : engineFault(q.lastError());
  }
  Status run(const QString& sql, const QVariantList& values = {}) const {
    QSqlQuery q;
    return run(q, sql, values);
  }

  // One value of the first row; `none` when there is no row.
  Result<QVariant> value(const QString& sql, const QVariantList& values = {}, const QVariant& none = {}) const {
    QSqlQuery q;
    if (Status s = run(q, sql, values); !s.ok()) return {{}, s};
    return {q.next() ? q.value(0) : none, {}};
  }

  // `body` in one transaction, committed only when it succeeded; the
  // commit's own result is the outcome. On SQLite the write lock is taken
  // at the start, so that two programs wait for each other rather than fail.
  Status transaction(const std::function<Status()>& body) {
    if (Status s = run(engine == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")); !s.ok())
      return s;
    Status s = body();
    if (s.ok()) s = run(QStringLiteral("COMMIT"));
    if (!s.ok()) (void)run(QStringLiteral("ROLLBACK"));
    return s;
  }

  Status log(const QString& action, const QString& record, const QString& detail) const {
    return run(QStringLiteral("INSERT INTO log (at, os_user, action, record, detail) VALUES (?, ?, ?, ?, ?)"),
               {nowUtc(), osUser(), action, orEmpty(record), orEmpty(detail)});
  }

  // ---- schema

  QString ddl(QString sql) const {
    const bool lite = engine == Engine::SQLite;
    sql.replace(QLatin1String("{ID}"), lite ? QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT")
                                            : QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    sql.replace(QLatin1String("{BLOB}"), lite ? QLatin1String("BLOB") : QLatin1String("BYTEA"));
    // Keys compare byte by byte on both engines, whatever the server's locale.
    sql.replace(QLatin1String("{KEY}"), lite ? QLatin1String("TEXT") : QLatin1String("TEXT COLLATE \"C\""));
    return sql;
  }

  Status runAll(const std::vector<const char*>& statements) const {
    for (const char* s : statements)
      if (Status st = run(ddl(QString::fromLatin1(s))); !st.ok()) return st;
    return {};
  }

  // Version 1: the tables.
  Status createVersion1() const {
    return runAll({
        "CREATE TABLE varnel_meta (name {KEY} PRIMARY KEY, value TEXT NOT NULL)",
        "CREATE TABLE patient (id {ID}, record {KEY} NOT NULL UNIQUE, family TEXT NOT NULL, given TEXT NOT NULL, "
        "birth_date TEXT, notes TEXT NOT NULL DEFAULT '', version INTEGER NOT NULL, updated_at TEXT NOT NULL)",
        "CREATE TABLE visit (id {ID}, patient_id BIGINT NOT NULL REFERENCES patient(id) ON DELETE CASCADE, "
        "taken_at TEXT NOT NULL, examiner TEXT NOT NULL DEFAULT '', room_temperature DOUBLE PRECISION, "
        "acclimatisation INTEGER, notes TEXT NOT NULL DEFAULT '', version INTEGER NOT NULL, updated_at TEXT NOT NULL)",
        "CREATE INDEX visit_by_patient ON visit (patient_id, taken_at, id)",
        "CREATE TABLE scan (id {ID}, visit_id BIGINT NOT NULL UNIQUE REFERENCES visit(id) ON DELETE CASCADE, "
        "patient_id BIGINT NOT NULL REFERENCES patient(id) ON DELETE CASCADE, file_name TEXT NOT NULL, "
        "bytes {BLOB} NOT NULL, sha256 TEXT NOT NULL, readings INTEGER NOT NULL, UNIQUE (patient_id, sha256))",
        "CREATE TABLE log (id {ID}, at TEXT NOT NULL, os_user TEXT NOT NULL, action TEXT NOT NULL, "
        "record TEXT NOT NULL DEFAULT '', detail TEXT NOT NULL DEFAULT '')",
        "CREATE INDEX log_by_record ON log (record, id)",
    });
  }

  // Version 2: the folded search keys of every patient, indexed.
  Status upgradeTo2() const {
    if (Status s = runAll({"ALTER TABLE patient ADD COLUMN record_key {KEY} NOT NULL DEFAULT ''",
                           "ALTER TABLE patient ADD COLUMN name_key TEXT NOT NULL DEFAULT ''"});
        !s.ok())
      return s;
    QSqlQuery q;
    if (Status s = run(q, QStringLiteral("SELECT id, record, family, given FROM patient")); !s.ok()) return s;
    std::vector<std::pair<qint64, QStringList>> rows;
    while (q.next())
      rows.push_back({q.value(0).toLongLong(), {q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}});
    for (const auto& [id, r] : rows)
      if (Status s = run(QStringLiteral("UPDATE patient SET record_key = ?, name_key = ? WHERE id = ?"),
                         {searchKey(r[0]), nameKey(r[1], r[2]), id});
          !s.ok())
        return s;
    return runAll({"CREATE INDEX patient_by_record_key ON patient (record_key)",
                   "CREATE INDEX patient_by_name_key ON patient (name_key, record_key)"});
  }

  static QString nameKey(const QString& family, const QString& given) {
    return searchKey(family) + QLatin1Char('\x1f') + searchKey(given);
  }

  Status setVersion(int v) {
    Status s =
        run(QStringLiteral("UPDATE varnel_meta SET value = ? WHERE name = 'schema version'"), {QString::number(v)});
    if (s.ok() && engine == Engine::SQLite) s = run(QStringLiteral("PRAGMA user_version = %1").arg(v));
    if (s.ok()) version = v;
    return s;
  }

  Result<int> storedVersion() const {
    const Result<QVariant> v = value(QStringLiteral("SELECT value FROM varnel_meta WHERE name = 'schema version'"));
    return {v.value.toInt(), v.status};
  }

  // Within a transaction: this program's lock on the upgrade, and the
  // version as it is now that no one else is upgrading.
  Result<int> lockedVersion() const {
    if (engine == Engine::PostgreSQL) {
      if (Status s = run(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kUpgradeLock}); !s.ok()) return {0, s};
      const Result<QVariant> has =
          value(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema() "
                               "AND table_name = 'varnel_meta'"));
      if (!has.ok()) return {0, has.status};
      if (has.value.toInt() == 0) return {0, {}};
      return storedVersion();
    }
    const Result<QVariant> v = value(QStringLiteral("PRAGMA user_version"));
    return {v.value.toInt(), v.status};
  }

  // A new database built, an older one upgraded, up to `target`; each step
  // in one transaction.
  Status build(int target, const QString& backupBeforeUpgrade) {
    int at = 0;
    Status s = transaction([&]() -> Status {
      const Result<int> v = lockedVersion();
      if (!v.ok()) return v.status;
      at = v.value;
      if (at > 0) return {};
      if (Status st = createVersion1(); !st.ok()) return st;
      if (Status st = run(QStringLiteral("INSERT INTO varnel_meta (name, value) VALUES ('application', ?), "
                                         "('schema version', '0')"),
                          {QString::fromLatin1(kApplication)});
          !st.ok())
        return st;
      if (engine == Engine::SQLite)
        if (Status st = run(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)); !st.ok()) return st;
      at = 1;
      if (Status st = setVersion(1); !st.ok()) return st;
      return log(QStringLiteral("create database"), {}, QStringLiteral("schema version 1"));
    });
    if (!s.ok()) return s;
    version = at;
    if (at < target && !backupBeforeUpgrade.isEmpty() && engine == Engine::SQLite) {
      if (Status st = backupTo(backupBeforeUpgrade.arg(at)); !st.ok())
        return fail(st.fault, QStringLiteral("The database was not upgraded: its backup failed: ") + st.message);
    }
    // The step to each version after the first, in order.
    const std::function<Status()> steps[] = {[this] { return upgradeTo2(); }};
    for (int next = at + 1; next <= target; ++next) {
      s = transaction([&]() -> Status {
        const Result<int> v = lockedVersion();
        if (!v.ok()) return v.status;
        if (v.value >= next) return {};  // another workstation did this step
        if (Status st = steps[next - 2](); !st.ok()) return st;
        if (Status st = setVersion(next); !st.ok()) return st;
        return log(QStringLiteral("upgrade"), {}, QStringLiteral("schema version %1 to %2").arg(next - 1).arg(next));
      });
      if (!s.ok())
        return fail(s.fault,
                    QStringLiteral("Upgrading the database to version %1 failed: %2").arg(next).arg(s.message));
      version = next;
    }
    return {};
  }

  // ---- opening

  Status openSqlite(const QString& file, const OpenOptions& options) {
    engine = Engine::SQLite;
    path = QFileInfo(file).absoluteFilePath();
    display = path;
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir(folder).exists()) {
      if (!QDir().mkpath(folder) || !ownerOnly(folder, true))
        return fail(Fault::Engine, QStringLiteral("Cannot make the folder \"%1\".").arg(folder));
    }
    bool fresh = false;
    if (!info.exists()) {
      if (!createOwnerOnly(path))
        return fail(
            Fault::Engine,
            QStringLiteral("Cannot make the database \"%1\": %2.").arg(path, QString::fromLocal8Bit(strerror(errno))));
      fresh = true;
    }
    int before = 0;
    if (!fresh && info.size() > 0) {
      const Probe p = probeSqlite(path, false);
      if (!p.status.ok()) return p.status;
      before = p.empty ? 0 : p.version;
    }
    connection = std::make_unique<Connection>(QStringLiteral("QSQLITE"),
                                              QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds));
    db = connection->db();
    db.setDatabaseName(path);
    if (!db.open()) return engineFault(db.lastError());
    const Result<QVariant> mode = value(QStringLiteral("PRAGMA journal_mode = WAL"));
    if (!mode.ok()) return mode.status;
    if (mode.value.toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
      return fail(Fault::Engine, QStringLiteral("The database \"%1\" cannot use a write-ahead log (journal mode %2).")
                                     .arg(path, mode.value.toString()));
    for (const char* pragma : {"PRAGMA synchronous = FULL", "PRAGMA foreign_keys = ON"})
      if (Status s = run(QString::fromLatin1(pragma)); !s.ok()) return s;
    if (Status s = run(QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyMilliseconds)); !s.ok()) return s;
    const QString backupName = path + QStringLiteral(".v%1-") +
                               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                               QStringLiteral(".backup");
    return build(std::max(options.schemaVersion, before), before > 0 ? backupName : QString());
  }

  Status openPostgres(const QUrl& url, const OpenOptions& options) {
    engine = Engine::PostgreSQL;
    if (!url.password().isEmpty())
      return fail(Fault::Refused, QStringLiteral("A password does not go in the database's address; put it in "
                                                 "~/.pgpass (or the file PGPASSFILE names)."));
    const QString name = url.path().mid(1);
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
      return fail(
          Fault::Refused,
          QStringLiteral("\"%1\" names no database: postgresql://[user@]host[:port]/dbname").arg(url.toString()));
    connection = std::make_unique<Connection>(QStringLiteral("QPSQL"), QString());
    db = connection->db();
    db.setDatabaseName(name);
    if (!url.host().isEmpty()) db.setHostName(url.host());
    if (url.port() > 0) db.setPort(url.port());
    if (!url.userName().isEmpty()) db.setUserName(url.userName());
    if (!options.password.isEmpty()) db.setPassword(options.password);
    display = (url.userName().isEmpty() ? QString() : url.userName() + QLatin1Char('@')) + url.host() +
              (url.port() > 0 ? QStringLiteral(":%1").arg(url.port()) : QString()) + QLatin1Char('/') + name;
    if (!db.open())
      return fail(Fault::Engine,
                  QStringLiteral("Cannot reach the database %1: %2").arg(display, engineMessage(db.lastError())));
    // Foreign tables and a newer schema are refused before anything is written.
    const Result<QVariant> tables =
        value(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema()"));
    if (!tables.ok()) return tables.status;
    int before = 0;
    if (tables.value.toInt() > 0) {
      const Result<QVariant> app =
          value(QStringLiteral("SELECT value FROM varnel_meta WHERE name = 'application'"), {}, QString());
      if (!app.ok() || app.value.toString() != QLatin1String(kApplication))
        return fail(Fault::Refused, QStringLiteral("%1 is not a records database (it holds other tables); it was left "
                                                   "as it was.")
                                        .arg(display));
      const Result<int> v = storedVersion();
      if (!v.ok()) return v.status;
      before = v.value;
      if (before > kSchemaVersion)
        return fail(Fault::Refused, QStringLiteral("%1 was written by a newer program (schema version %2; this program "
                                                   "knows up to %3); it was left as it was.")
                                        .arg(display)
                                        .arg(before)
                                        .arg(kSchemaVersion));
    }
    return build(std::max(options.schemaVersion, before), QString());
  }

  // ---- backup

  // SQLite: a consistent copy by VACUUM INTO, under a temporary name in the
  // target's folder, flushed to disk and checked, then linked to `target`,
  // which must not exist yet.
  Status backupTo(const QString& target) const {
    const QString full = QFileInfo(target).absoluteFilePath();
    if (QFileInfo::exists(full))
      return fail(Fault::Duplicate, QStringLiteral("\"%1\" already exists; a backup never replaces a file.").arg(full));
    const QString temp =
        QFileInfo(full).absolutePath() +
        QStringLiteral("/.%1.%2.tmp").arg(QFileInfo(full).fileName()).arg(QCoreApplication::applicationPid());
    QFile::remove(temp);
    if (!createOwnerOnly(temp))
      return fail(
          Fault::Engine,
          QStringLiteral("Cannot write the backup \"%1\": %2.").arg(full, QString::fromLocal8Bit(strerror(errno))));
    const auto dropTemp = [&temp](Status s) {
      QFile::remove(temp);
      return s;
    };
    if (Status s = run(QStringLiteral("VACUUM INTO ?"), {temp}); !s.ok())
      return dropTemp(fail(s.fault, QStringLiteral("Cannot write the backup \"%1\": %2").arg(full, s.message)));
    if (!syncFile(temp))
      return dropTemp(fail(
          Fault::Engine,
          QStringLiteral("Cannot write the backup \"%1\": %2.").arg(full, QString::fromLocal8Bit(strerror(errno)))));
    if (const Probe p = probeSqlite(temp, true); !p.status.ok())
      return dropTemp(fail(Fault::Engine, QStringLiteral("The backup failed its check: ") + p.status.message));
    if (::link(QFile::encodeName(temp).constData(), QFile::encodeName(full).constData()) != 0)
      return dropTemp(fail(
          Fault::Engine,
          QStringLiteral("Cannot write the backup \"%1\": %2.").arg(full, QString::fromLocal8Bit(strerror(errno)))));
    (void)dropTemp({});
    syncFile(QFileInfo(full).absolutePath());
    return {};
  }

  // ---- rows

  Result<qint64> insertPatient(const PatientFields& f) const;
  Result<qint64> insertVisit(const Patient& p, const VisitDetails& details, const QString& fileName,
                             const QByteArray& bytes, int readings) const;

  static Patient patientOf(const QSqlQuery& q) {
    Patient p;
    p.id = q.value(0).toLongLong();
    p.fields.record = q.value(1).toString();
    p.fields.family = q.value(2).toString();
    p.fields.given = q.value(3).toString();
    p.fields.birthDate = QDate::fromString(q.value(4).toString(), QString::fromLatin1(kDateFormat));
    p.fields.notes = q.value(5).toString();
    p.version = q.value(6).toInt();
    p.updatedAt = utcOf(q.value(7));
    return p;
  }
  static constexpr const char* kPatientColumns =
      "p.id, p.record, p.family, p.given, p.birth_date, p.notes, p.version, p.updated_at";

  Result<Patient> patientWhere(const char* where, const QVariant& key) const {
    QSqlQuery q;
    const Status s = run(
        q,
        QStringLiteral("SELECT %1 FROM patient p WHERE %2").arg(QLatin1String(kPatientColumns), QLatin1String(where)),
        {key});
    if (!s.ok()) return {{}, s};
    if (!q.next()) return {{}, fail(Fault::NotFound, QStringLiteral("There is no such patient."))};
    return {patientOf(q), {}};
  }

  static Visit visitOf(const QSqlQuery& q) {
    Visit v;
    v.id = q.value(0).toLongLong();
    v.patientId = q.value(1).toLongLong();
    v.details.takenAt = QDateTime::fromString(q.value(2).toString(), QString::fromLatin1(kTakenAtFormat));
    v.details.examiner = q.value(3).toString();
    if (!q.value(4).isNull()) v.details.roomTemperature = q.value(4).toDouble();
    if (!q.value(5).isNull()) v.details.acclimatisation = q.value(5).toInt();
    v.details.notes = q.value(6).toString();
    v.version = q.value(7).toInt();
    v.updatedAt = utcOf(q.value(8));
    v.fileName = q.value(9).toString();
    v.sha256 = QByteArray::fromHex(q.value(10).toByteArray());
    v.readings = q.value(11).toInt();
    return v;
  }
  static constexpr const char* kVisitQuery =
      "SELECT v.id, v.patient_id, v.taken_at, v.examiner, v.room_temperature, v.acclimatisation, v.notes, v.version, "
      "v.updated_at, s.file_name, s.sha256, s.readings FROM visit v JOIN scan s ON s.visit_id = v.id ";

  Result<Visit> visitById(qint64 id) const {
    QSqlQuery q;
    const Status s = run(q, QLatin1String(kVisitQuery) + QLatin1String("WHERE v.id = ?"), {id});
    if (!s.ok()) return {{}, s};
    if (!q.next()) return {{}, fail(Fault::NotFound, QStringLiteral("There is no such visit."))};
    return {visitOf(q), {}};
  }

  // Why a changed row could not be changed: gone, or changed since.
  Status notChanged(const char* table, qint64 id) const {
    const Result<QVariant> n =
        value(QStringLiteral("SELECT count(*) FROM %1 WHERE id = ?").arg(QLatin1String(table)), {id});
    if (!n.ok()) return n.status;
    if (n.value.toInt() == 0)
      return fail(Fault::NotFound, QStringLiteral("The %1 was removed by someone else.").arg(QLatin1String(table)));
    return fail(Fault::Conflict, QStringLiteral("The %1 was changed by someone else since it was read; nothing was "
                                                "changed. Read it again and repeat the change.")
                                     .arg(QLatin1String(table)));
  }

  // A unique key taken by a program that got there between our check and
  // our write.
  static bool uniqueViolation(const Status& s, const QSqlQuery& q) {
    const QString code = q.lastError().nativeErrorCode();
    return !s.ok() &&
           (code == QLatin1String("23505") || code == QLatin1String("2067") || code == QLatin1String("1555"));
  }
};

Store::Store(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}
Store::~Store() {
  d_->db = QSqlDatabase();
  d_->connection.reset();
}

Result<std::unique_ptr<Store>> Store::open(const QString& database, const OpenOptions& options) {
  auto impl = std::make_unique<Impl>();
  const bool server =
      database.startsWith(QLatin1String("postgresql://")) || database.startsWith(QLatin1String("postgres://"));
  if (Status s = driverMissing(server ? "QPSQL" : "QSQLITE"); !s.ok()) return {nullptr, s};
  if (database.isEmpty()) return {nullptr, fail(Fault::Refused, QStringLiteral("No database named."))};
  const Status s = server ? impl->openPostgres(QUrl(database), options) : impl->openSqlite(database, options);
  if (!s.ok()) {
    impl->db = QSqlDatabase();
    impl->connection.reset();
    return {nullptr, s};
  }
  return {std::unique_ptr<Store>(new Store(std::move(impl))), {}};
}

Engine Store::engine() const { return d_->engine; }
QString Store::displayName() const { return d_->display; }
int Store::schemaVersion() const { return d_->version; }

bool Store::watchVisits(std::function<void()> changed) {
  QSqlDriver* driver = d_->db.driver();
  if (d_->engine != Engine::PostgreSQL || !driver || !driver->subscribeToNotification(QStringLiteral("varnel_visits")))
    return false;
  QObject::connect(driver, &QSqlDriver::notification, driver, [changed = std::move(changed)](const QString& name) {
    if (name == QLatin1String("varnel_visits")) changed();
  });
  return true;
}

// ---- patients

namespace {
Status checkFields(const PatientFields& f) {
  if (f.record.trimmed().isEmpty()) return fail(Fault::Refused, QStringLiteral("A patient needs a record number."));
  if (f.family.trimmed().isEmpty() && f.given.trimmed().isEmpty())
    return fail(Fault::Refused, QStringLiteral("A patient needs a name."));
  return {};
}
QString nameOf(const PatientFields& f) { return f.family + QStringLiteral(", ") + f.given; }
}  // namespace

// Within a transaction: the patient, whose record number must be free.
Result<qint64> Store::Impl::insertPatient(const PatientFields& f) const {
  const Result<QVariant> taken = value(QStringLiteral("SELECT count(*) FROM patient WHERE record = ?"), {f.record});
  if (!taken.ok()) return {0, taken.status};
  if (taken.value.toInt() > 0)
    return {0, fail(Fault::Duplicate, QStringLiteral("The record number \"%1\" is already used.").arg(f.record))};
  QSqlQuery q;
  Status st = run(q,
                  QStringLiteral("INSERT INTO patient (record, family, given, birth_date, notes, version, "
                                 "updated_at, record_key, name_key) VALUES (?, ?, ?, ?, ?, 1, ?, ?, ?) RETURNING id"),
                  {f.record, f.family, f.given, dateOrNull(f.birthDate), orEmpty(f.notes), nowUtc(),
                   searchKey(f.record), nameKey(f.family, f.given)});
  if (uniqueViolation(st, q))
    return {0, fail(Fault::Duplicate, QStringLiteral("The record number \"%1\" is already used.").arg(f.record))};
  if (!st.ok()) return {0, st};
  if (!q.next()) return {0, engineFault(q.lastError())};
  const qint64 id = q.value(0).toLongLong();
  q.finish();
  return {id, log(QStringLiteral("add patient"), f.record, nameOf(f))};
}

Result<Patient> Store::addPatient(const PatientFields& f) {
  if (Status s = checkFields(f); !s.ok()) return {{}, s};
  qint64 id = 0;
  const Status s = d_->transaction([&]() -> Status {
    const Result<qint64> added = d_->insertPatient(f);
    id = added.value;
    return added.status;
  });
  if (!s.ok()) return {{}, s};
  return patient(id);
}

Result<Patient> Store::patient(qint64 id) const { return d_->patientWhere("p.id = ?", id); }
Result<Patient> Store::patientByRecord(const QString& record) const {
  Result<Patient> p = d_->patientWhere("p.record = ?", record);
  if (p.status.fault == Fault::NotFound)
    p.status.message = QStringLiteral("There is no patient with the record number \"%1\".").arg(record);
  return p;
}

Result<Patient> Store::editPatient(qint64 id, int expectedVersion, const PatientFields& f) {
  if (Status s = checkFields(f); !s.ok()) return {{}, s};
  const Status s = d_->transaction([&]() -> Status {
    const Result<Patient> before = patient(id);
    if (!before.ok()) return before.status;
    QSqlQuery q;
    Status st =
        d_->run(q,
                QStringLiteral("UPDATE patient SET record = ?, family = ?, given = ?, birth_date = ?, notes = ?, "
                               "record_key = ?, name_key = ?, version = version + 1, updated_at = ? "
                               "WHERE id = ? AND version = ?"),
                {f.record, f.family, f.given, dateOrNull(f.birthDate), orEmpty(f.notes), searchKey(f.record),
                 Impl::nameKey(f.family, f.given), nowUtc(), id, expectedVersion});
    if (Impl::uniqueViolation(st, q))
      return fail(Fault::Duplicate, QStringLiteral("The record number \"%1\" is already used.").arg(f.record));
    if (!st.ok()) return st;
    if (q.numRowsAffected() != 1) return d_->notChanged("patient", id);
    const PatientFields& b = before.value.fields;
    QString detail = nameOf(b) == nameOf(f) ? QString() : QStringLiteral("name %1 -> %2; ").arg(nameOf(b), nameOf(f));
    if (b.record != f.record) detail += QStringLiteral("record %1 -> %2; ").arg(b.record, f.record);
    if (b.birthDate != f.birthDate) detail += QStringLiteral("birth date changed; ");
    if (b.notes != f.notes) detail += QStringLiteral("notes changed; ");
    detail.chop(2);
    return d_->log(QStringLiteral("edit patient"), f.record, detail);
  });
  if (!s.ok()) return {{}, s};
  return patient(id);
}

Status Store::removePatient(qint64 id, int expectedVersion) {
  return d_->transaction([&]() -> Status {
    const Result<Patient> p = patient(id);
    if (!p.ok()) return p.status;
    const Result<QVariant> n = d_->value(QStringLiteral("SELECT count(*) FROM visit WHERE patient_id = ?"), {id});
    if (!n.ok()) return n.status;
    QSqlQuery q;
    if (Status st =
            d_->run(q, QStringLiteral("DELETE FROM patient WHERE id = ? AND version = ?"), {id, expectedVersion});
        !st.ok())
      return st;
    if (q.numRowsAffected() != 1) return d_->notChanged("patient", id);
    return d_->log(QStringLiteral("remove patient"), p.value.fields.record,
                   QStringLiteral("%1, with %2 visits").arg(nameOf(p.value.fields)).arg(n.value.toInt()));
  });
}

Result<std::vector<PatientSummary>> Store::findPatients(const QString& text, int limit) const {
  const QString key = searchKey(text.trimmed());
  QString pattern = key;
  pattern.replace(QLatin1Char('!'), QLatin1String("!!"))
      .replace(QLatin1Char('%'), QLatin1String("!%"))
      .replace(QLatin1Char('_'), QLatin1String("!_"));
  QString sql = QStringLiteral(
                    "SELECT %1, (SELECT count(*) FROM visit v WHERE v.patient_id = p.id), "
                    "(SELECT max(v.taken_at) FROM visit v WHERE v.patient_id = p.id) FROM patient p "
                    "WHERE p.record_key LIKE ? ESCAPE '!' OR p.name_key LIKE ? ESCAPE '!' "
                    "ORDER BY p.name_key, p.record_key, p.id")
                    .arg(QLatin1String(Impl::kPatientColumns));
  if (limit > 0) sql += QStringLiteral(" LIMIT %1").arg(limit);
  QSqlQuery q;
  const Status s = d_->run(q, sql, {pattern + QLatin1Char('%'), QLatin1Char('%') + pattern + QLatin1Char('%')});
  if (!s.ok()) return {{}, s};
  std::vector<PatientSummary> found;
  while (q.next()) {
    PatientSummary p{Impl::patientOf(q), q.value(8).toInt(), {}};
    if (!q.value(9).isNull())
      p.lastVisit = QDateTime::fromString(q.value(9).toString(), QString::fromLatin1(kTakenAtFormat));
    found.push_back(std::move(p));
  }
  return {std::move(found), {}};
}

Result<Patient> Store::mergePatients(qint64 fromId, int fromVersion, qint64 intoId, int intoVersion) {
  if (fromId == intoId) return {{}, fail(Fault::Refused, QStringLiteral("A patient cannot be merged into itself."))};
  const Status s = d_->transaction([&]() -> Status {
    const Result<Patient> from = patient(fromId), into = patient(intoId);
    if (!from.ok()) return from.status;
    if (!into.ok()) return into.status;
    if (from.value.version != fromVersion) return d_->notChanged("patient", fromId);
    if (into.value.version != intoVersion) return d_->notChanged("patient", intoId);
    // Visits whose scan `into` already holds go with `from`.
    const Result<QVariant> dropped =
        d_->value(QStringLiteral("SELECT count(*) FROM scan s WHERE s.patient_id = ? AND s.sha256 IN "
                                 "(SELECT t.sha256 FROM scan t WHERE t.patient_id = ?)"),
                  {fromId, intoId});
    if (!dropped.ok()) return dropped.status;
    for (const char* sql : {"DELETE FROM visit WHERE id IN (SELECT s.visit_id FROM scan s WHERE s.patient_id = ? AND "
                            "s.sha256 IN (SELECT t.sha256 FROM scan t WHERE t.patient_id = ?))",
                            "UPDATE visit SET patient_id = ? WHERE patient_id = ?",
                            "UPDATE scan SET patient_id = ? WHERE patient_id = ?"}) {
      const bool first = QLatin1String(sql).startsWith(QLatin1String("DELETE"));
      if (Status st =
              d_->run(QString::fromLatin1(sql), first ? QVariantList{fromId, intoId} : QVariantList{intoId, fromId});
          !st.ok())
        return st;
    }
    const Result<QVariant> moved =
        d_->value(QStringLiteral("SELECT count(*) FROM visit WHERE patient_id = ?"), {intoId});
    if (!moved.ok()) return moved.status;
    for (const auto& [sql, values] : {std::pair{"DELETE FROM patient WHERE id = ?", QVariantList{fromId}},
                                      std::pair{"UPDATE patient SET version = version + 1, updated_at = ? WHERE id = ?",
                                                QVariantList{nowUtc(), intoId}}})
      if (Status st = d_->run(QString::fromLatin1(sql), values); !st.ok()) return st;
    const QString detail = QStringLiteral("%1 (%2) merged into %3 (%4); %5 visits of the same scan dropped")
                               .arg(from.value.fields.record, nameOf(from.value.fields), into.value.fields.record,
                                    nameOf(into.value.fields))
                               .arg(dropped.value.toInt());
    if (Status st = d_->log(QStringLiteral("merge"), from.value.fields.record, detail); !st.ok()) return st;
    return d_->log(QStringLiteral("merge"), into.value.fields.record, detail);
  });
  if (!s.ok()) return {{}, s};
  return patient(intoId);
}

// ---- visits

Result<std::vector<Visit>> Store::visits(qint64 patientId) const {
  if (const Result<Patient> p = patient(patientId); !p.ok()) return {{}, p.status};
  QSqlQuery q;
  const Status s =
      d_->run(q, QLatin1String(Impl::kVisitQuery) + QLatin1String("WHERE v.patient_id = ? ORDER BY v.taken_at, v.id"),
              {patientId});
  if (!s.ok()) return {{}, s};
  std::vector<Visit> list;
  while (q.next()) list.push_back(Impl::visitOf(q));
  return {std::move(list), {}};
}

Result<Visit> Store::visit(qint64 visitId) const { return d_->visitById(visitId); }

namespace {
Status checkDetails(const VisitDetails& d) {
  if (!d.takenAt.isValid()) return fail(Fault::Refused, QStringLiteral("A visit needs its date and time."));
  return {};
}
QString visitText(const VisitDetails& d) { return d.takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }
}  // namespace

namespace {
// The scan as the calculator reads it; refused with the reader's message.
Result<model::ScanRead> readScanBytes(const QString& fileName, const QByteArray& bytes) {
  std::istringstream in(bytes.toStdString());
  model::ScanRead read = model::readScan(in);
  const std::string name = fileName.toStdString();
  if (!read.ok())
    return {{},
            fail(Fault::Refused, QString::fromStdString(app::messages::cannotLoad(name, read.errorLine, read.error)))};
  if (read.count == 0) return {{}, fail(Fault::Refused, QString::fromStdString(app::messages::noReadings(name)))};
  return {std::move(read), {}};
}
}  // namespace

// Within a transaction: the visit and its scan, which the reader took.
Result<qint64> Store::Impl::insertVisit(const Patient& p, const VisitDetails& details, const QString& fileName,
                                        const QByteArray& bytes, int readings) const {
  const QString sha = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
  const QString name = QFileInfo(fileName).fileName();
  const Result<QVariant> same = value(
      QStringLiteral(
          "SELECT v.taken_at FROM scan s JOIN visit v ON v.id = s.visit_id WHERE s.patient_id = ? AND s.sha256 = ?"),
      {p.id, sha});
  if (!same.ok()) return {0, same.status};
  if (!same.value.isNull())
    return {0, fail(Fault::Duplicate, QStringLiteral("The scan \"%1\" is already kept for %2 (visit of %3).")
                                          .arg(name, p.fields.record,
                                               same.value.toString().replace(QLatin1Char('T'), QLatin1Char(' '))))};
  QSqlQuery q;
  Status st =
      run(q,
          QStringLiteral("INSERT INTO visit (patient_id, taken_at, examiner, room_temperature, "
                         "acclimatisation, notes, version, updated_at) VALUES (?, ?, ?, ?, ?, ?, 1, ?) RETURNING id"),
          {p.id, takenAtText(details.takenAt), orEmpty(details.examiner), optionalOrNull(details.roomTemperature),
           optionalOrNull(details.acclimatisation), orEmpty(details.notes), nowUtc()});
  if (!st.ok()) return {0, st};
  if (!q.next()) return {0, engineFault(q.lastError())};
  const qint64 id = q.value(0).toLongLong();
  q.finish();
  st = run(q,
           QStringLiteral(
               "INSERT INTO scan (visit_id, patient_id, file_name, bytes, sha256, readings) VALUES (?, ?, ?, ?, ?, ?)"),
           {id, p.id, name, bytes, sha, readings});
  if (uniqueViolation(st, q))
    return {0, fail(Fault::Duplicate,
                    QStringLiteral("The scan \"%1\" is already kept for %2.").arg(name, p.fields.record))};
  if (!st.ok()) return {0, st};
  st = log(QStringLiteral("import"), p.fields.record,
           QStringLiteral("visit %1, scan %2 (%3 readings, SHA-256 %4)")
               .arg(visitText(details), name)
               .arg(readings)
               .arg(sha));
  // Other workstations listening refresh their lists once this commits.
  if (st.ok() && engine == Engine::PostgreSQL) st = run(QStringLiteral("NOTIFY varnel_visits"));
  return {id, st};
}

Result<Visit> Store::addVisit(qint64 patientId, const VisitDetails& details, const QString& fileName,
                              const QByteArray& bytes) {
  if (Status s = checkDetails(details); !s.ok()) return {{}, s};
  const Result<model::ScanRead> read = readScanBytes(fileName, bytes);
  if (!read.ok()) return {{}, read.status};
  qint64 id = 0;
  const Status s = d_->transaction([&]() -> Status {
    const Result<Patient> p = patient(patientId);
    if (!p.ok()) return p.status;
    const Result<qint64> added = d_->insertVisit(p.value, details, fileName, bytes, read.value.count);
    id = added.value;
    return added.status;
  });
  if (!s.ok()) return {{}, s};
  return visit(id);
}

Result<Visit> Store::importVisit(const PatientFields& fields, const VisitDetails& details, const QString& fileName,
                                 const QByteArray& bytes, bool* patientAdded) {
  if (Status s = checkFields(fields); !s.ok()) return {{}, s};
  if (Status s = checkDetails(details); !s.ok()) return {{}, s};
  const Result<model::ScanRead> read = readScanBytes(fileName, bytes);
  if (!read.ok()) return {{}, read.status};
  qint64 id = 0;
  bool added = false;
  const Status s = d_->transaction([&]() -> Status {
    Result<Patient> p = patientByRecord(fields.record);
    if (p.status.fault == Fault::NotFound) {
      const Result<qint64> pid = d_->insertPatient(fields);
      if (!pid.ok()) return pid.status;
      p = patient(pid.value);
      added = true;
    } else if (p.ok() && (p.value.fields.family != fields.family || p.value.fields.given != fields.given)) {
      return fail(Fault::Refused, QStringLiteral("The record number \"%1\" is already used for %2, not %3.")
                                      .arg(fields.record, nameOf(p.value.fields), nameOf(fields)));
    }
    if (!p.ok()) return p.status;
    const Result<qint64> v = d_->insertVisit(p.value, details, fileName, bytes, read.value.count);
    id = v.value;
    return v.status;
  });
  if (patientAdded) *patientAdded = s.ok() && added;
  if (!s.ok()) return {{}, s};
  return visit(id);
}

Result<Visit> Store::editVisit(qint64 visitId, int expectedVersion, const VisitDetails& details) {
  if (Status s = checkDetails(details); !s.ok()) return {{}, s};
  const Status s = d_->transaction([&]() -> Status {
    const Result<Visit> before = visit(visitId);
    if (!before.ok()) return before.status;
    const Result<Patient> p = patient(before.value.patientId);
    if (!p.ok()) return p.status;
    QSqlQuery q;
    if (Status st = d_->run(
            q,
            QStringLiteral("UPDATE visit SET taken_at = ?, examiner = ?, room_temperature = ?, acclimatisation = ?, "
                           "notes = ?, version = version + 1, updated_at = ? WHERE id = ? AND version = ?"),
            {takenAtText(details.takenAt), orEmpty(details.examiner), optionalOrNull(details.roomTemperature),
             optionalOrNull(details.acclimatisation), orEmpty(details.notes), nowUtc(), visitId, expectedVersion});
        !st.ok())
      return st;
    if (q.numRowsAffected() != 1) return d_->notChanged("visit", visitId);
    return d_->log(QStringLiteral("edit visit"), p.value.fields.record,
                   QStringLiteral("visit %1 (scan %2) -> %3")
                       .arg(visitText(before.value.details), before.value.fileName, visitText(details)));
  });
  if (!s.ok()) return {{}, s};
  return visit(visitId);
}

Status Store::removeVisit(qint64 visitId, int expectedVersion) {
  return d_->transaction([&]() -> Status {
    const Result<Visit> v = visit(visitId);
    if (!v.ok()) return v.status;
    const Result<Patient> p = patient(v.value.patientId);
    if (!p.ok()) return p.status;
    QSqlQuery q;
    if (Status st =
            d_->run(q, QStringLiteral("DELETE FROM visit WHERE id = ? AND version = ?"), {visitId, expectedVersion});
        !st.ok())
      return st;
    if (q.numRowsAffected() != 1) return d_->notChanged("visit", visitId);
    return d_->log(QStringLiteral("remove visit"), p.value.fields.record,
                   QStringLiteral("visit %1, scan %2").arg(visitText(v.value.details), v.value.fileName));
  });
}

Result<QByteArray> Store::scanBytes(qint64 visitId) const {
  const Result<QVariant> v = d_->value(QStringLiteral("SELECT bytes FROM scan WHERE visit_id = ?"), {visitId});
  if (!v.ok()) return {{}, v.status};
  if (v.value.isNull()) return {{}, fail(Fault::NotFound, QStringLiteral("There is no such visit."))};
  return {v.value.toByteArray(), {}};
}

// ---- log

Result<std::vector<LogEntry>> Store::log(const QString& record) const {
  QSqlQuery q;
  const QString columns = QStringLiteral("SELECT id, at, os_user, action, record, detail FROM log ");
  const Status s = record.isNull() ? d_->run(q, columns + QStringLiteral("ORDER BY id"))
                                   : d_->run(q, columns + QStringLiteral("WHERE record = ? ORDER BY id"), {record});
  if (!s.ok()) return {{}, s};
  std::vector<LogEntry> entries;
  while (q.next())
    entries.push_back({q.value(0).toLongLong(), utcOf(q.value(1)), q.value(2).toString(), q.value(3).toString(),
                       q.value(4).toString(), q.value(5).toString()});
  return {std::move(entries), {}};
}

Status Store::note(const QString& action, const QString& record, const QString& detail) {
  return d_->transaction([&] { return d_->log(action, record, detail); });
}

// ---- maintenance

Status Store::backup(const QString& path) {
  if (d_->engine != Engine::SQLite)
    return fail(Fault::Refused, QStringLiteral("Backups of a server's database are the server's: use pg_dump."));
  if (Status s = d_->backupTo(path); !s.ok()) return s;
  return note(QStringLiteral("backup"), {}, QFileInfo(path).absoluteFilePath());
}

Result<CheckReport> Store::check() const {
  CheckReport r;
  const Result<int> v = d_->storedVersion();
  if (!v.ok()) return {{}, v.status};
  r.schemaVersion = v.value;
  if (r.schemaVersion != kSchemaVersion)
    r.faults.push_back(QStringLiteral("schema version %1, expected %2").arg(r.schemaVersion).arg(kSchemaVersion));
  QSqlQuery q;
  if (d_->engine == Engine::SQLite) {
    if (Status s = d_->run(q, QStringLiteral("PRAGMA integrity_check")); !s.ok()) return {{}, s};
    while (q.next())
      if (const QString line = q.value(0).toString(); line != QLatin1String("ok"))
        r.faults.push_back(QStringLiteral("integrity: ") + line);
    if (Status s = d_->run(q, QStringLiteral("PRAGMA foreign_key_check")); !s.ok()) return {{}, s};
    while (q.next())
      r.faults.push_back(QStringLiteral("a row of %1 refers to a missing row").arg(q.value(0).toString()));
    const Result<QVariant> user = d_->value(QStringLiteral("PRAGMA user_version"));
    if (user.ok() && user.value.toInt() != r.schemaVersion)
      r.faults.push_back(QStringLiteral("PRAGMA user_version %1 against schema version %2")
                             .arg(user.value.toInt())
                             .arg(r.schemaVersion));
  }
  // One scan at a time, so that a large store is never held whole.
  if (Status s =
          d_->run(q, QStringLiteral("SELECT id, visit_id, file_name, bytes, sha256, readings FROM scan ORDER BY id"));
      !s.ok())
    return {{}, s};
  while (q.next()) {
    const QByteArray bytes = q.value(3).toByteArray();
    const QString name = q.value(2).toString();
    if (QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()) !=
        q.value(4).toString()) {
      r.faults.push_back(QStringLiteral("scan %1 of visit %2 (\"%3\") does not match its SHA-256")
                             .arg(q.value(0).toLongLong())
                             .arg(q.value(1).toLongLong())
                             .arg(name));
      continue;
    }
    std::istringstream in(bytes.toStdString());
    const model::ScanRead read = model::readScan(in);
    if (!read.ok() || read.count != q.value(5).toInt())
      r.faults.push_back(QStringLiteral("scan %1 (\"%2\") no longer reads as %3 readings")
                             .arg(q.value(0).toLongLong())
                             .arg(name)
                             .arg(q.value(5).toInt()));
  }
  const std::pair<const char*, qint64 Counts::*> tables[] = {{"patient", &Counts::patients},
                                                             {"visit", &Counts::visits},
                                                             {"scan", &Counts::scans},
                                                             {"log", &Counts::logEntries}};
  for (const auto& [table, field] : tables) {
    const Result<QVariant> n = d_->value(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    if (!n.ok()) return {{}, n.status};
    r.counts.*field = n.value.toLongLong();
  }
  if (r.counts.visits != r.counts.scans)
    r.faults.push_back(QStringLiteral("%1 visits but %2 scans").arg(r.counts.visits).arg(r.counts.scans));
  return {std::move(r), {}};
}

Result<QString> restore(const QString& database, const QString& from) {
  if (database.startsWith(QLatin1String("postgres")))
    return {{}, fail(Fault::Refused, QStringLiteral("A server's database is restored by the server: use pg_restore."))};
  if (Status s = driverMissing("QSQLITE"); !s.ok()) return {{}, s};
  const QString target = QFileInfo(database).absoluteFilePath();
  const QString source = QFileInfo(from).absoluteFilePath();
  if (!QFileInfo(source).isFile())
    return {{}, fail(Fault::NotFound, QStringLiteral("There is no file \"%1\".").arg(source))};
  if (const Probe p = probeSqlite(source, true); !p.status.ok())
    return {{}, p.status};
  else if (p.empty)
    return {{}, fail(Fault::Refused, QStringLiteral("\"%1\" is not a records database: it is empty.").arg(source))};

  // The database in place now, kept beside it first (its log included).
  QString kept;
  if (QFileInfo(target).exists()) {
    Result<std::unique_ptr<Store>> current = Store::open(target);
    if (!current.ok()) return {{}, current.status};
    kept = target + QStringLiteral(".before-restore-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (Status s = current.value->backup(kept); !s.ok()) return {{}, s};
  }
  // The backup copied next to its place, flushed, then renamed over it.
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly))
    return {{}, fail(Fault::Engine, QStringLiteral("Cannot read \"%1\": %2.").arg(source, in.errorString()))};
  const QByteArray bytes = in.readAll();
  const QString temp = target + QStringLiteral(".restoring");
  QFile::remove(temp);
  QFile out(temp);
  if (!createOwnerOnly(temp) || !out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
      out.write(bytes) != bytes.size() || !out.flush() || ::fsync(out.handle()) != 0) {
    const QString why = out.errorString();
    out.close();
    QFile::remove(temp);
    return {{}, fail(Fault::Engine, QStringLiteral("Cannot write \"%1\": %2.").arg(temp, why))};
  }
  out.close();
  for (const char* suffix : {"-wal", "-shm"}) QFile::remove(target + QLatin1String(suffix));
  if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
    QFile::remove(temp);
    return {{},
            fail(Fault::Engine,
                 QStringLiteral("Cannot put the backup in place: %1.").arg(QString::fromLocal8Bit(strerror(errno))))};
  }
  syncFile(QFileInfo(target).absolutePath());
  Result<std::unique_ptr<Store>> restored = Store::open(target);
  if (!restored.ok()) return {{}, restored.status};
  if (Status s = restored.value->note(QStringLiteral("restore"), {},
                                      QStringLiteral("from %1; the database before kept as %2")
                                          .arg(source, kept.isEmpty() ? QStringLiteral("(none)") : kept));
      !s.ok())
    return {{}, s};
  return {kept, {}};
}

}  // namespace varnel::records
