#include "model/scan_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace varnel::model {
namespace {

using Pairs = std::vector<std::pair<double, double>>;

ScanRead readText(const std::string& text) {
  std::istringstream in(text);
  return readScan(in);
}

Pairs pairs(const ScanRead& r) {
  Pairs out;
  for (int i = 0; i < r.count; ++i) out.emplace_back(r.readings[i].left, r.readings[i].right);
  return out;
}

std::string exact(double v) {  // an exact decimal expansion, as some exporters write them
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.70f", v);
  return buf;
}

// 501 readings "r,-r", the most a scan holds.
std::string readings501(Pairs* p = nullptr) {
  std::string text;
  for (int r = 0; r < 501; ++r) text += std::to_string(r) + "," + std::to_string(-r) + "\r\n";
  for (int r = 0; p && r < 501; ++r) p->emplace_back(r, -r);
  return text;
}

TEST(ReadScan, AcceptedLayouts) {
  const Pairs two = {{36.1, 35.4}, {35.0, 35.9}};
  Pairs most;
  const std::string all = readings501(&most), lastOpen = all.substr(0, all.size() - 2);
  const std::pair<std::string, Pairs> cases[] = {
      {"36.1,35.4\r\n35,35.9\r\n", two},
      {"36.1,35.4\n35,35.9\n", two},
      {"36.1,35.4\r35,35.9\r", two},
      {"36.1,35.4\r\n35,35.9", two},
      {"36.1\r\n35.4\r\n35\r\n35.9\r\n", two},  // pairs follow the fields, not the lines
      {"36.1,35.4,35\r\n35.9\r\n", two},
      {"\r\n36.1,35.4\r\n\r\n\n35,35.9\r\n\r\n\r\n", two},
      {"  36.1 ,\t35.4  \r\n35 , 35.9\t\r\n   \r\n", two},
      {"\xEF\xBB\xBF" "36.1,35.4\r\n35,35.9\r\n", two},
      {"+36.1,3.54e1\r\n35.,359E-1\r\n", two},
      {exact(36.1) + ",35.4\r\n" + exact(35.0) + "," + exact(35.9), two},
      {"-.5,-0\r\n.25,1E+2\r\n", {{-0.5, 0.0}, {0.25, 100.0}}},
      // Below the double range is still a number, read as 0; above it is not (refused below).
      {"0." + std::string(330, '0') + "1,-5e-400\r\n1e-99999999999,1\r\n", {{0.0, 0.0}, {0.0, 1.0}}},
      {"", {}},
      {"\r\n  \r\n\n", {}},
      // What follows reading 501 is neither read nor checked, even on its line;
      // nor are 9 MiB of blank lines after it.
      {all, most}, {all + "9,9\r\n", most}, {all + "garbage\r\n", most}, {all + "7", most},
      {lastOpen + ",oops", most}, {all + std::string(9u << 20, '\n'), most},
  };
  for (const auto& [text, expected] : cases) {
    const ScanRead r = readText(text);
    EXPECT_TRUE(r.ok()) << text.substr(0, 80) << ": " << r.error;
    EXPECT_TRUE(pairs(r) == expected) << text.substr(0, 80);
  }
}

TEST(ReadScan, RefusedWithTheLine) {
  const std::string all = readings501();
  const std::pair<std::string, int> cases[] = {
      {"36.1,35.4\r\nabc,35\r\n", 2},      {"36.1,35.4x\r\n", 1},
      {"36.1,35.4\r\n36.2 35.3\r\n", 2},   {"36.1;35.4\r\n", 1},
      {"\"36.1\",\"35.4\"\r\n", 1},        {"36.1,,35.4\r\n", 1},
      {"36.1,35.4,\r\n35,35.9\r\n", 1},    {"1,2\r\n1e400,3\r\n", 2},
      {"inf,1\r\n", 1},                    {"1,nan\r\n", 1},
      {"0x10,3\r\n", 1},                   {"1e,3\r\n", 1},
      {"-,3\r\n", 1},                      {std::string("1,2\r\n3,\0" "4\r\n", 11), 2},
      {"36.1,35.4\r\n36.2\r\n", 2},        {"36.1,35.4\r\n36.2\r\n\r\n\r\n", 2},  // odd field count
      {"36.1,35.4\r\n36.2", 2},            {"1,2\r\n3,4y", 2},
      {"1,2\n3,4\nx,5\n", 3},              {"1,2\r3,4\rx,5\r", 3},
      {"1,2\r\n3,4\r\n\r\nx,5\r\n", 4},    {"1e99999999999,1\r\n", 1},
      {"0.00001e401,1\r\n", 1},            {std::string(1 << 20, '7') + "x,1\r\n", 1},  // a long blob
      {"1,2\r\n3.5e38,1\r\n", 2},          {"1,-3.5E+38\r\n", 1},  // beyond single precision
      {"1,2\r\n\r\n2e38\r\n-2e38\r\n", 4},                         // so is left minus right
      {all.substr(0, all.size() - 2) + "x\r\n", 501},
  };
  for (const auto& [text, line] : cases) {
    const ScanRead r = readText(text);
    EXPECT_FALSE(r.ok()) << text.substr(0, 80);
    EXPECT_EQ(r.errorLine, line) << text.substr(0, 80) << ": " << r.error;
  }
  // A reading after 9 MiB of blank lines is past any real scan: refused
  // without walking the rest.
  const ScanRead huge = readText(std::string(9u << 20, '\n') + "1,2\r\n");
  EXPECT_FALSE(huge.ok());
  EXPECT_NE(huge.error.find("larger than a scan"), std::string::npos);
}

}  // namespace
}  // namespace varnel::model
