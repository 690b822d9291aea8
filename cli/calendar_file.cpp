#include "cli/calendar_file.h"

#include <libical/ical.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace nemora::cli {
namespace {

// Fixed day number of 1 January 1970.
constexpr int64_t kFixedOf1970 = 719163;

// An instant in UT as a date-time in UTC, to the whole second.
icaltimetype utcTime(double t) {
  const int64_t seconds = std::llround(t * 86400.0);
  int64_t day = seconds / 86400;
  int64_t second = seconds % 86400;
  if (second < 0) {
    second += 86400;
    --day;
  }
  const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{day - kFixedOf1970}}};
  const int year = static_cast<int>(ymd.year());
  if (year < 1 || year > 9999)
    throw std::invalid_argument("A calendar file holds the years 1 to 9999 only, not " + std::to_string(year) + ".");
  icaltimetype time = icaltime_null_time();
  time.year = year;
  time.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  time.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  time.hour = static_cast<int>(second / 3600);
  time.minute = static_cast<int>(second / 60 % 60);
  time.second = static_cast<int>(second % 60);
  time.is_date = 0;
  time.zone = icaltimezone_get_utc_timezone();
  return time;
}

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

}  // namespace

std::string icalendarText(const std::vector<CalendarEvent>& events, double stamp) {
  std::unique_ptr<icalcomponent, ComponentFree> calendar(icalcomponent_vanew(
      ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
      icalproperty_new_prodid("-//Nemora//Nemora 3.1 crescent visibility//EN"),
      icalproperty_new_calscale("GREGORIAN"), static_cast<void*>(nullptr)));
  const icaltimetype now = utcTime(stamp);
  for (const CalendarEvent& e : events) {
    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_component(calendar.get(), event);
    icalcomponent_add_property(event, icalproperty_new_uid(e.uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(event, icalproperty_new_dtstart(utcTime(e.start)));
    icalcomponent_add_property(event, icalproperty_new_summary(e.summary.c_str()));
    if (!e.location.empty()) icalcomponent_add_property(event, icalproperty_new_location(e.location.c_str()));
    if (e.geo) icalcomponent_add_property(event, icalproperty_new_geo(icalgeotype{e.geo->first, e.geo->second}));
    icalcomponent_add_property(event, icalproperty_new_description(e.description.c_str()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
  }
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  std::string out = text;
  icalmemory_free_buffer(text);
  // The library's ring of temporary texts is not needed after this.
  icalmemory_free_ring();
  return out;
}

}  // namespace nemora::cli
