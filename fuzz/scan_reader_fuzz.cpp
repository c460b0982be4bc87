// libFuzzer target for the scan reader. Besides the sanitizers' own checks it
// compares every input with a second, deliberately plain reading of the
// format (split into fields first, judge each field after), so the reader's
// character-at-a-time state machine cannot drift from the format unnoticed.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/scan_file.hpp"

namespace {

using varnel::model::kMaxReadings;
using varnel::model::ScanRead;

struct Expected {
  std::vector<varnel::model::Reading> readings;
  bool ok = true;
  int line = 0;  // of the first fault
};

bool isDecimal(std::string_view f) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t start = i;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') ++i;
    return i - start;
  };
  if (i < f.size() && (f[i] == '+' || f[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < f.size() && f[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < f.size() && (f[i] == 'e' || f[i] == 'E')) {
    ++i;
    if (i < f.size() && (f[i] == '+' || f[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == f.size();
}

// A field as the format allows it: at most 4096 characters once the blanks
// around it are gone, a decimal number not above the double range; one below
// it reads as a zero of its sign.
bool fieldValue(std::string_view raw, double& v) {
  const auto first = raw.find_first_not_of(" \t");
  const auto last = raw.find_last_not_of(" \t");
  const std::string_view f = raw.substr(first, last - first + 1);
  if (f.size() > 4096 || !isDecimal(f)) return false;
  const std::size_t skip = f[0] == '+' ? 1 : 0;
  const auto r = std::from_chars(f.data() + skip, f.data() + f.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // strtod tells the two ends of the range apart: HUGE_VAL above, a zero
    // or subnormal below.
    const std::string text(f);
    if (std::fabs(std::strtod(text.c_str(), nullptr)) == HUGE_VAL) return false;
    v = f[0] == '-' ? -0.0 : 0.0;
    return true;
  }
  return r.ec == std::errc() && std::isfinite(v);
}

Expected plainReading(std::string_view s) {
  Expected e;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  int line = 1;
  bool haveLeft = false, afterComma = false;
  double left = 0.0;
  int leftLine = 0;
  auto fault = [&](int at) {
    e.ok = false;
    e.line = at;
    return e;
  };
  std::size_t i = 0;
  for (;;) {
    std::size_t j = i;
    while (j < s.size() && s[j] != ',' && s[j] != '\n' && s[j] != '\r') ++j;
    const std::string_view raw = s.substr(i, j - i);
    const char sep = j < s.size() ? s[j] : '\0';
    if (raw.find_first_not_of(" \t") == std::string_view::npos) {
      if (sep == ',' || afterComma) return fault(line);  // empty field
    } else {
      double v = 0.0;
      if (!fieldValue(raw, v)) return fault(line);
      afterComma = sep == ',';
      if (!haveLeft) {
        left = v;
        leftLine = line;
        haveLeft = true;
      } else {
        haveLeft = false;
        e.readings.push_back({left, v});
        if (static_cast<int>(e.readings.size()) == kMaxReadings) return e;
      }
    }
    if (sep == '\0') break;
    if (sep != ',') ++line;
    i = j + (sep == '\r' && j + 1 < s.size() && s[j + 1] == '\n' ? 2 : 1);
  }
  if (haveLeft) return fault(leftLine);
  return e;
}

[[noreturn]] void finding(const char* what, const ScanRead& r, const Expected& e) {
  std::fprintf(stderr, "scan reader: %s\n  reader: count %d, error \"%s\", line %d\n  plain:  count %zu, %s, line %d\n",
               what, r.count, r.error.c_str(), r.errorLine, e.readings.size(), e.ok ? "accepted" : "refused", e.line);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  const ScanRead r = varnel::model::readScan(in);
  const Expected e = plainReading(bytes);

  if (r.count < 0 || r.count > kMaxReadings) finding("reading count outside 0..501", r, e);
  if (!r.ok()) {
    if (r.errorLine < 1) finding("a refused input names no line", r, e);
    for (const char c : r.error)
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
        finding("the message holds a character that cannot be shown", r, e);
  }
  if (r.ok() != e.ok) finding(r.ok() ? "accepted an input outside the format" : "refused a good input", r, e);
  if (!r.ok()) {
    if (r.errorLine != e.line) finding("the fault is reported on another line", r, e);
    return 0;
  }
  if (static_cast<std::size_t>(r.count) != e.readings.size()) finding("another number of readings", r, e);
  for (std::size_t k = 0; k < e.readings.size(); ++k) {
    const auto& got = r.readings[k];
    const auto& want = e.readings[k];
    // Bit-equal: both sides convert the same characters, so even -0 must match.
    if (std::signbit(got.left) != std::signbit(want.left) || got.left != want.left ||
        std::signbit(got.right) != std::signbit(want.right) || got.right != want.right)
      finding("a reading differs", r, e);
  }
  return 0;
}
