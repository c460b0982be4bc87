#include "qt/visits_window.hpp"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtConcurrent>
#include <algorithm>

#include "app/form.hpp"
#include "app/messages.hpp"
#include "app/report_content.hpp"
#include "app/stand_in_dialogs.hpp"
#include "output/save_file.hpp"
#include "qt/main_window.hpp"
#include "qt/visits_models.hpp"

namespace varnel::qt {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QColor rgb(std::uint32_t c) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | c)); }

// Names in the order a person counts: visit2 before visit10.
void sortNaturally(QStringList& paths) {
  QCollator collator;
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(paths.begin(), paths.end(), [&](const QString& a, const QString& b) {
    return collator.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
  });
}

// The local files a drag carries, folders left out.
QStringList draggedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isDir()) files << url.toLocalFile();
  return files;
}

// A push button of the window, named for the tests, that Enter in a list
// does not press.
template <typename Slot>
QPushButton* button(QWidget* owner, const QString& text, const char* name, Slot slot) {
  auto* b = new QPushButton(text);
  b->setObjectName(QString::fromUtf8(name));
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, owner, slot);
  return b;
}

// The widgets side by side, from the left.
QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
  auto* layout = new QHBoxLayout;
  for (QWidget* w : widgets) layout->addWidget(w);
  layout->addStretch();
  return layout;
}

constexpr const char* kListFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
constexpr const char* kCsvFilter = "CSV Files (*.csv)|*.csv";
constexpr const char* kPdfFilter = "PDF Files (*.pdf)|*.pdf";

}  // namespace

VisitsWindow::VisitsWindow(MainWindow* main, QWidget* parent)
    : QWidget(parent, Qt::Window),
      main_(main),
      visitsModel_(new VisitsModel(this)),
      matrixModel_(new MatrixModel(this)),
      changed_(new QTimer(this)),
      slow_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("Visits"));
  setObjectName(QStringLiteral("visits"));
  auto* left = new QVBoxLayout;
  left->addWidget(buildVisits(), 1);
  left->addWidget(buildSteps());
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addWidget(buildMatrix(), 1);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addWidget(buildFooter());
  resize(QSettings().value(QStringLiteral("visits/size"), QSize(1260, 760)).toSize());

  changed_->setSingleShot(true);
  changed_->setInterval(120);
  connect(changed_, &QTimer::timeout, this, &VisitsWindow::start);
  slow_->setSingleShot(true);
  slow_->setInterval(100);
  connect(slow_, &QTimer::timeout, this, [this] { progress_->show(), cancel_->show(); });
  connect(&watcher_, &QFutureWatcherBase::progressRangeChanged, progress_, &QProgressBar::setRange);
  connect(&watcher_, &QFutureWatcherBase::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcherBase::finished, this, &VisitsWindow::finished);
  showMessage(qs(app::messages::visitsTooFew(0, 0)), false);
  updateButtons();
}

VisitsWindow::~VisitsWindow() {
  watcher_.disconnect(this);
  watcher_.cancel();
  watcher_.waitForFinished();
}

