// End-to-end runs of nemora-cli in a fresh folder: the clock's "now", batch
// lines, usage errors, place names and JSON read back.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/cli/cli_runner.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using Json = nlohmann::json;

using testing::CliRun;
using testing::runCli;
using testing::runCliIn;
using testing::TempDir;

std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

size_t count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

const std::string kJerusalem = "--location Israel/Jerusalem/Center ";

TEST(CliNow, TheClockIsAnInstantWhateverTheComputersZone) {
  using namespace std::chrono;
  for (const std::string zone : {"TZ=UTC", "TZ=America/New_York", "TZ=Asia/Kolkata", "TZ=Pacific/Kiritimati"}) {
    // Fixed day 719163 is 1 January 1970.
    double before = duration<double>(system_clock::now().time_since_epoch()).count() / 86400 + 719163;
    CliRun run = runCli("--json " + kJerusalem + "convert --to Gregorian --time-type-out UTC", "", zone);
    double after = duration<double>(system_clock::now().time_since_epoch()).count() / 86400 + 719163;
    ASSERT_EQ(run.status, 0) << zone << run.err;
    double instant = Json::parse(run.out)["instant"]["fixed"].get<double>();
    // Whole seconds of the clock: at most a second before the run started.
    EXPECT_GE(instant, before - 1.0 / 86400) << zone;
    EXPECT_LE(instant, after) << zone;
  }
}

TEST(CliRounding, ATimeThatRoundsToMidnightCarriesIntoTheDate) {
  struct Case {
    std::string arguments;
    std::string expected;
  };
  const Case cases[] = {
      {"--date 2024-10-03 --time 23:59:59.5 convert --to Gregorian",
       "Friday 4th October 2024 Gregorian 00:00:00 Local Time"},
      {"--date 2024-10-03 --time 23:59:59.4 convert --to Gregorian",
       "Thursday 3rd October 2024 Gregorian 23:59:59 Local Time"},
      {"--date 2024-12-31 --time 23:59:59.6 --time-type UTC convert --to Julian --time-type-out UTC",
       "Wednesday 19th December 2024 CE Julian 00:00:00 UTC"},
      // Past local mean midnight the Hebrew day is no longer its eve.
      {"--date 2024-12-31 --time 23:59:59.7 convert --to Hebrew",
       "Wednesday 1st Tevet 5785 Hebrew 00:00:00 Local Time"},
      {"--date 2024-12-31 --time 23:59:59.7 --time-type UTC convert --to Gregorian --time-type-out UTC",
       "Wednesday 1st January 2025 Gregorian 00:00:00 UTC"},
  };
  for (const Case& c : cases) {
    CliRun run = runCli(kJerusalem + c.arguments);
    EXPECT_EQ(run.status, 0) << c.arguments << run.err;
    EXPECT_EQ(run.out, c.expected + "\n") << c.arguments;
  }
}

TEST(CliBatch, BlankAndBadLinesAreNamedAndCrLfIsAccepted) {
  CliRun run = runCli(kJerusalem + "--date - --time 12:00 convert --to Gregorian",
                   "2024-1-1\n\n2024-1-3\r\n  2024-1-4 \t\n2024-2-30\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(lines(run.out), (std::vector<std::string>{"Monday 1st January 2024 Gregorian 12:00:00 Local Time", "",
                                                      "Wednesday 3rd January 2024 Gregorian 12:00:00 Local Time",
                                                      "Thursday 4th January 2024 Gregorian 12:00:00 Local Time", ""}));
  EXPECT_NE(run.err.find("Line 2: no date (blank line)\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Line 5: no result for 2024-2-30\n"), std::string::npos) << run.err;
  EXPECT_EQ(count(run.err, "Line "), 2u) << run.err;
}

