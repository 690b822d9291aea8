// A file of recorded crescent (or planet) sightings: CSV with a header row
// whose columns are found by name, one sighting or non-sighting per row.
//
//   date     civil date of the evening or morning at the place: YYYY-MM-DD or
//            day/month/year (Gregorian)
//   time     optional local clock time of the observation, h:m or h:m:s
//   tz       optional zone, hours east of UT (default: the place's zone
//            history for a named place, else longitude/15)
//   lat, lon degrees, north and east positive; height optional, metres
//   place    instead of lat and lon: "Country/City/Neighbourhood" of the
//            location database (position, height and zone history)
//   body     optional: Moon (default), Mercury, Venus, Mars, Jupiter, Saturn
//   evening  optional: true (default) for the new crescent or an evening
//            sighting, false for the old crescent or a morning one
//   seen     yes or no
//   method   optional: eye (default), binoculars, telescope, camera, or
//            optical (optical aid of a kind the record does not say)
//   clouds   optional: 0 clear to 1 overcast
//   source   optional text
// Any other column is kept as it is (e.g. a campaign's own predictions).
// Lines starting with '#' are comments; fields may be quoted ("a, b"). The
// file is UTF-8 (or ASCII) text: UTF-16 and NUL bytes are refused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "base/location_types.h"

namespace nemora {

class Session;

enum class ObservingMethod : int16_t { Eye, Binoculars, Telescope, Camera, Optical };

// "eye", "binoculars", ... as the file writes them.
const char* methodName(ObservingMethod m);
// Everything but the naked eye.
inline bool isOpticalAid(ObservingMethod m) { return m != ObservingMethod::Eye; }

struct udtSighting {
  int lngLine = 0;       // line of the file (1 = first line)
  int32_t lngFix = 0;    // the civil date as a fixed day number
  int32_t lngYear = 0;   // its Gregorian year
  std::string strDate;   // the date as written
  bool blnHasTime = false;
  double dblClock = 0;   // local clock hours of the observation, 0 to 24
  bool blnHasTZ = false;
  double dblTZ = 0;      // hours east of UT, when given
  std::string strPlace;  // the place name, or "" for a typed position
  // The place: position, height and (for a named place) its zone history,
  // shared by every record of the same named place.
  std::shared_ptr<const udtLocation> place = std::make_shared<const udtLocation>();
  const udtLocation& location() const { return *place; }
  std::string strBody = "Moon";
  bool blnEvening = true;
  bool blnSeen = false;
  ObservingMethod method = ObservingMethod::Eye;
  bool blnHasClouds = false;
  double dblClouds = 0;
  std::string strSource;
  // Values of the file's other columns, in the order of extraColumns.
  std::vector<std::string> extra;
};

struct SightingsFile {
  std::string strName;                    // the file's name, for headings
  std::vector<std::string> extraColumns;  // columns the reader does not use, as named in the header
  std::vector<udtSighting> records;
  // One text per bad row, "Line N: ...", in file order; those rows are skipped.
  std::vector<std::string> problems;
  // A fault of the whole file (unreadable, no header, a missing column):
  // nothing was read.
  std::string strError;

  // The value of an extra column for a record, or "" when the file has no
  // such column.
  std::string extra(const udtSighting& r, const std::string& column) const;
};

// Longest line the reader takes, in bytes (a record is a few hundred): a
// longer row is reported and skipped, and a longer line before the header
// ends the reading, since such a file is no sightings file (/dev/zero).
inline constexpr size_t kMaxSightingsLine = 65536;

// Reads sightings from text. Lines end in LF, CR LF or CR alone. Named
// places are looked up in the session's location database (loaded when
// needed), without regard to the case of their letters, as --location
// finds them. Progress, when given, gets the fraction of totalBytes read
// (about a hundred times over a long file).
SightingsFile ReadSightings(Session& session, std::istream& in, const std::string& strName = {},
                            const std::function<void(double)>& progress = {}, double totalBytes = 0);
// Reads a file; strError says when it cannot be opened, with the system's
// reason (a folder: "Is a directory").
SightingsFile ReadSightingsFile(Session& session, const std::filesystem::path& path,
                                const std::function<void(double)>& progress = {});

}  // namespace nemora
