// The list of pairs: lines, CSV fields, and each line as a comparison.
#include "batch/pairs_list.hpp"

#include <algorithm>
#include <cctype>
#include <utility>

namespace varnel::batch {
namespace {

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

}  // namespace

bool splitFields(const std::string& line, std::vector<std::string>& fields) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string field;
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += line[i];
        }
      }
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i < line.size() && line[i] != ',') return false;
    } else {
      const std::size_t comma = std::min(line.find(',', i), line.size());
      field = trim(line.substr(i, comma - i));
      i = comma;
    }
    fields.push_back(field);
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::vector<std::pair<int, std::string>> listLines(const std::string& text) {
  std::vector<std::pair<int, std::string>> lines;
  int number = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = trim(line);
    if (!t.empty() && t[0] != '#') lines.emplace_back(number, std::move(line));
  }
  return lines;
}

std::vector<PairLine> readPairLines(const std::string& text) {
  std::vector<PairLine> lines;
  bool first = true;
  for (const auto& [number, line] : listLines(text)) {
    PairLine p;
    p.line = number;
    if (!splitFields(line, p.fields)) {
      p.fields.clear();
      p.error = "A quoted field of this line has no closing quote, or text follows its closing quote.";
    }
    if (first) {
      first = false;
      std::vector<std::string> names;
      for (const std::string& f : p.fields) names.push_back(lower(f));
      if (names == std::vector<std::string>{"scan1", "scan2", "stem"} ||
          names == std::vector<std::string>{"scan1", "scan2"})
        continue;
    }
    lines.push_back(std::move(p));
  }
  return lines;
}

ListedPair listedPair(const PairLine& p, const PairOutputs& outputs) {
  ListedPair pair{p.line, {}, {}, {}};
  Comparison& c = pair.c;
  const std::size_t n = p.fields.size();
  if (n > 0) c.scan1 = p.fields[0];
  if (n > 1) c.scan2 = p.fields[1];
  if (n < 2 || n > 3 || c.scan1.empty() || c.scan2.empty()) {
    pair.error = !p.error.empty() ? p.error : "This line is not \"scan1,scan2,stem\" with two scan files.";
    return pair;
  }
  pair.stem = n == 3 ? p.fields[2] : "";
  if (!pair.stem.empty())
    for (const OutputKind& k : kOutputKinds)
      if (outputs.*k.wanted) c.*k.path = pair.stem + k.suffix;
  return pair;
}

}  // namespace varnel::batch
