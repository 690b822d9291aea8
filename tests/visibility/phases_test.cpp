// Moon phases: the new and full Moons and quarters against an independent
// ephemeris over 1900-2100, molads against an independent Hebrew calendar,
// the lunation of the mean and calendrical phases, the search for the first
// visible crescent, duration texts, the back-to-back questions and the
// new-Moon table's file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/session.h"
#include "ephemeris/hbody.h"
#include "tests/test_support.h"
#include "base/criterion_types.h"
#include "visibility/phases.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr double kJDOffset = 1721424.5;
constexpr int32_t k1Jan2025 = 739252;

struct Place : RecordedSession {
  Place(double lat, double lon, double height, double tz) {
    udtLocation& l = session.udtLocation;
    l.dblLatitude = lat;
    l.dblLongitude = lon;
    l.dblHeight = height;
    l.dblTZ = tz;
    l.blnAutoTZ = false;
    session.udtLocation.moveTo({lat, lon, height});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.udtWeather.dblTempMean = 15;
    session.udtWeather.dblPressMean = 1013.25;
    session.udtWeather.dblHumMean = 50;
  }
  double tt(double ut) {
    bool ok = false;
    double dt = session.deltaT.DeltaT(ut, true, ok);
    EXPECT_TRUE(ok) << sink.last();
    return ut + dt / 86400;
  }
};

Place jerusalem() { return Place(31.7767, 35.2345, 800, 2); }

