#include "qt/patients_window.hpp"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <map>
#include <sstream>
#include <utility>

#include "model/scan_file.hpp"
#include "records/archive.hpp"
#include "series/series.hpp"

namespace varnel::qt {

namespace {

// How long typing pauses before the list follows, and how many patients a
// search lists at most (the status line says when there are more).
constexpr int kSearchPauseMs = 120;
constexpr int kSearchLimit = 300;

const QString kSettingDatabase = QStringLiteral("patients/database");
const QString kSettingExaminer = QStringLiteral("patients/examiner");
const QString kSettingGeometry = QStringLiteral("patients/geometry");
const QString kSettingSplitter = QStringLiteral("patients/splitter");

// The window's own texts, in one place.
namespace text {
const QString kTitle = QStringLiteral("Patients");
const QString kChoosePatient = QStringLiteral("Choose a patient first.");
const QString kOneFile = QStringLiteral("Drop one scan file.");
QString cannotRead(const QString& path, const QString& why) {
  return QStringLiteral("The scan \"%1\" cannot be read: %2").arg(path, why);
}
QString mergeQuestion(const records::Patient& from, const records::Patient& into) {
  return QStringLiteral("Merge %1 (%2) into %3 (%4)?\n\nEvery visit of %2 moves to %4, and the record %2 is removed. "
                        "This is written to the log.")
      .arg(from.fields.family + QStringLiteral(", ") + from.fields.given, from.fields.record,
           into.fields.family + QStringLiteral(", ") + into.fields.given, into.fields.record);
}
QString removeQuestion(const QString& visit) {
  return QStringLiteral("Remove the visit %1 and its scan? This is written to the log.").arg(visit);
}
QString restoreQuestion(const QString& from, const QString& database) {
  return QStringLiteral("Restore the backup %1 in place of the database %2?\n\nEverything now in %2 is replaced by "
                        "the backup. The database as it is now is kept beside it under a dated name.")
      .arg(from, database);
}
QString restored(const QString& kept) {
  return QStringLiteral("The backup was restored. The database as it was before is kept as %1.").arg(kept);
}
QString database(const QString& name) { return QStringLiteral("Database: %1").arg(name); }
QString noDatabase(const QString& address) { return QStringLiteral("No database open (%1).").arg(address); }
QString listed(int shown, bool more) {
  return more ? QStringLiteral("the first %1 patients found; type more to narrow").arg(shown)
              : QStringLiteral("%1 patient(s)").arg(shown);
}
}  // namespace text

// Passwords typed in this run, by server address: memory only.
std::map<QString, QString>& typedPasswords() {
  static std::map<QString, QString> passwords;
  return passwords;
}

QString nameOf(const records::PatientFields& f) {
  if (f.given.isEmpty()) return f.family;
  if (f.family.isEmpty()) return f.given;
  return f.family + QStringLiteral(", ") + f.given;
}

QString dateTimeText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

QStandardItem* item(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* i = new QStandardItem(text);
  i->setEditable(false);
  i->setTextAlignment(align);
  return i;
}
QStandardItem* number(const QString& text) { return item(text, Qt::AlignRight | Qt::AlignVCenter); }

QTableView* tableOf(QStandardItemModel* model, const QString& name) {
  auto* view = new QTableView;
  view->setObjectName(name);
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setAlternatingRowColors(true);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->horizontalHeader()->setHighlightSections(false);
  return view;
}

// A visit's left-right asymmetry as a series computes it, from its kept bytes.
series::Visit figuresOf(const QString& name, const QByteArray& bytes) {
  std::istringstream in(bytes.toStdString());
  std::vector<series::ReadVisit> one{{name.toStdString(), model::readScan(in)}};
  return series::compute(one, {}, {}).visits.front();
}

QString celsius(double v) { return QString::number(v, 'f', 2) + QStringLiteral(" \u00b0C"); }

}  // namespace

PatientsWindow::PatientsWindow(PatientsAsk& ask, QWidget* parent) : QWidget(parent, Qt::Window), ask_(ask) {
  setObjectName(QStringLiteral("patientsWindow"));
  setWindowTitle(text::kTitle);
  setAcceptDrops(true);

  search_ = new QLineEdit;
  search_->setObjectName(QStringLiteral("search"));
  search_->setPlaceholderText(QStringLiteral("Record number or name"));
  search_->setClearButtonEnabled(true);
  searchTimer_ = new QTimer(this);
  searchTimer_->setObjectName(QStringLiteral("searchTimer"));
  searchTimer_->setSingleShot(true);
  searchTimer_->setInterval(kSearchPauseMs);
  connect(search_, &QLineEdit::textChanged, searchTimer_, qOverload<>(&QTimer::start));
  connect(searchTimer_, &QTimer::timeout, this, &PatientsWindow::searchNow);

  patients_ = new QStandardItemModel(0, 6, this);
  patients_->setHorizontalHeaderLabels({QStringLiteral("Record"), QStringLiteral("Family name"),
                                        QStringLiteral("Given name"), QStringLiteral("Born"), QStringLiteral("Visits"),
                                        QStringLiteral("Last visit")});
  patientsView_ = tableOf(patients_, QStringLiteral("patients"));
  patientsView_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  patientsView_->horizontalHeader()->setStretchLastSection(true);

  visits_ = new QStandardItemModel(0, 11, this);
  visits_->setHorizontalHeaderLabels(
      {QStringLiteral("Date"), QStringLiteral("Examiner"), QStringLiteral("Room"), QStringLiteral("Acclim."),
       QStringLiteral("Scan"), QStringLiteral("Readings"), QStringLiteral("Mean \u0394T"),
       QStringLiteral("Largest |\u0394T|"), QStringLiteral("At point"), QStringLiteral("\u2265 t1"),
       QStringLiteral("\u2265 t2")});
  visitsView_ = tableOf(visits_, QStringLiteral("visits"));
  visitsView_->horizontalHeader()->setStretchLastSection(true);

  const auto button = [this](const QString& caption, const QString& name, void (PatientsWindow::*slot)(),
                             std::vector<QPushButton*>* group) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, slot);
    if (group) group->push_back(b);
    return b;
  };
  auto* patientRow = new QHBoxLayout;
  auto* find = new QLabel(QStringLiteral("&Find:"));
  find->setBuddy(search_);
  patientRow->addWidget(find);
  patientRow->addWidget(search_, 1);
  patientRow->addWidget(button(QStringLiteral("&New Patient\u2026"), QStringLiteral("newPatient"),
                               &PatientsWindow::newPatient, nullptr));
  patientRow->addWidget(button(QStringLiteral("&Edit Patient\u2026"), QStringLiteral("editPatient"),
                               &PatientsWindow::editPatient, &patientButtons_));
  patientRow->addWidget(button(QStringLiteral("&Merge Into\u2026"), QStringLiteral("mergeInto"),
                               &PatientsWindow::mergeInto, &patientButtons_));

  heading_ = new QLabel;
  heading_->setObjectName(QStringLiteral("heading"));
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);

  auto* visitRow = new QHBoxLayout;
  visitRow->addWidget(button(QStringLiteral("New &Visit\u2026"), QStringLiteral("newVisit"),
                             &PatientsWindow::newVisitButton, &patientButtons_));
  visitRow->addWidget(button(QStringLiteral("Edi&t Visit\u2026"), QStringLiteral("editVisit"),
                             &PatientsWindow::editVisit, &visitButtons_));
  visitRow->addWidget(button(QStringLiteral("&Remove Visit"), QStringLiteral("removeVisit"),
                             &PatientsWindow::removeVisit, &visitButtons_));
  visitRow->addStretch(1);
  visitRow->addWidget(button(QStringLiteral("Open as File &1"), QStringLiteral("openFile1"),
                             &PatientsWindow::openAsFile1, &visitButtons_));
  visitRow->addWidget(button(QStringLiteral("Open as File &2"), QStringLiteral("openFile2"),
                             &PatientsWindow::openAsFile2, &visitButtons_));
  visitRow->addWidget(button(QStringLiteral("&Compare Visits\u2026"), QStringLiteral("compareVisits"),
                             &PatientsWindow::compare, &patientButtons_));

  auto* visitsPane = new QWidget;
  auto* visitsLayout = new QVBoxLayout(visitsPane);
  visitsLayout->setContentsMargins(0, 0, 0, 0);
  visitsLayout->addWidget(heading_);
  visitsLayout->addWidget(visitsView_, 1);
  visitsLayout->addLayout(visitRow);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setObjectName(QStringLiteral("splitter"));
  splitter->addWidget(patientsView_);
  splitter->addWidget(visitsPane);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("status"));
  auto* storeRow = new QHBoxLayout;
  storeRow->addWidget(status_, 1);
  storeRow->addWidget(button(QStringLiteral("Data&base\u2026"), QStringLiteral("chooseDatabase"),
                             &PatientsWindow::chooseDatabase, nullptr));
  storeRow->addWidget(button(QStringLiteral("Back &Up\u2026"), QStringLiteral("backUp"), &PatientsWindow::backUp, nullptr));
  storeRow->addWidget(button(QStringLiteral("Re&store\u2026"), QStringLiteral("restore"), &PatientsWindow::restore,
                             nullptr));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(patientRow);
  layout->addWidget(splitter, 1);
  layout->addLayout(storeRow);

  connect(patientsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showVisits(); });
  connect(visitsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { updateButtons(); });
  connect(patientsView_, &QTableView::doubleClicked, this, &PatientsWindow::editPatient);
  connect(visitsView_, &QTableView::doubleClicked, this, &PatientsWindow::editVisit);

  const QSettings settings;
  resize(900, 620);
  restoreGeometry(settings.value(kSettingGeometry).toByteArray());
  splitter->restoreState(settings.value(kSettingSplitter).toByteArray());
  status_->setText(text::noDatabase(rememberedDatabase()));
  updateButtons();
}

