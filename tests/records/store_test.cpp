// The store on both engines: what goes in comes out, searches, edits that
// lost a race, the log, versions and foreign files, backup and restore.
#include <sys/stat.h>

#include <QCoreApplication>

#include "app/messages.hpp"
#include "engines.hpp"
#include "support/application.hpp"

namespace varnel::test {
namespace {

[[maybe_unused]] const bool registered = useApplication<QCoreApplication>("test_records");

using records::Fault;

QDateTime at(const char* text) { return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate); }

records::Patient addPatient(records::Store& s, const char* record, const char* family, const char* given) {
  const records::Result<records::Patient> p =
      s.addPatient({QString::fromUtf8(record), QString::fromUtf8(family), QString::fromUtf8(given), {}, {}});
  EXPECT_TRUE(p.ok()) << p.status.message.toStdString();
  return p.value;
}

records::Visit addVisit(records::Store& s, qint64 patient, const char* when, const QByteArray& bytes,
                        const char* name = "scan.txt") {
  const records::Result<records::Visit> v = s.addVisit(patient, {at(when), "Dr Ames", 21.5, 15, {}}, name, bytes);
  EXPECT_TRUE(v.ok()) << v.status.message.toStdString();
  return v.value;
}

QByteArray scanBytes(int count, double offset) {
  return QByteArray::fromStdString(scanOf(count, [offset](int i) {
    return std::pair{36.0 + offset + i * 0.01, 35.9};
  }));
}

// Names as typed come back as typed and are found by any part, case and
// accents ignored; characters SQL would take as its own are plain text.
TEST_P(Engines, NamesKeptAndFoundAsTyped) {
  auto s = open();
  addPatient(*s, "A-1001", "Müller", "Jürgen");
  addPatient(*s, "A-1002", "O'Brien", "Siobhán");
  addPatient(*s, "B-77", "x'); DROP TABLE visit;--", "Robert");
  addPatient(*s, "B-78", "Percent", "100%_off");
  const struct {
    const char* text;
    std::vector<const char*> records;
  } cases[] = {
      {"muller", {"A-1001"}},
      {"MÜLL", {"A-1001"}},
      {"jurgen", {"A-1001"}},
      {"o'brien", {"A-1002"}},
      {"siobhan", {"A-1002"}},
      {"a-10", {"A-1001", "A-1002"}},
      {"drop table", {"B-77"}},
      {"x');", {"B-77"}},
      {"%", {"B-78"}},
      {"_", {"B-78"}},
      {"1002", {}},
      {"", {"A-1001", "A-1002", "B-78", "B-77"}},
  };
  for (const auto& c : cases) {
    const auto found = s->findPatients(QString::fromUtf8(c.text));
    ASSERT_TRUE(found.ok()) << found.status.message.toStdString();
    std::vector<std::string> records;
    for (const records::PatientSummary& p : found.value) records.push_back(p.patient.fields.record.toStdString());
    EXPECT_EQ(records, std::vector<std::string>(c.records.begin(), c.records.end())) << c.text;
  }
  const auto p = s->patientByRecord("B-77");
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p.value.fields.family, QString::fromUtf8("x'); DROP TABLE visit;--"));
  EXPECT_EQ(s->patientByRecord("A-1002").value.fields.family, QString::fromUtf8("O'Brien"));
  EXPECT_TRUE(s->visits(p.value.id).ok());  // the visit table is still there
}

