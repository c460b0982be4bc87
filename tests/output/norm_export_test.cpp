#include "output/norm_export.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace varnel::output {
namespace {

TEST(NormExport, HeaderColumnsAndRange) {
  model::Table a{}, b{};
  for (int i = 0; i <= model::kLastPoint; ++i) a[size_t(i)] = {i + 0.1, i + 0.2, i + 0.3};
  b[7] = {0.00001, 1e16, 2.0 / 3.0};
  EXPECT_EQ(exportText("/a/one.txt", "b,\"2\".txt", a, b, 7, 8),
            "\"/a/one.txt\",,,\"b,\"2\".txt\"\r\n"
            "7.2,7.3,7.1,1E+16,0.666666666666667,1E-05\r\n"
            "8.2,8.3,8.1,0,0,0\r\n");
  const auto lines = [&](int lo, int hi) {
    const std::string s = exportText("x", "y", a, b, lo, hi);
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
    return std::count(s.begin(), s.end(), '\n');
  };
  EXPECT_EQ(lines(0, 500), 502);
  EXPECT_EQ(lines(100, 100), 2);
  EXPECT_EQ(lines(101, 100), 1);
  EXPECT_EQ(lines(-5, 600), 502);  // nothing is read outside the tables
}

}  // namespace
}  // namespace varnel::output
