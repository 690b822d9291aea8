#include "graphs/graph_texts.h"

#include "ephemeris/rise_set.h"
#include "graphs/graph_curves.h"

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
  t.strDefinitely = lang("Definately visible", "נראה בוודאות");
  t.strBest = lang("best", "מיטבי");
  t.strSun = lang("Sun", "השמש");
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
    t.strYAxis = "Log(B)";
    t.strY2Axis = "Mag";
    t.strScale = "lg(B)";
  } else {
    t.strCaption = lang("Finder chart for " + name, "מפת איתור של " + name);
    t.strXAxis = lang("Azimuth", "אזימוט");
    t.strYAxis = lang("Alt", "גובה");
    if (intGraphKind == kGraphFinderSketch)
      t.strLegend = hebrew ? "מקווקו - ייתכן שנראה, רציף - נראה בוודאות" : kLegendTwoClasses;
  }
  return t;
}

}  // namespace nemora
