// What the main window shows and does, without the window: start-up, the
// evaluation of the inputs, the two option lists and their events, the
// result texts and the saved text. The Qt window and the command line only
// present it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/session_bound.h"
#include "base/date.h"
#include "base/time_types.h"

namespace nemora {

// Texts of the main window's labels.
struct MainLabels {
  std::string lblDate;
  std::string lblTime;
  std::string lblLocation;
  std::string lblWeather;
  std::string lblObserver;
  std::string lblCriterion;
  std::string lblOutput3;
};

// One option list with its caption.
struct OptionList {
  std::string caption;
  std::vector<std::string> items;
  int index = -1;
  bool visible = true;
  std::string text() const { return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : ""; }
};

class MainModel : public SessionBound {
 public:
  explicit MainModel(Session& session) : SessionBound(session) {}

  // Start-up from the system clock, read as a local date and time: the
  // serial of days since 30 December 1899 with the fraction of the day.
  // Loads the location database and the last location, sets the input date
  // and time, fills the lists and runs the first evaluation. A failure shows
  // its message and ends the program.
  // blnClockIsUT: the serial is the clock in UT (as the system clock gives
  // it); the inputs then show that instant in the place's local time, with
  // no correction by the zone offset. setGivenPlace, when given, sets the
  // place instead of the last-location files, which are then not read.
  void startUp(double dblClockSerial, bool blnClockIsUT = false,
               const std::function<void()>& setGivenPlace = {});

  // Turns the input date and time into one instant, writes the input labels,
  // then the result of the chosen mode. False when a step failed (its
  // message has been shown; the remaining labels are left as they were).
  bool Evaluate();

  // Mode buttons and list events (each runs Evaluate when the window is ready).
  void chooseConvert();
  // "Convert Date" mode with the lists set from enmDateTypeOut and
  // enmTimeTypeOut, then one evaluation (for the command line).
  bool chooseConvertAndEvaluate();
  void chooseBody();
  // Body mode with the named body and parameter chosen, then one evaluation
  // (for the command line). False when a name is not in its list.
  bool chooseBodyAndEvaluate(const std::string& strBody, const std::string& strParameter);
  void optionChanged(int index);
  void option2Changed(int index);

  // The inputs and the result as out.txt holds them (lines joined by CR LF
  // when written).
  std::vector<std::string> savedLines(const std::string& strCaption) const;
  // Writes out.txt in the working folder (replacing an old one atomically).
  void saveOutTxt(const std::string& strCaption) const;

  // Writes the current location back to Curloc.txt; false, with the reason
  // shown, when it cannot be written.
  bool saveLocationOnClose();

  bool convertMode() const { return optConvert_; }
  bool ready() const { return blnReady_; }

  MainLabels labels;
  // The converted date and time of the last "Convert Date" result.
  udtDate resultDate;
  udtTime resultTime;
  OptionList cboOption;   // date types, or bodies
  OptionList cboOption2;  // time types, or parameters

  int32_t enmDateTypeOut = 4;
  int32_t enmTimeTypeOut = 1;
  int16_t intBody = 1;
  int16_t intParameter = 10;
  // Which graph the graph window draws (0 none yet, 3 probability, 4 light curve).
  int32_t intGraphKind = 0;
  // False when the last body result only says that its report is not
  // available (the command line then fails and says so).
  bool blnReportAvailable = true;
  // Set by each evaluation of the Moon's "Visibility map": the window is to
  // show the map (it clears the flag when it has taken it).
  bool blnMapWanted = false;

 private:
  void FillDateTypes();
  void FillTimeTypes();
  void FillBodies();
  void FillParameters();

  // Start-up steps: the local clock's correction by the zone offset, then
  // the defaults, the lists and the first evaluation.
  void correctLocalClock(double instant);
  void finishStartUp();

  // Writes the result of "Convert Date" mode for the instant t.
  bool convertResult(double t);
  // Writes the report of the chosen body and parameter.
  bool bodyResult();

  bool optConvert_ = false;
  bool blnReady_ = false;
};

// The serial of the system clock (days since 30 December 1899, local time).
double systemClockSerial();
// The same serial in UT: "now" as an instant, whatever the computer's zone.
double systemClockSerialUT();

}  // namespace nemora
