#include "model/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace varnel::model {
namespace {

struct Shown {
  double value;
  const char* text;
};

TEST(FormatNumber, PlainAndExponentForms) {
  const double inf = std::numeric_limits<double>::infinity();
  const Shown cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {0.5, "0.5"},
      {-0.25, "-0.25"},
      {2.0 / 3.0, "0.666666666666667"},
      {-2.0 / 3.0, "-0.666666666666667"},
      {0.1 + 0.2, "0.3"},  // 15 digits hide the binary residue
      {37.0, "37"},
      {-80.0, "-80"},
      {36.1 - 35.4, "0.700000000000003"},  // 15 digits show the residue here
      {123.456, "123.456"},
      {100000000000000.0, "100000000000000"},
      {999999999999999.0, "999999999999999"},
      {1e15, "1E+15"},
      {-1e15, "-1E+15"},
      {999999999999999.9, "1E+15"},  // rounds up into the exponent form
      {1.23456789012346e16, "1.23456789012346E+16"},
      {12345678901234567890.0, "1.23456789012346E+19"},
      {1e100, "1E+100"},
      {0.0001, "0.0001"},
      {0.000123456789012345, "0.000123456789012345"},
      {-0.0001, "-0.0001"},
      {0.00005, "5E-05"},
      {-0.00005, "-5E-05"},
      {1.5e-7, "1.5E-07"},
      {1e-300, "1E-300"},
      {inf, "n/a"},
      {-inf, "n/a"},
      {std::nan(""), "n/a"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value), c.text) << "value " << c.value;
}

TEST(FormatWholeNumbers, PlainAndWithLeadingBlank) {
  EXPECT_EQ(formatInt(0), "0");
  EXPECT_EQ(formatInt(37), "37");
  EXPECT_EQ(formatInt(-80), "-80");
  EXPECT_EQ(formatInt(-1), "-1");
  EXPECT_EQ(formatSigned(0), " 0");
  EXPECT_EQ(formatSigned(3), " 3");
  EXPECT_EQ(formatSigned(-5), "-5");
}

TEST(FormatSingle, SevenDigitsNeverExponent) {
  EXPECT_EQ(formatSingle(0.0f), "0");
  EXPECT_EQ(formatSingle(36.12f), "36.12");
  EXPECT_EQ(formatSingle(36.1f), "36.1");  // not 36.09999847...
  EXPECT_EQ(formatSingle(-0.3f), "-0.3");
  EXPECT_EQ(formatSingle(0.1f), "0.1");
  EXPECT_EQ(formatSingle(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(formatSingle(123456789.0f), "123456800");
  EXPECT_EQ(formatSingle(0.00005f), "0.00005");
}

struct Read {
  const char* text;
  double value;
};

TEST(NumericValue, LongestLeadingNumber) {
  const Read cases[] = {
      {"", 0.0},           {"Degrees C", 0.0},  {"DegreesC", 0.0},  {"1", 1.0},
      {"0.1", 0.1},        {"-3", -3.0},        {"+7", 7.0},        {"-.5", -0.5},
      {"5.", 5.0},         {".", 0.0},          {"-", 0.0},         {"  12.5abc", 12.5},
      {"1 2", 12.0},       {"1,5", 1.0},        {"1e3", 1000.0},    {"2.5E-1x", 0.25},
      {"1e", 1.0},         {"1.5E+", 1.5},      {"\t42\r\n", 42.0}, {"-80", -80.0},
      {"1e400", 0.0},      {"n/a", 0.0},        {"500", 500.0},     {"+-3", 0.0},
  };
  for (const auto& c : cases) EXPECT_EQ(numericValue(c.text), c.value) << "text \"" << c.text << "\"";
}

TEST(NumericValue, ReadsBackWhatFormatNumberWrites) {
  for (double v : {0.5, -0.25, 2.0 / 3.0, 36.1, 1.23456789012346e16, 5e-05, -1e15}) {
    const std::string t = formatNumber(v);
    EXPECT_NEAR(numericValue(t), v, std::fabs(v) * 1e-14) << t;
  }
}

}  // namespace
}  // namespace varnel::model
