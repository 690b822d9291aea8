// Meridian transits, rises and sets of the bodies, sunrise and sunset for
// the calendars and seasonal hours, and the rise and set reports.
#include "ephemeris/rise_set.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/text.h"
#include "base/session.h"
#include "location/weather.h"
#include "timescale/date_text.h"
#include "timescale/sidereal.h"
#include "ephemeris/hbody.h"
#include "ephemeris/hbody_data.h"
#include "visibility/sky.h"

namespace nemora {
namespace {

constexpr const char* kRiseSet = "cHBody.RiseSet";
// Mean rate of the hour angle of the Sun (degrees a day); the others differ
// by their own motion, which the iterations absorb.
constexpr double kHourAngleRate = 360.98564736629;

// Sun, Moon and the planets 0 to 6; -1 for a star.
int fixedBodyIndex(const std::string& strName) {
  static constexpr std::array<const char*, 7> names = {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter",
                                                       "Saturn"};
  for (size_t i = 0; i < names.size(); ++i)
    if (strName == names[i]) return static_cast<int>(i);
  return -1;
}

// The true altitude of the body's centre (degrees) at the moment it touches
// the horizon of a search: the given altitude for the geometric horizon, the
// upper limb on the dip-depressed sea horizon, or the upper limb at the
// given apparent altitude over the flat horizon.
double centreOnHorizon(Session& s, clsHBody& hbody, const udtHBody& body, const udtWeatherNow& now,
                       bool blnApparent, bool blnSeaLevel, double dblHorizon, bool& ok) {
  if (blnApparent && blnSeaLevel) return clsSky(s).SeaLevelHorizon(now, ok) - body.Radius;
  if (blnApparent) {
    bool refracted = true;
    double R0 = hbody.Refract(dblHorizon, false, now, refracted, ok);
    return dblHorizon - body.Radius - R0;
  }
  return dblHorizon;
}

}  // namespace

// ---------------------------------------------------------------- Meridian

double clsHBody::Meridian(const std::string& strName, int32_t lngFix, double dblOffset, bool& blnValid) {
  return guarded(blnValid, "cHBody.Meridian", 0.0, [&] {
    if (!isObjectName(strName)) raise("Object name not found: ", strName);
    if (!(std::fabs(static_cast<double>(lngFix)) <= kMaxPositionFix)) raise("Magnitude of lngFix too large: ", lngFix);
    double longitude = session().udtLocation.dblLongitude;
    if (!(longitude > -180 && longitude <= 180)) raise("Invalid longitude: ", longitude);

    // The instant at which the mean Sun has the hour angle dblOffset.
    double m0 = dblOffset / 360 + 0.5 - longitude / 360;
    double t0 = lngFix + m0;
    bool ok = true;
    // The transit nearest to tStart, found on the body's own topocentric
    // hour angle (the Moon's parallax, up to a degree, moves its topocentric
    // right ascension with the hour angle). Each correction divides the hour
    // angle still missing by its rate, measured between the last two trials
    // once there are two: the Earth's turn less the body's own motion in
    // right ascension (some 347 degrees a day for the Moon).
    // The Sun's hour angle alone, not its whole record, for its transits.
    const bool sun = strName == "Sun";
    auto transitNear = [&](double tStart) {
      double t = tStart;
      double rate = kHourAngleRate;
      double lastT = 0, lastH = 0;
      for (int i = 0; i < 12; ++i) {
        double hourAngle = 0;
        if (sun) {
          hourAngle = sunHourAngleTopo(t);
        } else {
          udtHBody r;
          TrueHBody(strName, t, r, ok);
          if (!ok) abandon();
          hourAngle = r.HourAngTopo;
        }
        if (i > 0 && t != lastT) {
          double measured = Deg180(hourAngle - lastH) / (t - lastT);
          if (measured > 300 && measured < 400) rate = measured;  // not across a wrap of 180 degrees
        }
        lastT = t;
        lastH = hourAngle;
        double correction = Deg180(hourAngle - dblOffset) / rate;
        t -= correction;
        if (std::fabs(correction) < 1e-7) break;
      }
      return t;
    };

    double t = transitNear(t0);
    // A body slower than the Sun (the Moon) may transit twice within a day
    // or not at all: of the transits on either side, the one nearer the
    // mean Sun's is the day's.
    if (std::fabs(t - t0) > 0.49) {
      double other = transitNear(t - (t > t0 ? 1 : -1));
      if (std::fabs(other - t0) < std::fabs(t - t0)) t = other;
    }
    if (std::fabs(t - t0) > 0.6) raise("dblMeridianTime out of range: ", t, " lngFix ", lngFix);
    return t;
  });
}

// ---------------------------------------------------------------- RiseSetStep

double clsHBody::RiseSetStep(const std::string& strName, double dblEstimate, bool blnSet, bool blnApparent,
                             bool& blnNeverRises, bool& blnNeverSets, bool blnSeaLevel, double dblHorizon,
                             bool& blnValid) {
  return guarded(blnValid, kRiseSet, 0.0, [&] {
    if (!isObjectName(strName)) raise("Object name not found: ", strName);
    bool ok = true;
    double t = riseSetStep(strName, dblEstimate, blnSet, blnApparent, blnNeverRises, blnNeverSets, blnSeaLevel,
                           dblHorizon, ok);
    if (!ok) abandon();
    return t;
  });
}

// The step itself, for a name already checked.
double clsHBody::riseSetStep(const std::string& strName, double dblEstimate, bool blnSet, bool blnApparent,
                             bool& blnNeverRises, bool& blnNeverSets, bool blnSeaLevel, double dblHorizon,
                             bool& blnValid) {
  return guarded(blnValid, kRiseSet, 0.0, [&] {
    Session& s = session();
    double t = dblEstimate;
    bool ok = true;
    double theta = s.lst.FixToLST(t, ok);
    if (!ok) abandon();
    udtHBody body;
    TrueHBody(strName, t, body, ok);
    if (!ok) abandon();
    udtWeatherNow now;
    s.weather.GetWeatherNow(t, now, ok);
    if (!ok) abandon();

    double h0 = centreOnHorizon(s, *this, body, now, blnApparent, blnSeaLevel, dblHorizon, ok);
    if (!ok) abandon();

    double phi = s.udtLocation.dblLatitude;
    double delta = body.DeclTopo;
    double denominator = CosD(phi) * CosD(delta);
    double c = std::fabs(denominator) > 0 ? (SinD(h0) - SinD(phi) * SinD(delta)) / denominator
                                          : std::numeric_limits<double>::infinity();
    if (std::fabs(c) > 1000000) {
      // At a pole (or a body at the pole) the altitude does not change in a
      // day: the body stays above the horizon or below it.
      blnNeverSets = body.AltTopo >= h0;
      blnNeverRises = !blnNeverSets;
    } else {
      blnNeverRises = c > 1;
      blnNeverSets = c < -1;
    }
    // Clamped, a body that never rises converges to its upper transit (its
    // greatest altitude) and one that never sets to its lower transit.
    c = std::fmax(-1.0, std::fmin(1.0, c));
    double H0 = ACosD(c);
    double D = Deg180(body.RATopo - theta + (blnSet ? H0 : -H0));
    return t + D / 360;
  });
}

// ---------------------------------------------------------------- RiseSet

// One rise or set search on one local day: the day's bounds, the horizon
// and the steps that find the crossing.
struct clsHBody::DaySearch {
  // What a search found: the crossing, or when there is none the instant of
  // the body's least (never sets) or greatest (never rises) altitude.
  struct Found {
    double t = 0;
    bool neverRises = false, neverSets = false;
    bool converged = true;
  };

