// The Patients window driven offscreen against a real SQLite file and the PostgreSQL server of the run: a clinician's
// day (patients, visits by dialog and by drop, a refused scan, visits opened in the calculator, a merge), two
// workstations on one database, the search, and backup and restore.
#include <gtest/gtest.h>

#include <QtCharts>
#include <QtWidgets>
#include <deque>

#include "qt/program.hpp"
#include "qt/visits_window.hpp"
#include "records/engines.hpp"
#include "series/series.hpp"

namespace varnel::test {
namespace {

struct Application : ::testing::Environment {
  int argc = 1;
  char name[14] = "test_patients", *argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  ScratchDir config;
  void SetUp() override {
    // Remembered choices go to a scratch folder, not the user's own.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path().string()));
    app = std::make_unique<QApplication>(argc, argv), qt::setUpApplication();
  }
  void TearDown() override { app.reset(); }
};
[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new Application);

QString example(const char* name) { return QStringLiteral(VARNEL_SOURCE_DIR "/examples/") + QLatin1String(name); }

// The person at the window, answering from a script: each question takes the next answer; none left cancels.
struct ScriptedAsk : qt::PatientsAsk {
  std::deque<records::PatientFields> patients;
  std::deque<qt::VisitEntry> visits;
  std::deque<bool> confirms;
  std::deque<QString> records, files;
  std::vector<QString> problems, told, asked;  // field refused, messages told, questions confirmed
  records::VisitDetails lastVisitStart;

  std::optional<records::PatientFields> patient(QWidget*, const QString&, const records::PatientFields&,
                                                const qt::PatientCheck& check) override {
    // As the dialog: OK is refused with the problem shown until the fields hold.
    while (!patients.empty()) {
      const records::PatientFields f = patients.front();
      patients.pop_front();
      const qt::FieldProblem p = check(f);
      if (p.ok()) return f;
      problems.push_back(p.field);
    }
    return std::nullopt;
  }
  std::optional<qt::VisitEntry> visit(QWidget*, const QString&, const records::VisitDetails& start, bool,
                                      const QString& scanPath) override {
    lastVisitStart = start;
    if (visits.empty()) return std::nullopt;
    qt::VisitEntry e = visits.front();
    visits.pop_front();
    if (e.scanPath.isEmpty()) e.scanPath = scanPath;
    return e;
  }
  QString recordToKeep(QWidget*, const QString&, const QStringList&) override { return take(records); }
  bool confirm(QWidget*, const QString&, const QString& text) override {
    asked.push_back(text);
    if (confirms.empty()) return false;
    const bool yes = confirms.front();
    confirms.pop_front();
    return yes;
  }
  void tell(QWidget*, const QString&, const QString& text) override { told.push_back(text); }
  QString saveFile(QWidget*, const QString&, const QString&) override { return take(files); }
  QString openFile(QWidget*, const QString&) override { return take(files); }
  std::optional<qt::DatabaseChoice> database(QWidget*, const qt::DatabaseChoice&, const QString&) override {
    return std::nullopt;
  }
  std::optional<QString> password(QWidget*, const QString&, const QString&) override { return std::nullopt; }

