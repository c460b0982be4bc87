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

struct Expected {
  std::vector<varnel::model::Reading> readings;
  int faultLine = 0;  // 0: accepted
};

// A field as the format allows it: at most 4096 characters once the blanks
// around it are gone, a plain decimal number within single precision; one
// below the double range reads as a zero of its sign.
bool fieldValue(std::string_view raw, double& v) {
  const auto first = raw.find_first_not_of(" \t");
  std::string_view f = raw.substr(first, raw.find_last_not_of(" \t") - first + 1);
  if (f.size() > 4096 || f.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return false;
  if (f[0] == '+') f.remove_prefix(1);  // which from_chars does not take, nor a sign after it
  if (f.empty() || f[0] == '+' || (raw[first] == '+' && f[0] == '-')) return false;
  const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
  if (r.ptr != f.data() + f.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {  // strtod tells the ends apart: HUGE_VAL above, 0 below
    if (std::fabs(std::strtod(std::string(f).c_str(), nullptr)) == HUGE_VAL) return false;
    v = f[0] == '-' ? -0.0 : 0.0;
    return true;
  }
  return r.ec == std::errc() && std::isfinite(static_cast<float>(v));
}

Expected plainReading(std::string_view s) {
  Expected e;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  int line = 1, leftLine = 0;
  bool haveLeft = false, afterComma = false;
  double left = 0.0;
  for (std::size_t i = 0;;) {
    std::size_t j = s.find_first_of(",\r\n", i);
    if (j == std::string_view::npos) j = s.size();
    const std::string_view raw = s.substr(i, j - i);
    const char sep = j < s.size() ? s[j] : '\0';
    double v = 0.0;
    if (raw.find_first_not_of(" \t") == std::string_view::npos) {
      if (sep == ',' || afterComma) return e.faultLine = line, e;  // an empty field
    } else if (!fieldValue(raw, v)) {
      return e.faultLine = line, e;
    } else if (afterComma = sep == ','; !haveLeft) {
      left = v, leftLine = line, haveLeft = true;
    } else if (!std::isfinite(static_cast<float>(left - v))) {  // so must left minus right be
      return e.faultLine = line, e;
    } else {
      haveLeft = false;
      e.readings.push_back({left, v});
      if (int(e.readings.size()) == kMaxReadings) return e;
    }
    if (sep == '\0') break;
    if (sep != ',') ++line;
    i = j + (sep == '\r' && j + 1 < s.size() && s[j + 1] == '\n' ? 2 : 1);
  }
  if (haveLeft) e.faultLine = leftLine;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  const varnel::model::ScanRead r = varnel::model::readScan(in);
  const Expected e = plainReading(bytes);
  const auto finding = [&](const char* what) {
    std::fprintf(stderr, "scan reader: %s\n  reader: count %d, error \"%s\", line %d\n  plain:  count %zu, line %d\n",
                 what, r.count, r.error.c_str(), r.errorLine, e.readings.size(), e.faultLine);
    std::abort();
  };
  if (r.count < 0 || r.count > kMaxReadings) finding("reading count outside 0..501");
  for (const char c : r.error)
    if (c < 32 || c > 126) finding("the message holds a character that cannot be shown");
  if (r.ok() != (e.faultLine == 0)) finding(r.ok() ? "accepted an input outside the format" : "refused a good input");
  if (!r.ok() && r.errorLine != e.faultLine) finding("the fault is reported on another line");
  if (!r.ok()) return 0;
  if (std::size_t(r.count) != e.readings.size()) finding("another number of readings");
  for (std::size_t k = 0; k < e.readings.size(); ++k) {
    const auto& [got, want] = std::pair{r.readings[k], e.readings[k]};
    // Bit-equal: both sides convert the same characters, so even -0 must match.
    if (std::signbit(got.left) != std::signbit(want.left) || got.left != want.left ||
        std::signbit(got.right) != std::signbit(want.right) || got.right != want.right)
      finding("a reading differs");
  }
  return 0;
}