PatientsWindow::~PatientsWindow() = default;

void PatientsWindow::newVisitButton() { newVisit(); }
void PatientsWindow::openAsFile1() { openVisit(1); }
void PatientsWindow::openAsFile2() { openVisit(2); }

QString PatientsWindow::rememberedDatabase() {
  return QSettings().value(kSettingDatabase, records::defaultDatabase()).toString();
}

QString PatientsWindow::visitName(const records::Patient& p, const records::Visit& v) {
  return QStringLiteral("%1 (%2) %3").arg(nameOf(p.fields), p.fields.record, dateTimeText(v.details.takenAt));
}

bool PatientsWindow::useDatabase(const QString& address) {
  const DatabaseChoice choice = DatabaseChoice::fromAddress(address);
  records::OpenOptions options;
  if (choice.server()) {
    const auto typed = typedPasswords().find(address);
    if (typed != typedPasswords().end()) options.password = typed->second;
  }
  records::Result<std::unique_ptr<records::Store>> opened = records::Store::open(address, options);
  // A server that wants a password ~/.pgpass does not hold: asked for, and
  // kept in memory for this run.
  while (!opened.ok() && choice.server() && opened.status.fault == records::Fault::Engine &&
         opened.status.message.contains(QLatin1String("password"), Qt::CaseInsensitive)) {
    const std::optional<QString> password = ask_.password(this, address, opened.status.message);
    if (!password) break;
    options.password = *password;
    opened = records::Store::open(address, options);
    if (opened.ok()) typedPasswords()[address] = *password;
  }
  if (!opened.ok()) {
    ask_.tell(this, text::kTitle, opened.status.message);
    return false;
  }
  store_ = std::move(opened.value);
  address_ = address;
  QSettings().setValue(kSettingDatabase, address);
  store_->watchVisits([this] { refresh(); });
  shownVisits_.clear();
  searchNow();
  return true;
}

