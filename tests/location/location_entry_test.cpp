// The location dialog's model: loading from the current location, the
// cascade of list choices, the checks and messages of OK, and the effect of
// OK and Cancel.
#include "location/location_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"

namespace nemora::testing {
namespace {

class LocationEntryTest : public ::testing::Test {
 protected:
  LocationEntryTest() {
    rs.session.workDir = work.path();
    rs.session.locations.GetLocationData();
    rs.session.dblFixDate = static_cast<double>(fixedFromGregorian(2021, 7, 20));
    rs.session.dblFixTime = 0.5;
    rs.session.currentLocation.GetLastLocation(rs.session.dblFixDate, "Curloc.txt");
    rs.sink.clear();
  }
  TempDir work;
  RecordedSession rs;
  udtLocation& location = rs.session.udtLocation;
};

TEST_F(LocationEntryTest, LoadsTheCurrentLocation) {
  location.blnDMS = true;
  LocationEntry entry(rs.session);
  const LocationControls& c = entry.controls;
  EXPECT_TRUE(rs.sink.messages.empty());
  EXPECT_EQ(c.cboCountry[c.intCountry], "Israel");
  EXPECT_EQ(c.cboCity[c.intCity], "Jerusalem");
  EXPECT_EQ(c.cboNeighborhood[c.intNeighborhood], "Center");
  EXPECT_GT(c.cboNeighborhood.size(), 1u);
  EXPECT_EQ(c.txtLat, "31.782");
  EXPECT_TRUE(c.optNorth);
  EXPECT_EQ(c.txtLatDeg, "31");
  EXPECT_EQ(c.txtLatMin, "46");
  EXPECT_EQ(c.txtLatSec, "55.2");
  EXPECT_EQ(c.txtLong, "35.2195");
  EXPECT_EQ(c.txtHeight, "780");
  EXPECT_EQ(c.txtTZ, "2");
  EXPECT_EQ(c.txtTZH, "2");
  EXPECT_EQ(c.txtTZM, "0");
  EXPECT_TRUE(c.optAhead);
  EXPECT_TRUE(c.optAuto);
  EXPECT_FALSE(c.optDST);
  EXPECT_TRUE(c.optDMS);
  EXPECT_TRUE(rs.session.blnDMSDisplay);
  EXPECT_TRUE(entry.blnPlaceValid);
  EXPECT_EQ(entry.intNTZ, location.intNTZ);
}

TEST_F(LocationEntryTest, NamesMissingFromTheirListsGiveWayToTheFirstEntry) {
  location.strCountry = "Atlantis";
  location.strCity = "";
  location.strNeighborhood = "Nowhere";
  LocationEntry entry(rs.session);
  ASSERT_EQ(rs.sink.messages.size(), 2u);
  EXPECT_EQ(rs.sink.messages[0], "Default country not found. Using first Country on list.");
  EXPECT_EQ(rs.sink.messages[1], "Default neighborhood not found. Using first neighborhood on list.");
  EXPECT_EQ(entry.controls.intCountry, 0);
  EXPECT_EQ(entry.controls.intCity, 0);
  EXPECT_EQ(entry.controls.intNeighborhood, 0);
  EXPECT_EQ(entry.intNTZ, 1);

  rs.sink.clear();
  location.strCountry = "Israel";
  location.strCity = "Atlantis";
  location.strNeighborhood = "Center";
  LocationEntry second(rs.session);
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_EQ(rs.sink.messages[0], "City not found. Using first City on list.");
}

TEST_F(LocationEntryTest, ChoosingACountryCityOrNeighborhood) {
  LocationEntry entry(rs.session);
  const LocationControls& c = entry.controls;
  entry.positionEdited();
  EXPECT_FALSE(entry.blnPlaceValid);

  int india = rs.session.locations.findCountry("India");
  entry.cboCountryClick(india);
  EXPECT_TRUE(entry.blnPlaceValid);
  EXPECT_EQ(entry.intNTZ, 1);
  EXPECT_EQ(c.txtTZ, "5.5");
  EXPECT_EQ(c.txtTZH, "5");
  EXPECT_EQ(c.txtTZM, "30");
  EXPECT_TRUE(c.optAhead);
  EXPECT_FALSE(c.optDST);
  EXPECT_EQ(c.intCity, 0);
  EXPECT_EQ(c.cboCity[0], "Delhi");
  EXPECT_EQ(c.intNeighborhood, 0);
  EXPECT_EQ(c.txtLat, "28.6139");
  EXPECT_EQ(c.txtLong, "77.209");
  EXPECT_EQ(c.txtHeight, "216");

  entry.positionEdited();
  entry.cboCityClick(1);
  EXPECT_TRUE(entry.blnPlaceValid);
  EXPECT_NE(c.txtLat, "28.6139");

  int newYork = rs.session.locations.findCountry("United States - New York");
  entry.cboCountryClick(newYork);
  EXPECT_EQ(c.txtTZ, "4");  // daylight saving in force in July
  EXPECT_FALSE(c.optAhead);
  EXPECT_TRUE(c.optNorth);
  EXPECT_FALSE(c.optEast);
  EXPECT_EQ(c.txtLongDeg, "74");

  // Choosing only looks: the current location is unchanged until OK.
  EXPECT_EQ(location.strCountry, "Israel");
  EXPECT_EQ(location.udtTZ.size(), static_cast<size_t>(location.intNTZ));
  EXPECT_GT(location.intNTZ, 1);
  entry.cmdCancel();
  EXPECT_TRUE(entry.blnFinished);
  EXPECT_FALSE(entry.blnOK);
  EXPECT_EQ(location.strCountry, "Israel");
  EXPECT_EQ(location.udtTZ[0].dblTZ, 2);
}

TEST_F(LocationEntryTest, OKCollectsEveryFailure) {
  LocationEntry entry(rs.session);
  LocationControls& c = entry.controls;
  c.optDMS = false;
  c.txtHeight = "abc";
  c.txtLat = "91";
  c.txtLong = "x";
  c.txtTZ = "14.5";
  EXPECT_FALSE(entry.cmdOK());
  EXPECT_EQ(rs.sink.last(),
            "Error in location.\nHeight above sea level must be a number.\nLatitude must be between 0 and 90.\n"
            "Longitude must be a number.\nTime zone must be between 0 and 14.");
  c.txtHeight = "-1000.5";
  c.txtLat = "-1";
  c.txtLong = "180.5";
  c.txtTZ = "";
  EXPECT_FALSE(entry.cmdOK());
  EXPECT_EQ(rs.sink.last(),
            "Error in location.\nHeight above sea level must be between -1000 and 100000.\n"
            "Latitude must be between 0 and 90.\nLongitude must be between 0 and 180.\nTime zone must be a number.");
  EXPECT_FALSE(entry.blnFinished);

  c.optDMS = true;
  c.txtHeight = "100000";
  c.txtLatDeg = "91";
  c.txtLatMin = "60";
  c.txtLatSec = "60";
  c.txtLongDeg = "180";
  c.txtLongMin = "0";
  c.txtLongSec = "0.1";
  c.txtTZH = "14";
  c.txtTZM = "1";
  EXPECT_FALSE(entry.cmdOK());
  EXPECT_EQ(rs.sink.last(),
            "Error in location.\nLatitude degrees must be between 0 and 90.\n"
            "Latitude minutes must be between 0 and 59.\nLatitude seconds must be between 0 and 60.\n"
            "Longitude must be no more than 180.\nTime zone may not be larger than 14.");
  c.txtLatDeg = "90";
  c.txtLatMin = "0";
  c.txtLatSec = "1";
  c.txtLongDeg = "a";
  c.txtLongMin = "b";
  c.txtLongSec = "c";
  c.txtTZH = "-1";
  c.txtTZM = "x";
  EXPECT_FALSE(entry.cmdOK());
  EXPECT_EQ(rs.sink.last(),
            "Error in location.\nLatitude must be no more than 90.\nLongitude degrees must be a number.\n"
            "Longitude minutes must be a number.\nLongitude seconds must be a number.\n"
            "Time zone hours must be between 0 and 14.\nTime zone minutes must be a number.");
  c.txtTZH = "y";
  c.txtTZM = "60";
  c.txtLongDeg = "181";
  c.txtLongMin = "-1";
  c.txtLongSec = "0";
  EXPECT_FALSE(entry.cmdOK());
  EXPECT_EQ(rs.sink.last(),
            "Error in location.\nLatitude must be no more than 90.\nLongitude degrees must be between 0 and 180.\n"
            "Longitude minutes must be between 0 and 59.\nTime zone hours must be a number.\n"
            "Time zone minutes must be between 0 and 59.");
  EXPECT_EQ(location.dblHeight, 780);
}

TEST_F(LocationEntryTest, OKStoresATypedPosition) {
  LocationEntry entry(rs.session);
  LocationControls& c = entry.controls;
  c.optDMS = true;
  c.txtLatDeg = "90";
  c.txtLatMin = "0";
  c.txtLatSec = "0";
  c.optNorth = false;
  c.txtLongDeg = "10";
  c.txtLongMin = "30";
  c.txtLongSec = "36";
  c.optEast = false;
  c.txtTZH = "3";
  c.txtTZM = "45";
  c.optAhead = false;
  c.optAuto = false;
  c.optDST = true;
  c.txtHeight = "-20";
  entry.positionEdited();
  ASSERT_TRUE(entry.cmdOK()) << rs.sink.last();
  EXPECT_TRUE(entry.blnFinished);
  EXPECT_EQ(location.dblLatitude, -90);
  EXPECT_DOUBLE_EQ(location.dblLongitude, -10.51);
  EXPECT_EQ(location.udtLongitude.intMinutes, 30);
  EXPECT_FALSE(location.udtLongitude.blnPositive);
  EXPECT_EQ(location.dblTZ, -3.75);
  EXPECT_EQ(location.intTZHours, 3);
  EXPECT_EQ(location.intTZMinutes, 45);
  EXPECT_FALSE(location.blnTZSign);
  EXPECT_FALSE(location.blnPlaceValid);
  EXPECT_FALSE(location.blnAutoTZ);
  EXPECT_TRUE(location.blnDST);
  EXPECT_TRUE(location.blnDMS);
  EXPECT_EQ(location.dblHeight, -20);
  EXPECT_EQ(location.strCity, "Jerusalem");  // kept as a label

  // A decimal longitude of 180 West is stored as 180; OK on unchanged
  // controls keeps it.
  LocationEntry again(rs.session);
  again.controls.optDMS = false;
  again.controls.txtLong = "180";
  again.controls.optEast = false;
  ASSERT_TRUE(again.cmdOK()) << rs.sink.last();
  EXPECT_EQ(location.dblLongitude, 180);
  LocationEntry unchanged(rs.session);
  ASSERT_TRUE(unchanged.cmdOK());
  EXPECT_EQ(location.dblLongitude, 180);
  EXPECT_EQ(location.dblLatitude, -90);
}

TEST_F(LocationEntryTest, OKStoresAChosenPlaceWithItsZoneHistory) {
  LocationEntry entry(rs.session);
  entry.cboCountryClick(rs.session.locations.findCountry("India"));
  ASSERT_TRUE(entry.cmdOK()) << rs.sink.last();
  EXPECT_EQ(location.strCountry, "India");
  EXPECT_EQ(location.strCity, "Delhi");
  EXPECT_TRUE(location.blnPlaceValid);
  EXPECT_EQ(location.dblLatitude, 28.6139);
  EXPECT_EQ(location.intNTZ, 1);
  ASSERT_EQ(location.udtTZ.size(), 1u);
  EXPECT_EQ(location.udtTZ[0].dblTZ, 5.5);
  EXPECT_EQ(location.dblTZ, 5.5);
  EXPECT_EQ(location.intTZHours, 5);
  EXPECT_EQ(location.intTZMinutes, 30);
}

// The search box: towns found as the user types, best first; choosing one
// selects its country, city and first neighbourhood and fills its position.
TEST_F(LocationEntryTest, SearchAsYouTypeChoosesAPlace) {
  LocationEntry entry(rs.session);
  LocationControls& c = entry.controls;
  entry.txtFindChanged("  ");
  EXPECT_TRUE(c.lstFound.empty());
  entry.txtFindChanged("cape t");
  ASSERT_FALSE(c.lstFound.empty());
  EXPECT_EQ(c.lstFound.front(), "Cape Town, South Africa");
  EXPECT_LE(c.lstFound.size(), LocationEntry::kFoundShown);
  entry.lstFoundClick(0);
  EXPECT_EQ(c.cboCountry[c.intCountry], "South Africa");
  EXPECT_EQ(c.cboCity[c.intCity], "Cape Town");
  EXPECT_EQ(c.intNeighborhood, 0);
  EXPECT_EQ(c.txtLat.substr(0, 4), "33.9");
  EXPECT_FALSE(c.optNorth);
  EXPECT_TRUE(entry.blnPlaceValid);
  entry.lstFoundClick(99);  // no such entry: nothing changes
  EXPECT_EQ(c.cboCity[c.intCity], "Cape Town");
  EXPECT_TRUE(entry.cmdOK());
  EXPECT_EQ(location.strCountry, "South Africa");
  EXPECT_EQ(location.strCity, "Cape Town");
}

}  // namespace
}  // namespace nemora::testing
