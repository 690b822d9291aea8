#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/day_arithmetic.h"
#include "calendar/hebrew.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::kSampleDates;
using testing::RecordedSession;

udtDate hebrewDate(int16_t year, int16_t month, int16_t day) { return calendarDate(dtHebrew, year, month, day); }

// Fixed days of well-known dates; the Gregorian equivalents were checked with
// python3-convertdate 2.4 and datetime.date.toordinal().
TEST(Hebrew, KnownDates) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  bool ok = false;
  struct Row {
    int16_t y, m, d;
    int32_t fixed;  // Gregorian date in the comment
  };
  for (const Row& r : std::vector<Row>{
           {5784, 7, 1, 738779},    // Rosh Hashanah, Saturday 16 September 2023
           {5785, 7, 1, 739162},    // Thursday 3 October 2024
           {5786, 7, 1, 739517},    // Tuesday 23 September 2025
           {5785, 7, 10, 739171},   // Yom Kippur, 12 October 2024
           {5784, 9, 25, 738862},   // Hanukkah, 8 December 2023
           {5784, 13, 14, 738969},  // Purim in a leap year (Adar 2), 24 March 2024
           {5783, 12, 14, 738586},  // Purim in a common year, 7 March 2023
           {5784, 1, 15, 738999},   // Passover, 23 April 2024
           {1, 7, 1, -1373427},     // the epoch
       }) {
    EXPECT_EQ(h.hebrew_fixed(hebrewDate(r.y, r.m, r.d), ok), r.fixed) << r.y << "-" << r.m << "-" << r.d;
    EXPECT_TRUE(ok);
    udtDate back;
    h.fixed_hebrew(r.fixed, back, ok);
    EXPECT_EQ(back, hebrewDate(r.y, r.m, r.d));
  }
  EXPECT_EQ(h.HebrewNewYear(5784), 738779);
  EXPECT_EQ(h.HebrewNewYearDelay(5784), 0);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Hebrew, SampleDatesOfThePublishedTable) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  for (const auto& row : kSampleDates) {
    bool ok = false;
    udtDate date;
    h.fixed_hebrew(row.fixed, date, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(date, hebrewDate(row.hebrew.year, row.hebrew.month, row.hebrew.day)) << row.fixed;
    EXPECT_EQ(h.hebrew_fixed(date, ok), row.fixed);
  }
}

TEST(Hebrew, YearLengthsAndLeapYears) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  // Year lengths of 5780 to 5789, checked with python3-convertdate 2.4.
  const int16_t lengths[] = {355, 353, 384, 355, 383, 355, 354, 385, 355, 354};
  for (int32_t y = 5780; y < 5790; ++y) EXPECT_EQ(h.DaysInHebrewYear(y), lengths[y - 5780]) << y;
  EXPECT_TRUE(h.HebrewLeapYear(5782));
  EXPECT_TRUE(h.HebrewLeapYear(5784));
  EXPECT_FALSE(h.HebrewLeapYear(5783));
  EXPECT_FALSE(h.HebrewLeapYear(5785));
  EXPECT_EQ(h.MonthsInHebrewYear(5784), 13);
  EXPECT_EQ(h.MonthsInHebrewYear(5785), 12);
  // 5781 has 353 days (short Kislev), 5785 355 (long Cheshvan).
  EXPECT_TRUE(h.ShortKislev(5781));
  EXPECT_FALSE(h.LongCheshvan(5781));
  EXPECT_TRUE(h.LongCheshvan(5785));
  EXPECT_FALSE(h.ShortKislev(5785));
  bool ok = false;
  EXPECT_EQ(h.LastDayOfHebrewMonth(9, 5781, ok), 29);
  EXPECT_EQ(h.LastDayOfHebrewMonth(8, 5785, ok), 30);
  EXPECT_EQ(h.LastDayOfHebrewMonth(12, 5784, ok), 30);  // Adar 1
  EXPECT_EQ(h.LastDayOfHebrewMonth(12, 5785, ok), 29);
  EXPECT_TRUE(ok);
}

