// Everything the user chose that the results depend on, as one plain value:
// two sessions with equal inputs give the same results, and a worker that
// copies the inputs of its caller computes what the caller would.
#pragma once

#include <cstdint>
#include <filesystem>

#include "base/criterion_types.h"
#include "base/date.h"
#include "base/location_types.h"
#include "base/options.h"
#include "base/time_types.h"
#include "base/weather_types.h"

namespace nemora {

struct Inputs {
  // Display language of every result text: 0 English, 1 Hebrew.
  int16_t intLanguage = 0;
  // Settings of the options dialog (precision, Moon calculation mode, plot
  // mode, speed, testimony) and the observer of the observer dialog.
  udtOptions options;
  ::nemora::udtObserver udtObserver;
  // The user's crescent criterion; its type is the criterion in force.
  udtCriterion udtUserCriterion;
  // The first-visibility report speaks in the present (" is ") while set,
  // else in the future (" will be ").
  bool blnPresentTense = true;

  // The input date and time, and the instant they give: dblFixDate (fixed day
  // number of the input date) plus dblFixTime (the input time as a UT day
  // fraction; 0 for day-number date types).
  ::nemora::udtDate udtDateIn;
  ::nemora::udtTime udtTimeIn;
  double dblFixDate = 0;
  double dblFixTime = 0;

  // The current location (the one place every calculation uses), and whether
  // the location text shows degrees-minutes-seconds.
  ::nemora::udtLocation udtLocation;
  bool blnDMSDisplay = false;
  // The weather setting of the weather dialog.
  ::nemora::udtWeather udtWeather;

  // Where the shipped read-only files live (Locations.txt, the series, ...).
  std::filesystem::path dataDir;
  // Where the files the program writes live (Curloc.txt, out.txt, Output.txt);
  // Curloc.txt is also read from here first.
  std::filesystem::path workDir;

  friend bool operator==(const Inputs&, const Inputs&) = default;
};

}  // namespace nemora
