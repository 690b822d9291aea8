// Time text, the 12-hour clock form and the reading of "h:m:s" texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

using testing::RecordedSession;

udtTime clock24(int32_t type, int16_t h, int16_t m, double s, bool second = false) {
  udtTime t;
  t.enmTimeType = type;
  t.bln24Hour = true;
  t.blnPM = h > 11;
  t.udtDms = udtDms{h, m, s, true};
  t.blnSecondTime = second;
  return t;
}

udtTime clock12(int32_t type, int16_t h, int16_t m, double s, bool pm) {
  udtTime t = clock24(type, h, m, s);
  t.bln24Hour = false;
  t.blnPM = pm;
  return t;
}

TEST(WriteTime, RoundingAndCarry) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  bool ok = false;
  struct Case {
    udtTime t;
    int16_t precision;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {clock24(ttUTC, 13, 5, 0), -1, "13:05"},
           {clock24(ttUTC, 13, 5, 30), -1, "13:06"},
           {clock24(ttUTC, 13, 5, 29.9), -1, "13:05"},
           {clock24(ttUTC, 23, 59, 45), -1, "00:00"},  // the date is not advanced here
           {clock24(ttUTC, 10, 20, 59.6), 0, "10:21:00"},
           {clock24(ttUTC, 10, 59, 59.6), 0, "11:00:00"},
           {clock24(ttUTC, 10, 20, 5.25), 1, "10:20:05.3"},
           {clock24(ttUTC, 10, 20, 59.96), 1, "10:21:00.0"},
           {clock24(ttUTC, 10, 20, 5.125), 2, "10:20:05.13"},
           {clock24(ttUTC, 10, 20, 5.125), 5, "10:20:05.13"},
           {clock24(ttUTC, 7, 0, 0), 0, "07:00:00"},
       }) {
    EXPECT_EQ(text.WriteTime(c.t, c.precision, ok, false), c.expected);
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(WriteTime, TwelveHourClockCarriesIntoTheRightHalf) {
  RecordedSession s;
  s.session.udtTimeIn.bln24Hour = false;
  TimeText& text = s.session.timeText;
  bool ok = false;
  struct Case {
    udtTime t;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {clock12(ttLocal, 11, 59, 45, false), "12:00 p.m."},  // noon
           {clock12(ttLocal, 11, 59, 45, true), "12:00 a.m."},   // midnight
           {clock12(ttLocal, 12, 59, 30, true), "1:00 p.m."},
           {clock12(ttLocal, 12, 59, 30, false), "1:00 a.m."},
           {clock12(ttLocal, 7, 5, 0, true), "7:05 p.m."},
           {clock12(ttSeasonal, 11, 59, 40, false), "0:00 day"},  // the night's last hour ends at sunrise
           {clock12(ttSeasonal, 11, 59, 40, true), "0:00 night"},
           {clock12(ttSeasonal, 3, 10, 0, true), "3:10 day"},
       }) {
    EXPECT_EQ(text.WriteTime(c.t, -1, ok, false), c.expected);
    EXPECT_TRUE(ok);
  }
}

TEST(WriteTime, HourDigitsFollowTheInputClock) {
  // A GMST record is always on the 24-hour clock, but its hours take two
  // digits only when the input time is written on the 24-hour clock.
  RecordedSession s;
  bool ok = false;
  udtTime gmst = clock24(ttGMST, 6, 39, 52);
  EXPECT_EQ(s.session.timeText.WriteTime(gmst, 0, ok, true), "06:39:52 GMST");
  s.session.udtTimeIn.bln24Hour = false;
  EXPECT_EQ(s.session.timeText.WriteTime(gmst, 0, ok, true), "6:39:52 GMST");
}

