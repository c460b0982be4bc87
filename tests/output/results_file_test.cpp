#include "output/results_file.hpp"

#include <gtest/gtest.h>

namespace varnel::output {
namespace {

// The form's tests check which value lands on which record; here, how each
// kind of field is written.
TEST(ResultsFile, FieldKindsAndLineEnds) {
  Results r;
  r.filename1 = "a \"b\".txt";             // record 1: quotes stay as they are
  r.scan1.maxVal[1] = 36.123456789f;       // record 3: seven significant digits
  r.scan1.minVal[0] = -0.3f;               // record 10
  r.scan2.maxVal[1] = 0.00001234f;         // record 17: never an exponent
  r.scan2.minVal[2] = 123456789.0f;        // record 25
  r.scan2.minAt[2] = -32768;               // record 28
  r.tRatio[2] = "last";                    // record 49
  const std::string text = resultsText(r);
  std::string expected = "\"a \"b\".txt\"\r\n\"\"\r\n36.12346\r\n";
  for (int i = 4; i <= 9; ++i) expected += "0\r\n";
  expected += "-0.3\r\n";
  for (int i = 11; i <= 14; ++i) expected += "0\r\n";
  expected += "\"\"\r\n\"\"\r\n0.00001234\r\n";
  for (int i = 18; i <= 24; ++i) expected += "0\r\n";
  expected += "123456800\r\n0\r\n0\r\n-32768\r\n0\r\n";
  for (int i = 30; i <= 48; ++i) expected += "\"\"\r\n";
  expected += "\"last\"\r\n";
  EXPECT_EQ(text, expected);
}

TEST(ResultsFile, LineBreaksInTextsNeverSplitARecord) {
  Results r;
  r.correlation[1] = "0.9\r\n5";  // pasted into a box
  r.filename2 = "two\nlines.txt";
  const std::string text = resultsText(r);
  int lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 49);
  EXPECT_NE(text.find("\r\n\"0.9  5\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"two lines.txt\""), std::string::npos);
}

}  // namespace
}  // namespace varnel::output
