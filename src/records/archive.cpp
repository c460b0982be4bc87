// Imports by manifest, exports and a patient's series, all through the
// store's own calls.
#include "records/archive.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <sstream>

#include "batch/pairs_list.hpp"
#include "batch/summary.hpp"
#include "model/decimal.hpp"
#include "model/scan_file.hpp"
#include "output/save_file.hpp"

namespace varnel::records {
namespace {

Status fail(Fault f, const QString& message) { return {f, message}; }
QString qs(const std::string& s) { return QString::fromStdString(s); }

Result<QByteArray> readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {{}, fail(Fault::NotFound, QStringLiteral("Cannot read \"%1\": %2.").arg(path, f.errorString()))};
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    return {{}, fail(Fault::Engine, QStringLiteral("Cannot read \"%1\": %2.").arg(path, f.errorString()))};
  return {std::move(bytes), {}};
}

Status save(const QString& path, const QByteArray& bytes, bool ownerOnly = false) {
  const output::Saved s =
      output::saveFile(path.toStdString(), std::string_view(bytes.constData(), bytes.size()), ownerOnly);
  if (s.ok()) return {};
  return fail(Fault::Engine, QStringLiteral("Cannot write \"%1\": %2.").arg(path, qs(s.reason)));
}

QString number(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }

// One row of a manifest as the store takes it; `error` when it is none.
struct ManifestRow {
  PatientFields patient;
  VisitDetails visit;
  QString scan;
  QString error;
};

ManifestRow manifestRow(const std::vector<std::string>& fields, const std::vector<std::string>& header,
                        const QDir& folder) {
  ManifestRow r;
  if (fields.size() != header.size()) {
    r.error = QStringLiteral("%1 fields where the header has %2").arg(fields.size()).arg(header.size());
    return r;
  }
  for (std::size_t i = 0; i < header.size(); ++i) {
    const QString v = qs(fields[i]);
    const std::string& column = header[i];
    if (column == "record") r.patient.record = v;
    if (column == "family name") r.patient.family = v;
    if (column == "given name") r.patient.given = v;
    if (column == "birth date" && !v.isEmpty()) {
      r.patient.birthDate = QDate::fromString(v, Qt::ISODate);
      if (!r.patient.birthDate.isValid()) r.error = QStringLiteral("the birth date \"%1\" is not YYYY-MM-DD").arg(v);
    }
    if (column == "visit date") {
      r.visit.takenAt = visitDateTime(v);
      if (!r.visit.takenAt.isValid())
        r.error = QStringLiteral("the visit date \"%1\" is not YYYY-MM-DD or YYYY-MM-DDTHH:MM").arg(v);
    }
    if (column == "scan") r.scan = v.isEmpty() ? QString() : QDir::cleanPath(folder.absoluteFilePath(v));
    if (column == "examiner") r.visit.examiner = v;
    if (column == "notes") r.visit.notes = v;
    if (column == "room temperature" && !v.isEmpty()) {
      if (const auto t = model::readDecimal(fields[i]))
        r.visit.roomTemperature = *t;
      else
        r.error = QStringLiteral("the room temperature \"%1\" is not a number").arg(v);
    }
    if (column == "acclimatisation" && !v.isEmpty()) {
      int minutes = 0;
      const auto [end, ec] = std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), minutes);
      if (ec == std::errc() && end == fields[i].data() + fields[i].size() && minutes >= 0)
        r.visit.acclimatisation = minutes;
      else
        r.error = QStringLiteral("the acclimatisation \"%1\" is not a whole number of minutes").arg(v);
    }
    if (!r.error.isEmpty()) return r;
  }
  if (r.scan.isEmpty()) r.error = QStringLiteral("no scan named");
  return r;
}

}  // namespace