void PatientsWindow::searchNow() {
  searchTimer_->stop();
  if (!store_) return;
  const records::Result<std::vector<records::PatientSummary>> found =
      store_->findPatients(search_->text().trimmed(), kSearchLimit + 1);
  if (fails(found.status, text::kTitle)) return;
  showPatients(found.value);
}

void PatientsWindow::showPatients(const std::vector<records::PatientSummary>& found) {
  const std::optional<records::Patient> was = currentPatient();
  const std::optional<records::Visit> wasVisit = currentVisit();
  rebuilding_ = true;
  const bool more = static_cast<int>(found.size()) > kSearchLimit;
  const std::size_t shown = std::min<std::size_t>(found.size(), kSearchLimit);
  patients_->removeRows(0, patients_->rowCount());
  shownPatients_.clear();
  for (std::size_t i = 0; i < shown; ++i) {
    const records::PatientSummary& s = found[i];
    const records::PatientFields& f = s.patient.fields;
    patients_->appendRow({item(f.record), item(f.family), item(f.given),
                          item(f.birthDate.toString(QStringLiteral("yyyy-MM-dd"))), number(QString::number(s.visits)),
                          item(s.lastVisit.isValid() ? dateTimeText(s.lastVisit) : QString())});
    shownPatients_.push_back(s.patient);
  }
  status_->setText(text::database(store_->displayName()) + QStringLiteral(" \u2014 ") +
                   text::listed(static_cast<int>(shown), more));
  if (!(was && selectPatient(was->fields.record)) && shownPatients_.size() == 1) selectPatient(shownPatients_[0].fields.record);
  rebuilding_ = false;
  showVisits(wasVisit ? wasVisit->id : 0);
}

