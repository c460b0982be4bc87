#pragma once
// The list of pairs of a --pairs run: one comparison per line
// "scan1,scan2,stem", CSV fields, with blank lines, comments and an optional
// header left out.
#include <string>
#include <utility>
#include <vector>

#include "batch/comparison.hpp"

namespace varnel::batch {

// The lines of a list file that say something, with their numbers (from 1):
// LF or CR LF ends a line; blank lines and lines starting with # (after
// blanks) are left out.
std::vector<std::pair<int, std::string>> listLines(const std::string& text);

// The fields of one CSV line: separated by commas, blanks around a field
// dropped, a field in double quotes may hold commas (a quote doubled
// inside). False for an unterminated quote or text after a closing quote.
bool splitFields(const std::string& line, std::vector<std::string>& fields);

// One line of a list of pairs.
struct PairLine {
  int line = 0;
  std::vector<std::string> fields;
  std::string error;  // why the line cannot be split into fields
};
// Splits the list into its pairs' lines: blank lines, comments and the
// optional header are left out.
std::vector<PairLine> readPairLines(const std::string& text);

// A line of the list as a comparison writing the outputs asked for next to
// its stem.
struct ListedPair {
  int line = 0;
  Comparison c;
  std::string stem;
  std::string error;  // why the line is no pair; its scans are kept for the summary
};
ListedPair listedPair(const PairLine& p, const PairOutputs& outputs);

}  // namespace varnel::batch
