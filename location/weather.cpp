#include "location/weather.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "base/numeric.h"
#include "base/session.h"
#include "ephemeris/hbody.h"
#include "location/location_data.h"
#include "location/place_grid.h"

namespace nemora {

namespace {

constexpr const char* kNowSource = "frmWeather.GetWeatherNow";
constexpr const char* kWriteSource = "frmWeather.WriteWeather";
// Largest accepted magnitude of an instant, in days.
constexpr double kMaxFix = 10592252;
// Scale height of the pressure, metres: pressure falls by e every 7143 m.
constexpr double kPressureScaleHeight = 7143;
// km per degree of the place distance, and the distance of an antipode.
constexpr double kKmPerDegree = 117.48;
constexpr double kAntipodeDistance = 20015.19;
// The daily cycle peaks at 14 h 32 min local mean solar time (218 degrees
// after midnight); the annual cycle when the Sun's mean longitude is 128
// degrees (early August).
constexpr double kDailyPeak = 218;
constexpr double kAnnualPeak = 128;

// A quantity with mean, daily and annual ranges at cycle factors D and A
// (each in [-1/2, 1/2]).
double cycled(double mean, double daily, double annual, double D, double A) { return mean + daily * D + annual * A; }
double cycled(const udtClimate& c, double D, double A) { return cycled(c.dblMean, c.dblDaily, c.dblAnnual, D, A); }

}  // namespace

double dblHeightTempAdj(double h, double h0) {
  // Lapse rate of the troposphere, degrees per metre.
  constexpr double kLapse = -0.0065;
  const double tropopause = kLapse * (10000 - h0);
  if (h < 10000) return kLapse * (h - h0);
  if (h < 20000) return tropopause;
  if (h < 45000) return tropopause + 0.002 * (h - 20000);
  if (h < 50000) return tropopause + 50;
  if (h < 90000) return tropopause + 50 - 0.00125 * (h - 50000);
  return tropopause + 0.001 * (h - 90000);
}

double weatherPlaceDistance(double dblLat, double dblLon, double dblLatN, double dblLonN) {
  double c = SinD(dblLat) * SinD(dblLatN) + CosD(dblLat) * CosD(dblLatN) * CosD(dblLonN - dblLon);
  if (c > 0.999995) {
    // Near places: the arccosine loses its precision, so measure on the plane.
    // The longitude difference is taken across the date line where shorter.
    double east = CosD((dblLat + dblLatN) / 2) * Deg180(dblLon - dblLonN);
    return kKmPerDegree * std::sqrt(Square(east) + Square(dblLatN - dblLat));
  }
  if (c > -1) return kKmPerDegree * ACosD(c);
  return kAntipodeDistance;
}

double WeatherModel::annualFactor(double dblFix, bool& blnValid) {
  double L = session().hbody.sun.SunMeanLongitude(dblFix, blnValid);
  if (!blnValid) return 0;
  return CosD(L - kAnnualPeak) / 2;
}

const udtNeighborhood& WeatherModel::nearestNeighborhood() {
  const Session& s = session();
  const udtPosition pos = s.udtLocation.position();
  const std::vector<udtCountry>& countries = s.locations.udtCountries();
  // The memory also names the database its indices belong to, and they are
  // checked, so a database loaded since cannot send them out of bounds.
  auto remembered = [&] {
    const NearestPlace& n = nearest_;
    return n.database == &countries && n.dblLatitude == pos.dblLatitude && n.dblLongitude == pos.dblLongitude &&
           n.dblHeight == pos.dblHeight && n.intCountry < static_cast<int>(countries.size()) &&
           n.intCity < static_cast<int>(countries[n.intCountry].udtCities.size()) &&
           n.intNeighborhood <
               static_cast<int>(countries[n.intCountry].udtCities[n.intCity].udtNeighborhoods.size());
  };
  if (!remembered()) {
    NearestPlace found;
    if (!nearestPlaceByCells(countries, pos.dblLatitude, pos.dblLongitude, found.intCountry, found.intCity,
                             found.intNeighborhood))
      raise("No neighborhood in the location database for the Local weather basis");
    found.dblLatitude = pos.dblLatitude;
    found.dblLongitude = pos.dblLongitude;
    found.dblHeight = pos.dblHeight;
    found.database = &countries;
    nearest_ = found;
  }
  return countries[nearest_.intCountry].udtCities[nearest_.intCity].udtNeighborhoods[nearest_.intNeighborhood];
}

void WeatherModel::GetWeatherNow(double dblFix, udtWeatherNow& udtNow, bool& blnValid) {
  guardedVoid(blnValid, kNowSource, [&] {
    const Session& s = session();
    const udtPosition pos = s.udtLocation.position();
    // Written so that NaN fails each test too.
    if (!(std::fabs(dblFix) <= kMaxFix)) raise("Magnitude of dblFix too large: ", dblFix);
    if (!(pos.dblHeight >= -1000 && pos.dblHeight <= 100000)) raise("Invalid udtPosition.dblHeight: ", pos.dblHeight);
    if (!(pos.dblLatitude >= -90 && pos.dblLatitude <= 90))
      raise("Invalid udtPosition.dblLatitude: ", pos.dblLatitude);
    if (!(pos.dblLongitude > -180 && pos.dblLongitude <= 180))
      raise("Invalid udtPosition.dblLongitude: ", pos.dblLongitude);

    // Cycle factors, each in [-1/2, 1/2]: the year by the Sun's mean
    // longitude, the day by local mean solar time.
    bool ok = false;
    const double A = annualFactor(dblFix, ok);
    if (!ok) abandon();
    const double D = CosD(360 * FracPart(dblFix) + s.udtLocation.dblLongitude - kDailyPeak) / 2;

    const udtWeather& w = s.udtWeather;
    udtWeatherNow now;
    switch (w.udtBasis) {
      case kWeatherFixed:
        now.dblTemperature = w.dblTempMean;
        now.dblPressure = w.dblPressMean;
        now.dblHumidity = w.dblHumMean;
        break;
      case kWeatherManual:
        now.dblTemperature = cycled(w.dblTempMean, w.dblTempDaily, w.dblTempAnnual, D, A);
        now.dblPressure = cycled(w.dblPressMean, w.dblPressDaily, w.dblPressAnnual, D, A);
        now.dblHumidity = cycled(w.dblHumMean, w.dblHumDaily, w.dblHumAnnual, D, A);
        break;
      case kWeatherGlobal: {
        // A climate of latitude and height alone: cooler towards the poles
        // and upwards, seasons that grow with latitude and are reversed south
        // of the equator, and lower pressure over the southern ocean.
        const double lat = pos.dblLatitude;
        now.dblHumidity = 50;
        double p0 = 1010 + 10 * SinD(2 * lat);
        if (lat < -45) p0 += (lat + 45) / 3;
        now.dblPressure = p0 / std::exp(pos.dblHeight / kPressureScaleHeight);
        now.dblTemperature = 27 - 0.467 * std::fabs(lat) + dblHeightTempAdj(pos.dblHeight, 0) +
                             50 * SinD(s.udtLocation.dblLatitude) * A + 2 * D;
        break;
      }
      case kWeatherLocal: {
        // The climate of the nearest place, carried to the observer's height.
        const udtNeighborhood& n = nearestNeighborhood();
        now.dblHumidity = cycled(n.udtHumidity, D, A);
        now.dblPressure = cycled(n.udtPressure, D, A) / std::exp((pos.dblHeight - n.dblHeight) / kPressureScaleHeight);
        now.dblTemperature = cycled(n.udtTemperature, D, A) + dblHeightTempAdj(pos.dblHeight, n.dblHeight);
        break;
      }
      default:
        raise("Invalid weather basis: ", w.udtBasis);
    }

    if (!(now.dblHumidity >= 0 && now.dblHumidity <= 100)) raise("Invalid humidity: ", now.dblHumidity);
    if (!(now.dblPressure >= 0 && now.dblPressure <= 1200)) raise("Invalid pressure: ", now.dblPressure);
    if (!(now.dblTemperature >= -120 && now.dblTemperature <= 70)) raise("Invalid temperature: ", now.dblTemperature);
    udtNow = now;
  });
}

std::string WeatherModel::WriteWeather(const udtWeatherNow& udtNow, bool& blnValid) {
  return guarded(blnValid, kWriteSource, std::string(), [&] {
    const double T = udtNow.dblTemperature, P = udtNow.dblPressure, H = udtNow.dblHumidity;
    if (!(T >= -162 && T <= 70)) raise("Invalid udtWeatherNow.dblTemperature: ", T);
    if (!(P >= 0 && P <= 1550)) raise("Invalid udtWeatherNow.dblPressure: ", P);
    if (!(H >= 0 && H <= 100)) raise("Invalid udtWeatherNow.dblHumidity: ", H);
    const int32_t basis = session().udtWeather.udtBasis;
    if (basis < 0 || basis >= static_cast<int32_t>(kWeatherBasisNames.size()))
      raise("Invalid udtWeather.udtBasis: ", basis);
    return concat("Basis ", kWeatherBasisNames[static_cast<size_t>(basis)], " ", "T ", formatNumber(T, "###.0"),
                  " C, ", "P ", formatNumber(P, "####"), " mbar, ", "RH ", formatNumber(H, "###"), " %");
  });
}

std::string WeatherModel::WeatherLabel(double dblFix, bool& blnValid) {
  Session& s = session();
  GetWeatherNow(dblFix, s.udtWeatherNow, blnValid);
  if (!blnValid) return {};
  std::string text = WriteWeather(s.udtWeatherNow, blnValid);
  if (!blnValid) return {};
  return "Weather " + text;
}

}  // namespace nemora
