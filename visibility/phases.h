// The Moon's phases: the conjunction and full-Moon reports (true, mean and
// calendrical instants of one lunation), the search for the evening of the
// first visible new crescent or the morning of the last old one, the
// back-to-back Moon search, the new-Moon research table, and the text of a
// duration in hours.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "visibility/crescent_verdicts.h"

#include "base/session_bound.h"

namespace nemora {

// One lunation's new or full Moon: the geocentric and topocentric instants
// (UT) and the mean and calendrical (molad or nigud) instants of the same
// lunation.
struct udtLunation {
  double dblGeo = 0;
  double dblTopo = 0;
  double dblMean = 0;
  double dblCalendrical = 0;
};

// The Hebrew calendar's mean month (29 days 12 hours 793 parts) and the
// molad of lunation 0 as a UT instant (Jerusalem mean time is 0.09787222222
// day ahead of UT).
inline constexpr double kHebrewMonth = 29.5305941358025;
inline constexpr double kMoladEpoch = 1373427.13166852;
inline constexpr double kJerusalemMeanTime = 0.09787222222;
// The mean synodic month of the lunar theory.
inline constexpr double kSynodicMonth = 29.530588861;

class MoonPhases : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The first new Moon (blnFull false) or full Moon after the instant t,
  // with the mean and calendrical instants of its lunation. The topocentric
  // instant is searched only when blnTopocentric.
  void Lunation(double t, bool blnFull, udtLunation& lunation, bool& blnValid, bool blnTopocentric = true);
  // The mean new or full Moon of the lunation of tGeo, from the instant t.
  double MeanPhase(double t, double tGeo, bool blnFull, bool& blnValid);
  // The molad (blnFull false) or nigud of the lunation of tGeo.
  static double CalendricalPhase(double t, double tGeo, bool blnFull);
  // The molad following t (t itself when it is a molad).
  static double MoladAfter(double t);

  // The reports of the main window's "Next conjunction" and "Next full
  // Moon", from its current instant.
  std::string ConjunctionReport(bool& blnValid);
  std::string FullMoonReport(bool& blnValid);

  // The civil day (fixed day number) of the first evening from dblStart on
  // which the criterion in force judges the new crescent visible (blnNew),
  // or of the last morning of the old crescent; blnOpticalAid takes the
  // criterion's verdict with optical aid.
  int32_t NextVisibleDate(double dblStart, bool blnNew, bool blnOpticalAid, bool& blnValid);
  // The criterion in force's value of the evening (or morning) of day lngFix.
  double CrescentValue(int32_t lngFix, bool blnEvening, bool& blnValid);
  // The criterion in force's verdict of that evening (or morning).
  CriterionVerdict CrescentJudgement(int32_t lngFix, bool blnEvening, bool& blnValid);
  // Local noon (UT) of civil day lngFix at the session's place, by its
  // longitude: a start instant whose local day is that day.
  double LocalNoon(int32_t lngFix) const;

  // The reports of "Next new Moon" (blnNew) and "Next old Moon": the date
  // text of the search from the input instant.
  std::string NextCrescentReport(bool blnNew, bool& blnValid);
  // The date text of a day in the input date type, with its weekday.
  std::string DayText(int32_t lngDay, bool& blnValid);

  // "Next back-to-back Moon": the date text of the old crescent's morning of
  // the first pair found (old and new crescent at most a day apart), or an
  // empty text when the user stops the search.
  std::string BackToBack(bool& blnValid);

  // Writes the new-Moon table to Output.txt. keepGoing is asked with the
  // number of lunations done (of 25000) and stops the table when it answers
  // false; the lunations done so far are written.
  void NewMoonTable(const std::function<bool(int32_t done, int32_t total)>& keepGoing, bool& blnValid);

  // A duration in hours as "12s", "5m07s" or "3h04m09s" (a leading "-" when
  // negative).
  static std::string DurationText(double dblHours);
};

}  // namespace nemora