QWidget* VisitsWindow::buildVisits() {
  auto* box = new QGroupBox(QStringLiteral("Visits, in order (visit 1 the baseline)"));
  visitsView_ = new QTableView;
  visitsView_->setObjectName(QStringLiteral("visitList"));
  visitsView_->setModel(visitsModel_);
  visitsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  visitsView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  visitsView_->setTabKeyNavigation(false);
  visitsView_->verticalHeader()->hide();
  // Figures as wide as they need, the status takes what is left: a long
  // message never pushes a figure out of view.
  visitsView_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  visitsView_->horizontalHeader()->setSectionResizeMode(VisitsModel::Status, QHeaderView::Stretch);
  visitsView_->horizontalHeader()->setMinimumSectionSize(28);
  // A long file name is cut in its middle (whole in the tooltip), never the figures.
  visitsView_->horizontalHeader()->setSectionResizeMode(VisitsModel::Scan, QHeaderView::Interactive);
  visitsView_->setTextElideMode(Qt::ElideMiddle);
  visitsView_->setAcceptDrops(true);
  visitsView_->viewport()->setAcceptDrops(true);
  visitsView_->viewport()->installEventFilter(this);
  connect(visitsView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &VisitsWindow::updateButtons);
  visitsView_->installEventFilter(this);  // Delete removes the selected visits

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(button(this, QStringLiteral("&Add Scans…"), "add", [this] { addWithDialog(); }));
  buttons->addWidget(remove_ = button(this, QStringLiteral("&Remove"), "remove", [this] { removeSelected(); }));
  buttons->addWidget(up_ = button(this, QStringLiteral("Move &Up"), "up", [this] { moveSelected(-1); }));
  buttons->addWidget(down_ = button(this, QStringLiteral("Move &Down"), "down", [this] { moveSelected(1); }));
  buttons->addStretch();
  // The list's file on a row of its own: both rows fit a narrow window.
  auto* files = new QHBoxLayout;
  files->addWidget(button(this, QStringLiteral("&Open List…"), "openList", [this] { openList(); }));
  files->addWidget(saveList_ = button(this, QStringLiteral("Save &List…"), "saveList", [this] { saveList(); }));
  files->addStretch();

  auto* layout = new QVBoxLayout(box);
  layout->addWidget(visitsView_, 1);
  layout->addLayout(buttons);
  layout->addLayout(files);
  return box;
}

QWidget* VisitsWindow::buildSteps() {
  // The window's own defaults: what a fresh form holds.
  app::ScriptedFileDialog none;
  app::RecordedMessages quiet;
  const app::Form fresh(none, quiet);

  auto* box = new QGroupBox(QStringLiteral("Steps of every comparison"));
  auto* form = new QFormLayout(box);
  lower_ = new QSpinBox;
  lower_->setRange(app::kLowerCutoffBar.min, app::kLowerCutoffBar.max);
  lower_->setValue(fresh.VScroll1.Value());
  lower_->setObjectName(QStringLiteral("lower"));
  upper_ = new QSpinBox;
  upper_->setObjectName(QStringLiteral("upper"));
  upper_->setRange(app::kUpperCutoffBar.min, app::kUpperCutoffBar.max);
  upper_->setValue(fresh.VScroll2.Value());
  QHBoxLayout* cutoffs = row({lower_, new QLabel(QStringLiteral("to")), upper_});
  form->addRow(QStringLiteral("&Cut-offs:"), cutoffs);
  qobject_cast<QLabel*>(form->labelForField(cutoffs))->setBuddy(lower_);

  for (int ch = 0; ch < model::kChannels; ++ch) {
    smooth_[ch] = new QCheckBox(QString::fromUtf8(visits::channelName(static_cast<visits::Channel>(ch))));
    connect(smooth_[ch], &QCheckBox::toggled, this, &VisitsWindow::schedule);
  }
  form->addRow(QStringLiteral("Smoothed:"), row({smooth_[0], smooth_[1], smooth_[2]}));

  threshold_ = new QLineEdit(qs(fresh.Threshold.Text));
  threshold_->setObjectName(QStringLiteral("threshold"));
  threshold_->setMaximumWidth(90);
  form->addRow(QStringLiteral("Slope &threshold:"), threshold_);

  const auto degrees = [this](double value) {
    auto* spin = new QDoubleSpinBox;
    spin->setDecimals(3);
    spin->setRange(0.0, 100.0);
    spin->setSingleStep(0.1);
    spin->setSuffix(QStringLiteral(" °C"));
    spin->setValue(value);
    connect(spin, &QDoubleSpinBox::valueChanged, this, &VisitsWindow::schedule);
    return spin;
  };
  const series::Thresholds defaults;
  t1_ = degrees(defaults.t1);
  t1_->setObjectName(QStringLiteral("t1"));
  t2_ = degrees(defaults.t2);
  QHBoxLayout* thresholds = row({new QLabel(QStringLiteral("t1")), t1_, new QLabel(QStringLiteral("t2")), t2_});
  form->addRow(QStringLiteral("As&ymmetry |Delta-T| ≥"), thresholds);
  qobject_cast<QLabel*>(form->labelForField(thresholds))->setBuddy(t1_);

  connect(lower_, &QSpinBox::valueChanged, this, &VisitsWindow::schedule);
  connect(upper_, &QSpinBox::valueChanged, this, &VisitsWindow::schedule);
  connect(threshold_, &QLineEdit::textEdited, this, &VisitsWindow::schedule);
  return box;
}

