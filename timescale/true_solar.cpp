#include "timescale/true_solar.h"

#include <cmath>

#include "base/errors.h"
#include "base/session.h"
#include "ephemeris/hbody.h"
#include "base/date.h"
#include "timescale/day_bounds.h"
#include "timescale/sunset_day.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

// A reading is found when the clock at the trial instant differs from it by
// at most this many hours (a microsecond); the clock runs at the rate of UT
// to within 0.04 %, so each pass gains more than three decimal places.
constexpr double kReadingTolerance = 1.0 / 3.6e9;
constexpr int kMaxPasses = 12;
// Walks between neighbouring days: real days need one step at most.
constexpr int kMaxDaySteps = 3;

}  // namespace

double clsTrueSolar::SunHourAngle(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cTrueSolar.SunHourAngle", 0.0, [&] {
    udtHBody sun;
    bool ok = true;
    session().hbody.TrueHBody("Sun", dblFix, sun, ok);
    if (!ok) abandon();
    return sun.HourAngTopo;
  });
}

// Clock hours [0, 24) at an instant: 0 at the lower transit (hour angle
// +-180 degrees), 12 at the upper transit, 15 degrees of hour angle an hour.
double clsTrueSolar::hoursAt(double dblFix) {
  bool ok = true;
  double H = SunHourAngle(dblFix, ok);
  if (!ok) abandon();
  double x = H / 360 + 0.5;
  if (x >= 1) x -= 1;
  if (x < 0) x += 1;
  return 24 * x;
}

// The instant nearest to dblGuess at which the clock reads dblHours: the
// guess is moved by the difference of the readings, brought into
// [-12, 12) hours, until they agree.
double clsTrueSolar::readingNear(double dblHours, double dblGuess) {
  double t = dblGuess;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    double d = dblHours - hoursAt(t);
    d -= 24 * std::floor((d + 12) / 24);
    t += d / 24;
    if (std::fabs(d) <= kReadingTolerance) break;
  }
  return t;
}

// The reading dblHours near t moved to its first instant within the day
// from the sunset before civil day lngDay to the sunset on it, or to the
// following one for a second occurrence (a day from sunset to sunset may be
// longer than a true solar day). Each move finds the reading again, because
// true solar days are not exactly 24 hours long.
double clsTrueSolar::readingInSunsetDay(double dblHours, double t, int32_t lngDay, bool blnSecondTime) {
  double start = 0, end = 0;
  sunsetsAroundDate(session(), lngDay, start, end);
  for (int step = 0; step < kMaxDaySteps && t < start; ++step) t = readingNear(dblHours, t + 1);
  for (int step = 0; step < kMaxDaySteps; ++step) {
    double earlier = readingNear(dblHours, t - 1);
    if (earlier < start) break;
    t = earlier;
  }
  return blnSecondTime ? readingNear(dblHours, t + 1) : t;
}

double clsTrueSolar::FromTrueSolar(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType) {
  return guarded(blnValid, "cTrueSolar.FromTrueSolar", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    double hours = s.timeText.FromAMPM(udtTimeIn, ok);
    if (!ok) abandon();
    // A true solar day runs from one reading of 0:00 to the next: no clock
    // time comes twice in it.
    if (udtTimeIn.blnSecondTime && !beginsAtSunset(enmDateType))
      raise("blnSecondTime cannot occur with udtDateType: ", enmDateType);
    int32_t day = inputDay(s);
    // Start from the mean solar reading of the date; the true one lies within
    // the equation of time (a quarter of an hour) of it, on the same day.
    double t = readingNear(hours, day + (hours - s.udtLocation.dblLongitude / 15) / 24);
    if (beginsAtSunset(enmDateType)) t = readingInSunsetDay(hours, t, day, udtTimeIn.blnSecondTime);
    return t - day;
  });
}

void clsTrueSolar::ToTrueSolar(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cTrueSolar.ToTrueSolar", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant))
      raiseFrom("cTrueSolar.ToTrueSola", "Magnitude of dblDate too large: ", dblDate);
    Session& s = session();
    udtTime result;
    result.enmTimeType = ttTrueSolar;
    result.bln24Hour = s.udtTimeIn.bln24Hour;
    result.blnPM = s.udtTimeIn.blnPM;
    splitClockHours(s, hoursAt(dblDate), result);
    bool ok = true;
    s.timeText.ToAMPM(result, ok);
    if (!ok) abandon();
    udtTimeOut = result;
  });
}

double clsTrueSolar::lowerTransit(int32_t lngDay) {
  bool ok = true;
  double t = session().hbody.Meridian("Sun", lngDay, -180, ok);
  if (!ok) abandon();
  return t;
}

void clsTrueSolar::StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd,
                                 bool& blnValid, int16_t& intDayShift) {
  guardedVoid(blnValid, "cTrueSolar.StartEndOfDay", [&] {
    intDayShift = 0;
    if (beginsAtSunset(enmDateType)) {
      sunsetDayBounds(session(), dblFix, dblStart, dblEnd, intDayShift);
      return;
    }
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblFix too large: ", dblFix);
    double longitude = session().udtLocation.dblLongitude;
    if (!(longitude > -180 && longitude <= 180)) raise("udtLocation.dblLongitude out of range: ", longitude);
    double L = longitude / 360;
    // The local mean day of dblFix, then the true solar day that contains it
    // (they differ within the equation of time of midnight). Each day ends
    // where the next begins, so that every instant lies in exactly one day.
    auto day = static_cast<int32_t>(std::floor(dblFix + L));
    double start = lowerTransit(day);
    double end = lowerTransit(day + 1);
    if (dblFix < start) {
      --day;
      end = start;
      start = lowerTransit(day);
    } else if (dblFix >= end) {
      ++day;
      start = end;
      end = lowerTransit(day + 1);
    }
    if (!(start >= day - 0.5 - L && start <= day + 0.5 - L))
      raise("DblStart out of range: ", start, " where dblFix = ", dblFix);
    if (!(end >= day + 0.5 - L && end <= day + 1.5 - L))
      raise("DblStart out of range: ", end, " where dblFix = ", dblFix);
    dblStart = start;
    dblEnd = end;
  });
}

double clsTrueSolar::ZeroTime(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cTrueSolar.ZeroTime", 0.0, [&] {
    double longitude = session().udtLocation.dblLongitude;
    if (!(longitude > -180 && longitude <= 180)) raise("udtLocation.dblLongitude out of range: ", longitude);
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblFix too large: ", dblFix);
    // The lower transit that opens the local day of dblFix, so that the
    // result stays near -longitude / 360 on both sides of UT midnight.
    auto day = static_cast<int32_t>(std::floor(longitude / 360 + dblFix));
    return lowerTransit(day) - day;
  });
}

}  // namespace nemora
