// varnel-records as a clinic runs it: imports by manifest that resume,
// a series from the records equal to one from files, a research copy that
// names no one, and the faults it survives (killed, two at once, full disk).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "records/archive.hpp"
#include "records/engines.hpp"
#include "support/application.hpp"

namespace varnel::test {
namespace {

[[maybe_unused]] const bool registered = useApplication<QCoreApplication>("test_records_program");

std::string example(const std::string& name) { return std::string(VARNEL_SOURCE_DIR) + "/examples/" + name; }

struct Ran {
  int status = -1;
  std::string out, err;
};

// Starts a program with `args`; `inChild` runs in the child before exec.
pid_t start(const char* exe, const std::vector<std::string>& args, const std::string& out, const std::string& err,
            const std::function<void()>& inChild = {}) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(127);
    if (inChild) inChild();
    std::vector<char*> argv{const_cast<char*>(exe)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe, argv.data());
    _exit(127);
  }
  return pid;
}

Ran finish(pid_t pid, const std::string& out, const std::string& err) {
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(out), readAll(err)};
}

class Program : public Engines {
 protected:
  Ran records(std::vector<std::string> args, const std::function<void()>& inChild = {}) {
    args.insert(args.begin(), {"--database", database.toStdString()});
    return run(VARNEL_RECORDS_EXE, args, inChild);
  }
  Ran run(const char* exe, const std::vector<std::string>& args, const std::function<void()>& inChild = {}) {
    const std::string out = dir.file("out" + std::to_string(++runs_)), err = dir.file("err" + std::to_string(runs_));
    return finish(start(exe, args, out, err, inChild), out, err);
  }
  // A manifest of `rows` visits of 501 readings, each scan its own, over
  // `patients` patients.
  std::string bigManifest(const std::string& name, int rows, int patients, const std::string& prefix) {
    std::filesystem::create_directories(dir.file(name + "_scans"));
    std::string m = "record,family name,given name,birth date,visit date,scan\n";
    for (int i = 0; i < rows; ++i) {
      const std::string scan = name + "_scans/" + std::to_string(i) + ".txt";
      dir.write(scan, scanOf(501, [i](int j) { return std::pair{30.0 + i * 0.001 + j * 0.01, 30.5}; }));
      const int p = i % patients;
      m += prefix + std::to_string(p) + ",Family" + std::to_string(p) +
           ",Given,,2024-01-01T10:" + (i % 60 < 10 ? "0" : "") + std::to_string(i % 60) + "," + scan + "\n";
    }
    return dir.write(name + ".csv", m);
  }
  int visitCount() { return Raw(GetParam(), database).value("SELECT count(*) FROM visit").toInt(); }

 private:
  int runs_ = 0;
};

// A manifest's good rows are stored, bad ones named by line; run again, it
// stores nothing twice.
TEST_P(Program, ManifestImportReportsRowsAndResumes) {
  std::filesystem::create_directories(dir.file("scans"));
  dir.write("scans/a.txt", readAll(example("back_visit1.txt")));
  dir.write("scans/b.txt", readAll(example("back_visit2.txt")));
  dir.write("scans/c.txt", readAll(example("other_back.txt")));
  dir.write("scans/bad.txt", "36.1,35.9\n36.x,35.0\n");
  const std::string manifest =
      dir.write("manifest.csv",
                "record,family name,given name,birth date,visit date,scan,examiner,room temperature\n"
                "R-1,O'Brien,Siobhán,1961-02-03,2024-01-15,scans/a.txt,\"Ames, Dr\",21.5\n"
                "R-1,O'Brien,Siobhán,1961-02-03,2024-03-15T09:45,scans/b.txt,,\n"
                "R-1,OBrien,Siobhan,,2024-05-15,scans/c.txt,,\n"                          // line 4: other names
                "R-2,\"x'); DROP TABLE visit;--\",Bob,,2024-13-01,scans/c.txt,,\n"        // line 5: bad date
                "R-2,\"x'); DROP TABLE visit;--\",Bob,,2024-02-01,scans/missing.txt,,\n"  // line 6
                "R-2,\"x'); DROP TABLE visit;--\",Bob,,2024-02-01,scans/bad.txt,,\n"  // line 7: refused by the reader
                "R-2,\"x'); DROP TABLE visit;--\",Bob,,2024-02-01,scans/c.txt,,20\n");
  const Ran first = records({"import-manifest", manifest});
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.out, "7 rows: 3 stored, 0 already stored, 4 failed; 2 patients added\n");
  for (const char* line : {":4: The record number \"R-1\" is already used for O'Brien, Siobhán", ":5: the visit date",
                           ":6: Cannot read", ":7: Cannot load the scan"})
    EXPECT_NE(first.err.find(manifest + line), std::string::npos) << line << "\n" << first.err;
  const Ran again = records({"import-manifest", manifest});
  EXPECT_EQ(again.out, "7 rows: 0 stored, 3 already stored, 4 failed; 0 patients added\n");
  EXPECT_EQ(visitCount(), 3);

  const Ran found = records({"patients", "drop table"});
  EXPECT_EQ(found.out,
            "record,family name,given name,birth date,visits,last visit\n"
            "R-2,x'); DROP TABLE visit;--,Bob,,1,2024-02-01 00:00\n");
  const Ran visits = records({"visits", "R-1"});
  EXPECT_NE(visits.out.find("\n1,2024-01-15 00:00,\"Ames, Dr\",21.5,,a.txt,501,"), std::string::npos) << visits.out;
  const struct {
    std::vector<std::string> args;
    int status;
  } lines[] = {
      {{"check"}, 0},
      {{"visits", "R-9"}, 1},
      {{"frob"}, 2},
      {{"patients", "--frob", "x"}, 2},
      {{"add-patient", "R-3", "Only"}, 2},
      {{"backup", dir.file("b.sqlite")}, sqlite() ? 0 : 2},
      {{"add-patient", "R-1", "Other", "Person"}, 1},
  };
  for (const auto& l : lines) EXPECT_EQ(records(l.args).status, l.status) << l.args[0];
}

