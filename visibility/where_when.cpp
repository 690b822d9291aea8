#include "visibility/where_when.h"

#include <cmath>
#include <cstdio>

#include "base/session.h"
#include "timescale/date_text.h"
#include "ephemeris/rise_set.h"
#include "visibility/moon_report.h"
#include "visibility/phases.h"

namespace nemora {

std::string PlaceText(Session& s) {
  const udtLocation& place = s.udtLocation;
  if (place.blnPlaceValid) {
    std::string where = place.strCity;
    if (!place.strNeighborhood.empty() && place.strNeighborhood != place.strCity)
      where += " (" + place.strNeighborhood + ")";
    return where + ", " + place.strCountry;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.2f°%c %.2f°%c", std::fabs(place.dblLatitude), place.dblLatitude >= 0 ? 'N' : 'S',
                std::fabs(place.dblLongitude), place.dblLongitude >= 0 ? 'E' : 'W');
  return s.main.Figure(text);
}

std::string WhereWhenText(Session& s, bool blnEvening, const std::string& dayText, const std::string& sunText,
                          const std::string& bodyText, const std::string& strHBody, bool blnLocalClock) {
  const Main& m = s.main;
  std::string text = blnEvening ? m.Lang("Evening of ", "ערב ") : m.Lang("Morning of ", "בוקר ");
  text += dayText + ", " + PlaceText(s);
  if (sunText.empty()) return text;
  text += "\n" + (blnEvening ? m.Lang("Sunset ", "שקיעה ") : m.Lang("Sunrise ", "זריחה ")) + sunText;
  if (!bodyText.empty()) {
    std::string body;
    if (strHBody == "Moon")
      body = blnEvening ? m.Lang("moonset ", "שקיעת הירח ") : m.Lang("moonrise ", "זריחת הירח ");
    else
      body = blnEvening ? m.Lang(strHBody + " sets ", "שקיעת " + hebrewBodyName(strHBody) + " ")
                        : m.Lang(strHBody + " rises ", "זריחת " + hebrewBodyName(strHBody) + " ");
    text += ", " + body + bodyText;
  }
  return blnLocalClock ? text + m.Lang(" (local time)", " (שעון מקומי)") : text;
}

std::string CrescentHeader(Session& s, const CrescentEvening& e) {
  const Main& m = s.main;
  const udtCriterionResult& r = e.inForce;
  bool ok = true;
  const std::string day = MoonPhases(s).DayText(e.lngFix, ok);
  auto clock = [&](double t) {
    std::string previous;
    return s.dateText.strMoment(t, previous, false, true, false);
  };
  const bool sunEvent = !(r.blnSunNeverRises || r.blnSunNeverSets);
  const bool moonEvent = !(r.blnMoonNeverRises || r.blnMoonNeverSets);
  std::string text = WhereWhenText(s, e.blnEvening, day, sunEvent ? clock(r.dblSunApparent) : std::string(),
                                   sunEvent && moonEvent ? clock(r.dblMoonApparent) : std::string(), "Moon", false);
  if (!sunEvent) return text;
  std::string frame;
  switch (e.criterion.intMeasFrom) {
    case 0: frame = m.Lang("geocentric", "גאוצנטרי"); break;
    case 1: frame = m.Lang("topocentric", "טופוצנטרי"); break;
    case 2: frame = m.Lang("apparent (topocentric, with refraction)", "נראה (טופוצנטרי, עם שבירה)"); break;
    default: frame = m.Lang("topocentric with refraction", "טופוצנטרי עם שבירה"); break;
  }
  return text + "\n" + m.Lang("Measured at ", "נמדד ב-") + clock(r.dblMoment) + ", " + frame;
}

}  // namespace nemora
