#pragma once
// What is made of the store as a whole: an archive imported by manifest,
// a patient's scans exported as files, the pseudonymised copy for research,
// and a patient's series of visits.
#include <functional>
#include <string>
#include <vector>

#include "records/store.hpp"
#include "series/series.hpp"

namespace varnel::records {

// The columns a manifest starts with, and those it may add.
inline constexpr const char* kManifestColumns = "record,family name,given name,birth date,visit date,scan";
inline constexpr const char* kManifestOptional = "examiner,room temperature,acclimatisation,notes";

struct ManifestOutcome {
  int rows = 0;     // rows of visits read
  int stored = 0;   // visits stored
  int skipped = 0;  // scans the patient already had
  int failed = 0;   // rows refused or failed
  int patientsAdded = 0;
};

struct ManifestRun {
  // A row that failed: its line of the manifest and why.
  std::function<void(int line, const QString& message)> failed;
  // After each row: rows done, of all.
  std::function<void(int done, int total)> progress;
};

// Every row of the CSV manifest at `path` stored whole or not at all, in a
// transaction of its own; a failing row does not stop the others, and a row
// whose scan the patient already has is skipped, so that a run again after
// an interruption completes the import. Relative scan paths are taken from
// the manifest's folder. Fails as a whole only when the manifest cannot be
// read or its header is not one.
Result<ManifestOutcome> importManifest(Store& store, const QString& path, const ManifestRun& run = {});

// A date "YYYY-MM-DD" or date and time "YYYY-MM-DDTHH:MM" (or with a blank
// for the T); invalid when it is neither.
QDateTime visitDateTime(const QString& text);

// The visit's name in exports, tables and reports: "YYYY-MM-DD HH:MM NAME".
QString visitName(const Visit& v);

// The patient's scans into `folder` (made when missing), each named
// "YYYY-MM-DD_HHMM_NAME" and byte for byte as kept, with visits.txt, the list
// of them in date order that varnel-batch --visit-list reads. Returns the
// files written.
Result<std::vector<QString>> exportPatient(Store& store, const QString& record, const QString& folder);

struct ResearchOutcome {
  int patients = 0, visits = 0;
};

// A pseudonymised copy of every patient's visits in `folder` (made when
// missing; it must hold nothing yet): each patient a random key, the scans as
// KEY_N.txt, and visits.csv with key, visit, days since the patient's first
// visit, room temperature, acclimatisation and scan file. Nothing that names
// a patient or a date reaches `folder`. With `keyFile`, the table from key to
// record number is written there, readable by its owner alone.
Result<ResearchOutcome> exportResearch(Store& store, const QString& folder, const QString& keyFile = {});

// The patient's visits in date order as a series, each scan read from the
// store and named by visitName().
Result<series::Series> patientSeries(const Store& store, const QString& record, const batch::Steps& steps,
                                     const series::Thresholds& thresholds, const series::Run& run = {});

}  // namespace varnel::records