QWidget* VisitsWindow::buildMatrix() {
  auto* box = new QGroupBox(QStringLiteral("Every pair: row the earlier visit, column the later"));
  measure_ = new QComboBox;
  measure_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  measure_->setMinimumContentsLength(8);
  measure_->setObjectName(QStringLiteral("measure"));
  for (int m = 0; m < visits::kMeasures; ++m)
    measure_->addItem(QString::fromUtf8(visits::measureName(static_cast<visits::Measure>(m))));
  measure_->setCurrentIndex(static_cast<int>(visits::VisitsSettings{}.measure));
  // In the main window's order; changing it computes the series again, as
  // the channel on show is a step of every comparison.
  channel_ = new QComboBox;
  channel_->setObjectName(QStringLiteral("matrixChannel"));
  for (const visits::Channel ch : {visits::Channel::Left, visits::Channel::Delta, visits::Channel::Right})
    channel_->addItem(QString::fromUtf8(visits::channelName(ch)), static_cast<int>(ch));
  channel_->setToolTip(
      QStringLiteral("The channel on show in every comparison, of the matrix, the trend and the "
                     "mean difference"));
  auto* choice = new QHBoxLayout;
  for (const auto& [text, box] :
       {std::pair{QStringLiteral("&Measure:"), measure_}, {QStringLiteral("Cha&nnel:"), channel_}}) {
    auto* label = new QLabel(text);
    label->setBuddy(box);
    choice->addWidget(label);
    choice->addWidget(box, box == measure_);
  }
  connect(channel_, &QComboBox::currentIndexChanged, this, &VisitsWindow::schedule);
  // Only the picture changes: the series stands.
  connect(measure_, &QComboBox::currentIndexChanged, this, &VisitsWindow::showSeries);

  matrixView_ = new QTableView;
  matrixView_->setObjectName(QStringLiteral("matrix"));
  matrixView_->setModel(matrixModel_);
  matrixView_->setItemDelegate(new HeatDelegate(matrixView_));
  matrixView_->setSelectionMode(QAbstractItemView::SingleSelection);
  matrixView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  matrixView_->setTabKeyNavigation(false);
  matrixView_->setShowGrid(false);
  // Cells share the room, but never narrower than a visit number in the
  // headers: a long series scrolls, its cells then colours only, each value
  // in its tooltip.
  const int visitNumber = matrixView_->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 6;
  for (QHeaderView* h : {matrixView_->horizontalHeader(), matrixView_->verticalHeader()}) {
    h->setSectionResizeMode(QHeaderView::Stretch);
    h->setMinimumSectionSize(visitNumber);
    h->setDefaultAlignment(Qt::AlignCenter);
  }
  matrixView_->verticalHeader()->setMinimumWidth(visitNumber);
  connect(matrixView_, &QTableView::activated, this,
          [this](const QModelIndex& index) { openPair(index.row(), index.column()); });
  legend_ = new LegendStrip;

  auto* chart = new QChart;
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setAlignment(Qt::AlignBottom);
  QFont small = chart->legend()->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  chart->legend()->setFont(small);
  trend_ = new QChartView(chart);
  trend_->setObjectName(QStringLiteral("trend"));
  trend_->setRenderHint(QPainter::Antialiasing);
  trend_->setMinimumHeight(230);

  auto* layout = new QVBoxLayout(box);
  layout->addLayout(choice);
  layout->addWidget(matrixView_, 3);
  layout->addWidget(legend_);
  layout->addWidget(trend_, 2);
  return box;
}

