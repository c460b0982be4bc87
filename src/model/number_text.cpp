#include "model/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/decimal.hpp"

namespace varnel::model {
namespace {

// Digits of |v| rounded to `sig` (at most 17) significant digits, and the
// decimal exponent of the first digit.
struct Decimal {
  char buf[20] = {};  // the digits, no trailing zeros; "0" for zero
  int count = 0;
  int exponent = 0;
  std::string_view digits() const { return {buf, static_cast<std::size_t>(count)}; }
};

Decimal toDecimal(double v, int sig) {
  Decimal d;
  if (v == 0.0) {
    d.buf[d.count++] = '0';
    return d;
  }
  // "d.dddde+XX", rounded to nearest like printf, without its locale or cost.
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, std::fabs(v), std::chars_format::scientific, sig - 1);
  const char* e = std::find(text, r.ptr, 'e');
  for (const char* c = text; c != e; ++c)
    if (*c != '.') d.buf[d.count++] = *c;
  const char* exp = e + 1;
  if (*exp == '+') ++exp;
  std::from_chars(exp, r.ptr, d.exponent);
  while (d.count > 1 && d.buf[d.count - 1] == '0') --d.count;
  return d;
}

// The number written out, "-" first when `negative`.
std::string plain(const Decimal& d, bool negative) {
  const std::string_view digits = d.digits();
  if (digits == "0") return "0";
  const int n = d.count;
  std::string out(negative ? "-" : "");
  if (d.exponent < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-d.exponent - 1), '0');
    out += digits;
  } else if (d.exponent + 1 >= n) {
    out += digits;
    out.append(static_cast<size_t>(d.exponent + 1 - n), '0');
  } else {
    out += digits.substr(0, static_cast<size_t>(d.exponent + 1));
    out += '.';
    out += digits.substr(static_cast<size_t>(d.exponent + 1));
  }
  return out;
}

std::string exponentForm(const Decimal& d, bool negative) {
  const std::string_view digits = d.digits();
  std::string out(negative ? "-" : "");
  out += digits.substr(0, 1);
  if (digits.size() > 1) {
    out += '.';
    out += digits.substr(1);
  }
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
  return out + exp;
}

}  // namespace

std::string formatNumber(double v) {
  if (!std::isfinite(v)) return kNoValue;
  const Decimal d = toDecimal(v, 15);
  if (d.digits() == "0") return "0";
  const bool usePlain = d.exponent >= -4 && d.exponent < 15;
  return usePlain ? plain(d, v < 0) : exponentForm(d, v < 0);
}

std::string formatInt(long v) { return std::to_string(v); }

std::string formatSigned(long v) { return v < 0 ? std::to_string(v) : " " + std::to_string(v); }

std::string formatSingle(float v) {
  if (!std::isfinite(v)) return "0";
  return plain(toDecimal(static_cast<double>(v), 7), v < 0);
}

double numericValue(std::string_view text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
  // A number out of the double range is no usable number either.
  return readDecimal(std::string_view(s).substr(0, decimalPrefix(s))).value_or(0.0);
}

}  // namespace varnel::model
