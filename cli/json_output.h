// JSON output of the command line: one object per result, on one line,
// written with nlohmann::ordered_json (keys in the order given, as the
// README lists them).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "calendar/date.h"
#include "timescale/time_types.h"

namespace nemora::cli {

using Json = nlohmann::ordered_json;

// The fields of a date record, by their names.
Json dateJson(const udtDate& date);
// The fields of a time record, with its udtDms inside.
Json timeJson(const udtTime& time);

// {"instant": ..., "date": {udtDate fields}, "time": {udtTime fields, with
// its udtDms inside}, "text": ...}; the time is left out for day-number types.
Json resultJson(double instant, const udtDate& date, const udtTime& time, const std::string& text);

// The object as one line of text. A number that is not finite is written as
// null, and a byte that is not UTF-8 as U+FFFD.
std::string jsonLine(const Json& object);

}  // namespace nemora::cli
