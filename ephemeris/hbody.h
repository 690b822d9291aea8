// Positions of the Sun, the Moon, the five naked-eye planets and the
// catalogued stars: geocentric ecliptic coordinates from the series and the
// catalogue, then equatorial, horizon, topocentric and refracted coordinates,
// elongations, apparent size and the illuminated part.
//
// Angles are in degrees, distances in km, instants are fixed day numbers with
// their day fraction in UT. Dynamical time comes from Delta T.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/value_reader.h"
#include "base/session_bound.h"
#include "ephemeris/hbody_data.h"
#include "ephemeris/hbody_memory.h"
#include "location/weather.h"
#include "base/visibility_types.h"
#include "base/criterion_types.h"

namespace nemora {

// Largest magnitude of an instant the position routines accept.
inline constexpr double kMaxPositionFix = 10592252;
// Distance (km) beyond which a body is a star: no topocentric sections.
inline constexpr double kStarDistance = 10000000000.0;

// Everything computed for one body at one instant.
struct udtHBody {
  double EclLong = 0;         // geocentric ecliptic longitude of date, [0, 360)
  double EclDecl = 0;         // geocentric ecliptic latitude, [-90, 90]
  double EclElong = 0;        // EclLong minus the Sun's, (-180, 180]
  double EclLongTopo = 0;     // topocentric ecliptic longitude, [0, 360)
  double EclDeclTopo = 0;     // topocentric ecliptic latitude, [-90, 90]
  double EclElongTopo = 0;    // EclLongTopo minus the Sun's, (-180, 180]
  double DistanceGeo = 0;     // from the Earth's centre, km
  double DistanceTopo = 0;    // from the observer, km
  double RAGeo = 0;           // geocentric right ascension, [0, 360)
  double RATopo = 0;          // topocentric right ascension, [0, 360)
  double DeclGeo = 0;         // geocentric declination
  double DeclTopo = 0;        // topocentric declination
  double HourAngGeo = 0;      // geocentric hour angle, (-180, 180]
  double HourAngTopo = 0;     // topocentric hour angle, (-180, 180]
  double AltGeo = 0;          // geocentric altitude
  double AzGeo = 0;           // geocentric azimuth from north through east, [0, 360)
  double AltTopo = 0;         // topocentric airless altitude
  double AzTopo = 0;          // topocentric azimuth, [0, 360)
  double AltRefr = 0;         // topocentric altitude after refraction
  bool RefrFlag = false;      // refraction could be computed at this altitude
  double Radius = 0;          // topocentric angular semi-diameter
  double Phase = 0;           // illuminated fraction of the disc (1 for the Sun and stars)
  double WidthTopo = 0;       // topocentric width of the lit part, degrees
  double ElongationGeo = 0;   // geocentric angular distance from the Sun
  double ElongationTopo = 0;  // topocentric angular distance from the Sun
  double Fix = 0;             // the instant the record was computed for
};

// The fields of a record by name, in record order (RefrFlag as 1 or 0).
std::vector<std::pair<std::string, double>> hbodyFields(const udtHBody& r);

// The near-horizon refraction table with its spline, shared by sessions.
struct RefractionTable {
  std::vector<double> dblAlt;   // true altitudes, rising, degrees
  std::vector<double> dblRefr;  // refraction at each, degrees (1013.25 hPa, 0 C)
  std::vector<double> dblY2;    // second derivatives of the natural spline
};

// Heliocentric positions from the series of each planet (and the Earth).
class clsPlanet : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Heliocentric ecliptic longitude and latitude of date (degrees) and
  // radius vector (km) of "Mercury", "Venus", "Earth", "Mars", "Jupiter" or
  // "Saturn", with the planet's last-instant cache.
  void HelioPlanet(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                   bool& blnValid);
  // The same from one series record, without a cache.
  void HelioPlanet2(const udtPlanetSeries& udtSeries, double dblFix, double& dblL, double& dblB, double& dblR,
                    bool& blnValid);
  // HelioPlanet for the light-time passes of a planet: the first keeps the
  // sine and cosine of every term's argument; the second finds the planet
  // (or the Earth) at a nearby instant from them by angle addition.
  void HelioPlanetKeep(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                       bool& blnValid);
  void HelioPlanetNear(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                       bool& blnValid);

  // Forgets every kept instant (the data folder or Delta T changed).
  void forgetInstants();

