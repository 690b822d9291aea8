#include "app/main_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/session.h"
#include "tests/cli/cli_runner.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::CliRun;
using testing::RecordedSession;
using testing::TempDir;

// 15 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45366.5;

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A session whose working folder is a fresh folder (no Curloc.txt yet).
struct ModelFixture : ::testing::Test {
  RecordedSession s;
  TempDir work;
  MainModel model{s.session};
  ModelFixture() { s.session.workDir = work.path(); }
};

TEST_F(ModelFixture, StartUpTakesTheClockAsLocalTimeAndEvaluates) {
  work.write("Curloc.txt", readAll(std::filesystem::path(NEMORA_SOURCE_DATA_DIR) / "Curloc.bak"));
  model.startUp(kClockNoon);
  const udtDate& d = s.session.udtDateIn;
  EXPECT_EQ(d.enmDateType, dtGregorian);
  EXPECT_EQ(d.intYear, 2024);
  EXPECT_EQ(d.intMonth, 3);
  EXPECT_EQ(d.intDateOfMonth, 15);
  const udtTime& t = s.session.udtTimeIn;
  EXPECT_EQ(t.enmTimeType, ttLocal);
  EXPECT_EQ(t.udtDms.intDegreesHours, 12);
  EXPECT_EQ(t.udtDms.intMinutes, 0);
  EXPECT_TRUE(t.bln24Hour);
  // Jerusalem is two hours ahead of UT in March before the spring change.
  EXPECT_NEAR(s.session.dblFixDate + s.session.dblFixTime, 738960.5 - 2.0 / 24, 1e-6);

  EXPECT_EQ(model.labels.lblDate, "Date: Friday 15th March 2024 Gregorian");
  EXPECT_EQ(model.labels.lblTime, "Time: 12:00:00 Local Time");
  EXPECT_EQ(model.labels.lblCriterion, "Criterion: Yallop");
  EXPECT_EQ(model.labels.lblWeather.rfind("Weather Basis ", 0), 0u) << model.labels.lblWeather;
  EXPECT_EQ(model.labels.lblObserver, "Overall probability");
  EXPECT_FALSE(model.convertMode());
  EXPECT_EQ(model.cboOption.text(), "Moon");
  EXPECT_EQ(model.cboOption2.text(), "Visibility by criterion");
  // It opens on the Moon's criterion report of that evening (a five-day Moon).
  EXPECT_EQ(model.labels.lblOutput3.rfind("Lag time: ", 0), 0u) << model.labels.lblOutput3;
  EXPECT_NE(model.labels.lblOutput3.find("\nAccording to the Yallop criterion\n"), std::string::npos);
  EXPECT_TRUE(s.sink.messages.empty()) << s.sink.last();
}

TEST_F(ModelFixture, HalfHourZoneIsMendedAfterTheWholeHourCorrection) {
  // Mumbai keeps +5:30 all year: the start-up rounds the offset to 6 hours,
  // then mends the instant by the half hour.
  work.write("Curloc.txt",
             "\"India\"\n\"Mumbai\"\n\"Center\"\n#TRUE#\n19.076\n72.8777\n14\n5.5\n#FALSE#\n#TRUE#\n#FALSE#\n");
  model.startUp(kClockNoon);
  EXPECT_TRUE(s.sink.messages.empty()) << s.sink.last();
  EXPECT_EQ(s.session.udtTimeIn.udtDms.intDegreesHours, 12);
  EXPECT_EQ(s.session.udtTimeIn.udtDms.intMinutes, 0);
  EXPECT_NEAR(s.session.dblFixDate + s.session.dblFixTime, 738960.5 - 5.5 / 24, 1e-6);
}

TEST_F(ModelFixture, MissingLastLocationFallsBackAndSaysSo) {
  model.startUp(kClockNoon);
  ASSERT_FALSE(s.sink.messages.empty());
  EXPECT_EQ(s.session.udtLocation.strCity, "Jerusalem");
}

