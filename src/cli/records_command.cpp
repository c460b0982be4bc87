// The commands of varnel-records, each a few calls of the store.
#include "cli/records_command.hpp"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <charconv>
#include <iostream>
#include <map>
#include <optional>

#include "batch/summary.hpp"
#include "model/decimal.hpp"
#include "model/number_text.hpp"
#include "records/archive.hpp"

namespace varnel::cli {
namespace {

using records::Result;
using records::Status;

// A command: its arguments (fewest, most; -1 for any number) and the
// options it takes, all with a value.
struct Command {
  const char* name;
  const char* usage;
  int least, most;
  std::vector<const char*> options;
  const char* help;
};

const std::vector<Command>& commands() {
  static const std::vector<Command> list = {
      {"add-patient",
       "RECORD FAMILY GIVEN",
       3,
       3,
       {"birth-date", "notes"},
       "Adds a patient with the clinic's record number RECORD.\n  --birth-date YYYY-MM-DD\n  --notes TEXT"},
      {"import",
       "RECORD FILE...",
       2,
       -1,
       {"date", "examiner", "room-temperature", "acclimatisation", "notes"},
       "Stores each FILE as one visit of the patient RECORD, once the scan reader takes it.\n"
       "  --date YYYY-MM-DD[THH:MM]   the visit's date (default: the file's modification time)\n"
       "  --examiner NAME\n  --room-temperature C\n  --acclimatisation MINUTES\n  --notes TEXT"},
      {"import-manifest",
       "CSV",
       1,
       1,
       {},
       "Imports the visits listed in CSV, header\n  record,family name,given name,birth date,visit date,scan\n"
       "  [,examiner,room temperature,acclimatisation,notes]; each row whole or not at all."},
      {"patients",
       "[TEXT]",
       0,
       1,
       {},
       "Patients whose record number starts with TEXT or whose names hold it (case and accents ignored)."},
      {"visits", "RECORD", 1, 1, {}, "The patient's visits in date order with their asymmetry figures."},
      {"export", "RECORD DIR", 2, 2, {}, "The patient's scans into DIR byte for byte, with visits.txt."},
      {"export-research",
       "DIR",
       1,
       1,
       {"key-file"},
       "A pseudonymised copy of every patient's visits into the new folder DIR.\n"
       "  --key-file PATH   also write the table from key to record number (owner-readable only)"},
      {"backup", "FILE", 1, 1, {}, "A consistent copy of the database into FILE (SQLite; never replaces FILE)."},
      {"restore",
       "FILE",
       1,
       1,
       {},
       "Puts the backup FILE in place of the database, keeping the current one beside it."},
      {"check", "", 0, 0, {}, "Integrity, every scan against its SHA-256, the schema version; prints the counts."},
      {"log", "[RECORD]", 0, 1, {}, "The log of who did what, newest last."},
  };
  return list;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string text(const QString& s) { return s.toStdString(); }
std::string csv(const QString& s) { return batch::csvField(s.toStdString()); }

struct Line {
  std::string database;
  const Command* command = nullptr;
  std::vector<std::string> args;
  std::map<std::string, std::string> options;
  bool help = false;
  std::string error;
};

Line parse(const std::vector<std::string>& args) {
  Line l;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnd || a.size() < 2 || a[0] != '-') {
      if (!l.command) {
        for (const Command& c : commands())
          if (a == c.name) l.command = &c;
        if (!l.command) return l.error = "unknown command \"" + a + "\"", l;
      } else {
        l.args.push_back(a);
      }
      continue;
    }
    if (a == "--") {
      optionsEnd = true;
      continue;
    }
    if (a == "-h" || a == "--help") {
      l.help = true;
      continue;
    }
    const std::size_t eq = a.find('=');
    const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return l.error = "--" + name + " needs a value", l;
    }
    if (name == "database") {
      l.database = value;
      continue;
    }
    bool known = false;
    if (l.command)
      for (const char* o : l.command->options) known = known || name == o;
    if (!known)
      return l.error = "unknown option --" + name + (l.command ? std::string(" for ") + l.command->name : ""), l;
    l.options[name] = value;
  }
  if (l.help) return l;
  if (!l.command) return l.error = "no command given", l;
  const int n = static_cast<int>(l.args.size());
  if (n < l.command->least || (l.command->most >= 0 && n > l.command->most))
    l.error = std::string(l.command->name) + " takes " + l.command->usage;
  return l;
}

