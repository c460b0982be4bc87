#pragma once
// The Visits window: a patient's scans in visit order, the steps of a
// comparison, and the series they give, as a matrix of every pair and a
// trend over the visits; the tables and the visits report saved or printed.
// Any change to the list or the steps computes the series again with Qt
// Concurrent: the window stays responsive, a progress bar shows once a
// computation has taken 100 ms, and it can be cancelled. A double click on
// a pair opens it in the main window, the earlier visit as File 1.
#include <QFutureWatcher>
#include <QStringList>
#include <QWidget>
#include <map>
#include <memory>

#include "qt/dialogs.hpp"
#include "series/series.hpp"
#include "visits/visits_report.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;
class QChartView;

namespace varnel::qt {

class MainWindow;
class VisitsModel;
class MatrixModel;
class LegendStrip;

class VisitsWindow : public QWidget {
  Q_OBJECT

 public:
  // `main` opens the pairs; none: double clicks open nothing.
  explicit VisitsWindow(MainWindow* main, QWidget* parent = nullptr);
  ~VisitsWindow() override;

  // The list of visits: replaced, or added to at its end in the order given.
  void setVisits(const QStringList& paths);
  void addVisits(const QStringList& paths);
  QStringList visits() const;
  // A patient's visits kept in the records, in date order: each scan already
  // read, under its name; `labels` name the visits along the trend, and
  // `patient` heads the report.
  void setStoredVisits(const std::vector<series::ReadVisit>& visits, const QStringList& labels, const QString& patient);

  // The series on show; none while one computes, after a cancel, or when
  // fewer than two visits could be loaded.
  const series::Series* shownSeries() const;
  bool busy() const { return watcher_.isRunning(); }
  visits::VisitsSettings settings() const;
  // What the line under the tables says now.
  QString message() const;

  // Where saves ask and failures are told; Qt's own until set.
  void setFileDialog(app::FileDialog* dialog);
  void setMessageBox(app::MessageBox* messages);

  // The window's actions, as its buttons run them.
  void addWithDialog();
  void openList();
  void saveList();
  void saveVisitTable();
  void savePairTable();
  void saveReport();
  // The settings the series was computed with, and the matrix on show.
  visits::VisitsSettings reportSettings() const;
  void printReport();
  void printReport(QPrinter& printer);
  void cancel();
  // Opens pair (earlier, later) in the main window with the steps applied.
  void openPair(int earlier, int later);

  QTableView* visitsView() const { return visitsView_; }
  QTableView* matrixView() const { return matrixView_; }
  QComboBox* measureBox() const { return measure_; }
  // The one channel of the comparisons, the matrix, the trend and the mean difference.
  QComboBox* channelBox() const { return channel_; }
  QProgressBar* progressBar() const { return progress_; }

 signals:
  // A computation ended: its series shown, or cancelled, or refused.
  void seriesShown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildVisits();
  QWidget* buildSteps();
  QWidget* buildMatrix();
  QWidget* buildFooter();
  void listChanged();
  void schedule();
  void start();
  void finished();
  void showSeries();
  void showTrend();
  void showMessage(const QString& text, bool failure);
  void moveSelected(int by);
  void removeSelected();
  void updateButtons();
  bool saveText(const std::string& what, const std::string& filter, const std::string& name, const std::string& bytes,
                app::FileDialog& dialog);

  MainWindow* main_;
  std::map<QString, model::ScanRead> stored_;  // kept scans by visit name
  std::map<QString, QString> labels_;           // their names along the trend
  std::string patient_;
  VisitsModel* visitsModel_;
  MatrixModel* matrixModel_;
  QTableView* visitsView_ = nullptr;
  QTableView* matrixView_ = nullptr;
  LegendStrip* legend_ = nullptr;
  QChartView* trend_ = nullptr;
  QSpinBox *lower_ = nullptr, *upper_ = nullptr;
  QComboBox* channel_ = nullptr;
  QCheckBox* smooth_[3] = {};
  QLineEdit* threshold_ = nullptr;
  QDoubleSpinBox *t1_ = nullptr, *t2_ = nullptr;
  QComboBox* measure_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton *remove_ = nullptr, *up_ = nullptr, *down_ = nullptr, *saveList_ = nullptr;
  QPushButton *saveVisits_ = nullptr, *savePairs_ = nullptr, *saveReport_ = nullptr, *print_ = nullptr;

  QTimer* changed_;  // coalesces a burst of changes into one computation
  QTimer* slow_;     // shows the progress bar once a computation takes long
  QFutureWatcher<std::shared_ptr<const series::Series>> watcher_;
  visits::VisitsSettings computing_;  // what the running computation was given
  bool again_ = false;                // the inputs changed while a computation ran
  bool fitted_ = false;               // placed on its screen once
  std::shared_ptr<const series::Series> series_;
  visits::VisitsSettings computed_;  // what series_ was computed with

  QtFileDialog ownCsv_{QStringLiteral("csv")}, ownPdf_{QStringLiteral("pdf")}, ownList_{QStringLiteral("txt")};
  QtMessageBox ownBox_;
  app::FileDialog *csvDialog_ = &ownCsv_, *pdfDialog_ = &ownPdf_, *listDialog_ = &ownList_;
  app::MessageBox* messages_ = &ownBox_;
};

}  // namespace varnel::qt