TEST_F(ModelFixture, ListsFollowTheModeAndTheBody) {
  model.startUp(kClockNoon);
  model.chooseConvert();
  EXPECT_EQ(model.cboOption.caption, "Date type");
  EXPECT_EQ(model.cboOption.text(), "Gregorian");
  EXPECT_EQ(model.cboOption2.text(), "Local");
  EXPECT_TRUE(model.cboOption2.visible);
  EXPECT_EQ(model.labels.lblOutput3, "Friday 15th March 2024 Gregorian 12:00:00 Local Time");

  model.optionChanged(1);  // JD: no time scale
  EXPECT_FALSE(model.cboOption2.visible);
  EXPECT_EQ(model.labels.lblOutput3, "2460384.91666667 JD");
  model.optionChanged(4);
  EXPECT_TRUE(model.cboOption2.visible);
  EXPECT_EQ(model.cboOption2.text(), "Local");
  model.option2Changed(0);
  EXPECT_EQ(model.labels.lblOutput3, "Friday 15th March 2024 Gregorian 10:00:00 UTC");

  model.chooseBody();
  EXPECT_EQ(model.cboOption.caption, "Body");
  EXPECT_EQ(model.cboOption.text(), "Moon");
  model.option2Changed(11);  // "Next new Moon"
  EXPECT_EQ(model.intParameter, 11);
  model.optionChanged(2);    // Mercury has no Moon parameters
  EXPECT_EQ(model.cboOption2.text(), "Equatorial coordinates");
  EXPECT_GT(model.cboOption.items.size(), 7u);  // the catalogue's stars follow the planets
}

TEST_F(ModelFixture, DayNumberInputHasNoTime) {
  model.startUp(kClockNoon);
  s.session.udtDateIn = dayNumberDate(dtFixed, 738960.25);
  model.enmDateTypeOut = dtGregorian;
  model.enmTimeTypeOut = ttUTC;
  ASSERT_TRUE(model.chooseConvertAndEvaluate());
  EXPECT_EQ(model.labels.lblTime, "Time: not applicable");
  EXPECT_EQ(s.session.dblFixTime, 0);
  EXPECT_EQ(model.labels.lblOutput3, "Friday 15th March 2024 Gregorian 06:00:00 UTC");
}

TEST_F(ModelFixture, SavingTwiceLeavesOnlyTheSecondResult) {
  model.startUp(kClockNoon);
  model.chooseConvert();
  model.saveOutTxt("Nemora 3.1");
  model.optionChanged(1);
  model.saveOutTxt("Nemora 3.1");
  std::string text = readAll(work.path() / "out.txt");
  EXPECT_EQ(text.find("Gregorian 12:00:00"), std::string::npos);
  std::string expected =
      "Nemora 3.1\r\n\r\nInput values\r\n    Time: 12:00:00 Local Time\r\n    Date: Friday 15th March 2024 "
      "Gregorian\r\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  // The time type is listed even while its list is hidden.
  EXPECT_NE(text.find("Output results\r\n    Convert date\r\n    Date type: JD\r\n    Time type: Local\r\n"
                      "2460384.91666667 JD\r\n"),
            std::string::npos)
      << text;
}

// Runs nemora-cli in a fresh folder, which it must leave without Curloc.txt.
CliRun runCli(const std::string& arguments, const std::string& input = "") {
  TempDir dir;
  CliRun run = testing::runCliIn(dir.path(), arguments, input);
  bool wroteLocation = std::filesystem::exists(dir.path() / "Curloc.txt");
  EXPECT_FALSE(wroteLocation) << "the command line never writes Curloc.txt";
  return run;
}

