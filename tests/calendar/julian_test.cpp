#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/julian.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::kSampleDates;
using testing::RecordedSession;

udtDate julian(int16_t year, int16_t month, int16_t day, bool blnCE = true) {
  return calendarDate(dtJulian, year, month, day, blnCE);
}

TEST(Julian, KnownDates) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  bool ok = false;
  EXPECT_EQ(j.julian_fixed(julian(1, 1, 1), ok), -1);
  EXPECT_TRUE(ok);
  udtDate date;
  j.fixed_julian(-1, date, ok);
  EXPECT_EQ(date, julian(1, 1, 1));
  j.fixed_julian(-2, date, ok);
  EXPECT_EQ(date, julian(1, 12, 31, false));  // 31 December 1 BCE
  // Thursday 4 October 1582 (Julian) was followed by Friday 15 October 1582
  // (Gregorian), whose fixed day is datetime.date(1582, 10, 15).toordinal().
  EXPECT_EQ(j.julian_fixed(julian(1582, 10, 4), ok), 577735);
  EXPECT_EQ(j.julian_fixed(julian(1582, 10, 5), ok), 577736);
  // 1900 is leap in the Julian calendar: its 29 February is 13 March (Gregorian).
  EXPECT_EQ(j.julian_fixed(julian(1900, 2, 29), ok), 693667);
  EXPECT_TRUE(ok);
  // The date type is not checked.
  EXPECT_EQ(j.julian_fixed(calendarDate(dtGregorian, 1, 1, 1), ok), -1);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Julian, SampleDatesOfThePublishedTable) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  for (const auto& row : kSampleDates) {
    const testing::SampleYMD& y = row.julian;
    udtDate expected = y.year < 0 ? julian(static_cast<int16_t>(-y.year), y.month, y.day, false)
                                  : julian(y.year, y.month, y.day);
    bool ok = false;
    udtDate date;
    j.fixed_julian(row.fixed, date, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(date, expected) << row.fixed;
    EXPECT_EQ(j.julian_fixed(expected, ok), row.fixed);
  }
}

TEST(Julian, LeapYearsOnBothSidesOfTheEra) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  EXPECT_TRUE(j.JulianLeapYear(4, true));
  EXPECT_TRUE(j.JulianLeapYear(1900, true));
  EXPECT_FALSE(j.JulianLeapYear(1, true));
  EXPECT_TRUE(j.JulianLeapYear(1, false));  // 1 BCE
  EXPECT_TRUE(j.JulianLeapYear(5, false));
  EXPECT_FALSE(j.JulianLeapYear(4, false));
  bool ok = false;
  j.julian_fixed(julian(1, 2, 29, false), ok);
  EXPECT_TRUE(ok);
  j.julian_fixed(julian(2, 2, 29, false), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cJulian.julian_fixed, Invalid udtDate.intDateOfMonth: 29");
}

TEST(Julian, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  const std::string p = "Error in cJulian.julian_fixed, ";
  struct Case {
    udtDate date;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {julian(32766, 1, 1), p + "Magnitude of udtDate.intYear too large: 32766"},
           {julian(-32766, 1, 1), p + "Magnitude of udtDate.intYear too large: -32766"},
           {julian(2000, 0, 1), p + "Invalid udtDate.intMonth: 0"},
           {julian(2000, 13, 1), p + "Invalid udtDate.intMonth: 13"},
           {julian(2000, 1, 0), p + "Invalid udtDate.intDateOfMonth: 0"},
           {julian(2000, 1, 32), p + "Invalid udtDate.intDateOfMonth: 32"},
           {julian(2000, 9, 31), p + "Invalid udtDate.intDateOfMonth: 31"},
           {julian(2000, 2, 30), p + "Invalid udtDate.intDateOfMonth: 30"},
           {julian(2001, 2, 29), p + "Invalid udtDate.intDateOfMonth: 29"},
           {julian(29002, 1, 1), p + "Magnitude of julian_fixed too large: 10592614"},
           {julian(29001, 1, 1, false), p + "Magnitude of julian_fixed too large: -10592617"},
       }) {
    bool ok = true;
    EXPECT_EQ(j.julian_fixed(c.date, ok), 0);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  bool ok = true;
  udtDate out;
  j.fixed_julian(-10592253, out, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cJulian.fixed_julian, Magnitude of lngDate too large: -10592253");
}

TEST(Julian, LimitsOfTheRangeConvertBothWays) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  for (int32_t n : {-10592252, -10592251, 10592251, 10592252}) {
    bool ok = false;
    udtDate date;
    j.fixed_julian(n, date, ok);
    ASSERT_TRUE(ok) << n;
    EXPECT_EQ(j.julian_fixed(date, ok), n) << date;
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
