#include "timescale/date_entry.h"

#include <cmath>
#include <optional>

#include "base/main_module.h"
#include "base/numeric.h"
#include "base/text.h"
#include "base/session.h"
#include "calendar/gregorian.h"
#include "calendar/hebrew.h"
#include "calendar/islamic.h"
#include "calendar/julian.h"
#include "base/date.h"
#include "timescale/date_text.h"

namespace nemora {
namespace {

bool isCalendarType(int type) { return type >= dtGregorian && type <= dtIslamic; }

// A whole number of a text box (rounded half to even), when it is a number
// within the range of a 16-bit field.
std::optional<int16_t> wholeValue(const std::string& text) {
  std::optional<double> value = parseNumber(text);
  if (!value) return std::nullopt;
  double rounded = roundHalfEven(*value);
  if (std::fabs(rounded) > 32767) return std::nullopt;
  return static_cast<int16_t>(rounded);
}

// The day is beyond the length the month has in every year.
bool monthNeverHas(int type, int month, int day) {
  switch (type) {
    case dtGregorian:
    case dtJulian:
      return (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11)) || (month == 2 && day > 29);
    case dtHebrew:  // Iyar, Tammuz, Ellul, Tevet and Adar 2 have 29 days
      return day == 30 && (month == 2 || month == 4 || month == 6 || month == 10 || month == 13);
    case dtIslamic:  // the even months have 29 days
      return day == 30 && (month == 2 || month == 4 || month == 6 || month == 8 || month == 10);
    default: return false;
  }
}

}  // namespace

DateEntry::DateEntry(Session& session) : SessionBound(session) { load(); }

void DateEntry::load() {
  const udtDate& d = session().udtDateIn;
  controls.cboType = (d.enmDateType >= dtFixed && d.enmDateType <= dtIslamic) ? d.enmDateType : -1;
  controls.optCE = d.blnCE;
  controls.txtDayNo = generalNumber(d.dblDay);
  controls.txtDate = std::to_string(d.intDateOfMonth);
  int months = static_cast<int>(monthNames().size());
  controls.cboMonth = (d.intMonth >= 1 && d.intMonth <= months) ? d.intMonth - 1 : -1;
  controls.txtYear = std::to_string(d.intYear);
  blnClosing_ = false;
}

std::vector<std::string> DateEntry::typeNames() { return {std::begin(kDateTypeNames), std::end(kDateTypeNames)}; }

std::vector<std::string> DateEntry::monthNames() const {
  Session& s = session();
  std::vector<std::string> names;
  switch (controls.cboType) {
    case dtHebrew:
      // Names for no particular year: "Adar (1)" and "Adar 2".
      for (int16_t m = 1; m <= 13; ++m) names.push_back(s.hebrew.HebrewMonthName(m, clsHebrew::kNoYear));
      break;
    case dtIslamic:
      for (int16_t m = 1; m <= 12; ++m) names.push_back(s.islamic.IslamicMonthName(m));
      break;
    default:
      for (int16_t m = 1; m <= 12; ++m) names.push_back(s.gregorian.GregorianMonthName(m));
      break;
  }
  return names;
}

bool DateEntry::dayNumberEnabled() const { return !isCalendarType(controls.cboType); }

void DateEntry::typeChanged(int intType) {
  controls.cboType = intType;
  int last = static_cast<int>(monthNames().size()) - 1;
  if (controls.cboMonth > last) controls.cboMonth = last;
}

