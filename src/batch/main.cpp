// varnel-batch: the calculator's window logic run from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "batch/run.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return varnel::batch::run(args, std::cout, std::cerr);
}
