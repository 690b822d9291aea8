// Place names as a user types them: matched to the location database without
// regard to case and surrounding blanks, with the nearest names suggested
// when one is not found; and the `places` command that lists them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nemora {
class Session;
class clsLocationData;
}  // namespace nemora

namespace nemora::cli {

// The database's own spelling of a place.
struct PlaceNames {
  std::string country;
  std::string city;
  std::string neighbourhood;
};

// A text without the blanks, tabs, CR and LF around it.
std::string trimmedName(std::string_view text);

// Finds a place: "Country/City/Neighbourhood" of the database, or a town as
// people write it ("London", "Springfield, Illinois, USA"; see PlaceFinder)
// with the other names of namesFile. False with the reason (and the nearest
// names) in problem.
bool findPlace(const clsLocationData& data, const std::filesystem::path& namesFile, const std::string& typed,
               PlaceNames& names, std::string& problem);

// Lists the countries, cities and neighbourhoods with their coordinates,
// height and zone (of the zone history's latest epoch), as text or as one
// JSON object per neighbourhood; country limits the list to one country
// (matched as findPlace matches). With search, lists instead the towns whose
// names begin with or contain it, best first, at most limit. Returns the exit
// status.
int runPlaces(Session& session, const std::string& country, const std::string& search, size_t limit, bool json);

}  // namespace nemora::cli
