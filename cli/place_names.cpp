#include "cli/place_names.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "base/text.h"
#include "app/session.h"
#include "location/location_data.h"

namespace nemora::cli {
namespace {

// The form in which names are compared: trimmed, ASCII letters in lower case.
std::string folded(std::string_view text) {
  std::string out = trimmedName(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Edits (insertions, deletions, substitutions) from a to b.
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
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

bool findPlace(const clsLocationData& data, const std::string& typed, PlaceNames& names, std::string& problem) {
  auto first = typed.find('/');
  auto second = first == std::string::npos ? std::string::npos : typed.find('/', first + 1);
  if (second == std::string::npos) {
    problem = "--location must be Country/City/Neighbourhood";
    return false;
  }
  const auto& countries = data.udtCountries();
  int i = findName(countries, typed.substr(0, first), "Country/State", problem);
  if (i < 0) return false;
  const udtCountry& country = countries[static_cast<size_t>(i)];
  int k = findName(country.udtCities, typed.substr(first + 1, second - first - 1),
                   "City/Town in " + country.strName, problem);
  if (k < 0) return false;
  const udtCity& city = country.udtCities[static_cast<size_t>(k)];
  int n = findName(city.udtNeighborhoods, typed.substr(second + 1),
                   "Neighbourhood in " + city.strName + ", " + country.strName, problem);
  if (n < 0) return false;
  names = {country.strName, city.strName, city.udtNeighborhoods[static_cast<size_t>(n)].strName};
  return true;
}

int runPlaces(Session& session, const std::string& countryName, bool json) {
  const auto& countries = session.locations.udtCountries();
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
    // The zone now: that of the history's latest epoch.
    const udtTZHistory latest = country.udtTZ.empty() ? udtTZHistory{} : country.udtTZ.back();
    for (const udtCity& city : country.udtCities) {
      for (const udtNeighborhood& place : city.udtNeighborhoods) {
        if (json) {
          nlohmann::ordered_json o;
          o["country"] = country.strName;
          o["city"] = city.strName;
          o["neighbourhood"] = place.strName;
          o["latitude"] = place.dblLatitude;
          o["longitude"] = place.dblLongitude;
          o["height"] = place.dblHeight;
          o["zone"] = latest.dblTZ;
          o["dst"] = latest.blnDST;
          std::cout << o.dump() << '\n';
        } else {
          std::cout << country.strName << '/' << city.strName << '/' << place.strName << "  "
                    << generalNumber(place.dblLatitude) << ' ' << generalNumber(place.dblLongitude) << ' '
                    << generalNumber(place.dblHeight) << "m UT" << (latest.dblTZ >= 0 ? "+" : "")
                    << generalNumber(latest.dblTZ) << (latest.blnDST ? " DST" : "") << '\n';
        }
      }
    }
  }
  return 0;
}

}  // namespace nemora::cli