// Scans come out byte for byte, visits in date order, with the figures the
// search lists; the reader's refusal is the window's message.
TEST_P(Engines, ScansKeptByteForByte) {
  auto s = open();
  const records::Patient p = addPatient(*s, "C-1", "Lind", "Astrid");
  const QByteArray odd = "36.1,35.9\r\n 36.2 , 35.8\r\r36.3\n35.7\n\n";  // line ends and blanks as found
  const records::Visit later = addVisit(*s, p.id, "2024-05-02T09:30:00", odd, "/some/folder/later.txt");
  const records::Visit first = addVisit(*s, p.id, "2024-01-15T14:00:00", scanBytes(501, 0));
  EXPECT_EQ(later.fileName, "later.txt");
  EXPECT_EQ(later.readings, 3);
  EXPECT_EQ(later.sha256, QCryptographicHash::hash(odd, QCryptographicHash::Sha256));
  EXPECT_EQ(s->scanBytes(later.id).value, odd);
  EXPECT_EQ(s->scanBytes(first.id).value, scanBytes(501, 0));

  const auto visits = s->visits(p.id);
  ASSERT_TRUE(visits.ok());
  ASSERT_EQ(visits.value.size(), 2u);
  EXPECT_EQ(visits.value[0].id, first.id);
  EXPECT_EQ(visits.value[1].details.takenAt, at("2024-05-02T09:30:00"));
  EXPECT_EQ(visits.value[1].details.roomTemperature, 21.5);
  EXPECT_EQ(visits.value[1].details.acclimatisation, 15);
  const auto found = s->findPatients("lind");
  ASSERT_EQ(found.value.size(), 1u);
  EXPECT_EQ(found.value[0].visits, 2);
  EXPECT_EQ(found.value[0].lastVisit, at("2024-05-02T09:30:00"));

  std::istringstream in("36.1,35.9\n36.x,35.0\n");
  const model::ScanRead read = model::readScan(in);
  const struct {
    QByteArray bytes;
    Fault fault;
    std::string message;
  } refused[] = {
      {"36.1,35.9\n36.x,35.0\n", Fault::Refused, app::messages::cannotLoad("bad.txt", read.errorLine, read.error)},
      {"", Fault::Refused, app::messages::noReadings("bad.txt")},
      {odd, Fault::Duplicate, ""},
  };
  for (const auto& r : refused) {
    const auto v = s->addVisit(p.id, {at("2024-06-01T10:00:00"), {}, {}, {}, {}}, "bad.txt", r.bytes);
    EXPECT_EQ(v.status.fault, r.fault);
    if (!r.message.empty()) {
      EXPECT_EQ(v.status.message.toStdString(), r.message);
    }
  }
  EXPECT_EQ(s->visits(p.id).value.size(), 2u);
  // The same scan for another patient is that patient's own.
  const records::Patient other = addPatient(*s, "C-2", "Berg", "Nils");
  addVisit(*s, other.id, "2024-05-02T09:30:00", odd);
}

// An edit made on a row someone changed since is refused and changes
// nothing; one made on the latest version goes through and is logged.
TEST_P(Engines, EditsOnAChangedRowAreRefused) {
  auto s = open();
  auto other = open();  // a second workstation
  const records::Patient p = addPatient(*s, "D-1", "Novak", "Eva");
  const records::Visit v = addVisit(*s, p.id, "2024-02-01T08:00:00", scanBytes(10, 0));

  records::PatientFields f = p.fields;
  f.notes = "allergic to gel";
  const auto edited = other->editPatient(p.id, p.version, f);
  ASSERT_TRUE(edited.ok()) << edited.status.message.toStdString();
  EXPECT_EQ(edited.value.version, p.version + 1);
  f.family = "Nowak";
  EXPECT_EQ(s->editPatient(p.id, p.version, f).status.fault, Fault::Conflict);
  EXPECT_EQ(s->removePatient(p.id, p.version).fault, Fault::Conflict);
  EXPECT_EQ(s->patient(p.id).value.fields.family, "Novak");
  EXPECT_EQ(s->patient(p.id).value.fields.notes, "allergic to gel");

  records::VisitDetails d = v.details;
  d.examiner = "Dr Quill";
  d.roomTemperature.reset();
  const auto ve = other->editVisit(v.id, v.version, d);
  ASSERT_TRUE(ve.ok());
  EXPECT_FALSE(ve.value.details.roomTemperature);
  EXPECT_EQ(s->scanBytes(v.id).value, scanBytes(10, 0));  // the scan is never edited
  EXPECT_EQ(s->editVisit(v.id, v.version, v.details).status.fault, Fault::Conflict);
  EXPECT_EQ(s->removeVisit(v.id, v.version).fault, Fault::Conflict);
  EXPECT_TRUE(s->removeVisit(v.id, ve.value.version).ok());
  EXPECT_EQ(s->scanBytes(v.id).status.fault, Fault::NotFound);
  EXPECT_EQ(s->editVisit(v.id, ve.value.version, d).status.fault, Fault::NotFound);
  EXPECT_EQ(s->addPatient({"D-1", "Other", "Person", {}, {}}).status.fault, Fault::Duplicate);

  std::vector<std::string> actions;
  for (const records::LogEntry& e : s->log("D-1").value) {
    actions.push_back(e.action.toStdString());
    EXPECT_FALSE(e.user.isEmpty());
  }
  EXPECT_EQ(actions, (std::vector<std::string>{"add patient", "import", "edit patient", "edit visit", "remove visit"}));
}