QWidget* VisitsWindow::buildFooter() {
  auto* footer = new QWidget;
  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("status"));
  status_->setWordWrap(true);
  status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing() + 4);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  progress_ = new QProgressBar;
  progress_->setFormat(QStringLiteral("%v of %m pairs"));
  // Room for the longest text the bar can show, however narrow the window.
  progress_->setMinimumWidth(progress_->fontMetrics().horizontalAdvance(QStringLiteral("00000 of 00000 pairs")) + 40);
  progress_->hide();
  cancel_ = new QPushButton(QStringLiteral("Cancel"));
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, &VisitsWindow::cancel);
  saveVisits_ = button(this, QStringLiteral("Save &Visit Table…"), "saveVisitTable", [this] { saveVisitTable(); });
  savePairs_ = button(this, QStringLiteral("Save &Pair Table…"), "savePairTable", [this] { savePairTable(); });
  saveReport_ = button(this, QStringLiteral("Save R&eport…"), "saveReport", [this] { saveReport(); });
  print_ = button(this, QStringLiteral("Pr&int Report…"), "printReport", [this] { printReport(); });

  // The status on a line of its own, whole at any width; the actions below.
  auto* layout = new QVBoxLayout(footer);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(status_);
  auto* actions = new QHBoxLayout;
  actions->addWidget(progress_);
  actions->addWidget(cancel_);
  actions->addStretch();
  for (QPushButton* b : {saveVisits_, savePairs_, saveReport_, print_}) actions->addWidget(b);
  layout->addLayout(actions);
  return footer;
}

void VisitsWindow::setFileDialog(app::FileDialog* dialog) {
  csvDialog_ = dialog ? dialog : &ownCsv_;
  pdfDialog_ = dialog ? dialog : &ownPdf_;
  listDialog_ = dialog ? dialog : &ownList_;
}

void VisitsWindow::setMessageBox(app::MessageBox* messages) { messages_ = messages ? messages : &ownBox_; }

QStringList VisitsWindow::visits() const { return visitsModel_->paths(); }

const series::Series* VisitsWindow::shownSeries() const { return series_.get(); }

QString VisitsWindow::message() const { return status_->text(); }

visits::VisitsSettings VisitsWindow::settings() const {
  visits::VisitsSettings s;
  s.steps.lower = lower_->value();
  s.steps.upper = upper_->value();
  for (int ch = 0; ch < model::kChannels; ++ch)
    if (smooth_[ch]->isChecked()) s.steps.smooth.push_back(ch);
  s.steps.channel = channel_->currentData().toInt();
  s.steps.threshold = threshold_->text().toStdString();
  s.thresholds = {t1_->value(), t2_->value()};
  s.measure = static_cast<visits::Measure>(measure_->currentIndex());
  s.channel = static_cast<visits::Channel>(*s.steps.channel);
  s.patient = patient_;
  return s;
}

void VisitsWindow::setVisits(const QStringList& paths) {
  if (!std::all_of(paths.begin(), paths.end(), [this](const QString& p) { return stored_.count(p) > 0; })) {
    stored_.clear(), labels_.clear(), patient_.clear();  // files now: no patient's series
  }
  visitsModel_->setPaths(paths);
  listChanged();
}

void VisitsWindow::setStoredVisits(const std::vector<series::ReadVisit>& visits, const QStringList& labels,
                                   const QString& patient) {
  stored_.clear(), labels_.clear();
  QStringList names;
  for (const series::ReadVisit& v : visits) {
    names << QString::fromStdString(v.name);
    stored_[names.back()] = v.read;
    if (names.size() <= labels.size()) labels_[names.back()] = labels[names.size() - 1];
  }
  patient_ = patient.toStdString();
  setVisits(names);
}

void VisitsWindow::addVisits(const QStringList& paths) {
  if (paths.isEmpty()) return;
  visitsModel_->setPaths(visitsModel_->paths() + paths);
  listChanged();
}

void VisitsWindow::listChanged() {
  series_.reset();
  showSeries();
  schedule();
}

void VisitsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (std::exchange(fitted_, true) || !screen()) return;
  // Wholly on the screen it opens on, beside the calculator where there is room.
  const QRect room = screen()->availableGeometry();
  const QSize frame = frameGeometry().size() - size();
  resize(std::min(width(), room.width() - frame.width()), std::min(height(), room.height() - frame.height()));
  move(std::clamp(x(), room.left(), std::max(room.left(), room.right() + 1 - frameGeometry().width())),
       std::clamp(y(), room.top(), std::max(room.top(), room.bottom() + 1 - frameGeometry().height())));
}

void VisitsWindow::closeEvent(QCloseEvent* event) {
  QSettings().setValue(QStringLiteral("visits/size"), size());
  QWidget::closeEvent(event);
}

void VisitsWindow::addWithDialog() {
  QStringList chosen =
      QtFileDialog::askOpenMany(this, app::kScanFilter, QSettings().value(QStringLiteral("visits/folder")).toString());
  if (!chosen.isEmpty())
    QSettings().setValue(QStringLiteral("visits/folder"), QFileInfo(chosen.first()).absolutePath());
  sortNaturally(chosen);
  addVisits(chosen);
}

bool VisitsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == visitsView_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
    removeSelected();
    return true;
  }
  if (watched != visitsView_->viewport()) return QWidget::eventFilter(watched, event);
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
    return QWidget::eventFilter(watched, event);
  auto* drop = static_cast<QDropEvent*>(event);
  QStringList files = draggedFiles(drop->mimeData());
  // Only ever a copy: a move would let the program the files came from delete them.
  if (files.isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) {
    sortNaturally(files);
    QMetaObject::invokeMethod(
        this, [this, files] { addVisits(files); }, Qt::QueuedConnection);
  }
  return true;
}

void VisitsWindow::removeSelected() {
  QList<int> rows;
  for (const QModelIndex& i : visitsView_->selectionModel()->selectedRows()) rows << i.row();
  if (rows.isEmpty()) return;
  std::sort(rows.begin(), rows.end());
  QStringList paths = visitsModel_->paths();
  for (auto r = rows.crbegin(); r != rows.crend(); ++r) paths.removeAt(*r);
  setVisits(paths);
  const int next = std::min(rows.first(), static_cast<int>(paths.size()) - 1);
  if (next >= 0) visitsView_->selectRow(next);
}

