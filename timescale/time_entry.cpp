#include "timescale/time_entry.h"

#include <cmath>
#include <optional>

#include "base/main_module.h"
#include "base/text.h"
#include "base/session.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

bool validType(int type) { return type >= ttUTC && type <= ttSeasonal; }
bool siderealType(int type) { return type == ttGMST || type == ttLST; }

}  // namespace

TimeEntry::TimeEntry(Session& session) : SessionBound(session) { load(); }

void TimeEntry::load() {
  const udtTime& t = session().udtTimeIn;
  controls.cboTimeType = validType(t.enmTimeType) ? t.enmTimeType : -1;
  controls.txtHours = std::to_string(t.udtDms.intDegreesHours);
  controls.txtMinutes = std::to_string(t.udtDms.intMinutes);
  controls.txtSeconds = generalNumber(t.udtDms.dblSeconds);
  controls.opt24Hr = t.bln24Hour;
  controls.optPM = t.blnPM;
  controls.opt2 = t.blnSecondTime;
  blnClosing_ = false;
}

std::vector<std::string> TimeEntry::typeNames() { return {std::begin(kTimeTypeNames), std::end(kTimeTypeNames)}; }

std::string TimeEntry::amCaption() const { return controls.cboTimeType == ttSeasonal ? "Night" : "a.m."; }
std::string TimeEntry::pmCaption() const { return controls.cboTimeType == ttSeasonal ? "Day" : "p.m."; }

bool TimeEntry::clockChoiceEnabled() const {
  return validType(controls.cboTimeType) && !siderealType(controls.cboTimeType) &&
         controls.cboTimeType != ttSeasonal;
}

bool TimeEntry::halfDayEnabled() const {
  if (controls.cboTimeType == ttSeasonal) return true;
  return clockChoiceEnabled() && !controls.opt24Hr;
}

bool TimeEntry::occurrenceEnabled() const {
  return validType(controls.cboTimeType) && controls.cboTimeType != ttSeasonal;
}

std::string TimeEntry::invalidTimeText() const {
  std::string text = "Time cannot be valid";
  const size_t emptyLength = text.size();
  auto fail = [&](std::string_view reason) { text = concat(text, kLineBreak, reason); };
  const TimeControls& c = controls;
  const int type = c.cboTimeType;

  if (!validType(type)) fail("Invalid time type");

  std::optional<double> hours = parseNumber(c.txtHours);
  if (!hours) {
    fail("Hours must be a number.");
  } else if (*hours < 0 || *hours >= 24) {
    fail("Hours must between 0 and 23.");
  } else if (*hours != std::floor(*hours)) {
    fail("Hours must be an integer.");
  } else if (type == ttSeasonal) {
    // Seasonal hours count 0 to 11 in each half of the day.
    if (*hours >= 12) fail("When using seasonal time then Hours must be between 0 and 11.");
  } else if (!c.opt24Hr && type >= ttUTC && type <= ttTrueSolar && (*hours == 0 || *hours >= 13)) {
    fail("When in am/pm mode then Hours must be between 1 and 12.");
  }

  std::optional<double> minutes = parseNumber(c.txtMinutes);
  if (!minutes) {
    fail("Minutes must be numeric.");
  } else if (*minutes < 0 || *minutes >= 60) {
    fail("Minutes must be between 0 and 59.");
  } else if (*minutes != std::floor(*minutes)) {
    fail("Minutes must be an integer.");
  }

  std::optional<double> seconds = parseNumber(c.txtSeconds);
  if (!seconds) {
    fail("Seconds must be numeric.");
  } else if (*seconds < 0 || *seconds >= 60) {
    fail("Seconds must be between 0 and less than 60.");
  }
  return text.size() == emptyLength ? std::string() : text;
}

bool TimeEntry::cmdOK() {
  std::string invalid = invalidTimeText();
  Session& s = session();
  if (!invalid.empty()) {
    s.showMessage(invalid);
    return false;
  }
  const TimeControls& c = controls;
  udtTime next;
  next.bln24Hour = c.opt24Hr;
  next.blnPM = c.optPM;
  next.blnSecondTime = c.opt2;
  next.enmTimeType = c.cboTimeType;
  if (next.enmTimeType == ttSeasonal) next.bln24Hour = false;
  if (siderealType(next.enmTimeType)) next.bln24Hour = true;
  next.udtDms.blnPositive = true;
  next.udtDms.dblSeconds = *parseNumber(c.txtSeconds);
  next.udtDms.intDegreesHours = static_cast<int16_t>(*parseNumber(c.txtHours));
  next.udtDms.intMinutes = static_cast<int16_t>(*parseNumber(c.txtMinutes));

  s.udtTimeIn = next;
  blnClosing_ = true;
  return true;
}

void TimeEntry::cmdCancel() {
  // Nothing changed here.
  blnClosing_ = true;
}

bool TimeEntry::queryClose() {
  if (blnClosing_) return true;
  return cmdOK();
}

}  // namespace nemora
