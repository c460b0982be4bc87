#include "output/norm_export.hpp"

#include <gtest/gtest.h>

namespace varnel::output {
namespace {

struct Tables {
  model::Table n1{}, n2{};
  Tables() {
    // Every cell distinct and recognisable: channel c of point i in file f.
    for (int i = 0; i <= model::kLastPoint; ++i)
      for (int c = 0; c < 3; ++c) {
        n1[static_cast<size_t>(i)][static_cast<size_t>(c)] = i + 0.1 * (c + 1);
        n2[static_cast<size_t>(i)][static_cast<size_t>(c)] = -(i + 0.1 * (c + 1));
      }
  }
};

size_t lineCount(const std::string& s) {
  size_t n = 0;
  for (size_t at = s.find("\r\n"); at != std::string::npos; at = s.find("\r\n", at + 2)) ++n;
  return n;
}

TEST(NormExport, HeaderThenLeftRightDeltaOfEachFile) {
  const Tables t;
  EXPECT_EQ(exportText("/a/one.txt", "b,\"2\".txt", t.n1, t.n2, 7, 8),
            "\"/a/one.txt\",,,\"b,\"2\".txt\"\r\n"
            "7.2,7.3,7.1,-7.2,-7.3,-7.1\r\n"
            "8.2,8.3,8.1,-8.2,-8.3,-8.1\r\n");
}

TEST(NormExport, LineCountFollowsTheRange) {
  const Tables t;
  const std::string all = exportText("x", "y", t.n1, t.n2, 0, 500);
  EXPECT_EQ(lineCount(all), 502u);
  EXPECT_EQ(all.substr(all.size() - 2), "\r\n");
  EXPECT_NE(all.find("\r\n500.2,500.3,500.1,-500.2,-500.3,-500.1\r\n"), std::string::npos);
  EXPECT_EQ(exportText("x", "y", t.n1, t.n2, 100, 100), "\"x\",,,\"y\"\r\n100.2,100.3,100.1,-100.2,-100.3,-100.1\r\n");
  EXPECT_EQ(exportText("x", "y", t.n1, t.n2, 101, 100), "\"x\",,,\"y\"\r\n");
  // Outside the tables nothing is read or written.
  EXPECT_EQ(lineCount(exportText("x", "y", t.n1, t.n2, -5, 600)), 502u);
}

TEST(NormExport, NumbersUseTheGeneralTextFormat) {
  model::Table a{}, b{};
  a[0] = {2.0 / 3.0, 0.5, -0.25};
  b[0] = {0.00001, 1e16, 229.6};
  EXPECT_EQ(exportText("", "", a, b, 0, 0), "\"\",,,\"\"\r\n0.5,-0.25,0.666666666666667,1E+16,229.6,1E-05\r\n");
}

}  // namespace
}  // namespace varnel::output
