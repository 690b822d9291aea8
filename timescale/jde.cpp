#include "timescale/jde.h"

#include <cmath>

#include "base/session.h"
#include "timescale/delta_t.h"

namespace nemora {

namespace {

// JD of the start (midnight) of fixed day 0.
constexpr double kFixedToJD = 1721424.5;
constexpr double kSecondsPerDay = 86400;
// Largest accepted magnitude of a fixed day number, in days.
constexpr double kMaxFixed = 10592250;

}  // namespace

double clsJDE::fixed_jde(double dblFix, bool& blnValid) {
  return guarded(blnValid, "clsJDE.fixed_jde", 0.0, [&] {
    // Written so that a NaN argument fails the test too.
    if (!(std::fabs(dblFix) <= kMaxFixed)) raise("Magnitude of dblDate too large: ", dblFix);
    bool ok = false;
    double deltaT = session().deltaT.DeltaT(dblFix, true, ok);
    if (!ok) abandon();
    return dblFix + kFixedToJD + deltaT / kSecondsPerDay;
  });
}

double clsJDE::jde_fixed(double jde, bool& blnValid) {
  return guarded(blnValid, "clsJDE.jde_fixed", 0.0, [&] {
    double d = jde - kFixedToJD;
    bool ok = false;
    double fixed = d - session().deltaT.DeltaT(d, false, ok) / kSecondsPerDay;
    if (!ok) abandon();
    if (!(std::fabs(fixed) <= kMaxFixed)) raise("Magnitude of jde_fixed too large: ", fixed);
    return fixed;
  });
}

}  // namespace nemora
