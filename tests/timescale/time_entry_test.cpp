// The time dialog's checks, messages and effects, without its window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"
#include "timescale/time_entry.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TimeControls typed(int type, const std::string& h, const std::string& m, const std::string& sec, bool clock24 = true,
                   bool pm = false, bool second = false) {
  TimeControls c;
  c.cboTimeType = type;
  c.txtHours = h;
  c.txtMinutes = m;
  c.txtSeconds = sec;
  c.opt24Hr = clock24;
  c.optPM = pm;
  c.opt2 = second;
  return c;
}

std::string lines(std::initializer_list<const char*> reasons) {
  std::string text = "Time cannot be valid";
  for (const char* r : reasons) text += std::string("\n") + r;
  return text;
}

TEST(TimeEntry, LoadsTheInputTimeAndFollowsTheType) {
  RecordedSession rs;
  Session& s = rs.session;
  s.udtTimeIn.enmTimeType = ttLocal;
  s.udtTimeIn.bln24Hour = false;
  s.udtTimeIn.blnPM = true;
  s.udtTimeIn.udtDms = udtDms{7, 5, 30.5, true};
  TimeEntry entry(s);
  EXPECT_EQ(entry.controls, typed(ttLocal, "7", "5", "30.5", false, true, false));
  EXPECT_EQ(TimeEntry::typeNames(),
            (std::vector<std::string>{"UTC", "Local", "Mean Solar", "True Solar", "GMST", "LST", "Seasonal"}));
  EXPECT_EQ(entry.amCaption(), "a.m.");
  EXPECT_EQ(entry.pmCaption(), "p.m.");
  EXPECT_TRUE(entry.clockChoiceEnabled());
  EXPECT_TRUE(entry.halfDayEnabled());
  EXPECT_TRUE(entry.occurrenceEnabled());
  entry.controls.opt24Hr = true;
  EXPECT_FALSE(entry.halfDayEnabled());
  entry.controls.cboTimeType = ttSeasonal;
  EXPECT_EQ(entry.amCaption(), "Night");
  EXPECT_EQ(entry.pmCaption(), "Day");
  EXPECT_FALSE(entry.clockChoiceEnabled());
  EXPECT_TRUE(entry.halfDayEnabled());
  EXPECT_FALSE(entry.occurrenceEnabled());
  entry.controls.cboTimeType = ttGMST;
  EXPECT_FALSE(entry.clockChoiceEnabled());
  EXPECT_FALSE(entry.halfDayEnabled());
  EXPECT_TRUE(entry.occurrenceEnabled());
}

TEST(TimeEntry, EveryMessage) {
  RecordedSession rs;
  Session& s = rs.session;
  struct Case {
    TimeControls controls;
    std::string message;
  };
  const std::vector<Case> cases = {
      {typed(-1, "1", "0", "0"), lines({"Invalid time type"})},
      {typed(ttUTC, "7.5", "0", "0"), lines({"Hours must be an integer."})},
      {typed(ttUTC, "x", "0", "0"), lines({"Hours must be a number."})},
      {typed(ttUTC, "24", "0", "0"), lines({"Hours must between 0 and 23."})},
      {typed(ttUTC, "-1", "0", "0"), lines({"Hours must between 0 and 23."})},
      {typed(ttLocal, "0", "0", "0", false), lines({"When in am/pm mode then Hours must be between 1 and 12."})},
      {typed(ttTrueSolar, "13", "0", "0", false), lines({"When in am/pm mode then Hours must be between 1 and 12."})},
      {typed(ttSeasonal, "12", "0", "0", false), lines({"When using seasonal time then Hours must be between 0 and 11."})},
      {typed(ttUTC, "1", "m", "0"), lines({"Minutes must be numeric."})},
      {typed(ttUTC, "1", "60", "0"), lines({"Minutes must be between 0 and 59."})},
      {typed(ttUTC, "1", "-1", "0"), lines({"Minutes must be between 0 and 59."})},
      {typed(ttUTC, "1", "1.5", "0"), lines({"Minutes must be an integer."})},
      {typed(ttUTC, "1", "0", ""), lines({"Seconds must be numeric."})},
      {typed(ttUTC, "1", "0", "60"), lines({"Seconds must be between 0 and less than 60."})},
      // Every field at once, in the order of the checks.
      {typed(-1, "25", "x", "-1"),
       lines({"Invalid time type", "Hours must between 0 and 23.", "Minutes must be numeric.",
              "Seconds must be between 0 and less than 60."})},
  };
  for (const Case& c : cases) {
    s.udtTimeIn = udtTime{};
    TimeEntry entry(s);
    entry.controls = c.controls;
    rs.sink.clear();
    EXPECT_FALSE(entry.cmdOK()) << c.message;
    EXPECT_EQ(rs.sink.messages, std::vector<std::string>{c.message});
    EXPECT_FALSE(entry.closing());
    EXPECT_EQ(s.udtTimeIn.udtDms.intDegreesHours, 0);
  }
}

