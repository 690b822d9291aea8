// Run-wide state. Everything the program keeps between events (inputs,
// settings, caches) is a member of one Session; there are no mutable globals,
// so two sessions never disturb each other. Shipped data that never changes
// after loading is shared between sessions by the loaders themselves.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/main_module.h"
#include "base/messages.h"
#include "calendar/date.h"
#include "calendar/dms.h"
#include "calendar/gregorian.h"
#include "calendar/hebrew.h"
#include "calendar/islamic.h"
#include "calendar/julian.h"
#include "calendar/julian_day.h"
#include "calendar/sunset_source.h"
#include "timescale/delta_t.h"
#include "timescale/jde.h"
#include "timescale/time_types.h"
#include "location/current_location.h"
#include "location/location_data.h"
#include "location/location_types.h"
#include "location/weather.h"
#include "ephemeris/hbody.h"
#include "timescale/local_time.h"
#include "timescale/utc.h"
#include "timescale/mean_solar.h"
#include "timescale/sidereal.h"
#include "timescale/true_solar.h"
#include "timescale/seasonal.h"
#include "timescale/time_text.h"
#include "calendar/date_text.h"
#include "app/conversions.h"
#include "visibility/options.h"
#include "visibility/criterion_types.h"
#include "visibility/sky.h"

namespace nemora {

class Session {
 public:
  explicit Session(MessageSink& messages);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MessageSink& messages;

  // Display language of every result text: 0 English, 1 Hebrew.
  int16_t intLanguage = 0;
  // Settings of the options dialog (precision, Moon calculation mode, plot
  // mode, speed, testimony) and the observer of the observer dialog.
  udtOptions options;
  ::nemora::udtObserver udtObserver;
  // The user's crescent criterion; its type is the criterion in force.
  udtCriterion udtUserCriterion;
  // Set at start-up and whenever a dialog accepts a change; cleared by every
  // successful evaluation. Cached positions are not reused while it is set.
  bool blnNewInput = true;
  // Set when an accepted date, time or location dialog changed its input: the
  // last Sun, Moon and planet positions kept by the position routines are for
  // another instant or place. Those routines drop them and clear the flag.
  bool blnPositionsStale = true;
  // Set at start-up and when the options or the observer change: the cached
  // visibility table (the seven rows of the last evening or morning) must not
  // be reused. The visibility search recomputes the table and clears it.
  bool blnVisibilityStale = true;
  // Years the back-to-back search looks ahead without asking anything (the
  // command line's choice); 0: the window's way, a question after every 20
  // years and before a search at high latitude or by the photometric model.
  int intBackToBackYears = 0;
  // The first-visibility report speaks in the present (" is ") while set,
  // else in the future (" will be "); set at start-up.
  bool blnPresentTense = true;
  // Decimal separator of the number formats (always "." here: data files and
  // reports do not depend on the user's locale).
  std::string strDecimal = ".";
  // Number patterns indexed by the number of decimals 0 to 8.
  std::array<std::string, 9> strFormats;

  // The input date and time, and the instant they give: dblFixDate (fixed day
  // number of the input date) plus dblFixTime (the input time as a UT day
  // fraction; 0 for day-number date types).
  ::nemora::udtDate udtDateIn;
  ::nemora::udtTime udtTimeIn;
  double dblFixDate = 0;
  double dblFixTime = 0;
  // The current location, the position the calculations use, and whether the
  // location text shows degrees-minutes-seconds.
  ::nemora::udtLocation udtLocation;
  ::nemora::udtPosition udtPosition;
  bool blnDMSDisplay = false;
  // The weather setting of the weather dialog, and the weather at the input
  // instant as the last evaluation estimated it.
  ::nemora::udtWeather udtWeather;
  ::nemora::udtWeatherNow udtWeatherNow;

  // Where the shipped read-only files live (Locations.txt, the series, ...).
  std::filesystem::path dataDir;
  // Where the files the program writes live (Curloc.txt, out.txt, Output.txt);
  // Curloc.txt is also read from here first.
  std::filesystem::path workDir;

  // Helpers of module Main (some keep per-session state, e.g. ran1).
  Main main;
  clsDeltaT deltaT{*this};
  clsJDE jde{*this};
  clsGregorian gregorian{*this};
  clsJulian julian{*this};
  clsHebrew hebrew{*this};
  clsIslamic islamic{*this};
  clsJD jd{*this};
  clsMJD mjd{*this};
  clsDMS dms{*this};
  clsUTC utc{*this};
  clsLocalTime localTime{*this};
  clsMeanSolar meanSolar{*this};
  clsGMST gmst{*this};
  clsLST lst{*this};
  clsTrueSolar trueSolar{*this};
  clsSeasonal seasonal{*this};
  // Time text and the 12-hour clock form of time records.
  TimeText timeText{*this};
  // Date evaluation and date text, and the conversions between instants and
  // dates with times.
  DateText dateText{*this};
  Conversions conversions{*this};
  // The location database (shared by sessions once loaded) and the routines
  // of the current location.
  clsLocationData locations{*this};
  CurrentLocation currentLocation{*this};
  // The weather model with its nearest-place memory.
  WeatherModel weather{*this};
  // Body positions with their Sun, Moon and planet caches.
  clsHBody hbody{*this};
  // The photometric model of the sky with its cache of the last evaluation.
  clsSky sky{*this};
  // The last visibility table (Visibility), its body and day; reused until
  // the inputs, the options or the observer change (blnVisibilityStale).
  struct VisibilityCache {
    bool blnFilled = false;
    std::string strHBody;
    int32_t lngFix = 0;
    bool blnEvening = true;
    bool blnFlag1 = false, blnFlag2 = false, blnFlag3 = false;
    // The other inputs the table was computed with.
    ::nemora::udtPosition position;
    ::nemora::udtWeather weather;
    udtOptions options;
    ::nemora::udtObserver observer;
    udtCriterion criterion;
    udtVisibility table;
  } visibilityCache;
  // Sunset on a civil day at the current location, for days that run from
  // sunset to sunset: the Sun's setting over the flat horizon (tests may put
  // in their own; empty: no sunsets).
  SunsetSource sunset;

  // Path of a shipped data file.
  std::filesystem::path dataFile(const std::string& name) const { return dataDir / name; }
  // Path of a file the program writes.
  std::filesystem::path workFile(const std::string& name) const { return workDir / name; }

  // Output.txt, the copy of the last report that writes one. The window
  // writes it at once, as the program always has; the command line sets
  // blnHoldOutputTxt and keeps the text in strHeldOutputTxt, to write it
  // only when asked and only once the whole run has succeeded.
  bool blnHoldOutputTxt = false;
  std::optional<std::string> strHeldOutputTxt;
  // Writes (or holds) Output.txt; throws AppError when it cannot be written.
  void writeOutputTxt(const std::string& text);

  // Shows an OK-only message box.
  void showMessage(const std::string& text) { messages.message(text); }
  // Shows the message, then ends the program (unwinds to the front end).
  [[noreturn]] void endProgram(const std::string& text);
};

// The data directory used when none is given: $NEMORA_DATA when set, else the
// data/ folder of the source tree this program was built from.
std::filesystem::path defaultDataDir();

}  // namespace nemora
