// What the position routines of one session remember between calls, so that
// a search over neighbouring instants or days does not redo work: the data
// tables they use (resolved once, not looked up by path on every call), the
// time argument and the obliquity of the last instant, the planets' last
// instants, the Sun's and the Moon's last records, the observer's terms for
// the last place, and the Sun's transits and the rises and sets already
// found per day at one place.
//
// Everything here belongs to one session and is never shared. Each part
// remembers the inputs it was found for and is forgotten as soon as any of
// them differs, whoever changed them: no caller ever marks anything stale.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/memory_keys.h"
#include "ephemeris/hbody_data.h"
#include "base/location_types.h"
#include "location/weather.h"

namespace nemora {

class Session;
struct RefractionTable;

// The planets' series as the loader returned them, for one data folder.
struct HeldSeries {
  std::string dataDir;
  std::array<std::shared_ptr<const udtPlanetSeries>, 6> series;
  // The largest frequency of each planet's terms (radians per millennium).
  std::array<double, 6> dblMaxFrequency{};
  // The sine and cosine of every term's argument B + C tau at the instant
  // tau (millennia) of a planet's first light-time pass, L, B and R terms in
  // file order.
  struct Phases {
    bool blnFilled = false;
    double dblTau = 0;
    std::vector<double> s, c;
  };
  std::array<Phases, 6> phases;
  // The Earth at the instant of a light-time loop's last pass, found from
  // its phases; the Sun of that instant uses it (a function of the instant
  // alone, whatever the inputs).
  struct Position {
    bool blnFilled = false;
    double dblFix = 0, dblL = 0, dblB = 0, dblR = 0;
  } earth;
};

// The last N records of one body at one place, by instant: an evening's
// searches come back to the same few instants (sunset, the best time, the
// Moon at each), with other instants between them.
template <class Record, size_t N>
struct RecentRecords {
  std::array<Record, N> records{};
  size_t filled = 0, next = 0;
  const Record* find(double dblFix) const {
    for (size_t i = 0; i < filled; ++i)
      if (records[i].Fix == dblFix) return &records[i];
    return nullptr;
  }
  void keep(const Record& r) {
    records[next] = r;
    next = (next + 1) % N;
    if (filled < N) ++filled;
  }
  void forget() { filled = next = 0; }
};

struct HBodyMemory {
  // Tables resolved for the data folder dataDir (empty: none yet).
  std::string dataDir;
  std::shared_ptr<const MoonTables> moon;
  std::shared_ptr<const StarCatalogue> stars;
  const RefractionTable* refraction = nullptr;  // kept by the loader for the whole run

  // What depends on the instant alone was found for these inputs (none yet:
  // nothing kept).
  std::optional<InstantInputs> instantInputs;
  // The time argument of the last instant.
  bool blnT = false;
  double dblTFix = 0, dblT = 0;
  // The obliquity terms of the last time argument.
  bool blnEps = false;
  double dblEpsT = 0, dblEps0 = 0, dblSinOmega = 0, dblEps = 0, dblSinEps = 0, dblCosEps = 0;
  // The observer's terms for the last latitude and height.
  struct Observer {
    bool blnFilled = false;
    double dblLatitude = 0, dblHeight = 0;
    double dblSinPhi = 0, dblCosPhi = 0;            // geographic latitude
    double dblPhiP = 0, dblSinPhiP = 0, dblCosPhiP = 0;  // geocentric latitude
    double dblRho = 0;                              // distance from the centre, equatorial radii
  } observer;

  // At one place (the inputs below): the Sun's and the Moon's records of
  // their last instants (kept by clsHBody), the Sun's upper transits by
  // day, its lower transits by the day they open, and the rises and sets
  // of the Sun, the Moon and the planets already found.
  std::optional<SkyInputs> placeInputs;
  struct Transit {
    bool blnFilled = false;
    int32_t lngDay = 0;
    double dblT = 0;
  };
  static constexpr size_t kDays = 16;
  std::array<Transit, kDays> noons{};
  std::array<Transit, kDays> lowerTransits{};
  struct Event {
    bool blnFilled = false;
    int16_t intBody = 0;
    int32_t lngDay = 0;
    bool blnSet = false, blnApparent = false, blnSeaLevel = false;
    double dblHorizon = 0;
    double dblT = 0;
    bool blnNeverRises = false, blnNeverSets = false;
  };
  // Held in sets of kWays by day, body and direction, so that the
  // geometric, apparent and depressed-horizon crossings of one evening
  // do not push each other out.
  static constexpr size_t kWays = 4;
  static constexpr size_t kEventSets = 16;
  std::array<std::array<Event, kWays>, kEventSets> events{};
  std::array<uint8_t, kEventSets> nextReplaced{};

  // Forgets what depends on the instant alone, and what depends on the
  // place or the weather.
  void forgetInstants();
  void forgetDays();
};

}  // namespace nemora
