#include "timescale/jde.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TEST(JDE, J2000IsNoonOfTheFirstDayOf2000InDynamicalTime) {
  RecordedSession s;
  bool ok = false;
  // Fixed day 730120 is 1 January 2000; JDE 2451545.0 is that day at 12h TT,
  // so 12h UT is Delta T (63.83 s, the IERS value of that day) later in JDE.
  EXPECT_NEAR(s.session.jde.fixed_jde(730120.5, ok), 2451545.0 + 63.8285 / 86400, 0.001 / 86400);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(s.session.jde.jde_fixed(2451545.0, ok), 730120.5 - 63.8285 / 86400, 0.001 / 86400);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(JDE, RoundTripsOverTheWholeRange) {
  RecordedSession s;
  clsJDE& jde = s.session.jde;
  // The dynamical-time iteration stops once Delta T moves by less than 100 s;
  // by then the year is right to far better than a second of Delta T. The
  // tolerance, 1e-6 day (0.09 s), leaves room for rounding at 10 million days.
  std::vector<double> days;
  for (double f = -10592000; f <= 10592000; f += 104729.37) days.push_back(f);
  for (double f : {-182621.0, 0.0, 1.0, 591564.25, 730120.5, 734138.999, 738000.75}) days.push_back(f);
  for (double f : days) {
    bool ok = false;
    double j = jde.fixed_jde(f, ok);
    ASSERT_TRUE(ok) << f;
    EXPECT_GE(j, f + 1721424.5 - 1e-9);  // Delta T is positive over this range of years
    double back = jde.jde_fixed(j, ok);
    ASSERT_TRUE(ok) << f;
    EXPECT_NEAR(back, f, 1e-6) << f;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(JDE, MagnitudeErrors) {
  RecordedSession s;
  clsJDE& jde = s.session.jde;
  bool ok = true;
  jde.fixed_jde(-10592250, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(jde.fixed_jde(10592251, ok), 0);
  EXPECT_FALSE(ok);
  jde.fixed_jde(std::nan(""), ok);
  EXPECT_FALSE(ok);
  // A JDE whose UT instant lies beyond the range: Delta T tells the user,
  // jde_fixed clears its flag without a second message.
  jde.jde_fixed(10592280 + 1721424.5, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, (std::vector<std::string>{
                                 "Error in clsJDE.fixed_jde, Magnitude of dblDate too large: 10592251",
                                 "Error in clsJDE.fixed_jde, Magnitude of dblDate too large: NaN",
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: 10592280"}));
}

}  // namespace
}  // namespace nemora