// Every pair of a series from the records gives the texts of the same
// series from the exported files, and the printed tables agree.
TEST_P(Program, SeriesFromRecordsEqualsSeriesFromExport) {
  auto s = open();
  ASSERT_TRUE(s->addPatient({"S-1", "Lind", "Astrid", {}, {}}).ok());
  const char* scans[] = {"other_back.txt", "back_visit1.txt", "short_scan.txt", "back_visit2.txt"};
  for (int i = 0; i < 4; ++i) {
    const QByteArray bytes = QByteArray::fromStdString(readAll(example(scans[i])));
    ASSERT_TRUE(s->addVisit(1, {QDateTime(QDate(2024, 4 - i, 1), QTime(9, 0)), {}, {}, {}, {}}, scans[i], bytes).ok());
  }
  batch::Steps steps;
  steps.lower = 20, steps.smooth = {model::kLeft}, steps.channel = model::kDelta;
  const records::Result<series::Series> fromStore = records::patientSeries(*s, "S-1", steps, {});
  ASSERT_TRUE(fromStore.ok());
  const records::Result<std::vector<QString>> files = records::exportPatient(*s, "S-1", q(dir.file("export")));
  ASSERT_TRUE(files.ok());
  const series::Series fromFiles =
      series::compute(series::readVisitList(readAll(dir.file("export/visits.txt")), dir.file("export")), steps, {});
  ASSERT_EQ(fromStore.value.pairs.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(fromStore.value.pairs[i].outcome.results, fromFiles.pairs[i].outcome.results) << i;
    EXPECT_TRUE(fromStore.value.pairs[i].outcome.ok);
  }
  EXPECT_EQ(fromStore.value.visits[0].path, "2024-01-01 09:00 back_visit2.txt");
  for (std::size_t i = 0; i < 4; ++i)  // byte for byte, in date order
    EXPECT_EQ(readAll(files.value[i].toStdString()), readAll(example(scans[3 - i])));
  s.reset();

  const Ran batchStore = run(VARNEL_BATCH_EXE, {"--visits", "--patient", "S-1", "--database", database.toStdString(),
                                                "--lower", "20", "--smooth", "left", "--channel", "delta"});
  const Ran batchFiles = run(VARNEL_BATCH_EXE, {"--visits", "--visit-list", dir.file("export/visits.txt"), "--lower",
                                                "20", "--smooth", "left", "--channel", "delta"});
  EXPECT_EQ(batchStore.status, 0) << batchStore.err;
  EXPECT_EQ(batchStore.out, batchFiles.out);
  EXPECT_EQ(run(VARNEL_BATCH_EXE, {"--visits", "--patient", "S-9", "--database", database.toStdString()}).status, 1);
}

