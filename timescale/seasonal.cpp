#include "timescale/seasonal.h"

#include <cmath>

#include "base/errors.h"
#include "base/session.h"
#include "base/date.h"
#include "ephemeris/rise_set.h"
#include "timescale/day_bounds.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

// Walks between neighbouring days: real sunrises and sunsets need one step
// at most; the walk is bounded so that a wrong event cannot loop forever
// (the range check of the fraction then reports it).
constexpr int kMaxDaySteps = 4;

}  // namespace

// Sunrise or sunset on a civil day; the sunrise and sunset routine has told
// the user when the Sun does not rise or set that day.
double clsSeasonal::sunEvent(int32_t lngDay, bool blnSet) {
  double t = 0;
  if (!SunRiseSet(session(), lngDay, blnSet, t)) abandon();
  return t;
}

clsSeasonal::Span clsSeasonal::spanOf(double dblDate) {
  // Start from the local mean day of the instant, which holds its sunrise
  // and sunset except near midnight.
  auto n = static_cast<int32_t>(std::floor(dblDate + session().udtLocation.dblLongitude / 360));
  double rise = sunEvent(n, false);
  double set = sunEvent(n, true);
  Span span;
  for (int step = 0; step < kMaxDaySteps; ++step) {
    if (dblDate < rise) {
      double setBefore = sunEvent(n - 1, true);
      span = {setBefore, rise, true, n};
      if (dblDate >= setBefore) break;
      --n;
      set = setBefore;
      rise = sunEvent(n, false);
    } else if (dblDate >= set) {
      double riseAfter = sunEvent(n + 1, false);
      span = {set, riseAfter, true, n + 1};
      if (dblDate < riseAfter) break;
      ++n;
      rise = riseAfter;
      set = sunEvent(n, true);
    } else {
      span = {rise, set, false, n};
      break;
    }
  }
  return span;
}

double clsSeasonal::fractionIn(const Span& span, double dblDate) {
  double fraction = (dblDate - span.dblFrom) / (span.dblTo - span.dblFrom) / 2 + (span.blnNight ? 0 : 0.5);
  if (fraction == 1) fraction = 0;
  if (!(fraction >= 0 && fraction < 1)) raiseFrom("cSeasonal.FixToSeasonal", "FixToSeasonal out of range: ", fraction);
  return fraction;
}

// The instant at which the seasonal day that ends on the evening of civil
// day lngDay has run the given fraction: the night half from the sunset of
// lngDay - 1 to the sunrise of lngDay, the day half from that sunrise to the
// sunset of lngDay.
double clsSeasonal::readingInDay(double dblFraction, int32_t lngDay) {
  double rise = sunEvent(lngDay, false);
  if (dblFraction >= 0.5) return rise + (dblFraction - 0.5) * 2 * (sunEvent(lngDay, true) - rise);
  double set = sunEvent(lngDay - 1, true);
  return set + dblFraction * 2 * (rise - set);
}

double clsSeasonal::FixToSeasonal(double dblDate, bool& blnValid) {
  return guarded(blnValid, "cSeasonal.FixToSeasonal", 0.0, [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    return fractionIn(spanOf(dblDate), dblDate);
  });
}

double clsSeasonal::PreviousReading(double dblDate, bool& blnValid) {
  return guarded(blnValid, "cSeasonal.PreviousReading", 0.0, [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    Span span = spanOf(dblDate);
    return readingInDay(fractionIn(span, dblDate), span.lngDay - 1);
  });
}

void clsSeasonal::ToSeasonal(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cSeasonal.ToSeasonal", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    Session& s = session();
    bool ok = true;
    double fraction = FixToSeasonal(dblDate, ok);
    if (!ok) abandon();
    udtTime result;
    result.enmTimeType = ttSeasonal;
    result.bln24Hour = false;
    result.blnPM = fraction >= 0.5;
    // Hours 0 to 24 from sunset; the display form counts 0 to 11 in each
    // half, the day half from sunrise.
    splitClockHours(s, 24 * fraction, result);
    s.timeText.ToAMPM(result, ok);
    if (!ok) abandon();
    if (result.udtDms.intDegreesHours > 12 || (result.udtDms.intDegreesHours == 12 && result.udtDms.intMinutes > 0))
      raise("Invalid udtTimeIn.udtDms.intDegreesHours: ", result.udtDms.intDegreesHours);
    udtTimeOut = result;
  });
}

double clsSeasonal::FromSeasonal(const udtTime& udtTimeIn, bool& blnValid) {
  return guarded(blnValid, "cSeasonal.FromSeasonal", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    // Night hours 0 to 12, day hours 12 to 24.
    double hours = s.timeText.FromAMPM(udtTimeIn, ok);
    if (!ok) abandon();
    int32_t day = inputDay(s);
    bool nextNight = hours < 12 && udtTimeIn.blnSecondTime;
    return readingInDay(hours / 24, nextNight ? day + 1 : day) - day;
  });
}

}  // namespace nemora
