// Calendar files (iCalendar, RFC 5545) of the crescents and phases found by
// the command line, for a calendar application to import or subscribe to.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nemora::cli {

struct CalendarEvent {
  std::string uid;          // the same event gets the same identifier in every run
  double start = 0;         // fixed day number with fraction, UT
  std::string summary;      // one line
  std::string location;     // the place's name or coordinates
  std::string description;  // the details, lines separated by LF
  std::optional<std::pair<double, double>> geo;  // latitude, longitude, degrees
};

// The events as the text of one calendar (lines end in CR LF and are folded
// at 75 octets, as the format asks); stamp is the instant of writing. An
// event outside the years 1 to 9999, which the format cannot hold, is
// refused with a message in the exception.
std::string icalendarText(const std::vector<CalendarEvent>& events, double stamp);

}  // namespace nemora::cli
