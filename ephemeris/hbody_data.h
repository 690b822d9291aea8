// The periodic series and the star catalogue on which every body position
// rests, and the loader that reads them from the data folder.
//
// Files (all read with the shared value reader):
//   Mercury.txt ... Saturn.txt  heliocentric series of date, records of label
//                               (L0, L1, ..., B0, ..., R0, ...), ordinal,
//                               amplitude (1e-8 rad or au), phase (rad) and
//                               frequency (rad per Julian millennium); marker "#"
//   MoonLong.txt, Moonlat.txt   a heading item, then 60 rows of the multiples of
//                               D, M, M', F and the coefficients; marker "~"
//   Stars.txt                   records of nine items per star; marker "#"
//
// Each file is read at most once per process: the loaded data are immutable
// and shared by every session (keyed by the file's path). A defect in a file,
// or a missing file, ends the program the first time the body is needed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/session_bound.h"

namespace nemora {

// The periodic terms that belong to one power of tau in one series. The
// arrays are indexed from 0 (the term numbered 1 in the file is element 0).
struct udtSeriesTerms {
  int16_t intCount = 0;
  std::vector<double> dblA;  // amplitudes, units of 1e-8 (radians for L and B, au for R)
  std::vector<double> dblB;  // phases, radians
  std::vector<double> dblC;  // frequencies, radians per Julian millennium
};

// The heliocentric series of one planet; element p of L, B and R holds the
// terms multiplied by tau^p.
struct udtPlanetSeries {
  int16_t intLMax = 0;
  int16_t intBMax = 0;
  int16_t intRMax = 0;
  std::vector<udtSeriesTerms> L = std::vector<udtSeriesTerms>(1);
  std::vector<udtSeriesTerms> B = std::vector<udtSeriesTerms>(1);
  std::vector<udtSeriesTerms> R = std::vector<udtSeriesTerms>(1);
};

// Rows of the Moon's longitude and distance terms: multiples of D, M, M', F,
// longitude coefficient (1e-6 degree, sine) and distance coefficient (1e-3 km,
// cosine).
using MoonLongTable = std::array<std::array<int32_t, 6>, 60>;
// Rows of the Moon's latitude terms: multiples of D, M, M', F and the latitude
// coefficient (1e-6 degree, sine).
using MoonLatTable = std::array<std::array<int32_t, 5>, 60>;

struct MoonTables {
  MoonLongTable lngMoonLong{};
  MoonLatTable lngMoonLat{};
};

// One catalogued star.
struct udtStar {
  std::string strName;
  double dblRA = 0;          // right ascension at J2000.0, degrees
  double dblDecl = 0;        // declination at J2000.0, degrees
  double dblDistance = 0;    // parsecs
  double dblDRA = 0;         // rate of right ascension, arcseconds per year
  double dblDDecl = 0;       // rate of declination, arcseconds per year
  double dblDDistance = 0;   // radial velocity, km/s, positive receding
  double dblMagnitude = 0;   // visual magnitude
  double dblDiameter = 0;    // km
};

// The catalogue in file order, with its count.
struct StarCatalogue {
  std::vector<udtStar> stars;
  int16_t intNStars = 0;

  // Index of the first star with exactly this name (case-sensitive), or -1.
  int StarIndex(std::string_view strName) const;
};

class HBodyLoader : public SessionBound {
 public:
  explicit HBodyLoader(Session& session) : SessionBound(session) {}

  // Reads the file or files for strName from the data folder, every call:
  // "Moon" fills the two Moon tables, "Mercury" ... "Saturn" and "Earth" the
  // planet series, "Star" the star array and its count; the other arguments
  // are left untouched. Any defect, a missing file or another name shows its
  // message and ends the program.
  void ReadHBody(const std::string& strName, udtPlanetSeries& udtSeries, MoonLongTable& lngMoonLong,
                 MoonLatTable& lngMoonLat, std::vector<udtStar>& udtStars, int16_t& intNStars);

  // The same data read once per process and shared: the first call for a file
  // reads it (ending the program on a defect), later calls return the copy.
  std::shared_ptr<const udtPlanetSeries> PlanetSeries(const std::string& strName);
  std::shared_ptr<const MoonTables> Moon();
  std::shared_ptr<const StarCatalogue> Stars();

  // True for "Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"
  // and for the name of a catalogued star (case-sensitive); loads the
  // catalogue first if needed. "Earth" is not an object name.
  bool IsObjectName(const std::string& strName);

  // The seven bodies that are not catalogue stars.
  static bool isFixedBodyName(std::string_view strName);
  // The six names that have a planet file.
  static bool isPlanetFileName(std::string_view strName);
};

}  // namespace nemora
