// Date evaluation and date text, and the date-and-time text of instants.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "timescale/date_text.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// Fixed days checked with Python's datetime.date.toordinal (the same count).
constexpr int32_t kTuesday9June2009 = 733567;
constexpr int32_t kYomKippur5784 = 738788;  // Monday 25 September 2023, 10 Tishri 5784
constexpr int32_t kMonday1January2024 = 738886;

std::string write(Session& s, const udtDate& d, bool withGregorian, bool numeric, bool weekday) {
  bool ok = false;
  std::string text = s.dateText.WriteDate(d, ok, withGregorian, numeric, weekday);
  EXPECT_TRUE(ok);
  return text;
}

TEST(OrdinalSuffix, EnglishOrdinals) {
  const std::vector<std::pair<int, std::string>> cases = {
      {1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},  {11, "th"}, {12, "th"}, {13, "th"},
      {21, "st"}, {22, "nd"}, {23, "rd"}, {24, "th"}, {30, "th"}, {31, "st"}};
  for (const auto& [day, suffix] : cases) EXPECT_EQ(OrdinalSuffix(day), suffix) << day;
}

TEST(WriteDate, EnglishForms) {
  RecordedSession rs;
  Session& s = rs.session;
  udtDate june = calendarDate(dtGregorian, 2009, 6, 9);
  EXPECT_EQ(write(s, june, false, false, true), "Tuesday 9th June 2009 Gregorian");
  EXPECT_EQ(write(s, june, false, true, true), "2009/06/09 Gregorian");
  EXPECT_EQ(write(s, june, true, false, false), "9th June 2009");
  // The Ides of March: Wednesday 15 March 44 BCE in the proleptic Julian
  // calendar (JD 1705425.5; (JD + 1.5) mod 7 = 3).
  udtDate ides = calendarDate(dtJulian, 44, 3, 15, false);
  EXPECT_EQ(write(s, ides, false, false, false), "15th March 44 BCE Julian");
  EXPECT_EQ(write(s, ides, false, false, true), "Wednesday 15th March 44 BCE Julian");
  EXPECT_EQ(write(s, ides, false, true, false), "-44/03/15 BCE Julian");
  EXPECT_EQ(write(s, calendarDate(dtJulian, 1582, 10, 5), false, false, false), "5th October 1582 CE Julian");
  // Gregorian years are astronomical: year 0 and below need no era.
  EXPECT_EQ(write(s, calendarDate(dtGregorian, 0, 12, 31), false, false, false), "31st December 0 Gregorian");
  EXPECT_EQ(write(s, calendarDate(dtGregorian, 1, 1, 2, false), false, false, false), "2nd January 1 BCE Gregorian");
  EXPECT_EQ(write(s, dayNumberDate(dtFixed, 730120), false, false, true), "730120 Fixed Radix");
  EXPECT_EQ(write(s, dayNumberDate(dtJD, 2451544.5), false, false, false), "2451544.5 JD");
  EXPECT_EQ(write(s, dayNumberDate(dtJDE, 2451545.25), false, false, false), "2451545.25 JDE");
  EXPECT_EQ(write(s, dayNumberDate(dtMJD, -0.125), false, false, false), "-0.125 MJD");
  udtDate yomKippur = calendarDate(dtHebrew, 5784, 7, 10);
  EXPECT_EQ(write(s, yomKippur, false, false, true), "Monday 10th Tishri 5784 Hebrew");
  yomKippur.blnEve = true;
  EXPECT_EQ(write(s, yomKippur, true, false, true), "Monday eve 10th Tishri 5784 Hebrew");
  EXPECT_EQ(write(s, calendarDate(dtHebrew, 5784, 12, 1), false, false, false), "1st Adar 1 5784 Hebrew");
  EXPECT_EQ(write(s, calendarDate(dtHebrew, 5783, 12, 1), false, false, false), "1st Adar 5783 Hebrew");
  EXPECT_EQ(write(s, calendarDate(dtIslamic, 1445, 12, 22), false, false, false),
            "22nd Dhu-al-Hijja 1445 Islamic arithmetic");
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(WriteDate, HebrewForms) {
  RecordedSession rs;
  Session& s = rs.session;
  s.intLanguage = 1;
  udtDate yomKippur = calendarDate(dtHebrew, 5784, 7, 10);
  EXPECT_EQ(write(s, yomKippur, false, false, true), "יום שני, י' בתשרי ה'תשפ\"ד עברי");
  // With the Gregorian date of the same day in place of the type's name.
  EXPECT_EQ(write(s, yomKippur, true, false, false), "י' בתשרי ה'תשפ\"ד (\u206625.09.2023\u2069)");
  yomKippur.blnEve = true;
  EXPECT_EQ(write(s, yomKippur, false, false, true), "אור ליום שני, י' בתשרי ה'תשפ\"ד עברי");
  EXPECT_EQ(write(s, calendarDate(dtGregorian, 2009, 6, 9), false, false, false), "ט' ביוני ב'ט' גרגוריאני");
  EXPECT_EQ(write(s, calendarDate(dtJulian, 44, 3, 15, false), false, false, false),
            "ט\"ו במרץ מ\"ד לפני הספירה יוליאני");
  EXPECT_EQ(write(s, calendarDate(dtJulian, 1000, 1, 1), false, false, false), "א' בינואר א' אלפים לספירה יוליאני");
  EXPECT_EQ(write(s, calendarDate(dtIslamic, 1445, 1, 1), false, false, false),
            "א' במוחראם א'תמ\"ה איסלאמי אריתמטי");
  const std::vector<std::pair<udtDate, std::string>> numbers = {
      {dayNumberDate(dtFixed, 730120), "\u2066730120\u2069 לפי בסיס קבוע"},
      {dayNumberDate(dtJD, 2451544.5), "\u20662451544.5\u2069 יום יוליאני"},
      {dayNumberDate(dtJDE, 2451544.5), "\u20662451544.5\u2069 יום יוליאני אפמריס"},
      {dayNumberDate(dtMJD, 51544), "\u206651544\u2069 יום יוליאני מוסגל"},
  };
  for (const auto& [date, text] : numbers) EXPECT_EQ(write(s, date, false, false, false), text);
  EXPECT_EQ(write(s, calendarDate(dtGregorian, 2009, 6, 9), false, true, false), "\u20662009/06/09\u2069 גרגוריאני");
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(GetDayOfWeek, EveryWeekdayInBothLanguages) {
  RecordedSession rs;
  Session& s = rs.session;
  const std::vector<std::string> english = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                            "Friday", "Saturday", "Sunday"};
  const std::vector<std::string> hebrew = {"יום שני",  "יום שלישי", "יום רביעי", "יום חמישי",
                                           "יום ששי", "שבת",       "יום ראשון"};
  bool ok = false;
  for (int i = 0; i < 7; ++i) {
    udtDate d = dayNumberDate(dtFixed, kMonday1January2024 + i + 0.75);
    s.intLanguage = 0;
    EXPECT_EQ(s.dateText.GetDayOfWeek(d, ok), english[i]);
    s.intLanguage = 1;
    EXPECT_EQ(s.dateText.GetDayOfWeek(d, ok), hebrew[i]);
  }
  s.intLanguage = 0;
  EXPECT_EQ(s.dateText.GetDayOfWeek(dayNumberDate(dtFixed, 1), ok), "Monday");
  EXPECT_EQ(s.dateText.GetDayOfWeek(dayNumberDate(dtFixed, 0), ok), "Sunday");
  EXPECT_EQ(s.dateText.GetDayOfWeek(dayNumberDate(dtFixed, -0.5), ok), "Saturday");
  EXPECT_EQ(s.dateText.GetDayOfWeek(calendarDate(dtGregorian, 2000, 1, 1), ok), "Saturday");
  // A failed evaluation shows its own message only.
  EXPECT_EQ(s.dateText.GetDayOfWeek(calendarDate(dtGregorian, 2000, 4, 31), ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages, std::vector<std::string>{"Error in cGregorian.gregorian_fixed, Invalid intDateOfMonth: 31"});
}

TEST(EvaluateDate, EveryDateTypeAndTheSampleDates) {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = false;
  for (const testing::SampleDate& sample : testing::kSampleDates) {
    const testing::SampleYMD& g = sample.gregorian;
    const testing::SampleYMD& j = sample.julian;
    const testing::SampleYMD& h = sample.hebrew;
    const testing::SampleYMD& i = sample.islamic;
    EXPECT_EQ(s.dateText.EvaluateDate(calendarDate(dtGregorian, g.year, g.month, g.day), ok), sample.fixed);
    udtDate julian = j.year > 0 ? calendarDate(dtJulian, j.year, j.month, j.day)
                                : calendarDate(dtJulian, static_cast<int16_t>(-j.year), j.month, j.day, false);
    EXPECT_EQ(s.dateText.EvaluateDate(julian, ok), sample.fixed);
    EXPECT_EQ(s.dateText.EvaluateDate(calendarDate(dtHebrew, h.year, h.month, h.day), ok), sample.fixed);
    if (i.year > 0) {
      EXPECT_EQ(s.dateText.EvaluateDate(calendarDate(dtIslamic, i.year, i.month, i.day), ok), sample.fixed);
    }
    // And back through ToDate.
    udtDate back;
    s.dateText.ToDate(sample.fixed, dtHebrew, back, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back, calendarDate(dtHebrew, h.year, h.month, h.day));
    s.dateText.ToDate(sample.fixed, dtJulian, back, ok);
    EXPECT_EQ(back, julian);
  }
  EXPECT_EQ(s.dateText.EvaluateDate(dayNumberDate(dtFixed, 730120.25), ok), 730120.25);
  EXPECT_EQ(s.dateText.EvaluateDate(dayNumberDate(dtJD, 2451544.75), ok), 730120.25);
  EXPECT_EQ(s.dateText.EvaluateDate(dayNumberDate(dtMJD, 51544.25), ok), 730120.25);
  // JDE is on dynamical time: the UT instant is earlier by Delta T (about a
  // minute in 2000).
  double ut = s.dateText.EvaluateDate(dayNumberDate(dtJDE, 2451544.75), ok);
  EXPECT_TRUE(ok);
  EXPECT_GT(730120.25 - ut, 60.0 / 86400);
  EXPECT_LT(730120.25 - ut, 70.0 / 86400);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(DateText, Messages) {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = true;
  auto expectMessage = [&](const std::string& message) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(rs.sink.messages, std::vector<std::string>{message});
    rs.sink.clear();
    ok = true;
  };
  EXPECT_EQ(s.dateText.EvaluateDate(dayNumberDate(8, 1), ok), 0);
  expectMessage("Error in frmDate.EvaluateDate, Error in DateToFixed, Invalid date type: 8");
  udtDate out;
  s.dateText.ToDate(730120, dtMJD, out, ok);
  expectMessage("Error in frmDate.ToDate, enmDateType: 3");
  EXPECT_EQ(s.dateText.WriteDate(dayNumberDate(9, 1), ok, false, false, false), "");
  expectMessage("Error in frmDate.WriteDate, Invalid udtDateIn.enmDateType: 9");
  // A calendar routine's own failure shows once.
  s.dateText.EvaluateDate(calendarDate(dtHebrew, 5784, 14, 1), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_TRUE(rs.sink.last().starts_with("Error in cHebrew.")) << rs.sink.last();
}

TEST(DateTimeText, SameDateWritesTheTimeAlone) {
  RecordedSession rs;
  Session& s = rs.session;
  udtDate date = calendarDate(dtGregorian, 2024, 1, 1);
  udtTime time;
  time.enmTimeType = ttLocal;
  time.udtDms = udtDms{18, 30, 15, true};
  std::string last;
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, 0, false, false),
            "Monday 1st January 2024 Gregorian 18:30:15 Local Time");
  EXPECT_EQ(last, "Monday 1st January 2024 Gregorian");
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, -1, false, false), "18:30 Local Time");
  // Native: no time-type name; the time alone leaves out only "Local Time".
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, -1, false, true), "18:30");
  time.enmTimeType = ttUTC;
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, -1, false, true), "18:30 UTC");
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, -1, true, false), "18:30 UTC");
  last.clear();
  EXPECT_EQ(s.dateText.DateTimeText(date, time, last, -1, false, true), "Monday 1st January 2024 Gregorian 18:30");
  // Day counts carry their time in the fraction and are always written, also
  // where only the time is asked for (a clock time would read midnight).
  udtDate fixed = dayNumberDate(dtFixed, 738886.5);
  EXPECT_EQ(s.dateText.DateTimeText(fixed, time, last, 0, false, false), "738886.5 Fixed Radix");
  EXPECT_EQ(s.dateText.DateTimeText(fixed, time, last, 0, false, false), "738886.5 Fixed Radix");
  EXPECT_EQ(s.dateText.DateTimeText(fixed, time, last, 0, true, false), "738886.5 Fixed Radix");
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(StrMoment, RoundsOnceAndCarriesIntoTheDate) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
  s.udtTimeIn.enmTimeType = ttUTC;
  constexpr double kSecond = 1.0 / 86400;
  const double day = kMonday1January2024;
  std::string last;
  // Precision setting 0: whole minutes, rounded once.
  EXPECT_EQ(s.dateText.strMoment(day + (10 * 3600 + 20 * 60 + 20) * kSecond, last, false, false, false),
            "Monday 1st January 2024 Gregorian 10:20 UTC");
  EXPECT_EQ(s.dateText.strMoment(day + (10 * 3600 + 20 * 60 + 40) * kSecond, last, false, false, false),
            "10:21 UTC");
  EXPECT_EQ(s.dateText.strMoment(day + (10 * 3600 + 20 * 60) * kSecond, last, false, false, false), "10:20 UTC");
  // 23:59:45 is midnight of the next day.
  EXPECT_EQ(s.dateText.strMoment(day + (86400 - 15) * kSecond, last, false, false, false),
            "Tuesday 2nd January 2024 Gregorian 00:00 UTC");
  // Precision setting 1: whole seconds.
  s.options.intPrecision = 1;
  EXPECT_EQ(s.dateText.strMoment(day + (3600 + 59.4) * kSecond, last, false, true, false), "01:00:59 UTC");
  EXPECT_EQ(s.dateText.strMoment(day + (3600 + 59.6) * kSecond, last, false, true, false), "01:01:00 UTC");
  // Date only, native in English: the Gregorian date without its type name.
  s.udtDateIn.enmDateType = dtIslamic;
  EXPECT_EQ(s.dateText.strMoment(day + 0.5, last, true, false, true), "Monday 1st January 2024");
  EXPECT_EQ(s.udtDateIn.enmDateType, dtIslamic);  // restored
  s.udtDateIn.enmDateType = dtFixed;
  s.options.intPrecision = 0;
  // A day-number input type writes the day count, which is not rounded.
  EXPECT_EQ(s.dateText.strMoment(day + 0.25, last, false, false, false), "738886.25 Fixed Radix");
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(StrMoment, ConversionFailureReadsDateOutOfRange) {
  RecordedSession rs;
  Session& s = rs.session;
  std::string last = "kept";
  s.udtDateIn.enmDateType = dtGregorian;
  EXPECT_EQ(s.dateText.strMoment(2e7, last, false, false, false), "Date out of range.");
  EXPECT_EQ(rs.sink.messages, std::vector<std::string>{"Error in ToDateTime, Magnitude of dblFixed too large: 20000000.0003472"});
  EXPECT_EQ(last, "kept");
  // Hebrew days (the native calendar in Hebrew) when the Sun does not set.
  rs.sink.clear();
  s.intLanguage = 1;
  s.sunset = [](int32_t, double&) { return false; };
  EXPECT_EQ(s.dateText.strMoment(738886.5, last, false, false, true), "Date out of range.");
  EXPECT_TRUE(rs.sink.messages.empty());
  EXPECT_EQ(s.udtDateIn.enmDateType, dtGregorian);
}