  clsHBody& hbody;
  const std::string& strName;
  bool blnSet, blnApparent, blnSeaLevel;
  double dblHorizon;
  // The local day: from the Sun's lower transit before its noon to the one
  // after (which opens the next day).
  double noon = 0, dayStart = 0, dayEnd = 0;

  // Bounds the local day that contains the solar noon of day lngFix.
  void boundDay(int32_t lngFix) {
    noon = sunTransit(lngFix, false);
    dayStart = sunTransit(lngFix, true);
    dayEnd = sunTransit(lngFix + 1, true);
    if (!(dayEnd >= noon + 0.3 && dayEnd <= noon + 0.7))
      raise("dblEndDay out of range (", dayEnd, ") dblMidEay (", noon, ")");
  }

  // The search in the order a reader follows it: corrections from noon,
  // the neighbouring day's crossing weighed near the day's edges, and a scan
  // of the day where the corrections cannot be trusted.
  Found run() {
    Found first;
    Found result = converge(intoDay(step(noon, first)));
    if (result.t < dayStart + 0.005 || result.t > dayEnd - 0.005) result = nearerOfNeighbours(result);
    if (!holds(result)) result = scanned(result);
    return result;
  }

 private:
  double sunTransit(int32_t day, bool lower) {
    bool ok = true;
    double t = hbody.sunTransit(day, lower, ok);
    if (!ok) abandon();
    return t;
  }

