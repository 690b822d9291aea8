#include "timescale/date_text.h"

#include <cmath>
#include <optional>
#include <vector>

#include "timescale/conversions.h"
#include "base/errors.h"
#include "base/main_module.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/session.h"
#include "calendar/gregorian.h"
#include "calendar/hebrew.h"
#include "calendar/islamic.h"
#include "calendar/julian.h"
#include "calendar/julian_day.h"
#include "timescale/jde.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

constexpr std::string_view kWeekdaysEnglish[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};
constexpr std::string_view kWeekdaysHebrew[] = {"יום ראשון", "יום שני",  "יום שלישי", "יום רביעי",
                                                "יום חמישי", "יום ששי", "שבת"};
// Names of the date types after a date, by enmDateType.
constexpr std::string_view kSuffixEnglish[] = {" Fixed Radix", " JD",     " JDE",    " MJD",
                                               " Gregorian",   " Julian", " Hebrew", " Islamic arithmetic"};
constexpr std::string_view kSuffixHebrew[] = {" לפי בסיס קבוע", " יום יוליאני", " יום יוליאני אפמריס",
                                              " יום יוליאני מוסגל", " גרגוריאני",   " יוליאני",
                                              " עברי",             " איסלאמי אריתמטי"};

void abandonUnless(bool ok) {
  if (!ok) abandon();
}

// A whole number item within the range of a 16-bit field, or nothing.
std::optional<int16_t> wholeItem(std::string_view item) {
  std::optional<double> value = parseNumber(item);
  if (!value || *value != std::floor(*value) || std::fabs(*value) > 32767) return std::nullopt;
  return static_cast<int16_t>(*value);
}

}  // namespace

std::string OrdinalSuffix(int day) {
  switch (day) {
    case 1:
    case 21:
    case 31: return "st";
    case 2:
    case 22: return "nd";
    case 3:
    case 23: return "rd";
    default: return "th";
  }
}

double DateText::EvaluateDate(const udtDate& date, bool& blnValid) {
  return guarded(blnValid, "frmDate.EvaluateDate", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    double fixed = 0;
    switch (date.enmDateType) {
      case dtFixed: fixed = date.dblDay; break;
      case dtJD: fixed = s.jd.jd_fixed(date.dblDay, ok); break;
      case dtJDE: fixed = s.jde.jde_fixed(date.dblDay, ok); break;
      case dtMJD: fixed = s.mjd.mjd_fixed(date.dblDay, ok); break;
      case dtGregorian: fixed = s.gregorian.gregorian_fixed(date, ok); break;
      case dtJulian: fixed = s.julian.julian_fixed(date, ok); break;
      case dtHebrew: fixed = s.hebrew.hebrew_fixed(date, ok); break;
      case dtIslamic: fixed = s.islamic.islamic_fixed(date, ok); break;
      default: raise("Error in DateToFixed, Invalid date type: ", date.enmDateType);
    }
    abandonUnless(ok);
    return fixed;
  });
}

void DateText::ToDate(int32_t lngDay, int32_t enmDateType, udtDate& udtDateOut, bool& blnValid) {
  guardedVoid(blnValid, "frmDate.ToDate", [&] {
    Session& s = session();
    bool ok = true;
    udtDate date;
    switch (enmDateType) {
      case dtGregorian: s.gregorian.fixed_gregorian(lngDay, date, ok); break;
      case dtJulian: s.julian.fixed_julian(lngDay, date, ok); break;
      case dtHebrew: s.hebrew.fixed_hebrew(lngDay, date, ok); break;
      case dtIslamic: s.islamic.fixed_islamic(lngDay, date, ok); break;
      default: raise("enmDateType: ", enmDateType);
    }
    abandonUnless(ok);
    udtDateOut = date;
  });
}

std::string DateText::monthName(const udtDate& date) {
  Session& s = session();
  switch (date.enmDateType) {
    case dtHebrew: return s.hebrew.HebrewMonthName(date.intMonth, date.intYear);
    case dtIslamic: return s.islamic.IslamicMonthName(date.intMonth);
    default: return s.gregorian.GregorianMonthName(date.intMonth);
  }
}

std::string DateText::WriteDate(const udtDate& date, bool& blnValid, bool blnWithGregorian, bool blnNumeric,
                                bool blnWeekday) {
  return guarded(blnValid, "frmDate.WriteDate", std::string(), [&] {
    int32_t type = date.enmDateType;
    if (type < dtFixed || type > dtIslamic) raise("Invalid udtDateIn.enmDateType: ", type);
    Session& s = session();
    bool hebrew = s.intLanguage == 1;
    bool ok = true;
    std::string text;
    if (isDayNumberType(type)) {
      text = generalNumber(date.dblDay);
      if (hebrew) text = ltrIsolate(text);
    } else if (blnNumeric) {
      text = (date.blnCE ? "" : "-") + formatNumber(date.intYear, "######0") + "/" +
             formatNumber(date.intMonth, "00") + "/" + formatNumber(date.intDateOfMonth, "00");
      if (hebrew) text = ltrIsolate(text);
    } else if (hebrew) {
      if (date.blnEve) text += "אור ל";
      if (blnWeekday) {
        text += GetDayOfWeek(date, ok) + ", ";
        abandonUnless(ok);
      }
      text += HebrewNumeral(date.intDateOfMonth) + " ב" + monthName(date) + " " + HebrewNumeral(date.intYear);
    } else {
      if (blnWeekday) {
        text += GetDayOfWeek(date, ok) + " ";
        abandonUnless(ok);
      }
      if (date.blnEve) text += "eve ";
      text += std::to_string(date.intDateOfMonth) + OrdinalSuffix(date.intDateOfMonth) + " " + monthName(date) +
              " " + std::to_string(date.intYear);
    }
    const Main& main = s.main;
    // Era: Gregorian years with blnCE are astronomical (0 and below occur),
    // so only Julian dates of the era say so.
    if (type == dtGregorian || type == dtJulian) {
      if (!date.blnCE) {
        text += main.Lang(" BCE", " לפני הספירה");
      } else if (type == dtJulian && date.intYear > 0) {
        text += main.Lang(" CE", " לספירה");
      }
    }
    if (type == dtHebrew && hebrew && blnWithGregorian) {
      // The Gregorian date of the same day, day.month.year.
      double fixed = EvaluateDate(date, ok);
      abandonUnless(ok);
      udtDate g;
      s.gregorian.fixed_gregorian(static_cast<int32_t>(std::floor(fixed)), g, ok);
      abandonUnless(ok);
      text += " (" +
              ltrIsolate(formatNumber(g.intDateOfMonth, "00") + "." + formatNumber(g.intMonth, "00") + "." +
                         formatNumber(g.intYear, "######0")) +
              ")";
    } else if (!(type == dtGregorian && blnWithGregorian)) {
      text += main.Lang(kSuffixEnglish[type], kSuffixHebrew[type]);
    }
    return text;
  });
}

