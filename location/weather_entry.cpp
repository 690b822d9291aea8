#include "location/weather_entry.h"

#include <cmath>
#include <optional>

#include "base/session.h"

namespace nemora {

namespace {

// The text OK shows: it starts as a general line; a box that is not a number
// adds its own line, a value out of range replaces everything said so far.
class Problems {
 public:
  void notANumber(const std::string& message) {
    text_ += kLineBreak;
    text_ += message;
    failed_ = true;
  }
  void outOfRange(const std::string& message) {
    text_ = message;
    failed_ = true;
  }
  std::string text() const { return failed_ ? text_ : std::string(); }

 private:
  std::string text_ = "Invalid weather parameters";
  bool failed_ = false;
};

// One quantity of the dialog: its word in the messages, the accepted means,
// the largest magnitude of a range, and the boxes.
struct Quantity {
  const char* word;  // "temperature"
  double lo, hi;     // limits of the mean and of the quantity at any time
  double maxRange;   // largest magnitude of a daily or annual range
  const std::string& mean;
  const std::string& daily;
  const std::string& annual;
};

std::string capitalised(std::string s) {
  if (!s.empty()) s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

// The number in a box when it is one and lies within [lo, hi]; otherwise the
// problem is noted and nothing is returned.
std::optional<double> checked(Problems& p, const std::string& box, const std::string& name, double lo, double hi) {
  std::optional<double> v = parseNumber(box);
  if (!v) {
    p.notANumber(name + " must be a number");
    return std::nullopt;
  }
  if (*v < lo || *v > hi) {
    p.outOfRange(name + " out of range");
    return std::nullopt;
  }
  return v;
}

std::optional<double> checkedMean(Problems& p, const Quantity& q) {
  return checked(p, q.mean, "Mean " + std::string(q.word), q.lo, q.hi);
}

void checkCycled(Problems& p, const Quantity& q) {
  std::optional<double> mean = checkedMean(p, q);
  std::optional<double> daily = checked(p, q.daily, "Daily " + std::string(q.word) + " range", -q.maxRange, q.maxRange);
  std::optional<double> annual =
      checked(p, q.annual, "Annual " + std::string(q.word) + " range", -q.maxRange, q.maxRange);
  if (!mean || !daily || !annual) return;
  // The daily and annual cycles (each half its range either side of the
  // mean) add up at their peaks whatever the signs of the ranges, so the
  // quantity swings by half the sum of their magnitudes.
  double swing = (std::fabs(*daily) + std::fabs(*annual)) / 2;
  if (*mean + swing > q.hi || *mean - swing < q.lo)
    p.outOfRange(capitalised(q.word) + " exceeds acceptable range some of the time");
}

}  // namespace

WeatherControls weatherControls(const udtWeather& w) {
  WeatherControls c;
  c.cboBasis = w.udtBasis;
  c.txtTM = generalNumber(w.dblTempMean);
  c.txtTD = generalNumber(w.dblTempDaily);
  c.txtTA = generalNumber(w.dblTempAnnual);
  c.txtPM = generalNumber(w.dblPressMean);
  c.txtPD = generalNumber(w.dblPressDaily);
  c.txtPA = generalNumber(w.dblPressAnnual);
  c.txtHM = generalNumber(w.dblHumMean);
  c.txtHD = generalNumber(w.dblHumDaily);
  c.txtHA = generalNumber(w.dblHumAnnual);
  return c;
}

std::string WeatherEntryProblems(const WeatherControls& c) {
  const Quantity quantities[] = {
      {"temperature", -90, 70, 232, c.txtTM, c.txtTD, c.txtTA},
      {"pressure", 0, 1150, 1150, c.txtPM, c.txtPD, c.txtPA},
      {"humidity", 0, 100, 100, c.txtHM, c.txtHD, c.txtHA},
  };
  Problems p;
  switch (c.cboBasis) {
    case kWeatherGlobal:
    case kWeatherLocal:
      break;
    case kWeatherFixed:
      for (const Quantity& q : quantities) checkedMean(p, q);
      break;
    case kWeatherManual:
      for (const Quantity& q : quantities) checkCycled(p, q);
      break;
    default:
      return "Invalid basis for estimating weather parameters";
  }
  return p.text();
}

WeatherEntry::WeatherEntry(Session& session)
    : SessionBound(session), controls(weatherControls(session.udtWeather)) {}

bool WeatherEntry::cmdOK() {
  Session& s = session();
  std::string problems = WeatherEntryProblems(controls);
  if (!problems.empty()) {
    s.showMessage(problems);
    return false;
  }
  udtWeather updated = s.udtWeather;
  updated.udtBasis = controls.cboBasis;
  // Only the boxes the basis uses are stored; the others keep their values.
  if (meansEnabled()) {
    updated.dblTempMean = *parseNumber(controls.txtTM);
    updated.dblPressMean = *parseNumber(controls.txtPM);
    updated.dblHumMean = *parseNumber(controls.txtHM);
  }
  if (rangesEnabled()) {
    updated.dblTempDaily = *parseNumber(controls.txtTD);
    updated.dblTempAnnual = *parseNumber(controls.txtTA);
    updated.dblPressDaily = *parseNumber(controls.txtPD);
    updated.dblPressAnnual = *parseNumber(controls.txtPA);
    updated.dblHumDaily = *parseNumber(controls.txtHD);
    updated.dblHumAnnual = *parseNumber(controls.txtHA);
  }
  s.udtWeather = updated;
  blnOK = true;
  return true;
}

}  // namespace nemora
