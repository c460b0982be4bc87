#pragma once
// The results of comparisons as text: the table printed for one comparison
// and the summary CSV, a header and one row per comparison.
#include <string>
#include <vector>

#include "batch/comparison.hpp"

namespace varnel::batch {

// Rows of cells in columns two blanks apart, each as wide as its widest cell.
std::string alignedTable(const std::vector<std::vector<std::string>>& rows);

// The fifteen results as a table for a reader.
std::string resultTable(const Outcome& o);

// One CSV field, quoted when it needs to be.
std::string csvField(const std::string& text);
// ",Area Ratio Lft,...,t % Rt": the fifteen results' column names.
std::string resultColumns();
// "status,message," then the fifteen results, as CSV fields.
std::string outcomeFields(const Outcome& o);
std::string summaryHeader();
// line: the pair's line in the list (0 for a comparison of the command line).
std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o);

}  // namespace varnel::batch
