// Degrees (or hours), minutes and seconds as a record.
#pragma once

#include <cstdint>

namespace nemora {

struct udtDms {
  int16_t intDegreesHours = 0;  // whole degrees or hours, magnitude
  int16_t intMinutes = 0;       // 0 to 59
  double dblSeconds = 0;        // 0 to below 60
  bool blnPositive = true;      // the value is 0 or positive

  friend bool operator==(const udtDms&, const udtDms&) = default;
};

}  // namespace nemora
