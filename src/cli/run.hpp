#pragma once
// The whole of varnel-batch: the command line read, then one comparison of
// FILE1 FILE2 or one per line of a list of pairs, run side by side.
#include <iosfwd>
#include <string>
#include <vector>

namespace varnel::cli {

// Arguments after the program name; returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace varnel::cli