TEST(WriteTime, NamesAndMarksInBothLanguages) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  bool ok = false;
  const std::vector<std::string> english = {" UTC", " Local Time", " Mean Solar Time", " True Solar Time",
                                            " GMST", " LST", " Seasonal"};
  const std::vector<std::string> hebrew = {" זמן אוניברסלי מתאם", " שעון מקומי", " זמן-חמה ממוצע",
                                           "  זמן-חמה אמיתי", " זמן-גריניץ' נדמה", " זמן-כוכבים נדמה",
                                           " שעות זמניות"};
  for (int32_t type = ttUTC; type <= ttSeasonal; ++type) {
    udtTime t = clock24(type, 9, 8, 7);
    s.session.intLanguage = 0;
    EXPECT_EQ(text.WriteTime(t, 0, ok, true), "09:08:07" + english[type]);
    s.session.intLanguage = 1;
    EXPECT_EQ(text.WriteTime(t, 0, ok, true), "\u206609:08:07\u2069" + hebrew[type]);
  }
  s.session.udtTimeIn.bln24Hour = false;
  struct Case {
    udtTime t;
    std::string english, hebrew;
  };
  for (const Case& c : std::vector<Case>{
           {clock12(ttUTC, 3, 0, 0, true), "3:00 p.m.", "\u20663:00\u2069 אחה\"צ"},
           {clock12(ttUTC, 3, 0, 0, false), "3:00 a.m.", "\u20663:00\u2069 לפה\"צ"},
           {clock12(ttSeasonal, 3, 0, 0, true), "3:00 day", "\u20663:00\u2069 יום"},
           {clock12(ttSeasonal, 3, 0, 0, false), "3:00 night", "\u20663:00\u2069 לילה"},
           {clock24(ttGMST, 0, 1, 0, true), "0:01 2nd ocurrence", "\u20660:01\u2069 מקרה שני"},
       }) {
    s.session.intLanguage = 0;
    EXPECT_EQ(text.WriteTime(c.t, -1, ok, false), c.english);
    s.session.intLanguage = 1;
    EXPECT_EQ(text.WriteTime(c.t, -1, ok, false), c.hebrew);
  }
  // Any other language writes only the clock.
  s.session.intLanguage = 2;
  EXPECT_EQ(text.WriteTime(clock12(ttUTC, 3, 0, 0, true), -1, ok, true), "3:00");
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(WriteTime, RefusesFieldsOutOfRange) {
  RecordedSession s;
  bool ok = true;
  struct Case {
    udtTime t;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {clock24(7, 1, 0, 0), "Error in frmTime.WriteTime, Invalid udtTimeIn.enmTimeType: 7"},
           {clock24(-1, 1, 0, 0), "Error in frmTime.WriteTime, Invalid udtTimeIn.enmTimeType: -1"},
           {clock24(ttUTC, 25, 0, 0), "Error in frmTime.WriteTime, Invalid udtTimeIn.udtDms.intDegreesHours: 25"},
           {clock24(ttUTC, -1, 0, 0), "Error in frmTime.WriteTime, Invalid udtTimeIn.udtDms.intDegreesHours: -1"},
           {clock24(ttUTC, 1, 60, 0), "Error in frmTime.WriteTime, Invalid udtTimeIn.udtDms.intMinutes: 60"},
           {clock24(ttUTC, 1, 0, 60), "Error in frmTime.WriteTime, Invalid udtTimeIn.udtDms.dblSeconds: 60"},
           {clock24(ttUTC, 1, 0, -0.5), "Error in frmTime.WriteTime, Invalid udtTimeIn.udtDms.dblSeconds: -0.5"},
       }) {
    s.sink.clear();
    EXPECT_EQ(s.session.timeText.WriteTime(c.t, 0, ok, true), "");
    EXPECT_FALSE(ok);
    ASSERT_EQ(s.sink.messages.size(), 1u);
    EXPECT_EQ(s.sink.messages[0], c.message);
  }
}

