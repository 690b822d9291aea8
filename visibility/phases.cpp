#include "visibility/phases.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/text.h"
#include "base/session.h"
#include "calendar/gregorian.h"
#include "timescale/date_text.h"
#include "timescale/jde.h"
#include "base/date.h"
#include "ephemeris/hbody.h"
#include "base/criterion_types.h"
#include "base/options.h"
#include "base/visibility_types.h"

namespace nemora {
namespace {

// First guess of a phase search: days per degree of elongation still to go.
constexpr double kFirstGuessDaysPerDegree = 0.082029411;
// Fixed day number of JD 0, and of MJD 0.
constexpr double kJDOffset = 1721424.5;
constexpr double kMJDOffset = 678576;

double wholeLunations(double days) { return std::floor(days / kSynodicMonth + 0.5); }

// Restores the precision option when the report ends, however it ends.
struct PrecisionRaised {
  Session& s;
  int16_t saved;
  explicit PrecisionRaised(Session& session) : s(session), saved(session.options.intPrecision) {}
  void raiseByOne() { s.options.intPrecision = static_cast<int16_t>(std::min(saved + 1, 2)); }
  ~PrecisionRaised() { s.options.intPrecision = saved; }
};

}  // namespace

double MoonPhases::MoladAfter(double t) {
  double n = std::floor((t + kMoladEpoch) / kHebrewMonth) + 1;
  return kHebrewMonth * n - kMoladEpoch;
}

double MoonPhases::CalendricalPhase(double t, double tGeo, bool blnFull) {
  const double half = blnFull ? 0.5 : 0;
  double n = std::floor((t + kMoladEpoch) / kHebrewMonth) + 1;
  double c = kHebrewMonth * (n + half) - kMoladEpoch;
  // The molad (or nigud) of the lunation of the true phase, on whichever
  // side of t it falls.
  double d = wholeLunations(c - tGeo);
  if (d != 0) c = kHebrewMonth * (n - d + half) - kMoladEpoch;
  return c;
}

double MoonPhases::MeanPhase(double t, double tGeo, bool blnFull, bool& blnValid) {
  return guarded(blnValid, "cMoon.MeanPhase", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    double T = s.hbody.ToJ2000(t, ok);
    if (!ok) abandon();
    double jde = s.jde.fixed_jde(t, ok);
    if (!ok) abandon();
    const double half = blnFull ? 0.5 : 0;
    const double k0 = std::floor((jde - 2451545) / kSynodicMonth + (blnFull ? 0.5 : 1));
    auto mean = [&](double k) {
      double jdeMean = 2451550.09766 + kSynodicMonth * (k + half) + 0.0001474490321078704 * T * T -
                       0.00000015 * T * T * T + 0.00000000073 * T * T * T * T;
      double fix = s.jde.jde_fixed(jdeMean, ok);
      if (!ok) abandon();
      return fix;
    };
    double tm = mean(k0);
    double d = wholeLunations(tm - tGeo);
    if (d != 0) tm = mean(k0 - d);
    return tm;
  });
}

void MoonPhases::Lunation(double t, bool blnFull, udtLunation& lunation, bool& blnValid, bool blnTopocentric) {
  guardedVoid(blnValid, "cMoon.Lunation", [&] {
    Session& s = session();
    bool ok = true;
    udtHBody moon;
    s.hbody.TrueHBody("Moon", t, moon, ok);
    if (!ok) abandon();
    const double e = moon.EclElong;
    double start;
    if (blnFull) start = e >= 0 ? t : t + (180 - e) * kFirstGuessDaysPerDegree;
    else start = e > 0 ? t + (360 - e) * kFirstGuessDaysPerDegree : t;
    const double phase = blnFull ? 180 : 0;
    udtLunation r;
    r.dblGeo = s.hbody.moon.FindPhase(start, phase, false, ok);
    if (!ok) abandon();
    r.dblTopo = r.dblGeo;
    if (blnTopocentric) {
      r.dblTopo = s.hbody.moon.FindPhase(r.dblGeo, phase, true, ok);
      if (!ok) abandon();
    }
    r.dblMean = MeanPhase(t, r.dblGeo, blnFull, ok);
    if (!ok) abandon();
    r.dblCalendrical = CalendricalPhase(t, r.dblGeo, blnFull);
    lunation = r;
  });
}

