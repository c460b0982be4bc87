// varnel-startup-probe [SCAN1 SCAN2]
// Starts the calculator as its program does, shows the window and, when the
// chart view gets its first paint, prints how long the start took and the
// peak memory, then exits. With two scans, they are loaded as File 1 and
// File 2 (the file dialog answered in advance, as a dropped file is) and
// the four calculations run before the window is shown.
//
// Output, one "key=value" a line:
//   start_to_paint_ms  since the process started; "clock" says from what:
//                      process-start (the kernel's start time of the process,
//                      in clock ticks of 10 ms on most systems: the figure may
//                      be up to one tick high) or main (when /proc cannot be
//                      read: the time before main() is then missing)
//   main_to_paint_ms   since the probe's own code began (just before main()),
//                      to the microsecond
//   peak_rss_kib       the resident set's high-water mark (VmHWM)
//   chart_shown        yes when the window's backing store holds the chart
//                      surface pixel for pixel (so the paint timed was the
//                      real one), unknown when the platform keeps no image
#include <unistd.h>

#include <QApplication>
#include <QBackingStore>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "qt/chart_view.hpp"
#include "qt/program.hpp"
#include "picture/chart_picture.hpp"

namespace {

double seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const double mainStarted = seconds(CLOCK_MONOTONIC);

// Seconds since the process started, or a negative value when unknown.
// Field 22 of /proc/self/stat is the start time in clock ticks after boot;
// the command name in field 2 may hold blanks and parentheses, so fields
// are counted from the last ')'.
double sinceProcessStart() {
  std::ifstream in("/proc/self/stat");
  std::string stat;
  if (!std::getline(in, stat)) return -1;
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int n = 3; n <= 22; ++n)
    if (!(fields >> field)) return -1;
  const long ticks = sysconf(_SC_CLK_TCK);
  if (ticks <= 0) return -1;
  char* end = nullptr;
  const unsigned long long start = std::strtoull(field.c_str(), &end, 10);
  if (end == field.c_str() || *end != '\0') return -1;
  return seconds(CLOCK_BOOTTIME) - static_cast<double>(start) / static_cast<double>(ticks);
}

long peakKib() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// "yes", "no" or "unknown": whether the window shows the surface's pixels
// inside the chart's 1-pixel border.
const char* chartShown(varnel::qt::Program& program) {
  const auto* shot = dynamic_cast<const QImage*>(program.window.backingStore()->paintDevice());
  if (!shot) return "unknown";
  if (shot->devicePixelRatio() != 1.0) return "unknown";
  const QImage want = varnel::picture::chartImage(program.form.Picture1);
  const QPoint at = program.window.chart()->mapTo(&program.window, QPoint(1, 1));
  if (!shot->rect().contains(QRect(at, want.size()))) return "no";
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x)
      if ((shot->pixel(at.x() + x, at.y() + y) & 0xFFFFFFu) != (want.pixel(x, y) & 0xFFFFFFu)) return "no";
  return "yes";
}

// Lets the first paint event through at once, inside the paint that brought
// it, so the time taken afterwards includes the chart's own drawing.
class FirstPaint : public QObject {
 public:
  double atProcess = -1, atMain = -1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, event);
    atProcess = sinceProcessStart();
    atMain = seconds(CLOCK_MONOTONIC) - mainStarted;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 1 && args.size() != 3) {
    std::fprintf(stderr, "usage: varnel-startup-probe [SCAN1 SCAN2]\n");
    return 2;
  }
  // A message box (a scan that does not load) would wait for a user
  // forever, and so would a window that is never painted.
  QTimer modal;
  QObject::connect(&modal, &QTimer::timeout, [] {
    QWidget* up = QApplication::activeModalWidget();
    if (!up) return;
    const auto* box = qobject_cast<QMessageBox*>(up);
    std::fprintf(stderr, "varnel-startup-probe: a dialog came up: %s\n",
                 qPrintable(box ? box->text() : up->windowTitle()));
    std::fflush(stderr);
    std::_Exit(1);
  });
  modal.start(50);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    std::fprintf(stderr, "varnel-startup-probe: no first paint within 30 s\n");
    std::fflush(stderr);
    std::_Exit(3);
  });
  watchdog.start(30000);

  varnel::qt::setUpApplication();
  varnel::qt::Program program;

  if (args.size() == 3) {
    const char* menu[] = {"fileopen", "fileopen2"};
    for (int i = 0; i < 2; ++i) {
      program.dialog.answerOnce(args[i + 1]);
      program.form.click(menu[i]);
      program.dialog.forgetAnswer();
      if (program.form.pointCount(i + 1) <= 0) {
        std::fprintf(stderr, "varnel-startup-probe: %s did not load\n", qPrintable(args[i + 1]));
        return 1;
      }
    }
    for (const char* calc : {"CalcArea", "CalcSlope", "CalcCorrelation", "Quil_Tesk"}) program.form.click(calc);
    program.window.refresh();
  }

  FirstPaint probe;
  program.window.chart()->installEventFilter(&probe);
  program.window.show();
  QApplication::exec();
  if (probe.atMain < 0) {
    std::fprintf(stderr, "varnel-startup-probe: the chart was never painted\n");
    return 1;
  }
  const bool fromStart = probe.atProcess >= 0;
  std::printf("start_to_paint_ms=%.1f clock=%s\n", 1000.0 * (fromStart ? probe.atProcess : probe.atMain),
              fromStart ? "process-start" : "main");
  std::printf("main_to_paint_ms=%.3f\n", 1000.0 * probe.atMain);
  std::printf("peak_rss_kib=%ld\n", peakKib());
  const char* shown = chartShown(program);
  std::printf("chart_shown=%s\n", shown);
  return std::string(shown) == "no" ? 1 : 0;
}
