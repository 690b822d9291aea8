#include "base/number_format.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace nemora {
namespace {

TEST(FormatNumber, FixedPatterns) {
  struct Case {
    double x;
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {
      {0.4, "###.0", ".4"},
      {12.34, "###.0", "12.3"},
      {0, "###.0", ".0"},
      {2.5, "#########0", "3"},
      {-2.5, "#########0", "-3"},
      {3.14159, "#########0.00", "3.14"},
      {2.675, "#0.00", "2.68"},
      {1.005, "0.00", "1.01"},
      {-0.004, "0.00", "0.00"},
      {123456.789, "#########0.00000000", "123456.78900000"},
      {7, "00", "07"},
      {7.25, "00.0", "07.3"},
      {7.254, "00.00", "07.25"},
      {59.96, "00.0", "60.0"},
      {0.25, "0.0", "0.3"},
      {99.95, "##0.0", "100.0"},
      {5, "##0", "5"},
      {0, "####", "0"},  // never an empty text
      {0, "###.####", "0"},
      {0.00001, "###.####", "0"},
      {1234, "####", "1234"},
      {0.5, "###", "1"},
      {1234567.4, "######0", "1234567"},
      {0, "#0", "0"},
      {3.5, "##.00", "3.50"},
      {0.25, "##.00", ".25"},
      {1.5, "##.####", "1.5"},
      {1.23456, "###.####", "1.2346"},
      {12, "###.####", "12"},
      {1e-9, "#########0.0000", "0.0000"},
      {9.99999, "#0.00", "10.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.x, c.pattern), c.text) << c.x << " " << c.pattern;
}

TEST(GeneralNumber, FifteenDigitsNoTrailingZeros) {
  EXPECT_EQ(generalNumber(4), "4");
  EXPECT_EQ(generalNumber(-12), "-12");
  EXPECT_EQ(generalNumber(1.5), "1.5");
  EXPECT_EQ(generalNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(generalNumber(10592253), "10592253");
  EXPECT_EQ(generalNumber(2451545.123456789), "2451545.12345679");
  EXPECT_EQ(generalNumber(0), "0");
  EXPECT_EQ(generalNumber(1e20), "1E+20");
  EXPECT_EQ(generalNumber(1.25e-7), "1.25E-7");
}

}  // namespace
}  // namespace nemora
