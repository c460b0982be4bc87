// The result table and the summary CSV.
#include "batch/summary.hpp"

#include <algorithm>

namespace varnel::batch {

using output::kReportColumnNames;
using output::kReportRowNames;
using Row = std::array<std::string, output::kReportColumns>;

std::string resultTable(const Outcome& o) {
  std::size_t first = 0;
  for (const char* r : kReportRowNames) first = std::max(first, std::string(r).size());
  const Row head{kReportColumnNames[0], kReportColumnNames[1], kReportColumnNames[2]};
  std::size_t widths[output::kReportColumns];
  for (std::size_t col = 0; col < head.size(); ++col) {
    widths[col] = head[col].size();
    for (const Row& row : o.results) widths[col] = std::max(widths[col], row[col].size());
  }
  const auto pad = [](const std::string& s, std::size_t w) { return s + std::string(w - s.size(), ' '); };
  const auto line = [&](const std::string& name, const Row& cells) {
    std::string l = pad(name, first);
    for (std::size_t col = 0; col < cells.size(); ++col)
      l += "  " + (col + 1 == cells.size() ? cells[col] : pad(cells[col], widths[col]));
    while (!l.empty() && l.back() == ' ') l.pop_back();
    return l + '\n';
  };
  std::string t = line("", head);
  for (std::size_t r = 0; r < o.results.size(); ++r) t += line(kReportRowNames[r], o.results[r]);
  return t;
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

std::string summaryHeader() {
  std::string h = "line,scan1,scan2,stem,status,message";
  for (const char* r : kReportRowNames)
    for (const char* col : kReportColumnNames) h += "," + csvField(std::string(r) + " " + col);
  return h + '\n';
}

std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o) {
  std::string message;
  for (const std::string& m : o.messages) message += (message.empty() ? "" : " ") + m;
  std::string row = std::to_string(line) + "," + csvField(c.scan1) + "," + csvField(c.scan2) + "," + csvField(stem) +
                    "," + (o.ok ? "ok" : "failed") + "," + csvField(message);
  for (const Row& r : o.results)
    for (const std::string& cell : r) row += "," + csvField(cell);
  return row + '\n';
}

}  // namespace varnel::batch