namespace {

// The four lines of the conjunction or full-Moon report; a line whose
// instant could not be found ends the report with the lines before it.
std::string phaseReport(MoonPhases& phases, Session& s, bool blnFull, bool& blnValid) {
  const double t = s.dblFixDate + s.dblFixTime;
  std::string text;
  std::string last;
  auto line = [&](std::string_view english, std::string_view hebrew, double instant) {
    if (!text.empty()) text += kLineBreak;
    last.clear();
    text += s.main.Lang(english, hebrew) + s.dateText.strMoment(instant, last, false, false, false);
  };
  bool ok = true;
  udtHBody moon;
  s.hbody.TrueHBody("Moon", t, moon, ok);
  if (!ok) {
    blnValid = false;
    return text;
  }
  const double e = moon.EclElong;
  double start;
  if (blnFull) start = e >= 0 ? t : t + (180 - e) * kFirstGuessDaysPerDegree;
  else start = e > 0 ? t + (360 - e) * kFirstGuessDaysPerDegree : t;
  const double phase = blnFull ? 180 : 0;
  double geo = s.hbody.moon.FindPhase(start, phase, false, ok);
  if (!ok) {
    blnValid = false;
    return text;
  }
  line(blnFull ? "Next geocentric full Moon: " : "Next geocentric conjunction: ",
       blnFull ? "מילוי הירח הגיאוצנטרי הבא: " : "המולד הגיאוצנטרי הבא: ", geo);
  double topo = s.hbody.moon.FindPhase(geo, phase, true, ok);
  if (!ok) {
    blnValid = false;
    return text;
  }
  line(blnFull ? "Topocentric full Moon: " : "Topocentric conjunction: ",
       blnFull ? "מילוי הירח הטופוצנטרי: " : "המולד הטופוצנטרי: ", topo);
  PrecisionRaised precision(s);
  precision.raiseByOne();
  double mean = phases.MeanPhase(t, geo, blnFull, ok);
  if (!ok) {
    blnValid = false;
    return text;
  }
  line(blnFull ? "Mean full Moon: " : "Mean conjunction: ", blnFull ? "מילוי הירח הממוצע: " : "המולד הממוצע: ",
       mean);
  line(blnFull ? "Calendrical full Moon (nigud): " : "Calendrical conjunction (Molad): ",
       blnFull ? "הניגוד לפי הלוח: " : "המולד לפי הלוח: ", MoonPhases::CalendricalPhase(t, geo, blnFull));
  blnValid = true;
  return text;
}

}  // namespace

std::string MoonPhases::ConjunctionReport(bool& blnValid) { return phaseReport(*this, session(), false, blnValid); }

std::string MoonPhases::FullMoonReport(bool& blnValid) { return phaseReport(*this, session(), true, blnValid); }

// ------------------------------------------------------------ NextVisibleDate

double MoonPhases::CrescentValue(int32_t lngFix, bool blnEvening, bool& blnValid) {
  CriterionVerdict v = CrescentJudgement(lngFix, blnEvening, blnValid);
  return v.dblZ;
}

CriterionVerdict MoonPhases::CrescentJudgement(int32_t lngFix, bool blnEvening, bool& blnValid) {
  // The criterion in force, filled from its preset, judged at its moment of
  // the evening (or morning) of the civil day at the current place.
  return guarded(blnValid, "cMoon.CrescentValue", CriterionVerdict{}, [&] {
    Session& s = session();
    bool ok = true;
    udtCriterion criterion = s.udtUserCriterion;
    s.hbody.moon.SetCriterion(criterion, false, ok);
    if (!ok) abandon();
    udtCriterionResult judged;
    s.hbody.moon.Criterion(lngFix, blnEvening, criterion, judged, ok);
    if (!ok) abandon();
    return judgeCrescent(criterion.intType, judged);
  });
}

double MoonPhases::LocalNoon(int32_t lngFix) const {
  return lngFix + 0.5 - session().udtLocation.dblLongitude / 360;
}