// A merge moves the visits, drops a scan the other already holds, and
// removes the first patient.
TEST_P(Engines, MergeMovesVisits) {
  auto s = open();
  const records::Patient a = addPatient(*s, "E-1", "Rossi", "Lia");
  const records::Patient b = addPatient(*s, "E-2", "Rossi", "Lia");
  addVisit(*s, a.id, "2024-01-01T10:00:00", scanBytes(20, 0));
  addVisit(*s, a.id, "2024-02-01T10:00:00", scanBytes(20, 1));
  addVisit(*s, b.id, "2024-03-01T10:00:00", scanBytes(20, 1));
  EXPECT_EQ(s->mergePatients(a.id, a.version + 1, b.id, b.version).status.fault, Fault::Conflict);
  const auto merged = s->mergePatients(a.id, a.version, b.id, b.version);
  ASSERT_TRUE(merged.ok()) << merged.status.message.toStdString();
  EXPECT_EQ(s->visits(b.id).value.size(), 2u);
  EXPECT_EQ(s->patient(a.id).status.fault, Fault::NotFound);
  EXPECT_TRUE(s->check().value.ok());
}

// A version 1 database is backed up, then upgraded: its patients gain their
// search keys. A newer or foreign database is refused and left as it was.
TEST_P(Engines, OlderUpgradedNewerAndForeignRefused) {
  {
    records::OpenOptions v1;
    v1.schemaVersion = 1;
    auto old = open(v1);
    ASSERT_EQ(old->schemaVersion(), 1);
    Raw(GetParam(), database)
        .run(
            "INSERT INTO patient (record, family, given, version, updated_at) VALUES ('F-1', 'Çelik', 'Ayşe', 1, "
            "'2024-01-01T00:00:00.000Z')");
  }
  {
    auto s = open();
    ASSERT_EQ(s->schemaVersion(), 2);
    EXPECT_EQ(s->findPatients("celik").value.size(), 1u);
    EXPECT_TRUE(s->check().value.ok());
  }
  if (sqlite()) {
    int backups = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename().string().starts_with("records.sqlite.v1-")) {
        ++backups;
        Raw raw(GetParam(), q(e.path().string()));
        EXPECT_EQ(raw.value("PRAGMA user_version").toInt(), 1);
      }
    EXPECT_EQ(backups, 1);
  }

  Raw(GetParam(), database).run("UPDATE varnel_meta SET value = '3' WHERE name = 'schema version'");
  if (sqlite()) Raw(GetParam(), database).run("PRAGMA user_version = 3");
  const QByteArray before = sqlite() ? fileHash(database.toStdString()) : QByteArray();
  const auto newer = records::Store::open(database);
  EXPECT_EQ(newer.status.fault, Fault::Refused);
  EXPECT_TRUE(newer.status.message.contains("newer")) << newer.status.message.toStdString();
  if (sqlite()) {
    EXPECT_EQ(fileHash(database.toStdString()), before);
  } else {
    EXPECT_EQ(Raw(GetParam(), database).value("SELECT value FROM varnel_meta WHERE name = 'schema version'"), "3");
  }
}

