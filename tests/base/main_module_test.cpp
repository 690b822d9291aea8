#include "base/main_module.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TEST(Interp, CountsTwoThreeFiveAndTheIdealRange) {
  RecordedSession s;
  Main& m = s.session.main;
  const std::vector<double> y{1, 4, 9, 16, 25};  // (i + 1)^2
  EXPECT_DOUBLE_EQ(m.Interp(y, 0.5, 2, true), 2.5);
  EXPECT_DOUBLE_EQ(m.Interp(y, 1.5, 3, true), 6.25);  // a quadratic is exact
  EXPECT_DOUBLE_EQ(m.Interp(y, 2, 5, true), 9);        // y(2) exactly
  EXPECT_DOUBLE_EQ(m.Interp(y, 2.25, 5, true), 10.5625);
  EXPECT_TRUE(s.sink.messages.empty());

  // Outside the ideal range the message is shown and the value still returned.
  EXPECT_DOUBLE_EQ(m.Interp(y, 3, 3, true), 16);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"X not in ideal range: 3"});
  s.sink.clear();
  EXPECT_DOUBLE_EQ(m.Interp(y, 3, 3, false), 16);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Interp, WrongCountEndsTheProgram) {
  RecordedSession s;
  const std::vector<double> y{1, 2, 3, 4};
  EXPECT_THROW(s.session.main.Interp(y, 1, 4, true), ProgramEnd);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in Main.Interp, Incorrect number of points in Interp: 4"});
}

TEST(Norm, ValuesAndInverse) {
  RecordedSession s;
  Main& m = s.session.main;
  bool ok = false;
  EXPECT_NEAR(m.Norm(0, ok), 0.5, 1e-6);
  EXPECT_TRUE(ok);
  EXPECT_EQ(m.Norm(-40, ok), 0);  // the exponent is below -70
  EXPECT_EQ(m.Norm(40, ok), 1);
  EXPECT_NEAR(m.Norm(1.96, ok), 0.975, 1e-4);

  EXPECT_NEAR(m.NormInv(0.5, ok), 0, 0.01);
  EXPECT_TRUE(ok);
  for (double p : {0.01, 0.1, 0.3, 0.7, 0.95, 0.999}) {
    double x = m.NormInv(p, ok);
    EXPECT_TRUE(ok);
    // The bracket ends 0.0078 wide, so the midpoint is within 0.004 of the root.
    EXPECT_NEAR(m.Norm(x, ok), p, 0.004 * 0.4) << p;
  }
  EXPECT_TRUE(s.sink.messages.empty());

  EXPECT_EQ(m.NormInv(1.5, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in Main.NormInv, dblX out of range: 1.5"});
}

TEST(StrAngle, EnglishAndHebrewPieces) {
  RecordedSession s;
  Main& m = s.session.main;
  bool ok = false;
  EXPECT_EQ(m.strAngle(-0.5, ok, 0), "-0°30'00\"");
  EXPECT_TRUE(ok);
  EXPECT_EQ(m.strAngle(10.25, ok, -1), "10°15'");
  EXPECT_EQ(m.strAngle(10.6, ok, -2), "11°");
  EXPECT_EQ(m.strAngle(31.5125, ok, 0), "31°30'45\"");
  EXPECT_EQ(m.strAngle(31.5125, ok, 1), "31°30'45\"");
  EXPECT_EQ(m.strAngle(31.51263, ok, 1), "31°30'45.5\"");  // 45.468" to one place
  EXPECT_EQ(m.strAngle(31.51263, ok, 3), "31°30'45.468\"");
  // Rounded once: 45.46" is 45", never 46" through a second rounding.
  EXPECT_EQ(m.strAngle(31.5 + 45.46 / 3600, ok, 0), "31°30'45\"");
  EXPECT_EQ(m.strAngle(0.0001, ok, 0), "0°00'00\"");
  // A negative angle keeps its sign whatever its degree number.
  EXPECT_EQ(m.strAngle(-10.5, ok, -1), "-10°30'");
  // Rounding carries into the minutes and degrees.
  EXPECT_EQ(m.strAngle(29.99999, ok, 0), "30°00'00\"");

  // Hebrew keeps reading order, the angle one left-to-right isolate.
  s.session.intLanguage = 1;
  EXPECT_EQ(m.strAngle(31.5125, ok, 0), "\u206631°30'45\"\u2069");
  EXPECT_EQ(m.strAngle(-0.5, ok, 0), "\u2066-0°30'00\"\u2069");
  EXPECT_EQ(m.strAngle(18.319167, ok, 0), "\u206618°19'09\"\u2069");
  EXPECT_EQ(m.strAngle(10.6, ok, -2), "\u206611°\u2069");
  s.session.intLanguage = 2;
  EXPECT_EQ(m.strAngle(1, ok, 0), "");
  EXPECT_TRUE(s.sink.messages.empty());

  s.session.intLanguage = 0;
  EXPECT_EQ(m.strAngle(1, ok, 7), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in Main.strAngle, Invalid number of decimal places: 7"});
}

TEST(LangAndCompass, NamesInBothLanguages) {
  RecordedSession s;
  Main& m = s.session.main;
  EXPECT_EQ(m.Lang("Yes", "כן"), "Yes");
  EXPECT_EQ(m.CompassName(337.5), "North-Western");
  EXPECT_EQ(m.CompassName(337.6), "Northern");
  EXPECT_EQ(m.CompassName(22.5), "North-Eastern");
  EXPECT_EQ(m.CompassName(0), "Northern");
  EXPECT_EQ(m.CompassName(90), "Eastern");
  EXPECT_EQ(m.CompassName(135), "South-Eastern");
  EXPECT_EQ(m.CompassName(180), "Southern");
  EXPECT_EQ(m.CompassName(225), "South-Western");
  EXPECT_EQ(m.CompassName(270), "Western");
  s.session.intLanguage = 1;
  EXPECT_EQ(m.Lang("Yes", "כן"), "כן");
  EXPECT_EQ(m.CompassName(270), "מערבי");
  EXPECT_EQ(m.CompassName(45), "צפון-מזרחי");
  s.session.intLanguage = 5;
  EXPECT_EQ(m.Lang("Yes", "כן"), "");
}

TEST(Ran1, RestartsRepeatablyAndStaysInTheOpenInterval) {
  RecordedSession s;
  Main& m = s.session.main;
  int32_t seed = -7;
  bool restart = false;
  EXPECT_EQ(m.ran1(seed, restart), 0);
  EXPECT_EQ(seed, 1);
  std::vector<double> first;
  for (int i = 0; i < 1000; ++i) first.push_back(m.ran1(seed, restart));
  double sum = 0;
  for (double v : first) {
    EXPECT_GT(v, 0);
    EXPECT_LT(v, 1);
    sum += v;
  }
  EXPECT_NEAR(sum / 1000, 0.5, 0.05);

  // A second session restarted with the same seed gives the same sequence.
  RecordedSession other;
  seed = -7;
  other.session.main.ran1(seed, restart);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(other.session.main.ran1(seed, restart), first[i]);
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