class Runner {
 public:
  Runner(const Line& l, std::ostream& out, std::ostream& err) : l_(l), out_(out), err_(err) {}

  int run() {
    const std::string name = l_.command->name;
    if (name == "restore") return restore();
    const QString db = l_.database.empty() ? records::defaultDatabase() : qs(l_.database);
    Result<std::unique_ptr<records::Store>> opened = records::Store::open(db);
    if (!opened.ok()) return failed(opened.status);
    store_ = std::move(opened.value);
    if (name == "add-patient") return addPatient();
    if (name == "import") return import();
    if (name == "import-manifest") return importManifest();
    if (name == "patients") return patients();
    if (name == "visits") return visits();
    if (name == "export") return exportPatient();
    if (name == "export-research") return exportResearch();
    if (name == "backup") return backup();
    if (name == "check") return check();
    return log();
  }

 private:
  int failed(const Status& s) {
    err_ << "varnel-records: " << text(s.message) << '\n';
    return 1;
  }
  int badLine(const std::string& why) {
    err_ << "varnel-records: " << why << "\nTry 'varnel-records --help'.\n";
    return 2;
  }
  QString arg(std::size_t i) const { return qs(l_.args[i]); }
  std::optional<std::string> option(const char* name) const {
    const auto at = l_.options.find(name);
    return at == l_.options.end() ? std::nullopt : std::optional(at->second);
  }

  int addPatient() {
    records::PatientFields f{arg(0), arg(1), arg(2), {}, qs(option("notes").value_or(""))};
    if (const auto b = option("birth-date")) {
      f.birthDate = QDate::fromString(qs(*b), Qt::ISODate);
      if (!f.birthDate.isValid()) return badLine("--birth-date \"" + *b + "\" is not YYYY-MM-DD");
    }
    const Result<records::Patient> p = store_->addPatient(f);
    if (!p.ok()) return failed(p.status);
    out_ << "added " << text(p.value.fields.record) << '\n';
    return 0;
  }

  int import() {
    records::VisitDetails d;
    d.examiner = qs(option("examiner").value_or(""));
    d.notes = qs(option("notes").value_or(""));
    if (const auto t = option("room-temperature")) {
      const std::optional<double> v = model::readDecimal(*t);
      if (!v) return badLine("--room-temperature \"" + *t + "\" is not a number");
      d.roomTemperature = *v;
    }
    if (const auto a = option("acclimatisation")) {
      int m = 0;
      const auto [end, ec] = std::from_chars(a->data(), a->data() + a->size(), m);
      if (ec != std::errc() || end != a->data() + a->size() || m < 0)
        return badLine("--acclimatisation \"" + *a + "\" is not a whole number of minutes");
      d.acclimatisation = m;
    }
    const auto date = option("date");
    if (date && !records::visitDateTime(qs(*date)).isValid())
      return badLine("--date \"" + *date + "\" is not YYYY-MM-DD or YYYY-MM-DDTHH:MM");
    const Result<records::Patient> p = store_->patientByRecord(arg(0));
    if (!p.ok()) return failed(p.status);
    int status = 0;
    for (std::size_t i = 1; i < l_.args.size(); ++i) {
      QFile f(arg(i));
      if (!f.open(QIODevice::ReadOnly)) {
        status =
            failed({records::Fault::NotFound, QStringLiteral("Cannot read \"%1\": %2.").arg(arg(i), f.errorString())});
        continue;
      }
      d.takenAt = date ? records::visitDateTime(qs(*date)) : QFileInfo(f).lastModified();
      d.takenAt.setTime(QTime(d.takenAt.time().hour(), d.takenAt.time().minute(), d.takenAt.time().second()));
      const Result<records::Visit> v = store_->addVisit(p.value.id, d, arg(i), f.readAll());
      if (v.status.fault == records::Fault::Duplicate) {
        out_ << l_.args[i] << ": skipped, " << text(v.status.message) << '\n';
      } else if (!v.ok()) {
        status = failed(v.status);
      } else {
        out_ << l_.args[i] << ": visit of " << text(v.value.details.takenAt.toString("yyyy-MM-dd HH:mm")) << ", "
             << v.value.readings << " readings\n";
      }
    }
    return status;
  }

