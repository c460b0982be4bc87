// Loaded into the real program by the tests (QT_QPA_GENERIC_PLUGINS=varnelprobe) to see it from outside, with nothing
// added to the program for them. Each box that comes up is printed, "box=TITLE|TEXT|" and whether its window is up, and
// closed. Once the program has run what it posted before the probe began, with no box up, each named widget of the
// main window is printed, "NAME=TEXT", then any other window with the rows of its lists, the chart saved as $VARNEL_PROBE_CHART, and the program told to quit.
#include <QGenericPlugin>
#include <QtWidgets>
#include <cstdio>

namespace {

QString oneLine(QString text) { return text.replace('\n', ' '); }

QMainWindow* mainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* main = qobject_cast<QMainWindow*>(w)) return main;
  return nullptr;
}

void showAndQuit(QMainWindow* window) {
  for (const QWidget* w : window->findChildren<QWidget*>())
    if (!w->objectName().isEmpty())
      std::printf("%s=%s\n", qPrintable(w->objectName()),
                  qPrintable(oneLine(w->property(qobject_cast<const QGroupBox*>(w) ? "title" : "text").toString())));
  // Any other window up, and the rows of its named lists.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != window && w->isVisible() && !w->windowTitle().isEmpty()) {
      std::printf("window=%s\n", qPrintable(w->windowTitle()));
      for (const QAbstractItemView* v : w->findChildren<QAbstractItemView*>())
        if (!v->objectName().isEmpty() && v->model())
          std::printf("%s.rows=%d\n", qPrintable(v->objectName()), v->model()->rowCount());
    }
  if (QWidget* chart = window->findChild<QWidget*>("Picture1"))
    chart->grab().save(qEnvironmentVariable("VARNEL_PROBE_CHART"));
  std::fflush(stdout);
  QCoreApplication::quit();
}

class Probe : public QObject {
  QTimer tick_;
  bool posted_ = false;

 public:
  Probe() {
    connect(&tick_, &QTimer::timeout, this, [this] {
      if (QWidget* up = QApplication::activeModalWidget()) {
        const auto* box = qobject_cast<QMessageBox*>(up);
        std::printf("box=%s|%s|%s\n", qPrintable(up->windowTitle()), qPrintable(oneLine(box ? box->text() : "")),
                    up->parentWidget() && up->parentWidget()->isVisible() ? "over the window" : "alone");
        up->close();
      } else if (QMainWindow* window = mainWindow(); window && window->isVisible() && !posted_) {
        // Queued behind what the program posted at its start; a box up by then means it is not done.
        posted_ = true;
        QMetaObject::invokeMethod(
            this, [this, window] { posted_ = false, QApplication::activeModalWidget() ? void() : showAndQuit(window); },
            Qt::QueuedConnection);
      }
    });
    tick_.start(20);
  }
};

}  // namespace

class ProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe_plugin.json")

 public:
  QObject* create(const QString&, const QString&) override { return new Probe; }
};

#include "probe_plugin.moc"