 private:
  struct Slot {
    bool blnFilled = false;
    double dblFix = 0, dblL = 0, dblB = 0, dblR = 0;
  };
  std::array<Slot, 6> slots_{};
  // The series of each planet, resolved once for the session's data folder.
  HeldSeries held_;
  const udtPlanetSeries& series(int intSlot, const std::string& strName);
};

class clsMoon : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The Moon's mean longitude L' (degrees, [0, 360)).
  double MeanMoon(double dblFix, bool& blnValid);

  // The bright limb of the Moon at dblFix: the position angle of the centre
  // of the lit part from the zenith direction (dblAngle, -180 to 180), the arc
  // of the limb that is lit (dblSubtend), and the altitude and azimuth of the
  // mid-crescent point (refraction added when blnRefracted).
  void BrightLimb(double dblFix, bool blnRefracted, double& dblAngle, double& dblSubtend, double& dblAltitude,
                  double& dblAzimuth, bool& blnValid);

  // Crescent criteria (visibility/criterion.cpp).
  //
  // Fills the record with the fields of its named criterion; the type is
  // first taken from the user criterion unless blnKeepType. The user
  // criterion (type 0) is copied whole.
  void SetCriterion(udtCriterion& udtCrit, bool blnKeepType, bool& blnValid);
  // Evaluates the criterion for the evening (or morning) of civil day lngFix
  // at the current place: the moment, the measures, V, z and s, and the
  // geometry at the moment. blnAllMeasures adds the sky brightness and the
  // magnitude when the criterion does not need them.
  void Criterion(int32_t lngFix, bool blnEvening, const udtCriterion& udtCrit, udtCriterionResult& result,
                 bool& blnValid, bool blnAllMeasures = false);
  // The instant near dblStart at which the Moon's ecliptic elongation from
  // the Sun (geocentric, or topocentric) equals dblPhase degrees (0 the
  // conjunction, 90 first quarter, 180 full, -90 last quarter).
  double FindPhase(double dblStart, double dblPhase, bool blnTopocentric, bool& blnValid);
  // True when blnA is, otherwise blnB (a body that never sets is up).
  static bool IsUp(bool blnA, bool blnB) { return blnA || blnB; }
};

class clsSun : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The Sun's geometric mean longitude (degrees, [0, 360)).
  double SunMeanLongitude(double dblFix, bool& blnValid);

  // "Next vernal equinox " and the date and time text of the first instant
  // after dblFix at which the Sun's declination passes 0 northwards; an
  // empty text when a Sun position could not be computed.
  std::string NextVernalEquinox(double dblFix, bool& blnValid);
};

class GeocentricTable;

class clsHBody : public SessionBound {
 public:
  explicit clsHBody(Session& session) : SessionBound(session), planet(session), moon(session), sun(session) {}

  clsPlanet planet;
  clsMoon moon;
  clsSun sun;

  // Julian centuries of dynamical time from J2000.0.
  double ToJ2000(double dblFix, bool& blnValid);
  // Mean obliquity of the ecliptic (degrees) at T centuries from J2000.0.
  double Obliquity(double dblT, bool& blnValid);

  // The whole record of a body at an instant. The Sun's and the Moon's last
  // records are kept for their instant (but never reused for instant 0) and
  // the session's inputs.
  void TrueHBody(const std::string& strName, double dblFix, udtHBody& udtBody, bool& blnValid);

  // The geocentric ecliptic longitude and latitude of date and the distance
  // of the Sun (or the Moon) at an instant from their series (EclLong,
  // EclDecl and DistanceGeo of the record; nothing else is filled).
  void SeriesEcliptic(bool blnMoon, double dblFix, udtHBody& udtBody, bool& blnValid);
  // From now on the Sun's and the Moon's geocentric ecliptic coordinates
  // come from the table within its span (nullptr: from the series again).
  // What was kept from the positions before is forgotten.
  void UseGeocentricTable(std::shared_ptr<const GeocentricTable> table);
  const GeocentricTable* geocentricTable() const { return geocentric_.get(); }

  // Equatorial, horizon, topocentric and refracted coordinates from the
  // geocentric ecliptic fields of the record, for the session's position and
  // the weather at the instant.
  void ConvCoords(udtHBody& udtBody, double dblFix, bool& blnValid);

  // Refraction (degrees) to add to a true altitude (blnTrue) or belonging to
  // an apparent one; blnRefrFlag is cleared (and 0 returned) below the lowest
  // altitude at which refraction is computed.
  double Refract(double dblAltitude, bool blnTrue, const udtWeatherNow& udtNow, bool& blnRefrFlag, bool& blnValid);