std::vector<std::vector<std::string>> readCsv(const std::string& name) {
  std::ifstream file(std::string(NEMORA_TEST_DATA_DIR) + "/" + name);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream cellStream(line);
    std::string cell;
    while (std::getline(cellStream, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

TEST(MoonPhases, PhasesOfTheReportsAgreeWithAnIndependentEphemerisFrom1900To2100) {
  auto rows = readCsv("moon_phases_reference.csv");
  ASSERT_EQ(rows.size(), 496u);
  Place p = jerusalem();
  MoonPhases phases(p.session);
  double worst[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < rows.size(); ++i) {
    const int angle = std::stoi(rows[i][0]);
    const double reference = std::stod(rows[i][2]) - kJDOffset;  // TT
    bool ok = false;
    double ut = 0;
    if (angle == 0 || angle == 180) {
      // As the reports find them: the first new or full Moon after an
      // instant some days before, with the mean and calendrical phase of the
      // same lunation.
      udtLunation l;
      phases.Lunation(reference - 3 - static_cast<double>(i % 7), angle == 180, l, ok);
      ASSERT_TRUE(ok) << p.sink.last();
      ut = l.dblGeo;
      EXPECT_LT(std::fabs(l.dblTopo - l.dblGeo), 0.3) << rows[i][1];
      EXPECT_LT(std::fabs(l.dblMean - l.dblGeo), 0.75) << rows[i][1];
      EXPECT_LT(std::fabs(l.dblCalendrical - l.dblGeo), 0.75) << rows[i][1];
    } else {
      ut = p.session.hbody.moon.FindPhase(reference - 2, angle == 270 ? -90 : 90, false, ok);
      ASSERT_TRUE(ok) << p.sink.last();
    }
    const double seconds = (p.tt(ut) - reference) * 86400;
    worst[angle / 90] = std::max(worst[angle / 90], std::fabs(seconds));
    EXPECT_LT(std::fabs(seconds), 60) << angle << " " << rows[i][1];
  }
  std::cout << "largest differences (s), new, first quarter, full, last quarter: " << worst[0] << ", " << worst[1]
            << ", " << worst[2] << ", " << worst[3] << "\n";
}

TEST(MoonPhases, MeanAndCalendricalPhasesBelongToTheLunationJustBeforeAndJustAfterAConjunction) {
  auto rows = readCsv("moon_phases_reference.csv");
  Place p = jerusalem();
  MoonPhases phases(p.session);
  for (size_t i = 0; i < rows.size(); i += 8) {
    for (bool full : {false, true}) {
      const double reference = std::stod(rows[i + (full ? 2 : 0)][2]) - kJDOffset;
      bool ok = false;
      udtLunation at;
      phases.Lunation(reference - 2, full, at, ok);
      ASSERT_TRUE(ok);
      // A minute before the phase: that phase; a minute after: the next.
      udtLunation before, after;
      phases.Lunation(at.dblGeo - 1.0 / 1440, full, before, ok);
      ASSERT_TRUE(ok);
      phases.Lunation(at.dblGeo + 1.0 / 1440, full, after, ok);
      ASSERT_TRUE(ok);
      EXPECT_NEAR(before.dblGeo, at.dblGeo, 1e-4);
      EXPECT_NEAR(after.dblGeo - at.dblGeo, 29.53, 0.3);
      for (const udtLunation& l : {at, before, after}) {
        EXPECT_LT(std::fabs(l.dblMean - l.dblGeo), 0.75) << rows[i][1];
        EXPECT_LT(std::fabs(l.dblCalendrical - l.dblGeo), 0.75) << rows[i][1];
        // The calendrical phase is a molad (or a molad and half a month).
        double n = (l.dblCalendrical + kMoladEpoch) / kHebrewMonth - (full ? 0.5 : 0);
        EXPECT_NEAR(n, std::round(n), 1e-9);
      }
    }
  }
  // The report: four lines in order, the molad of the same lunation.
  p.session.dblFixDate = k1Jan2025;
  p.session.dblFixTime = 0.5;
  bool ok = false;
  std::string text = phases.ConjunctionReport(ok);
  ASSERT_TRUE(ok) << p.sink.last();
  std::istringstream lines(text);
  std::string line;
  for (const char* prefix : {"Next geocentric conjunction: ", "Topocentric conjunction: ", "Mean conjunction: ",
                             "Calendrical conjunction (Molad): "}) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
  }
  text = phases.FullMoonReport(ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(text.find("Calendrical full Moon (nigud): "), std::string::npos) << text;
}

TEST(MoonPhases, MoladsAgreeWithAnIndependentHebrewCalendarToThePart) {
  auto rows = readCsv("molad_reference.csv");
  ASSERT_GT(rows.size(), 300u);
  double worst = 0;
  for (const auto& row : rows) {
    const double parts = std::stod(row[3]) * 1080 + std::stod(row[4]) * 18 + std::stod(row[5]);
    const double jerusalemTime = std::stod(row[2]) + parts / 25920;
    const double ut = jerusalemTime - kJerusalemMeanTime;
    // From half a day before and from the molad itself.
    for (double from : {ut - 0.5, ut - 1e-6}) {
      const double ours = MoonPhases::MoladAfter(from) + kJerusalemMeanTime;
      const double diffParts = (ours - jerusalemTime) * 25920;
      worst = std::max(worst, std::fabs(diffParts));
      EXPECT_LT(std::fabs(diffParts), 0.01) << row[0] << "/" << row[1];
    }
  }
  std::cout << "largest molad difference: " << worst << " parts\n";
}

TEST(MoonPhases, NextVisibleDateByYallopAtJerusalemForAYearOfLunations) {
  Place p = jerusalem();
  MoonPhases phases(p.session);
  p.session.udtUserCriterion.intType = kCritYallop;
  bool ok = false;
  double start = k1Jan2025;
  int32_t previous = 0;
  for (int n = 0; n < 13; ++n) {
    int32_t day = phases.NextVisibleDate(start, true, false, ok);
    ASSERT_TRUE(ok) << p.sink.last();
    // Yallop's own verdict: class A to C that evening, not the evening before.
    EXPECT_TRUE(phases.CrescentJudgement(day, true, ok).blnEye) << day;
    EXPECT_FALSE(phases.CrescentJudgement(day - 1, true, ok).blnEye) << day;
    // One crescent a lunation, none skipped, each after its conjunction.
    if (previous != 0) {
      EXPECT_TRUE(day - previous == 29 || day - previous == 30) << day - previous;
    }
    udtLunation l;
    phases.Lunation(day - 5, false, l, ok, false);
    ASSERT_TRUE(ok);
    EXPECT_GT(day + 0.75, l.dblGeo);
    EXPECT_LT(day - l.dblGeo, 4);
    previous = day;
    start = day + 1;
  }
  // The old crescent: the last morning that meets it.
  start = k1Jan2025;
  for (int n = 0; n < 4; ++n) {
    int32_t day = phases.NextVisibleDate(start, false, false, ok);
    ASSERT_TRUE(ok) << p.sink.last();
    EXPECT_GE(day, static_cast<int32_t>(start));
    EXPECT_TRUE(phases.CrescentJudgement(day, false, ok).blnEye) << day;
    EXPECT_FALSE(phases.CrescentJudgement(day + 1, false, ok).blnEye) << day;
    start = day + 1;
  }
  // With optical aid the first evening is never later.
  int32_t aided = phases.NextVisibleDate(k1Jan2025, true, true, ok);
  ASSERT_TRUE(ok);
  EXPECT_LE(aided, phases.NextVisibleDate(k1Jan2025, true, false, ok));
  EXPECT_TRUE(phases.CrescentJudgement(aided, true, ok).blnAid);
  EXPECT_FALSE(phases.CrescentJudgement(aided - 1, true, ok).blnAid);
}

TEST(MoonPhases, DurationTextForms) {
  struct Row {
    double hours;
    const char* text;
  } rows[] = {{0, "0s"},
              {0.01, "36s"},
              {-0.01, "-36s"},
              {59.6 / 3600, "1m00s"},  // rounded before the split: never "60s"
              {0.5, "30m00s"},
              {(5 * 60 + 7) / 3600.0, "5m07s"},
              {1.2345, "1h14m04s"},
              {-(3 + 4 / 60.0 + 9 / 3600.0), "-3h04m09s"},
              {25, "25h00m00s"},
              {1e7, "10000000h00m00s"}};
  for (const Row& r : rows) EXPECT_EQ(MoonPhases::DurationText(r.hours), r.text) << r.hours;
}

TEST(MoonPhases, BackToBackAsksAtLatitude45AndWithThePhotometricCriterion) {
  const std::string abort = "\nPress OK to continue or press Cancel to abort.";
  const std::string latitude = "Back-to-back Moons are very rare or impossible at this latitude." + abort;
  const std::string photometric =
      "The calculation of back-to-back Moons is very very slow using fully photometric criteria." + abort;
  struct Row {
    double latitude;
    int16_t criterion;
    std::vector<std::string> questions;
  } rows[] = {{45, kCritYallop, {latitude}},
              {-45, kCritPhotometric, {latitude}},  // Cancel at the first question ends it
              {31.8, kCritPhotometric, {photometric}}};
  for (const Row& r : rows) {
    Place p(r.latitude, 35, 0, 2);
    p.session.udtUserCriterion.intType = r.criterion;
    p.session.dblFixDate = k1Jan2025;
    p.sink.answer = false;
    bool ok = false;
    EXPECT_EQ(MoonPhases(p.session).BackToBack(ok), "");
    EXPECT_TRUE(ok) << p.sink.last();
    EXPECT_EQ(p.sink.questions, r.questions) << r.latitude;
  }
  // Unattended (the command line): no question, the warning as a note, and
  // one answer: the pair's date, or none within the years given (Cape Town
  // from 1 June 2025 by Yallop: none within a year; London from 1 January
  // 2024: class C on the morning of 5 July and the evening of 6 July).
  struct Unattended {
    double latitude, longitude;
    double start;
    std::string answer;
    std::vector<std::string> notes;
  } unattended[] = {
      {-33.9, 18.4, k1Jan2025 + 151, "Back-to-back Moons not detected after 1 year.", {}},
      {51.5, -0.13, k1Jan2025 - 366, "Friday 5th July 2024 Gregorian",
       {"Back-to-back Moons are very rare or impossible at this latitude."}}};
  for (const Unattended& u : unattended) {
    Place p(u.latitude, u.longitude, 0, 0);
    p.session.udtUserCriterion.intType = kCritYallop;
    p.session.udtDateIn.enmDateType = dtGregorian;
    p.session.dblFixDate = u.start;
    p.session.intBackToBackYears = 1;
    bool ok = false;
    EXPECT_EQ(MoonPhases(p.session).BackToBack(ok), u.answer);
    EXPECT_TRUE(ok) << p.sink.last();
    EXPECT_TRUE(p.sink.questions.empty());
    EXPECT_EQ(p.sink.messages, u.notes);
  }
}

TEST(MoonPhases, NewMoonTableWritesTheLunationsDoneWhenStopped) {
  TempDir dir;
  Place p = jerusalem();
  p.session.workDir = dir.path();
  int asked = 0;
  bool ok = false;
  MoonPhases(p.session).NewMoonTable(
      [&](int32_t done, int32_t total) {
        EXPECT_EQ(total, 25000);
        ++asked;
        return done < 3;
      },
      ok);
  ASSERT_TRUE(ok) << p.sink.last();
  EXPECT_EQ(asked, 4);
  std::ifstream file(dir.path() / "Output.txt");
  std::string first;
  ASSERT_TRUE(std::getline(file, first));
  EXPECT_EQ(first, "Century starting 300");
  // The main window's date is left at the third visibility date, early in 351.
  EXPECT_EQ(p.session.udtDateIn.enmDateType, dtJulian);
  EXPECT_EQ(p.session.udtDateIn.intYear, 351);
  EXPECT_GE(p.session.udtDateIn.intMonth, 2);
  EXPECT_LE(p.session.udtDateIn.intMonth, 4);
}

}  // namespace
}  // namespace nemora
