// Where and when a report or picture speaks of: the place as a reader names
// it and the evening (or morning) with its sunset and the body's setting,
// in the session's language.
#pragma once

#include <string>

namespace nemora {

class Session;

// "Jerusalem (Center), Israel" for a place of the database; its coordinates,
// "31.78°N 35.22°E", for a typed one.
std::string PlaceText(Session& session);

// Two lines separated by LF: "Evening of " + dayText + ", " + the place, and
// "Sunset " + sunText + ", moonset " + bodyText + scale (in the morning
// sunrise and moonrise; another body than the Moon by its name). The second
// line is left out when sunText is empty; bodyText empty leaves out the
// body's part. blnLocalClock adds " (local time)" to bare clock times.
std::string WhereWhenText(Session& session, bool blnEvening, const std::string& dayText, const std::string& sunText,
                          const std::string& bodyText, const std::string& strHBody, bool blnLocalClock);

struct CrescentEvening;

// The lines that head the crescent report of one evening (morning): where
// and when with the apparent sunset and moonset, then when and in which
// frame the criterion in force measures ("Measured at 18:21 Local Time,
// apparent (topocentric, with refraction)").
std::string CrescentHeader(Session& session, const CrescentEvening& evening);

}  // namespace nemora
