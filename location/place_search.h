// Places as people write them: "London", "Cape Town", "Springfield, USA",
// "Springfield, Illinois, United States" or the database's own
// "Country/City/Neighbourhood", matched without regard to case, accents or
// surrounding blanks against the location database and the other names of
// its towns and countries (PlaceNames.txt: alternate names, divisions,
// populations, country codes and common country names). Qt-free: the
// command line and the location dialog share it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nemora {

class clsLocationData;

// One town of the database as the search sees it.
struct PlaceTown {
  int32_t country = -1, city = -1;  // indices in the database
  std::string name;                 // the town's own name (without a division added to tell towns apart)
  std::string region;               // its first-order division, or empty
  std::string countryName;          // the country it lies in
  int64_t population = 0;           // 0 when not known
  std::vector<std::string> alternates;
};

// A town found: where it is in the database and how to write it.
struct PlaceFound {
  int32_t country = -1, city = -1, neighborhood = -1;
  std::string label;  // "City, Country" (with the division where the country has two towns of the name)
};

// Names compared: ASCII letters in lower case, accents of Latin letters
// dropped, runs of blanks as one blank, blanks around trimmed.
std::string foldedPlaceName(std::string_view text);

// Edits (insertions, deletions, substitutions) from a to b: how near a
// mistyped name is to a known one.
size_t editDistance(const std::string& a, const std::string& b);

class PlaceFinder {
 public:
  // The towns of the database with the other names of namesFile (read once
  // per process and shared); without that file, the database's own names.
  PlaceFinder(const clsLocationData& database, const std::filesystem::path& namesFile);

  // The place a user typed. False with the reason and the nearest names in
  // problem. A town name alone is enough when no other town has it, or when
  // the largest town of that name has ten times the people of any other.
  bool find(const std::string& typed, PlaceFound& found, std::string& problem) const;

  // Towns whose names (own, database or alternate) begin with or contain
  // text (or "City, Country" as find reads it), best first: whole names, then
  // beginnings, then the rest, the more populous first; at most limit.
  std::vector<PlaceFound> search(const std::string& text, size_t limit) const;

  // Whether a folded text names a country (by name, code or common name) or
  // an entry of the database.
  bool isCountry(const std::string& folded) const;
  // The country names nearest to a typed one, as " Nearest names: A, B, C." or empty.
  std::string nearestCountries(const std::string& typed) const;

  const std::vector<PlaceTown>& towns() const { return towns_; }
  // How a town is written: "City, Country", or "City, Region, Country" where
  // the country has two towns of the name.
  std::string label(size_t town) const { return labelOf(town); }
  size_t townCount() const { return towns_.size(); }

 private:
  PlaceFound foundOf(size_t town) const;
  std::string labelOf(size_t town) const;
  bool countryMatches(const PlaceTown& town, const std::string& folded) const;
  std::vector<size_t> candidates(const std::string& foldedName, bool& primary) const;
  std::string nearestNames(const std::string& foldedName, const std::string& foldedCountry) const;

  std::vector<PlaceTown> towns_;
  // Folded alias of a country (code, long or common name) -> folded country name.
  std::unordered_map<std::string, std::string> countryAliases_;
  std::vector<std::string> entryCountryFolded_;  // per database entry
  std::vector<std::string> entryFolded_;         // per database entry, its own name
  // Folded name -> towns; primary names (own and database) apart from alternates.
  std::unordered_map<std::string, std::vector<uint32_t>> primary_, alternate_;
  std::unordered_map<std::string, int> nameCount_;
  std::vector<std::vector<std::string>> folded_;  // per town: own, database and alternate names, folded
  std::vector<std::string> regionFolded_;         // per town  // "name|country" -> towns so called in that country
};

}  // namespace nemora