QDateTime visitDateTime(const QString& text) {
  QString t = text.trimmed();
  if (t.size() == 10) return QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
  t.replace(QLatin1Char(' '), QLatin1Char('T'));
  if (t.size() != 16 && t.size() != 19) return {};
  return QDateTime::fromString(
      t, t.size() == 16 ? QStringLiteral("yyyy-MM-ddTHH:mm") : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString visitName(const Visit& v) {
  return v.details.takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm ")) + v.fileName;
}

Result<ManifestOutcome> importManifest(Store& store, const QString& path, const ManifestRun& run) {
  const Result<QByteArray> text = readFile(path);
  if (!text.ok()) return {{}, text.status};
  const std::vector<std::pair<int, std::string>> lines = batch::listLines(text.value.toStdString());
  std::vector<std::string> header;
  const auto notManifest = [&path](const QString& why) {
    return Result<ManifestOutcome>{
        {}, fail(Fault::Refused, QStringLiteral("\"%1\" is not a manifest: %2.").arg(path, why))};
  };
  if (lines.empty() || !batch::splitFields(lines.front().second, header))
    return notManifest(QStringLiteral("its first line must be the header %1").arg(QLatin1String(kManifestColumns)));
  for (std::string& h : header)
    std::transform(h.begin(), h.end(), h.begin(), [](unsigned char c) { return std::tolower(c); });
  std::vector<std::string> required, optional;
  for (const auto& [names, into] : {std::pair{kManifestColumns, &required}, std::pair{kManifestOptional, &optional}})
    for (const QString& n : QString::fromLatin1(names).split(QLatin1Char(','))) into->push_back(n.toStdString());
  if (header.size() < required.size() || !std::equal(required.begin(), required.end(), header.begin()))
    return notManifest(QStringLiteral("its header must start with %1").arg(QLatin1String(kManifestColumns)));
  for (std::size_t i = required.size(); i < header.size(); ++i)
    if (std::count(optional.begin(), optional.end(), header[i]) != 1 ||
        std::count(header.begin(), header.end(), header[i]) != 1)
      return notManifest(QStringLiteral("the column \"%1\" is not one of %2, or is there twice")
                             .arg(qs(header[i]), QLatin1String(kManifestOptional)));

  const QDir folder = QFileInfo(path).absoluteDir();
  ManifestOutcome out;
  out.rows = static_cast<int>(lines.size()) - 1;
  const auto failed = [&](int line, const QString& why) {
    ++out.failed;
    if (run.failed) run.failed(line, why);
  };
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto& [line, content] = lines[i];
    std::vector<std::string> fields;
    if (!batch::splitFields(content, fields)) {
      failed(line, QStringLiteral("the line is not CSV (a quote is not closed)"));
    } else if (const ManifestRow row = manifestRow(fields, header, folder); !row.error.isEmpty()) {
      failed(line, row.error);
    } else if (const Result<QByteArray> bytes = readFile(row.scan); !bytes.ok()) {
      failed(line, bytes.status.message);
    } else {
      bool added = false;
      const Result<Visit> v = store.importVisit(row.patient, row.visit, row.scan, bytes.value, &added);
      out.patientsAdded += added;
      if (v.ok()) {
        ++out.stored;
      } else if (v.status.fault == Fault::Duplicate) {
        ++out.skipped;
      } else if (v.status.fault == Fault::Engine) {
        // The disk or the server failed: the rows after would fail alike.
        failed(line, v.status.message + QStringLiteral("; the import stopped here (what is stored stays; run it "
                                                       "again once the fault is mended)"));
        break;
      } else {
        failed(line, v.status.message);
      }
    }
    if (run.progress) run.progress(static_cast<int>(i), out.rows);
  }
  return {out, {}};
}

Result<std::vector<QString>> exportPatient(Store& store, const QString& record, const QString& folder) {
  const Result<Patient> p = store.patientByRecord(record);
  if (!p.ok()) return {{}, p.status};
  const Result<std::vector<Visit>> visits = store.visits(p.value.id);
  if (!visits.ok()) return {{}, visits.status};
  if (!QDir().mkpath(folder))
    return {{}, fail(Fault::Engine, QStringLiteral("Cannot make the folder \"%1\".").arg(folder))};
  const QDir dir(folder);
  std::vector<QString> written;
  std::vector<std::string> paths;
  std::set<QString> names;
  for (const Visit& v : visits.value) {
    const Result<QByteArray> bytes = store.scanBytes(v.id);
    if (!bytes.ok()) return {{}, bytes.status};
    const QString base = v.details.takenAt.toString(QStringLiteral("yyyy-MM-dd_HHmm_")) + v.fileName;
    QString name = base;
    for (int n = 2; !names.insert(name).second; ++n) name = QStringLiteral("%1_%2").arg(n).arg(base);
    const QString file = dir.absoluteFilePath(name);
    if (Status s = save(file, bytes.value); !s.ok()) return {{}, s};
    written.push_back(file);
    paths.push_back(file.toStdString());
  }
  const QString list = dir.absoluteFilePath(QStringLiteral("visits.txt"));
  if (Status s = save(list, QByteArray::fromStdString(series::visitListText(paths, dir.absolutePath().toStdString())));
      !s.ok())
    return {{}, s};
  written.push_back(list);
  if (Status s = store.note(QStringLiteral("export"), record,
                            QStringLiteral("%1 scans to %2").arg(visits.value.size()).arg(dir.absolutePath()));
      !s.ok())
    return {{}, s};
  return {std::move(written), {}};
}

Result<ResearchOutcome> exportResearch(Store& store, const QString& folder, const QString& keyFile) {
  const QDir dir(folder);
  if (dir.exists() && !dir.isEmpty())
    return {{},
            fail(Fault::Refused,
                 QStringLiteral("\"%1\" is not empty; a research copy goes into a new folder.").arg(folder))};
  if (!keyFile.isEmpty() &&
      QFileInfo(keyFile).absoluteFilePath().startsWith(QDir(dir.absolutePath()).absolutePath() + QLatin1Char('/')))
    return {{}, fail(Fault::Refused, QStringLiteral("The key file would be inside the research copy."))};
  const Result<std::vector<PatientSummary>> patients = store.findPatients({});
  if (!patients.ok()) return {{}, patients.status};
  if (!QDir().mkpath(folder))
    return {{}, fail(Fault::Engine, QStringLiteral("Cannot make the folder \"%1\".").arg(folder))};

  // Random keys, taken in key order, so that nothing follows the record order.
  std::map<QString, const Patient*> byKey;
  for (const PatientSummary& s : patients.value) {
    QString key;
    do {
      key = QStringLiteral("P%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0')).toUpper();
    } while (byKey.count(key));
    byKey[key] = &s.patient;
  }
  ResearchOutcome out;
  QByteArray csv = "key,visit,days since first visit,room temperature,acclimatisation,scan\n";
  QByteArray keys = "key,record\n";
  for (const auto& [key, patient] : byKey) {
    const Result<std::vector<Visit>> visits = store.visits(patient->id);
    if (!visits.ok()) return {{}, visits.status};
    ++out.patients;
    keys += (key + QLatin1Char(',') + qs(batch::csvField(patient->fields.record.toStdString())) + QLatin1Char('\n'))
                .toUtf8();
    int n = 0;
    for (const Visit& v : visits.value) {
      const Result<QByteArray> bytes = store.scanBytes(v.id);
      if (!bytes.ok()) return {{}, bytes.status};
      const QString scan = QStringLiteral("%1_%2.txt").arg(key).arg(++n);
      if (Status s = save(dir.absoluteFilePath(scan), bytes.value); !s.ok()) return {{}, s};
      const qint64 days = visits.value.front().details.takenAt.date().daysTo(v.details.takenAt.date());
      const auto t = v.details.roomTemperature;
      const auto a = v.details.acclimatisation;
      csv += QStringLiteral("%1,%2,%3,%4,%5,%6\n")
                 .arg(key)
                 .arg(n)
                 .arg(days)
                 .arg(t ? number(*t) : QString(), a ? QString::number(*a) : QString(), scan)
                 .toUtf8();
      ++out.visits;
    }
  }
  if (Status s = save(dir.absoluteFilePath(QStringLiteral("visits.csv")), csv); !s.ok()) return {{}, s};
  if (!keyFile.isEmpty())
    if (Status s = save(keyFile, keys, true); !s.ok()) return {{}, s};
  if (Status s = store.note(
          QStringLiteral("export research"), {},
          QStringLiteral("%1 patients, %2 visits to %3%4")
              .arg(out.patients)
              .arg(out.visits)
              .arg(dir.absolutePath(), keyFile.isEmpty() ? QString() : QStringLiteral(", keys to ") + keyFile));
      !s.ok())
    return {{}, s};
  return {out, {}};
}

Result<series::Series> patientSeries(const Store& store, const QString& record, const batch::Steps& steps,
                                     const series::Thresholds& thresholds, const series::Run& run) {
  const Result<Patient> p = store.patientByRecord(record);
  if (!p.ok()) return {{}, p.status};
  const Result<std::vector<Visit>> visits = store.visits(p.value.id);
  if (!visits.ok()) return {{}, visits.status};
  std::vector<series::ReadVisit> read;
  std::set<std::string> names;
  for (const Visit& v : visits.value) {
    const Result<QByteArray> bytes = store.scanBytes(v.id);
    if (!bytes.ok()) return {{}, bytes.status};
    std::string name = visitName(v).toStdString();
    if (!names.insert(name).second) name += " (visit " + std::to_string(read.size() + 1) + ")";
    std::istringstream in(bytes.value.toStdString());
    read.push_back({name, model::readScan(in)});
  }
  return {series::compute(read, steps, thresholds, run), {}};
}

}  // namespace varnel::records