  static QString take(std::deque<QString>& q) {
    if (q.empty()) return {};
    QString s = q.front();
    q.pop_front();
    return s;
  }
};

records::PatientFields person(const QString& record, const QString& family, const QString& given,
                              QDate born = QDate(1971, 4, 12)) {
  return {record, family, given, born, {}};
}

qt::VisitEntry visitAt(const QString& when, const QString& scan, const QString& examiner = QStringLiteral("Dr Example")) {
  qt::VisitEntry e;
  e.details.takenAt = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm"));
  e.details.examiner = examiner;
  e.details.roomTemperature = 21.5;
  e.details.acclimatisation = 15;
  e.scanPath = scan;
  return e;
}

QString cell(const QTableView* view, int row, int column) {
  return view->model()->index(row, column).data().toString();
}

// Events processed until `done` holds or two seconds pass.
bool waitFor(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// The four Calc Now buttons, then the results file written through the dialog's answer.
std::string resultsOf(app::Form& form, const std::function<void(const std::string&)>& answer, const std::string& path) {
  form.CalcCorrelation_Click(), form.CalcSlope_Click(), form.CalcArea_Click(), form.Quil_Tesk_Click();
  answer(path);
  form.filesave_Click();
  return readAll(path);
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

struct Patients : Engines {
  std::unique_ptr<qt::Program> program = [this] {
    auto p = std::make_unique<qt::Program>();
    p->patientsAsk = std::make_unique<ScriptedAsk>();
    return p;
  }();
  ScriptedAsk& said() { return static_cast<ScriptedAsk&>(*program->patientsAsk); }
  qt::PatientsWindow& window() { return program->patientsWindow(); }

  // A second workstation on the same database.
  std::unique_ptr<qt::PatientsWindow> other(ScriptedAsk& a) {
    auto w = std::make_unique<qt::PatientsWindow>(a);
    EXPECT_TRUE(w->useDatabase(database));
    return w;
  }
  int storedVisits() {
    const auto found = window().store()->findPatients({});
    int n = 0;
    for (const auto& s : found.value) n += s.visits;
    return n;
  }
};

TEST_P(Patients, AClinicianKeepsPatientsAndVisitsAndOpensThemInTheCalculator) {
  qt::PatientsWindow& w = window();
  ASSERT_TRUE(w.useDatabase(database));
  EXPECT_TRUE(w.findChild<QLabel*>("status")->text().contains(w.store()->displayName()));
  const QList<QAction*> menus = program->window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[2]->text(), "&Patients");
  ASSERT_EQ(menus[2]->menu()->actions().size(), 1);
  EXPECT_EQ(menus[2]->menu()->actions()[0]->text(), "Open &Patients\u2026");
  ScriptedAsk& a = said();

  // A patient: no record number, then a birth date to come, are refused beside their field before one is kept.
  a.patients = {person("", "Doe", "Jane"), person("R-1001", "Doe", "Jane", QDate::currentDate().addDays(1)),
                person("R-1001", "Doe", "Jane")};
  w.newPatient();
  EXPECT_EQ(a.problems, (std::vector<QString>{"record", "birthDate"}));
  a.patients = {person("R-1001", "Dupont", "Marc")};  // the number is taken
  w.newPatient();
  EXPECT_EQ(a.problems.back(), "record");
  ASSERT_EQ(w.patientsView()->model()->rowCount(), 1);
  EXPECT_EQ(w.currentPatient()->fields.record, "R-1001");

  // Three visits by dialog, out of date order, and one dropped on the window; the examiner is remembered.
  a.visits = {visitAt("2026-03-01 10:30", example("back_visit2.txt")),
              visitAt("2026-01-05 09:00", example("back_visit1.txt"), "Dr Other"),
              visitAt("2026-05-20 14:15", example("other_back.txt"))};
  for (int i = 0; i < 3; ++i) w.newVisit();
  EXPECT_EQ(a.lastVisitStart.examiner, "Dr Other");
  EXPECT_LE(std::abs(a.lastVisitStart.takenAt.secsTo(QDateTime::currentDateTime())), 120);
  a.visits = {visitAt("2026-06-01 08:00", {})};
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(example("short_scan.txt"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &drop);
  QTableView* visits = w.visitsView();
  ASSERT_EQ(visits->model()->rowCount(), 4) << (a.told.empty() ? "" : a.told.back().toStdString());
  const QStringList scans = {example("back_visit1.txt"), example("back_visit2.txt"), example("other_back.txt"),
                             example("short_scan.txt")};
  const series::Series fromFiles = series::compute(
      std::vector<std::string>{scans[0].toStdString(), scans[1].toStdString(), scans[2].toStdString(),
                               scans[3].toStdString()},
      {}, {});
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    const series::Asymmetry& f = fromFiles.visits[static_cast<std::size_t>(row)].asymmetry;
    EXPECT_EQ(cell(visits, row, 4), QFileInfo(scans[row]).fileName());
    EXPECT_EQ(cell(visits, row, 6), QString::number(f.meanDelta, 'f', 2) + " \u00b0C");
    EXPECT_EQ(cell(visits, row, 7), QString::number(f.largestDelta, 'f', 2) + " \u00b0C");
    EXPECT_EQ(cell(visits, row, 8), QString::number(f.largestAt));
    EXPECT_EQ(cell(visits, row, 9) + "/" + cell(visits, row, 10), QStringLiteral("%1/%2").arg(f.reachT1).arg(f.reachT2));
  }
  EXPECT_EQ(cell(visits, 0, 0), "2026-01-05 09:00");
  EXPECT_EQ(cell(visits, 3, 0), "2026-06-01 08:00");
  EXPECT_EQ(cell(w.patientsView(), 0, 4), "4");

  // A scan the reader refuses is refused with its message, and nothing is stored.
  const std::string bad = dir.write("bad_scan.txt", "36.1,35.9\n36.2,warm\n");
  a.visits = {visitAt("2026-07-01 08:00", QString::fromStdString(bad))};
  w.newVisit();
  ASSERT_FALSE(a.told.empty());
  EXPECT_TRUE(a.told.back().contains("bad_scan.txt") && a.told.back().contains("2")) << a.told.back().toStdString();
  EXPECT_EQ(storedVisits(), 4);

  // Two visits opened as File 1 and File 2 compare as the same files opened from disk.
  w.selectVisit(0);
  w.findChild<QPushButton*>("openFile1")->click();
  w.selectVisit(1);
  w.findChild<QPushButton*>("openFile2")->click();
  app::Form& form = program->form;
  const std::string first = "Doe, Jane (R-1001) 2026-01-05 09:00", second = "Doe, Jane (R-1001) 2026-03-01 10:30";
  EXPECT_EQ(form.Filename[1].Text, first);
  EXPECT_EQ(form.Filename[2].Text, second);
  std::string stored = resultsOf(form, [&](const std::string& p) { program->dialog.answerOnce(QString::fromStdString(p)); },
                                 dir.file("stored.txt"));
  FormFixture disk;
  disk.load(1, scans[0].toStdString()), disk.load(2, scans[1].toStdString());
  const std::string loaded =
      resultsOf(disk.form, [&](const std::string& p) { disk.dialog.answers.push_back(p); }, dir.file("disk.txt"));
  ASSERT_NE(stored.find(first), std::string::npos);
  replaceAll(stored, first, scans[0].toStdString()), replaceAll(stored, second, scans[1].toStdString());
  EXPECT_EQ(stored, loaded);

  // Visits removed only when confirmed.
  a.confirms = {false, true};
  w.selectVisit(3);
  w.removeVisit();
  EXPECT_EQ(storedVisits(), 4);
  w.removeVisit();
  EXPECT_EQ(storedVisits(), 3);
  EXPECT_TRUE(a.asked.back().contains("2026-06-01 08:00"));

  // Two records of one person joined: every visit moves to the one kept, after a question naming both.
  const auto kept = w.store()->addPatient(person("R-2002", "Doe", "Jane"));
  ASSERT_TRUE(kept.ok());
  ASSERT_TRUE(w.store()->addVisit(kept.value.id, visitAt("2026-02-02 11:00", {}).details, "short_scan.txt",
                                  QByteArray::fromStdString(readAll(scans[3].toStdString()))).ok());
  w.searchNow();
  ASSERT_TRUE(w.selectPatient("R-1001"));
  a.records = {"R-2002", "R-2002"};
  a.confirms = {false, true};
  w.mergeInto();
  EXPECT_EQ(w.store()->findPatients({}).value.size(), 2u);  // not confirmed
  w.mergeInto();
  EXPECT_TRUE(a.asked.back().contains("R-1001") && a.asked.back().contains("R-2002"));
  ASSERT_EQ(w.patientsView()->model()->rowCount(), 1);
  EXPECT_EQ(w.currentPatient()->fields.record, "R-2002");
  EXPECT_EQ(visits->model()->rowCount(), 4);
  const auto log = w.store()->log("R-2002");
  EXPECT_TRUE(std::any_of(log.value.begin(), log.value.end(), [](const auto& e) { return e.action == "merge"; }));
}

// Two workstations on one database: an edit made on what someone else has changed since is refused and the new
// state shown; on PostgreSQL a visit added at one shows at the other by itself.
TEST_P(Patients, TwoWorkstationsNeverOverwriteEachOther) {
  qt::PatientsWindow& w = window();
  ASSERT_TRUE(w.useDatabase(database));
  const auto p = w.store()->addPatient(person("R-3003", "Roe", "Alex"));
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(w.store()->addVisit(p.value.id, visitAt("2026-01-10 10:00", {}).details, "v1.txt",
                                  QByteArray::fromStdString(readAll(example("back_visit1.txt").toStdString()))).ok());
  ScriptedAsk otherAsk;
  std::unique_ptr<qt::PatientsWindow> o = other(otherAsk);
  w.searchNow();
  ASSERT_TRUE(w.selectPatient("R-3003") && o->selectPatient("R-3003"));
  w.selectVisit(0), o->selectVisit(0);

  said().patients = {person("R-3003", "Roe", "Alexandra")};
  w.editPatient();
  otherAsk.patients = {person("R-3003", "Roe", "Alexis")};
  o->editPatient();
  ASSERT_EQ(otherAsk.told.size(), 1u);
  EXPECT_EQ(w.store()->patientByRecord("R-3003").value.fields.given, "Alexandra");
  EXPECT_EQ(cell(o->patientsView(), 0, 2), "Alexandra");  // shown as it is now

  said().visits = {visitAt("2026-01-10 10:05", {}, "Dr First")};
  w.editVisit();
  otherAsk.visits = {visitAt("2026-01-10 10:10", {}, "Dr Second")};
  o->editVisit();
  ASSERT_EQ(otherAsk.told.size(), 2u);
  EXPECT_EQ(cell(o->visitsView(), 0, 1), "Dr First");

  if (sqlite()) return;
  said().visits = {visitAt("2026-04-04 09:00", example("back_visit2.txt"))};
  w.newVisit();
  EXPECT_TRUE(waitFor([&] { return o->visitsView()->model()->rowCount() == 2; }));
}

// The list follows typing after a short pause: record prefixes and any part of a name, accents and case ignored; a
// large store lists the first few hundred and says so.
TEST_P(Patients, SearchFollowsTyping) {
  qt::PatientsWindow& w = window();
  ASSERT_TRUE(w.useDatabase(database));
  records::Store& s = *w.store();
  for (int i = 0; i < 400; ++i)
    ASSERT_TRUE(s.addPatient(person(QStringLiteral("R-%1").arg(5000 + i), QStringLiteral("Family%1").arg(i), "Pat")).ok());
  ASSERT_TRUE(s.addPatient(person("X-1", "Müller", "Zoë")).ok());
  auto* search = w.findChild<QLineEdit*>("search");
  const auto typed = [&](const QString& text) {
    search->setText(text);
    return waitFor([&] { return !w.findChild<QTimer*>("searchTimer")->isActive(); });
  };
  ASSERT_TRUE(typed("mull"));
  EXPECT_EQ(w.patientsView()->model()->rowCount(), 1);
  EXPECT_EQ(cell(w.patientsView(), 0, 1), "Müller");
  ASSERT_TRUE(typed("ZOE"));
  EXPECT_EQ(cell(w.patientsView(), 0, 0), "X-1");
  ASSERT_TRUE(typed("R-51"));
  EXPECT_EQ(w.patientsView()->model()->rowCount(), 100);
  ASSERT_TRUE(typed(""));
  EXPECT_LT(w.patientsView()->model()->rowCount(), 401);
  EXPECT_TRUE(w.findChild<QLabel*>("status")->text().contains("first"));
}

// Compare Visits: the patient's visits in date order in the Visits window, the matrix as varnel-batch --visits
// --patient gives it, the trend along the visit dates, and a report that names the patient and each visit.
TEST_P(Patients, CompareVisitsShowsTheSeriesOfThePatient) {
  qt::PatientsWindow& w = window();
  ASSERT_TRUE(w.useDatabase(database));
  const auto p = w.store()->addPatient(person("R-4004", "Poe", "Sam"));
  ASSERT_TRUE(p.ok());
  const char* scans[] = {"back_visit2.txt", "other_back.txt", "back_visit1.txt"};
  const char* dates[] = {"2026-02-01 10:00", "2026-03-01 10:00", "2026-01-01 10:00"};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(w.store()->addVisit(p.value.id, visitAt(dates[i], {}).details, scans[i],
                                    QByteArray::fromStdString(readAll(example(scans[i]).toStdString()))).ok());
  w.searchNow();
  ASSERT_TRUE(w.selectPatient("R-4004"));
  w.findChild<QPushButton*>("compareVisits")->click();
  qt::VisitsWindow* v = program->window.visitsWindow();
  ASSERT_TRUE(waitFor([&] { return v->shownSeries() != nullptr; }));
  EXPECT_EQ(v->visits(), (QStringList{"2026-01-01 10:00 back_visit1.txt", "2026-02-01 10:00 back_visit2.txt",
                                      "2026-03-01 10:00 other_back.txt"}));
  const std::string table = dir.file("pairs.csv");
  const std::string command = std::string(VARNEL_BATCH_EXE) + " --visits --patient R-4004 --database '" +
                              database.toStdString() + "' --pair-table '" + table + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(series::pairTable(*v->shownSeries()), readAll(table));

  auto* axis = qobject_cast<QCategoryAxis*>(v->findChild<QChartView*>("trend")->chart()->axes(Qt::Horizontal).value(0));
  ASSERT_NE(axis, nullptr);
  EXPECT_EQ(axis->categoriesLabels(), (QStringList{"2026-01-01 10:00", "2026-02-01 10:00", "2026-03-01 10:00"}));

  app::ScriptedFileDialog pdf;
  pdf.answers = {dir.file("series.pdf")};
  v->setFileDialog(&pdf);
  v->saveReport();
  ASSERT_EQ(std::system(("pdftotext -raw '" + dir.file("series.pdf") + "' '" + dir.file("series.txt") + "'").c_str()), 0);
  const std::string report = readAll(dir.file("series.txt"));
  for (const char* expected : {"Poe, Sam (R-4004), born 1971-04-12", "2026-01-01 10:00", "2026-03-01 10:00"})
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
}

// Backup and restore as varnel-records does them, the restore asked first.
TEST_P(Patients, BackUpAndRestore) {
  if (!sqlite()) GTEST_SKIP() << "a server's database is backed up by its administrator";
  qt::PatientsWindow& w = window();
  ASSERT_TRUE(w.useDatabase(database));
  ASSERT_TRUE(w.store()->addPatient(person("R-1", "Kept", "One")).ok());
  ScriptedAsk& a = said();
  const QString copy = q(dir.file("copy.sqlite"));
  a.files = {copy, copy, copy};
  w.backUp();
  ASSERT_TRUE(QFileInfo::exists(copy));
  ASSERT_TRUE(w.store()->addPatient(person("R-2", "Later", "Two")).ok());
  a.confirms = {false, true};
  w.restore();
  EXPECT_EQ(w.store()->findPatients({}).value.size(), 2u);
  EXPECT_TRUE(a.asked.back().contains(copy) && a.asked.back().contains(database));
  w.restore();
  ASSERT_EQ(w.store()->findPatients({}).value.size(), 1u);
  EXPECT_EQ(w.patientsView()->model()->rowCount(), 1);
  ASSERT_FALSE(a.told.empty());
  EXPECT_TRUE(a.told.back().contains(QFileInfo(database).fileName())) << a.told.back().toStdString();
}

INSTANTIATE_TEST_SUITE_P(, Patients, ::testing::Values(records::Engine::SQLite, records::Engine::PostgreSQL), engineName);

}  // namespace
}  // namespace varnel::test
