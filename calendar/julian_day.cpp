#include "calendar/julian_day.h"

#include <cmath>

#include "base/date.h"

namespace nemora {
namespace {
// Within the range of instants (a value that is no number is not).
bool inRange(double x) { return std::fabs(x) <= kMaxInstant; }
}  // namespace

double clsJD::jd_fixed(double jd, bool& blnValid) const {
  return guarded(blnValid, "clsJD.jd_fixed", 0.0, [&] {
    double fixed = jd - kJDOfFixedZero;
    if (!inRange(fixed)) raise("Magnitude of jd_fixed too large: ", fixed);
    return fixed;
  });
}

double clsJD::fixed_jd(double dblDate, bool& blnValid) const {
  return guarded(blnValid, "clsJD.fixed_jd", 0.0, [&] {
    if (!inRange(dblDate)) raise("Magnitude of dblDate too large: ", dblDate);
    return dblDate + kJDOfFixedZero;
  });
}

double clsMJD::mjd_fixed(double mjd, bool& blnValid) const {
  return guarded(blnValid, "clsJD.mjd_fixed", 0.0, [&] {
    double fixed = mjd - kMJDOfFixedZero;
    if (!inRange(fixed)) raise("Magnitude of mjd_fixed too large: ", fixed);
    return fixed;
  });
}

double clsMJD::fixed_mjd(double dblDate, bool& blnValid) const {
  // This routine's messages carry the source of fixed_jd.
  return guarded(blnValid, "clsJD.fixed_jd", 0.0, [&] {
    if (!inRange(dblDate)) raise("Magnitude of dblDate too large: ", dblDate);
    return dblDate + kMJDOfFixedZero;
  });
}

}  // namespace nemora