bool PatientsWindow::selectPatient(const QString& record) {
  for (std::size_t i = 0; i < shownPatients_.size(); ++i) {
    if (shownPatients_[i].fields.record != record) continue;
    patientsView_->selectRow(static_cast<int>(i));
    patientsView_->setCurrentIndex(patients_->index(static_cast<int>(i), 0));
    return true;
  }
  return false;
}

void PatientsWindow::selectVisit(int row) {
  visitsView_->selectRow(row);
  visitsView_->setCurrentIndex(visits_->index(row, 0));
}

std::optional<records::Patient> PatientsWindow::currentPatient() const {
  const QModelIndex at = patientsView_->currentIndex();
  if (!at.isValid() || at.row() >= static_cast<int>(shownPatients_.size())) return std::nullopt;
  return shownPatients_[static_cast<std::size_t>(at.row())];
}

std::optional<records::Visit> PatientsWindow::currentVisit() const {
  const QModelIndex at = visitsView_->currentIndex();
  if (!at.isValid() || at.row() >= static_cast<int>(shownVisits_.size())) return std::nullopt;
  return shownVisits_[static_cast<std::size_t>(at.row())];
}

void PatientsWindow::showVisits(qint64 keep) {
  if (rebuilding_) return;
  if (const std::optional<records::Visit> was = currentVisit(); was && keep == 0) keep = was->id;
  visits_->removeRows(0, visits_->rowCount());
  shownVisits_.clear();
  const std::optional<records::Patient> p = currentPatient();
  heading_->setText(p ? QStringLiteral("%1 (%2)%3").arg(nameOf(p->fields), p->fields.record,
                                                         p->fields.birthDate.isValid()
                                                             ? QStringLiteral(", born ") +
                                                                   p->fields.birthDate.toString(QStringLiteral("yyyy-MM-dd"))
                                                             : QString())
                      : QStringLiteral("No patient chosen"));
  if (p && store_) {
    const records::Result<std::vector<records::Visit>> visits = store_->visits(p->id);
    if (!fails(visits.status, text::kTitle)) shownVisits_ = visits.value;
  }
  int row = 0;
  for (const records::Visit& v : shownVisits_) {
    const records::VisitDetails& d = v.details;
    QList<QStandardItem*> cells{
        item(dateTimeText(d.takenAt)), item(d.examiner),
        number(d.roomTemperature ? QString::number(*d.roomTemperature, 'f', 1) + QStringLiteral(" \u00b0C") : QString()),
        number(d.acclimatisation ? QStringLiteral("%1 min").arg(*d.acclimatisation) : QString()), item(v.fileName),
        number(QString::number(v.readings))};
    const records::Result<QByteArray> bytes = store_->scanBytes(v.id);
    const series::Visit figures = figuresOf(v.fileName, bytes.value);
    if (bytes.ok() && figures.ok()) {
      const series::Asymmetry& a = figures.asymmetry;
      cells << number(celsius(a.meanDelta)) << number(celsius(a.largestDelta)) << number(QString::number(a.largestAt))
            << number(QString::number(a.reachT1)) << number(QString::number(a.reachT2));
    } else {
      cells << item(bytes.ok() ? QString::fromStdString(figures.message) : bytes.status.message);
    }
    for (QStandardItem* c : cells) c->setToolTip(d.notes);
    visits_->appendRow(cells);
    if (keep == v.id) selectVisit(row);
    ++row;
  }
  visitsView_->resizeColumnsToContents();
  updateButtons();
}

void PatientsWindow::refresh() {
  if (!store_) return;
  searchNow();
}

void PatientsWindow::updateButtons() {
  const bool patient = currentPatient().has_value();
  const bool visit = currentVisit().has_value();
  for (QPushButton* b : patientButtons_) b->setEnabled(patient);
  for (QPushButton* b : visitButtons_) b->setEnabled(visit);
}

bool PatientsWindow::fails(const records::Status& status, const QString& title) {
  if (status.ok()) return false;
  ask_.tell(this, title, status.message);
  return true;
}