void VisitsWindow::moveSelected(int by) {
  QList<int> rows;
  for (const QModelIndex& i : visitsView_->selectionModel()->selectedRows()) rows << i.row();
  QStringList paths = visitsModel_->paths();
  std::sort(rows.begin(), rows.end());
  if (rows.isEmpty() || rows.first() + by < 0 || rows.last() + by >= paths.size()) return;
  // The selected visits move together, one step, the nearest to the end first.
  if (by > 0) std::reverse(rows.begin(), rows.end());
  for (const int r : rows) paths.move(r, r + by);
  setVisits(paths);
  visitsView_->clearSelection();
  for (const int r : rows)
    visitsView_->selectionModel()->select(visitsModel_->index(r + by, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
  visitsView_->selectionModel()->setCurrentIndex(visitsModel_->index(rows.first() + by, 0),
                                                 QItemSelectionModel::NoUpdate);
}

void VisitsWindow::updateButtons() {
  const bool selected = visitsView_->selectionModel() && visitsView_->selectionModel()->hasSelection();
  remove_->setEnabled(selected);
  up_->setEnabled(selected);
  down_->setEnabled(selected);
  saveList_->setEnabled(!visitsModel_->paths().isEmpty());
  for (QPushButton* b : {saveVisits_, savePairs_, saveReport_, print_}) b->setEnabled(bool(series_));
}

void VisitsWindow::schedule() { changed_->start(); }

void VisitsWindow::start() {
  if (watcher_.isRunning()) {  // the one running is out of date: stop it, then start again
    watcher_.cancel();
    again_ = true;
    return;
  }
  series_.reset();
  visitsModel_->setSeries(nullptr);
  const QStringList paths = visitsModel_->paths();
  if (paths.size() < 2) {
    showSeries();
    showMessage(qs(app::messages::visitsTooFew(static_cast<int>(paths.size()), 0)), paths.size() == 1);
    emit seriesShown();
    return;
  }
  computing_ = settings();
  if (const std::string why = series::stepsRefused(computing_.steps, computing_.thresholds); !why.empty()) {
    showSeries();
    showMessage(qs(why), true);
    emit seriesShown();
    return;
  }
  std::vector<std::string> files;
  for (const QString& p : paths) files.push_back(p.toStdString());
  // Scans kept in the records are handed over read; the others are files.
  std::map<std::string, model::ScanRead> stored;
  for (const QString& p : paths)
    if (const auto kept = stored_.find(p); kept != stored_.end()) stored[p.toStdString()] = kept->second;
  const std::size_t pairs = files.size() * (files.size() - 1) / 2;
  watcher_.setFuture(QtConcurrent::run(
      [files, stored, pairs, s = computing_](QPromise<std::shared_ptr<const series::Series>>& promise) {
        promise.setProgressRange(0, static_cast<int>(pairs));
        series::Run run;
        run.cancelled = [&promise] { return promise.isCanceled(); };
        run.progress = [&promise](std::size_t done, std::size_t) { promise.setProgressValue(static_cast<int>(done)); };
        if (stored.empty()) {
          promise.addResult(std::make_shared<const series::Series>(series::compute(files, s.steps, s.thresholds, run)));
          return;
        }
        std::vector<series::ReadVisit> read;
        for (const std::string& f : files) {
          const auto kept = stored.find(f);
          read.push_back({f, kept != stored.end() ? kept->second : model::readScanFile(batch::fullPath(f))});
        }
        promise.addResult(std::make_shared<const series::Series>(series::compute(read, s.steps, s.thresholds, run)));
      }));
  showMessage(QStringLiteral("Computing %1 pairs…").arg(pairs), false);
  progress_->setValue(0);
  slow_->start();
  showSeries();
}

void VisitsWindow::finished() {
  slow_->stop();
  progress_->hide();
  cancel_->hide();
  if (std::exchange(again_, false)) {
    start();
    return;
  }
  const auto result = watcher_.isCanceled() ? nullptr : watcher_.result();
  if (!result) {
    showSeries();
    showMessage(qs(app::messages::visitsCancelled(static_cast<std::size_t>(watcher_.progressValue()),
                                                  static_cast<std::size_t>(watcher_.progressMaximum()))),
                true);
  } else if (result->loaded() < 2) {
    visitsModel_->setSeries(result);  // the rows still show why each visit failed
    showSeries();
    showMessage(qs(app::messages::visitsTooFew(static_cast<int>(result->visits.size()), result->loaded())), true);
  } else {
    series_ = result;
    computed_ = computing_;
    visitsModel_->setSeries(series_);
    showSeries();
    const int unreadable = static_cast<int>(series_->visits.size()) - series_->loaded();
    const int failed = series_->failedPairs();
    const QString text = qs(app::messages::visitsComputed(static_cast<int>(series_->visits.size()),
                                                          static_cast<int>(series_->pairs.size()), unreadable, failed) +
                            " " + series::stepsLine(computed_.steps, computed_.thresholds));
    showMessage(text, failed > 0 || unreadable > 0);
  }
  emit seriesShown();
}

void VisitsWindow::cancel() {
  again_ = false;
  watcher_.cancel();
}

void VisitsWindow::showMessage(const QString& text, bool failure) {
  status_->setText(text);
  status_->setStyleSheet(failure ? QStringLiteral("color: #a00018") : QString());
}

void VisitsWindow::showSeries() {
  // The list at least as wide as its figures, so none is ever out of view.
  visitsView_->resizeColumnsToContents();
  visitsView_->setColumnWidth(VisitsModel::Scan,
                              visitsView_->fontMetrics().horizontalAdvance(QStringLiteral("back_visit10.txt")));
  const QHeaderView* h = visitsView_->horizontalHeader();
  int figures =
      h->minimumSectionSize() + 2 * visitsView_->frameWidth() + visitsView_->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < VisitsModel::Status; ++c) figures += h->sectionSize(c);
  visitsView_->setMinimumWidth(figures);
  const visits::VisitsSettings shown = reportSettings();
  matrixModel_->show(series_, shown.measure, shown.channel);
  // Pairs stand above the diagonal: visit 1 is never the later, the last
  // visit never the earlier.
  const int n = matrixModel_->rowCount();
  for (int i = 0; i < n; ++i) {
    matrixView_->setRowHidden(i, i == n - 1);
    matrixView_->setColumnHidden(i, i == 0);
  }
  legend_->setScale(matrixModel_->scale());
  showTrend();
  updateButtons();
}

void VisitsWindow::showTrend() {
  QChart* chart = trend_->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  const visits::VisitsSettings shown = settings();
  chart->setTitle(QStringLiteral("%1, %2").arg(QString::fromUtf8(visits::measureName(shown.measure)),
                                               QString::fromUtf8(visits::channelName(shown.channel))));
  if (!series_) return;
  const visits::Trend trend = visits::trendOf(*series_, shown.measure, shown.channel);
  const auto axis = [chart](const visits::Axis& a, const QString& title, Qt::Alignment side) {
    auto* v = new QValueAxis;
    v->setTitleText(title);
    v->setRange(a.lo, a.hi);
    v->setTickType(QValueAxis::TicksDynamic);
    v->setTickAnchor(a.lo);
    v->setTickInterval(a.step);
    v->setLabelFormat(QStringLiteral("%.%1f").arg(a.decimals));
    chart->addAxis(v, side);
    return v;
  };
  QAbstractAxis* xAxis = axis(trend.visits, QStringLiteral("visit"), Qt::AlignBottom);
  QStringList labels;  // the visits by their dates, when all are named
  for (const series::Visit& v : series_->visits)
    if (const auto l = labels_.find(QString::fromStdString(v.path)); l != labels_.end()) labels << l->second;
  if (!labels.isEmpty() && labels.size() == static_cast<qsizetype>(series_->visits.size())) {
    auto* dates = new QCategoryAxis;
    dates->setTitleText(QStringLiteral("visit"));
    dates->setRange(trend.visits.lo, trend.visits.hi);
    dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (qsizetype i = 0; i < labels.size(); ++i) dates->append(labels[i], static_cast<double>(i + 1));
    chart->removeAxis(xAxis);
    delete xAxis;
    chart->addAxis(dates, Qt::AlignBottom);
    xAxis = dates;
  }
  const char* unit = visits::scaleOf(shown.measure).unit;
  QValueAxis* yAxis = axis(trend.values,
                           QString::fromUtf8(visits::measureName(shown.measure)) +
                               (*unit ? QStringLiteral(" (%1)").arg(QString::fromUtf8(unit)) : QString()),
                           Qt::AlignLeft);
  QValueAxis* counts = axis(trend.counts, QStringLiteral("points"), Qt::AlignRight);
  for (const visits::TrendLine& l : trend.lines) {
    QPen pen(rgb(l.colour), l.counts ? 1.5 : 2.0);
    if (l.counts) pen.setStyle(Qt::DashLine);
    bool named = false;
    auto runs = l.runs();
    if (runs.empty()) runs.emplace_back();  // still in the legend
    for (const auto& run : runs) {          // a line of its own for each run: a gap at a visit without a value
      auto* line = new QLineSeries;
      line->setName(QString::fromUtf8(l.name));
      line->setPen(pen);
      line->setPointsVisible(true);
      line->setMarkerSize(l.counts || trend.visits.hi > 15 ? 4 : 7);
      for (const auto& [x, y] : run) line->append(x, y);
      chart->addSeries(line);
      line->attachAxis(xAxis);
      line->attachAxis(l.counts ? counts : yAxis);
      chart->legend()->markers(line).front()->setVisible(!std::exchange(named, true));
    }
  }
}

void VisitsWindow::openPair(int earlier, int later) {
  if (!main_ || !series_ || earlier < 0 || earlier >= later || later >= static_cast<int>(series_->visits.size()))
    return;
  if (const series::Pair& p = series_->pair(earlier, later); !p.outcome.ok) {
    const visits::Cell c = visits::cellOf(p, visits::Measure::Correlation, visits::Channel::Left);
    messages_->show(app::messages::pairFailed(earlier + 1, later + 1, c.text), app::kErrorTitle);
    return;
  }
  batch::Comparison c;
  c.scan1 = series_->visits[static_cast<std::size_t>(earlier)].path;
  c.scan2 = series_->visits[static_cast<std::size_t>(later)].path;
  main_->openComparison(batch::actionsOf(c, computed_.steps));
  main_->raise();
  main_->activateWindow();
}

bool VisitsWindow::saveText(const std::string& what, const std::string& filter, const std::string& name,
                            const std::string& bytes, app::FileDialog& dialog) {
  const std::string path = dialog.ask(app::DialogKind::Save, filter, name);
  if (path.empty()) return false;
  const output::Saved saved = output::saveFile(path, bytes);
  if (!saved.ok()) messages_->show(app::messages::cannotWrite(what, path, saved.reason), app::kErrorTitle);
  return saved.ok();
}

void VisitsWindow::saveVisitTable() {
  if (series_) saveText("visit table", kCsvFilter, "visits.csv", series::visitTable(*series_), *csvDialog_);
}

void VisitsWindow::savePairTable() {
  if (series_) saveText("pair table", kCsvFilter, "pairs.csv", series::pairTable(*series_), *csvDialog_);
}

visits::VisitsSettings VisitsWindow::reportSettings() const {
  visits::VisitsSettings s = computed_;
  s.measure = static_cast<visits::Measure>(measure_->currentIndex());
  return s;
}

void VisitsWindow::saveReport() {
  if (!series_) return;
  const visits::VisitsSettings s = reportSettings();
  const std::string path = pdfDialog_->ask(app::DialogKind::Save, kPdfFilter, "visits_report.pdf");
  if (path.empty()) return;
  const output::Saved saved = visits::saveVisitsReportPdf(*series_, s, path);
  if (!saved.ok()) messages_->show(app::messages::cannotWrite("report", path, saved.reason), app::kErrorTitle);
}

void VisitsWindow::printReport() {
  if (!series_) return;
  QPrinter printer;
  if (askPrinter(printer, this)) printReport(printer);
}

void VisitsWindow::printReport(QPrinter& printer) {
  if (!series_) return;
  const visits::VisitsSettings s = reportSettings();
  printer.setFullPage(true);
  QPainter painter;
  if (!beginPrinting(painter, printer, *messages_)) return;
  visits::paintVisitsReport(painter, QRect(0, 0, printer.width(), printer.height()), printer.resolution(), *series_, s,
                            app::localDateTime(), [&printer] { printer.newPage(); });
}

void VisitsWindow::openList() {
  const std::string path = listDialog_->ask(app::DialogKind::Open, kListFilter, "visits.txt");
  if (path.empty()) return;
  QFile file(qs(path));
  if (!file.open(QIODevice::ReadOnly)) {
    messages_->show(app::messages::cannotReadList(path, file.errorString().toStdString()), app::kErrorTitle);
    return;
  }
  const std::string text = file.readAll().toStdString();
  QStringList paths;
  for (const std::string& p : series::readVisitList(text, QFileInfo(qs(path)).absolutePath().toStdString()))
    paths << qs(p);
  setVisits(paths);
}

void VisitsWindow::saveList() {
  const std::string path = listDialog_->ask(app::DialogKind::Save, kListFilter, "visits.txt");
  if (path.empty()) return;
  std::vector<std::string> paths;
  for (const QString& p : visitsModel_->paths()) paths.push_back(QFileInfo(p).absoluteFilePath().toStdString());
  const std::string text = series::visitListText(paths, QFileInfo(qs(path)).absolutePath().toStdString());
  const output::Saved saved = output::saveFile(path, text);
  if (!saved.ok()) messages_->show(app::messages::cannotWrite("list of visits", path, saved.reason), app::kErrorTitle);
}

}  // namespace varnel::qt
