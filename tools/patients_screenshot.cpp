// varnel-patients-screenshot DATABASE OUT_FOLDER
// Fills an empty records database with a few hundred invented patients, one
// of them with the example scans as visits, and saves off screen what the
// clinician sees: the Patients window (patients.png), the calculator with
// two visits loaded (main.png), its comparison report (report.pdf) and the
// Visits window's report (visits_report.pdf). Nobody real: names are made
// up from syllables.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <cstdio>

#include "app/stand_in_dialogs.hpp"
#include "qt/chart_view.hpp"
#include "qt/program.hpp"
#include "qt/visits_window.hpp"

namespace {

QString invented(int i, int salt) {
  static const char* const first[] = {"Bra", "Kel", "Mor", "Tan", "Vel", "Dor", "Ast", "Lun", "Quo", "Fen"};
  static const char* const second[] = {"dell", "wick", "mora", "ston", "vane", "lisk", "tern", "holt", "ray", "quin"};
  return QString::fromLatin1(first[(i * 7 + salt) % 10]) + QString::fromLatin1(second[(i / 10 + salt * 3) % 10]);
}

void fill(varnel::records::Store& store, const QString& examples) {
  for (int i = 0; i < 300; ++i)
    (void)store.addPatient({QStringLiteral("R-%1").arg(1000 + i), invented(i, 1), invented(i * 3, 2),
                            QDate(1940 + i % 60, 1 + i % 12, 1 + i % 28), {}});
  const varnel::records::Result<varnel::records::Patient> p =
      store.addPatient({QStringLiteral("R-0042"), QStringLiteral("Example"), QStringLiteral("Jane"), QDate(1968, 5, 4), {}});
  const char* scans[] = {"back_visit1.txt", "back_visit2.txt", "other_back.txt"};
  for (int i = 0; i < 3; ++i) {
    QFile f(examples + QLatin1Char('/') + QLatin1String(scans[i]));
    if (!f.open(QIODevice::ReadOnly)) continue;
    varnel::records::VisitDetails d;
    d.takenAt = QDateTime(QDate(2026, 1 + 2 * i, 12), QTime(9 + i, 30));
    d.examiner = QStringLiteral("Dr Invented");
    d.roomTemperature = 21.0 + 0.5 * i;
    d.acclimatisation = 15;
    (void)store.addVisit(p.value.id, d, QLatin1String(scans[i]), f.readAll());
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: varnel-patients-screenshot DATABASE OUT_FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  varnel::qt::setUpApplication();
  const QDir out(QString::fromLocal8Bit(argv[2]));

  varnel::qt::Program program;
  varnel::qt::PatientsWindow& w = program.patientsWindow();
  if (!w.useDatabase(QString::fromLocal8Bit(argv[1]))) return 1;
  if (w.store()->findPatients({}, 1).value.empty()) fill(*w.store(), QStringLiteral(VARNEL_SOURCE_DIR "/examples"));
  w.searchNow();
  w.show();
  w.resize(980, 640);
  w.selectPatient(QStringLiteral("R-0042"));
  w.patientsView()->scrollTo(w.patientsView()->currentIndex());
  w.selectVisit(2);
  QApplication::processEvents();
  bool ok = w.grab().save(out.filePath(QStringLiteral("patients.png")));

  w.selectVisit(0);
  w.findChild<QPushButton*>(QStringLiteral("openFile1"))->click();
  w.selectVisit(1);
  w.findChild<QPushButton*>(QStringLiteral("openFile2"))->click();
  program.window.show();
  program.form.click("LineButton", 0);
  program.form.CalcCorrelation_Click(), program.form.CalcSlope_Click(), program.form.CalcArea_Click();
  program.form.Quil_Tesk_Click();
  program.window.refresh();
  QApplication::processEvents();
  ok = program.window.grab().save(out.filePath(QStringLiteral("main.png"))) && ok;
  varnel::app::ScriptedFileDialog reportFile;
  reportFile.answers.push_back(out.filePath(QStringLiteral("report.pdf")).toStdString());
  program.window.chart()->setFileDialog(&reportFile);
  program.window.chart()->saveReportAction()->trigger();

  w.findChild<QPushButton*>(QStringLiteral("compareVisits"))->click();
  varnel::qt::VisitsWindow* visits = program.window.visitsWindow();
  while (!visits->shownSeries()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  varnel::app::ScriptedFileDialog pdf;
  pdf.answers.push_back(out.filePath(QStringLiteral("visits_report.pdf")).toStdString());
  visits->setFileDialog(&pdf);
  visits->saveReport();
  QApplication::processEvents();
  ok = visits->grab().save(out.filePath(QStringLiteral("visits.png"))) && ok;
  return ok ? 0 : 1;
}