  // One correction of the estimate.
  double step(double estimate, Found& found) {
    bool ok = true;
    double next = hbody.riseSetStep(strName, estimate, blnSet, blnApparent, found.neverRises, found.neverSets,
                                    blnSeaLevel, dblHorizon, ok);
    if (!ok) abandon();
    return next;
  }

  // Repeated corrections until they shrink faster than a sixth of a second
  // would need, or ten were made (then the mean of the last two).
  Found converge(double start) {
    Found found;
    double t = start;
    double previousChange = 0;
    for (int n = 1;; ++n) {
      double next = step(t, found);
      double change = next - t;
      if (n >= 2 && change * change < std::fabs(previousChange) / 1728000) {
        found.t = next;
        return found;
      }
      if (n == 10) {
        found.t = (t + next) / 2;
        found.converged = false;
        return found;
      }
      previousChange = change;
      t = next;
    }
  }

  // Moves an instant by a whole day towards the local day.
  double intoDay(double t) const {
    if (t > dayEnd) return t - 1;
    if (t < dayStart) return t + 1;
    return t;
  }

  // Near the day's edges the crossing of the neighbouring day may have been
  // found: of the two, the one nearer to noon is the day's.
  Found nearerOfNeighbours(const Found& result) {
    Found other = converge(result.t > dayEnd - 0.005 ? result.t - 1 : result.t + 1);
    return std::fabs(other.t - noon) < std::fabs(result.t - noon) ? other : result;
  }

  // Degrees by which the body's centre stands above the horizon of the
  // search at t.
  double above(double t) {
    bool ok = true;
    double a = hbody.AboveHorizon(strName, t, blnApparent, ok, dblHorizon, blnSeaLevel);
    if (!ok) abandon();
    return a;
  }

  // The corrections assume that the body's altitude changes mostly with its
  // hour angle. Near the poles the Moon's declination changes faster than
  // its hour angle moves it (at 88.5 degrees north its altitude swings by 3
  // degrees a day, its declination by 5): the corrections then wander off
  // the day or do not settle, and a body judged to stay up (or down) by its
  // declination of one moment may cross the horizon later that day. True
  // when the result stands that check.
  bool holds(const Found& r) {
    if (r.t < dayStart - 0.1 || r.t > dayEnd + 0.1) return false;
    if (r.neverSets) return above(dayStart) > 0 && above(r.t) > 0 && above(dayEnd) > 0;
    if (r.neverRises) return above(dayStart) <= 0 && above(r.t) <= 0 && above(dayEnd) <= 0;
    return r.converged || std::fabs(above(r.t)) <= 0.01;
  }

  // The day searched directly, in place of a result that failed the check.
  // Without a crossing, the transit the corrections reached stands for the
  // day when they judged the body as the scan does (a body that does not
  // set keeps the lower transit they found, as elsewhere).
  Found scanned(const Found& result) {
    Found scan = scanDay();
    if (scan.neverSets == result.neverSets && scan.neverRises == result.neverRises &&
        (result.neverSets || result.neverRises) && result.t >= dayStart - 0.1 && result.t <= dayEnd + 0.1)
      scan.t = result.t;
    return scan;
  }

