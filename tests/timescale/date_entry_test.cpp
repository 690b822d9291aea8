// The date dialog's checks, messages and effects, without its window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "timescale/date_entry.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// A dialog showing a calendar date typed into its boxes.
DateControls typed(int type, const std::string& day, int month, const std::string& year, bool ce = true) {
  DateControls c;
  c.cboType = type;
  c.txtDate = day;
  c.cboMonth = month - 1;
  c.txtYear = year;
  c.optCE = ce;
  return c;
}

std::string lines(std::initializer_list<const char*> reasons) {
  std::string text = "Date cannot be valid";
  for (const char* r : reasons) text += std::string("\n") + r;
  return text;
}

TEST(DateEntry, LoadsTheInputDate) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn = calendarDate(dtJulian, 44, 3, 15, false);
  s.udtDateIn.dblDay = 730120.5;
  DateEntry entry(s);
  DateControls expected = typed(dtJulian, "15", 3, "44", false);
  expected.txtDayNo = "730120.5";
  EXPECT_EQ(entry.controls, expected);
  EXPECT_FALSE(entry.dayNumberEnabled());
  EXPECT_EQ(entry.monthNames().size(), 12u);
  EXPECT_EQ(DateEntry::typeNames(),
            (std::vector<std::string>{"Fixed", "JD", "JDE", "MJD", "Gregorian", "Julian", "Hebrew", "Islamic"}));
}

TEST(DateEntry, MonthListsFollowTheType) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn = calendarDate(dtGregorian, 2000, 12, 1);
  DateEntry entry(s);
  EXPECT_EQ(entry.monthNames().front(), "January");
  entry.typeChanged(dtHebrew);
  std::vector<std::string> hebrew = entry.monthNames();
  ASSERT_EQ(hebrew.size(), 13u);
  EXPECT_EQ(hebrew[0], "Nisan");
  EXPECT_EQ(hebrew[11], "Adar (1)");
  EXPECT_EQ(hebrew[12], "Adar 2");
  EXPECT_EQ(entry.controls.cboMonth, 11);  // kept
  entry.controls.cboMonth = 12;
  entry.typeChanged(dtIslamic);
  EXPECT_EQ(entry.controls.cboMonth, 11);  // clamped to the last month
  EXPECT_EQ(entry.monthNames()[11], "Dhu-al-Hijja");
  entry.typeChanged(dtMJD);
  EXPECT_TRUE(entry.dayNumberEnabled());
  EXPECT_FALSE(entry.calendarEnabled());
  EXPECT_EQ(entry.monthNames().size(), 12u);
}

TEST(DateEntry, EveryMessage) {
  RecordedSession rs;
  Session& s = rs.session;
  struct Case {
    DateControls controls;
    std::string message;
  };
  DateControls noType;
  noType.cboType = -1;
  DateControls badDayNo;
  badDayNo.cboType = dtJD;
  badDayNo.txtDayNo = "2451545,5";
  DateControls noMonth = typed(dtGregorian, "1", 1, "2000");
  noMonth.cboMonth = -1;
  const std::vector<Case> cases = {
      {noType, lines({"Invalid date type"})},
      {badDayNo, lines({"Day number must be a number."})},
      {noMonth, lines({"Invalid month name"})},
      // Two fields at once: one line each.
      {typed(dtGregorian, "32", 1, "abc"), lines({"Year must be a number.", "Date of month must be between 0 and 31."})},
      {typed(dtGregorian, "1", 1, "32767"), lines({"Date out of range."})},
      {typed(dtGregorian, "1", 1, "-32767"), lines({"Date out of range."})},
      {typed(dtJulian, "1", 1, "0", false), lines({"Only positive years are valid with the BCE option."})},
      {typed(dtGregorian, "x", 1, "2000"), lines({"Date of month must be a number."})},
      {typed(dtGregorian, "0", 1, "2000"), lines({"Date of month must be between 0 and 31."})},
      {typed(dtHebrew, "31", 1, "5784"), lines({"Date of month must be between 0 and 30 for Hebrew and Islamic calendars."})},
      {typed(dtIslamic, "31", 1, "1445"), lines({"Date of month must be between 0 and 30 for Hebrew and Islamic calendars."})},
      {typed(dtGregorian, "31", 4, "2000"), lines({"This month never has this many days."})},
      {typed(dtJulian, "30", 2, "2000"), lines({"This month never has this many days."})},
      {typed(dtHebrew, "30", 13, "5784"), lines({"This month never has this many days."})},
      {typed(dtHebrew, "30", 2, "5784"), lines({"This month never has this many days."})},
      {typed(dtIslamic, "30", 10, "1445"), lines({"This month never has this many days."})},
      {typed(dtGregorian, "29", 2, "1900"), lines({"This date does not occur because it is not a leap year."})},
      // 1 BCE is year 0, a leap year; 2 BCE is not.
      {typed(dtGregorian, "29", 2, "2", false), lines({"This date does not occur because it is not a leap year."})},
      {typed(dtJulian, "29", 2, "2", false), lines({"This date does not occur because it is not a leap year."})},
      {typed(dtJulian, "29", 2, "1901"), lines({"This date does not occur because it is not a leap year."})},
      {typed(dtHebrew, "1", 13, "5783"), lines({"Adar 2 does not occur because it is not a leap year."})},
      {typed(dtHebrew, "30", 12, "5783"), lines({"This date does not occur because it is not a leap year."})},
      // 5784 has 383 days (short Kislev, short Cheshvan); 5785 has 355.
      {typed(dtHebrew, "30", 8, "5784"), lines({"This month only has 29 days in this year."})},
      {typed(dtHebrew, "30", 9, "5784"), lines({"This month only has 29 days in this year."})},
      {typed(dtIslamic, "30", 12, "1444"), lines({"This date does not occur because it is not a leap year."})},
      // The year-dependent checks wait until everything else holds.
      {typed(dtGregorian, "29", 2, "abc"), lines({"Year must be a number."})},
  };
  for (const Case& c : cases) {
    s.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
    DateEntry entry(s);
    entry.controls = c.controls;
    rs.sink.clear();
    EXPECT_FALSE(entry.cmdOK()) << c.message;
    EXPECT_EQ(rs.sink.messages, std::vector<std::string>{c.message});
    EXPECT_FALSE(entry.closing());
    EXPECT_EQ(s.udtDateIn, calendarDate(dtGregorian, 2024, 1, 1));
  }
}