  // Rise, set and meridian transit on a local day (rise_set.cpp).
  //
  // The instant near fixed day lngFix at which the body's topocentric hour
  // angle equals dblOffset: 0 the upper transit, -180 and +180 the lower
  // transits before and after it.
  double Meridian(const std::string& strName, int32_t lngFix, double dblOffset, bool& blnValid);
  // The rise (blnSet false) or set of the body within the local day that
  // contains the solar noon of fixed day lngFix. Horizons: geometric (not
  // blnApparent: the centre at true altitude dblHorizon), flat (blnApparent:
  // the upper limb at apparent altitude dblHorizon) or sea level (blnApparent
  // and blnSeaLevel: the upper limb on the dip-depressed sea horizon). When
  // the body never rises (or never sets) that day, the flag says so and the
  // result is the instant of its greatest (least) altitude.
  double RiseSet(const std::string& strName, int32_t lngFix, bool blnSet, bool blnApparent, bool& blnNeverRises,
                 bool& blnNeverSets, bool& blnValid, double dblHorizon = 0, bool blnSeaLevel = false);
  // Degrees by which the body's centre stands above the horizon of a search
  // (as RiseSet's horizons) at dblFix: positive while the body is up.
  double AboveHorizon(const std::string& strName, double dblFix, bool blnApparent, bool& blnValid,
                      double dblHorizon = 0, bool blnSeaLevel = false);
  // The body's setting that ends the evening of day lngFix (blnSet) or its
  // rising that opens the morning (not blnSet), for a body that is up at
  // dblSunEvent (that day's sunset or sunrise): the first set after sunset,
  // on the next local day when the body sets after local midnight; the last
  // rise before sunrise, on the day before when it rose before midnight.
  double CrossingBeyond(const std::string& strName, int32_t lngFix, bool blnSet, double dblSunEvent,
                        bool blnApparent, bool& blnNeverRises, bool& blnNeverSets, bool& blnValid,
                        double dblHorizon = 0);
  // One correction of a rise or set estimate: the instant at which the
  // body, moving as at dblEstimate, reaches the horizon.
  double RiseSetStep(const std::string& strName, double dblEstimate, bool blnSet, bool blnApparent,
                     bool& blnNeverRises, bool& blnNeverSets, bool blnSeaLevel, double dblHorizon, bool& blnValid);

  // Magnitudes and the probability of visibility (visibility/photometry.cpp,
  // visibility/magnitude.cpp).
  //
  // Foveal, peripheral and total magnitude above the atmosphere of the body
  // whose record udtBody is, at dblFix: the Sun dimmed by the Moon's disc,
  // the Moon from its phase curve (MoonMag.txt), the planets from their
  // phase laws (Saturn with its rings), a star from its catalogued V.
  void Magnitude(const std::string& strHBody, const udtHBody& udtBody, double dblFix, double& dblFovealMag,
                 double& dblPeriphMag, double& dblTotalMag, bool& blnValid);
  // Probability (0 to 1) that the observer of the session sees the body at
  // dblFix; 0 when the body is below the horizon, or the Moon nearer the Sun
  // than the Danjon limit.
  double HBProbVis(const std::string& strHBody, double dblFix, bool& blnValid);
  // The body's intensity over the eye's threshold against the sky there, at
  // the expected aerosol coefficient (0 where HBProbVis is 0): the chance of
  // seeing the body rises and falls with it.
  double SightContrast(const std::string& strHBody, double dblFix, bool& blnValid);
  // True when the body stands east of the Sun (an evening object) at the
  // Sun's transit on day lngFix.
  bool EveningSight(const std::string& strHBody, int32_t lngFix, bool& blnValid);
  // The instant between dblTMin and dblTMax at which the probability reaches
  // dblPTarget (a target above 1: the instant of greatest probability),
  // narrowed until neighbouring probabilities differ by at most dblLim.
  void FindP(const std::string& strHBody, double dblTMin, double dblTMax, double dblPTarget, double dblLim,
             double& dblFindT, double& dblFindP, bool& blnValid);
  // The visibility table of the evening or morning of day lngFix: the
  // evening while the body is east of the Sun that day (EveningSight).
  void Visibility(const std::string& strHBody, int32_t lngFix, bool blnFlag1, bool blnFlag2, bool blnFlag3,
                  udtVisibility& udtVis, bool& blnValid);
  // The same for the evening (blnEvening) or the morning asked for.
  void VisibilityOn(const std::string& strHBody, int32_t lngFix, bool blnEvening, bool blnFlag1, bool blnFlag2,
                    bool blnFlag3, udtVisibility& udtVis, bool& blnValid);
  // The interval a visibility search covers on the evening (morning) of day
  // lngFix: from the apparent sunset to the body's setting, or from its
  // rising to sunrise (the Sun: from sunrise to sunset). v.bar says when
  // the body is not in that evening's (morning's) sky at all: no sunset
  // (sunrise), a body that does not rise, or one that is down at sunset
  // (sunrise); the interval is then empty.
  void ObservingInterval(const std::string& strHBody, int32_t lngFix, bool blnEvening, udtVisibility& v,
                         bool& blnValid);
  // The main window's "Magnitude" report of the body at the input instant.
  std::string MagnitudeReport(const std::string& strHBody, bool& blnValid);

