// The zone histories of the shipped location database against the system's
// time-zone database (/usr/share/zoneinfo, the IANA data of Debian's tzdata
// package), read as compiled TZif files by tests/timescale/tzif_reader. The
// table tests/data/zone_map.txt names the IANA zone of every entry.
//
// UT to local: at local noon of every day and at every hour from 36 hours
// before to 36 hours after every transition, 1970 to 2037, the offset of
// the entry at the UT instant equals the zone's.
// Local to UT: the input time 12:00 local of every day converts to the UT
// instant of that day's local noon.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"
#include "tests/timescale/tzif_reader.h"
#include "tests/timescale/zone_test_support.h"

namespace nemora::testing {
namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kHour = 3600;

struct MapEntry {
  std::string country;
  std::string zone;
  std::string expected;  // the differences expected, "none" for none
};

std::vector<MapEntry> readZoneMap() {
  std::ifstream in(std::filesystem::path(NEMORA_TEST_DATA_DIR) / "zone_map.txt");
  std::vector<MapEntry> entries;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    MapEntry e;
    std::getline(fields, e.country, '\t');
    std::getline(fields, e.zone, '\t');
    std::getline(fields, e.expected);
    entries.push_back(e);
  }
  return entries;
}

// Fixed day number (with fraction) of a Unix time.
double fixedOfUnix(int64_t t) {
  static const int64_t kUnixEpoch = fixedFromGregorian(1970, 1, 1);
  return static_cast<double>(kUnixEpoch) + static_cast<double>(t) / kDay;
}

class ZoneHistoryTest : public ::testing::Test {
 protected:
  ZoneHistoryTest() { rs.session.locations.GetLocationData(); }
  RecordedSession rs;
  const int64_t first = (fixedFromGregorian(1970, 1, 1) - fixedFromGregorian(1970, 1, 1)) * kDay;
  const int64_t last = (fixedFromGregorian(2038, 1, 1) - fixedFromGregorian(1970, 1, 1)) * kDay;
};

TEST_F(ZoneHistoryTest, EveryEntryFollowsItsZoneFrom1970To2037) {
  const auto entries = readZoneMap();
  ASSERT_EQ(static_cast<int>(entries.size()), rs.session.locations.intNCountries())
      << "every entry of the database has a line in the zone table";
  udtLocation& location = rs.session.udtLocation;
  long checked = 0;
  for (const MapEntry& entry : entries) {
    SCOPED_TRACE(entry.country + " / " + entry.zone);
    // Only differences after 2037 may be expected.
    EXPECT_EQ(entry.expected.substr(0, 4), "none");
    int i = rs.session.locations.findCountry(entry.country);
    ASSERT_GE(i, 0);
    TzifZone zone = readTzif(std::filesystem::path("/usr/share/zoneinfo") / entry.zone);
    location = udtLocation{};
    ASSERT_TRUE(rs.session.currentLocation.GetPositionFromName(
        location, entry.country, rs.session.locations.udtCountries()[i].udtCities[0].strName,
        rs.session.locations.udtCountries()[i].udtCities[0].udtNeighborhoods[0].strName, true));
    location.blnAutoTZ = true;

    int failures = 0;
    auto check = [&](int64_t t) {
      if (t < first || t >= last || failures > 5) return;
      bool ok = false;
      double hours = rs.session.localTime.GetTZ(fixedOfUnix(t), ok);
      ASSERT_TRUE(ok) << rs.sink.last();
      int32_t expected = zone.offsetAt(t);
      ++checked;
      if (std::fabs(hours * kHour - expected) > 0.5) {
        ++failures;
        ADD_FAILURE() << "at Unix time " << t << " (fixed " << std::setprecision(12) << fixedOfUnix(t)
                      << "): offset " << hours << " h, the zone's " << expected / 3600.0 << " h";
      }
    };
    // The compiled zone must reach 2037 for the comparison to mean anything.
    if (!zone.transitions.empty() && zone.transitions.back() < last - 400 * kDay) {
      EXPECT_EQ(zone.offsetAt(last), zone.offsetAt(zone.transitions.back()));
    }
    for (int64_t day = first; day < last; day += kDay) {
      int64_t noon = day + 12 * kHour;
      check(noon - zone.offsetAt(noon));
    }
    for (int64_t t : zone.transitions) {
      for (int64_t h = -36; h <= 36; ++h) check(t + h * kHour);
    }
    EXPECT_TRUE(rs.sink.messages.empty()) << rs.sink.last();
  }
  std::cout << "Zone comparison: " << entries.size() << " zone histories, " << checked << " instants\n";
}

TEST_F(ZoneHistoryTest, LocalNoonOfEveryDayConvertsToItsUTInstant) {
  udtLocation& location = rs.session.udtLocation;
  rs.session.udtTimeIn = clock24(ttLocal, 12);
  long checked = 0, epochDays = 0;
  for (const MapEntry& entry : readZoneMap()) {
    SCOPED_TRACE(entry.country + " / " + entry.zone);
    TzifZone zone = readTzif(std::filesystem::path("/usr/share/zoneinfo") / entry.zone);
    int i = rs.session.locations.findCountry(entry.country);
    ASSERT_GE(i, 0);
    location = udtLocation{};
    location.blnAutoTZ = true;
    location.udtTZ = rs.session.locations.udtCountries()[i].udtTZ;
    location.intNTZ = static_cast<int16_t>(location.udtTZ.size());
    int failures = 0;
    for (int64_t day = first; day < last && failures <= 5; day += kDay) {
      int64_t noon = day + 12 * kHour;
      int64_t utc = noon - zone.offsetAt(noon - zone.offsetAt(noon));
      // The input date's offset is that of its epoch at the date's start; on
      // the day an epoch ends that may be the epoch before.
      rs.session.dblFixDate = fixedOfUnix(day);
      bool ok = false;
      double fraction = rs.session.localTime.FromLocal(rs.session.udtTimeIn, ok, dtGregorian);
      ASSERT_TRUE(ok) << rs.sink.last();
      double expected = static_cast<double>(utc - day) / kDay;
      ++checked;
      if (std::fabs(fraction - expected) * kDay > 0.5) {
        // Allowed only when an epoch ends within this local day.
        bool epochEnds = false;
        for (const udtTZHistory& e : location.udtTZ)
          epochEnds |= e.blnLast && e.dblLastDate >= fixedOfUnix(day) - 1 && e.dblLastDate < fixedOfUnix(day) + 1;
        epochDays += epochEnds ? 1 : 0;
        if (!epochEnds) {
          ++failures;
          ADD_FAILURE() << "local noon of fixed day " << fixedOfUnix(day) << ": UT fraction " << fraction
                        << ", the zone's " << expected;
        }
      }
    }
  }
  std::cout << "Local noon: " << checked << " days, " << epochDays
            << " of them on days an epoch ends with the offset of the epoch at the day's start\n";
}

}  // namespace
}  // namespace nemora::testing
