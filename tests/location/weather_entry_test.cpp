// The weather dialog's model: what it shows, which boxes each basis uses,
// every message of OK word for word with the rule that a value out of range
// replaces the text while a box that is not a number adds a line, what OK
// stores and when it marks the inputs changed, and that whatever OK accepts
// the weather model can evaluate all year.
#include "location/weather_entry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/session.h"
#include "tests/test_support.h"

namespace nemora::testing {
namespace {

constexpr const char* kHead = "Invalid weather parameters\n";

struct WeatherEntryTest : ::testing::Test {
  RecordedSession rs;
  Session& s = rs.session;

  // Controls with the Manual basis and acceptable values.
  static WeatherControls manualControls() {
    WeatherControls c = weatherControls(udtWeather{});
    c.cboBasis = kWeatherManual;
    return c;
  }
};

TEST_F(WeatherEntryTest, LoadingShowsTheSettingAndTheBasisChoosesTheBoxes) {
  WeatherEntry entry{s};
  EXPECT_EQ(entry.controls,
            (WeatherControls{kWeatherLocal, "16", "8.9", "8.6", "923.4", "0", "-5.9", "68.5", "-18", "20.1"}));
  struct Case {
    int32_t basis;
    bool means, ranges;
  };
  for (const Case& c : {Case{kWeatherGlobal, false, false}, Case{kWeatherLocal, false, false},
                        Case{kWeatherManual, true, true}, Case{kWeatherFixed, true, false}, Case{-1, false, false}}) {
    entry.controls.cboBasis = c.basis;
    EXPECT_EQ(entry.meansEnabled(), c.means) << c.basis;
    EXPECT_EQ(entry.rangesEnabled(), c.ranges) << c.basis;
  }
}

TEST_F(WeatherEntryTest, EveryMessageOfTheManualBasis) {
  struct Case {
    std::function<void(WeatherControls&)> change;
    std::string message;
  };
  auto set = [](std::string WeatherControls::*box, std::string value) {
    return [box, value](WeatherControls& c) { c.*box = value; };
  };
  auto ranges = [](std::string WeatherControls::*mean, std::string m, std::string WeatherControls::*daily,
                   std::string d, std::string WeatherControls::*annual, std::string a) {
    return [=](WeatherControls& c) {
      c.*mean = m;
      c.*daily = d;
      c.*annual = a;
    };
  };
  using C = WeatherControls;
  const Case cases[] = {
      // Temperature.
      {set(&C::txtTM, "warm"), kHead + std::string("Mean temperature must be a number")},
      {set(&C::txtTM, ""), kHead + std::string("Mean temperature must be a number")},
      {ranges(&C::txtTM, "70.5", &C::txtTD, "0", &C::txtTA, "0"), "Mean temperature out of range"},
      {ranges(&C::txtTM, "-90.5", &C::txtTD, "0", &C::txtTA, "0"), "Mean temperature out of range"},
      {set(&C::txtTD, "1O"), kHead + std::string("Daily temperature range must be a number")},
      {set(&C::txtTD, "232.5"), "Daily temperature range out of range"},
      {set(&C::txtTD, "-233"), "Daily temperature range out of range"},
      {set(&C::txtTA, "x"), kHead + std::string("Annual temperature range must be a number")},
      {set(&C::txtTA, "233"), "Annual temperature range out of range"},
      {set(&C::txtTA, "-232.1"), "Annual temperature range out of range"},
      {ranges(&C::txtTM, "60", &C::txtTD, "10", &C::txtTA, "15"),
       "Temperature exceeds acceptable range some of the time"},
      {ranges(&C::txtTM, "-85", &C::txtTD, "10.2", &C::txtTA, "0"),
       "Temperature exceeds acceptable range some of the time"},
      // Pressure.
      {set(&C::txtPM, "high"), kHead + std::string("Mean pressure must be a number")},
      {ranges(&C::txtPM, "1150.5", &C::txtPD, "0", &C::txtPA, "0"), "Mean pressure out of range"},
      {ranges(&C::txtPM, "-1", &C::txtPD, "0", &C::txtPA, "0"), "Mean pressure out of range"},
      {set(&C::txtPD, "-"), kHead + std::string("Daily pressure range must be a number")},
      {set(&C::txtPD, "1151"), "Daily pressure range out of range"},
      {set(&C::txtPA, "1e"), kHead + std::string("Annual pressure range must be a number")},
      {set(&C::txtPA, "-1150.5"), "Annual pressure range out of range"},
      {ranges(&C::txtPM, "1100", &C::txtPD, "60", &C::txtPA, "42"),
       "Pressure exceeds acceptable range some of the time"},
      {ranges(&C::txtPM, "10", &C::txtPD, "0", &C::txtPA, "-20.5"),
       "Pressure exceeds acceptable range some of the time"},
      // Humidity.
      {set(&C::txtHM, "damp"), kHead + std::string("Mean humidity must be a number")},
      {ranges(&C::txtHM, "100.5", &C::txtHD, "0", &C::txtHA, "0"), "Mean humidity out of range"},
      {ranges(&C::txtHM, "-0.1", &C::txtHD, "0", &C::txtHA, "0"), "Mean humidity out of range"},
      {set(&C::txtHD, "ten"), kHead + std::string("Daily humidity range must be a number")},
      {set(&C::txtHD, "100.5"), "Daily humidity range out of range"},
      {set(&C::txtHA, "5 %"), kHead + std::string("Annual humidity range must be a number")},
      {set(&C::txtHA, "-101"), "Annual humidity range out of range"},
      {ranges(&C::txtHM, "90", &C::txtHD, "-10", &C::txtHA, "10.2"),
       "Humidity exceeds acceptable range some of the time"},
      // The cycles add up at their peaks whatever the signs of the ranges:
      // 50 + 30 + 30 would reach 110 % once a year.
      {ranges(&C::txtHM, "50", &C::txtHD, "60", &C::txtHA, "-60"),
       "Humidity exceeds acceptable range some of the time"},
      {ranges(&C::txtTM, "60", &C::txtTD, "10", &C::txtTA, "-12"),
       "Temperature exceeds acceptable range some of the time"},
      // Lines for boxes that are not numbers collect under the first line.
      {[](C& c) {
         c.txtTM = "a";
         c.txtTD = "b";
         c.txtHA = "c";
       },
       kHead + std::string("Mean temperature must be a number\nDaily temperature range must be a number\n"
                           "Annual humidity range must be a number")},
      // A value out of range replaces everything said before it; later lines
      // are added to it.
      {[](C& c) {
         c.txtTM = "a";
         c.txtPM = "2000";
         c.txtHD = "x";
       },
       "Mean pressure out of range\nDaily humidity range must be a number"},
      {[](C& c) {
         c.txtTD = "300";
         c.txtTA = "y";
         c.txtPA = "-5000";
       },
       "Annual pressure range out of range"},
      // A value out of range is reported as such, not as a swing beyond the
      // limits; a box that is not a number leaves the swing unchecked.
      {ranges(&C::txtTM, "75", &C::txtTD, "0", &C::txtTA, "0"), "Mean temperature out of range"},
      {ranges(&C::txtTM, "69", &C::txtTD, "40", &C::txtTA, "z"),
       kHead + std::string("Annual temperature range must be a number")},
  };
  for (const Case& c : cases) {
    rs.sink.clear();
    WeatherEntry entry{s};
    entry.controls = manualControls();
    c.change(entry.controls);
    EXPECT_EQ(WeatherEntryProblems(entry.controls), c.message);
    udtWeather before = s.udtWeather;
    EXPECT_FALSE(entry.cmdOK()) << c.message;
    EXPECT_EQ(rs.sink.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(s.udtWeather, before);
    EXPECT_FALSE(entry.blnOK);
  }
}

TEST_F(WeatherEntryTest, LimitsThemselvesAreAccepted) {
  using C = WeatherControls;
  const std::function<void(C&)> cases[] = {
      [](C& c) {
        c.txtTM = "70";
        c.txtTD = "0";
        c.txtTA = "0";
      },
      [](C& c) {
        c.txtTM = "-90";
        c.txtTD = "0";
        c.txtTA = "0";
      },
      [](C& c) {
        c.txtTM = "-20";
        c.txtTD = "-100";
        c.txtTA = "40";
      },  // peaks at 50 and -90
      [](C& c) {
        c.txtTM = "-20";
        c.txtTD = "40";
        c.txtTA = "-100";
      },
      [](C& c) {
        c.txtTM = "-90";
        c.txtTD = "0";
        c.txtTA = "0";
        c.txtPM = "1150";
        c.txtPD = "0";
        c.txtPA = "0";
      },
      [](C& c) {
        c.txtPM = "575";
        c.txtPD = "1150";
        c.txtPA = "0";
      },
      [](C& c) {
        c.txtPM = "575";
        c.txtPD = "-575";
        c.txtPA = "575";
      },
      [](C& c) {
        c.txtHM = "0";
        c.txtHD = "0";
        c.txtHA = "0";
      },
      [](C& c) {
        c.txtHM = "50";
        c.txtHD = "-100";
        c.txtHA = "0";
      },
      [](C& c) {
        c.txtHM = "50";
        c.txtHD = "50";
        c.txtHA = "-50";
      },
      [](C& c) {
        c.txtHM = " 100 ";
        c.txtHD = "+0";
        c.txtHA = "0.0";
      },
  };
  for (const auto& change : cases) {
    WeatherControls c = manualControls();
    change(c);
    EXPECT_EQ(WeatherEntryProblems(c), "") << c.txtTM << " " << c.txtPM << " " << c.txtHM;
  }
}

TEST_F(WeatherEntryTest, FixedChecksOnlyTheMeansAndGlobalAndLocalNothing) {
  WeatherControls c = weatherControls(udtWeather{});
  c.cboBasis = kWeatherFixed;
  c.txtTD = c.txtTA = c.txtPD = c.txtPA = c.txtHD = c.txtHA = "unused";
  EXPECT_EQ(WeatherEntryProblems(c), "");
  c.txtTM = "69.9";
  c.txtTD = "500";  // a swing beyond the limits does not matter without cycles
  EXPECT_EQ(WeatherEntryProblems(c), "");
  c.txtTM = "hot";
  EXPECT_EQ(WeatherEntryProblems(c), kHead + std::string("Mean temperature must be a number"));
  c.txtPM = "1151";
  EXPECT_EQ(WeatherEntryProblems(c), "Mean pressure out of range");
  c.txtHM = "?";
  EXPECT_EQ(WeatherEntryProblems(c), "Mean pressure out of range\nMean humidity must be a number");
  c.txtPM = "1000";
  c.txtTM = "-91";
  c.txtHM = "101";
  EXPECT_EQ(WeatherEntryProblems(c), "Mean humidity out of range");

  for (int32_t basis : {kWeatherGlobal, kWeatherLocal}) {
    WeatherControls empty;
    empty.cboBasis = basis;
    EXPECT_EQ(WeatherEntryProblems(empty), "") << basis;
  }
  for (int32_t basis : {-1, 4, 100}) {
    WeatherControls bad = manualControls();
    bad.cboBasis = basis;
    bad.txtTM = "not a number";
    EXPECT_EQ(WeatherEntryProblems(bad), "Invalid basis for estimating weather parameters") << basis;
  }
}

TEST_F(WeatherEntryTest, OkStoresWhatTheBasisUses) {
  // Unchanged: the setting stays as it was.
  {
    WeatherEntry entry{s};
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_TRUE(entry.blnOK);
    EXPECT_EQ(s.udtWeather, udtWeather{});
  }
  // Global: only the basis is stored, whatever the boxes hold.
  {
    WeatherEntry entry{s};
    entry.controls.cboBasis = kWeatherGlobal;
    entry.controls.txtTM = "garbage";
    entry.controls.txtPD = "9999";
    EXPECT_TRUE(entry.cmdOK());
    udtWeather expected;
    expected.udtBasis = kWeatherGlobal;
    EXPECT_EQ(s.udtWeather, expected);
  }
  // Fixed: the means are stored, the ranges kept.
  {
    WeatherEntry entry{s};
    entry.controls.cboBasis = kWeatherFixed;
    entry.controls.txtTM = "12.5";
    entry.controls.txtPM = "1013.25";
    entry.controls.txtHM = "40";
    entry.controls.txtTD = "77";
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_EQ(s.udtWeather, (udtWeather{kWeatherFixed, 12.5, 8.9, 8.6, 1013.25, 0, -5.9, 40, -18, 20.1}));
  }
  // Fixed again with a new value in a box it does not use: no change.
  {
    WeatherEntry entry{s};
    entry.controls.txtHA = "3";
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_EQ(s.udtWeather, (udtWeather{kWeatherFixed, 12.5, 8.9, 8.6, 1013.25, 0, -5.9, 40, -18, 20.1}));
  }
  // The same basis with a new value it uses is stored.
  {
    WeatherEntry entry{s};
    entry.controls.txtTM = "13";
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_EQ(s.udtWeather.dblTempMean, 13);
  }
  // Manual: all nine values.
  {
    WeatherEntry entry{s};
    entry.controls = WeatherControls{kWeatherManual, "20", "10", "-6", "1000", "2", "3", "55", "-20", "10"};
    EXPECT_TRUE(entry.cmdOK());
    EXPECT_EQ(s.udtWeather, (udtWeather{kWeatherManual, 20, 10, -6, 1000, 2, 3, 55, -20, 10}));
  }
  // Cancel changes nothing.
  {
    WeatherEntry entry{s};
    entry.controls = WeatherControls{kWeatherGlobal, "1", "1", "1", "1", "1", "1", "1", "1", "1"};
    EXPECT_TRUE(entry.cmdCancel());
    EXPECT_FALSE(entry.blnOK);
    EXPECT_EQ(s.udtWeather, (udtWeather{kWeatherManual, 20, 10, -6, 1000, 2, 3, 55, -20, 10}));
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(WeatherEntryTest, WhatOkAcceptsTheModelEvaluatesAllYear) {
  // Extreme but acceptable Manual settings, each evaluated every 5 days and
  // 7 hours for a year: never a value out of the model's range.
  const WeatherControls accepted[] = {
      {kWeatherManual, "70", "0", "0", "1150", "0", "0", "100", "0", "0"},
      {kWeatherManual, "-90", "0", "0", "0", "0", "0", "0", "0", "0"},
      {kWeatherManual, "60", "10", "-10", "575", "-575", "575", "50", "50", "-50"},
      {kWeatherManual, "-20", "-100", "40", "1000", "100", "-200", "50", "-60", "40"},
      {kWeatherManual, "-20", "40", "-100", "300", "-300", "-300", "40", "-80", "0"},
  };
  s.udtLocation.moveTo({45, 90, 0});
  s.udtLocation.dblLongitude = 90;
  for (const WeatherControls& c : accepted) {
    WeatherEntry entry{s};
    entry.controls = c;
    ASSERT_TRUE(entry.cmdOK()) << rs.sink.last();
    for (double fix = 738946; fix < 738946 + 366; fix += 5 + 7.0 / 24) {
      udtWeatherNow w;
      bool ok = false;
      s.weather.GetWeatherNow(fix, w, ok);
      ASSERT_TRUE(ok) << c.txtTM << " " << fix << ": " << rs.sink.last();
    }
  }
}

}  // namespace
}  // namespace nemora::testing