TEST(ToAMPM, PutsRecordsIntoTheDisplayForm) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  bool ok = false;
  struct Case {
    udtTime in;
    bool input24;
    int16_t hours;
    bool pm, is24;
  };
  for (const Case& c : std::vector<Case>{
           {clock24(ttUTC, 0, 0, 0), false, 12, false, false},   // midnight is 12 a.m.
           {clock24(ttUTC, 12, 0, 0), false, 12, true, false},   // noon is 12 p.m.
           {clock24(ttUTC, 13, 0, 0), false, 1, true, false},
           {clock24(ttLocal, 23, 0, 0), false, 11, true, false},
           {clock24(ttLocal, 23, 0, 0), true, 23, true, true},
           {clock24(ttMeanSolar, 26, 0, 0), true, 2, false, true},  // whole days drop out
           {clock24(ttSeasonal, 0, 0, 0), true, 0, false, false},   // sunset: night hour 0
           {clock24(ttSeasonal, 12, 0, 0), true, 0, true, false},   // sunrise: day hour 0
           {clock24(ttSeasonal, 23, 0, 0), true, 11, true, false},
           {clock24(ttLST, 15, 0, 0), false, 15, true, true},
       }) {
    s.session.udtTimeIn.bln24Hour = c.input24;
    udtTime t = c.in;
    text.ToAMPM(t, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(t.udtDms.intDegreesHours, c.hours) << c.in.enmTimeType << " " << c.in.udtDms.intDegreesHours;
    EXPECT_EQ(t.blnPM, c.pm);
    EXPECT_EQ(t.bln24Hour, c.is24);
  }
  // A GMST record off the 24-hour clock is put back on it.
  udtTime gmst = clock12(ttGMST, 7, 0, 0, true);
  text.ToAMPM(gmst, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(gmst.bln24Hour);
  EXPECT_EQ(gmst.udtDms.intDegreesHours, 7);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(FromAMPM, HoursOnTheTwentyFourHourClock) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  bool ok = false;
  struct Case {
    udtTime t;
    double hours;
  };
  for (const Case& c : std::vector<Case>{
           {clock12(ttUTC, 12, 0, 0, false), 0},  // 12 a.m. is midnight
           {clock12(ttUTC, 12, 0, 0, true), 12},
           {clock12(ttUTC, 7, 0, 0, true), 19},
           {clock12(ttLocal, 7, 30, 0, false), 7.5},
           {clock24(ttGMST, 23, 59, 59.9), 23 + 59 / 60.0 + 59.9 / 3600},
           {clock12(ttSeasonal, 0, 0, 0, false), 0},
           {clock12(ttSeasonal, 6, 0, 0, true), 18},
       }) {
    EXPECT_DOUBLE_EQ(text.FromAMPM(c.t, ok), c.hours);
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(FromAMPM, Messages) {
  RecordedSession s;
  bool ok = true;
  struct Case {
    udtTime t;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {clock12(ttGMST, 7, 0, 0, false), "Error in frmTime.FromAMPM, Time must be in 24 hour mode for GMST and LST type"},
           {clock12(ttLST, 7, 0, 0, false), "Error in frmTime.FromAMPM, Time must be in 24 hour mode for GMST and LST type"},
           {clock24(ttSeasonal, 7, 0, 0), "Error in frmTime.FromAMPM, Time must not be in 24 hour mode for seasonal type"},
           {clock12(ttUTC, 0, 0, 0, false), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intDegreesHours: 0"},
           {clock12(ttUTC, 13, 0, 0, true), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intDegreesHours: 13"},
           {clock12(ttSeasonal, 13, 0, 0, true), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intDegreesHours: 13"},
           {clock24(ttUTC, 25, 0, 0), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intDegreesHours: 25"},
           {clock24(ttUTC, 1, 60, 0), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intMinutes: 60"},
           {clock24(ttUTC, 1, 0, 60), "Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.dblSeconds: 60"},
       }) {
    s.sink.clear();
    EXPECT_EQ(s.session.timeText.FromAMPM(c.t, ok), 0);
    EXPECT_FALSE(ok);
    ASSERT_EQ(s.sink.messages.size(), 1u);
    EXPECT_EQ(s.sink.messages[0], c.message);
  }
  // The 24-hour clock accepts hour 0.
  EXPECT_EQ(s.session.timeText.FromAMPM(clock24(ttUTC, 0, 0, 0), ok), 0);
  EXPECT_TRUE(ok);
}

TEST(FromAMPM, InvertsToAMPM) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  for (bool input24 : {true, false}) {
    s.session.udtTimeIn.bln24Hour = input24;
    for (int32_t type = ttUTC; type <= ttSeasonal; ++type) {
      for (int16_t h = 0; h < 24; ++h) {
        udtTime t = clock24(type, h, 17, 3.5);
        bool ok = false;
        text.ToAMPM(t, ok);
        ASSERT_TRUE(ok);
        EXPECT_NEAR(text.FromAMPM(t, ok), h + 17 / 60.0 + 3.5 / 3600, 1e-12) << type << " " << h;
        EXPECT_TRUE(ok);
      }
    }
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(ParseHM, ReadsColonSeparatedTimes) {
  RecordedSession s;
  TimeText& text = s.session.timeText;
  udtTime t;
  ASSERT_TRUE(text.ParseHM("17:45", t));
  EXPECT_EQ(t.udtDms.intDegreesHours, 17);
  EXPECT_EQ(t.udtDms.intMinutes, 45);
  EXPECT_EQ(t.udtDms.dblSeconds, 0);
  EXPECT_TRUE(t.bln24Hour);
  ASSERT_TRUE(text.ParseHM("5:04:30.5", t));
  EXPECT_EQ(t.udtDms.intDegreesHours, 5);
  EXPECT_EQ(t.udtDms.dblSeconds, 30.5);
  for (const char* bad : {"", "17", "17:", "a:10", "17:60", "24:00", "-1:00", "1:2:3:4", "1.5:10", "1:10:60"}) {
    udtTime before = t;
    EXPECT_FALSE(text.ParseHM(bad, t)) << bad;
    EXPECT_EQ(t.udtDms.intDegreesHours, before.udtDms.intDegreesHours) << bad;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
