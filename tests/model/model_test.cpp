// Decimal text both ways: numbers the window shows and reads, and scan files.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "model/decimal.hpp"
#include "model/number_text.hpp"
#include "model/scan_file.hpp"
#include "support/scripted.hpp"

namespace varnel::model {
namespace {
// Fifteen digits show the residue of 36.1 - 35.4; a single 36.1 stays 36.1.
TEST(NumberText, GeneralWholeAndSingle) {
  // clang-format off
  const std::pair<std::string, const char*> cases[] = {
      {formatNumber(0.0), "0"}, {formatNumber(-0.0), "0"}, {formatNumber(1.0), "1"}, {formatNumber(0.5), "0.5"},
      {formatNumber(-0.25), "-0.25"}, {formatNumber(2.0 / 3.0), "0.666666666666667"}, {formatNumber(0.1 + 0.2), "0.3"},
      {formatNumber(37.0), "37"}, {formatNumber(-80.0), "-80"}, {formatNumber(36.1 - 35.4), "0.700000000000003"},
      {formatNumber(999999999999999.0), "999999999999999"}, {formatNumber(1e15), "1E+15"},
      {formatNumber(-1e15), "-1E+15"}, {formatNumber(999999999999999.9), "1E+15"}, {formatNumber(1e100), "1E+100"},
      {formatNumber(1.23456789012346e16), "1.23456789012346E+16"}, {formatNumber(0.0001), "0.0001"},
      {formatNumber(0.000123456789012345), "0.000123456789012345"}, {formatNumber(0.00005), "5E-05"},
      {formatNumber(-1.5e-7), "-1.5E-07"}, {formatNumber(INFINITY), "n/a"}, {formatNumber(-INFINITY), "n/a"},
      {formatNumber(NAN), "n/a"}, {formatInt(0), "0"}, {formatInt(-80), "-80"}, {formatSigned(0), " 0"},
      {formatSigned(-5), "-5"}, {formatSingle(36.1f), "36.1"}, {formatSingle(-0.3f), "-0.3"},
      {formatSingle(1.0f / 3.0f), "0.3333333"}, {formatSingle(123456789.0f), "123456800"},
      {formatSingle(0.00005f), "0.00005"}};
  // clang-format on
  for (const auto& [got, text] : cases) EXPECT_EQ(got, text);
}
TEST(NumberText, NumericValueTakesTheLongestLeadingNumber) {
  const std::pair<const char*, double> cases[] = {
      {"", 0.0},   {"Degrees C", 0.0}, {"n/a", 0.0},        {"-3", -3.0},  {"+7", 7.0},   {"-.5", -0.5},
      {"5.", 5.0}, {".", 0.0},         {"  12.5abc", 12.5}, {"1 2", 12.0}, {"1,5", 1.0},  {"2.5E-1x", 0.25},
      {"1e", 1.0}, {"1.5E+", 1.5},     {"\t42\r\n", 42.0},  {"+-3", 0.0},  {"1e400", 0.0}};
  for (const auto& [text, v] : cases) EXPECT_EQ(numericValue(text), v) << '"' << text << '"';
}
// The reader stops at the end of its text even where the buffer around it goes on with more of a number.
TEST(NumberText, ReaderStopsAtTheEndOfItsText) {
  const std::string_view buffer = "-12.5e-3";
  const std::tuple<std::size_t, std::size_t, std::optional<double>> cases[] = {
      {1, 0, {}}, {2, 2, -1.0}, {3, 3, -12.0}, {4, 4, -12.0}, {5, 5, -12.5}, {6, 5, {}}, {7, 5, {}}, {8, 8, -0.0125}};
  for (const auto& [n, prefix, value] : cases)
    EXPECT_EQ(std::tuple(decimalPrefix(buffer.substr(0, n)), readDecimal(buffer.substr(0, n))),
              std::tuple(prefix, value))
        << n;
}
using Pairs = std::vector<std::pair<double, double>>;
ScanRead readText(const std::string& text) {
  std::istringstream in(text);
  return readScan(in);
}
const std::string kAll =
    test::scanOf(501, [](int i) { return std::pair(1.0 * i, -1.0 * i); });  // the most a scan holds
// Pairs follow fields, not lines; below the double range reads as 0; what
// follows reading 501 is never read, even 9 MiB of blank lines.
TEST(ReadScan, AcceptedLayouts) {
  const Pairs two = {{36.1, 35.4}, {35.0, 35.9}};
  Pairs most;
  for (int i = 0; i < 501; ++i) most.emplace_back(i, -i);
  const std::string all = kAll, lastOpen = all.substr(0, all.size() - 2);
  // clang-format off
  const std::pair<std::string, Pairs> cases[] = {
      {"36.1,35.4\r\n35,35.9\r\n", two}, {"36.1,35.4\n35,35.9\n", two}, {"36.1,35.4\r35,35.9\r", two},
      {"36.1,35.4\r\n35,35.9", two}, {"36.1\r\n35.4\r\n35\r\n35.9\r\n", two}, {"36.1,35.4,35\r\n35.9\r\n", two},
      {"\r\n36.1,35.4\r\n\r\n\n35,35.9\r\n\r\n\r\n", two}, {"  36.1 ,\t35.4  \r\n35 , 35.9\t\r\n   \r\n", two},
      {"\xEF\xBB\xBF" "36.1,35.4\r\n35,35.9\r\n", two}, {"+36.1,3.54e1\r\n35.,359E-1\r\n", two},
      {"36.10000000000000142108547152020037174224853515625,35.4\r\n"
       "35.000000000000000000000,35.89999999999999857891452847979962825775146484375", two},
      {"-.5,-0\r\n.25,1E+2\r\n", {{-0.5, 0.0}, {0.25, 100.0}}},
      {"0." + std::string(330, '0') + "1,-5e-400\r\n1e-99999999999,1\r\n", {{0.0, 0.0}, {0.0, 1.0}}},
      {"", {}}, {"\r\n  \r\n\n", {}}, {all, most}, {all + "9,9\r\n", most}, {all + "garbage\r\n", most},
      {all + "7", most}, {lastOpen + ",oops", most}, {all + std::string(9u << 20, '\n'), most}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    const ScanRead r = readText(text);
    Pairs got;
    for (int i = 0; i < r.count; ++i) got.emplace_back(r.readings[i].left, r.readings[i].right);
    EXPECT_TRUE(r.ok() && got == expected) << text.substr(0, 80) << ": " << r.error;
  }
}
// Refused, naming the line: readings, and left minus right, beyond single
// precision; a reading after 9 MiB of blank lines (line 0).
TEST(ReadScan, RefusedWithTheLine) {
  const std::string& all = kAll;
  // clang-format off
  const std::pair<std::string, int> cases[] = {
      {"36.1,35.4\r\nabc,35\r\n", 2}, {"36.1,35.4x\r\n", 1}, {"36.1,35.4\r\n36.2 35.3\r\n", 2},
      {"36.1;35.4\r\n", 1}, {"\"36.1\",\"35.4\"\r\n", 1}, {"36.1,,35.4\r\n", 1}, {"36.1,35.4,\r\n35,35.9\r\n", 1},
      {"1,2\r\n1e400,3\r\n", 2}, {"inf,1\r\n", 1}, {"1,nan\r\n", 1}, {"0x10,3\r\n", 1}, {"1e,3\r\n", 1},
      {"-,3\r\n", 1}, {std::string("1,2\r\n3,\0" "4\r\n", 11), 2}, {"36.1,35.4\r\n36.2\r\n", 2},
      {"36.1,35.4\r\n36.2\r\n\r\n\r\n", 2}, {"36.1,35.4\r\n36.2", 2}, {"1,2\r\n3,4y", 2}, {"1,2\n3,4\nx,5\n", 3},
      {"1,2\r3,4\rx,5\r", 3}, {"1,2\r\n3,4\r\n\r\nx,5\r\n", 4}, {"1e99999999999,1\r\n", 1},
      {"0.00001e401,1\r\n", 1}, {std::string(1 << 20, '7') + "x,1\r\n", 1}, {"1,2\r\n3.5e38,1\r\n", 2},
      {"1,-3.5E+38\r\n", 1}, {"1,2\r\n\r\n2e38\r\n-2e38\r\n", 4}, {all.substr(0, all.size() - 2) + "x\r\n", 501},
      {std::string(9u << 20, '\n') + "1,2\r\n", 0}};
  // clang-format on
  for (const auto& [text, line] : cases) {
    const ScanRead r = readText(text);
    EXPECT_TRUE(!r.ok() && r.errorLine == line) << text.substr(0, 80) << ": line " << r.errorLine << ", " << r.error;
  }
  const ScanRead missing = readScanFile("/nonexistent/scan.txt");
  EXPECT_TRUE(!missing.ok() && missing.errorLine == 0) << missing.error;
}
}  // namespace
}  // namespace varnel::model
