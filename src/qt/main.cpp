// The calculator's program: one window over the form, real dialogs.
#include <QApplication>

#include "qt/command_line.hpp"
#include "qt/program.hpp"

int main(int argc, char* argv[]) {
  if (varnel::qt::asksForHelpOrVersion(argc, argv)) {
    // Answered without starting the windowing system, so a terminal with
    // no display gets them too.
    QCoreApplication app(argc, argv);
    varnel::qt::nameApplication();
    return varnel::qt::readCommandLine(QCoreApplication::arguments()).exitStatus.value_or(2);
  }
  QApplication app(argc, argv);
  varnel::qt::setUpApplication();
  const varnel::qt::CommandLine line = varnel::qt::readCommandLine(QCoreApplication::arguments());
  if (line.exitStatus) return *line.exitStatus;
  varnel::qt::Program program;
  program.window.show();
  // Opened once the window is up, so a box about a scan that cannot be
  // read stands over it.
  if (line.visits)
    QMetaObject::invokeMethod(
        &program.window, [&] { program.window.openVisits(line.scans); }, Qt::QueuedConnection);
  else if (!line.scans.isEmpty())
    QMetaObject::invokeMethod(
        &program.window, [&] { program.openScans(line.scans); }, Qt::QueuedConnection);
  return QApplication::exec();
}
