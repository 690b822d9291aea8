// The weather dialog without its window: the state of its controls, which
// boxes the chosen basis uses, the checks and messages of OK and its effect.
// frmWeather only moves text between its controls and this model.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "location/weather.h"

namespace nemora {

// What the dialog's controls show: the list index of the basis (-1 when no
// entry is chosen) and the text of the nine boxes.
struct WeatherControls {
  int32_t cboBasis = kWeatherLocal;
  std::string txtTM, txtTD, txtTA;  // temperature mean, daily range, annual range
  std::string txtPM, txtPD, txtPA;  // pressure
  std::string txtHM, txtHD, txtHA;  // humidity

  friend bool operator==(const WeatherControls&, const WeatherControls&) = default;
};

// The controls showing a weather setting (numbers in general number form).
WeatherControls weatherControls(const udtWeather& weather);

// The message OK shows for these controls, or "" when they are acceptable.
// It starts as "Invalid weather parameters"; a box that is not a number adds
// a line, a value out of range replaces the whole text.
std::string WeatherEntryProblems(const WeatherControls& controls);

class WeatherEntry : public SessionBound {
 public:
  // The controls show the session's weather setting.
  explicit WeatherEntry(Session& session);

  WeatherControls controls;
  // True once OK has stored the weather (the dialog closed with OK).
  bool blnOK = false;

  // The mean boxes are used by the Manual and Fixed bases, the range boxes by
  // the Manual basis only.
  bool meansEnabled() const { return controls.cboBasis == kWeatherManual || controls.cboBasis == kWeatherFixed; }
  bool rangesEnabled() const { return controls.cboBasis == kWeatherManual; }

  // Checks the controls. On a failure shows the message, changes nothing and
  // returns false (the dialog stays open). On success stores the basis and
  // the values of the boxes the basis uses, marks the inputs changed when
  // the setting changed, and returns true (the dialog closes).
  bool cmdOK();
  // Closes without change.
  bool cmdCancel() { return true; }
};

}  // namespace nemora
