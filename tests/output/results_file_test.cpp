#include "output/results_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnel::output {
namespace {

std::vector<std::string> records(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      ADD_FAILURE() << "unterminated last line: " << text.substr(at);
      break;
    }
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

// Every field distinct, so a swapped record or channel shows.
Results distinctValues() {
  Results r;
  r.filename1 = "C:\\scans\\a \"b\".txt";
  r.pointCount1 = "17";
  r.filename2 = "/home/x/två.txt";
  r.pointCount2 = "-1";
  for (int ch = 0; ch < 3; ++ch) {
    r.scan1.maxVal[ch] = 30.5f + static_cast<float>(ch);
    r.scan1.maxAt[ch] = static_cast<std::int16_t>(10 + ch);
    r.scan1.minVal[ch] = -0.25f - static_cast<float>(ch);
    r.scan1.minAt[ch] = static_cast<std::int16_t>(20 + ch);
    r.scan2.maxVal[ch] = 40.125f + static_cast<float>(ch);
    r.scan2.maxAt[ch] = static_cast<std::int16_t>(30 + ch);
    r.scan2.minVal[ch] = 0.5f + static_cast<float>(ch);
    r.scan2.minAt[ch] = static_cast<std::int16_t>(-40 - ch);
    const std::string c = std::to_string(ch);
    r.dataState[ch] = ch == 2 ? "Smoothed" : "Raw";
    r.areaRatio[ch] = "a" + c;
    r.slopeComp[ch] = "s" + c;
    r.correlation[ch] = "c" + c;
    r.rRatio[ch] = "r" + c;
    r.tRatio[ch] = "t" + c;
  }
  r.shiftCount = -7;
  r.lowerCutoff = "3";
  r.upperCutoff = "250";
  return r;
}

TEST(ResultsFile, WritesTheFortyNineRecordsInOrder) {
  const std::vector<std::string> expected = {
      "\"C:\\scans\\a \"b\".txt\"", "\"17\"",  // quotes inside a text stay as they are
      "31.5", "30.5", "32.5", "11", "10", "12", "-1.25", "-0.25", "-2.25", "21", "20", "22",
      "\"/home/x/två.txt\"", "\"-1\"",
      "41.125", "40.125", "42.125", "31", "30", "32", "1.5", "0.5", "2.5", "-41", "-40", "-42",
      "-7", "\"3\"", "\"250\"", "\"Raw\"", "\"Raw\"", "\"Smoothed\"",
      "\"a1\"", "\"a0\"", "\"a2\"", "\"s1\"", "\"s0\"", "\"s2\"", "\"c1\"", "\"c0\"", "\"c2\"",
      "\"r1\"", "\"r0\"", "\"r2\"", "\"t1\"", "\"t0\"", "\"t2\""};
  const std::string text = resultsText(distinctValues());
  EXPECT_EQ(records(text), expected);
  EXPECT_EQ(expected.size(), static_cast<size_t>(kResultRecords));
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "bare line feed";
}

TEST(ResultsFile, EmptyTextsAndZerosStillGiveFortyNineLines) {
  const std::vector<std::string> lines = records(resultsText(Results{}));
  ASSERT_EQ(lines.size(), 49u);
  EXPECT_EQ(lines[0], "\"\"");
  EXPECT_EQ(lines[2], "0");
  EXPECT_EQ(lines[28], "0");
  EXPECT_EQ(lines[48], "\"\"");
}

TEST(ResultsFile, SinglesKeepSevenDigitsAndNoExponent) {
  Results r;
  r.scan1.maxVal[1] = 36.123456789f;   // record 3
  r.scan1.minVal[0] = -0.3f;           // record 10
  r.scan2.maxVal[1] = 0.00001234f;     // record 17
  r.scan2.minVal[2] = 123456789.0f;    // record 25
  const std::vector<std::string> lines = records(resultsText(r));
  ASSERT_EQ(lines.size(), 49u);
  EXPECT_EQ(lines[2], "36.12346");
  EXPECT_EQ(lines[9], "-0.3");
  EXPECT_EQ(lines[16], "0.00001234");
  EXPECT_EQ(lines[24], "123456800");
}

}  // namespace
}  // namespace varnel::output