TEST(Cli, ConvertsWithInputsBeforeOrAfterTheCommand) {
  CliRun a = runCli("--date-type Gregorian --date 2000-1-1 --time 12:00 --time-type UTC convert --to JD");
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.out, "2451545 JD\n");
  CliRun b = runCli("convert --to JD --date 2000-1-1 --date-type Gregorian --time-type UTC --time 12:00");
  EXPECT_EQ(b.out, a.out);
  CliRun c = runCli("--location Israel/Jerusalem/Center --date-type Gregorian --date 2024-7-1 --time 20:00 "
                    "convert --to Gregorian --time-type-out UTC");
  EXPECT_EQ(c.out, "Monday 1st July 2024 Gregorian 17:00:00 UTC\n");
}

TEST(Cli, JsonHasTheInstantTheDateTheTimeAndTheText) {
  CliRun run = runCli("--json --date-type Fixed --date 730120.5 convert --to Gregorian --time-type-out UTC");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\"instant\":{\"fixed\":730120.5,\"jd\":2451545.0,\"ut\":\"2000-01-01T12:00:00Z\""),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"date\":{\"date_type\":\"Gregorian\",\"year\":2000,\"month\":1,\"day\":1"),
            std::string::npos);
  EXPECT_NE(run.out.find("\"time\":{\"time_type\":\"UTC\",\"hours\":12,\"minutes\":0"), std::string::npos);
  EXPECT_NE(run.out.find("\"text\":\"Saturday 1st January 2000 Gregorian 12:00:00 UTC\"}"), std::string::npos);
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);  // one line
}

TEST(Cli, BatchGivesALinePerInputAndFailsAfterTheOthers) {
  CliRun run = runCli("--date-type Gregorian --date - --time 12:00 --time-type UTC convert --to JD",
                      "2024-1-1\n2024-2-30\n2024-12-25\n");
  EXPECT_EQ(run.out, "2460311 JD\n\n2460670 JD\n");
  EXPECT_EQ(run.status, 1);
}

// Inputs that cannot be used end with the usage status.
TEST(Cli, BadInputsFailWithTheUsageStatus) {
  EXPECT_EQ(runCli("--location Nowhere/At/All convert --to JD").status, 2);
  EXPECT_EQ(runCli("--date-type Gregorian --date 2024-13-1 convert --to JD").status, 2);
  EXPECT_EQ(runCli("--time 25:99 convert --to JD").status, 2);
  EXPECT_NE(runCli("convert --to Tuesday").status, 0);
}

}  // namespace
}  // namespace nemora