  // Forgets what was kept for other inputs than the session's: what depends
  // on the instant alone when the data folder or the shift of Delta T
  // differs, the Sun's and the Moon's records and what was found per day
  // when the place or the weather does too. Every routine that reads the
  // memory calls it first, so no caller ever marks anything stale.
  void forgetOtherInputs();

 private:
  // What the probability of seeing a body at an instant is computed from:
  // where the eye looks, the ground magnitudes and the aerosol extinction.
  struct SightInputs {
    double altitude = 0, azimuth = 0;
    double foveal = 0, peripheral = 0;
    double KA = 0, XA = 0;
  };
  // False when there is nothing to see (body down, crescent below the
  // Danjon limit); raises as HBProbVis does.
  bool sightInputs(const std::string& strHBody, double dblFix, SightInputs& in);
  void sunBranch(double dblFix, udtHBody& r);
  void moonBranch(double dblFix, udtHBody& r);
  void planetBranch(const std::string& strName, double dblFix, double dblDiameter, udtHBody& r);
  void starBranch(const udtStar& star, double dblFix, udtHBody& r);
  void elongations(const udtHBody& sun, udtHBody& r);
  udtHBody placeAndElongations(double dblFix, udtHBody& r);
  double refractTrue(double h, const RefractionTable* table);
  const RefractionTable& refractionTable();

  // The Sun's and the Moon's last records at this place.
  static constexpr size_t kRecentRecords = 8;
  RecentRecords<udtHBody, kRecentRecords> recentSuns_, recentMoons_;

  void sunEcliptic(double dblFix, udtHBody& r);
  void moonEcliptic(double dblFix, udtHBody& r);
  bool tableEcliptic(bool blnMoon, double dblFix, udtHBody& r);
  // The Sun's topocentric hour angle at an instant, as its record gives it,
  // without the rest of the record (the transits that bound a day).
  double sunHourAngleTopo(double dblFix);
  // The geocentric table in use (UseGeocentricTable), shared by the sessions
  // of one piece of work.
  std::shared_ptr<const GeocentricTable> geocentric_;

  // What this session's searches already know (hbody_memory.h).
  HBodyMemory memory_;
  void holdTables();
  const MoonTables& moonTables();
  const StarCatalogue& starCatalogue();
  // A valid body name (the catalogue loaded first, as the loader does).
  bool isObjectName(const std::string& strName);
  const HBodyMemory::Observer& observerTerms();
  void obliquityTerms(double dblT);
  double riseSetStep(const std::string& strName, double dblEstimate, bool blnSet, bool blnApparent,
                     bool& blnNeverRises, bool& blnNeverSets, bool blnSeaLevel, double dblHorizon, bool& blnValid);
  double sunTransit(int32_t lngDay, bool blnLower, bool& blnValid);
  // The part of forgetOtherInputs that concerns the instant alone.
  void forgetOtherInstantInputs();
  // One rise or set search on one local day (rise_set.cpp).
  struct DaySearch;
};

// The instant at which the Moon's series are evaluated for the instant dblFix.
double moonInstant(double dblFix);

// The near-horizon refraction table of a file (read once per process).
const RefractionTable& loadRefractionTable(Session& session);
// Reads the sixteen altitude-refraction pairs from an open file and prepares
// the spline; a missing, invalid or non-rising value raises the reading error
// (source "cHBody.Refract").
RefractionTable readRefractionTable(Session& session, ValueReader& file);

}  // namespace nemora
