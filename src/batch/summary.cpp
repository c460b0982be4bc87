// The result table and the summary CSV.
#include "batch/summary.hpp"

#include <algorithm>

namespace varnel::batch {

using output::kReportColumnNames;
using output::kReportRowNames;
using Row = std::array<std::string, output::kReportColumns>;

std::string alignedTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t col = 0; col < row.size(); ++col) {
      if (col == widths.size()) widths.push_back(0);
      widths[col] = std::max(widths[col], row[col].size());
    }
  std::string t;
  for (const auto& row : rows) {
    std::string l;
    for (std::size_t col = 0; col < row.size(); ++col)
      l += (col ? "  " : "") + row[col] + std::string(widths[col] - row[col].size(), ' ');
    while (!l.empty() && l.back() == ' ') l.pop_back();
    t += l + '\n';
  }
  return t;
}

std::string resultTable(const Outcome& o) {
  std::vector<std::vector<std::string>> rows{{"", kReportColumnNames[0], kReportColumnNames[1], kReportColumnNames[2]}};
  for (std::size_t r = 0; r < o.results.size(); ++r) {
    rows.push_back({kReportRowNames[r]});
    rows.back().insert(rows.back().end(), o.results[r].begin(), o.results[r].end());
  }
  return alignedTable(rows);
}

std::string csvField(const std::string& text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string q = "\"";
  for (char ch : text) {
    if (ch == '"') q += '"';
    q += ch;
  }
  return q + '"';
}

std::string resultColumns() {
  std::string h;
  for (const char* r : kReportRowNames)
    for (const char* col : kReportColumnNames) h += "," + csvField(std::string(r) + " " + col);
  return h;
}

std::string outcomeFields(const Outcome& o) {
  std::string message;
  for (const std::string& m : o.messages) message += (message.empty() ? "" : " ") + m;
  std::string fields = std::string(o.ok ? "ok" : "failed") + "," + csvField(message);
  for (const Row& r : o.results)
    for (const std::string& cell : r) fields += "," + csvField(cell);
  return fields;
}

std::string summaryHeader() { return "line,scan1,scan2,stem,status,message" + resultColumns() + '\n'; }

std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o) {
  return std::to_string(line) + "," + csvField(c.scan1) + "," + csvField(c.scan2) + "," + csvField(stem) + "," +
         outcomeFields(o) + '\n';
}

}  // namespace varnel::batch
