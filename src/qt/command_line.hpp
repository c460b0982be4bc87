#pragma once
// What the calculator is asked for on its command line, after Qt has taken
// its own options (-platform, -style, ...): help, its version, or the scans
// to open at start, as File 1 and File 2 or as a series of visits.
#include <QStringList>
#include <optional>

namespace varnel::qt {

struct CommandLine {
  // Absolute paths: File 1, then File 2; with --visits, the visits in order.
  QStringList scans;
  bool visits = false;  // open the scans in the Visits window
  // Set when the program ends here: help or version printed (0), or the
  // arguments refused with a message on standard error (2).
  std::optional<int> exitStatus;
};

// Whether argv holds nothing but --help and --version, which need no
// display: the caller may answer them under a QCoreApplication. Anything
// else, a Qt option (-platform) or --help-all (which lists the options of
// the Qt that shows windows) among them, needs the QApplication.
bool asksForHelpOrVersion(int argc, char* argv[]);

// `arguments` as QCoreApplication::arguments() gives them, the program's
// name first. Relative names are taken from the current folder.
CommandLine readCommandLine(const QStringList& arguments);

}  // namespace varnel::qt
