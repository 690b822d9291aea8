#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/session.h"
#include "calendar/julian_day.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TEST(JulianDay, KnownInstants) {
  RecordedSession s;
  clsJD& jd = s.session.jd;
  clsMJD& mjd = s.session.mjd;
  bool ok = false;
  EXPECT_EQ(jd.fixed_jd(0, ok), 1721424.5);
  EXPECT_TRUE(ok);
  EXPECT_EQ(jd.jd_fixed(2451544.5, ok), 730120);  // 1 January 2000, 0h UT
  EXPECT_EQ(jd.jd_fixed(2451545.0, ok), 730120.5);  // J2000.0, noon
  EXPECT_EQ(mjd.fixed_mjd(730120, ok), 51544);
  EXPECT_EQ(mjd.mjd_fixed(0, ok), 678576);  // MJD 0 is 17 November 1858 (datetime ordinal 678576)
  EXPECT_EQ(mjd.mjd_fixed(51544.25, ok), 730120.25);
  EXPECT_TRUE(ok);
  // JD and MJD differ by 2400000.5 days.
  for (double x : {-10592250.0, -1.25, 0.0, 738779.75, 10592250.0}) {
    EXPECT_DOUBLE_EQ(jd.fixed_jd(x, ok) - mjd.fixed_mjd(x, ok), 2400000.5);
    EXPECT_DOUBLE_EQ(jd.jd_fixed(jd.fixed_jd(x, ok), ok), x);
    EXPECT_DOUBLE_EQ(mjd.mjd_fixed(mjd.fixed_mjd(x, ok), ok), x);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(JulianDay, EveryCheckShowsItsMessageAndReturnsZero) {
  RecordedSession s;
  clsJD& jd = s.session.jd;
  clsMJD& mjd = s.session.mjd;
  bool ok = true;
  EXPECT_EQ(jd.jd_fixed(12313675.5, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsJD.jd_fixed, Magnitude of jd_fixed too large: 10592251");
  ok = true;
  EXPECT_EQ(jd.fixed_jd(-10592250.5, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsJD.fixed_jd, Magnitude of dblDate too large: -10592250.5");
  ok = true;
  EXPECT_EQ(mjd.mjd_fixed(-11270827, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsJD.mjd_fixed, Magnitude of mjd_fixed too large: -10592251");
  ok = true;
  EXPECT_EQ(mjd.fixed_mjd(10592251, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsJD.fixed_jd, Magnitude of dblDate too large: 10592251");
  // A value that is no number is refused too.
  ok = true;
  EXPECT_EQ(jd.fixed_jd(std::nan(""), ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsJD.fixed_jd, Magnitude of dblDate too large: NaN");
  EXPECT_EQ(s.sink.messages.size(), 5u);
}

}  // namespace
}  // namespace nemora
