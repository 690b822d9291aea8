#include "cli/phases_command.h"

#include <chrono>
#include <cmath>
#include <iostream>
#include <vector>
#include <nlohmann/json.hpp>

#include "app/main_model.h"
#include "app/session.h"
#include "base/atomic_file.h"
#include "cli/calendar_file.h"
#include "cli/json_output.h"
#include "ephemeris/hbody.h"
#include "base/options.h"
#include "visibility/phases.h"
#include "base/visibility_types.h"

namespace nemora::cli {
namespace {

// Days per degree of elongation at the Moon's mean rate (a first guess).
constexpr double kDaysPerDegree = 0.082029411;

struct PhaseKind {
  double angle;  // the Moon's elongation, -180 to 180
  const char* key;
  const char* english;
  const char* hebrew;
};
// The new Moon is the true conjunction; the molad printed beside it is the
// calendar's mean one, so the two get different names in Hebrew too.
constexpr PhaseKind kPhases[4] = {{0, "new", "New Moon", "ירח חדש"},
                                  {90, "first_quarter", "First quarter", "רבע ראשון"},
                                  {180, "full", "Full Moon", "מילוי"},
                                  {-90, "last_quarter", "Last quarter", "רבע אחרון"}};

bool prepare(Session& session, MainModel& model, const Inputs& inputs) {
  if (!applyInputs(session, inputs)) return false;
  return model.chooseConvertAndEvaluate();
}

// The place as a calendar application shows it: its name, or its
// coordinates when they were typed.
std::string placeText(const Session& session) {
  const Json place = placeJson(session);
  if (place["name"].is_string()) return place["name"].get<std::string>();
  char text[64];
  std::snprintf(text, sizeof text, "%.4f, %.4f", session.udtLocation.dblLatitude, session.udtLocation.dblLongitude);
  return text;
}

// An identifier of an event that stays the same from run to run: what,
// which day or instant, where.
std::string eventUid(const Session& session, const std::string& what, long long when) {
  char text[160];
  std::snprintf(text, sizeof text, "%s-%lld-%.4f-%.4f-%.0f@nemora", what.c_str(), when,
                session.udtLocation.dblLatitude, session.udtLocation.dblLongitude, session.udtLocation.dblHeight);
  return text;
}

// The calendar events found by one run, written to their file at its end.
struct CalendarOut {
  std::string file;
  std::vector<CalendarEvent> events;
};

// Writes the events of a run (after its last line) to the calendar file;
// false, after a message, when that cannot be done.
bool writeCalendar(Session& session, const CalendarOut& out) {
  if (out.file.empty()) return true;
  try {
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() / 86400 + 719163;
    writeFileAtomically(out.file, icalendarText(out.events, now));
  } catch (const std::exception& e) {
    session.showMessage(e.what());
    return false;
  }
  return true;
}

}  // namespace

// The phases after one input instant; false when a step failed.
static bool phasesFrom(Session& session, MainModel& model, const Inputs& inputs, int count, bool json,
                       CalendarOut& calendar) {
  if (!prepare(session, model, inputs)) return false;
  Session& s = session;
  const double t0 = s.dblFixDate + s.dblFixTime;
  bool ok = true;
  udtHBody moon;
  s.hbody.TrueHBody("Moon", t0, moon, ok);
  if (!ok) return false;
  // The next principal phase: the one whose elongation the Moon reaches
  // first from its elongation now.
  int next = 0;
  double soonest = 361;
  for (int i = 0; i < 4; ++i) {
    double ahead = std::fmod(kPhases[i].angle - moon.EclElong + 720.0, 360.0);
    if (ahead <= 0) ahead = 360;
    if (ahead < soonest) {
      soonest = ahead;
      next = i;
    }
  }
  double start = t0 + soonest * kDaysPerDegree;
  for (int n = 0; n < 4 * count; ++n) {
    const PhaseKind& kind = kPhases[(next + n) % 4];
    double t = s.hbody.moon.FindPhase(start, kind.angle, false, ok);
    if (!ok) return false;
    // A search that fell back on the phase before the input instant (the
    // first guess landed a little early near a fast Moon) goes a month on.
    if (t <= t0) {
      t = s.hbody.moon.FindPhase(t + 29.53, kind.angle, false, ok);
      if (!ok) return false;
    }
    std::string last;
    const std::string text = s.dateText.strMoment(t, last, false, false, false);
    double jde = s.jde.fixed_jde(t, ok);
    if (!ok) return false;
    const bool calendrical = kind.angle == 0 || kind.angle == 180;
    const bool full = kind.angle == 180;
    double c = calendrical ? MoonPhases::CalendricalPhase(t, t, full) : 0;
    std::string cText;
    if (calendrical) {
      last.clear();
      cText = s.dateText.strMoment(c, last, false, false, false);
    }
    if (json) {
      Json o;
      o["phase"] = kind.key;
      o["name"] = s.main.Lang(kind.english, kind.hebrew);
      o["instant"] = instantJson(s, t);
      o["jde"] = jde;
      if (calendrical) o[full ? "nigud" : "molad"] = instantJson(s, c);
      o["place"] = placeJson(s);
      o["criterion"] = criterionName(s);
      printJson(o);
    } else {
      std::cout << s.main.Lang(kind.english, kind.hebrew) << ": " << text;
      if (calendrical)
        std::cout << "; " << (full ? s.main.Lang("nigud", "ניגוד") : s.main.Lang("molad", "מולד")) << ": " << cText;
      std::cout << '\n';
    }
    if (!calendar.file.empty()) {
      CalendarEvent e;
      e.uid = eventUid(s, kind.key, std::llround(t * 1440));
      e.start = t;
      e.summary = jsonText(s.main.Lang(kind.english, kind.hebrew));
      e.location = placeText(s);
      e.description = jsonText(s.main.Lang(kind.english, kind.hebrew) + ": " + text);
      if (calendrical)
        e.description +=
            "\n" + jsonText((full ? s.main.Lang("Nigud", "ניגוד") : s.main.Lang("Molad", "מולד")) + ": " + cText);
      e.description += "\n" + jsonText(s.main.Lang("Place: ", "מקום: ")) + e.location;
      e.geo = std::make_pair(s.udtLocation.dblLatitude, s.udtLocation.dblLongitude);
      calendar.events.push_back(e);
    }
    start = t + 7.38;
  }
  return true;
}

// The first (or last) crescents after one input instant; false when a step
// failed.
static bool firstVisibleFrom(Session& session, MainModel& model, const Inputs& inputs, int count, bool blnOld,
                             bool json, CalendarOut& calendar) {
  if (!prepare(session, model, inputs)) return false;
  Session& s = session;
  MoonPhases phases(s);
  bool ok = true;
  double start = s.dblFixDate + s.dblFixTime;
  struct CloseProgress {
    Session& s;
    ~CloseProgress() { s.messages.progress(""); }
  } closeProgress{s};
  for (int n = 0; n < count; ++n) {
    s.messages.progress(s.main.Lang("Lunation ", "חודש ") + std::to_string(n + 1) + " / " + std::to_string(count));
    int32_t day = phases.NextVisibleDate(start, !blnOld, false, ok);
    if (!ok) {
      std::string from = phases.DayText(static_cast<int32_t>(std::floor(start + s.udtLocation.dblLongitude / 360)), ok);
      s.messages.message("first-visible stopped at lunation " + std::to_string(n + 1) + " of " +
                         std::to_string(count) + ", searching from " + from + ".");
      return false;
    }
    std::string text = phases.DayText(day, ok);
    if (!ok) return false;
    // The best time of the evening (morning) and its probability, from the
    // Moon's visibility table in the calculation mode in force.
    const bool byCriterion = s.options.intMoonCalc == kMoonCalcByCriterion;
    udtVisibility v;
    s.hbody.VisibilityOn("Moon", day, !blnOld, byCriterion, !byCriterion, byCriterion, v, ok);
    if (!ok) return false;
    if (json) {
      Json o;
      o["day"] = dayJson(s, day);
      o["day"]["text"] = jsonText(text);
      o["evening"] = !blnOld;
      o["place"] = placeJson(s);
      o["criterion"] = criterionName(s);
      o["best_time"] = v.blnNeverVisible ? Json(nullptr) : instantJson(s, v.dblTMax);
      o["probability"] = v.dblPMax;
      o["value"] = phases.CrescentValue(day, !blnOld, ok);
      if (!ok) return false;
      o["value_outside"] = phases.CrescentValue(blnOld ? day + 1 : day - 1, !blnOld, ok);
      if (!ok) return false;
      printJson(o);
    } else {
      std::cout << text << '\n';
    }
    if (!calendar.file.empty()) {
      std::string last;
      const std::string best = s.dateText.strMoment(v.dblTMax, last, false, false, false);
      CalendarEvent e;
      e.uid = eventUid(s, blnOld ? "last-visible" : "first-visible", day);
      e.start = v.dblTMax;
      e.summary = jsonText(blnOld ? s.main.Lang("Last old crescent", "הירח הישן נראה לאחרונה")
                                  : s.main.Lang("First new crescent", "הירח החדש נראה לראשונה")) +
                  " (" + criterionName(s) + ")";
      e.location = placeText(s);
      e.description = jsonText(text) + "\n" + jsonText(s.main.Lang("Place: ", "מקום: ")) + e.location + "\n" +
                      jsonText(s.main.Lang("Criterion: ", "קריטריון: ")) + criterionName(s) + "\n" +
                      jsonText(s.main.Lang("Best time: ", "הזמן הטוב ביותר: ")) + jsonText(best) + "\n" +
                      jsonText(s.main.Lang("Probability of visibility: ", "הסתברות הנראות: ")) +
                      std::to_string(static_cast<int>(std::lround(v.dblPMax * 100))) + "%";
      e.geo = std::make_pair(s.udtLocation.dblLatitude, s.udtLocation.dblLongitude);
      calendar.events.push_back(e);
    }
    // The next search starts on the local day after: the crescent found is
    // then already in view (or past), and the search goes on to the next
    // lunation. Local noon keeps that day the search's own day on either
    // side of Greenwich.
    start = phases.LocalNoon(day + 1);
  }
  return true;
}

int runPhases(Session& session, MainModel& model, const Inputs& inputs, int count, bool json,
              const std::string& icsFile) {
  CalendarOut calendar{icsFile, {}};
  int status = runForEachDate(
      inputs, [&](const Inputs& line) { return phasesFrom(session, model, line, count, json, calendar); });
  return writeCalendar(session, calendar) ? status : 1;
}

int runFirstVisible(Session& session, MainModel& model, const Inputs& inputs, int count, bool blnOld, bool json,
                    const std::string& icsFile) {
  CalendarOut calendar{icsFile, {}};
  int status = runForEachDate(inputs, [&](const Inputs& line) {
    return firstVisibleFrom(session, model, line, count, blnOld, json, calendar);
  });
  return writeCalendar(session, calendar) ? status : 1;
}

}  // namespace nemora::cli