TEST_P(Engines, ForeignDatabasesLeftAsTheyWere) {
  if (sqlite()) {
    const std::string text = dir.write("notes.txt", "not a database at all\n");
    Raw(GetParam(), q(dir.file("other.sqlite"))).run("CREATE TABLE t (x)");
    for (const std::string& path : {text, dir.file("other.sqlite")}) {
      const QByteArray before = fileHash(path);
      const auto s = records::Store::open(q(path));
      EXPECT_EQ(s.status.fault, Fault::Refused) << path;
      EXPECT_EQ(fileHash(path), before) << path;
      EXPECT_FALSE(std::filesystem::exists(path + "-wal")) << path;
    }
    return;
  }
  Raw(GetParam(), database).run("CREATE TABLE t (x integer)");
  EXPECT_EQ(records::Store::open(database).status.fault, Fault::Refused);
  EXPECT_EQ(Raw(GetParam(), database)
                .value("SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema()")
                .toInt(),
            1);
}

// check() finds a scan whose bytes no longer match its SHA-256.
TEST_P(Engines, CheckFindsADamagedScan) {
  auto s = open();
  const records::Patient p = addPatient(*s, "G-1", "Okafor", "Chidi");
  addVisit(*s, p.id, "2024-01-01T10:00:00", scanBytes(30, 0));
  const auto good = s->check();
  ASSERT_TRUE(good.ok());
  EXPECT_TRUE(good.value.ok());
  EXPECT_EQ(good.value.counts.scans, 1);
  EXPECT_EQ(good.value.schemaVersion, records::kSchemaVersion);
  Raw(GetParam(), database)
      .run(sqlite() ? "UPDATE scan SET bytes = CAST('36,35' AS BLOB)" : "UPDATE scan SET bytes = '36,35'::bytea");
  const auto bad = s->check();
  ASSERT_EQ(bad.value.faults.size(), 1u);
  EXPECT_TRUE(bad.value.faults[0].contains("SHA-256"));
}

INSTANTIATE_TEST_SUITE_P(Both, Engines, ::testing::Values(records::Engine::SQLite, records::Engine::PostgreSQL),
                         engineName);

// SQLite's file, its folder and backups are the owner's alone; a backup
// never replaces a file; a restore keeps the database it replaces.
TEST(SQLiteFiles, OwnerOnlyBackupAndRestore) {
  ScratchDir dir;
  const std::string path = dir.file("clinic/records.sqlite");
  records::Result<std::unique_ptr<records::Store>> s = records::Store::open(q(path));
  ASSERT_TRUE(s.ok()) << s.status.message.toStdString();
  const records::Patient p = addPatient(*s.value, "H-1", "Tanaka", "Yui");
  ASSERT_TRUE(s.value->backup(q(dir.file("b.sqlite"))).ok());
  addPatient(*s.value, "H-2", "Tanaka", "Ren");
  EXPECT_EQ(s.value->backup(q(dir.file("b.sqlite"))).fault, Fault::Duplicate);
  const auto mode = [](const std::string& f) {
    struct stat st {};
    return ::stat(f.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(mode(path), 0600u);
  EXPECT_EQ(mode(dir.file("clinic")), 0700u);
  EXPECT_EQ(mode(dir.file("b.sqlite")), 0600u);
  s.value.reset();

  const records::Result<QString> kept = records::restore(q(path), q(dir.file("b.sqlite")));
  ASSERT_TRUE(kept.ok()) << kept.status.message.toStdString();
  EXPECT_EQ(mode(kept.value.toStdString()), 0600u);
  auto restored = records::Store::open(q(path));
  ASSERT_TRUE(restored.ok());
  EXPECT_EQ(restored.value->findPatients("tanaka").value.size(), 1u);
  EXPECT_EQ(restored.value->log().value.back().action, "restore");
  auto before = records::Store::open(kept.value);
  EXPECT_EQ(before.value->findPatients("tanaka").value.size(), 2u);
  // Not ours: refused before anything moves.
  const std::string text = dir.write("x.txt", "hello");
  EXPECT_EQ(records::restore(q(path), q(text)).status.fault, Fault::Refused);
  EXPECT_EQ(restored.value->patient(p.id).value.fields.given, "Yui");
}

}  // namespace
}  // namespace varnel::test
