#include "app/session.h"

#include <cstdlib>

#include "base/number_format.h"
#include "ephemeris/rise_set.h"

namespace nemora {

#ifndef NEMORA_SOURCE_DATA_DIR
#define NEMORA_SOURCE_DATA_DIR "data"
#endif

std::filesystem::path defaultDataDir() {
  if (const char* env = std::getenv("NEMORA_DATA"); env != nullptr && *env != '\0') return env;
  return NEMORA_SOURCE_DATA_DIR;
}

// Every engine of one session, each bound to it.
struct Session::Engines {
  explicit Engines(Session& s)
      : deltaT(s),
        jde(s),
        gregorian(s),
        julian(s),
        hebrew(s),
        islamic(s),
        jd(s),
        mjd(s),
        dms(s),
        utc(s),
        localTime(s),
        meanSolar(s),
        gmst(s),
        lst(s),
        trueSolar(s),
        seasonal(s),
        timeText(s),
        dateText(s),
        conversions(s),
        locations(s),
        currentLocation(s),
        weather(s),
        hbody(s),
        sky(s) {}

  clsDeltaT deltaT;
  clsJDE jde;
  clsGregorian gregorian;
  clsJulian julian;
  clsHebrew hebrew;
  clsIslamic islamic;
  clsJD jd;
  clsMJD mjd;
  clsDMS dms;
  clsUTC utc;
  clsLocalTime localTime;
  clsMeanSolar meanSolar;
  clsGMST gmst;
  clsLST lst;
  clsTrueSolar trueSolar;
  clsSeasonal seasonal;
  TimeText timeText;
  DateText dateText;
  Conversions conversions;
  clsLocationData locations;
  CurrentLocation currentLocation;
  WeatherModel weather;
  clsHBody hbody;
  clsSky sky;
};

Session::Session(MessageSink& sink)
    : messages(sink),
      engines_(std::make_unique<Engines>(*this)),
      deltaT(engines_->deltaT),
      jde(engines_->jde),
      gregorian(engines_->gregorian),
      julian(engines_->julian),
      hebrew(engines_->hebrew),
      islamic(engines_->islamic),
      jd(engines_->jd),
      mjd(engines_->mjd),
      dms(engines_->dms),
      utc(engines_->utc),
      localTime(engines_->localTime),
      meanSolar(engines_->meanSolar),
      gmst(engines_->gmst),
      lst(engines_->lst),
      trueSolar(engines_->trueSolar),
      seasonal(engines_->seasonal),
      timeText(engines_->timeText),
      dateText(engines_->dateText),
      conversions(engines_->conversions),
      locations(engines_->locations),
      currentLocation(engines_->currentLocation),
      weather(engines_->weather),
      hbody(engines_->hbody),
      sky(engines_->sky) {
  dataDir = defaultDataDir();
  workDir = std::filesystem::current_path();
  std::string pattern = "#########0";
  strFormats[0] = pattern;
  pattern += '.';
  for (size_t decimals = 1; decimals < strFormats.size(); ++decimals) {
    pattern += '0';
    strFormats[decimals] = pattern;
  }
  // The decimal separator is the second character of 0 written as "0.0".
  strDecimal = formatNumber(0, "0.0").substr(1, 1);
  // Hebrew and Islamic days run from the Sun's setting at the current
  // location.
  sunset = [this](int32_t lngDay, double& dblSunset) { return SunsetOnDay(*this, lngDay, dblSunset); };
}

Session::~Session() = default;

void Session::shareLoadedData(const Session& other) { locations.shareFrom(other.locations); }

}  // namespace nemora
