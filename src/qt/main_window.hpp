#pragma once
// The calculator's window in Qt Widgets: a thin view over app::Form.
// Every control is built from the table in app/layout.hpp and named after
// it ("Pntnum(1)", "VScroll2", see controlName()). Clicks, bar moves by the
// user and typing are forwarded to the form, and after each of them every
// widget is refreshed from the form with its signals blocked, so showing a
// value never runs a handler. All behaviour lives in the form.
// A scan file dropped on a file-name box is opened as that file by the
// same handler a click runs, with the Qt file dialog answered in advance.
#include <QMainWindow>
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

#include "app/form.hpp"
#include "app/layout.hpp"
#include "batch/comparison.hpp"

class QMenu;

namespace varnel::qt {

class ChartView;
class QtFileDialog;
class VisitsWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(app::Form& form, QWidget* parent = nullptr);

  // Shows what the form holds now: texts, captions, bars and the chart.
  void refresh();

  // The dialog the form asks, answered with a dropped file's path; drops
  // are refused until it is set.
  void setFileDialog(QtFileDialog* dialog) { dialog_ = dialog; }

  QMenu* fileMenu() const { return fileMenu_; }
  QMenu* visitsMenu() const { return visitsMenu_; }
  // Its "Open &Patients…" item ("openPatients") is wired by the program.
  QMenu* patientsMenu() const { return patientsMenu_; }

  // The Visits window beside this one, made on first use; shown.
  VisitsWindow* visitsWindow();
  // The Visits window with `files` as its visits, in the order given.
  void openVisits(const QStringList& files);

  // Runs a comparison's actions on the form, each file question answered as
  // the action says, then shows the outcome. Needs the file dialog.
  void openComparison(const std::vector<batch::Action>& actions);
  ChartView* chart() const { return chart_; }
  QWidget* control(std::string_view name, int index = -1) const;

  // The object name of a control's widget: "Label3", "Filename(1)".
  static QString controlName(std::string_view name, int index = -1);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Bound {
    const app::ControlDef* def;
    QWidget* widget;
  };

  QWidget* build(const app::ControlDef& def, QWidget* parent);
  void forward(const std::function<void()>& event);
  void showControl(const Bound& control);
  bool fileDrop(const Bound& control, QEvent* event);
  void openDropped(int index, const QString& path);

  app::Form& form_;
  std::vector<Bound> controls_;
  QMenu* fileMenu_ = nullptr;
  QMenu* visitsMenu_ = nullptr;
  QMenu* patientsMenu_ = nullptr;
  VisitsWindow* visits_ = nullptr;
  ChartView* chart_ = nullptr;
  QtFileDialog* dialog_ = nullptr;
  QWidget* pressed_ = nullptr;  // the file-name box a left button went down on
};

}  // namespace varnel::qt
