// Places as people write them, against the shipped location database and
// its other names: towns by name alone, with their country or division,
// common country names, accents, alternate names, and the messages of
// names that are unknown or shared; every town found by its own label.
#include "location/place_search.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/session.h"
#include "location/location_data.h"
#include "tests/test_support.h"

namespace nemora::testing {
namespace {

// The shipped database, loaded.
const clsLocationData& loaded(RecordedSession& rs) {
  rs.session.locations.GetLocationData();
  return rs.session.locations;
}

class PlaceSearchTest : public ::testing::Test {
 protected:
  RecordedSession rs;
  PlaceFinder finder{loaded(rs), rs.session.dataFile("PlaceNames.txt")};

  // "Country/City/Neighbourhood" of a town found.
  std::string where(const PlaceFound& f) const {
    const udtCountry& c = rs.session.locations.udtCountries()[static_cast<size_t>(f.country)];
    const udtCity& city = c.udtCities[static_cast<size_t>(f.city)];
    return c.strName + "/" + city.strName + "/" + city.udtNeighborhoods[static_cast<size_t>(f.neighborhood)].strName;
  }
};

TEST_F(PlaceSearchTest, TownsAsPeopleWriteThem) {
  // Typed -> the database's place (country prefix: the country may hold
  // several entries, one per zone) and the label.
  const struct {
    const char* typed;
    const char* place;
    const char* label;
  } cases[] = {
      // London, Ontario has a twenty-fifth of London's people: the name alone is enough.
      {"London", "United Kingdom/London/Center", "London, United Kingdom"},
      {"  cape TOWN ", "South Africa/Cape Town/", "Cape Town, South Africa"},
      {"London, UK", "United Kingdom/London/Center", "London, United Kingdom"},
      {"London, Canada", "Canada - Toronto time/London/Center", "London, Canada"},
      {"Sao Paulo", "Brazil - Sao Paulo and Rio de Janeiro/Sao Paulo/", "Sao Paulo, Brazil"},
      {"São Paulo", "Brazil - Sao Paulo and Rio de Janeiro/Sao Paulo/", "Sao Paulo, Brazil"},
      {"Al-Quds", "Israel/Jerusalem/Center", "Jerusalem, Israel"},
      {"Springfield, Illinois, USA", "United States - Chicago time/Springfield (Illinois)/Center",
       "Springfield, Illinois, United States"},
      {"springfield, massachusetts", "United States - New York time/Springfield (Massachusetts)/Center",
       "Springfield, Massachusetts, United States"},
      {"Chicago, United States of America", "United States - Illinois/Chicago/", "Chicago, United States"},
      {"Reykjavik", "Iceland/Reykjavik/Center", "Reykjavik, Iceland"},
  };
  for (const auto& c : cases) {
    PlaceFound found;
    std::string problem;
    ASSERT_TRUE(finder.find(c.typed, found, problem)) << c.typed << ": " << problem;
    EXPECT_EQ(where(found).rfind(c.place, 0), 0u) << c.typed << " -> " << where(found);
    EXPECT_EQ(found.label, c.label) << c.typed;
  }
}

TEST_F(PlaceSearchTest, UnknownAndSharedNamesAreExplained) {
  const std::pair<const char*, const char*> cases[] = {
      {"Lndon", "Place not found: \"Lndon\". Nearest names: London, United Kingdom;"},
      {"Springfield", "Several places are called \"Springfield\": Springfield, Missouri, United States;"},
      {"Springfield, USA", "Springfield, Illinois, United States"},
      {"Paris, Texas, Untied States", "Country not found: \" Untied States\". Nearest names: United States"},
      {"London, Qwzxv", "Place not found: \"London, Qwzxv\"."},
      {"A, B, C, D", "Write a place as City, \"City, Country\" or \"City, Region, Country\""},
      {",", "Write a place as"},
  };
  for (const auto& [typed, message] : cases) {
    PlaceFound found;
    std::string problem;
    EXPECT_FALSE(finder.find(typed, found, problem)) << typed;
    EXPECT_NE(problem.find(message), std::string::npos) << typed << ": " << problem;
  }
}

// Every town whose label no other town shares is found by its label, and a
// search for its own name lists it.
TEST_F(PlaceSearchTest, EveryTownIsFoundByItsLabel) {
  ASSERT_GT(finder.townCount(), 20000u);
  std::map<std::string, int> labels;
  std::vector<std::string> labelOf;
  for (size_t t = 0; t < finder.townCount(); ++t) {
    labelOf.push_back(finder.label(t));
    ++labels[labelOf.back()];
  }
  size_t checked = 0;
  for (size_t t = 0; t < finder.townCount(); ++t) {
    if (labels[labelOf[t]] != 1) continue;
    PlaceFound f;
    std::string problem;
    const PlaceTown& town = finder.towns()[t];
    if (!finder.find(labelOf[t], f, problem)) {
      ADD_FAILURE() << labelOf[t] << ": " << problem;
      continue;
    }
    EXPECT_TRUE(f.country == town.country && f.city == town.city) << labelOf[t] << " -> " << f.label;
    ++checked;
  }
  EXPECT_GT(checked, 20000u);
  const auto found = finder.search("jerus", 5);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.front().label, "Jerusalem, Israel");
}

}  // namespace
}  // namespace nemora::testing
