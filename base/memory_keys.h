// What the results a session keeps between calls are keyed on: the part of
// the inputs each answer depends on, compared on every lookup, so that a kept
// result never answers for other inputs and no caller ever marks anything
// stale. The routines that keep the results fill and compare the keys
// (ephemeris/hbody.cpp, visibility/photometry.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/criterion_types.h"
#include "base/location_types.h"
#include "base/options.h"
#include "base/visibility_types.h"
#include "base/weather_types.h"

namespace nemora {

class Session;

// The inputs besides the instant on which a function of the instant alone
// (the time argument, a planet's heliocentric place) depends: the data folder
// its series come from and the shift of Delta T.
struct InstantInputs {
  std::string dataDir;
  double dblDeltaTShift = 0;

  friend bool operator==(const InstantInputs&, const InstantInputs&) = default;
  // True when the session's inputs are still these (NaN never matches).
  bool matches(const Session& session) const;
  void takeFrom(const Session& session);
};

// The inputs besides the instant on which a body's place in the sky and its
// rise and set depend: the place (position and height), the weather setting,
// the location database (the Local weather basis reads it), and what the
// instant alone depends on.
struct SkyInputs {
  ::nemora::udtPosition udtPosition;
  ::nemora::udtWeather udtWeather;
  const void* database = nullptr;
  InstantInputs instant;

  friend bool operator==(const SkyInputs&, const SkyInputs&) = default;
  // True when the session's inputs are still these (NaN never matches).
  bool matches(const Session& session) const;
  void takeFrom(const Session& session);
  static SkyInputs of(const Session& session);
};

// What a visibility table depends on: the body, the day, the evening or
// morning, the caller's flags, the place and the weather (and what the
// instant alone depends on), the options, the observer and the criterion.
struct VisibilityKey {
  std::string strHBody;
  int32_t lngFix = 0;
  bool blnEvening = true;
  bool blnFlag1 = false, blnFlag2 = false, blnFlag3 = false;
  SkyInputs place;
  udtOptions options;
  ::nemora::udtObserver observer;
  udtCriterion criterion;

  friend bool operator==(const VisibilityKey&, const VisibilityKey&) = default;
  // The key of a table asked for in the session.
  static VisibilityKey of(const Session& session, const std::string& strHBody, int32_t lngFix, bool blnEvening,
                          bool blnFlag1, bool blnFlag2, bool blnFlag3);
};

// The last visibility table with the key it was found for.
struct VisibilityMemory {
  std::optional<VisibilityKey> key;  // empty: no table kept
  udtVisibility table;
};

}  // namespace nemora
