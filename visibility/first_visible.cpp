// The first-visibility report and the hand measures.
//
// Choices made here:
// - The report speaks of the evening or morning of the civil day of the
//   instant given; the date it names is that day.
// - The Moon's place is given at the best instant, relative to the place
//   where the Sun set (or will rise): the horizontal offset is the difference
//   of azimuths, the height the Moon's refracted altitude. A guide planet is
//   up when its refracted altitude is above 0 at the best instant.
// - " is likely* to" when the best probability reaches one half, " might"
//   below; the horizon side is the compass name of the Moon's azimuth in the
//   middle of its first-appearance window.
// - The hints of optical aid read the criterion's value of the evening,
//   which exists only for the Moon; for any other body they are left out.
// - Hebrew pieces are in reading order; numbers, times and their units are
//   left-to-right isolates so that the right-to-left layout keeps them whole.
#include "visibility/first_visible.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <vector>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/session.h"
#include "visibility/optical_aid.h"
#include "calendar/hebrew.h"
#include "timescale/date_text.h"
#include "ephemeris/hbody.h"
#include "ephemeris/rise_set.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/testimony.h"

namespace nemora {
namespace {

struct HandRow {
  double dblBelow;
  const char* english;
  const char* hebrew;
};

// Angles at arm's length: a finger is about 2 degrees wide, a fist 10, a
// span 22.
const HandRow kHands[] = {
    {0.25, "0", "0"},
    {0.5, "¼ a finger", "רבע אצבע"},
    {1.5, "½ a finger", "חצי אצבע"},
    {2.475, "1 finger", "אצבע אחת"},
    {3.425, "1½ fingers", "אצבע וחצי"},
    {4.4, "2 fingers", "\u20662\u2069 אצבעות"},
    {5.4, "2½ fingers", "\u20662½\u2069 אצבעות"},
    {6.475, "3 fingers", "\u20663\u2069 אצבעות"},
    {7.625, "3½ fingers", "\u20663½\u2069 אצבעות"},
    {8.65, "4 fingers", "\u20664\u2069 אצבעות"},
    {11.25, "1 fist", "אגרוף אחד"},
    {13.75, "1¼ fists", "\u20661¼\u2069 אגרופים"},
    {16.25, "1½ fists", "\u20661½\u2069 אגרופים"},
    {18.75, "1¾ fists", "\u20661¾\u2069 אגרופים"},
    {25.2, "1 span", "זרת אחת"},
    {30.8, "1¼ spans", "\u20661¼\u2069 זרתות"},
    {36.4, "1½ spans", "\u20661½\u2069 זרתות"},
    {42, "1¾ spans", "\u20661¾\u2069 זרתות"},
    {47.6, "2 spans", "\u20662\u2069 זרתות"},
};

constexpr double kLikely = 0.5;

}  // namespace

udtCrescentArc DrawMoon(double sngSize, double dblX, double dblY, double dblAngle, double dblSubtend) {
  constexpr double kRadiansPerDegree = 0.017453292519943295;
  udtCrescentArc arc;
  arc.dblCentreX = dblX - sngSize * SinD(dblAngle) / 2;
  arc.dblCentreY = dblY - sngSize * CosD(dblAngle) / 2;
  arc.dblRadius = sngSize / 2;
  auto turn = [](double degrees) { return std::fmod(std::fmod(degrees, 360) + 360, 360); };
  arc.dblStart = turn(dblAngle + 270 - dblSubtend / 2) * kRadiansPerDegree;
  arc.dblEnd = turn(dblAngle + 270 + dblSubtend / 2) * kRadiansPerDegree;
  return arc;
}

std::string FirstVisibleReport::Fingers(double dblA, bool& blnValid) {
  return guarded(blnValid, "cMoon.Fingers", std::string(), [&] {
    if (!(dblA >= 0 && dblA <= 180)) raise("dblA not valid: ", dblA);
    for (const HandRow& row : kHands)
      if (dblA < row.dblBelow) return session().main.Lang(row.english, row.hebrew);
    return session().main.Lang("more than 2 spans", "יותר מ-\u20662\u2069 זרתות");
  });
}

std::string FirstVisibleReport::strAngleHalfDeg(double dblA) const {
  double a = std::fabs(dblA) + 0.25;
  double whole = std::floor(a);
  std::string text = formatNumber(whole, "#########0");
  if (a - whole >= 0.5) {
    if (text == "0") text.clear();
    text += "½";
  }
  text += "°";
  return session().main.Figure(text);
}

std::string FirstVisibleReport::ProbabilityPercent(double P) {
  const char* pattern = (P >= 0.01 && P <= 0.99) ? "##0" : (P >= 0.001 && P <= 0.999) ? "##0.0" : "##0.00";
  return formatNumber(100 * P, pattern);
}

std::string FirstVisibleReport::EaseText(const udtVisibility& v, double E, bool blnTooFaint) const {
  const Main& m = session().main;
  if (v.blnExtended) return m.Lang("clearly visible for an extended period", "נראה בבירור לאורך זמן");
  if (v.blnNeverVisible) {
    if (blnTooFaint || v.dblValue <= -0.68)
      return m.Lang("impossible to see with the naked eye or with a telescope",
                    "אי אפשר לראותו בעין בלתי מזוינת או בטלסקופ");
    std::string text = m.Lang("impossible to see with the naked eye", "אי אפשר לראותו בעין בלתי מזוינת");
    text += m.Lang(" but may be visible with a telescope", " אך ייתכן שייראה בטלסקופ");
    if (v.dblValue > -0.3) text += m.Lang(" or with binoculars", " או במשקפת");
    return text;
  }
  if (E < 1.0 / 3) return m.Lang("very difficult to see", "קשה מאוד לראותו");
  if (E < 2.0 / 3) return m.Lang("difficult to see", "קשה לראותו");
  if (E < 1) return m.Lang("not difficult to see", "לא קשה לראותו");
  if (E < 4.0 / 3) return m.Lang("easy to see", "קל לראותו");
  return m.Lang("very easy to see", "קל מאוד לראותו");
}

double FirstVisibleReport::Ease(const std::string& strHBody, const udtVisibility& v, bool& blnValid) {
  Session& s = session();
  blnValid = true;
  if (strHBody == "Moon" && s.options.intMoonCalc == kMoonCalcByCriterion) return v.dblValue;
  double z = s.main.NormInv(v.dblPMax, blnValid);
  return (z + 1.4) / 2.8;
}

double FirstVisibleReport::Testimony(const udtVisibility& v, bool& blnValid) {
  Session& s = session();
  // Testimony rests on the average observer's chance with the naked eye:
  // the likely observers of a population look without binoculars, even
  // when the report's own probability is through the observer's aid.
  double overall = v.dblPMax;
  blnValid = true;
  if (v.bar != CrescentBar::None) return 0;  // no Moon in that sky: nobody can testify
  if (s.options.intMoonCalc != kMoonCalcByCriterion &&
      (!s.udtObserver.blnOverall || s.udtObserver.aid.intKind != kAidEye)) {
    struct Restore {
      Session& s;
      udtObserver kept;
      ~Restore() { s.udtObserver = kept; }
    } restore{s, s.udtObserver};
    s.udtObserver.blnOverall = true;
    s.udtObserver.aid = {};
    overall = s.hbody.HBProbVis("Moon", v.dblTMax, blnValid);
    if (!blnValid) return 0;
  }
  return PTestimony(s, overall, blnValid);
}

std::string FirstVisibleReport::FirstVisible(const std::string& strHBody, double dblFix, bool blnFlag1,
                                             bool blnFlag2, bool& blnValid, int16_t intMode, bool blnFlag3) {
  std::string text;
  guardedVoid(blnValid, "cMoon.FirstVisible", [&] {
    if (intMode < 0 || intMode > 2) raise("Invalid intMode: ", intMode);
    std::string failure = report(strHBody, dblFix, blnFlag1, blnFlag2, blnFlag3, intMode, text);
    if (!failure.empty()) abandon();
  });
  if (!blnValid) return text;
  try {
    session().writeOutputTxt(text);
  } catch (AppError& e) {
    // The report stands even when its copy cannot be kept.
    session().showMessage(errorText(e));
  }
  return text;
}

std::string FirstVisibleReport::report(const std::string& strHBody, double dblFix, bool blnFlag1, bool blnFlag2,
                                       bool blnFlag3, int16_t intMode, std::string& text) {
  Session& s = session();
  const Main& m = s.main;
  const bool hebrew = s.intLanguage == 1;
  auto num = [&](double x, const char* pattern) { return m.Figure(formatNumber(x, pattern)); };
  bool ok = true;
  std::string last;
  auto timeText = [&](double t) {
    // The time text isolates its own clock figures in Hebrew.
    return s.dateText.strMoment(t, last, false, true, false);
  };
  auto body = [&](const std::string& name, double t) {
    udtHBody r;
    s.hbody.TrueHBody(name, t, r, ok);
    if (!ok) abandon();
    return r;
  };
  auto hand = [&](double a) {
    std::string f = Fingers(std::min(a, 180.0), ok);
    if (!ok) abandon();
    return f + " (" + strAngleHalfDeg(a) + ")";
  };

  double day = s.dateText.FixedToDay(dblFix, ok);
  if (!ok) return "day";
  int32_t lngDay = static_cast<int32_t>(day);
  bool neverRises = false, neverSets = false;
  if (intMode == 2 && strHBody == "Moon") {
    // The day on which the Moon next rises (it skips about one day a month).
    for (int step = 0; step < 3; ++step, ++lngDay, dblFix += 1) {
      s.hbody.RiseSet(strHBody, lngDay, false, true, neverRises, neverSets, ok);
      if (!ok) abandon();
      if (!neverRises) break;
    }
  }
  std::string dateText = s.dateText.strMoment(dblFix, last, true, false, false);
  last.clear();
  const bool isMoon = strHBody == "Moon";
  const bool isSun = strHBody == "Sun";
  const std::string name = hebrew ? hebrewBodyName(strHBody) : strHBody;
  const std::string theName = hebrew ? name : (isSun || isMoon ? "The " + name : name);
  const std::string theNameLower = hebrew ? name : (isSun || isMoon ? "the " + name : name);

  // A body that does not rise that day.
  s.hbody.RiseSet(strHBody, lngDay, false, true, neverRises, neverSets, ok);
  if (!ok) abandon();
  if (neverRises) {
    text = theName + m.Lang(" does not rise on ", " אינו זורח ב-") + dateText + ".";
    return {};
  }

  udtVisibility v;
  s.hbody.Visibility(strHBody, lngDay, blnFlag1, blnFlag2, blnFlag3, v, ok);
  if (!ok) abandon();
  const double E = Ease(strHBody, v, ok);
  if (!ok) abandon();

  std::string heading = theName;
  // Mode 1 speaks of the Moon on the date given; the others of the new or
  // old crescent.
  const bool onTheDate = isMoon && intMode == 1;
  if (onTheDate) heading = m.Lang("The Moon on ", "הירח ב-") + dateText;
  else if (isMoon) heading = v.blnEvening ? m.Lang("The new Moon", "הירח החדש") : m.Lang("The old Moon", "הירח הישן");
  const std::string onDate = onTheDate ? std::string() : m.Lang(" on ", " ב-") + dateText;
  const std::string is = s.blnPresentTense ? m.Lang(" is ", " ") : m.Lang(" will be ", " יהיה ");
  const std::string ease = EaseText(v, E, !isMoon);

  // The main sentence.
  if (v.blnExtended) {
    text = heading + is + ease + onDate + ".";
  } else if (v.bar != CrescentBar::None) {
    // Not in that evening's (morning's) sky at all: the reason, no instant.
    text = heading + is + ease + onDate + ": " + crescentBarText(v.bar, v.blnEvening, s.intLanguage) + ".";
  } else if (v.blnNeverVisible) {
    text = heading + is + ease + onDate + "." +
           m.Lang(" The closest to visibility" + is + "at ", " הקרוב ביותר לנראות" + is + "בשעה ") +
           timeText(v.dblTMax) + ".";
  } else {
    text = heading + m.Lang(" first appears", " נראה לראשונה") + onDate + m.Lang(" between ", " בין ") +
           timeText(v.dblT1) + m.Lang(" and ", " ל-") + timeText(v.dblT2);
    if (v.dblT4 > v.dblT3)
      text += m.Lang(" and fades between ", " ונעלם בין ") + timeText(v.dblT3) + m.Lang(" and ", " ל-") +
              timeText(v.dblT4);
    text += m.Lang(" provided that it is not cloudy. It" + is, " בתנאי שאין עננים. הוא" + is) + ease +
            m.Lang(", ease of visibility ", ", קלות הנראות ") + num(E, "0.0") + ". ";
  }

  // The best instant in figures, and the probabilities.
  const udtHBody best = body(strHBody, v.dblTMax);
  if (isMoon && v.bar == CrescentBar::None) {
    double illumination = 50 * (1 - CosD(best.ElongationTopo));
    double lag = (v.dblEnd - v.dblStart) * 1440;
    text += m.Lang(" (Illum. ", " (הארה ") + num(illumination, "#0.00") + m.Lang(")% Lag ", ")% פיגור ") +
            num(lag, "##0") + m.Lang(" m", " דק'");
  }
  text += m.Lang(" Probability of visibility: ", " הסתברות הנראות: ") +
          m.Figure(ProbabilityPercent(v.dblPMax) + "%");
  const udtOpticalAid aid = s.udtObserver.aid;
  if (aid.intKind != kAidEye && !(isMoon && s.options.intMoonCalc == kMoonCalcByCriterion)) {
    // The probability above is through the observer's aid; beside it, the
    // naked eye's at the same instant.
    struct Restore {
      Session& s;
      udtOpticalAid aid;
      ~Restore() { s.udtObserver.aid = aid; }
    } restore{s, aid};
    s.udtObserver.aid = {};
    double naked = s.hbody.HBProbVis(strHBody, v.dblTMax, ok);
    if (!ok) abandon();
    text += m.Lang(" with " + AidText(aid) + " (naked eye ", " בעזר אופטי (בעין בלתי מזוינת ") +
            m.Figure(ProbabilityPercent(naked) + "%") + ")";
  }
  if (isMoon) {
    double testimony = Testimony(v, ok);
    if (!ok) abandon();
    text += m.Lang(" of testimony: ", " של עדות: ") +
            m.Figure(ProbabilityPercent(testimony) + "%");
  }
  if (isSun) return {};

  // The guide planets up at the best instant.
  std::vector<std::pair<std::string, udtHBody>> guides;
  for (const char* planet : {"Mercury", "Venus", "Jupiter"}) {
    if (strHBody == planet) continue;
    udtHBody r = body(planet, v.dblTMax);
    if (r.RefrFlag && r.AltRefr > 0) guides.emplace_back(planet, r);
  }
  if (!guides.empty()) {
    std::string list;
    for (size_t i = 0; i < guides.size(); ++i) {
      std::string g = hebrew ? hebrewBodyName(guides[i].first) : guides[i].first;
      if (i == 0) list = g;
      else if (i + 1 == guides.size()) list += m.Lang(" and ", " ו") + g;
      else list += ", " + g;
    }
    text += m.Lang(" This month, " + list + " can be used to find " + theNameLower + ".",
                   " החודש אפשר להיעזר ב" + list + " כדי למצוא את " + name + ".");
  }
  if (v.blnNeverVisible) return {};

  // Where to look: places relative to the set (or rising) Sun.
  const double sunTime = v.blnEvening ? v.dblStart : v.dblEnd;
  const udtHBody sun = body("Sun", sunTime);
  const std::string sunPlace = v.blnEvening ? m.Lang("the place of the set Sun", "מקום שקיעת השמש")
                                            : m.Lang("the place of the rising Sun", "מקום זריחת השמש");
  auto height = [&](double h) {
    if (h >= 0.25) return m.Lang(hand(h) + " high", "בגובה " + hand(h));
    if (h >= 0) return m.Lang("on the horizontal", "על האופק");
    return m.Lang("slightly below the horizontal", "מעט מתחת לאופק");
  };
  auto place = [&](const udtHBody& r) {
    double d = Deg180(sun.AzTopo - r.AzTopo);
    std::string across;
    if (d >= 0.25) across = m.Lang(hand(d) + " left of ", hand(d) + " משמאל ל");
    else if (d <= -0.25) across = m.Lang(hand(-d) + " right of ", hand(-d) + " מימין ל");
    else across = m.Lang("directly above ", "בדיוק מעל ");
    return across + sunPlace + ", " + height(r.AltRefr);
  };
  // The body's place as seen from a guide planet.
  auto fromGuide = [&](const udtHBody& g) {
    std::vector<std::string> parts;
    double up = best.AltRefr - g.AltRefr;
    if (up >= 0.25) parts.push_back(m.Lang(hand(up) + " above", hand(up) + " מעליו"));
    else if (up <= -0.25) parts.push_back(m.Lang(hand(-up) + " below", hand(-up) + " מתחתיו"));
    double across = Deg180(g.AzTopo - best.AzTopo);
    if (across >= 0.25) parts.push_back(m.Lang(hand(across) + " left of it", hand(across) + " משמאלו"));
    else if (across <= -0.25) parts.push_back(m.Lang(hand(-across) + " right of it", hand(-across) + " מימינו"));
    if (parts.empty()) return m.Lang("next to it", "לידו");
    std::string t = parts[0];
    if (parts.size() == 2) t += m.Lang(" and ", " ו") + parts[1];
    else if (up >= 0.25 || up <= -0.25) t += m.Lang(" it", "");
    return t;
  };
  text += m.Lang(" The best chance of seeing " + theNameLower + " will be at ",
                 " הסיכוי הטוב ביותר לראות את " + name + " יהיה בשעה ") +
          timeText(v.dblTMax) + ", " + place(best) + ".";
  for (const auto& [planet, r] : guides) {
    std::string g = hebrew ? hebrewBodyName(planet) : planet;
    text += m.Lang(" " + g + " at ", " " + g + " נמצא ") + place(r) + m.Lang(", " + theNameLower + " is ", ", " + name + " ") +
            fromGuide(r) + ".";
  }
  text += v.blnEvening ? m.Lang(" The Sun sets here at ", " השמש שוקעת כאן בשעה ")
                       : m.Lang(" The Sun rises here at ", " השמש זורחת כאן בשעה ");
  text += timeText(sunTime) + ".";
  const bool sets = v.blnEvening && v.dblEnd - v.dblT4 < 1.0 / 1440;
  text += m.Lang(" " + theName + " fades" + (sets ? " or sets" : "") + " here by ",
                 " " + name + " נעלם" + (sets ? " או שוקע" : "") + " כאן עד ") +
          timeText(v.dblT4) + ".";
  const double tAppear = (v.dblT1 + v.dblT2) / 2;
  const udtHBody appear = body(strHBody, tAppear);
  std::string side = m.CompassName(appear.AzTopo);
  if (!hebrew) {
    for (char& c : side) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  const bool likely = v.dblPMax >= kLikely;
  std::string high = appear.AltRefr >= 0.25 ? hand(appear.AltRefr) : height(appear.AltRefr);
  text += m.Lang(" " + theName + (likely ? " is likely* to" : " might") + " appear over the " + side +
                     " horizon between ",
                 " " + name + (likely ? " צפוי*" : " עשוי") + " להופיע מעל האופק ה" + side + " בין ") +
          timeText(v.dblT1) + m.Lang(" and ", " ל-") + timeText(v.dblT2) + m.Lang(" at azimuth ", " באזימוט ") +
          m.Figure(formatNumber(appear.AzTopo, "##0") + "°") +
          m.Lang(", " + high + " (at arm's length) high.", ", בגובה " + high + " (ביד מושטת).");
  return {};
}

}  // namespace nemora
