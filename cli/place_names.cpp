#include "cli/place_names.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "base/text.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "location/location_data.h"
#include "location/place_search.h"

namespace nemora::cli {
namespace {

// The form in which names are compared: trimmed, ASCII letters in lower case.
std::string folded(std::string_view text) {
  std::string out = trimmedName(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The index of the entry whose name matches typed, or -1 with the
// not-found message and the three nearest names in problem.
template <class Entries>
int findName(const Entries& entries, const std::string& typed, const std::string& what, std::string& problem) {
  const std::string key = folded(typed);
  for (size_t i = 0; i < entries.size(); ++i)
    if (folded(entries[i].strName) == key) return static_cast<int>(i);
  std::vector<std::pair<size_t, std::string>> nearest;
  for (const auto& entry : entries) {
    // A typed name that begins a longer one is nearer than its edit count says.
    const std::string name = folded(entry.strName);
    size_t distance = name.starts_with(key) && !key.empty() ? 0 : editDistance(key, name);
    nearest.emplace_back(distance, entry.strName);
  }
  std::stable_sort(nearest.begin(), nearest.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  problem = what + " not found: \"" + trimmedName(typed) + "\".";
  if (!nearest.empty()) {
    problem += " Nearest names:";
    for (size_t i = 0; i < nearest.size() && i < 3; ++i) problem += (i ? ", " : " ") + nearest[i].second;
    problem += ".";
  }
  problem += " (nemora-cli places lists them.)";
  return -1;
}

}  // namespace

std::string trimmedName(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

bool findPlace(const clsLocationData& data, const std::filesystem::path& namesFile, const std::string& typed,
               PlaceNames& names, std::string& problem) {
  auto first = typed.find('/');
  auto second = first == std::string::npos ? std::string::npos : typed.find('/', first + 1);
  if (first == std::string::npos) {
    PlaceFound found;
    if (!PlaceFinder(data, namesFile).find(typed, found, problem)) return false;
    const udtCity& city = data.udtCountries()[static_cast<size_t>(found.country)].udtCities[static_cast<size_t>(found.city)];
    names = {data.udtCountries()[static_cast<size_t>(found.country)].strName, city.strName,
             city.udtNeighborhoods[static_cast<size_t>(found.neighborhood)].strName};
    return true;
  }
  if (second == std::string::npos) {
    problem = "--location is a town (\"London\", \"Springfield, Illinois, USA\") or Country/City/Neighbourhood: \"" +
              trimmedName(typed) + "\".";
    return false;
  }
  const auto& countries = data.udtCountries();
  const std::string countryPart = typed.substr(0, first), cityPart = typed.substr(first + 1, second - first - 1);
  int i = findName(countries, countryPart, "Country/State", problem);
  int k = -1;
  if (i < 0) {
    // A country as people write it ("USA/Chicago/Center"): its town through the finder.
    PlaceFinder finder(data, namesFile);
    if (!finder.isCountry(foldedPlaceName(countryPart))) {
      problem = "Country/State not found: \"" + trimmedName(countryPart) + "\"." +
                finder.nearestCountries(countryPart) + " (nemora-cli places lists them.)";
      return false;
    }
    PlaceFound found;
    if (!finder.find(trimmedName(cityPart) + ", " + trimmedName(countryPart), found, problem)) return false;
    i = found.country;
    k = found.city;
  }
  const udtCountry& country = countries[static_cast<size_t>(i)];
  if (k < 0) k = findName(country.udtCities, cityPart, "City/Town in " + country.strName, problem);
  if (k < 0) return false;
  const udtCity& city = country.udtCities[static_cast<size_t>(k)];
  int n = findName(city.udtNeighborhoods, typed.substr(second + 1),
                   "Neighbourhood in " + city.strName + ", " + country.strName, problem);
  if (n < 0) return false;
  names = {country.strName, city.strName, city.udtNeighborhoods[static_cast<size_t>(n)].strName};
  return true;
}

namespace {

// The zone now: that of the history's latest epoch.
udtTZHistory latestZone(const udtCountry& country) {
  return country.udtTZ.empty() ? udtTZHistory{} : country.udtTZ.back();
}

void printPlace(const udtCountry& country, const udtCity& city, const udtNeighborhood& place,
                const std::string& label, bool json) {
  const udtTZHistory latest = latestZone(country);
  if (json) {
    nlohmann::ordered_json o;
    if (!label.empty()) o["name"] = label;
    o["country"] = country.strName;
    o["city"] = city.strName;
    o["neighbourhood"] = place.strName;
    o["latitude"] = place.dblLatitude;
    o["longitude"] = place.dblLongitude;
    o["height"] = place.dblHeight;
    o["zone"] = latest.dblTZ;
    o["dst"] = latest.blnDST;
    printJson(o);
  } else {
    if (!label.empty()) std::cout << label << "  (";
    std::cout << country.strName << '/' << city.strName << '/' << place.strName;
    if (!label.empty()) std::cout << ')';
    std::cout << "  " << generalNumber(place.dblLatitude) << ' ' << generalNumber(place.dblLongitude) << ' '
              << generalNumber(place.dblHeight) << "m UT" << (latest.dblTZ >= 0 ? "+" : "")
              << generalNumber(latest.dblTZ) << (latest.blnDST ? " DST" : "") << '\n';
  }
}

}  // namespace

int runPlaces(Session& session, const std::string& countryName, const std::string& search, size_t limit, bool json) {
  const auto& countries = session.locations.udtCountries();
  if (!search.empty()) {
    PlaceFinder finder(session.locations, session.dataFile("PlaceNames.txt"));
    const auto found = finder.search(search, limit);
    if (found.empty()) {
      session.showMessage("No place found for \"" + trimmedName(search) + "\".");
      return 1;
    }
    for (const PlaceFound& f : found) {
      const udtCountry& country = countries[static_cast<size_t>(f.country)];
      const udtCity& city = country.udtCities[static_cast<size_t>(f.city)];
      printPlace(country, city, city.udtNeighborhoods[static_cast<size_t>(f.neighborhood)], f.label, json);
    }
    return 0;
  }
  int only = -1;
  if (!countryName.empty()) {
    std::string problem;
    only = findName(countries, countryName, "Country/State", problem);
    if (only < 0) {
      session.showMessage(problem);
      return 1;
    }
  }
  for (size_t i = 0; i < countries.size(); ++i) {
    if (only >= 0 && static_cast<int>(i) != only) continue;
    const udtCountry& country = countries[i];
    for (const udtCity& city : country.udtCities)
      for (const udtNeighborhood& place : city.udtNeighborhoods) printPlace(country, city, place, "", json);
  }
  return 0;
}

}  // namespace nemora::cli
