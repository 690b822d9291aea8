#include "visibility/observer_entry.h"

#include <cmath>
#include <optional>

#include "base/number_format.h"
#include "app/session.h"

namespace nemora {

ObserverEntry::ObserverEntry(Session& session) : SessionBound(session) {
  controls.optOverall = session.udtObserver.blnOverall;
  controls.txtLevel = generalNumber(session.udtObserver.dblLevel);
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
  s.udtObserver.blnOverall = controls.optOverall;
  s.udtObserver.dblLevel = *level;
  // Probabilities computed for the old observer are stale.
  s.blnVisibilityStale = true;
  s.blnNewInput = true;
  blnOK = true;
  return true;
}

std::string ObserverEntry::WriteObserver(bool& blnValid) const {
  return guarded(blnValid, "frmObserver.WriteObserver", std::string(), [&] {
    const udtObserver& o = session().udtObserver;
    if (o.blnOverall) return std::string("Overall probability");
    if (std::fabs(o.dblLevel) > 99.99) raise("Invalid udtObserver.dblLevel: ", o.dblLevel);
    return "Performance level " + formatNumber(o.dblLevel, "#0.00");
  });
}

std::string WriteObserver(Session& session, bool& blnValid) { return ObserverEntry(session).WriteObserver(blnValid); }

}  // namespace nemora
