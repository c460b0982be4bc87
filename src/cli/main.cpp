// varnel-batch: the calculator's window logic run from the command line.
#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/run.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Reports lay out text, which needs Qt's fonts; no window is ever shown,
  // and Qt's own options must not take any of ours.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Standard error carries the window's messages and nothing else: not Qt's
  // notes on its environment.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
  });
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  // The window's name, so that the records are found in the same data folder.
  QCoreApplication::setApplicationName(QStringLiteral("varnel"));
  return varnel::cli::run(args, std::cout, std::cerr);
}
