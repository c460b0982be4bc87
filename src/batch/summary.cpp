// The result table and the summary CSV.
#include "batch/summary.hpp"

#include <algorithm>

namespace varnel::batch {

std::string resultTable(const Outcome& o) {
  std::size_t first = 0;
  for (const char* r : kRowNames) first = std::max(first, std::string(r).size());
  std::size_t width[3];
  for (int col = 0; col < 3; ++col) {
    width[col] = std::string(kColumnNames[col]).size();
    for (const auto& row : o.results)
      width[col] = std::max(width[col], row[static_cast<std::size_t>(kColumnChannels[col])].size());
  }
  const auto pad = [](const std::string& s, std::size_t w) { return s + std::string(w - s.size(), ' '); };
  const auto line = [&](const std::string& head, const std::string(&cells)[3]) {
    std::string l = pad(head, first);
    for (int col = 0; col < 3; ++col) l += "  " + (col == 2 ? cells[col] : pad(cells[col], width[col]));
    while (!l.empty() && l.back() == ' ') l.pop_back();
    return l + '\n';
  };
  std::string t = line("", {kColumnNames[0], kColumnNames[1], kColumnNames[2]});
  for (int r = 0; r < kResultRows; ++r) {
    const auto& row = o.results[static_cast<std::size_t>(r)];
    t += line(kRowNames[r], {row[1], row[0], row[2]});
  }
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
  for (const char* r : kRowNames)
    for (const char* col : kColumnNames) h += "," + csvField(std::string(r) + " " + col);
  return h + '\n';
}

std::string summaryRow(int line, const Comparison& c, const std::string& stem, const Outcome& o) {
  std::string message;
  for (const std::string& m : o.messages) message += (message.empty() ? "" : " ") + m;
  std::string row = std::to_string(line) + "," + csvField(c.scan1) + "," + csvField(c.scan2) + "," + csvField(stem) +
                    "," + (o.ok ? "ok" : "failed") + "," + csvField(message);
  for (const auto& r : o.results)
    for (const int ch : kColumnChannels) row += "," + csvField(r[static_cast<std::size_t>(ch)]);
  return row + '\n';
}

}  // namespace varnel::batch