namespace nemora {
namespace {

TEST(CliReport, PrintsTheReportOfTheBodyAndParameter) {
  CliRun run = runCli("--date-type Gregorian --date 2024-3-15 --time 12:00 --time-type UTC "
                      "report --body Sun --parameter \"Equatorial coordinates\"");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Sun's geocentric equatorial coordinates\n", 0), 0u) << run.out;
  CliRun missing = runCli("report --body Vulcan --parameter Rise");
  EXPECT_EQ(missing.status, 1);
  CliRun fullMoon = runCli("report --body Moon --parameter \"Next full Moon\"");
  EXPECT_EQ(fullMoon.status, 0);
  EXPECT_EQ(fullMoon.out.rfind("Next geocentric full Moon: ", 0), 0u) << fullMoon.out;
  // A report that does not exist yet fails, its notice on standard error.
  CliRun later = runCli("report --body Mars --parameter \"Next full Moon\"");
  EXPECT_EQ(later.status, 1);
  EXPECT_EQ(later.out, "");
}

TEST(CliReport, SunriseAndSunsetInJerusalem) {
  const std::string inputs =
      "--location Israel/Jerusalem/Center --date-type Gregorian --date 2024-7-1 --time 12:00 report --body Sun ";
  CliRun rise = runCli(inputs + "--parameter Rise");
  EXPECT_EQ(rise.status, 0);
  // Sunrise over the flat horizon about 5:37 local time (UTC+3), within
  // the minute of the published tables.
  EXPECT_EQ(rise.out.rfind("Geometric Sunrise Monday 1st July 2024 Gregorian 05:4", 0), 0u) << rise.out;
  EXPECT_NE(rise.out.find("\nApparent Sunrise over flat horizon 05:3"), std::string::npos) << rise.out;
  EXPECT_NE(rise.out.find("\nApparent Sunrise over sea level horizon 05:3"), std::string::npos) << rise.out;
  CliRun set = runCli(inputs + "--parameter Set");
  EXPECT_NE(set.out.find("\nApparent Sunset over flat horizon 19:4"), std::string::npos) << set.out;
}

TEST(Cli, DaysThatBeginAtSunsetAndSeasonalHours) {
  const std::string jerusalem = "--location Israel/Jerusalem/Center ";
  // 1 Tishri 5784 runs from sunset on 15 September 2023 to sunset on the
  // 16th; 18:00 is before that sunset.
  CliRun newYear = runCli(jerusalem + "--date-type Hebrew --date 5784-7-1 --time 18:00 convert --to Gregorian");
  EXPECT_EQ(newYear.out, "Saturday 16th September 2023 Gregorian 18:00:00 Local Time\n");
  // 20:00 on 2 October 2024 is after sunset: the eve of 1 Tishri 5785.
  CliRun eve = runCli(jerusalem + "--date-type Gregorian --date 2024-10-2 --time 20:00 convert --to Hebrew");
  EXPECT_EQ(eve.out, "Thursday eve 1st Tishri 5785 Hebrew 20:00:00 Local Time\n");
  // Seasonal hours: day hour 3 of 15 Nisan 5785 and back.
  CliRun seasonal = runCli(jerusalem +
                           "--date-type Hebrew --date 5785-1-15 --time 3:00 --time-type Seasonal --pm "
                           "convert --to Hebrew --time-type-out Seasonal");
  EXPECT_EQ(seasonal.out, "Sunday 15th Nisan 5785 Hebrew 3:00:00 day Seasonal\n");
  EXPECT_EQ(runCli(jerusalem + "--time 3:00 --time-type Seasonal convert --to JD").status, 2);
  // Where the Sun does not set, a Hebrew date does not exist.
  EXPECT_EQ(runCli("--lat 69.65 --lon 18.96 --tz 1 --date-type Gregorian --date 2024-6-21 --time 12:00 "
                   "convert --to Hebrew")
                .status,
            1);
}

}  // namespace
}  // namespace nemora

namespace nemora {
namespace {

TEST(CliBody, PrintsEveryFieldOfThePositionRecord) {
  CliRun plain = runCli("--date-type Gregorian --date 2024-3-15 --time 12:00 body --body Moon");
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out.rfind("EclLong ", 0), 0u) << plain.out;
  EXPECT_NE(plain.out.find("\nFix "), std::string::npos);
  CliRun json = runCli("--json --date-type Gregorian --date 2024-3-15 --time 12:00 body --body Sirius");
  EXPECT_EQ(json.out.rfind("{\"body\":\"Sirius\",\"instant\":{", 0), 0u) << json.out;
  EXPECT_NE(json.out.find(",\"ecliptic_longitude_geocentric\":"), std::string::npos) << json.out;
  EXPECT_EQ(json.out.substr(json.out.size() - 2), "}\n");
  EXPECT_EQ(runCli("body --body Vulcan").status, 1);
}

TEST(CliWeather, EveryBasisCanBeTyped) {
  CliRun fixed = runCli("--weather Fixed:10,1010,50 inputs");
  EXPECT_NE(fixed.out.find("Weather Basis Fixed T 10.0 C, P 1010 mbar, RH 50 %\n"), std::string::npos) << fixed.out;
  CliRun global = runCli("--weather Global inputs");
  EXPECT_NE(global.out.find("Weather Basis Global "), std::string::npos);
  EXPECT_EQ(runCli("--weather Fixed:10 inputs").status, 2);
  EXPECT_EQ(runCli("--weather Cloudy inputs").status, 2);
}

}  // namespace
}  // namespace nemora