TEST(DateEntry, ValidDatesAreAccepted) {
  RecordedSession rs;
  Session& s = rs.session;
  for (const DateControls& c : {typed(dtJulian, "29", 2, "1900"), typed(dtGregorian, "29", 2, "1", false),
                                typed(dtJulian, "29", 2, "1", false), typed(dtGregorian, "29", 2, "2000"),
                                typed(dtHebrew, "1", 13, "5784"), typed(dtHebrew, "30", 12, "5784"),
                                typed(dtHebrew, "30", 8, "5785"), typed(dtHebrew, "30", 9, "5785"),
                                typed(dtIslamic, "30", 12, "1445"), typed(dtGregorian, "15", 10, "-4000")}) {
    DateEntry entry(s);
    entry.controls = c;
    EXPECT_EQ(entry.invalidDateText(), "") << c.cboType << " " << c.txtDate << "/" << c.cboMonth + 1 << "/" << c.txtYear;
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(DateEntry, OkStoresTheDate) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
  {
    DateEntry entry(s);
    entry.controls = typed(dtGregorian, "9", 6, "2009");
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_TRUE(entry.closing());
  }
  udtDate expected = calendarDate(dtGregorian, 2009, 6, 9);
  expected.dblDay = 20000;  // txtDayNo as the dialog showed it
  EXPECT_EQ(s.udtDateIn, expected);
  EXPECT_EQ(s.dblFixDate, 733567);

  // The era moves a Gregorian date (9 June 2009 BCE is the year -2008).
  {
    DateEntry entry(s);
    entry.controls.optCE = false;
    EXPECT_TRUE(entry.cmdOK());
  }
  EXPECT_FALSE(s.udtDateIn.blnCE);
  EXPECT_LT(s.dblFixDate, 733567 - 4000 * 365);

  // A day count: only its number and type count; the calendar boxes keep
  // what they stood for.
  {
    DateEntry entry(s);
    entry.typeChanged(dtFixed);
    entry.controls.txtDayNo = "730120.5";
    entry.controls.txtYear = "not used";
    EXPECT_TRUE(entry.dayNumberEnabled());
    EXPECT_TRUE(entry.cmdOK());
  }
  EXPECT_EQ(s.udtDateIn.enmDateType, dtFixed);
  EXPECT_EQ(s.udtDateIn.dblDay, 730120.5);
  EXPECT_EQ(s.udtDateIn.intYear, 2009);
  EXPECT_EQ(s.dblFixDate, 730120.5);
  EXPECT_FALSE(DateEntry::timeInputApplies(s.udtDateIn.enmDateType));
  EXPECT_TRUE(DateEntry::timeInputApplies(dtIslamic));
  {
    DateEntry entry(s);
    entry.controls.txtDayNo = "730121";
    EXPECT_TRUE(entry.cmdOK());
  }
  EXPECT_EQ(s.dblFixDate, 730121);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(DateEntry, CancelAndClosing) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
  // Cancel changes nothing.
  {
    DateEntry entry(s);
    entry.controls.txtYear = "1999";
    entry.cmdCancel();
    EXPECT_TRUE(entry.closing());
    EXPECT_TRUE(entry.queryClose());
  }
  EXPECT_EQ(s.udtDateIn, calendarDate(dtGregorian, 2024, 1, 1));
  // Closing the window acts as OK: an invalid date keeps it open.
  {
    DateEntry entry(s);
    entry.controls.txtYear = "abc";
    EXPECT_FALSE(entry.queryClose());
    EXPECT_EQ(rs.sink.last(), "Date cannot be valid\nYear must be a number.");
    entry.controls.txtYear = "1999";
    EXPECT_TRUE(entry.queryClose());
  }
  EXPECT_EQ(s.udtDateIn.intYear, 1999);
}

}  // namespace
}  // namespace nemora