TEST(FixedToDay, TheCalendarDayOfTheInputTypes) {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = false;
  s.udtDateIn.enmDateType = dtGregorian;
  s.udtTimeIn.enmTimeType = ttMeanSolar;
  s.udtLocation.dblLongitude = 90;  // mean solar time 6 h ahead of UT
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.7, ok), kMonday1January2024);
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.8, ok), kMonday1January2024 + 1);
  s.udtTimeIn.enmTimeType = ttUTC;
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.7, ok), kMonday1January2024);
  s.udtDateIn.enmDateType = dtHebrew;
  s.sunset = [](int32_t day, double& t) {
    t = day + 0.6;
    return true;
  };
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.7, ok), kMonday1January2024 + 1);
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.5, ok), kMonday1January2024);
  s.udtDateIn.enmDateType = dtMJD;
  EXPECT_EQ(s.dateText.FixedToDay(kMonday1January2024 + 0.7, ok), kMonday1January2024);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(ParseDMY, ReadsDayMonthYear) {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = false;
  s.dateText.ParseDMY("9/6/2009", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(s.udtDateIn, calendarDate(dtGregorian, 2009, 6, 9));
  for (const char* bad : {"9/6", "9/6/2009/1", "a/6/2009", "9.5/6/2009", "", "//"}) {
    s.dateText.ParseDMY(bad, ok);
    EXPECT_FALSE(ok) << bad;
    EXPECT_EQ(s.udtDateIn, calendarDate(dtGregorian, 2009, 6, 9)) << bad;
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