TEST(CliBatch, EveryCommandThatReadsADateTakesStandardInput) {
  // Command, and the output lines of one date.
  const std::pair<std::string, size_t> commands[] = {
      {"convert --to JD", 1},   {"inputs", 1},       {"report --body Sun --parameter Rise", 1},
      {"body --body Venus", 1}, {"crescent", 1},     {"phases --count 1", 4},
      {"first-visible --count 1", 1},
  };
  for (const auto& [command, perDate] : commands) {
    CliRun run = runCli("--json " + kJerusalem + "--date - --time 18:00 " + command, "2024-3-10\r\n2024-4-20\n");
    EXPECT_EQ(run.status, 0) << command << run.err;
    auto out = lines(run.out);
    ASSERT_EQ(out.size(), 2 * perDate) << command << run.out;
    for (const auto& line : out) EXPECT_TRUE(Json::accept(line)) << command << ": " << line;
    EXPECT_NE(out.front(), out.back()) << command;
  }
}

TEST(CliLastLocation, ReadOnlyWhenNoPlaceIsGiven) {
  for (const std::string& place : {kJerusalem, std::string("--lat 31 --lon 35 --tz 2 ")}) {
    CliRun run = runCli(place + "convert --to JD");
    EXPECT_EQ(run.status, 0) << place;
    EXPECT_EQ(run.err, "") << place;
  }
  // A first run says once, calmly, which place it uses and how to choose one.
  CliRun run = runCli("convert --to JD");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "No place given (and no Curloc.txt here): using Center, Jerusalem, Israel. Choose one with --location, "
            "e.g. --location \"London\" or --location \"Cape Town\" (nemora-cli places --search TEXT finds places), "
            "or with --lat, --lon and --tz.\n");
  // A command that needs no place reads no last location and says nothing of it.
  testing::TempDir dir;
  std::ofstream(dir.path() / "Curloc.txt") << "not a location file\n";
  CliRun map = testing::runCliIn(dir.path(), "--date 2024-3-10 map --step 10 --lat-range 0:20 --out map.csv");
  EXPECT_EQ(map.status, 0) << map.err;
  EXPECT_EQ(map.err, "");
}

