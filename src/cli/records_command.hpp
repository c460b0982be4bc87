#pragma once
// varnel-records: the clinic's records from the command line.
#include <iosfwd>
#include <string>
#include <vector>

namespace varnel::cli {

// Arguments after the program name; returns the exit status: 0 when all
// went well, 1 when something failed, 2 for a command line it does not take.
int runRecords(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string recordsHelpText();

}  // namespace varnel::cli
