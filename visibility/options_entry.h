// The options dialog without its window: the state of its controls, the
// likely-observers label, and the checks, messages and effects of its
// buttons. frmOptions only moves text between its controls and this model.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/options.h"

namespace nemora {

// What the dialog's controls show. A default record shows the start-up values.
struct OptionsControls {
  int16_t intPrecision = 0;                    // opt0, opt1, opt2
  int16_t intMoonCalc = kMoonCalcByCriterion;  // optG0 (0), OptG1 (3)
  int16_t intPlotMode = 0;                     // optP0, optP1, optP2
  int16_t intNIntegrals = 64;                  // optS0 to optS3: 16, 32, 64, 128
  int16_t intLanguage = 0;                     // optEnglish (0), optHebrew (1)
  bool chkWomen = false;
  bool chkClassicModel = false;  // the photometric probability's first model
  std::string txtNWitnesses = "2";
  std::string txtPopulation = "700000";

  friend bool operator==(const OptionsControls&, const OptionsControls&) = default;
};

// Text of the likely-observers label lblwit for the two text boxes and the
// women check box.
std::string LikelyObsText(const std::string& txtNWitnesses, const std::string& txtPopulation, bool blnWomen);

class OptionsEntry : public SessionBound {
 public:
  // The controls show the session's settings.
  explicit OptionsEntry(Session& session);

  OptionsControls controls;

  // lblwit for the current controls; rewritten on load, when chkWomen is
  // clicked and when either text box changes.
  std::string lblwit() const;

  // Checks the testimony inputs; on success stores every setting, marks the
  // visibility table for recalculation and returns true (the dialog closes).
  // On a failure shows its message, changes nothing and returns false.
  bool cmdOK();
  // Asks for confirmation; true when the dialog closes (nothing is stored).
  bool cmdCancel();
  // Asks for confirmation; on OK the controls show the start-up values. They
  // are stored only by OK, so Cancel still leaves every setting as it was.
  void cmdDefault();
};

}  // namespace nemora
