#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::kSampleDates;
using testing::RecordedSession;

udtDate gregorian(int16_t year, int16_t month, int16_t day, bool blnCE = true) {
  return calendarDate(dtGregorian, year, month, day, blnCE);
}

TEST(Gregorian, FixedDayNumbersOfKnownDates) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  bool ok = false;
  EXPECT_EQ(g.gregorian_fixed(gregorian(1, 1, 1), ok), 1);
  EXPECT_TRUE(ok);
  EXPECT_EQ(g.gregorian_fixed(gregorian(1, 12, 31, false), ok), 0);  // year in force 0
  EXPECT_EQ(g.gregorian_fixed(gregorian(0, 12, 31), ok), 0);          // the same day, astronomical year
  EXPECT_EQ(g.gregorian_fixed(gregorian(2000, 1, 1), ok), 730120);
  // Python's datetime.date(y, m, d).toordinal() is the fixed day number.
  struct Row {
    int16_t y, m, d;
    int32_t ordinal;
  };
  for (const Row& r : std::vector<Row>{{1582, 10, 15, 577736}, {1900, 2, 28, 693654}, {1900, 3, 1, 693655},
                                       {1970, 1, 1, 719163}, {2000, 2, 29, 730179}, {2023, 9, 16, 738779},
                                       {2024, 1, 1, 738886}, {9999, 12, 31, 3652059}}) {
    EXPECT_EQ(g.gregorian_fixed(gregorian(r.y, r.m, r.d), ok), r.ordinal) << r.y << "-" << r.m << "-" << r.d;
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Gregorian, SampleDatesOfThePublishedTable) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  for (const auto& row : kSampleDates) {
    bool ok = false;
    udtDate date;
    g.fixed_gregorian(row.fixed, date, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(date, gregorian(row.gregorian.year, row.gregorian.month, row.gregorian.day)) << row.fixed;
    EXPECT_EQ(g.gregorian_fixed(date, ok), row.fixed);
  }
}

TEST(Gregorian, DatesOfFixedDays) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  bool ok = false;
  udtDate date;
  g.fixed_gregorian(0, date, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(date, gregorian(0, 12, 31));  // 31 December 1 BCE, astronomical year 0, blnCE true
  g.fixed_gregorian(-365, date, ok);
  EXPECT_EQ(date, gregorian(0, 1, 1));  // year 0 is leap: 366 days
  g.fixed_gregorian(-366, date, ok);
  EXPECT_EQ(date, gregorian(-1, 12, 31));
  EXPECT_EQ(g.fixed_gregorianYear(730120, ok), 2000);
  EXPECT_EQ(g.fixed_gregorianYear(730119, ok), 1999);
  EXPECT_EQ(g.fixed_gregorianYear(0, ok), 0);
}

TEST(Gregorian, OutputKeepsTheFieldsItDoesNotSet) {
  RecordedSession s;
  udtDate date = dayNumberDate(dtFixed, 12.75);
  date.blnEve = true;
  bool ok = false;
  s.session.gregorian.fixed_gregorian(730120, date, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(date.enmDateType, dtGregorian);
  EXPECT_EQ(date.dblDay, 12.75);
  EXPECT_TRUE(date.blnEve);
}

TEST(Gregorian, LeapYearsMonthLengthsAndWeekdays) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  EXPECT_TRUE(g.GregorianLeapYear(0));
  EXPECT_TRUE(g.GregorianLeapYear(-4));
  EXPECT_FALSE(g.GregorianLeapYear(-1));
  EXPECT_FALSE(g.GregorianLeapYear(1900));
  EXPECT_TRUE(g.GregorianLeapYear(2000));
  EXPECT_TRUE(g.GregorianLeapYear(2024));
  EXPECT_FALSE(g.GregorianLeapYear(-100));
  EXPECT_TRUE(g.GregorianLeapYear(-400));

  bool ok = false;
  const int16_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int16_t m = 1; m <= 12; ++m) EXPECT_EQ(g.DaysInGregorianMonth(m, 2023, ok), lengths[m - 1]) << m;
  EXPECT_EQ(g.DaysInGregorianMonth(2, 2024, ok), 29);
  EXPECT_EQ(g.DaysInGregorianMonth(2, 1900, ok), 28);
  EXPECT_TRUE(ok);

  EXPECT_EQ(g.fixed_DayOfWeek(1), 1);       // Monday 1 January 1
  EXPECT_EQ(g.fixed_DayOfWeek(730120), 6);  // Saturday 1 January 2000
  EXPECT_EQ(g.fixed_DayOfWeek(730120.99), 6);
  EXPECT_EQ(g.fixed_DayOfWeek(0), 0);
  EXPECT_EQ(g.fixed_DayOfWeek(-0.25), 6);  // the evening of the day before fixed day 0
  EXPECT_EQ(g.fixed_DayOfWeek(738779), 6);  // 16 September 2023 was a Saturday
}

