// Degrees (or hours), minutes and seconds.
#pragma once

#include <cstdint>

#include "base/dms_record.h"
#include "base/session_bound.h"

namespace nemora {

class clsDMS : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Decimal value of a record; 0 with blnValid false when a field is out of range.
  double FromDMS(const udtDms& r, bool& blnValid) const;
  // Splits x into whole units, minutes and seconds (tenths of a second, or
  // whole minutes when blnSeconds is false), rounded half away from zero.
  // Returns false after showing the message when x is out of range.
  bool ToDMS(double x, udtDms& r, bool blnSeconds) const;
};

}  // namespace nemora