TEST(CliUsage, InputsThatWouldBeIgnoredAreRefusedBeforeAnythingIsComputed) {
  const std::pair<std::string, std::string> cases[] = {
      {"--location \"\" convert --to JD", "--location needs a place"},
      {"--location \"  \" convert --to JD", "--location needs a place"},
      {kJerusalem + "--lat 10 --lon 10 --tz 0 convert --to JD", "give one or the other"},
      {kJerusalem + "--height 100 convert --to JD", "give one or the other"},
      {"--lat nan --lon 35 --tz 2 convert --to JD", "--lat must be a finite number."},
      {"--lat 31 --lon 35 --tz 2 --height nan convert --to JD", "--height must be a finite number."},
      {"--lat 31 --lon inf --tz 2 convert --to JD", "--lon must be a finite number."},
      {"--language French convert --to JD", "French not in"},
      {"--date-type JD --date 2451545 --bce convert --to Gregorian", "--bce applies to calendar dates only"},
      {"--bce convert --to JD", "--bce needs --date."},
      {"--date-type Fixed --date 738000 --time 12:00 convert --to JD", "apply to calendar dates only"},
      {"--date-type Gregorian --date 2000-1-1 convert --to MJD --time-type-out UTC",
       "--time-type-out applies to calendar dates only, not to --to MJD."},
      {"convert --to Tuesday", "Tuesday not in"},
      {"report --body Sun", "report needs --body and --parameter"},
      // Inputs checked first and explained in words.
      {"--lat 1 --lon 1 --tz 30 convert --to JD", "--tz must be between -14 and 14 (hours ahead of UT): 30."},
      {"--weather Fixed:20,1013 inputs", "--weather must be Global, Local, Manual: with nine numbers"},
      {"--criterion Foo crescent", "Unknown criterion: Foo. The criteria are: Photometric, DALT-Width,"},
      {"--date 2024-2-30 convert --to JD", "2024-02-30: February 2024 has 29 days."},
      {"--date 2023-13-1 convert --to JD", "2023-13-01: months are 1 to 12 in the Gregorian calendar."},
      {"--date-type Hebrew --date 5785-13-1 convert --to JD",
       "5785-13-01: months are 1 to 12 in the Hebrew year 5785 (a common year: Adar 2, month 13, is only in a "
       "leap year)."},
      {"--date-type Hebrew --date 5784-8-30 convert --to JD", "5784-08-30: Cheshvan 5784 (Hebrew) has 29 days."},
      {"--location Qwzxv convert --to JD", "Place not found: \"Qwzxv\"."},
  };
  for (const auto& [arguments, message] : cases) {
    CliRun run = runCli(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
    EXPECT_EQ(run.err.find("GetLastLocation"), std::string::npos) << arguments;
  }
}

TEST(CliPlaces, NamesMatchWithoutCaseOrBlanksAndNearNamesAreSuggested) {
  const std::string exact = runCli(kJerusalem + "--date 2024-1-1 --time 12:00 inputs").out;
  ASSERT_NE(exact.find("Location: Center, Jerusalem, Israel"), std::string::npos) << exact;
  EXPECT_EQ(runCli("--location \" israel/JERUSALEM/center \" --date 2024-1-1 --time 12:00 inputs").out, exact);
  const std::pair<std::string, std::string> unknown[] = {
      {"Israe/Jerusalem/Center", "Country/State not found: \"Israe\". Nearest names: Israel"},
      {"Israel/Jerusalm/Center", "City/Town in Israel not found: \"Jerusalm\". Nearest names: Jerusalem"},
      {"Israel/Jerusalem/Centre", "Neighbourhood in Jerusalem, Israel not found: \"Centre\". Nearest names: Center"},
      {"USA/Chicgo/Center", "Place not found: \"Chicgo, USA\". Nearest names: Chicago, United States"},
      {"Lndon", "Place not found: \"Lndon\". Nearest names: London, United Kingdom"},
  };
  for (const auto& [place, message] : unknown) {
    CliRun run = runCli("--location " + place + " convert --to JD");
    EXPECT_EQ(run.status, 2) << place;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  // A town by its name alone, with its country as people write it, or the
  // country of the database's own form as people write it.
  const std::string london = runCli("--location \"United Kingdom/London/Center\" --date 2024-1-1 --time 12:00 inputs").out;
  ASSERT_NE(london.find("London"), std::string::npos) << london;
  for (const char* typed : {"London", "london, uk", "UK/London/Center"})
    EXPECT_EQ(runCli(std::string("--location \"") + typed + "\" --date 2024-1-1 --time 12:00 inputs").out, london)
        << typed;
  CliRun search = runCli("places --search \"cape town\" --limit 1");
  EXPECT_EQ(search.status, 0) << search.err;
  EXPECT_EQ(search.out.rfind("Cape Town, South Africa  (South Africa/Cape Town/", 0), 0u) << search.out;
  EXPECT_EQ(runCli("places --search Xqzvw").status, 1);
  CliRun places = runCli("--json places --country \" ISRAEL\"");
  EXPECT_EQ(places.status, 0) << places.err;
  auto out = lines(places.out);
  ASSERT_GT(out.size(), 5u);
  Json first = Json::parse(out.front());
  EXPECT_EQ(first["country"], "Israel");
  EXPECT_EQ(first["city"], "Jerusalem");
  EXPECT_EQ(first["neighbourhood"], "Center");
  EXPECT_NEAR(first["latitude"].get<double>(), 31.78, 0.01);
  EXPECT_NEAR(first["longitude"].get<double>(), 35.22, 0.01);
  EXPECT_EQ(first["zone"], 2);
  EXPECT_EQ(first["dst"], true);
  CliRun all = runCli("places");
  EXPECT_GT(lines(all.out).size(), out.size());
  EXPECT_NE(all.out.find("Israel/Jerusalem/Center  31.782 35.2195 780m UT+2 DST\n"), std::string::npos);
  EXPECT_EQ(runCli("places --country Atlantis").status, 1);
}

// Every command's JSON read back: one object per result with its keys (the
// full vocabulary is checked against docs/schemas by its own test), and the
// one shape of an instant, a place and a criterion.
TEST(CliJson, EveryCommandWritesObjectsWithItsKeys) {
  const std::string at = "--json " + kJerusalem + "--date 2024-3-11 --time 18:00 ";
  const std::pair<std::string, std::vector<std::string>> commands[] = {
      {"convert --to Hebrew", {"instant", "place", "criterion", "date", "time", "text"}},
      {"convert --to JD", {"instant", "place", "criterion", "date", "text"}},
      {"inputs", {"instant", "place", "criterion", "date_text", "time_text", "location_text", "criterion_text"}},
      {"report --body Moon --parameter Rise", {"body", "parameter", "instant", "place", "criterion", "text"}},
      {"body --body Moon", {"instant", "place", "criterion", "ecliptic_longitude_geocentric", "magnitude", "probability"}},
      {"crescent", {"evening", "day", "place", "criterion", "moment", "yallop", "visibility"}},
      {"phases --count 1", {"phase", "name", "instant", "jde", "place", "criterion"}},
      {"first-visible --count 1",
       {"day", "evening", "place", "criterion", "best_time", "probability", "value", "value_outside"}},
      {"report --list", {"body", "parameters"}},
  };
  for (const auto& [command, keys] : commands) {
    CliRun run = runCli(at + command);
    EXPECT_EQ(run.status, 0) << command << run.err;
    auto out = lines(run.out);
    ASSERT_FALSE(out.empty()) << command;
    for (const auto& line : out) {
      ASSERT_TRUE(Json::accept(line)) << command << ": " << line;
      Json o = Json::parse(line);
      for (const auto& key : keys) EXPECT_TRUE(o.contains(key)) << command << " lacks " << key << ": " << line;
      if (o.contains("place")) {
        EXPECT_EQ(o["place"]["name"], "Israel/Jerusalem/Center") << command;
        EXPECT_NEAR(o["place"]["latitude"].get<double>(), 31.78, 0.01) << command;
        EXPECT_EQ(o["place"]["zone"], 2) << command;
      }
      if (o.contains("criterion")) {
        EXPECT_EQ(o["criterion"], "Yallop") << command << ": the default criterion";
      }
    }
  }
  Json report = Json::parse(runCli(at + "report --body Moon --parameter Rise").out);
  EXPECT_EQ(report["body"], "Moon");
  EXPECT_EQ(report["parameter"], "Rise");
  // 18:00 at UTC+2 in every form of an instant.
  EXPECT_NEAR(report["instant"]["fixed"].get<double>(), 738956 + 16.0 / 24, 1e-6);
  EXPECT_NEAR(report["instant"]["jd"].get<double>(), 738956 + 16.0 / 24 + 1721424.5, 1e-6);
  EXPECT_EQ(report["instant"]["ut"], "2024-03-11T16:00:00Z");
  EXPECT_NE(report["instant"]["text"].get<std::string>().find("11th March 2024"), std::string::npos)
      << report["instant"];
  EXPECT_EQ(report["text"].get<std::string>().rfind("Geometric Moonrise ", 0), 0u) << report["text"];
  Json list = Json::parse(lines(runCli("--json report --list").out)[1]);
  EXPECT_EQ(list["body"], "Moon");
  EXPECT_EQ(list["parameters"].size(), 17u);
  EXPECT_EQ(list["parameters"].back(), "Visibility map");
  // Typed coordinates have no name; Hebrew text in JSON carries no
  // direction marks (they are for a display only).
  Json typed = Json::parse(runCli("--json --lat -33.9 --lon 18.4 --tz 2 --language Hebrew --date 2024-3-11 "
                                  "--criterion Odeh first-visible --count 1")
                               .out);
  EXPECT_TRUE(typed["place"]["name"].is_null());
  EXPECT_EQ(typed["criterion"], "Odeh");
  const std::string text = typed.dump();
  for (const char* mark : {"\u2066", "\u2069", "\u200f", "\u200e"})
    EXPECT_EQ(text.find(mark), std::string::npos) << text;
}

// Calendar files: one event per crescent (or phase) at its best time (or
// instant), with the place, the criterion and the probability, that the same
// run's JSON agrees with.
TEST(CliCalendar, FirstVisibleAndPhasesWriteOneEventEach) {
  TempDir dir;
  const std::string at = "--json " + kJerusalem + "--date 2025-1-1 --criterion Yallop ";
  CliRun visible = runCliIn(dir.path(), at + "first-visible --count 3 --ics crescents.ics");
  ASSERT_EQ(visible.status, 0) << visible.err;
  CliRun phases = runCliIn(dir.path(), at + "phases --count 2 --ics phases.ics");
  ASSERT_EQ(phases.status, 0) << phases.err;
  const std::string crescents = readText(dir.path() / "crescents.ics");
  const std::string phaseFile = readText(dir.path() / "phases.ics");
  for (const std::string* file : {&crescents, &phaseFile}) {
    EXPECT_EQ(file->rfind("BEGIN:VCALENDAR\r\n", 0), 0u) << *file;
    EXPECT_NE(file->find("VERSION:2.0\r\n"), std::string::npos);
    EXPECT_NE(file->find("PRODID:"), std::string::npos);
    EXPECT_NE(file->find("END:VCALENDAR\r\n"), std::string::npos);
    // Lines end in CR LF and are folded at 75 octets.
    std::stringstream in(*file);
    for (std::string line; std::getline(in, line);) {
      ASSERT_FALSE(line.empty());
      EXPECT_EQ(line.back(), '\r') << line;
      EXPECT_LE(line.size(), 76u) << line;
    }
  }
  EXPECT_EQ(count(crescents, "BEGIN:VEVENT"), 3u);
  EXPECT_EQ(count(phaseFile, "BEGIN:VEVENT"), 8u);
  const std::string unfolded = [&] {
    std::string u;
    for (size_t i = 0; i < crescents.size(); ++i) {
      if (crescents.compare(i, 3, "\r\n ") == 0) {
        i += 2;
        continue;
      }
      u += crescents[i];
    }
    return u;
  }();
  for (const auto& line : lines(visible.out)) {
    Json o = Json::parse(line);
    std::string ut = o["best_time"]["ut"].get<std::string>();  // 2025-01-31T15:20:05Z
    std::string stamp;
    for (char c : ut)
      if (c != '-' && c != ':') stamp += c;
    EXPECT_NE(unfolded.find("DTSTART:" + stamp), std::string::npos) << stamp << unfolded;
    const std::string percent = std::to_string(std::lround(o["probability"].get<double>() * 100)) + "%";
    EXPECT_NE(unfolded.find("Probability of visibility: " + percent), std::string::npos) << percent;
  }
  EXPECT_NE(unfolded.find("LOCATION:Israel/Jerusalem/Center"), std::string::npos);
  EXPECT_NE(unfolded.find("Criterion: Yallop"), std::string::npos);
  EXPECT_NE(unfolded.find("GEO:31.78"), std::string::npos);
  // The same crescents keep their identifiers from run to run.
  ASSERT_EQ(runCliIn(dir.path(), at + "first-visible --count 3 --ics again.ics").status, 0);
  const std::string again = readText(dir.path() / "again.ics");
  for (size_t at = crescents.find("UID:"); at != std::string::npos; at = crescents.find("UID:", at + 1))
    EXPECT_NE(again.find(crescents.substr(at, crescents.find('\r', at) - at)), std::string::npos);
  // A calendar file that cannot be written fails the run.
  CliRun bad = runCliIn(dir.path(), at + "phases --count 1 --ics no/such/folder/p.ics");
  EXPECT_EQ(bad.status, 1);
  EXPECT_FALSE(bad.err.empty());
}

}  // namespace
}  // namespace nemora
