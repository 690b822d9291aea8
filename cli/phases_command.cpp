#include "cli/phases_command.h"

#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "ephemeris/hbody.h"
#include "visibility/phases.h"

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
constexpr PhaseKind kPhases[4] = {{0, "new", "New Moon", "מולד"},
                                  {90, "first_quarter", "First quarter", "רבע ראשון"},
                                  {180, "full", "Full Moon", "מילוי"},
                                  {-90, "last_quarter", "Last quarter", "רבע אחרון"}};

bool prepare(Session& session, MainModel& model, const Inputs& inputs) {
  if (!applyInputs(session, inputs)) return false;
  return model.chooseConvertAndEvaluate();
}

}  // namespace

// The phases after one input instant; false when a step failed.
static bool phasesFrom(Session& session, MainModel& model, const Inputs& inputs, int count, bool json) {
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
      o["instant"] = t;
      o["instant_text"] = text;
      o["jde"] = jde;
      if (calendrical) {
        o[full ? "nigud" : "molad"] = c;
        o[full ? "nigud_text" : "molad_text"] = cText;
      }
      std::cout << jsonLine(o) << '\n';
    } else {
      std::cout << s.main.Lang(kind.english, kind.hebrew) << ": " << text;
      if (calendrical)
        std::cout << "; " << (full ? s.main.Lang("nigud", "ניגוד") : s.main.Lang("molad", "מולד")) << ": " << cText;
      std::cout << '\n';
    }
    start = t + 7.38;
  }
  return true;
}

// The first (or last) crescents after one input instant; false when a step
// failed.
static bool firstVisibleFrom(Session& session, MainModel& model, const Inputs& inputs, int count, bool blnOld,
                             bool json) {
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
    if (!ok) return false;
    std::string text = phases.DayText(day, ok);
    if (!ok) return false;
    if (json) {
      Json o;
      o["day"] = day;
      o["date"] = text;
      o["evening"] = !blnOld;
      o["value"] = phases.CrescentValue(day, !blnOld, ok);
      if (!ok) return false;
      o["value_outside"] = phases.CrescentValue(blnOld ? day + 1 : day - 1, !blnOld, ok);
      if (!ok) return false;
      std::cout << jsonLine(o) << '\n';
    } else {
      std::cout << text << '\n';
    }
    // The next search starts the day after: the crescent found is then
    // already in view (or past), and the search goes on to the next lunation.
    start = day + 1;
  }
  return true;
}

int runPhases(Session& session, MainModel& model, const Inputs& inputs, int count, bool json) {
  return runForEachDate(inputs, [&](const Inputs& line) { return phasesFrom(session, model, line, count, json); });
}

int runFirstVisible(Session& session, MainModel& model, const Inputs& inputs, int count, bool blnOld, bool json) {
  return runForEachDate(
      inputs, [&](const Inputs& line) { return firstVisibleFrom(session, model, line, count, blnOld, json); });
}

}  // namespace nemora::cli