  int importManifest() {
    const bool terminal = &err_ == &std::cerr && isatty(STDERR_FILENO) != 0;
    records::ManifestRun run;
    run.failed = [this](int line, const QString& why) {
      err_ << l_.args[0] << ':' << line << ": " << text(why) << '\n';
    };
    if (terminal)
      run.progress = [this](int done, int total) {
        err_ << '\r' << done << " of " << total << " rows" << (done == total ? "\n" : "") << std::flush;
      };
    const Result<records::ManifestOutcome> r = records::importManifest(*store_, arg(0), run);
    if (!r.ok()) return failed(r.status);
    const records::ManifestOutcome& o = r.value;
    out_ << o.rows << " rows: " << o.stored << " stored, " << o.skipped << " already stored, " << o.failed
         << " failed; " << o.patientsAdded << " patients added\n";
    return o.failed == 0 ? 0 : 1;
  }

  int patients() {
    const Result<std::vector<records::PatientSummary>> found =
        store_->findPatients(l_.args.empty() ? QString() : arg(0));
    if (!found.ok()) return failed(found.status);
    out_ << "record,family name,given name,birth date,visits,last visit\n";
    for (const records::PatientSummary& p : found.value) {
      const records::PatientFields& f = p.patient.fields;
      out_ << csv(f.record) << ',' << csv(f.family) << ',' << csv(f.given) << ','
           << text(f.birthDate.toString(Qt::ISODate)) << ',' << p.visits << ','
           << text(p.lastVisit.toString("yyyy-MM-dd HH:mm")) << '\n';
    }
    return 0;
  }

  int visits() {
    const Result<records::Patient> p = store_->patientByRecord(arg(0));
    if (!p.ok()) return failed(p.status);
    const Result<std::vector<records::Visit>> list = store_->visits(p.value.id);
    if (!list.ok()) return failed(list.status);
    out_ << "visit,date,examiner,room temperature,acclimatisation,scan,readings,mean delta,largest delta,at,reach t1,"
            "reach t2,notes\n";
    int n = 0;
    for (const records::Visit& v : list.value) {
      const Result<QByteArray> bytes = store_->scanBytes(v.id);
      if (!bytes.ok()) return failed(bytes.status);
      std::istringstream in(bytes.value.toStdString());
      const model::ScanRead read = model::readScan(in);
      // Over the cut-offs a fresh window starts with, as the visit table gives it.
      const series::Asymmetry a = series::asymmetry(series::placed(read), read.count - 1, app::kLowerCutoffBar.start,
                                                    app::kUpperCutoffBar.start, {});
      const auto& d = v.details;
      out_ << ++n << ',' << text(d.takenAt.toString("yyyy-MM-dd HH:mm")) << ',' << csv(d.examiner) << ','
           << (d.roomTemperature ? model::formatNumber(*d.roomTemperature) : "") << ','
           << (d.acclimatisation ? std::to_string(*d.acclimatisation) : "") << ',' << csv(v.fileName) << ','
           << v.readings << ',' << model::formatNumber(a.meanDelta) << ',' << model::formatNumber(a.largestDelta) << ','
           << a.largestAt << ',' << a.reachT1 << ',' << a.reachT2 << ',' << csv(d.notes) << '\n';
    }
    return 0;
  }