  // The day, and the tenth of a day on either side that a crossing may lie
  // in, searched by the body's altitude every 36 minutes: the crossing of
  // the search's sense nearest to noon, narrowed by halving to under
  // 0.01 s. Without one the body stays up for the search (never sets: the
  // instant of its least altitude, after noon for a set and before it for a
  // rise, i.e. its lower transit on the side of the day the search asks
  // about) or down (never rises: its greatest altitude).
  Found scanDay() {
    constexpr int kSamples = 48;
    std::array<double, kSamples + 1> ts{}, fs{};
    const double from = dayStart - 0.1, to = dayEnd + 0.1;
    for (int i = 0; i <= kSamples; ++i) {
      ts[i] = from + (to - from) * i / kSamples;
      fs[i] = above(ts[i]);
    }
    Found found;
    bool crossed = false;
    for (int i = 0; i < kSamples; ++i) {
      const bool crosses = blnSet ? fs[i] > 0 && fs[i + 1] <= 0 : fs[i] <= 0 && fs[i + 1] > 0;
      if (!crosses) continue;
      double a = ts[i], b = ts[i + 1];
      const bool upAtA = fs[i] > 0;
      while (b - a > 1e-7) {
        double m = (a + b) / 2;
        if ((above(m) > 0) == upAtA) a = m;
        else b = m;
      }
      double t = (a + b) / 2;
      if (!crossed || std::fabs(t - noon) < std::fabs(found.t - noon)) found.t = t;
      crossed = true;
    }
    if (crossed) return found;
    bool upSometime = false, downSometime = false;
    for (double f : fs) (f > 0 ? upSometime : downSometime) = true;
    found.neverSets = blnSet ? upSometime : !downSometime;
    found.neverRises = !found.neverSets;
    found.t = extremeInstant(ts, fs, found.neverSets);
    return found;
  }

