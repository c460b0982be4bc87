// varnel-records: the clinic's records from the command line.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/records_command.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Standard error carries the program's messages, not Qt's notes.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
  });
  int qtArgc = 1;
  QCoreApplication app(qtArgc, argv);
  // The window's name, so that both find the records in the same data folder.
  QCoreApplication::setApplicationName(QStringLiteral("varnel"));
  return varnel::cli::runRecords(args, std::cout, std::cerr);
}
