// Degrees (or hours), minutes and seconds.
#pragma once

#include <cstdint>

#include "app/session_bound.h"

namespace nemora {

struct udtDms {
  int16_t intDegreesHours = 0;  // whole degrees or hours, magnitude
  int16_t intMinutes = 0;       // 0 to 59
  double dblSeconds = 0;        // 0 to below 60
  bool blnPositive = true;      // the value is 0 or positive
};

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
