// The records on an SQLite file: 1,000 scans of 501 readings imported by
// manifest (each row its own durable commit), a search among 10,000
// patients with 50,000 visits, and a series of 100 visits read from the
// store beside the same series read from files.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "records/archive.hpp"

namespace {

using varnel::records::Store;

std::string scan(int seed) {
  std::string s;
  char line[64];
  for (int j = 0; j < 501; ++j) {
    std::snprintf(line, sizeof line, "%.3f,%.2f\r\n", 30.0 + seed * 0.001 + j * 0.01, 30.5 + (j % 7) * 0.1);
    s += line;
  }
  return s;
}

// A manifest of `rows` scans over `patients` patients in `dir`.
QString manifest(const QTemporaryDir& dir, int rows, int patients) {
  QDir().mkpath(dir.filePath("scans"));
  std::ofstream m(dir.filePath("manifest.csv").toStdString());
  m << "record,family name,given name,birth date,visit date,scan\n";
  for (int i = 0; i < rows; ++i) {
    std::ofstream(dir.filePath(QStringLiteral("scans/%1.txt").arg(i)).toStdString()) << scan(i);
    const int p = i % patients;
    m << "B-" << p << ",Family" << p << ",Given" << p << ",,2024-01-" << (10 + i / patients % 18) << ",scans/" << i
      << ".txt\n";
  }
  return dir.filePath("manifest.csv");
}

void BM_ImportManifest1000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir;
    const QString m = manifest(dir, 1000, 100);
    auto store = Store::open(dir.filePath("records.sqlite"));
    state.ResumeTiming();
    const auto r = varnel::records::importManifest(*store.value, m);
    if (!r.ok() || r.value.stored != 1000) state.SkipWithError("the import failed");
  }
}

// 10,000 patients with 5 visits each, filled past the store in one
// transaction (the setup only), then searched through the store.
void BM_FindPatients(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("records.sqlite");
  { auto made = Store::open(path); }
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    db.open();
    QSqlQuery q(db);
    q.exec(QStringLiteral("BEGIN"));
    const QString bytes = QString::fromStdString(scan(1));
    for (int p = 1; p <= 10000; ++p) {
      const QString family = QStringLiteral("Family%1").arg(p * 7919 % 10007), given = QStringLiteral("Given%1").arg(p);
      q.prepare(
          QStringLiteral("INSERT INTO patient (id, record, family, given, version, updated_at, record_key, name_key) "
                         "VALUES (?, ?, ?, ?, 1, '2024-01-01T00:00:00.000Z', ?, ?)"));
      const QString record = QStringLiteral("R-%1").arg(p);
      for (const QVariant& v :
           {QVariant(p), QVariant(record), QVariant(family), QVariant(given),
            QVariant(varnel::records::searchKey(record)),
            QVariant(varnel::records::searchKey(family) + QLatin1Char('\x1f') + varnel::records::searchKey(given))})
        q.addBindValue(v);
      q.exec();
      for (int v = 0; v < 5; ++v) {
        q.prepare(QStringLiteral("INSERT INTO visit (patient_id, taken_at, version, updated_at) VALUES (?, ?, 1, '')"));
        q.addBindValue(p);
        q.addBindValue(QStringLiteral("2024-0%1-01T10:00:00").arg(v + 1));
        q.exec();
      }
    }
    q.exec(QStringLiteral("COMMIT"));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("fill"));
  auto store = Store::open(path);
  for (auto _ : state) {
    const auto found = store.value->findPatients(QStringLiteral("family123"));
    if (!found.ok() || found.value.empty()) state.SkipWithError("nothing found");
    benchmark::DoNotOptimize(found.value.size());
  }
}

// A series of 100 visits of one patient, from the store and from files.
void series100(benchmark::State& state, bool fromStore) {
  QTemporaryDir dir;
  const QString m = manifest(dir, 100, 1);
  auto store = Store::open(dir.filePath("records.sqlite"));
  if (!varnel::records::importManifest(*store.value, m).ok()) state.SkipWithError("the manifest was not imported");
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i) paths.push_back(dir.filePath(QStringLiteral("scans/%1.txt").arg(i)).toStdString());
  for (auto _ : state) {
    varnel::series::Series s = fromStore ? varnel::records::patientSeries(*store.value, "B-0", {}, {}).value
                                         : varnel::series::compute(paths, {}, {});
    if (s.pairs.size() != 4950) state.SkipWithError("not 100 visits");
    benchmark::DoNotOptimize(s.pairs.back().outcome.results);
  }
}
void BM_Series100FromStore(benchmark::State& state) { series100(state, true); }
void BM_Series100FromFiles(benchmark::State& state) { series100(state, false); }

}  // namespace

BENCHMARK(BM_ImportManifest1000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FindPatients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Series100FromStore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Series100FromFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
