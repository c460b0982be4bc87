#include "model/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace varnel::model {
namespace {

TEST(NumberText, GeneralFormat) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"}, {-0.0, "0"}, {1.0, "1"}, {0.5, "0.5"}, {-0.25, "-0.25"},
      {2.0 / 3.0, "0.666666666666667"}, {0.1 + 0.2, "0.3"}, {37.0, "37"}, {-80.0, "-80"},
      {36.1 - 35.4, "0.700000000000003"},  // 15 digits do show this residue
      {999999999999999.0, "999999999999999"}, {1e15, "1E+15"}, {-1e15, "-1E+15"},
      {999999999999999.9, "1E+15"}, {1.23456789012346e16, "1.23456789012346E+16"}, {1e100, "1E+100"},
      {0.0001, "0.0001"}, {0.000123456789012345, "0.000123456789012345"}, {0.00005, "5E-05"},
      {-1.5e-7, "-1.5E-07"}, {inf, "n/a"}, {-inf, "n/a"}, {std::nan(""), "n/a"},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(formatNumber(v), text) << v;
}

TEST(NumberText, WholeAndSingle) {
  const std::pair<std::string, const char*> cases[] = {
      {formatInt(0), "0"}, {formatInt(-80), "-80"}, {formatSigned(0), " 0"}, {formatSigned(-5), "-5"},
      {formatSingle(36.1f), "36.1"},  // not 36.09999847
      {formatSingle(-0.3f), "-0.3"}, {formatSingle(1.0f / 3.0f), "0.3333333"},
      {formatSingle(123456789.0f), "123456800"}, {formatSingle(0.00005f), "0.00005"},
  };
  for (const auto& [got, text] : cases) EXPECT_EQ(got, text);
}

TEST(NumberText, NumericValueTakesTheLongestLeadingNumber) {
  const std::pair<const char*, double> cases[] = {
      {"", 0.0},   {"Degrees C", 0.0}, {"n/a", 0.0},    {"-3", -3.0},       {"+7", 7.0},
      {"-.5", -0.5}, {"5.", 5.0},      {".", 0.0},      {"  12.5abc", 12.5}, {"1 2", 12.0},
      {"1,5", 1.0}, {"2.5E-1x", 0.25}, {"1e", 1.0},     {"1.5E+", 1.5},      {"\t42\r\n", 42.0},
      {"+-3", 0.0}, {"1e400", 0.0},
  };
  for (const auto& [text, v] : cases) EXPECT_EQ(numericValue(text), v) << '"' << text << '"';
}

}  // namespace
}  // namespace varnel::model
