// Run-wide state. Everything the program keeps between events (inputs,
// settings, caches) is a member of one Session; there are no mutable globals,
// so two sessions never disturb each other. Shipped data that never changes
// after loading is shared between sessions by the loaders themselves.
//
// The session is declared here, on the lowest floor, so that every routine
// can reach it; the engines (calendars, time scales, places, bodies, the sky)
// are references to classes declared on the floors above, and each routine
// includes the headers of the engines it calls. The constructor, which builds
// the engines, is in app/session.cpp, on the floor that sees them all.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/inputs.h"
#include "base/main_module.h"
#include "base/memory_keys.h"
#include "base/messages.h"
#include "base/sunset_source.h"
#include "base/visibility_types.h"

namespace nemora {

class clsDeltaT;
class clsJDE;
class clsGregorian;
class clsJulian;
class clsHebrew;
class clsIslamic;
class clsJD;
class clsMJD;
class clsDMS;
class clsUTC;
class clsLocalTime;
class clsMeanSolar;
class clsGMST;
class clsLST;
class clsTrueSolar;
class clsSeasonal;
class TimeText;
class DateText;
class Conversions;
class clsLocationData;
class CurrentLocation;
class WeatherModel;
class clsHBody;
class clsSky;

class Session {
 public:
  explicit Session(MessageSink& messages);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MessageSink& messages;

  // What the user chose; the names below are the routines' names for its
  // parts. A worker session is prepared by copying them.
  Inputs inputs;
  int16_t& intLanguage = inputs.intLanguage;
  udtOptions& options = inputs.options;
  ::nemora::udtObserver& udtObserver = inputs.udtObserver;
  udtCriterion& udtUserCriterion = inputs.udtUserCriterion;
  bool& blnPresentTense = inputs.blnPresentTense;
  ::nemora::udtDate& udtDateIn = inputs.udtDateIn;
  ::nemora::udtTime& udtTimeIn = inputs.udtTimeIn;
  double& dblFixDate = inputs.dblFixDate;
  double& dblFixTime = inputs.dblFixTime;
  ::nemora::udtLocation& udtLocation = inputs.udtLocation;
  bool& blnDMSDisplay = inputs.blnDMSDisplay;
  ::nemora::udtWeather& udtWeather = inputs.udtWeather;
  std::filesystem::path& dataDir = inputs.dataDir;
  std::filesystem::path& workDir = inputs.workDir;

  // Years the back-to-back search looks ahead without asking anything (the
  // command line's choice); 0: the window's way, a question after every 20
  // years and before a search at high latitude or by the photometric model.
  int intBackToBackYears = 0;
  // Decimal separator of the number formats (always "." here: data files and
  // reports do not depend on the user's locale).
  std::string strDecimal = ".";
  // Number patterns indexed by the number of decimals 0 to 8.
  std::array<std::string, 9> strFormats;

  // The weather at the input instant as the last evaluation estimated it.
  ::nemora::udtWeatherNow udtWeatherNow;

 private:
  // The engines, built by the constructor; the references below point into it.
  struct Engines;
  std::unique_ptr<Engines> engines_;

 public:
  // Helpers of module Main (some keep per-session state, e.g. ran1).
  Main main{*this};
  clsDeltaT& deltaT;
  clsJDE& jde;
  clsGregorian& gregorian;
  clsJulian& julian;
  clsHebrew& hebrew;
  clsIslamic& islamic;
  clsJD& jd;
  clsMJD& mjd;
  clsDMS& dms;
  clsUTC& utc;
  clsLocalTime& localTime;
  clsMeanSolar& meanSolar;
  clsGMST& gmst;
  clsLST& lst;
  clsTrueSolar& trueSolar;
  clsSeasonal& seasonal;
  // Time text and the 12-hour clock form of time records.
  TimeText& timeText;
  // Date evaluation and date text, and the conversions between instants and
  // dates with times.
  DateText& dateText;
  Conversions& conversions;
  // The location database (shared by sessions once loaded) and the routines
  // of the current location.
  clsLocationData& locations;
  CurrentLocation& currentLocation;
  // The weather model with its nearest-place memory.
  WeatherModel& weather;
  // Body positions with their Sun, Moon and planet caches.
  clsHBody& hbody;
  // The photometric model of the sky with its cache of the last evaluation.
  clsSky& sky;
  // The last visibility table (Visibility) with the inputs it was found for.
  VisibilityMemory visibilityCache;
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

  // Shares the location database another session has loaded (the worker
  // pool's workers share their caller's).
  void shareLoadedData(const Session& other);

  // Shows an OK-only message box.
  void showMessage(const std::string& text) { messages.message(text); }
  // Shows the message, then ends the program (unwinds to the front end).
  [[noreturn]] void endProgram(const std::string& text);
};

// The data directory used when none is given: $NEMORA_DATA when set, else the
// data/ folder of the source tree this program was built from.
std::filesystem::path defaultDataDir();

}  // namespace nemora
