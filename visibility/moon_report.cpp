#include "visibility/moon_report.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/text.h"
#include "base/session.h"
#include "timescale/date_text.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/criterion_evaluation.h"

namespace nemora {

std::string YallopClassMeaning(char chClass, int16_t intLanguage) {
  // Yallop, NAO Technical Note 69, the six visibility types of q.
  static const char* const kEnglish[] = {
      "easily visible to the unaided eye",
      "visible under perfect atmospheric conditions",
      "may need optical aid to find the thin crescent before it can be seen with the unaided eye",
      "can only be seen with binoculars or a telescope",
      "below the normal limit for detection with a telescope",
      "not visible, below the Danjon limit"};
  static const char* const kHebrew[] = {
      "נראה בקלות בעין בלתי מזוינת",
      "נראה בתנאי אטמוספרה מושלמים",
      "ייתכן שיידרש עזר אופטי כדי למצוא את הסהר הדק לפני שייראה בעין בלתי מזוינת",
      "נראה רק במשקפת או בטלסקופ",
      "מתחת לגבול הרגיל לגילוי בטלסקופ",
      "אינו נראה, מתחת לגבול דנז'ון"};
  int i = chClass - 'A';
  if (i < 0 || i > 5) return {};
  return intLanguage == 1 ? kHebrew[i] : kEnglish[i];
}

std::string OdehZoneMeaning(char chZone, int16_t intLanguage) {
  // Odeh, Experimental Astronomy 18 (2004), the four zones of V.
  static const char* const kEnglish[] = {"the crescent is visible to the naked eye",
                                         "the crescent is visible with optical aid and could be seen by the naked eye",
                                         "the crescent is visible with optical aid only",
                                         "the crescent is not visible even with optical aid"};
  static const char* const kHebrew[] = {"הסהר נראה בעין בלתי מזוינת",
                                        "הסהר נראה בעזר אופטי ועשוי להיראות בעין בלתי מזוינת",
                                        "הסהר נראה בעזר אופטי בלבד",
                                        "הסהר אינו נראה אף בעזר אופטי"};
  int i = chZone - 'A';
  if (i < 0 || i > 3) return {};
  return intLanguage == 1 ? kHebrew[i] : kEnglish[i];
}

std::string MoonReport::number(double x, int extraDecimals) const {
  const Session& s = session();
  int decimals = std::clamp(s.options.intPrecision + extraDecimals, 0, 8);
  return formatNumber(x, s.strFormats[static_cast<size_t>(decimals)]);
}

bool MoonReport::EveningOfDay(int32_t lngFix, bool& blnValid) {
  return session().hbody.EveningSight("Moon", lngFix, blnValid);
}

std::string MoonReport::VisibilityByCriterion(bool& blnValid) {
  Session& s = session();
  double instant = s.dblFixDate + s.dblFixTime;
  double day = s.dateText.FixedToDay(instant, blnValid);
  if (!blnValid) return {};
  bool evening = EveningOfDay(static_cast<int32_t>(day), blnValid);
  if (!blnValid) return {};
  return CriterionReport(static_cast<int32_t>(day), evening, blnValid);
}

void MoonReport::EvaluateAll(int32_t lngFix, bool blnEvening, CrescentEvening& evening, bool& blnValid) {
  clsMoon& moon = session().hbody.moon;
  CrescentEvening e;
  e.lngFix = lngFix;
  e.blnEvening = blnEvening;
  moon.SetCriterion(e.criterion, false, blnValid);
  if (!blnValid) return;
  // The criteria of one evening share its crossings and its conjunction.
  EveningMemory shared;
  CriterionExtras extras;
  extras.evening = &shared;
  extras.blnAllMeasures = true;
  CriterionEvaluation(session()).Evaluate(lngFix, blnEvening, e.criterion, e.inForce, blnValid, extras);
  if (!blnValid) return;
  extras.blnAllMeasures = false;
  for (int16_t type = 1; type <= kCritLastType; ++type) {
    udtCriterion named;
    named.intType = type;
    moon.SetCriterion(named, true, blnValid);
    if (!blnValid) return;
    CriterionEvaluation(session()).Evaluate(lngFix, blnEvening, named, e.named[static_cast<size_t>(type)], blnValid,
                                            extras);
    if (!blnValid) return;
  }
  evening = e;
}

std::string MoonReport::CriterionReport(int32_t lngFix, bool blnEvening, bool& blnValid) {
  Session& s = session();
  const Main& m = s.main;
  const int16_t language = s.intLanguage;
  udtCriterion k;
  s.hbody.moon.SetCriterion(k, false, blnValid);
  if (!blnValid) return {};
  udtCriterionResult r;
  s.hbody.moon.Criterion(lngFix, blnEvening, k, r, blnValid, true);
  if (!blnValid) return {};

  std::vector<std::string> lines;
  auto line = [&](std::string_view english, std::string_view hebrew, const std::string& value = {}) {
    lines.push_back(m.Lang(english, hebrew) + value);
  };
  // A number with its Latin unit reads as one left-to-right unit inside a
  // Hebrew line (a minus sign would otherwise stand on the number's right).
  auto quantity = [&](const std::string& text, std::string_view unit = {}) {
    return m.Figure(text + std::string(unit));
  };
  auto angle = [&](double a) {
    bool ok = true;
    return s.main.strAngle(a, ok, s.options.intPrecision);
  };

  if (r.blnMoonNeverSets) line("Moon never sets", "הירח אינו שוקע");
  if (r.blnMoonNeverRises) line("Moon never rises", "הירח אינו זורח");
  if (r.blnSunNeverSets) line("Sun never sets", "השמש אינה שוקעת");
  if (r.blnSunNeverRises) line("Sun never rises", "השמש אינה זורחת");
  // Units after the numbers: minutes, hours, degrees, arc minutes.
  const std::string minutes = m.Lang(" min", " דקות"), hours = m.Lang(" h", " שעות");
  line("Lag time: ", "זמן השהייה: ", quantity(number(r.dblLag, 1)) + minutes);
  line("Keshet reiyah: ", "קשת הראייה: ", angle(r.dblKeshetReiyah));
  line("DALT: ", "DALT: ", angle(r.dblDALT));
  if (r.blnSkyBrightness) {
    // As many decimals as show the leading digits of a dim twilight sky.
    int decimals = s.options.intPrecision - static_cast<int>(std::floor(std::log10(r.dblSkyBrightness))) + 1;
    std::string brightness = formatNumber(r.dblSkyBrightness, s.strFormats[std::clamp(decimals, 0, 8)]);
    line("Sky brightness: ", "בהירות השמים: ", quantity(brightness, " cd/m^2"));
  }
  line("Age: ", "גיל הירח: ", quantity(number(r.dblAge, 2)) + hours);
  line("Orech Rishon: ", "אורך ראשון: ", quantity(number(r.dblOrechRishon, 2), "°"));
  line("Elongation: ", "מרחק זוויתי מהשמש: ", quantity(number(r.dblElongation, 2), "°"));
  line("Crescent width: ", "רוחב הסהר: ", quantity(number(r.dblWidth, 2), "'"));
  line("Illumination: ", "הארה: ", quantity(number(r.dblIllumination, 2), "%"));
  if (r.blnMagnitude) line("Magnitude: ", "בהירות (מגניטודה): ", quantity(number(r.dblMagnitude, 2)));
  line("Total: ", "סך הכול: ", quantity(number(r.dblV, 2)));
  if (k.intType == kCritMaimonides)
    line("KR + OR: ", "ק\"ר + א\"ר: ", quantity(number(r.dblKeshetReiyah + r.dblOrechRishon, 2)));
  if (k.intType == kCritYallop)
    line("normalized q (not Yallop's q): ", "q מנורמל (לא ה-q של ילופ): ", quantity(number(r.dblZ, 3)));
  else
    line("q: ", "q: ", quantity(number(r.dblZ, 3)));
  const CriterionVerdict verdict = judgeCrescent(k.intType, r);
  bool riseAndSet = !(r.blnMoonNeverSets || r.blnMoonNeverRises || r.blnSunNeverSets || r.blnSunNeverRises);
  if (riseAndSet && verdict.blnEye) {
    std::string last;
    std::string when = s.dateText.strMoment(r.dblMoment, last, false, true, false);
    if (blnEvening)
      line("Moon appears at: ", "הירח נראה ב-", when);
    else
      line("Moon disappears at: ", "הירח נעלם ב-", when);
  }
  // A Moon that is not in the evening's sky as a crescent is not judged by
  // the formula of any criterion.
  const std::string barred = m.Lang("Not visible: ", "אינו נראה: ") + crescentBarText(verdict.bar, blnEvening, language);
  bool saidWhy = false;
  auto value = [&](const std::string& label, const std::string& hebrewLabel, int decimals) {
    if (verdict.blnHasValue) {
      line(label, hebrewLabel, quantity(number(verdict.dblValue, decimals)));
    } else {
      lines.push_back(barred);
      saidWhy = true;
    }
  };

  // The verdict of the named criterion in force.
  switch (k.intType) {
    case kCritMaimonides:
      line("According to the Maimonides criterion", "לפי קריטריון הרמב\"ם");
      if (!verdict.blnHasValue && !barLeavesNoValue(verdict.bar))  // Orech Rishon under 9 degrees
        line("The Moon is definately not visible.", "הירח בוודאי אינו נראה.");
      else
        value("q: ", "q: ", 3);
      break;
    case kCritIlyas:
      line("According to the Ilyas C criterion", "לפי קריטריון C של אילייס");
      value("q: ", "q: ", 3);
      break;
    case kCritYallop:
      line("According to the Yallop criterion", "לפי קריטריון ילופ");
      value("q: ", "q: ", 3);
      // Beyond the q itself: Yallop's visibility class of it.
      if (verdict.chClass)
        line("Yallop's visibility class ", "דרגת הנראות של ילופ ",
             std::string(1, verdict.chClass) + ": " + YallopClassMeaning(verdict.chClass, language));
      break;
    case kCritKaraite:
      line("Additional parameters:", "פרמטרים נוספים:");
      line("Apparent illumination: ", "הארה נראית: ", quantity(number(r.dblIlluminationTopo, 2), "%"));
      line("Topocentric distance: ", "מרחק טופוצנטרי: ",
           quantity(number(r.dblMoonDistanceTopo, 0)) + m.Lang(" km", " ק\"מ"));
      break;
    case kCritOdeh:
      line("According to the Odeh criterion", "לפי קריטריון עודה");
      value("Odeh's V: ", "V של עודה: ", 2);
      if (verdict.chClass)
        line("Odeh's zone ", "האזור של עודה ",
             std::string(1, verdict.chClass) + ": " + OdehZoneMeaning(verdict.chClass, language));
      break;
    default:
      break;
  }
  // Whatever the criterion, say why the crescent cannot be seen.
  if (verdict.bar != CrescentBar::None && !saidWhy) lines.push_back(barred);
  std::string text;
  for (const std::string& l : lines) {
    if (!text.empty()) text += kLineBreak;
    text += l;
  }
  return language == 1 ? rightToLeftLines(text) : text;
}

}  // namespace nemora
