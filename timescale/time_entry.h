// The time dialog without its window: the state of its controls, the
// captions and enabled states that follow the time type, and the checks,
// messages and effects of OK and Cancel. frmTime only moves text between its
// controls and this model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/session_bound.h"

namespace nemora {

// What the dialog's controls show.
struct TimeControls {
  int cboTimeType = -1;  // index = enmTimeType; -1: none chosen
  std::string txtHours;
  std::string txtMinutes;
  std::string txtSeconds;
  bool opt24Hr = true;  // optAmPm is its opposite
  bool optPM = false;   // optAM is its opposite
  bool opt2 = false;    // opt1 is its opposite

  friend bool operator==(const TimeControls&, const TimeControls&) = default;
};

class TimeEntry : public SessionBound {
 public:
  // The controls show the input time udtTimeIn.
  explicit TimeEntry(Session& session);

  TimeControls controls;

  // The names of cboTimeType, by time type.
  static std::vector<std::string> typeNames();
  // Captions of optAM and optPM: "a.m." and "p.m.", for seasonal hours
  // "Night" and "Day".
  std::string amCaption() const;
  std::string pmCaption() const;
  // GMST and LST are always on the 24-hour clock and seasonal hours never:
  // the clock choice applies to the other types only.
  bool clockChoiceEnabled() const;
  // The half-day choice applies on the 12-hour clock (always for seasonal
  // hours).
  bool halfDayEnabled() const;
  // A clock reading can come twice in a calendar day on every scale but
  // seasonal hours.
  bool occurrenceEnabled() const;

  // "Time cannot be valid" with one line per failed check, or "" when the
  // controls hold a valid time.
  std::string invalidTimeText() const;
  // Checks the controls; on success stores the input time and returns true
  // (the dialog closes). On a failure shows the whole message, changes
  // nothing and returns false.
  bool cmdOK();
  // Closes without a change.
  void cmdCancel();
  // Closing the window other than by OK or Cancel acts as OK; true when
  // the window may close.
  bool queryClose();
  bool closing() const { return blnClosing_; }

 private:
  void load();
  bool blnClosing_ = false;
};

}  // namespace nemora
