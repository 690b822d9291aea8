#include "cli/json_output.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/main_lists.h"
#include "app/session.h"
#include "base/criterion_types.h"
#include "visibility/phases.h"

namespace nemora::cli {

namespace {

// Fixed day number of 1 January 1970, the epoch of the system clock's days.
constexpr int64_t kFixedOf1970 = 719163;

// Floor division of whole numbers (days before the epoch count down).
int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

std::string isoDate(int64_t fixed) {
  const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{fixed - kFixedOf1970}}};
  const int year = static_cast<int>(ymd.year());
  char text[32];
  if (year >= 0 && year <= 9999)
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", year, static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
  else
    std::snprintf(text, sizeof text, "%c%05d-%02u-%02u", year < 0 ? '-' : '+', std::abs(year),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

std::string jsonText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r') continue;
    // U+200E, U+200F (E2 80 8E/8F) and U+2066 to U+2069 (E2 81 A6 to A9).
    if (c == 0xE2 && i + 2 < text.size()) {
      const unsigned char b = static_cast<unsigned char>(text[i + 1]);
      const unsigned char d = static_cast<unsigned char>(text[i + 2]);
      if ((b == 0x80 && (d == 0x8E || d == 0x8F)) || (b == 0x81 && d >= 0xA6 && d <= 0xA9)) {
        i += 2;
        continue;
      }
    }
    out += static_cast<char>(c);
  }
  return out;
}

std::string snakeKey(const std::string& name) {
  std::string key;
  for (unsigned char c : name) {
    if (std::isalnum(c))
      key += static_cast<char>(std::tolower(c));
    else if (!key.empty() && key.back() != '_')
      key += '_';
  }
  while (!key.empty() && key.back() == '_') key.pop_back();
  return key;
}

std::string isoUt(double t) {
  const int64_t seconds = std::llround(t * 86400.0);
  const int64_t day = floorDiv(seconds, 86400);
  const int64_t second = seconds - day * 86400;
  char clock[16];
  std::snprintf(clock, sizeof clock, "T%02d:%02d:%02dZ", static_cast<int>(second / 3600),
                static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
  return isoDate(day) + clock;
}

Json instantJson(Session& session, double t) {
  if (!std::isfinite(t)) return nullptr;
  std::string last;
  Json o;
  o["fixed"] = t;
  o["jd"] = t + 1721424.5;
  o["ut"] = isoUt(t);
  o["text"] = jsonText(session.dateText.strMoment(t, last, false, false, false));
  return o;
}

Json dayJson(Session& session, int32_t day) {
  Json o;
  o["fixed"] = day;
  o["date"] = isoDate(day);
  bool ok = true;
  const std::string text = MoonPhases(session).DayText(day, ok);
  o["text"] = ok ? Json(jsonText(text)) : Json(nullptr);
  return o;
}

Json placeJson(const Session& session) {
  const udtLocation& place = session.udtLocation;
  Json o;
  if (place.blnPlaceValid)
    o["name"] = place.strCountry + "/" + place.strCity + "/" + place.strNeighborhood;
  else
    o["name"] = nullptr;
  o["latitude"] = place.dblLatitude;
  o["longitude"] = place.dblLongitude;
  o["height"] = place.dblHeight;
  // A place of the database: the standard zone of its history's epoch at
  // the input instant.
  double zone = place.dblTZ;
  if (place.blnAutoTZ && !place.udtTZ.empty()) {
    const double t = session.dblFixDate + session.dblFixTime;
    for (const udtTZHistory& epoch : place.udtTZ) {
      zone = epoch.dblTZ;
      if (!epoch.blnLast || t <= epoch.dblLastDate) break;
    }
  }
  o["zone"] = zone;
  return o;
}

std::string criterionName(const Session& session) {
  const auto& names = criterionTypeNames();
  const auto type = static_cast<size_t>(session.udtUserCriterion.intType);
  return type < names.size() ? names[type] : std::to_string(type);
}

Json dateJson(const udtDate& date) {
  Json o;
  const auto& names = dateTypeNames();
  o["date_type"] = static_cast<size_t>(date.enmDateType) < names.size()
                       ? Json(names[static_cast<size_t>(date.enmDateType)])
                       : Json(date.enmDateType);
  if (date.enmDateType < dtGregorian) {
    o["day_number"] = date.dblDay;
    return o;
  }
  o["year"] = date.intYear;
  o["month"] = date.intMonth;
  o["day"] = date.intDateOfMonth;
  o["ce"] = date.blnCE;
  o["eve"] = date.blnEve;
  return o;
}

Json timeJson(const udtTime& time) {
  const udtDms& d = time.udtDms;
  Json o;
  const auto& names = timeTypeNames();
  o["time_type"] = static_cast<size_t>(time.enmTimeType) < names.size()
                       ? Json(names[static_cast<size_t>(time.enmTimeType)])
                       : Json(time.enmTimeType);
  o["hours"] = d.intDegreesHours;
  o["minutes"] = d.intMinutes;
  o["seconds"] = d.dblSeconds;
  o["negative"] = !d.blnPositive;
  o["clock_24_hour"] = time.bln24Hour;
  o["pm"] = time.blnPM;
  o["second_occurrence"] = time.blnSecondTime;
  return o;
}

std::string jsonLine(const Json& object) { return object.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace nemora::cli

namespace nemora::cli {

void printJson(const Json& object) { std::cout << jsonLine(object) << '\n'; }

}  // namespace nemora::cli