std::string DateText::GetDayOfWeek(const udtDate& date, bool& blnValid) {
  return guarded(blnValid, "frmDate.GetDayOfWeek", std::string(), [&] {
    bool ok = true;
    double fixed = EvaluateDate(date, ok);
    abandonUnless(ok);
    int32_t day = Modulo(std::floor(fixed), 7);
    if (day < 0 || day > 6) raise("Invalid GetDayOfWeek: ", day);
    return session().main.Lang(kWeekdaysEnglish[day], kWeekdaysHebrew[day]);
  });
}

std::string DateText::DateTimeText(const udtDate& date, const udtTime& time, std::string& lastDateText,
                                   int16_t intPrecision, bool blnTimeOnly, bool blnNative) {
  Session& s = session();
  bool ok = true;
  std::string dateText = WriteDate(date, ok, false, false, true);
  bool calendar = !isDayNumberType(date.enmDateType);
  // A day count carries its time in its fraction: its text stands for the
  // time too, where a clock time would always read midnight.
  if (!calendar) {
    lastDateText = dateText;
    return dateText;
  }
  if (blnTimeOnly || dateText == lastDateText) {
    bool typeName = !(blnNative && time.enmTimeType == ttLocal);
    return s.timeText.WriteTime(time, intPrecision, ok, typeName);
  }
  lastDateText = dateText;
  return dateText + " " + s.timeText.WriteTime(time, intPrecision, ok, !blnNative);
}

std::string DateText::strMoment(double t, std::string& lastDateText, bool blnDateOnly, bool blnTimeOnly,
                                bool blnNative) {
  Session& s = session();
  // The input date type stands in for the native calendar during this call
  // only (the time classes read it too).
  struct RestoreDateType {
    int32_t& type;
    int32_t saved;
    ~RestoreDateType() { type = saved; }
  } restore{s.udtDateIn.enmDateType, s.udtDateIn.enmDateType};
  if (blnNative) s.udtDateIn.enmDateType = s.intLanguage == 1 ? dtHebrew : dtGregorian;

  auto code = static_cast<int16_t>(s.options.intPrecision - 1);
  // Day counts carry no time to round.
  double rounded = isDayNumberType(s.udtDateIn.enmDateType) ? t : RoundTime(t, code);
  bool ok = true;
  udtDate date;
  udtTime time;
  s.conversions.ToDateTime(rounded, date, s.udtDateIn.enmDateType, time, s.udtTimeIn.enmTimeType, ok);
  if (!ok) return "Date out of range.";
  // The instant is already rounded to the display unit (half a unit was
  // added, which also carries into the date); cut what lies below the unit
  // so that the time text does not round it a second time.
  double scale = code < 0 ? 0 : std::pow(10.0, code);
  double& seconds = time.udtDms.dblSeconds;
  seconds = code < 0 ? 0 : std::floor(seconds * scale + 1e-6) / scale;
  if (blnDateOnly) return WriteDate(date, ok, blnNative, false, true);
  return DateTimeText(date, time, lastDateText, code, blnTimeOnly, blnNative);
}

double DateText::FixedToDay(double t, bool& blnValid) {
  return guarded(blnValid, "frmDate.FixedToDay", 0.0, [&] {
    Session& s = session();
    if (isDayNumberType(s.udtDateIn.enmDateType)) return std::floor(t);
    return static_cast<double>(s.conversions.calendarDayOf(t, s.udtDateIn.enmDateType, s.udtTimeIn.enmTimeType).lngDay);
  });
}

void DateText::ParseDMY(std::string_view text, bool& blnValid) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t slash = text.find('/'); slash != std::string_view::npos; slash = text.find('/', from)) {
    parts.push_back(text.substr(from, slash - from));
    from = slash + 1;
  }
  parts.push_back(text.substr(from));
  blnValid = false;
  if (parts.size() != 3) return;
  std::optional<int16_t> day = wholeItem(parts[0]), month = wholeItem(parts[1]), year = wholeItem(parts[2]);
  if (!day || !month || !year) return;
  session().udtDateIn = calendarDate(dtGregorian, *year, *month, *day);
  blnValid = true;
}

}  // namespace nemora
