#include "visibility/where_when.h"

#include <cmath>
#include <cstdio>

#include "app/session.h"
#include "ephemeris/rise_set.h"

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
                          const std::string& bodyText, const std::string& strHBody) {
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
  return text + m.Lang(" (local time)", " (שעון מקומי)");
}

}  // namespace nemora