PatientCheck PatientsWindow::checkFor(qint64 id) const {
  return [this, id](const records::PatientFields& f) -> FieldProblem {
    if (f.record.trimmed().isEmpty()) return {QStringLiteral("record"), QStringLiteral("A record number is needed.")};
    if (store_) {
      const records::Result<records::Patient> other = store_->patientByRecord(f.record.trimmed());
      if (other.ok() && other.value.id != id)
        return {QStringLiteral("record"), QStringLiteral("Already used for %1.").arg(nameOf(other.value.fields))};
    }
    if (f.family.trimmed().isEmpty() && f.given.trimmed().isEmpty())
      return {QStringLiteral("family"), QStringLiteral("A name is needed.")};
    if (f.birthDate.isValid() && f.birthDate > QDate::currentDate())
      return {QStringLiteral("birthDate"), QStringLiteral("The birth date is in the future.")};
    return {};
  };
}

void PatientsWindow::newPatient() {
  if (!store_) return;
  records::PatientFields start;
  const std::optional<records::PatientFields> fields =
      ask_.patient(this, QStringLiteral("New Patient"), start, checkFor(0));
  if (!fields) return;
  const records::Result<records::Patient> added = store_->addPatient(*fields);
  if (fails(added.status, QStringLiteral("New Patient"))) return;
  search_->setText(added.value.fields.record);
  searchNow();
  selectPatient(added.value.fields.record);
}

void PatientsWindow::editPatient() {
  const std::optional<records::Patient> p = currentPatient();
  if (!store_ || !p) return;
  const std::optional<records::PatientFields> fields =
      ask_.patient(this, QStringLiteral("Edit Patient"), p->fields, checkFor(p->id));
  if (!fields) return;
  const records::Result<records::Patient> edited = store_->editPatient(p->id, p->version, *fields);
  // Changed by someone else since it was shown: said, and shown as it is now.
  const bool failed = fails(edited.status, QStringLiteral("Edit Patient"));
  refresh();
  if (!failed) selectPatient(edited.value.fields.record);
}

void PatientsWindow::mergeInto() {
  const std::optional<records::Patient> from = currentPatient();
  if (!store_ || !from) return;
  QStringList choices;
  for (const records::Patient& p : shownPatients_)
    if (p.id != from->id) choices << p.fields.record + QStringLiteral("  ") + nameOf(p.fields);
  const QString record = ask_.recordToKeep(
      this, QStringLiteral("Merge %1 (%2) into the record:").arg(nameOf(from->fields), from->fields.record), choices);
  if (record.isEmpty()) return;
  const records::Result<records::Patient> into = store_->patientByRecord(record);
  if (fails(into.status, QStringLiteral("Merge Into"))) return;
  if (into.value.id == from->id) return;
  if (!ask_.confirm(this, QStringLiteral("Merge Into"), text::mergeQuestion(*from, into.value))) return;
  const records::Result<records::Patient> merged =
      store_->mergePatients(from->id, from->version, into.value.id, into.value.version);
  // The record kept is shown, whatever the search was.
  if (!fails(merged.status, QStringLiteral("Merge Into"))) search_->setText(merged.value.fields.record);
  refresh();
  selectPatient(merged.ok() ? merged.value.fields.record : from->fields.record);
}

void PatientsWindow::newVisit(const QString& scanPath) {
  const std::optional<records::Patient> p = currentPatient();
  if (!store_) return;
  if (!p) {
    ask_.tell(this, QStringLiteral("New Visit"), text::kChoosePatient);
    return;
  }
  QSettings settings;
  records::VisitDetails start;
  const QDateTime now = QDateTime::currentDateTime();
  start.takenAt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
  start.examiner = settings.value(kSettingExaminer).toString();
  const std::optional<VisitEntry> entry =
      ask_.visit(this, QStringLiteral("New Visit for %1 (%2)").arg(nameOf(p->fields), p->fields.record), start, true,
                 scanPath);
  if (!entry) return;
  QFile file(entry->scanPath);
  if (!file.open(QIODevice::ReadOnly)) {
    ask_.tell(this, QStringLiteral("New Visit"), text::cannotRead(entry->scanPath, file.errorString()));
    return;
  }
  const QByteArray bytes = file.readAll();
  const records::Result<records::Visit> added =
      store_->addVisit(p->id, entry->details, QFileInfo(entry->scanPath).fileName(), bytes);
  if (fails(added.status, QStringLiteral("New Visit"))) return;
  settings.setValue(kSettingExaminer, entry->details.examiner);
  refresh();
  for (std::size_t i = 0; i < shownVisits_.size(); ++i)
    if (shownVisits_[i].id == added.value.id) selectVisit(static_cast<int>(i));
}

