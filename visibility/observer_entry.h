// The observer dialog without its window: the state of its controls, the
// checks and effect of OK, and the observer text of the main window.
// frmObserver only moves text between its controls and this model.
#pragma once

#include <string>

#include "base/session_bound.h"
#include "base/options.h"

namespace nemora {

// What the dialog's controls show.
struct ObserverControls {
  bool optOverall = true;      // "Overall probability"; optPersonal shows the opposite
  std::string txtLevel = "0";  // the performance level
  int cboAid = kAidEye;        // "Naked eye", "Binoculars", "Telescope"
  std::string txtAperture = "50";      // mm
  std::string txtMagnification = "7";  // times
};

// The choices of cboAid, in its order.
inline const char* const kAidChoices[] = {"Naked eye", "Binoculars", "Telescope"};

class ObserverEntry : public SessionBound {
 public:
  // The controls show the session's observer.
  explicit ObserverEntry(Session& session);

  ObserverControls controls;
  // True once OK has stored the observer (the dialog closed with OK).
  bool blnOK = false;

  // txtLevel can be edited only while "Personal probability" is chosen.
  bool txtLevelEnabled() const { return !controls.optOverall; }
  // The aid's aperture and magnification only while an aid is chosen.
  bool txtAidEnabled() const { return controls.cboAid != kAidEye; }

  // Stores the observer from the controls and returns true (the dialog
  // closes). A level that is not a number is put back to the stored one when
  // "Overall probability" is chosen; with "Personal probability" it shows
  // "Level must be a number", changes nothing and returns false. With an
  // aid chosen, an aperture that is not a number from 5 to 2000 shows
  // "Aperture must be a number from 5 to 2000 mm", a magnification that is
  // not one from 1 to 1000 "Magnification must be a number from 1 to 1000",
  // and nothing changes.
  bool cmdOK();

  // The observer line of the main window: "Overall probability", or
  // "Performance level " with the level as "#0.00", followed with an aid by
  // ", " and the aid ("Binoculars 7x50"). A level beyond +-99.99 fails
  // (source "frmObserver.WriteObserver") with blnValid false.
  std::string WriteObserver(bool& blnValid) const;
};

// WriteObserver for the session's observer, without opening the dialog.
std::string WriteObserver(Session& session, bool& blnValid);

}  // namespace nemora