// No name, record number, birth date, visit date, examiner, note or file
// name reaches the research copy; the key file maps keys to records.
TEST_P(Program, ResearchCopyNamesNoOne) {
  auto s = open();
  const std::vector<std::string> secret = {
      "QX-4471",      "Zabłocka",          "Wiesława",           "1958-11-23", "2023-07-19",
      "Dr Hollowell", "bruise left flank", "zablocka_first.txt", "QX-4472",    "Ferreira-Quist",
      "Anselmo",      "2023-08-02",        "ferreira_scan.txt"};
  const auto add = [&](int p, const std::string& file, const char* date, int offset) {
    records::Result<records::Patient> pat = s->patientByRecord(q(secret[p ? 8 : 0]));
    if (!pat.ok())
      pat = s->addPatient({q(secret[p ? 8 : 0]), q(secret[p ? 9 : 1]), q(secret[p ? 10 : 2]),
                           p ? QDate() : QDate(1958, 11, 23), q(secret[6])});
    records::VisitDetails d{QDateTime::fromString(date, Qt::ISODate), q(secret[5]), 22.25, 20, q(secret[6])};
    ASSERT_TRUE(s->addVisit(pat.value.id, d, q(file),
                            QByteArray::fromStdString(scanOf(40,
                                                             [offset](int i) {
                                                               return std::pair{33.0 + offset, 33.0 + i * 0.1};
                                                             })))
                    .ok());
  };
  add(0, secret[7], "2023-07-19T08:15:00", 0);
  add(0, "zablocka_second.txt", "2023-09-01T08:15:00", 1);
  add(1, secret[12], "2023-08-02T16:40:00", 2);
  const std::string research = dir.file("research"), keys = dir.file("keys.csv");
  const Ran r = records({"export-research", research, "--key-file", keys});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "2 patients, 3 visits\n");
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(research)) {
    const std::string bytes = readAll(e.path().string()) + "\n" + e.path().filename().string();
    ++files;
    for (const std::string& v : secret) EXPECT_EQ(bytes.find(v), std::string::npos) << v << " in " << e.path();
    for (const char* date : {"2023", "07-19", "19.07"}) EXPECT_EQ(bytes.find(date), std::string::npos) << date;
  }
  EXPECT_EQ(files, 4);  // three scans and visits.csv
  const std::string csv = readAll(research + "/visits.csv");
  EXPECT_NE(csv.find(",2,44,22.25,20,"), std::string::npos) << csv;  // 44 days after the first visit
  struct stat st {};
  ASSERT_EQ(::stat(keys.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(readAll(keys).find("," + secret[0] + "\n"), std::string::npos);
  EXPECT_EQ(records({"export-research", research}).status, 1);  // never into a folder that holds something
}

INSTANTIATE_TEST_SUITE_P(Both, Program, ::testing::Values(records::Engine::SQLite, records::Engine::PostgreSQL),
                         engineName);

class Faults : public Program {};

// Killed in the middle of a long import, the file holds whole scans only and
// passes its check; the same manifest run again completes it.
TEST_P(Faults, KilledImportResumes) {
  const std::string manifest = bigManifest("m", 400, 40, "K-");
  ASSERT_EQ(records({"check"}).status, 0);
  const pid_t pid = start(VARNEL_RECORDS_EXE, {"--database", database.toStdString(), "import-manifest", manifest},
                          dir.file("kout"), dir.file("kerr"));
  for (int i = 0; i < 500 && visitCount() < 20; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::kill(pid, SIGKILL);
  const Ran killed = finish(pid, dir.file("kout"), dir.file("kerr"));
  EXPECT_EQ(killed.status, -1);
  const int kept = visitCount();
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 400);
  EXPECT_EQ(records({"check"}).status, 0);
  const Ran again = records({"import-manifest", manifest});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "400 rows: " + std::to_string(400 - kept) + " stored, " + std::to_string(kept) +
                           " already stored, 0 failed; " + again.out.substr(again.out.find("failed; ") + 8));
  EXPECT_EQ(visitCount(), 400);
}

// Two programs importing into one file at once both finish, nothing lost.
TEST_P(Faults, TwoImportersAtOnce) {
  const std::string a = bigManifest("a", 150, 10, "A-"), b = bigManifest("b", 150, 10, "B-");
  ASSERT_EQ(records({"check"}).status, 0);
  std::vector<std::string> args{"--database", database.toStdString(), "import-manifest"};
  const pid_t pa = start(VARNEL_RECORDS_EXE, {args[0], args[1], args[2], a}, dir.file("aout"), dir.file("aerr"));
  const pid_t pb = start(VARNEL_RECORDS_EXE, {args[0], args[1], args[2], b}, dir.file("bout"), dir.file("berr"));
  const Ran ra = finish(pa, dir.file("aout"), dir.file("aerr")), rb = finish(pb, dir.file("bout"), dir.file("berr"));
  EXPECT_EQ(ra.status, 0) << ra.err;
  EXPECT_EQ(rb.status, 0) << rb.err;
  EXPECT_EQ(visitCount(), 300);
  EXPECT_EQ(records({"check"}).status, 0);
}

// A full disk (the file size limit of the process) stops the import with
// the engine's message; the rows before it stay, whole.
class DiskFaults : public Program {};
TEST_P(DiskFaults, FullDiskStopsImport) {
  const std::string manifest = bigManifest("f", 300, 30, "F-");
  ASSERT_EQ(records({"check"}).status, 0);
  const Ran full = records({"import-manifest", manifest}, [] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{400 * 1024, 400 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(full.status, 1);
  // The engine's message, once: the import stops there.
  EXPECT_EQ(std::count(full.err.begin(), full.err.end(), '\n'), 1) << full.err;
  EXPECT_NE(full.err.find("error; the import stopped here"), std::string::npos) << full.err;
  const int stored = std::stoi(full.out.substr(full.out.find(": ") + 2));
  EXPECT_GT(stored, 0);
  EXPECT_EQ(visitCount(), stored);
  EXPECT_EQ(records({"check"}).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Both, Faults, ::testing::Values(records::Engine::SQLite, records::Engine::PostgreSQL),
                         engineName);
// The file size limit concerns the SQLite file; the server's disk is its own.
INSTANTIATE_TEST_SUITE_P(File, DiskFaults, ::testing::Values(records::Engine::SQLite), engineName);

}  // namespace
}  // namespace varnel::test
