// The current location: restoring it from the last-location file, setting it
// from place names or typed numbers, checking and loading a zone history,
// the location text of the main window, and writing the file back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/session_bound.h"
#include "base/location_types.h"

namespace nemora {

// What the location dialog's zone boxes show for a loaded zone history.
struct ZoneDisplay {
  std::string txtTZ;          // the absolute offset in hours
  bool optAhead = true;       // "Ahead of UT" (else "Behind UT")
  std::string txtTZH;         // whole hours of the absolute offset
  std::string txtTZM;         // minutes of the absolute offset
  bool blnStandardOnly = false;  // the last epoch has no daylight saving: choose "ST"
};

class CurrentLocation : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Restores the session's location from strFName in the working folder
  // (Curloc.txt at start-up), falling back to Curloc.bak of the data folder;
  // dblFix is the input instant at which the zone is shown. When the default
  // file is missing or bad too, the program ends after its message.
  void GetLastLocation(double dblFix, const std::string& strFName);

  // Sets the session's location from a country, city and neighbourhood of the
  // database, or, when strCountry and strCity are numbers, from a longitude
  // (strCountry), latitude (strCity) and height (strNeighborhood). With
  // blnForceTZLoad the country's zone history is copied even when the country
  // is unchanged. Returns false (after its message) when a name is unknown
  // or a value out of range; the location is then left as it was.
  bool GetPositionFromName(const std::string& strCountry, const std::string& strCity,
                           const std::string& strNeighborhood, bool blnForceTZLoad = false);
  // The same for another location record.
  bool GetPositionFromName(udtLocation& location, const std::string& strCountry, const std::string& strCity,
                           const std::string& strNeighborhood, bool blnForceTZLoad = false);

  // Checks a zone history entry by entry; the first failure is shown
  // ("Error in " + source + ", " + description and a line break) and gives false.
  bool CheckZoneHistory(int16_t intNTZ, const std::vector<udtTZHistory>& udtTZ, std::string_view source);
  // Checks one changeover rule; strWord is "start" or "end", j the epoch.
  bool CheckDSTRule(const udtDSTRule& rule, std::string_view strWord, int j, std::string_view source);

  // Copies the zone history of country intCountry into location and gives
  // the zone boxes for the offset in force at dblFix. False when the offset
  // cannot be found (its message has been shown).
  bool LoadZoneHistory(double dblFix, int intCountry, udtLocation& location, ZoneDisplay& display);

  // The location text of the main window (lines joined by CR LF).
  std::string WriteLocation(bool& blnValid);

  // Writes the session's location to Curloc.txt in the working folder. The
  // text goes to a temporary file in the same folder that then replaces the
  // old file, so a failed write leaves the old file whole. When start-up
  // found a Curloc.txt it could not read, that file is left alone while the
  // location is the default one restored instead; once the user has changed
  // it, the old file is first kept as Curloc.txt.bad (with a message).
  // Returns false with the reason in strError when the file could not be
  // written.
  bool WriteLastLocation(std::string& strError);

 private:
  // Reads one last-location file into a copy of the location; raises on a
  // defect, the file's name (strFName) in the messages.
  void readLastLocation(double dblFix, const std::filesystem::path& path, const std::string& strFName);

  // Set when start-up found a Curloc.txt that it could not read: the text
  // of the location restored instead (as the file would hold it).
  std::optional<std::string> unreadLastLocation_;
};

// The eleven lines of a last-location file for a location.
std::string lastLocationText(const udtLocation& location);

}  // namespace nemora
