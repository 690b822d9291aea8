// The day that runs from sunset to sunset, with synthetic sunsets in place of
// the rise and set routines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/hebrew.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr int32_t kFirstJanuary2024 = 738886;

// Sunset at the same UT time of day on every civil day.
SunsetSource sunsetAt(double dayFraction, std::vector<int32_t>* asked = nullptr) {
  return [=](int32_t day, double& t) {
    if (asked) asked->push_back(day);
    t = day + dayFraction;
    return true;
  };
}

TEST(StartEndDay, TheDayThatContainsTheInstant) {
  RecordedSession s;
  s.session.sunset = sunsetAt(0.625);  // 15:00 UT
  clsHebrew& h = s.session.hebrew;
  bool ok = false;
  double start = 0, end = 0;
  int16_t shift = 9;
  // Noon: the day began at the previous evening's sunset.
  h.StartEndDay(kFirstJanuary2024 + 0.5, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(start, kFirstJanuary2024 - 0.375);
  EXPECT_DOUBLE_EQ(end, kFirstJanuary2024 + 0.625);
  EXPECT_EQ(shift, 0);
  // One hour after sunset on 1 January: the day from that sunset to the next.
  h.StartEndDay(kFirstJanuary2024 + 0.625 + 1.0 / 24, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(start, kFirstJanuary2024 + 0.625);
  EXPECT_DOUBLE_EQ(end, kFirstJanuary2024 + 1.625);
  EXPECT_EQ(shift, 1);
  // The instant of sunset closes its day.
  h.StartEndDay(kFirstJanuary2024 + 0.625, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(end, kFirstJanuary2024 + 0.625);
  EXPECT_EQ(shift, 0);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(StartEndDay, SunsetAfterUniversalMidnight) {
  // Far west of Greenwich the civil day's sunset falls on the next UT day.
  RecordedSession s;
  s.session.sunset = sunsetAt(1.2);
  bool ok = false;
  double start = 0, end = 0;
  int16_t shift = 9;
  s.session.hebrew.StartEndDay(100.1, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(start, 99.2);
  EXPECT_DOUBLE_EQ(end, 100.2);
  EXPECT_EQ(shift, -1);
}

TEST(StartEndDay, NoSunsetClearsTheFlagWithoutAMessage) {
  RecordedSession s;
  // Polar day: the Sun does not set on civil day 100.
  s.session.sunset = [](int32_t day, double& t) {
    t = day + 0.7;
    return day != 100;
  };
  bool ok = true;
  double start = 0, end = 0;
  int16_t shift = 0;
  s.session.hebrew.StartEndDay(100.5, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
  // A sunset computation that failed shows its own message, and only that.
  s.session.sunset = [&](int32_t, double&) {
    s.session.showMessage("Error in cHBody.RiseSet, Object name not found: Sun");
    return false;
  };
  s.session.hebrew.StartEndDay(100.5, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in cHBody.RiseSet, Object name not found: Sun"});
  // No sunset source at all: the day cannot be found, and the user is told.
  s.session.sunset = nullptr;
  s.session.hebrew.StartEndDay(100.5, start, end, ok, shift);
  EXPECT_FALSE(ok);
  ASSERT_EQ(s.sink.messages.size(), 2u);
  EXPECT_EQ(s.sink.messages[1],
            "Error in cHebrew.StartEndDay, No sunset times are available for days that begin at sunset");
}

TEST(StartEndDay, EveryCheckShowsItsMessage) {
  RecordedSession s;
  clsHebrew& h = s.session.hebrew;
  const std::string p = "Error in cHebrew.StartEndDay, ";
  struct Case {
    SunsetSource sunset;
    double t;
    std::string message;
  };
  auto table = [](std::vector<double> times) {  // sunsets of days 98, 99, 100, ...
    return [times](int32_t day, double& t) {
      t = times.at(static_cast<size_t>(day - 98));
      return true;
    };
  };
  for (const Case& c : std::vector<Case>{
           {sunsetAt(0.7), 10592250.5, p + "Magnitude of dblFix too large: 10592250.5"},
           {sunsetAt(0.7), -10592251, p + "Magnitude of dblFix too large: -10592251"},
           {table({0, 96.5, 99.75}), 100.5, p + "Difference between consecutive sunsets out of range: 99.75 - 96.5 = 3.25"},
           {table({0, 99.75, 99.5}), 100.5, p + "Difference between consecutive sunsets out of range: 99.5 - 99.75 = -0.25"},
           {table({0, 98.75, 100.75}), 100.5, p + "Difference between dblFix and dblStart out of range: 100.5 - 98.75 = 1.75"},
           {table({0, 99.5, 101.5}), 100, p + "Difference between dblEnd and dblFix out of range: 101.5 - 100 = 1.5"},
           {table({0, 97.5, 98.5, 99.5, 100.5}), 100.25, p + "intDayShift out of range: 2"},
           {[](int32_t, double& t) { t = std::nan(""); return true; }, 100.5,
            p + "Difference between consecutive sunsets out of range: NaN - NaN = NaN"},
       }) {
    s.session.sunset = c.sunset;
    bool ok = true;
    double start = 0, end = 0;
    int16_t shift = 0;
    h.StartEndDay(c.t, start, end, ok, shift);
    EXPECT_FALSE(ok) << c.message;
    EXPECT_EQ(s.sink.last(), c.message);
  }
  EXPECT_EQ(s.sink.messages.size(), 8u);
}

TEST(StartEndDay, AStuckSunsetSourceEndsInAMessage) {
  // Every "sunset" at the same instant, after the given one: the walk to
  // earlier days never finds an earlier sunset; it stops and reports.
  RecordedSession s;
  s.session.sunset = [](int32_t, double& t) {
    t = 100.75;
    return true;
  };
  bool ok = true;
  double start = 0, end = 0;
  int16_t shift = 0;
  s.session.hebrew.StartEndDay(100.5, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cHebrew.StartEndDay, Difference between dblFix and dblStart out of range: "
                           "100.5 - 100.75 = -0.25");
}

TEST(EveningShift, WholeDayAdjustments) {
  RecordedSession s;
  std::vector<int32_t> asked;
  s.session.sunset = sunsetAt(0.75, &asked);  // 18:00 UT
  clsHebrew& h = s.session.hebrew;
  bool ok = false;
  struct Case {
    double t;
    bool second;
    double expected;
  };
  for (const Case& c : std::vector<Case>{
           {0.5, false, 0.5},    // between the sunsets: unchanged
           {-0.5, false, 0.5},   // before the evening that opens the day
           {1.9, true, 0.9},     // a second occurrence moves by one day only
           {-0.25, false, -0.25},
       }) {
    double t = c.t;
    h.EveningShift(1000, t, ok, c.second);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(t, c.expected) << c.t << (c.second ? " second time" : "");
  }
  EXPECT_EQ(asked.front(), 999);  // the sunset that opens the day comes first
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(EveningShift, NoSunsetClearsTheFlag) {
  RecordedSession s;
  s.session.sunset = [](int32_t, double&) { return false; };
  bool ok = true;
  double t = 0.5;
  s.session.hebrew.EveningShift(1000, t, ok, false);
  EXPECT_FALSE(ok);
  // A broken source that keeps the walk going cannot hang the program.
  s.session.sunset = [](int32_t, double& t) {
    t = 1e9;
    return true;
  };
  ok = true;
  s.session.hebrew.EveningShift(1000, t, ok, false);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
