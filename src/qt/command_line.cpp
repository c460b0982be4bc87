#include "qt/command_line.hpp"

#include <QByteArrayView>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/layout.hpp"

namespace varnel::qt {

namespace {

constexpr qsizetype kMaxScans = 2;

// Refused the way QCommandLineParser::process() refuses, with the status
// of a usage error.
CommandLine refused(const QString& why) {
  std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(why));
  return {{}, false, 2};
}

}  // namespace

bool asksForHelpOrVersion(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const QByteArrayView arg(argv[i]);
    if (arg != "-h" && arg != "--help" && arg != "-?" && arg != "-v" && arg != "--version") return false;
  }
  return argc > 1;
}

CommandLine readCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(app::kTitle));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption visits(QStringLiteral("visits"),
                                  QStringLiteral("Open the Visits window with every FILE as a visit, in the order "
                                                 "given (visit 1 the baseline), instead of File 1 and File 2."));
  parser.addOption(visits);
  // Shown as "[FILE1 [FILE2]]".
  parser.addPositionalArgument(QStringLiteral("FILE1"), QStringLiteral("scan opened as File 1"),
                               QStringLiteral("[FILE1"));
  parser.addPositionalArgument(QStringLiteral("FILE2"), QStringLiteral("scan opened as File 2"),
                               QStringLiteral("[FILE2]]"));

  if (!parser.parse(arguments)) return refused(parser.errorText());
  if (parser.isSet(version)) {
    // The full title, which the application's name (kept short for the
    // window titles) is not.
    std::printf("%s %s\n", app::kTitle, qPrintable(QCoreApplication::applicationVersion()));
    return {{}, false, 0};
  }
  // Qt prints the help (--help-all adds its own options) and ends the
  // program with status 0.
  if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) parser.process(arguments);

  const QStringList names = parser.positionalArguments();
  CommandLine line;
  line.visits = parser.isSet(visits);
  if (!line.visits && names.size() > kMaxScans)
    return refused(QStringLiteral("Too many arguments: at most two scan files (or --visits)."));
  // The path a file dialog returns: whole, without "." or "..".
  for (const QString& name : names) line.scans << QDir::cleanPath(QDir::current().absoluteFilePath(name));
  return line;
}

}  // namespace varnel::qt
