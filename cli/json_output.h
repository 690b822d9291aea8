// One result as a JSON object on one line.
#pragma once

#include <string>

#include "calendar/date.h"
#include "timescale/time_types.h"

namespace nemora::cli {

// {"instant": ..., "date": {udtDate fields}, "time": {udtTime fields, with
// its udtDms inside}, "text": ...}; the time is left out for day-number types.
std::string resultJson(double instant, const udtDate& date, const udtTime& time, const std::string& text);

// A JSON number (every digit a double holds).
std::string jsonNumber(double x);

// A JSON string literal.
std::string jsonString(const std::string& text);

}  // namespace nemora::cli
