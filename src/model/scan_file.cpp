#include "model/scan_file.hpp"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>

#include "model/decimal.hpp"

namespace varnel::model {
namespace {

// Room for the exact decimal expansion of any double (some exporters write
// them); a longer field is binary data and is refused before it is read whole.
// 501 readings of the longest fields take about 4 MiB; a file that has not
// given them by 8 MiB is no scan, and is refused at once rather than walked.
constexpr std::uintmax_t kMaxScanBytes = 8u << 20;

constexpr std::size_t kMaxFieldLength = 4096;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool fitsSingle(double v) { return std::isfinite(static_cast<float>(v)); }
std::string quoted(const std::string& field) {
  std::string shown;
  for (char c : field) {
    const auto u = static_cast<unsigned char>(c);
    shown.push_back(u >= 32 && u < 127 ? c : '?');
  }
  return "\"" + shown + "\"";
}

class Reader {
 public:
  explicit Reader(ScanRead& out) : out_(out) {}

  // Feeds one character; returns false once reading is finished.
  bool feed(char c) {
    if (afterCR_) {
      afterCR_ = false;
      if (c == '\n') return true;  // the LF of a CR LF
    }
    if (c == ',') return endField(false);
    if (c == '\n' || c == '\r') {
      afterCR_ = c == '\r';
      const bool more = endField(true);
      ++line_;
      return more;
    }
    if (isBlank(c)) {
      if (!field_.empty()) trailingBlank_ = true;
      return true;
    }
    if (trailingBlank_ || field_.size() >= kMaxFieldLength) {
      field_.push_back(c);
      return fail(quoted(field_.substr(0, 20)) + " is not a number");
    }
    field_.push_back(c);
    return true;
  }

  void finish() {
    if (!out_.ok() || out_.count >= kMaxReadings) return;
    if (!endField(true)) return;
    if (haveLeft_) fail("the file ends inside a reading: a left temperature has no right temperature", leftLine_);
  }

 private:
  bool endField(bool lineEnd) {
    if (field_.empty()) {
      // A blank line holds no field; an empty field between commas, or after a
      // comma at the end of a line, is an error.
      if (!lineEnd || afterComma_) return fail("a field is empty");
      return true;
    }
    const std::optional<double> read = readDecimal(field_);
    if (!read) return fail(quoted(field_) + " is not a number");
    const double v = *read;
    // The extremes are held in single precision; a reading beyond it would
    // turn into infinity there.
    if (!fitsSingle(v)) return fail(quoted(field_) + " is beyond single precision (about 3.4E+38)");
    field_.clear();
    trailingBlank_ = false;
    afterComma_ = !lineEnd;
    if (!haveLeft_) {
      left_ = v;
      leftLine_ = line_;
      haveLeft_ = true;
      return true;
    }
    haveLeft_ = false;
    if (!fitsSingle(left_ - v))
      return fail("left minus right of this reading is beyond single precision (about 3.4E+38)");
    out_.readings[static_cast<std::size_t>(out_.count)] = {left_, v};
    ++out_.count;
    return out_.count < kMaxReadings;
  }

  bool fail(std::string why, int line = 0) {
    out_.error = std::move(why);
    out_.errorLine = line ? line : line_;
    return false;
  }

  ScanRead& out_;
  std::string field_;
  bool trailingBlank_ = false;
  bool afterComma_ = false;
  bool afterCR_ = false;
  bool haveLeft_ = false;
  double left_ = 0.0;
  int line_ = 1;
  int leftLine_ = 1;
};

}  // namespace

ScanRead readScan(std::istream& in) {
  ScanRead out;
  Reader reader(out);
  char buf[1 << 16];
  bool first = true;
  bool more = true;
  std::uintmax_t total = 0;
  while (more && in) {
    in.read(buf, sizeof buf);
    std::size_t n = static_cast<std::size_t>(in.gcount());
    total += n;
    if (total > kMaxScanBytes) {
      out.error = "the file is larger than a scan can be (over 8 MiB before its 501st reading)";
      out.errorLine = 0;
      return out;
    }
    std::size_t i = 0;
    if (first && n >= 3 && std::memcmp(buf, "\xEF\xBB\xBF", 3) == 0) i = 3;  // UTF-8 mark
    first = false;
    for (; i < n && more; ++i) more = reader.feed(buf[i]);
  }
  if (in.bad() && more) {
    out.error = "the file could not be read";
    out.errorLine = 0;
    return out;
  }
  if (more) reader.finish();
  return out;
}

ScanRead readScanFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ScanRead out;
    out.error = std::string("the file cannot be opened (") + std::strerror(errno) + ")";
    return out;
  }
  return readScan(in);
}

}  // namespace varnel::model