void PatientsWindow::editVisit() {
  const std::optional<records::Visit> v = currentVisit();
  if (!store_ || !v) return;
  const std::optional<VisitEntry> entry = ask_.visit(this, QStringLiteral("Edit Visit"), v->details, false, {});
  if (!entry) return;
  const records::Result<records::Visit> edited = store_->editVisit(v->id, v->version, entry->details);
  (void)fails(edited.status, QStringLiteral("Edit Visit"));
  refresh();
}

void PatientsWindow::removeVisit() {
  const std::optional<records::Patient> p = currentPatient();
  const std::optional<records::Visit> v = currentVisit();
  if (!store_ || !p || !v) return;
  if (!ask_.confirm(this, QStringLiteral("Remove Visit"), text::removeQuestion(visitName(*p, *v)))) return;
  (void)fails(store_->removeVisit(v->id, v->version), QStringLiteral("Remove Visit"));
  refresh();
}

void PatientsWindow::openVisit(int file) {
  const std::optional<records::Patient> p = currentPatient();
  const std::optional<records::Visit> v = currentVisit();
  if (!store_ || !p || !v || !openInCalculator) return;
  const records::Result<QByteArray> bytes = store_->scanBytes(v->id);
  if (fails(bytes.status, text::kTitle)) return;
  openInCalculator(file, visitName(*p, *v), bytes.value);
}

void PatientsWindow::compare() {
  const std::optional<records::Patient> p = currentPatient();
  if (!store_ || !p || !compareVisits) return;
  StoredVisits series;
  series.heading = heading_->text();
  for (const records::Visit& v : shownVisits_) {
    const records::Result<QByteArray> bytes = store_->scanBytes(v.id);
    if (fails(bytes.status, text::kTitle)) return;
    series.names << records::visitName(v);
    series.labels << dateTimeText(v.details.takenAt);
    series.scans.push_back(bytes.value);
  }
  compareVisits(series);
}

void PatientsWindow::chooseDatabase() {
  const std::optional<DatabaseChoice> chosen =
      ask_.database(this, DatabaseChoice::fromAddress(store_ ? address_ : rememberedDatabase()),
                    records::defaultDatabase());
  if (!chosen || chosen->address().isEmpty()) return;
  (void)useDatabase(chosen->address());
}

void PatientsWindow::backUp() {
  if (!store_) return;
  const QString suggested = QDir::home().filePath(
      QStringLiteral("records-%1.sqlite").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
  const QString path = ask_.saveFile(this, QStringLiteral("Back Up"), suggested);
  if (path.isEmpty()) return;
  (void)fails(store_->backup(path), QStringLiteral("Back Up"));
}

void PatientsWindow::restore() {
  if (!store_) return;
  if (store_->engine() != records::Engine::SQLite) {
    ask_.tell(this, QStringLiteral("Restore"),
              QStringLiteral("A server's database is restored by its administrator; this restores a file only."));
    return;
  }
  const QString from = ask_.openFile(this, QStringLiteral("Restore"));
  if (from.isEmpty()) return;
  if (!ask_.confirm(this, QStringLiteral("Restore"), text::restoreQuestion(from, address_))) return;
  const QString address = address_;
  store_.reset();  // the file is replaced only when nothing has it open
  const records::Result<QString> kept = records::restore(address, from);
  const bool failed = fails(kept.status, QStringLiteral("Restore"));
  if (useDatabase(address) && !failed) ask_.tell(this, QStringLiteral("Restore"), text::restored(kept.value));
}

void PatientsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!store_ && address_.isEmpty()) {
    address_ = rememberedDatabase();
    (void)useDatabase(address_);
  }
}

void PatientsWindow::closeEvent(QCloseEvent* event) {
  QSettings settings;
  settings.setValue(kSettingGeometry, saveGeometry());
  if (auto* splitter = findChild<QSplitter*>(QStringLiteral("splitter")))
    settings.setValue(kSettingSplitter, splitter->saveState());
  QWidget::closeEvent(event);
}

namespace {
QString droppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile()) return {};
  const QString path = data->urls().first().toLocalFile();
  return QFileInfo(path).isFile() ? path : QString();
}
}  // namespace

void PatientsWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFile(event->mimeData()).isEmpty() && currentPatient()) event->acceptProposedAction();
}

void PatientsWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (path.isEmpty()) {
    ask_.tell(this, QStringLiteral("New Visit"), text::kOneFile);
    return;
  }
  event->acceptProposedAction();
  newVisit(path);
}

}  // namespace varnel::qt
