// Loaded into the real program by the tests (QT_QPA_GENERIC_PLUGINS=varnelprobe) to see it from outside, as a user
// would, with nothing added to the program for them. Each box that comes up is printed, "box=TITLE|TEXT|" and whether
// its window is up, and closed. Once the program has run all it posted before the probe began, with no box up, every
// named widget of the main window is printed, "NAME=TEXT"; the chart is saved as $VARNEL_PROBE_CHART; then it quits.
#include <QGenericPlugin>
#include <QtWidgets>
#include <cstdio>

namespace {

QString oneLine(QString text) { return text.replace('\n', ' '); }

class Probe : public QObject {
 public:
  Probe() {
    connect(&tick_, &QTimer::timeout, this, &Probe::look);
    tick_.start(20);
  }

 private:
  void look() {
    if (QWidget* up = QApplication::activeModalWidget()) {
      const auto* box = qobject_cast<QMessageBox*>(up);
      const bool over = up->parentWidget() && up->parentWidget()->isVisible();
      std::printf("box=%s|%s|%s\n", qPrintable(up->windowTitle()), qPrintable(oneLine(box ? box->text() : "")),
                  over ? "over the window" : "alone");
      up->close();
      return;
    }
    if (posted_ || !window() || !window()->isVisible()) return;
    // Queued behind what the program posted at its start; a box up by then means it is not done.
    posted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { posted_ = false, QApplication::activeModalWidget() ? void() : show(); }, Qt::QueuedConnection);
  }
  static QMainWindow* window() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* main = qobject_cast<QMainWindow*>(w)) return main;
    return nullptr;
  }
  void show() {
    for (const QWidget* w : window()->findChildren<QWidget*>()) {
      QString text;
      if (const auto* box = qobject_cast<const QLineEdit*>(w)) text = box->text();
      else if (const auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
      else if (const auto* frame = qobject_cast<const QGroupBox*>(w)) text = frame->title();
      else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
      if (!w->objectName().isEmpty()) std::printf("%s=%s\n", qPrintable(w->objectName()), qPrintable(oneLine(text)));
    }
    if (QWidget* chart = window()->findChild<QWidget*>("Picture1"))
      chart->grab().save(qEnvironmentVariable("VARNEL_PROBE_CHART"), "PNG");
    std::fflush(stdout);
    QCoreApplication::quit();
  }

  QTimer tick_;
  bool posted_ = false;
};

}  // namespace

class ProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe_plugin.json")

 public:
  QObject* create(const QString&, const QString&) override { return new Probe; }
};

#include "probe_plugin.moc"
