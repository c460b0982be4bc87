// varnel-visits-screenshot OUT.png [--report OUT.pdf] [--size WxH] SCAN...
// Builds the Visits window off screen with the given scans as its visits,
// waits for their series and saves a picture of the window, and the visits
// report when asked.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>

#include "qt/program.hpp"
#include "qt/visits_window.hpp"

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: varnel-visits-screenshot OUT.png SCAN...\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  varnel::qt::setUpApplication();
  varnel::qt::Program program;
  program.window.show();
  QStringList scans;
  std::string report;
  QSize size;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--report" && i + 1 < argc)
      report = argv[++i];
    else if (std::string(argv[i]) == "--size" && i + 1 < argc)
      std::sscanf(argv[++i], "%dx%d", &size.rwidth(), &size.rheight());
    else
      scans << QString::fromLocal8Bit(argv[i]);
  }
  varnel::qt::VisitsWindow* visits = program.window.visitsWindow();
  QEventLoop wait;
  QObject::connect(visits, &varnel::qt::VisitsWindow::seriesShown, &wait, &QEventLoop::quit);
  QTimer::singleShot(60000, &wait, &QEventLoop::quit);
  QElapsedTimer clock;
  clock.start();
  program.window.openVisits(scans);
  wait.exec();
  std::fprintf(stderr, "%lld visits on screen after %lld ms\n", static_cast<long long>(scans.size()),
               static_cast<long long>(clock.elapsed()));
  if (size.isValid()) visits->resize(size);
  QApplication::processEvents();
  if (!visits->grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "varnel-visits-screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  if (!report.empty() && visits->shownSeries()) {
    const varnel::output::Saved saved =
        varnel::visits::saveVisitsReportPdf(*visits->shownSeries(), visits->reportSettings(), report);
    if (!saved.ok()) std::fprintf(stderr, "varnel-visits-screenshot: %s\n", saved.reason.c_str());
    return saved.ok() ? 0 : 1;
  }
  return 0;
}