  int exportPatient() {
    const Result<std::vector<QString>> files = records::exportPatient(*store_, arg(0), arg(1));
    if (!files.ok()) return failed(files.status);
    for (const QString& f : files.value) out_ << text(f) << '\n';
    return 0;
  }

  int exportResearch() {
    const Result<records::ResearchOutcome> r =
        records::exportResearch(*store_, arg(0), qs(option("key-file").value_or("")));
    if (!r.ok()) return failed(r.status);
    out_ << r.value.patients << " patients, " << r.value.visits << " visits\n";
    return 0;
  }

  int backup() {
    if (store_->engine() == records::Engine::PostgreSQL) {
      err_ << "varnel-records: backups of a server's database are the server's: use pg_dump.\n";
      return 2;
    }
    const Status s = store_->backup(arg(0));
    if (!s.ok()) return failed(s);
    out_ << "backed up " << text(store_->displayName()) << " to " << l_.args[0] << '\n';
    return 0;
  }

  int restore() {
    const QString db = l_.database.empty() ? records::defaultDatabase() : qs(l_.database);
    const Result<QString> kept = records::restore(db, arg(0));
    if (!kept.ok()) return failed(kept.status);
    out_ << "restored " << l_.args[0];
    if (!kept.value.isEmpty()) out_ << "; the database before is kept as " << text(kept.value);
    out_ << '\n';
    return 0;
  }

  int check() {
    const Result<records::CheckReport> r = store_->check();
    if (!r.ok()) return failed(r.status);
    const records::Counts& c = r.value.counts;
    out_ << text(store_->displayName()) << ": schema version " << r.value.schemaVersion << "; " << c.patients
         << " patients, " << c.visits << " visits, " << c.scans << " scans, " << c.logEntries << " log entries\n";
    for (const QString& f : r.value.faults) err_ << "varnel-records: " << text(f) << '\n';
    out_ << (r.value.ok() ? "no faults\n" : std::to_string(r.value.faults.size()) + " faults\n");
    return r.value.ok() ? 0 : 1;
  }

  int log() {
    const Result<std::vector<records::LogEntry>> entries = store_->log(l_.args.empty() ? QString() : arg(0));
    if (!entries.ok()) return failed(entries.status);
    for (const records::LogEntry& e : entries.value)
      out_ << text(e.at.toString(Qt::ISODate)) << '\t' << text(e.user) << '\t' << text(e.action) << '\t'
           << text(e.record) << '\t' << text(e.detail) << '\n';
    return 0;
  }

  const Line& l_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<records::Store> store_;
};

}  // namespace

std::string recordsHelpText() {
  std::string t =
      "Usage: varnel-records [--database DB] COMMAND [ARGUMENT]... [OPTION]...\n"
      "The clinic's records: patients, their visits and each visit's scan.\n\n"
      "  --database DB   a file (SQLite) or postgresql://[user@]host[:port]/dbname; default:\n"
      "                  $VARNEL_DATABASE, else records.sqlite in the program's data folder.\n"
      "                  A server's password comes from ~/.pgpass or PGPASSFILE, never from DB.\n"
      "  -h, --help      show this help and exit\n\nCommands:\n";
  for (const Command& c : commands()) {
    t += std::string("\n") + c.name + (*c.usage ? std::string(" ") + c.usage : "") + "\n";
    t += std::string("  ") + c.help + "\n";
  }
  return t + "\nExit status: 0 when all went well, 1 when something failed, 2 for a command line it does not take.\n";
}

int runRecords(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Line l = parse(args);
  if (l.help) {
    out << recordsHelpText();
    return 0;
  }
  if (!l.error.empty()) {
    err << "varnel-records: " << l.error << "\nTry 'varnel-records --help'.\n";
    return 2;
  }
  return Runner(l, out, err).run();
}

}  // namespace varnel::cli