  // The sample of least (neverSets) or greatest altitude on the side of noon
  // the search asks about, moved to the vertex of the parabola through it
  // and its neighbours.
  template <size_t N>
  double extremeInstant(const std::array<double, N>& ts, const std::array<double, N>& fs, bool neverSets) const {
    constexpr int kSamples = static_cast<int>(N) - 1;
    const double sign = neverSets ? 1 : -1;
    int k = -1;
    for (int i = 0; i <= kSamples; ++i) {
      if (neverSets && (blnSet ? ts[i] < noon : ts[i] > noon)) continue;
      if (k < 0 || sign * fs[i] < sign * fs[k]) k = i;
    }
    if (k < 0) k = kSamples / 2;  // not reached: noon lies inside the window
    double t = ts[k];
    if (k > 0 && k < kSamples) {
      // Near the pole the altitude hardly changes over the day and the
      // parabola is nearly flat: its vertex is kept within a sample of the
      // extreme one.
      double curvature = fs[k - 1] - 2 * fs[k] + fs[k + 1];
      if (curvature != 0) {
        double shift = (fs[k - 1] - fs[k + 1]) / (2 * curvature);
        t += (ts[1] - ts[0]) * std::clamp(shift, -1.0, 1.0);
      }
    }
    return t;
  }
};

double clsHBody::RiseSet(const std::string& strName, int32_t lngFix, bool blnSet, bool blnApparent,
                         bool& blnNeverRises, bool& blnNeverSets, bool& blnValid, double dblHorizon,
                         bool blnSeaLevel) {
  return guarded(blnValid, kRiseSet, 0.0, [&] {
    if (!(std::fabs(static_cast<double>(lngFix)) <= kMaxPositionFix)) raise("Magnitude of lngFix too large: ", lngFix);
    if (!isObjectName(strName)) raise("Object name not found: ", strName);
    // A crossing of the Sun, the Moon or a planet already found at this
    // place for the same day and horizon is remembered.
    forgetOtherInputs();
    const int body = fixedBodyIndex(strName);
    HBodyMemory::Event* remembered = nullptr;
    if (body >= 0) {
      auto set = (static_cast<uint32_t>(lngFix) * 4 + static_cast<uint32_t>(body) * 2 + (blnSet ? 1 : 0)) %
                 HBodyMemory::kEventSets;
      for (HBodyMemory::Event& e : memory_.events[set]) {
        if (e.blnFilled && e.lngDay == lngFix && e.intBody == body && e.blnSet == blnSet &&
            e.blnApparent == blnApparent && e.blnSeaLevel == blnSeaLevel && e.dblHorizon == dblHorizon) {
          blnNeverRises = e.blnNeverRises;
          blnNeverSets = e.blnNeverSets;
          return e.dblT;
        }
      }
      uint8_t& next = memory_.nextReplaced[set];
      remembered = &memory_.events[set][next];
      next = static_cast<uint8_t>((next + 1) % HBodyMemory::kWays);
    }

    DaySearch search{*this, strName, blnSet, blnApparent, blnSeaLevel, dblHorizon};
    search.boundDay(lngFix);
    const DaySearch::Found result = search.run();
    if (result.t < search.dayStart - 0.1 || result.t > search.dayEnd + 0.1)
      raise("dblRiseSetTime (", result.t, ") out of range (", search.dayStart, " - ", search.dayEnd, ")");
    blnNeverRises = result.neverRises;
    blnNeverSets = result.neverSets;
    if (remembered) {
      *remembered = HBodyMemory::Event{true, static_cast<int16_t>(body), lngFix, blnSet, blnApparent, blnSeaLevel,
                                       dblHorizon, result.t, result.neverRises, result.neverSets};
    }
    return result.t;
  });
}

double clsHBody::AboveHorizon(const std::string& strName, double dblFix, bool blnApparent, bool& blnValid,
                              double dblHorizon, bool blnSeaLevel) {
  return guarded(blnValid, kRiseSet, 0.0, [&] {
    bool ok = true;
    udtHBody b;
    TrueHBody(strName, dblFix, b, ok);
    if (!ok) abandon();
    udtWeatherNow now;
    session().weather.GetWeatherNow(dblFix, now, ok);
    if (!ok) abandon();
    double h0 = centreOnHorizon(session(), *this, b, now, blnApparent, blnSeaLevel, dblHorizon, ok);
    if (!ok) abandon();
    return b.AltTopo - h0;
  });
}

double clsHBody::CrossingBeyond(const std::string& strName, int32_t lngFix, bool blnSet, double dblSunEvent,
                                bool blnApparent, bool& blnNeverRises, bool& blnNeverSets, bool& blnValid,
                                double dblHorizon) {
  return guarded(blnValid, kRiseSet, 0.0, [&] {
    bool ok = true;
    double t = RiseSet(strName, lngFix, blnSet, blnApparent, blnNeverRises, blnNeverSets, ok, dblHorizon);
    if (!ok) abandon();
    const bool beyond = blnSet ? t > dblSunEvent : t < dblSunEvent;
    if (beyond) return t;
    // The crossing of the local day came before sunset (after sunrise): the
    // body, up at the Sun's event, crosses on the neighbouring day.
    t = RiseSet(strName, blnSet ? lngFix + 1 : lngFix - 1, blnSet, blnApparent, blnNeverRises, blnNeverSets, ok,
                dblHorizon);
    if (!ok) abandon();
    return t;
  });
}

// The Sun's upper transit on day lngDay, or (blnLower) the lower transit
// that opens it, as RiseSet bounds its day: each found once per day and
// place. The lower transit that closes a day is the one that opens the
// next; found from either day it is the same instant to far below a
// millisecond.
double clsHBody::sunTransit(int32_t lngDay, bool blnLower, bool& blnValid) {
  auto& slots = blnLower ? memory_.lowerTransits : memory_.noons;
  HBodyMemory::Transit& slot = slots[static_cast<uint32_t>(lngDay) % HBodyMemory::kDays];
  if (slot.blnFilled && slot.lngDay == lngDay) {
    blnValid = true;
    return slot.dblT;
  }
  double t = Meridian("Sun", lngDay, blnLower ? -180 : 0, blnValid);
  if (blnValid) slot = HBodyMemory::Transit{true, lngDay, t};
  return t;
}

// ---------------------------------------------------------------- Sunrise and sunset

namespace {

class SunEvents : public SessionBound {
 public:
  using SessionBound::SessionBound;