TEST(Gregorian, TwentyNinthFebruaryBeforeTheEra) {
  RecordedSession s;
  bool ok = false;
  s.session.gregorian.gregorian_fixed(gregorian(1, 2, 29, false), ok);  // 1 BCE = year 0, leap
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.session.gregorian.gregorian_fixed(gregorian(2, 2, 29, false), ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cGregorian.gregorian_fixed, Invalid intDateOfMonth: 29");
}

TEST(Gregorian, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  struct Case {
    udtDate date;
    std::string message;
  };
  udtDate julianType = gregorian(2000, 1, 1);
  julianType.enmDateType = dtJulian;
  const std::string p = "Error in cGregorian.gregorian_fixed, ";
  for (const Case& c : std::vector<Case>{
           {julianType, p + "Invalid enmDateType: 5"},
           {gregorian(30001, 1, 1), p + "Invalid intYear: 30001"},
           {gregorian(-30001, 1, 1), p + "Invalid intYear: -30001"},
           {gregorian(2000, 0, 1), p + "Invalid intMonth: 0"},
           {gregorian(2000, 13, 1), p + "Invalid intMonth: 13"},
           {gregorian(2023, 4, 31), p + "Invalid intDateOfMonth: 31"},
           {gregorian(2023, 2, 29), p + "Invalid intDateOfMonth: 29"},
           {gregorian(2023, 1, 0), p + "Invalid intDateOfMonth: 0"},
           {gregorian(29002, 1, 1), p + "Magnitude of gregorian_fixed too large: 10592398"},
           {gregorian(29001, 1, 1, false), p + "Magnitude of gregorian_fixed too large: -10592397"},
       }) {
    bool ok = true;
    EXPECT_EQ(g.gregorian_fixed(c.date, ok), 0);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  bool ok = true;
  g.gregorian_fixed(gregorian(2023, 4, 31), ok);
  g.gregorian_fixed(gregorian(2023, 4, 31), ok);  // a failure is never answered from the store
  EXPECT_EQ(s.sink.messages.size(), 12u);

  udtDate out;
  g.fixed_gregorian(10592253, out, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cGregorian.fixed_gregorian, Magnitude of lngDate too large: 10592253");
  EXPECT_EQ(g.fixed_gregorianYear(-10592253, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cGregorian.fixed_GregorianYear, Magnitude of lngDate too large: -10592253");
  EXPECT_EQ(g.DaysInGregorianMonth(13, 2000, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cGregorian.DaysInGregorianMonth, Invalid intMonth: 13");
}

TEST(Gregorian, LimitsOfTheRangeConvertBothWays) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  for (int32_t n : {-10592252, -10592251, 10592251, 10592252}) {
    bool ok = false;
    udtDate date;
    g.fixed_gregorian(n, date, ok);
    ASSERT_TRUE(ok) << n;
    EXPECT_EQ(g.gregorian_fixed(date, ok), n) << date;
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Gregorian, MonthNamesFollowTheLanguage) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  EXPECT_EQ(g.GregorianMonthName(1), "January");
  EXPECT_EQ(g.GregorianMonthName(2), "February");
  EXPECT_EQ(g.GregorianMonthName(12), "December");
  EXPECT_EQ(g.GregorianMonthName(0), "0");
  EXPECT_EQ(g.GregorianMonthName(13), "13");
  s.session.intLanguage = 1;
  EXPECT_EQ(g.GregorianMonthName(12), "דצמבר");  // the same month again: the store follows the language
  EXPECT_EQ(g.GregorianMonthName(2), "פברואור");
  EXPECT_EQ(g.GregorianMonthName(3), "מרץ");
  s.session.intLanguage = 2;
  EXPECT_EQ(g.GregorianMonthName(3), "");
}

TEST(Gregorian, SessionsKeepTheirOwnStores) {
  RecordedSession english, hebrew;
  hebrew.session.intLanguage = 1;
  EXPECT_EQ(hebrew.session.gregorian.GregorianMonthName(5), "מאי");
  EXPECT_EQ(english.session.gregorian.GregorianMonthName(5), "May");
  EXPECT_EQ(hebrew.session.gregorian.GregorianMonthName(5), "מאי");
}

// Daylight-saving rules: last Sunday of March (dow 0, dom 1, week 5, month 3).
TEST(GregorianBeforeOnAfter, LastSundayOfMarch) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  bool ok = false;
  auto compare = [&](int16_t month, int16_t day, double fraction = 0) {
    int32_t fixed = g.gregorian_fixed(gregorian(2009, month, day), ok);
    return g.BeforeOnAfter(0, 1, 5, 3, fixed + fraction, ok);
  };
  EXPECT_EQ(compare(3, 29), 0);
  EXPECT_EQ(compare(3, 29, 0.99), 0);
  EXPECT_EQ(compare(3, 28), -1);
  EXPECT_EQ(compare(3, 30), 1);
  EXPECT_EQ(compare(3, 1), -1);
  EXPECT_EQ(compare(2, 28), -1);
  EXPECT_EQ(compare(1, 1), -1);
  for (int16_t day : {1, 15, 30}) EXPECT_EQ(compare(4, day), 1);
  EXPECT_EQ(compare(12, 31), 1);
  EXPECT_TRUE(ok);
  // 2012: 25 March is the last Sunday, also the first day of the window.
  int32_t fixed = g.gregorian_fixed(gregorian(2012, 3, 25), ok);
  EXPECT_EQ(g.BeforeOnAfter(0, 1, 5, 3, fixed, ok), 0);
  EXPECT_EQ(g.BeforeOnAfter(0, 1, 5, 3, fixed - 1, ok), -1);
}

TEST(GregorianBeforeOnAfter, RulesCountedFromADate) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  bool ok = false;
  auto compare = [&](int16_t dow, int16_t dom, int16_t week, int16_t ruleMonth, int16_t year, int16_t month,
                     int16_t day) {
    int32_t fixed = g.gregorian_fixed(gregorian(year, month, day), ok);
    return g.BeforeOnAfter(dow, dom, week, ruleMonth, fixed, ok);
  };
  // First Sunday on or after 26 March 2021 is 28 March.
  EXPECT_EQ(compare(0, 26, 1, 3, 2021, 3, 27), -1);
  EXPECT_EQ(compare(0, 26, 1, 3, 2021, 3, 28), 0);
  EXPECT_EQ(compare(0, 26, 1, 3, 2021, 4, 1), 1);
  // First Sunday on or after 27 March 2022 is the 27th itself.
  EXPECT_EQ(compare(0, 27, 1, 3, 2022, 3, 27), 0);
  // Second Friday on or after 1 October 2023 (a Sunday): 13 October.
  EXPECT_EQ(compare(5, 1, 2, 10, 2023, 10, 12), -1);
  EXPECT_EQ(compare(5, 1, 2, 10, 2023, 10, 13), 0);
  // Week 0: the date itself, whatever its weekday.
  EXPECT_EQ(compare(3, 15, 0, 6, 2023, 6, 15), 0);
  EXPECT_EQ(compare(3, 15, 0, 6, 2023, 6, 14), -1);
  EXPECT_EQ(compare(3, 15, 0, 6, 2023, 7, 1), 1);
  // Last Friday of February in a leap year: 23 February 2024 (the 29th is a Thursday).
  EXPECT_EQ(compare(5, 1, 5, 2, 2024, 2, 23), 0);
  EXPECT_EQ(compare(5, 1, 5, 2, 2024, 2, 29), 1);
  EXPECT_TRUE(ok);
}

// When the rule's window runs past its month, the rule's day can fall in the
// next month; a date of that month is compared with it.
TEST(GregorianBeforeOnAfter, RuleDayInTheNextMonth) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  bool ok = false;
  auto compare = [&](int16_t dow, int16_t dom, int16_t week, int16_t ruleMonth, int16_t year, int16_t month,
                     int16_t day) {
    int32_t fixed = g.gregorian_fixed(gregorian(year, month, day), ok);
    return g.BeforeOnAfter(dow, dom, week, ruleMonth, fixed, ok);
  };
  // First Sunday on or after 27 March 2023 (a Monday) is 2 April.
  EXPECT_EQ(compare(0, 27, 1, 3, 2023, 3, 31), -1);
  EXPECT_EQ(compare(0, 27, 1, 3, 2023, 4, 1), -1);
  EXPECT_EQ(compare(0, 27, 1, 3, 2023, 4, 2), 0);
  EXPECT_EQ(compare(0, 27, 1, 3, 2023, 4, 3), 1);
  EXPECT_EQ(compare(0, 27, 1, 3, 2023, 5, 1), 1);
  // First Saturday on or after 29 February 2023 (a common year): 4 March.
  EXPECT_EQ(compare(6, 29, 1, 2, 2023, 3, 3), -1);
  EXPECT_EQ(compare(6, 29, 1, 2, 2023, 3, 4), 0);
  // Week 0 on 30 March: every April date is after it.
  EXPECT_EQ(compare(0, 30, 0, 3, 2023, 4, 1), 1);
  EXPECT_EQ(compare(0, 30, 0, 3, 2023, 3, 30), 0);
  // Second Sunday on or after 25 March 2023 (a Saturday): 2 April.
  EXPECT_EQ(compare(0, 25, 2, 3, 2023, 4, 1), -1);
  EXPECT_EQ(compare(0, 25, 2, 3, 2023, 4, 2), 0);
  // Last Sunday of March 2023 (the 26th) with a late dom: the month's last week counts.
  EXPECT_EQ(compare(0, 26, 5, 3, 2023, 3, 26), 0);
  EXPECT_EQ(compare(0, 26, 5, 3, 2023, 4, 1), 1);
  // December rules never reach into January of the same year.
  EXPECT_EQ(compare(0, 30, 1, 12, 2023, 1, 2), -1);
  EXPECT_TRUE(ok);
}

TEST(GregorianBeforeOnAfter, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  struct Case {
    int16_t dow, dom, week, month;
    double t;
    std::string message;
  };
  const std::string p = "Error in cGregorian.BeforeOnAfter, ";
  for (const Case& c : std::vector<Case>{
           {0, 1, 5, 3, 10592253, p + "Magnitude of dblDate too large: 10592253"},
           {0, 1, 5, 3, -10592252.5, p + "Magnitude of dblDate too large: -10592252.5"},
           {7, 1, 5, 3, 730120, p + "Invalid intDayOfWeek: 7"},
           {-1, 1, 5, 3, 730120, p + "Invalid intDayOfWeek: -1"},
           {0, 1, 5, 0, 730120, p + "Invalid intMonth: 0"},
           {0, 1, 5, 13, 730120, p + "Invalid intMonth: 13"},
           {0, 0, 5, 3, 730120, p + "Invalid intDateOfMonth: 0"},
           {0, 32, 5, 3, 730120, p + "Invalid intDateOfMonth: 32"},
           {0, 31, 5, 4, 730120, p + "Invalid intDateOfMonth: 31"},
           {0, 30, 5, 2, 730120, p + "Invalid intDateOfMonth: 30"},
           {0, 1, 6, 3, 730120, p + "Invalid intWeekNo: 6"},
           {0, 1, -1, 3, 730120, p + "Invalid intWeekNo: -1"},
       }) {
    bool ok = true;
    g.BeforeOnAfter(c.dow, c.dom, c.week, c.month, c.t, ok);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  bool ok = false;
  g.BeforeOnAfter(0, 29, 1, 2, 730120, ok);  // 29 February is a valid rule date
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.sink.messages.size(), 12u);
}

}  // namespace
}  // namespace nemora
