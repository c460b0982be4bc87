// libFuzzer target for the scan reader: besides the sanitizers' checks, every input is compared with a plain reading of
// the format (fields split first, judged after), so the reader's state machine cannot drift from the format.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/scan_file.hpp"

namespace {
using varnel::model::kMaxReadings, varnel::model::Reading;

// A field as the format allows it: at most 4096 characters once the blanks around it are gone, a plain decimal
// number within single precision; one below the double range reads as a zero of its sign.
bool fieldValue(std::string_view raw, double& v) {
  const auto first = raw.find_first_not_of(" \t");
  std::string_view f = raw.substr(first, raw.find_last_not_of(" \t") - first + 1);
  if (f.size() > 4096 || f.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return false;
  if (f[0] == '+') f.remove_prefix(1);  // which from_chars does not take, nor a sign after it
  if (f.empty() || f[0] == '+' || (raw[first] == '+' && f[0] == '-')) return false;
  const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
  if (r.ptr != f.data() + f.size()) return false;
  // Out of range: strtod tells the ends apart, HUGE_VAL above, 0 below.
  if (r.ec == std::errc::result_out_of_range && std::fabs(std::strtod(std::string(f).c_str(), nullptr)) != HUGE_VAL)
    return v = f[0] == '-' ? -0.0 : 0.0, true;
  return r.ec == std::errc() && std::isfinite(static_cast<float>(v));
}

// The readings of a scan and the line of its fault (0: accepted).
int plainReading(std::string_view s, std::vector<Reading>& readings) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  int line = 1, leftLine = 0;
  bool haveLeft = false, afterComma = false;
  double left = 0.0, v = 0.0;
  for (std::size_t i = 0;;) {
    const std::size_t j = std::min(s.find_first_of(",\r\n", i), s.size());
    const std::string_view raw = s.substr(i, j - i);
    const char sep = j < s.size() ? s[j] : '\0';
    if (raw.find_first_not_of(" \t") == std::string_view::npos) {
      if (sep == ',' || afterComma) return line;  // an empty field
    } else if (!fieldValue(raw, v)) {
      return line;
    } else if (afterComma = sep == ','; !haveLeft) {
      left = v, leftLine = line, haveLeft = true;
    } else if (!std::isfinite(static_cast<float>(left - v))) {  // so must left minus right be
      return line;
    } else {
      haveLeft = false;
      readings.push_back({left, v});
      if (int(readings.size()) == kMaxReadings) return 0;
    }
    if (sep == '\0') return haveLeft ? leftLine : 0;
    line += sep != ',';
    i = j + (sep == '\r' && j + 1 < s.size() && s[j + 1] == '\n' ? 2 : 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  const varnel::model::ScanRead r = varnel::model::readScan(in);
  std::vector<Reading> want;
  const int faultLine = plainReading(bytes, want);
  const auto finding = [&](const char* what) {
    std::fprintf(stderr, "scan reader: %s\n  reader: count %d, error \"%s\", line %d\n  plain:  count %zu, line %d\n",
                 what, r.count, r.error.c_str(), r.errorLine, want.size(), faultLine);
    std::abort();
  };
  if (std::ranges::any_of(r.error, [](char c) { return c < 32 || c > 126; })) finding("a message that cannot be shown");
  if (r.ok() != (faultLine == 0)) finding(r.ok() ? "accepted an input outside the format" : "refused a good input");
  if (!r.ok() && r.errorLine != faultLine) finding("the fault is reported on another line");
  // Bit-equal: both sides convert the same characters, so even -0 must match.
  if (r.ok() && (std::size_t(r.count) != want.size() ||
                 (!want.empty() && std::memcmp(r.readings.data(), want.data(), want.size() * sizeof(Reading)) != 0)))
    finding("the readings differ");
  return 0;
}
