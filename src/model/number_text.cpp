#include "model/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/decimal.hpp"

namespace varnel::model {
namespace {

// Digits of |v| rounded to `sig` significant digits, and the decimal
// exponent of the first digit.
struct Decimal {
  std::string digits;  // no trailing zeros; "0" for zero
  int exponent = 0;
};

Decimal toDecimal(double v, int sig) {
  Decimal d;
  if (v == 0.0) {
    d.digits = "0";
    return d;
  }
  // "d.dddde+XX", rounded to nearest like printf, without its locale or cost.
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, sig - 1);
  const char* e = std::find(buf, r.ptr, 'e');
  for (const char* c = buf; c != e; ++c)
    if (*c != '.') d.digits.push_back(*c);
  const char* exp = e + 1;
  if (*exp == '+') ++exp;
  std::from_chars(exp, r.ptr, d.exponent);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string plain(const Decimal& d) {
  if (d.digits == "0") return "0";
  std::string out;
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    out = "0.";
    out.append(static_cast<size_t>(-d.exponent - 1), '0');
    out += d.digits;
  } else if (d.exponent + 1 >= n) {
    out = d.digits;
    out.append(static_cast<size_t>(d.exponent + 1 - n), '0');
  } else {
    out = d.digits.substr(0, static_cast<size_t>(d.exponent + 1)) + "." +
          d.digits.substr(static_cast<size_t>(d.exponent + 1));
  }
  return out;
}

std::string exponentForm(const Decimal& d) {
  std::string out = d.digits.substr(0, 1);
  if (d.digits.size() > 1) out += "." + d.digits.substr(1);
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
  return out + exp;
}

}  // namespace

std::string formatNumber(double v) {
  if (!std::isfinite(v)) return kNoValue;
  const Decimal d = toDecimal(v, 15);
  if (d.digits == "0") return "0";
  const bool usePlain = d.exponent >= -4 && d.exponent < 15;
  std::string body = usePlain ? plain(d) : exponentForm(d);
  return v < 0 ? "-" + body : body;
}

std::string formatInt(long v) { return std::to_string(v); }

std::string formatSigned(long v) { return v < 0 ? std::to_string(v) : " " + std::to_string(v); }

std::string formatSingle(float v) {
  if (!std::isfinite(v)) return "0";
  const Decimal d = toDecimal(static_cast<double>(v), 7);
  if (d.digits == "0") return "0";
  return v < 0 ? "-" + plain(d) : plain(d);
}

double numericValue(std::string_view text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
  // A number out of the double range is no usable number either.
  return readDecimal(std::string_view(s).substr(0, decimalPrefix(s))).value_or(0.0);
}

}  // namespace varnel::model
