#include "model/decimal.hpp"

#include <charconv>
#include <cmath>

namespace varnel::model {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Scan {
  std::size_t length = 0;  // 0: no number
  long magnitude = 0;      // decimal exponent of the first non-zero digit, plus one
};

Scan scan(std::string_view s) {
  Scan r;
  std::size_t i = 0;
  const std::size_t n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  bool nonZero = false;
  for (; i < n && isDigit(s[i]); ++i, ++digits) {
    nonZero = nonZero || s[i] != '0';
    if (nonZero) ++r.magnitude;
  }
  if (i < n && s[i] == '.') {
    for (++i; i < n && isDigit(s[i]); ++i, ++digits) {
      if (!nonZero && s[i] == '0') --r.magnitude;
      nonZero = nonZero || s[i] != '0';
    }
  }
  if (digits == 0) return {};
  r.length = i;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    const bool negative = i < n && s[i] == '-';
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    long exponent = 0;
    const std::size_t start = i;
    for (; i < n && isDigit(s[i]); ++i)
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
    if (i > start) {
      r.length = i;
      r.magnitude += negative ? -exponent : exponent;
    }
  }
  return r;
}

}  // namespace

std::size_t decimalPrefix(std::string_view text) { return scan(text).length; }

std::optional<double> readDecimal(std::string_view text) {
  const Scan s = scan(text);
  if (s.length == 0 || s.length != text.size()) return std::nullopt;
  const std::size_t first = text[0] == '+' ? 1 : 0;  // from_chars takes no leading '+'
  double v = 0.0;
  const auto r = std::from_chars(text.data() + first, text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range && s.magnitude <= 0) return text[0] == '-' ? -0.0 : 0.0;
  if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace varnel::model
