#include "graphs/graph_texts.h"

#include <cmath>
#include <cstdio>

#include "base/session.h"
#include "timescale/date_text.h"
#include "ephemeris/rise_set.h"
#include "graphs/graph_curves.h"
#include "visibility/where_when.h"

namespace nemora {

udtGraphTexts GraphTexts(const std::string& strHBody, int32_t intGraphKind, int16_t intLanguage) {
  const bool hebrew = intLanguage == 1;
  auto lang = [&](std::string english, std::string hebrewText) { return hebrew ? hebrewText : english; };
  // The Sun and the Moon take the article, the planets do not.
  const bool article = strHBody == "Sun" || strHBody == "Moon";
  const std::string name = hebrew ? hebrewBodyName(strHBody) : (article ? "the " + strHBody : strHBody);
  udtGraphTexts t;
  t.strNotVisible = lang("not visible", "לא נראה");
  t.strMayBeVisible = lang("May be visible", "ייתכן שנראה");
  t.strDefinitely = lang("Definitely visible", "נראה בוודאות");
  t.strBest = lang("best", "מיטבי");
  t.strSun = lang("Sun", "השמש");
  t.strGuides = lang("Guide planet, where it can be seen", "כוכב לכת מנחה, היכן שהוא נראה");
  t.strGuide8 = "8%";
  t.strGuide92 = "92%";
  t.strLegend = hebrew ? "מנוקד אדום - לא נראה, מקווקו כחול - ייתכן שנראה, רציף שחור - נראה בוודאות"
                       : kLegendThreeClasses;
  if (intGraphKind == kGraphProbability) {
    t.strCaption = lang("Probability of visibility of " + name, "הסתברות הנראות של " + name);
    t.strTitle = lang("Probability versus time", "הסתברות כפונקציה של הזמן");
    t.strXAxis = lang("Time", "זמן");
    t.strYAxis = "P";
  } else if (intGraphKind == kGraphLightCurve) {
    t.strCaption = lang("Light curve of " + name, "עקומת האור של " + name);
    t.strXAxis = lang("Time", "זמן");
    t.strYAxis = lang("Log(B), sky brightness B in cd/m²", "Log(B), בהירות השמים B ב-cd/m²");
    t.strY2Axis = "Mag";
    t.strScale = "lg(B)";
  } else {
    t.strCaption = lang("Finder chart for " + name, "מפת איתור של " + name);
    t.strXAxis = lang("Azimuth", "אזימוט");
    t.strYAxis = lang("Alt", "גובה");
    if (intGraphKind == kGraphFinderSketch)
      t.strLegend = hebrew ? "מנוקד - לא נראה, מקווקו - ייתכן שנראה, רציף - נראה בוודאות" : kLegendTwoClasses;
  }
  return t;
}

std::string GraphWhereWhen(Session& s, const udtCurves& curves) {
  const udtVisibility& v = curves.table;
  std::string last;
  const std::string day = s.dateText.strMoment(v.dblStart, last, true, false, false);
  // Clock times of the place, as the graph's time axis shows them.
  auto clock = [&](double t) {
    const long long minute = ((std::llround((t + curves.dblClockOffset) * 1440) % 1440) + 1440) % 1440;
    char text[8];
    std::snprintf(text, sizeof text, "%02lld:%02lld", minute / 60, minute % 60);
    return s.main.Figure(text);
  };
  const bool times = v.dblEnd > v.dblStart;
  return WhereWhenText(s, v.blnEvening, day, times ? clock(v.dblStart) : std::string(),
                       times ? clock(v.dblEnd) : std::string(), curves.request.strHBody, true);
}

}  // namespace nemora