  bool find(int32_t lngDay, bool blnSet, double& dblInstant) {
    bool blnValid = true;
    guardedVoid(blnValid, kRiseSet, [&] {
      Session& s = session();
      bool ok = true, neverRises = false, neverSets = false;
      double t = s.hbody.RiseSet("Sun", lngDay, blnSet, true, neverRises, neverSets, ok, 0, false);
      if (!ok) abandon();
      if (neverRises || neverSets) {
        udtDate date;
        s.dateText.ToDate(lngDay, dtGregorian, date, ok);
        std::string day = ok ? s.dateText.WriteDate(date, ok, true, false, false) : std::string();
        if (!ok) day = generalNumber(lngDay);
        raise(blnSet ? "No sunset at this location on " : "No sunrise at this location on ", day);
      }
      dblInstant = t;
    });
    return blnValid;
  }
};

}  // namespace

bool SunRiseSet(Session& session, int32_t lngDay, bool blnSet, double& dblInstant) {
  return SunEvents(session).find(lngDay, blnSet, dblInstant);
}

bool SunsetOnDay(Session& session, int32_t lngDay, double& dblSunset) {
  return SunRiseSet(session, lngDay, true, dblSunset);
}

// ---------------------------------------------------------------- Reports

namespace {

// The three horizons of the reports.
struct Horizon {
  bool blnApparent;
  bool blnSeaLevel;
};
constexpr std::array<Horizon, 3> kReportHorizons{{{false, false}, {true, false}, {true, true}}};

}  // namespace

std::string RiseSetReports::RiseReport(const std::string& strName, bool& blnValid) {
  return report(strName, false, blnValid);
}

std::string RiseSetReports::SetReport(const std::string& strName, bool& blnValid) {
  return report(strName, true, blnValid);
}

std::string hebrewBodyName(const std::string& strName) {
  static const std::array<std::pair<const char*, const char*>, 7> names{{{"Sun", "השמש"},
                                                                          {"Moon", "הירח"},
                                                                          {"Mercury", "כוכב חמה"},
                                                                          {"Venus", "נוגה"},
                                                                          {"Mars", "מאדים"},
                                                                          {"Jupiter", "צדק"},
                                                                          {"Saturn", "שבתאי"}}};
  for (const auto& [english, hebrew] : names)
    if (strName == english) return hebrew;
  return strName;
}

std::string RiseSetReports::eventText(const std::string& strName, bool blnSet, bool blnApparent, bool blnSeaLevel,
                                      bool blnFound) const {
  const Session& s = session();
  std::string event = strName + (blnSet ? "set" : "rise");
  std::string where = !blnApparent ? "" : blnSeaLevel ? " over sea level horizon" : " over flat horizon";
  std::string english = (blnFound ? "" : "No ") + std::string(blnApparent ? "apparent " : "geometric ") + event + where;
  if (blnFound) english[0] = blnApparent ? 'A' : 'G';
  std::string hebrewEvent = std::string(blnSet ? "שקיעה" : "זריחה") + (blnApparent ? " נראית" : " גאומטרית");
  std::string hebrewWhere = !blnApparent ? "" : blnSeaLevel ? " מעל אופק פני הים" : " מעל אופק מישורי";
  std::string hebrew = (blnFound ? "" : "אין ") + hebrewEvent + " של " + hebrewBodyName(strName) + hebrewWhere;
  return s.main.Lang(english, hebrew);
}

std::string RiseSetReports::report(const std::string& strName, bool blnSet, bool& blnValid) {
  Session& s = session();
  blnValid = true;
  double instant = s.dblFixDate + s.dblFixTime;
  double day = s.dateText.FixedToDay(instant, blnValid);
  if (!blnValid) return {};
  std::string text;
  std::string lastDateText;
  for (const Horizon& horizon : kReportHorizons) {
    bool neverRises = false, neverSets = false;
    double t = s.hbody.RiseSet(strName, static_cast<int32_t>(day), blnSet, horizon.blnApparent, neverRises,
                               neverSets, blnValid, 0, horizon.blnSeaLevel);
    if (!blnValid) return {};
    if (!text.empty()) text += kLineBreak;
    std::string when = s.dateText.strMoment(t, lastDateText, false, false, false);
    if (neverSets || neverRises) {
      // A body that stays up (or down) all day: when it comes nearest to
      // the horizon instead.
      text += eventText(strName, neverSets, horizon.blnApparent, horizon.blnSeaLevel, false);
      text += kLineBreak;
      text += neverSets ? s.main.Lang("Minimum altitude at ", "גובה מזערי ב-")
                        : s.main.Lang("Maximum altitude at ", "גובה מרבי ב-");
      text += when;
    } else {
      text += eventText(strName, blnSet, horizon.blnApparent, horizon.blnSeaLevel, true) + " " + when;
    }
    // Over a lower horizon a body that never sets stays up all the more.
    if (neverSets) break;
  }
  return text;
}

}  // namespace nemora