// The search goes lunation by lunation, so that each lunation gives one
// crescent whatever the place:
// 1. The day of the start is the local day of the start instant (by the
//    longitude: a day runs from local mean midnight to midnight), day0.
// 2. The lunations are those of the geocentric conjunctions: the one before
//    day0's local noon while the Moon waxes, else the next one (for the old
//    crescent: the next conjunction).
// 3. A lunation's new crescent is its first evening, from the day of its
//    conjunction on, that the criterion in force judges visible (naked eye,
//    or with optical aid); its old crescent the last such morning up to the
//    day of the conjunction. A crescent is a crescent for a week at most, so
//    eight days are tried on that side of the conjunction.
// 4. The answer is the first such evening (morning) on or after day0; a
//    lunation whose crescent lies before day0, or that has none at that
//    place (high latitudes in summer), gives way to the next one.
// After thirteen lunations without a crescent the search fails with a
// message.
namespace {

// Days on either side of a conjunction over which a crescent is looked for.
constexpr int kCrescentDays = 8;
// Lunations tried before the search gives up.
constexpr int kLunationsTried = 13;

}  // namespace

int32_t MoonPhases::NextVisibleDate(double dblStart, bool blnNew, bool blnOpticalAid, bool& blnValid) {
  return guarded(blnValid, "cMoon.NextVisibleDate", int32_t{0}, [&] {
    Session& s = session();
    bool ok = true;
    const double longitude = s.udtLocation.dblLongitude;
    const auto day0 = static_cast<int32_t>(std::floor(dblStart + longitude / 360));
    auto localDay = [&](double t) { return static_cast<int32_t>(std::floor(t + longitude / 360)); };
    auto meets = [&](int32_t day) {
      CriterionVerdict v = CrescentJudgement(day, blnNew, ok);
      if (!ok) abandon();
      return blnOpticalAid ? v.blnAid : v.blnEye;
    };
    auto conjunctionNear = [&](double guess) {
      double c = s.hbody.moon.FindPhase(guess, 0, false, ok);
      if (!ok) abandon();
      return c;
    };
    // The conjunction that opens the first lunation to search.
    udtHBody moon;
    const double noon = LocalNoon(day0);
    s.hbody.TrueHBody("Moon", noon, moon, ok);
    if (!ok) abandon();
    const double e = moon.EclElong;  // degrees east of the Sun, -180 to 180
    double conjunction = blnNew && e >= 0 ? conjunctionNear(noon - e * kFirstGuessDaysPerDegree)
                                          : conjunctionNear(noon + Deg360(-e) * kFirstGuessDaysPerDegree);
    for (int lunation = 0; lunation < kLunationsTried; ++lunation) {
      const int32_t c = localDay(conjunction);
      if (blnNew) {
        for (int32_t day = c; day <= c + kCrescentDays; ++day) {
          if (!meets(day)) continue;
          if (day >= day0) return day;
          break;  // this lunation's crescent came before the start
        }
      } else {
        for (int32_t day = c; day >= c - kCrescentDays && day >= day0; --day)
          if (meets(day)) return day;
      }
      conjunction = conjunctionNear(conjunction + kSynodicMonth);
    }
    raise(blnNew ? "No new crescent found after day " : "No old crescent found after day ", day0);
  });
}

std::string MoonPhases::DayText(int32_t lngDay, bool& blnValid) {
  return guarded(blnValid, "cMoon.DayText", std::string(), [&] {
    Session& s = session();
    bool ok = true;
    const int32_t type = s.udtDateIn.enmDateType;
    udtDate date;
    date.enmDateType = type;
    // Day-number types have no calendar date: the day as a number of the type.
    switch (type) {
      case dtFixed:
        date.dblDay = lngDay;
        break;
      case dtJD:
        date.dblDay = lngDay + kJDOffset;
        break;
      case dtJDE:
        date.dblDay = s.jde.fixed_jde(lngDay, ok);
        break;
      case dtMJD:
        date.dblDay = lngDay - kMJDOffset;
        break;
      default:
        s.dateText.ToDate(lngDay, type, date, ok);
    }
    if (!ok) abandon();
    std::string text = s.dateText.WriteDate(date, ok, false, false, true);
    if (!ok) abandon();
    return text;
  });
}

