#include "visibility/observer_entry.h"

#include <cmath>
#include <optional>

#include "base/number_format.h"
#include "base/session.h"
#include "visibility/optical_aid.h"

namespace nemora {

ObserverEntry::ObserverEntry(Session& session) : SessionBound(session) {
  const udtObserver& o = session.udtObserver;
  controls.optOverall = o.blnOverall;
  controls.txtLevel = generalNumber(o.dblLevel);
  controls.cboAid = o.aid.intKind;
  if (o.aid.intKind != kAidEye) {
    controls.txtAperture = generalNumber(o.aid.dblAperture);
    controls.txtMagnification = generalNumber(o.aid.dblMagnification);
  }
}

bool ObserverEntry::cmdOK() {
  Session& s = session();
  std::optional<double> level = parseNumber(controls.txtLevel);
  if (!level) {
    if (!controls.optOverall) {
      s.showMessage("Level must be a number");
      return false;
    }
    // The level is not used by the overall probability: keep the stored one.
    level = s.udtObserver.dblLevel;
    controls.txtLevel = generalNumber(*level);
  }
  udtOpticalAid aid;
  if (controls.cboAid == kAidBinoculars || controls.cboAid == kAidTelescope) {
    std::optional<double> aperture = parseNumber(controls.txtAperture);
    std::optional<double> magnification = parseNumber(controls.txtMagnification);
    if (!aperture || *aperture < kLeastAperture || *aperture > kGreatestAperture) {
      s.showMessage("Aperture must be a number from 5 to 2000 mm");
      return false;
    }
    if (!magnification || *magnification < kLeastMagnification || *magnification > kGreatestMagnification) {
      s.showMessage("Magnification must be a number from 1 to 1000");
      return false;
    }
    aid.intKind = static_cast<int16_t>(controls.cboAid);
    aid.dblAperture = *aperture;
    aid.dblMagnification = *magnification;
  }
  s.udtObserver.blnOverall = controls.optOverall;
  s.udtObserver.dblLevel = *level;
  s.udtObserver.aid = aid;
  blnOK = true;
  return true;
}

std::string ObserverEntry::WriteObserver(bool& blnValid) const {
  return guarded(blnValid, "frmObserver.WriteObserver", std::string(), [&] {
    const udtObserver& o = session().udtObserver;
    std::string aid = o.aid.intKind == kAidEye ? std::string() : ", " + AidText(o.aid);
    if (o.blnOverall) return "Overall probability" + aid;
    if (std::fabs(o.dblLevel) > 99.99) raise("Invalid udtObserver.dblLevel: ", o.dblLevel);
    return "Performance level " + formatNumber(o.dblLevel, "#0.00") + aid;
  });
}

std::string WriteObserver(Session& session, bool& blnValid) { return ObserverEntry(session).WriteObserver(blnValid); }

}  // namespace nemora