std::string DateEntry::invalidDateText() const {
  std::string text = "Date cannot be valid";
  const size_t emptyLength = text.size();
  auto fail = [&](std::string_view reason) { text = concat(text, kLineBreak, reason); };
  const DateControls& c = controls;
  const int type = c.cboType;

  if (type < dtFixed || type > dtIslamic) {
    fail("Invalid date type");
  } else if (!isCalendarType(type)) {
    if (!parseNumber(c.txtDayNo)) fail("Day number must be a number.");
  } else {
    bool monthChosen = c.cboMonth >= 0 && c.cboMonth < static_cast<int>(monthNames().size());
    int month = c.cboMonth + 1;
    if (!monthChosen) fail("Invalid month name");

    std::optional<double> yearValue = parseNumber(c.txtYear);
    if (!yearValue) {
      fail("Year must be a number.");
    } else if (std::fabs(*yearValue) > 32766) {
      fail("Date out of range.");
    } else if (*yearValue < 1 && !c.optCE) {
      fail("Only positive years are valid with the BCE option.");
    }

    std::optional<double> dayValue = parseNumber(c.txtDate);
    int day = dayValue ? static_cast<int>(roundHalfEven(*dayValue)) : 0;
    bool sunsetCalendar = type == dtHebrew || type == dtIslamic;
    if (!dayValue) {
      fail("Date of month must be a number.");
    } else if (*dayValue < 1 || *dayValue > 31) {
      fail("Date of month must be between 0 and 31.");
    } else if (day == 31 && sunsetCalendar) {
      fail("Date of month must be between 0 and 30 for Hebrew and Islamic calendars.");
    } else if (monthChosen && monthNeverHas(type, month, day)) {
      fail("This month never has this many days.");
    }

    // The checks that depend on the year, once everything else holds.
    if (text.size() == emptyLength) {
      Session& s = session();
      auto year = static_cast<int32_t>(roundHalfEven(*yearValue));
      const char* notLeap = "This date does not occur because it is not a leap year.";
      switch (type) {
        case dtGregorian:
          if (month == 2 && day == 29 && !s.gregorian.GregorianLeapYear(c.optCE ? year : 1 - year)) fail(notLeap);
          break;
        case dtJulian:
          if (month == 2 && day == 29 && !s.julian.JulianLeapYear(year, c.optCE)) fail(notLeap);
          break;
        case dtHebrew:
          if (month == 13 && !s.hebrew.HebrewLeapYear(year)) {
            fail("Adar 2 does not occur because it is not a leap year.");
          } else if (month == 12 && day == 30 && !s.hebrew.HebrewLeapYear(year)) {
            fail(notLeap);
          } else if ((month == 8 && day == 30 && !s.hebrew.LongCheshvan(year)) ||
                     (month == 9 && day == 30 && s.hebrew.ShortKislev(year))) {
            fail("This month only has 29 days in this year.");
          }
          break;
        case dtIslamic:
          if (month == 12 && day == 30 && !s.islamic.IslamicLeapYear(year)) fail(notLeap);
          break;
        default: break;
      }
    }
  }
  return text.size() == emptyLength ? std::string() : text;
}

bool DateEntry::cmdOK() {
  std::string invalid = invalidDateText();
  Session& s = session();
  if (!invalid.empty()) {
    s.showMessage(invalid);
    return false;
  }
  const DateControls& c = controls;
  udtDate next = s.udtDateIn;
  next.enmDateType = c.cboType;
  next.blnCE = c.optCE;
  // Boxes that the date type does not use keep the values they stand for
  // when they hold no number.
  if (std::optional<double> day = parseNumber(c.txtDayNo)) next.dblDay = *day;
  if (std::optional<int16_t> date = wholeValue(c.txtDate)) next.intDateOfMonth = *date;
  if (c.cboMonth >= 0) next.intMonth = static_cast<int16_t>(c.cboMonth + 1);
  if (std::optional<int16_t> year = wholeValue(c.txtYear)) next.intYear = *year;

  s.udtDateIn = next;
  bool ok = true;
  double fixed = s.dateText.EvaluateDate(next, ok);
  if (ok) s.dblFixDate = fixed;
  blnClosing_ = true;
  return true;
}

void DateEntry::cmdCancel() {
  // Nothing changed here.
  blnClosing_ = true;
}

bool DateEntry::queryClose() {
  if (blnClosing_) return true;
  return cmdOK();
}

bool DateEntry::timeInputApplies(int32_t enmDateType) { return isCalendarType(enmDateType); }

}  // namespace nemora