std::string MoonPhases::NextCrescentReport(bool blnNew, bool& blnValid) {
  return guarded(blnValid, "cMoon.NextCrescentReport", std::string(), [&] {
    Session& s = session();
    bool ok = true;
    int32_t day = NextVisibleDate(s.dblFixDate + s.dblFixTime, blnNew, false, ok);
    if (!ok) abandon();
    std::string text = DayText(day, ok);
    if (!ok) abandon();
    return text;
  });
}

// ---------------------------------------------------------------- BackToBack

std::string MoonPhases::BackToBack(bool& blnValid) {
  return guarded(blnValid, "cMoon.BackToBack", std::string(), [&] {
    Session& s = session();
    bool ok = true;
    // Asked from a script, nobody can answer: the warnings are notes and the
    // search runs for the years it was given.
    const bool unattended = s.intBackToBackYears > 0;
    const std::string abort = s.main.Lang("Press OK to continue or press Cancel to abort.",
                                          "לחץ אישור כדי להמשיך או ביטול כדי לעצור.");
    auto goOn = [&](const std::string& warning) {
      if (unattended) {
        s.messages.message(warning);
        return true;
      }
      return s.messages.question(warning + std::string(kLineBreak) + abort);
    };
    if (std::fabs(s.udtLocation.dblLatitude) > 40 &&
        !goOn(s.main.Lang("Back-to-back Moons are very rare or impossible at this latitude.",
                          "ירחים צמודים נדירים מאוד או בלתי אפשריים בקו רוחב זה.")))
      return std::string();
    udtCriterion criterion = s.udtUserCriterion;
    s.hbody.moon.SetCriterion(criterion, false, ok);
    if (!ok) abandon();
    if (criterion.intType == kCritPhotometric &&
        !goOn(s.main.Lang("The calculation of back-to-back Moons is very very slow using fully photometric criteria.",
                          "חישוב ירחים צמודים איטי מאוד מאוד בקריטריון פוטומטרי מלא.")))
      return std::string();
    struct CloseProgress {
      Session& s;
      ~CloseProgress() { s.messages.progress(""); }
    } closeProgress{s};
    double first = std::floor(s.dblFixDate + s.dblFixTime);
    const double until = first + 365.2425 * s.intBackToBackYears;
    // 127 pairs of crescents span about 20 years.
    constexpr int kPassesPerRound = 127;
    for (;;) {
      for (int pass = 0; pass < kPassesPerRound; ++pass) {
        if (unattended && first > until) {
          const int n = s.intBackToBackYears;
          const std::string years = n == 1 ? "1 year" : std::to_string(n) + " years";
          return s.main.Lang("Back-to-back Moons not detected after " + years + ".",
                             "ירחים צמודים לא נמצאו במשך " + (n == 1 ? std::string("שנה אחת") : std::to_string(n) + " שנה") +
                                 ".");
        }
        udtDate gregorian;
        s.gregorian.fixed_gregorian(static_cast<int32_t>(first), gregorian, ok);
        if (!ok) abandon();
        s.messages.progress(s.main.Lang("Searching ", "מחפש ") + std::to_string(gregorian.intYear));
        int32_t a = NextVisibleDate(first, false, false, ok);
        if (!ok) abandon();
        // The new crescent from the old one's day on: the same evening may
        // bring it.
        int32_t b = NextVisibleDate(LocalNoon(a), true, false, ok);
        if (!ok) abandon();
        if (b - a <= 1) {
          std::string text = DayText(a, ok);
          if (!ok) abandon();
          return text;
        }
        first = LocalNoon(b);
      }
      if (!unattended && !s.messages.question(s.main.Lang("Back-to-back Moons not detected after 20 years.",
                                                          "ירחים צמודים לא נמצאו במשך 20 שנה.") +
                                              std::string(kLineBreak) + abort))
        return std::string();
    }
  });
}

// -------------------------------------------------------------- NewMoonTable

