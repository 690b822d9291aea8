// Every fixed day of a wide range converts to a date and back to the same
// day, and consecutive days give consecutive dates.
#include <gtest/gtest.h>

#include "app/session.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::kRoundTripFirst;
using testing::kRoundTripLast;
using testing::RecordedSession;

// The next date of a calendar whose months run 1 to 12 (Gregorian, Julian):
// the next day of the month, or day 1 of the next month after a day 28 to
// 31, or 1 January after 31 December (the astronomical year moving by one).
::testing::AssertionResult followsInYear(const udtDate& previous, const udtDate& next) {
  int32_t y0 = yearInForce(previous), y1 = yearInForce(next);
  bool ok;
  if (y0 == y1 && previous.intMonth == next.intMonth) {
    ok = next.intDateOfMonth == previous.intDateOfMonth + 1;
  } else if (y0 == y1) {
    ok = next.intMonth == previous.intMonth + 1 && next.intDateOfMonth == 1 && previous.intDateOfMonth >= 28;
  } else {
    ok = y1 == y0 + 1 && previous.intMonth == 12 && previous.intDateOfMonth == 31 && next.intMonth == 1 &&
         next.intDateOfMonth == 1;
  }
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << next << " does not follow " << previous;
}

TEST(RoundTrip, Gregorian) {
  RecordedSession s;
  clsGregorian& g = s.session.gregorian;
  udtDate previous;
  bool ok = false;
  g.fixed_gregorian(kRoundTripFirst - 1, previous, ok);
  ASSERT_TRUE(ok);
  for (int32_t n = kRoundTripFirst; n <= kRoundTripLast; ++n) {
    udtDate date;
    g.fixed_gregorian(n, date, ok);
    ASSERT_TRUE(ok) << n;
    ASSERT_EQ(g.gregorian_fixed(date, ok), n) << date;
    ASSERT_TRUE(ok);
    ASSERT_TRUE(date.blnCE);
    ASSERT_TRUE(followsInYear(previous, date));
    previous = date;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(RoundTrip, Julian) {
  RecordedSession s;
  clsJulian& j = s.session.julian;
  udtDate previous;
  bool ok = false;
  j.fixed_julian(kRoundTripFirst - 1, previous, ok);
  ASSERT_TRUE(ok);
  for (int32_t n = kRoundTripFirst; n <= kRoundTripLast; ++n) {
    udtDate date;
    j.fixed_julian(n, date, ok);
    ASSERT_TRUE(ok) << n;
    ASSERT_EQ(j.julian_fixed(date, ok), n) << date;
    ASSERT_TRUE(ok);
    ASSERT_GE(date.intYear, 1) << date;  // years before the era are counted from 1 BCE
    ASSERT_TRUE(followsInYear(previous, date));
    previous = date;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(RoundTrip, Hebrew) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  udtDate previous;
  bool ok = false;
  h.fixed_hebrew(kRoundTripFirst - 1, previous, ok);
  ASSERT_TRUE(ok);
  for (int32_t n = kRoundTripFirst; n <= kRoundTripLast; ++n) {
    udtDate date;
    h.fixed_hebrew(n, date, ok);
    ASSERT_TRUE(ok) << n;
    ASSERT_EQ(h.hebrew_fixed(date, ok), n) << date;
    ASSERT_TRUE(ok);
    if (date.intMonth == previous.intMonth) {
      ASSERT_EQ(date.intDateOfMonth, previous.intDateOfMonth + 1) << date;
      ASSERT_EQ(date.intYear, previous.intYear);
    } else {
      // Months run Tishri (7) .. Adar (12) or Adar 2 (13), Nisan (1) .. Ellul
      // (6); the year changes at 1 Tishri.
      int16_t m0 = previous.intMonth, m1 = date.intMonth;
      bool nextMonth = (m0 == 12 && (m1 == 13 || m1 == 1)) || (m0 == 13 && m1 == 1) ||
                       (m0 != 12 && m0 != 13 && m1 == m0 + 1);
      ASSERT_TRUE(nextMonth) << previous << " then " << date;
      ASSERT_EQ(date.intYear, previous.intYear + (m1 == 7 ? 1 : 0));
      ASSERT_EQ(date.intDateOfMonth, 1);
      ASSERT_TRUE(previous.intDateOfMonth == 29 || previous.intDateOfMonth == 30) << previous;
    }
    previous = date;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(RoundTrip, Islamic) {
  RecordedSession s;
  clsIslamic& i = s.session.islamic;
  udtDate previous;
  bool ok = false;
  i.fixed_islamic(kRoundTripFirst - 1, previous, ok);
  ASSERT_TRUE(ok);
  for (int32_t n = kRoundTripFirst; n <= kRoundTripLast; ++n) {
    udtDate date;
    i.fixed_islamic(n, date, ok);
    ASSERT_TRUE(ok) << n;
    ASSERT_EQ(i.islamic_fixed(date, ok), n) << date;
    ASSERT_TRUE(ok);
    if (date.intMonth == previous.intMonth) {
      ASSERT_EQ(date.intDateOfMonth, previous.intDateOfMonth + 1) << date;
    } else {
      ASSERT_EQ(date.intMonth, previous.intMonth == 12 ? 1 : previous.intMonth + 1) << date;
      ASSERT_EQ(date.intYear, previous.intYear + (date.intMonth == 1 ? 1 : 0));
      ASSERT_EQ(date.intDateOfMonth, 1);
      ASSERT_TRUE(previous.intDateOfMonth == 29 || previous.intDateOfMonth == 30) << previous;
    }
    previous = date;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
