// JSON output of the command line: one object per result, on one line,
// written with nlohmann::ordered_json (keys in the order given, as the
// README lists them). Keys are snake_case words, and every command writes an
// instant, a day, a place and a criterion in the one shape given here; the
// schemas in docs/schemas/ describe each command's objects.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "base/date.h"
#include "base/time_types.h"

namespace nemora {
class Session;
}

namespace nemora::cli {

using Json = nlohmann::ordered_json;

// Text for a JSON string: logical text, with LF line ends and without the
// direction isolates and marks that only a display of Hebrew needs.
std::string jsonText(const std::string& text);

// An instant t (fixed day number with its day fraction, UT) as
// {"fixed", "jd", "ut" (ISO 8601, whole seconds, "Z"), "text" (as the
// reports write it: the input date type and time scale)}; null when t is not
// a number.
Json instantJson(Session& session, double t);

// A day (fixed day number) as {"fixed", "date" (ISO 8601 Gregorian),
// "text" (as the reports write the day)}.
Json dayJson(Session& session, int32_t day);

// The session's place as {"name" (Country/City/Neighbourhood, or null for
// typed coordinates), "latitude", "longitude" (degrees, north and east
// positive), "height" (metres), "zone" (standard zone at the input
// instant, hours ahead of UT)}.
Json placeJson(const Session& session);

// The name of the criterion in force ("Yallop", "Odeh", ...).
std::string criterionName(const Session& session);

// A converted date and time as plain fields: {"date_type", "day_number"} for
// day counts, {"date_type", "year", "month", "day", "ce", "eve"} for
// calendars; {"time_type", "hours", "minutes", "seconds", "negative",
// "clock_24_hour", "pm", "second_occurrence"}.
Json dateJson(const udtDate& date);
Json timeJson(const udtTime& time);

// A name as a snake_case key: "DALT-Width" is "dalt_width", "Photometric
// model" is "photometric_model".
std::string snakeKey(const std::string& name);

// The ISO 8601 text of a day's Gregorian date (years as for isoUt).
std::string isoDate(int64_t fixed);

// The ISO 8601 text of an instant in UT, to the whole second (years outside
// 0 to 9999 with their sign, years counted astronomically).
std::string isoUt(double t);

// The object as one line of text. A number that is not finite is written as
// null, and a byte that is not UTF-8 as U+FFFD.
std::string jsonLine(const Json& object);

// Prints the object as one line on standard output: the one way every
// command prints JSON, so that no name or text the user gave (a file name
// that is not UTF-8) can end the run.
void printJson(const Json& object);

}  // namespace nemora::cli
