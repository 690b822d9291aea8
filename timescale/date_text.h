// Dates as fixed day numbers and as text: the evaluation of a date of any
// date type, the calendar date of a fixed day, date text in English and
// Hebrew with weekdays and ordinal suffixes, and date-and-time text of
// instants for the reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/session_bound.h"
#include "base/date.h"
#include "base/time_types.h"

namespace nemora {

// Names of the date types in the date lists, by enmDateType.
inline constexpr std::string_view kDateTypeNames[] = {"Fixed",     "JD",     "JDE",    "MJD",
                                                      "Gregorian", "Julian", "Hebrew", "Islamic"};

// "st" for 1, 21, 31; "nd" for 2, 22; "rd" for 3, 23; "th" otherwise.
std::string OrdinalSuffix(int day);

class DateText : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Fixed day number (with fraction for day-number types) of a date.
  double EvaluateDate(const udtDate& date, bool& blnValid);

  // The calendar date (Gregorian, Julian, Hebrew or Islamic) of a fixed day.
  void ToDate(int32_t lngDay, int32_t enmDateType, udtDate& udtDateOut, bool& blnValid);

  // The date as text in the session's language: day counts in general
  // number form; calendar dates numeric (year/month/day) or with the month
  // name, the weekday in front when asked and "eve" for an evening before
  // the civil date; then the era and the name of the date type. With
  // blnWithGregorian the Gregorian name is left out, and a Hebrew date in
  // Hebrew shows the Gregorian date of the same day instead of its name.
  std::string WriteDate(const udtDate& date, bool& blnValid, bool blnWithGregorian, bool blnNumeric,
                        bool blnWeekday);

  // Name of the weekday of the date.
  std::string GetDayOfWeek(const udtDate& date, bool& blnValid);

  // Date and time text of a date with its time. The date is left out (time
  // text alone) with blnTimeOnly, or when it is the same calendar date as
  // lastDateText, which otherwise becomes this date's text. blnNative leaves
  // out the scale's name (the time text alone keeps it, except local time).
  std::string DateTimeText(const udtDate& date, const udtTime& time, std::string& lastDateText,
                           int16_t intPrecision, bool blnTimeOnly, bool blnNative);

  // Text of an instant in the input date type and time type (in the native
  // calendar of the language, Gregorian or Hebrew, with blnNative), rounded
  // to the precision setting; "Date out of range." when it cannot be
  // converted.
  std::string strMoment(double t, std::string& lastDateText, bool blnDateOnly, bool blnTimeOnly, bool blnNative);

  // Fixed day number of the calendar day, in the input date type and time
  // type, that contains the instant t.
  double FixedToDay(double t, bool& blnValid);

  // Reads "day/month/year" (whole numbers) into the input date as a
  // Gregorian date. False, with the input date unchanged, when the text is
  // not such a date.
  void ParseDMY(std::string_view text, bool& blnValid);

 private:
  std::string monthName(const udtDate& date);
};

}  // namespace nemora