// Which lunations the table prints: those whose molad or mean conjunction
// falls after noon, Jerusalem mean time, of the day before the first
// visible crescent: the crescent is seen within about a day and a half of
// the mean conjunction. A second search from 32 days before the conjunction
// runs when the first one ends more than ten days after the conjunction
// (the crescent of that lunation was missed); it is kept when it lies after
// the conjunction. A new century begins when the visibility date's Julian
// year, divided by 100, changes.
void MoonPhases::NewMoonTable(const std::function<bool(int32_t, int32_t)>& keepGoing, bool& blnValid) {
  guardedVoid(blnValid, "cMoon.NewMoonTable", [&] {
    Session& s = session();
    bool ok = true;
    constexpr int32_t kPasses = 25000;
    std::string out;
    s.udtDateIn = calendarDate(dtJulian, 350, 12, 31);
    int32_t century = INT32_MIN;
    // Whatever was computed is written, also when the user stops the table
    // or a search fails (then the failure is passed on after the writing).
    auto writeOut = [&] { s.writeOutputTxt(out); };
    try {
      for (int32_t pass = 0; pass < kPasses; ++pass) {
        if (keepGoing && !keepGoing(pass, kPasses)) break;
        double day = s.dateText.EvaluateDate(s.udtDateIn, ok);
        if (!ok) abandon();
        s.dblFixDate = day + 1;
        s.dblFixTime = 0;
        const double t = s.dblFixDate;
        udtLunation lunation;
        Lunation(t, false, lunation, ok, false);
        if (!ok) abandon();
        int32_t visible = NextVisibleDate(lunation.dblGeo - 4, true, false, ok);
        if (!ok) abandon();
        if (visible > lunation.dblGeo + 10) {
          int32_t again = NextVisibleDate(lunation.dblGeo - 32, true, false, ok);
          if (!ok) abandon();
          if (again > lunation.dblGeo) visible = again;
        }
        s.dateText.ToDate(visible, dtJulian, s.udtDateIn, ok);
        if (!ok) abandon();
        udtVisibility table;
        const bool byCriterion = s.options.intMoonCalc == kMoonCalcByCriterion;
        s.hbody.Visibility("Moon", visible, byCriterion, !byCriterion, byCriterion, table, ok);
        if (!ok) abandon();
        const int32_t year = s.udtDateIn.blnCE ? s.udtDateIn.intYear : 1 - s.udtDateIn.intYear;
        const int32_t c = static_cast<int32_t>(std::floor(year / 100.0));
        if (c != century) {
          century = c;
          out += "Century starting " + std::to_string(c * 100) + "\n";
        }
        const double noon = visible + 0.5 - kJerusalemMeanTime;
        if (lunation.dblCalendrical > noon - 1 || lunation.dblMean > noon - 1) {
          std::string text = s.dateText.WriteDate(s.udtDateIn, ok, false, false, true);
          if (!ok) abandon();
          auto hour = [](double instant) {
            double local = instant + kJerusalemMeanTime;
            return generalNumber((local - std::floor(local)) * 24);
          };
          out += text + " Probability " + formatNumber(table.dblPMax * 100, "##.00") + "%\n";
          out += "Molad time " + hour(lunation.dblCalendrical) + "\n";
          out += "Conjunction Jerusalem time " + hour(lunation.dblMean) + "\n";
          out += "\n";
        }
      }
    } catch (...) {
      try {
        writeOut();
      } catch (...) {
      }
      throw;
    }
    writeOut();
  });
}

// -------------------------------------------------------------- DurationText

std::string MoonPhases::DurationText(double dblHours) {
  // Rounded to the whole second before the split, so that 59.6 seconds are
  // one minute and never "60s".
  // A value that is not a number of hours is written as it is.
  if (!std::isfinite(dblHours)) return generalNumber(dblHours);
  const double total = std::round(std::fabs(dblHours) * 3600);
  const double hours = std::floor(total / 3600);
  const auto minutes = static_cast<int>(std::fmod(total, 3600) / 60);
  const auto seconds = static_cast<int>(std::fmod(total, 60));
  std::string text = dblHours < 0 && total > 0 ? "-" : "";
  if (hours == 0 && minutes == 0) return text + std::to_string(seconds) + "s";
  if (hours == 0) return text + std::to_string(minutes) + "m" + formatNumber(seconds, "00") + "s";
  return text + formatNumber(hours, "0") + "h" + formatNumber(minutes, "00") + "m" + formatNumber(seconds, "00") + "s";
}

}  // namespace nemora
