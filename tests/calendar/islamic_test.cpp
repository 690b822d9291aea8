#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/islamic.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::kSampleDates;
using testing::RecordedSession;

udtDate islamicDate(int16_t year, int16_t month, int16_t day) { return calendarDate(dtIslamic, year, month, day); }

TEST(Islamic, EpochAndLeapYears) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  bool ok = false;
  EXPECT_EQ(i.islamic_fixed(islamicDate(1, 1, 1), ok), 227015);
  EXPECT_TRUE(ok);
  udtDate date;
  i.fixed_islamic(227015, date, ok);
  EXPECT_EQ(date, islamicDate(1, 1, 1));
  i.fixed_islamic(227014, date, ok);
  EXPECT_EQ(date, islamicDate(0, 12, 29));  // year 0, the last of a cycle, is common
  // The 11 leap years of each 30-year cycle.
  std::vector<int> leap;
  for (int y = 1; y <= 30; ++y)
    if (i.IslamicLeapYear(y)) leap.push_back(y);
  EXPECT_EQ(leap, (std::vector<int>{2, 5, 7, 10, 13, 16, 18, 21, 24, 26, 29}));
  EXPECT_FALSE(i.IslamicLeapYear(1));
  EXPECT_TRUE(i.IslamicLeapYear(-1));  // year 29 of the cycle before
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Islamic, SampleDatesOfThePublishedTable) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  for (const auto& row : kSampleDates) {
    bool ok = false;
    udtDate date;
    i.fixed_islamic(row.fixed, date, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(date, islamicDate(row.islamic.year, row.islamic.month, row.islamic.day)) << row.fixed;
    EXPECT_EQ(i.islamic_fixed(date, ok), row.fixed);
  }
}

// Months of 30 and 29 days in turn, the twelfth 30 days in a leap year, and
// the months adding up to the year.
TEST(Islamic, MonthLengthsAddUpToTheYear) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  for (int16_t y = -3000; y <= 3000; ++y) {
    bool ok = false;
    int32_t start = i.islamic_fixed(islamicDate(y, 1, 1), ok);
    int32_t previous = start;
    for (int16_t m = 2; m <= 12; ++m) {
      int32_t first = i.islamic_fixed(islamicDate(y, m, 1), ok);
      ASSERT_EQ(first - previous, m % 2 == 0 ? 30 : 29) << y << "-" << m - 1;
      previous = first;
    }
    int32_t next = i.islamic_fixed(islamicDate(static_cast<int16_t>(y + 1), 1, 1), ok);
    ASSERT_EQ(next - previous, i.IslamicLeapYear(y) ? 30 : 29) << y;
    ASSERT_EQ(next - start, i.IslamicLeapYear(y) ? 355 : 354) << y;
  }
}

TEST(Islamic, DayThirtyIsAcceptedInEveryMonth) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  bool ok = false;
  // 30 Safar is the day after 29 Safar, that is 1 Rabi' I.
  int32_t fixed = i.islamic_fixed(islamicDate(1445, 2, 30), ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(fixed, i.islamic_fixed(islamicDate(1445, 3, 1), ok));
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Islamic, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  const std::string p = "Error in cIslamic.Islamic_fixed, ";
  struct Case {
    udtDate date;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {islamicDate(32766, 1, 1), p + "Magnitude of udtDate.intYear too large: 32766"},
           {islamicDate(-32766, 1, 1), p + "Magnitude of udtDate.intYear too large: -32766"},
           {islamicDate(1445, 0, 1), p + "Invalid udtDate.intMonth: 0"},
           {islamicDate(1445, 13, 1), p + "Invalid udtDate.intMonth: 13"},
           {islamicDate(1445, 1, 0), p + "Invalid udtDate.intDateOfMonth: 0"},
           {islamicDate(1445, 1, 31), p + "Invalid udtDate.intDateOfMonth: 31"},
       }) {
    bool ok = true;
    EXPECT_EQ(i.islamic_fixed(c.date, ok), 0);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  bool ok = true;
  udtDate date;
  i.fixed_islamic(12000000, date, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cIslamic.Fixed_Islamic, Magnitude of lngYear too large: 33223");
  i.fixed_islamic(-12000000, date, ok);
  EXPECT_EQ(s.sink.last(), "Error in cIslamic.Fixed_Islamic, Magnitude of lngYear too large: -34503");
  // The limits of the range of fixed days still convert both ways.
  for (int32_t n : {-10592252, 10592252}) {
    i.fixed_islamic(n, date, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(i.islamic_fixed(date, ok), n);
  }
  EXPECT_EQ(s.sink.messages.size(), 8u);
}

TEST(Islamic, MonthNames) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  EXPECT_EQ(i.IslamicMonthName(1), "Muharram");
  EXPECT_EQ(i.IslamicMonthName(3), "Rabi' I");
  EXPECT_EQ(i.IslamicMonthName(9), "Ramadan");
  EXPECT_EQ(i.IslamicMonthName(11), "Dhu-al-Qu'da");
  EXPECT_EQ(i.IslamicMonthName(12), "Dhu-al-Hijja");
  EXPECT_EQ(i.IslamicMonthName(13), "13");
  s.session.intLanguage = 1;
  EXPECT_EQ(i.IslamicMonthName(5), "ג'מאדה א'");
  EXPECT_EQ(i.IslamicMonthName(9), "רמדן");
  EXPECT_EQ(i.IslamicMonthName(12), "ד'ו-אלהיג'ה");
  EXPECT_EQ(i.IslamicMonthName(0), "0");
}

}  // namespace
}  // namespace nemora
