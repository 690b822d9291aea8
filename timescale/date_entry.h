// The date dialog without its window: the state of its controls, the month
// list of each date type, and the checks, messages and effects of OK and
// Cancel. frmDate only moves text between its controls and this model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/session_bound.h"

namespace nemora {

// What the dialog's controls show.
struct DateControls {
  int cboType = -1;                // index = enmDateType; -1: none chosen
  std::string txtDayNo = "20000";  // day count of the day-number types
  std::string txtDate;             // date of the month
  int cboMonth = 0;                // list index = month - 1; -1: none chosen
  std::string txtYear = "2000";
  bool optCE = true;  // optBCE is its opposite

  friend bool operator==(const DateControls&, const DateControls&) = default;
};

class DateEntry : public SessionBound {
 public:
  // The controls show the input date udtDateIn.
  explicit DateEntry(Session& session);

  DateControls controls;

  // The names of cboType, by date type.
  static std::vector<std::string> typeNames();
  // The month list of the chosen date type: Gregorian (also for the day
  // counts) and Julian, Hebrew (13, Adar (1) and Adar 2) or Islamic names.
  std::vector<std::string> monthNames() const;
  // Day counts use txtDayNo; calendar dates the day, month, year and era.
  bool dayNumberEnabled() const;
  bool calendarEnabled() const { return !dayNumberEnabled(); }

  // A new date type: the month list is refilled and keeps its index, up to
  // the last month of the new list.
  void typeChanged(int intType);

  // "Date cannot be valid" with one line per failed check, or "" when the
  // controls hold a valid date.
  std::string invalidDateText() const;
  // Checks the controls; on success stores the input date, computes
  // dblFixDate and returns true (the dialog closes). On a failure shows the
  // whole message, changes nothing and returns false.
  bool cmdOK();
  // Closes without a change.
  void cmdCancel();
  // Closing the window other than by OK or Cancel acts as OK; true when
  // the window may close.
  bool queryClose();
  // OK or Cancel has decided.
  bool closing() const { return blnClosing_; }
  // The main window's time "Change" button applies to calendar dates only.
  static bool timeInputApplies(int32_t enmDateType);

 private:
  void load();
  bool blnClosing_ = false;
};

}  // namespace nemora