// What a wrong formula breaks: year lengths, the weekday of the new year,
// month lengths adding up to the year, and 7 leap years in every 19.
TEST(Hebrew, StructureOfEveryYear) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  const std::set<int> commonLengths{353, 354, 355}, leapLengths{383, 384, 385};
  std::set<int> delays;
  int leapYears = 0;
  // Years -100 to 7000 cover fixed days -1,000,000 to 1,000,000 with room to
  // spare; the last years of the range are checked too.
  std::vector<int32_t> years;
  for (int32_t y = -100; y <= 7000; ++y) years.push_back(y);
  for (int32_t y = 32700; y <= 32764; ++y) years.push_back(y);
  for (int32_t y : years) {
    bool ok = false;
    int length = h.DaysInHebrewYear(y);
    bool leap = h.HebrewLeapYear(y);
    ASSERT_TRUE((leap ? leapLengths : commonLengths).count(length)) << y << " has " << length << " days";
    int32_t newYear = h.HebrewNewYear(y);
    ASSERT_EQ(h.HebrewNewYear(y + 1) - newYear, length) << y;
    int weekday = static_cast<int>(floorMod(newYear, 7));
    ASSERT_TRUE(weekday != 0 && weekday != 3 && weekday != 5) << y << " begins on weekday " << weekday;
    int sum = 0;
    for (int16_t m = 1; m <= h.MonthsInHebrewYear(y); ++m) {
      int16_t days = h.LastDayOfHebrewMonth(m, y, ok);
      ASSERT_TRUE(ok);
      ASSERT_TRUE(days == 29 || days == 30);
      sum += days;
    }
    ASSERT_EQ(sum, length) << y;
    delays.insert(h.HebrewNewYearDelay(y));
    if (y >= 1 && y <= 19 * 300) leapYears += leap;
    if (y <= 7000) {
      ASSERT_EQ(h.hebrew_fixed(hebrewDate(static_cast<int16_t>(y), 7, 1), ok), newYear) << y;
      ASSERT_TRUE(ok);
    }
  }
  EXPECT_EQ(leapYears, 7 * 300);
  EXPECT_EQ(delays, (std::set<int>{0, 1, 2}));
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Hebrew, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  const std::string p = "Error in cHebrew.hebrew_fixed, ";
  struct Case {
    udtDate date;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {hebrewDate(32766, 7, 1), p + "Magnitude of udtDate.intYear too large: 32766"},
           {hebrewDate(-32766, 7, 1), p + "Magnitude of udtDate.intYear too large: -32766"},
           {hebrewDate(5783, 13, 1), p + "Invalid udtDate.intMonth: 13"},
           {hebrewDate(5784, 0, 1), p + "Invalid udtDate.intMonth: 0"},
           {hebrewDate(5784, 8, 30), p + "Invalid udtDate.intDateOfMonth: 30"},  // 5784 has 383 days
           {hebrewDate(5784, 2, 30), p + "Invalid udtDate.intDateOfMonth: 30"},
           {hebrewDate(5784, 1, 0), p + "Invalid udtDate.intDateOfMonth: 0"},
           {hebrewDate(32765, 7, 1), p + "Magnitude of hebrew_fixed too large: 10593522"},
           {hebrewDate(-25300, 7, 1), p + "Magnitude of hebrew_fixed too large: -10614554"},
       }) {
    bool ok = true;
    EXPECT_EQ(h.hebrew_fixed(c.date, ok), 0);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  bool ok = false;
  h.hebrew_fixed(hebrewDate(5785, 8, 30), ok);  // long Cheshvan
  EXPECT_TRUE(ok);
  EXPECT_EQ(h.LastDayOfHebrewMonth(13, 5783, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cHebrew.LastDayOfHebrewMonth, Invalid intMonth: 13");
  h.LastDayOfHebrewMonth(0, 5784, ok);
  EXPECT_EQ(s.sink.last(), "Error in cHebrew.LastDayOfHebrewMonth, Invalid intMonth: 0");
  EXPECT_EQ(s.sink.messages.size(), 11u);
}

TEST(Hebrew, YearsBeyondTheRecordAreRefusedSilently) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  bool ok = true;
  udtDate date;
  h.fixed_hebrew(10600000, date, ok);
  EXPECT_FALSE(ok);
  h.fixed_hebrew(-13400000, date, ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
  // Both ends of the range of fixed days still convert both ways.
  for (int32_t n : {-10592252, 10592252}) {
    h.fixed_hebrew(n, date, ok);
    ASSERT_TRUE(ok) << n;
    EXPECT_EQ(h.hebrew_fixed(date, ok), n) << date;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Hebrew, MonthNames) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  EXPECT_EQ(h.HebrewMonthName(1, 5784), "Nisan");
  EXPECT_EQ(h.HebrewMonthName(6, 5784), "Ellul");
  EXPECT_EQ(h.HebrewMonthName(7, 5784), "Tishri");
  EXPECT_EQ(h.HebrewMonthName(11, 5784), "Shevat");
  EXPECT_EQ(h.HebrewMonthName(12, 5784), "Adar 1");
  EXPECT_EQ(h.HebrewMonthName(12, 5783), "Adar");
  EXPECT_EQ(h.HebrewMonthName(12, clsHebrew::kNoYear), "Adar (1)");
  EXPECT_EQ(h.HebrewMonthName(13, 5784), "Adar 2");
  EXPECT_EQ(h.HebrewMonthName(14, 5784), "14");
  EXPECT_EQ(h.HebrewMonthName(0, 5784), "0");
  s.session.intLanguage = 1;
  EXPECT_EQ(h.HebrewMonthName(0, 5784), "0");
  EXPECT_EQ(h.HebrewMonthName(1, 5784), "ניסן");
  EXPECT_EQ(h.HebrewMonthName(9, 5784), "כסלב");
  EXPECT_EQ(h.HebrewMonthName(12, 5784), "אדר א'");
  EXPECT_EQ(h.HebrewMonthName(12, 5783), "אדר");
  EXPECT_EQ(h.HebrewMonthName(12, clsHebrew::kNoYear), "אדר (א')");
  EXPECT_EQ(h.HebrewMonthName(13, 5784), "אדר ב'");
}

// A rule given in Hebrew months: the first Sunday on or after 3 Tishri, which
// in 5784 is 9 Tishri, Sunday 24 September 2023.
TEST(HebrewBeforeOnAfter, FirstSundayOnOrAfterADate) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  bool ok = false;
  auto compare = [&](double t) { return h.BeforeOnAfter(0, 3, 1, 7, t, ok); };
  EXPECT_EQ(compare(738787), 0);       // 24 September 2023
  EXPECT_EQ(compare(738787.9), 0);
  EXPECT_EQ(compare(738786), -1);      // 23 September, 8 Tishri
  EXPECT_EQ(compare(738788), 1);       // 25 September
  EXPECT_EQ(compare(738750), -1);      // 1 Ellul 5783, the month before
  EXPECT_EQ(compare(738809), 1);       // 1 Cheshvan 5784, the month after
  // 1 Tevet 5784 is 13 December 2023: dates in November and December are after.
  EXPECT_EQ(compare(738867), 1);
  EXPECT_EQ(compare(738985), -1);      // 1 Nisan 5784, spring
  EXPECT_TRUE(ok);
}

// The last Friday of Nisan 5784 (30 days from Tuesday 9 April 2024) is
// 25 Nisan, Friday 3 May 2024.
TEST(HebrewBeforeOnAfter, LastWeekdayOfTheMonth) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  bool ok = false;
  auto compare = [&](double t) { return h.BeforeOnAfter(5, 1, 5, 1, t, ok); };
  EXPECT_EQ(compare(739009), 0);
  EXPECT_EQ(compare(739008), -1);
  EXPECT_EQ(compare(739010), 1);
  EXPECT_EQ(compare(739015), 1);  // 1 Iyar
  EXPECT_EQ(compare(738939), -1);  // 14 Adar 1
  // Week 0: the date itself; 15 Nisan 5784 is 23 April 2024.
  EXPECT_EQ(h.BeforeOnAfter(2, 15, 0, 1, 738999, ok), 0);
  EXPECT_EQ(h.BeforeOnAfter(2, 15, 0, 1, 738998, ok), -1);
  EXPECT_TRUE(ok);
}

TEST(HebrewBeforeOnAfter, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  struct Case {
    int16_t dow, dom, week, month;
    double t;
    std::string message;
  };
  const std::string p = "Error in cHebrew.BeforeOnAfter, ";
  for (const Case& c : std::vector<Case>{
           {0, 1, 5, 7, 10592253, p + "Magnitude of dblDate too large: 10592253"},
           {7, 1, 5, 7, 738779, p + "Invalid intDayOfWeek: 7"},
           {0, 1, 5, 14, 738779, p + "Invalid intMonth: 14"},
           {0, 1, 5, 0, 738779, p + "Invalid intMonth: 0"},
           {0, 31, 5, 7, 738779, p + "Invalid intDateOfMonth: 31"},
           {0, 0, 5, 7, 738779, p + "Invalid intDateOfMonth: 0"},
           {0, 1, 6, 7, 738779, p + "Invalid intWeekNo: 6"},
       }) {
    bool ok = true;
    h.BeforeOnAfter(c.dow, c.dom, c.week, c.month, c.t, ok);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  EXPECT_EQ(s.sink.messages.size(), 7u);
}

}  // namespace
}  // namespace nemora
