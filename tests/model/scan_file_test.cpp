#include "model/scan_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace varnel::model {
namespace {

ScanRead readText(const std::string& text) {
  std::istringstream in(text);
  return readScan(in);
}

std::vector<std::pair<double, double>> pairs(const ScanRead& r) {
  std::vector<std::pair<double, double>> out;
  for (int i = 0; i < r.count; ++i)
    out.emplace_back(r.readings[static_cast<std::size_t>(i)].left, r.readings[static_cast<std::size_t>(i)].right);
  return out;
}

struct Good {
  const char* what;
  std::string text;
  std::vector<std::pair<double, double>> readings;
};

TEST(ReadScan, AcceptedLayouts) {
  const std::vector<std::pair<double, double>> two = {{36.1, 35.4}, {35.0, 35.9}};
  const Good cases[] = {
      {"CR LF", "36.1,35.4\r\n35,35.9\r\n", two},
      {"LF only", "36.1,35.4\n35,35.9\n", two},
      {"CR only", "36.1,35.4\r35,35.9\r", two},
      {"no final line end", "36.1,35.4\r\n35,35.9", two},
      {"one field a line", "36.1\r\n35.4\r\n35\r\n35.9\r\n", two},
      {"pairs across lines", "36.1,35.4,35\r\n35.9\r\n", two},
      {"blank lines", "\r\n36.1,35.4\r\n\r\n\n35,35.9\r\n\r\n\r\n", two},
      {"blanks around fields", "  36.1 ,\t35.4  \r\n35 , 35.9\t\r\n   \r\n", two},
      {"UTF-8 mark", "\xEF\xBB\xBF" "36.1,35.4\r\n35,35.9\r\n", two},
      {"number forms", "+36.1,3.54e1\r\n35.,359E-1\r\n", two},
      {"signs and fractions", "-.5,-0\r\n.25,1E+2\r\n", {{-0.5, 0.0}, {0.25, 100.0}}},
      {"empty", "", {}},
      {"blank only", "\r\n  \r\n\n", {}},
  };
  for (const auto& c : cases) {
    const ScanRead r = readText(c.text);
    EXPECT_TRUE(r.ok()) << c.what << ": " << r.error;
    EXPECT_EQ(pairs(r), c.readings) << c.what;
  }
}

struct Bad {
  const char* what;
  std::string text;
  int line;
};

TEST(ReadScan, RefusedWithLine) {
  const Bad cases[] = {
      {"text", "36.1,35.4\r\nabc,35\r\n", 2},
      {"text after the number", "36.1,35.4x\r\n", 1},
      {"two numbers in one field", "36.1,35.4\r\n36.2 35.3\r\n", 2},
      {"semicolon", "36.1;35.4\r\n", 1},
      {"quoted", "\"36.1\",\"35.4\"\r\n", 1},
      {"empty between commas", "36.1,,35.4\r\n", 1},
      {"trailing comma", "36.1,35.4,\r\n35,35.9\r\n", 1},
      {"too large", "1,2\r\n1e400,3\r\n", 2},
      {"inf", "inf,1\r\n", 1},
      {"nan", "1,nan\r\n", 1},
      {"hex", "0x10,3\r\n", 1},
      {"exponent without digits", "1e,3\r\n", 1},
      {"lone sign", "-,3\r\n", 1},
      {"odd field count", "36.1,35.4\r\n36.2\r\n", 2},
      {"odd field count, blank lines after", "36.1,35.4\r\n36.2\r\n\r\n\r\n", 2},
      {"odd, no final line end", "36.1,35.4\r\n36.2", 2},
      {"line count with LF", "1,2\n3,4\nx,5\n", 3},
      {"line count with CR", "1,2\r3,4\rx,5\r", 3},
      {"line count with CR LF", "1,2\r\n3,4\r\n\r\nx,5\r\n", 4},
      {"bad last field without line end", "1,2\r\n3,4y", 2},
      {"control character", std::string("1,2\r\n3,\0" "4\r\n", 11), 2},
  };
  for (const auto& c : cases) {
    const ScanRead r = readText(c.text);
    EXPECT_FALSE(r.ok()) << c.what;
    EXPECT_EQ(r.errorLine, c.line) << c.what << ": " << r.error;
  }
}

TEST(ReadScan, LongButValidNumbersAreNumbers) {
  // Exact decimal expansions, as some exporters write them.
  char exact[128];
  std::snprintf(exact, sizeof exact, "%.70f", 36.1);
  const ScanRead r = readText(std::string(exact) + ",35.4\r\n");
  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.readings[0].left, 36.1);
  const std::string tiny = "0." + std::string(330, '0') + "1";  // underflows to 0: still finite
  EXPECT_TRUE(readText(tiny + ",1\r\n").ok());
  // A binary blob with no separator is refused without being slurped whole.
  const ScanRead blob = readText(std::string(1 << 20, '7') + "x,1\r\n");
  EXPECT_FALSE(blob.ok());
  EXPECT_EQ(blob.errorLine, 1);
}

TEST(ReadScan, StopsAfterReading501) {
  std::string text;
  for (int r = 0; r < 501; ++r) text += std::to_string(r) + "," + std::to_string(-r) + "\r\n";
  ScanRead exact = readText(text);
  ASSERT_TRUE(exact.ok()) << exact.error;
  EXPECT_EQ(exact.count, 501);
  EXPECT_EQ(exact.readings[500].left, 500.0);
  EXPECT_EQ(exact.readings[500].right, -500.0);

  // Whatever follows is neither read nor checked, not even a dangling field.
  for (const char* tail : {"9,9\r\n10,10\r\n", "garbage\r\n", "7\r\n", "1,,x"}) {
    const ScanRead r = readText(text + tail);
    EXPECT_TRUE(r.ok()) << tail << ": " << r.error;
    EXPECT_EQ(r.count, 501) << tail;
    EXPECT_EQ(r.readings[500].left, 500.0) << tail;
  }
  // The 501st reading ends at its right field, even mid-line.
  const ScanRead midLine = readText(text.substr(0, text.size() - 2) + ",oops\r\n");
  EXPECT_TRUE(midLine.ok()) << midLine.error;
  EXPECT_EQ(midLine.count, 501);
  // A fault inside the 501st reading is still a fault.
  const ScanRead badLast = readText(text.substr(0, text.size() - 2) + "x\r\n");
  EXPECT_FALSE(badLast.ok());
  EXPECT_EQ(badLast.errorLine, 501);
}

TEST(ReadScanFile, FileOnDiskAndMissingFile) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("varnel-scan-file-test-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto path = (dir / "scan.txt").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "36.1,35.4\r\n35,35.9\r\n";
  }
  const ScanRead r = readScanFile(path);
  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.count, 2);

  const ScanRead missing = readScanFile((dir / "absent.txt").string());
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.count, 0);

  const ScanRead folder = readScanFile(dir.string());
  EXPECT_FALSE(folder.ok());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace varnel::model