TEST(TimeEntry, ValidTimesAreAccepted) {
  RecordedSession rs;
  Session& s = rs.session;
  for (const TimeControls& c :
       {typed(ttUTC, "0", "0", "0"), typed(ttLocal, "12", "59", "59.9", false), typed(ttGMST, "23", "0", "0", false),
        typed(ttSeasonal, "0", "0", "0", true), typed(ttSeasonal, "11", "0", "0", false), typed(ttLST, "0", "3", "0")}) {
    TimeEntry entry(s);
    entry.controls = c;
    EXPECT_EQ(entry.invalidTimeText(), "") << c.cboTimeType << " " << c.txtHours;
  }
}

TEST(TimeEntry, OkStoresTheTime) {
  RecordedSession rs;
  Session& s = rs.session;
  {
    TimeEntry entry(s);
    entry.controls = typed(ttLocal, "7", "30", "15.5", false, true, false);
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_TRUE(entry.closing());
  }
  const udtTime& t = s.udtTimeIn;
  EXPECT_EQ(t.enmTimeType, ttLocal);
  EXPECT_FALSE(t.bln24Hour);
  EXPECT_TRUE(t.blnPM);
  EXPECT_FALSE(t.blnSecondTime);
  EXPECT_EQ(t.udtDms.intDegreesHours, 7);
  EXPECT_EQ(t.udtDms.intMinutes, 30);
  EXPECT_EQ(t.udtDms.dblSeconds, 15.5);
  EXPECT_TRUE(t.udtDms.blnPositive);

  // Each field that changes is stored.
  auto same = [](const udtTime& a, const udtTime& b) {
    return a.enmTimeType == b.enmTimeType && a.bln24Hour == b.bln24Hour && a.blnPM == b.blnPM &&
           a.blnSecondTime == b.blnSecondTime && a.udtDms.intDegreesHours == b.udtDms.intDegreesHours &&
           a.udtDms.intMinutes == b.udtDms.intMinutes && a.udtDms.dblSeconds == b.udtDms.dblSeconds;
  };
  const std::vector<TimeControls> changes = {
      typed(ttUTC, "7", "30", "15.5", false, true, false),  typed(ttLocal, "7", "30", "15.5", true, true, false),
      typed(ttLocal, "7", "30", "15.5", false, false, false), typed(ttLocal, "8", "30", "15.5", false, true, false),
      typed(ttLocal, "7", "31", "15.5", false, true, false),  typed(ttLocal, "7", "30", "15", false, true, false),
      typed(ttLocal, "7", "30", "15.5", false, true, true)};
  for (const TimeControls& c : changes) {
    s.udtTimeIn.enmTimeType = ttLocal;
    s.udtTimeIn.bln24Hour = false;
    s.udtTimeIn.blnPM = true;
    s.udtTimeIn.blnSecondTime = false;
    s.udtTimeIn.udtDms = udtDms{7, 30, 15.5, true};
    const udtTime before = s.udtTimeIn;
    TimeEntry entry(s);
    entry.controls = c;
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_FALSE(same(s.udtTimeIn, before));
  }

  // GMST and LST are on the 24-hour clock, seasonal hours on the 12-hour clock.
  {
    TimeEntry entry(s);
    entry.controls = typed(ttGMST, "18", "0", "0", false);
    EXPECT_TRUE(entry.cmdOK());
  }
  EXPECT_TRUE(s.udtTimeIn.bln24Hour);
  {
    TimeEntry entry(s);
    entry.controls = typed(ttSeasonal, "6", "0", "0", true, true);
    EXPECT_TRUE(entry.cmdOK());
  }
  EXPECT_FALSE(s.udtTimeIn.bln24Hour);
  EXPECT_TRUE(s.udtTimeIn.blnPM);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(TimeEntry, CancelAndClosing) {
  RecordedSession rs;
  Session& s = rs.session;
  {
    TimeEntry entry(s);
    entry.controls.txtHours = "5";
    entry.cmdCancel();
    EXPECT_TRUE(entry.queryClose());
  }
  EXPECT_EQ(s.udtTimeIn.udtDms.intDegreesHours, 0);
  {
    TimeEntry entry(s);
    entry.controls.txtHours = "7.5";
    EXPECT_FALSE(entry.queryClose());
    EXPECT_EQ(rs.sink.last(), "Time cannot be valid\nHours must be an integer.");
    entry.controls.txtHours = "7";
    EXPECT_TRUE(entry.queryClose());
  }
  EXPECT_EQ(s.udtTimeIn.udtDms.intDegreesHours, 7);
}

}  // namespace
}  // namespace nemora
