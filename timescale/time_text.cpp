#include "timescale/time_text.h"

#include <cmath>
#include <optional>
#include <vector>

#include "base/errors.h"
#include "base/main_module.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/session.h"
#include "calendar/dms.h"

namespace nemora {
namespace {

constexpr std::string_view kTypeNamesEnglish[] = {" UTC", " Local Time", " Mean Solar Time", " True Solar Time",
                                                  " GMST", " LST", " Seasonal"};
// "True Solar" carries two leading blanks in Hebrew.
constexpr std::string_view kTypeNamesHebrew[] = {" זמן אוניברסלי מתאם", " שעון מקומי", " זמן-חמה ממוצע",
                                                 "  זמן-חמה אמיתי", " זמן-גריניץ' נדמה", " זמן-כוכבים נדמה",
                                                 " שעות זמניות"};

bool validTimeType(int32_t type) { return type >= ttUTC && type <= ttSeasonal; }

// The clock fields of a record while it is written, with the carry of a
// rounded-up minute into the hours in the record's own clock form.
struct ClockReading {
  int hours;
  int minutes;
  bool blnPM;
  bool bln24Hour;
  bool blnSeasonal;

  void carryMinute() {
    if (++minutes < 60) return;
    minutes = 0;
    ++hours;
    if (bln24Hour) {
      if (hours >= 24) hours -= 24;  // 23:59:30 becomes 00:00 (the date is not advanced here)
    } else if (blnSeasonal) {
      // Hours 0 to 11 in each half: the twelfth hour opens the other half.
      if (hours == 12) {
        hours = 0;
        blnPM = !blnPM;
      }
    } else {
      // Hours 1 to 12: 11:59:30 a.m. becomes 12:00 p.m., 12:59:30 becomes 1:00.
      if (hours == 12) blnPM = !blnPM;
      if (hours == 13) hours = 1;
    }
  }
};

std::string_view secondsPattern(int16_t intPrecision) {
  switch (intPrecision) {
    case 0: return "00";
    case 1: return "00.0";
    default: return "00.00";
  }
}

// A whole number written without sign or decimals, or nothing.
std::optional<int> wholeNumber(std::string_view item) {
  std::optional<double> value = parseNumber(item);
  if (!value || *value != std::floor(*value) || std::fabs(*value) > 32767) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

std::string TimeText::WriteTime(const udtTime& t, int16_t intPrecision, bool& blnValid, bool blnTypeName) {
  return guarded(blnValid, "frmTime.WriteTime", std::string(), [&] {
    const udtDms& dms = t.udtDms;
    if (!validTimeType(t.enmTimeType)) raise("Invalid udtTimeIn.enmTimeType: ", t.enmTimeType);
    if (dms.intDegreesHours < 0 || dms.intDegreesHours > 24)
      raise("Invalid udtTimeIn.udtDms.intDegreesHours: ", dms.intDegreesHours);
    if (dms.intMinutes < 0 || dms.intMinutes > 59) raise("Invalid udtTimeIn.udtDms.intMinutes: ", dms.intMinutes);
    if (!(dms.dblSeconds >= 0 && dms.dblSeconds < 60)) raise("Invalid udtTimeIn.udtDms.dblSeconds: ", dms.dblSeconds);

    ClockReading clock{dms.intDegreesHours, dms.intMinutes, t.blnPM, t.bln24Hour, t.enmTimeType == ttSeasonal};
    std::string seconds;
    if (intPrecision < 0) {
      if (dms.dblSeconds >= 30) clock.carryMinute();
    } else {
      std::string_view pattern = secondsPattern(intPrecision);
      seconds = formatNumber(dms.dblSeconds, pattern);
      if (seconds.starts_with("60")) {
        seconds = formatNumber(0, pattern);
        clock.carryMinute();
      }
    }

    const Session& s = session();
    std::string text = s.udtTimeIn.bln24Hour ? formatNumber(clock.hours, "00") : std::to_string(clock.hours);
    text += ":" + formatNumber(clock.minutes, "00");
    if (intPrecision >= 0) text += ":" + seconds;
    const Main& main = s.main;
    text = main.Figure(text);
    if (!t.bln24Hour) {
      if (clock.blnSeasonal) {
        text += clock.blnPM ? main.Lang(" day", " יום") : main.Lang(" night", " לילה");
      } else {
        text += clock.blnPM ? main.Lang(" p.m.", " אחה\"צ") : main.Lang(" a.m.", " לפה\"צ");
      }
    }
    if (t.blnSecondTime) text += main.Lang(" 2nd ocurrence", " מקרה שני");
    if (blnTypeName) text += main.Lang(kTypeNamesEnglish[t.enmTimeType], kTypeNamesHebrew[t.enmTimeType]);
    return text;
  });
}

void TimeText::ToAMPM(udtTime& t, bool& blnValid) {
  guardedVoid(blnValid, "frmTime.ToAMPM", [&] {
    udtTime result = t;
    int hours = Modulo(t.udtDms.intDegreesHours, 24);
    result.blnPM = hours > 11;
    bool seasonal = t.enmTimeType == ttSeasonal;
    if (t.enmTimeType == ttGMST || t.enmTimeType == ttLST) {
      result.bln24Hour = true;
    } else if (seasonal) {
      result.bln24Hour = false;
    } else {
      result.bln24Hour = session().udtTimeIn.bln24Hour;
    }
    if (!result.bln24Hour) {
      if (hours == 0 && !seasonal) hours = 12;
      if (hours > 12 || (hours == 12 && seasonal)) hours -= 12;
      bool fits = seasonal ? (hours >= 0 && hours <= 11) : (hours >= 1 && hours <= 12);
      if (!fits) raise("Invalid udtTimeIn.udtDms.intDegreesHours: ", hours);
    }
    result.udtDms.intDegreesHours = static_cast<int16_t>(hours);
    t = result;
  });
}

double TimeText::FromAMPM(const udtTime& t, bool& blnValid) {
  return guarded(blnValid, "frmTime.FromAMPM", 0.0, [&] {
    bool seasonal = t.enmTimeType == ttSeasonal;
    if (t.bln24Hour && seasonal) raise("Time must not be in 24 hour mode for seasonal type");
    if (!t.bln24Hour && (t.enmTimeType == ttGMST || t.enmTimeType == ttLST))
      raise("Time must be in 24 hour mode for GMST and LST type");
    const udtDms& dms = t.udtDms;
    int hours = dms.intDegreesHours;
    bool twelveHour = !t.bln24Hour;
    if (hours < 0 || hours > 24 || (twelveHour && hours == 0 && t.enmTimeType <= ttLST) ||
        ((twelveHour || seasonal) && hours >= 13))
      raise("Invalid udtTimeIn.udtDms.intDegreesHours: ", hours);
    if (dms.intMinutes < 0 || dms.intMinutes > 59) raise("Invalid udtTimeIn.udtDms.intMinutes: ", dms.intMinutes);
    if (!(dms.dblSeconds >= 0 && dms.dblSeconds < 60)) raise("Invalid udtTimeIn.udtDms.dblSeconds: ", dms.dblSeconds);
    bool ok = true;
    double value = session().dms.FromDMS(dms, ok);
    if (!ok) abandon();
    if (twelveHour) {
      if (hours == 12 && !t.blnPM) value -= 12;  // 12 a.m. is midnight
      if (t.blnPM && hours < 12) value += 12;
    }
    return value;
  });
}

bool TimeText::ParseHM(std::string_view text, udtTime& t) const {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t colon = text.find(':'); colon != std::string_view::npos; colon = text.find(':', from)) {
    parts.push_back(text.substr(from, colon - from));
    from = colon + 1;
  }
  parts.push_back(text.substr(from));
  if (parts.size() < 2 || parts.size() > 3) return false;
  std::optional<int> hours = wholeNumber(parts[0]);
  std::optional<int> minutes = wholeNumber(parts[1]);
  std::optional<double> seconds = parts.size() == 3 ? parseNumber(parts[2]) : std::optional<double>(0.0);
  if (!hours || !minutes || !seconds) return false;
  if (*hours < 0 || *hours > 23 || *minutes < 0 || *minutes > 59 || !(*seconds >= 0 && *seconds < 60)) return false;
  t.bln24Hour = true;
  t.blnPM = *hours > 11;
  t.blnSecondTime = false;
  t.udtDms = udtDms{static_cast<int16_t>(*hours), static_cast<int16_t>(*minutes), *seconds, true};
  return true;
}

}  // namespace nemora
