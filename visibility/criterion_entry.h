// The criterion dialog without its window: the state of its lists and text
// box, which controls are enabled, the checks and messages of OK, and the
// effect on the user criterion. frmCriterion only moves text between its
// controls and this model; the command line's --criterion fills the same
// controls from a name.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/criterion_types.h"

namespace nemora {

// What the dialog's controls show: the list positions and the text box.
struct CriterionControls {
  int16_t cboType = kCritYallop;
  int16_t cboDarkness = 2;
  int16_t cboMoonPart = 0;
  int16_t cboMoonBright = 3;
  int16_t cboFrom = 2;
  int16_t cboWhen = 3;
  std::string txtWhen = "20";

  friend bool operator==(const CriterionControls&, const CriterionControls&) = default;
};

class CriterionEntry : public SessionBound {
 public:
  // The controls show the user criterion.
  explicit CriterionEntry(Session& session);

  CriterionControls controls;
  // Set by Cancel.
  bool blnCancelled = false;

  // The point of the Moon matters only for a user-defined DALT; the moment
  // can be chosen only for a user-defined criterion.
  bool cboMoonPartEnabled() const;
  bool cboWhenEnabled() const;

  // The checks of a user-defined criterion: every message that applies, one
  // per line (empty when the choices are valid). When valid, the choices are
  // stored in the user criterion.
  std::string Evaluate();
  // Validates; when invalid shows the collected messages and returns false
  // (the dialog stays open), else true (the dialog closes).
  bool cmdOK();
  // Marks the dialog cancelled; nothing is checked or stored.
  void cmdCancel() { blnCancelled = true; }

  // Fills the controls from a criterion's name ("Yallop", ...) or
  // "User:DARKNESS,POINT,BRIGHTNESS,FROM,WHEN,VALUE" with the lists' names or
  // numbers; the other controls keep what they show. False, with the reason
  // in strProblem, when a name or number is not in its list.
  bool ReadCriterionName(const std::string& strName, std::string& strProblem);
};

}  // namespace nemora
