#pragma once
// The Patients window: the clinic's records in the calculator. Find a
// patient as one types, keep patients and their visits (each with its scan),
// load a visit's scan into the calculator as File 1 or File 2, and hand the
// patient's visits to the Visits window. All reading and writing goes
// through records::Store, opened in the window's own thread; what the person
// decides is asked through PatientsAsk.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "qt/patients_ask.hpp"
#include "records/store.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimer;

namespace varnel::qt {

// A patient's visits in date order, as the Visits window takes them.
struct StoredVisits {
  QString heading;  // "Doe, Jane (R-1001), born 1970-05-04"
  QStringList names;   // each visit's name in the series (records::visitName())
  QStringList labels;  // each visit's date and time, for the trend
  std::vector<QByteArray> scans;
};

class PatientsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PatientsWindow(PatientsAsk& ask, QWidget* parent = nullptr);
  ~PatientsWindow() override;

  // Opens `address` (a file or postgresql://...) and shows its patients;
  // remembered for the next start when it opened. False, with the store's
  // message told, when it did not.
  bool useDatabase(const QString& address);
  // The database remembered, else the default one.
  static QString rememberedDatabase();
  records::Store* store() const { return store_.get(); }

  // The name a visit's scan has in the calculator:
  // "Doe, Jane (R-1001) 2026-03-01 10:30".
  static QString visitName(const records::Patient& p, const records::Visit& v);

  // Loads a stored scan into the calculator as File 1 or File 2, under its
  // visit name.
  std::function<void(int file, const QString& name, const QByteArray& bytes)> openInCalculator;
  // Opens the Visits window on the patient's visits.
  std::function<void(const StoredVisits&)> compareVisits;

  // What the buttons do, on the patient and visit selected.
  void newPatient();
  void editPatient();
  void mergeInto();
  void newVisit(const QString& scanPath = {});
  void editVisit();
  void removeVisit();
  void openVisit(int file);
  void compare();
  void chooseDatabase();
  void backUp();
  void restore();

  // The search run now rather than after the pause in typing.
  void searchNow();
  // The patient with this record number selected, when listed.
  bool selectPatient(const QString& record);
  void selectVisit(int row);
  std::optional<records::Patient> currentPatient() const;
  std::optional<records::Visit> currentVisit() const;
  QTableView* patientsView() const { return patientsView_; }
  QTableView* visitsView() const { return visitsView_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void newVisitButton();
  void openAsFile1();
  void openAsFile2();
  void showPatients(const std::vector<records::PatientSummary>& found);
  void showVisits(qint64 keep = 0);  // `keep`: the visit to select again
  void refresh();  // the lists again from the database, the selection kept
  bool fails(const records::Status& status, const QString& title);
  void updateButtons();
  PatientCheck checkFor(qint64 id) const;

  PatientsAsk& ask_;
  std::unique_ptr<records::Store> store_;
  QString address_;
  bool rebuilding_ = false;  // the patients list is being filled
  QLineEdit* search_ = nullptr;
  QTimer* searchTimer_ = nullptr;
  QStandardItemModel* patients_ = nullptr;
  QStandardItemModel* visits_ = nullptr;
  QTableView* patientsView_ = nullptr;
  QTableView* visitsView_ = nullptr;
  QLabel* heading_ = nullptr;
  QLabel* status_ = nullptr;
  std::vector<records::Patient> shownPatients_;
  std::vector<records::Visit> shownVisits_;
  std::vector<QPushButton*> patientButtons_, visitButtons_;
};

}  // namespace varnel::qt
