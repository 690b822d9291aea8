#include "cli/crescent_command.h"

#include <iostream>
#include <optional>
#include <utility>
#include <nlohmann/json.hpp>

#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/first_visible.h"
#include "visibility/moon_report.h"
#include "visibility/where_when.h"

namespace nemora::cli {
namespace {

// The instant in the shape every command writes (fixed, jd, ut, text), or
// null when there is no such instant.
void putInstant(Session& session, Json& object, const std::string& key, std::optional<double> t) {
  object[key] = t ? instantJson(session, *t) : Json(nullptr);
}

// A number that the evening leaves undefined is null.
Json valueOrNull(bool known, double x) { return known ? Json(x) : Json(nullptr); }

// What every criterion object holds: its moment, measures and judgement.
// A Moon that is not in the evening's sky as a crescent leaves no measures:
// they are null, with the reason.
Json criterionObject(Session& session, const CriterionVerdict& v, const udtCriterionResult& r, bool evening) {
  const bool known = v.blnHasValue || v.bar == CrescentBar::None;
  Json o;
  putInstant(session, o, "moment", known ? std::optional<double>(r.dblMoment) : std::nullopt);
  o["darkness"] = valueOrNull(known, r.dblDarkness);
  o["brightness"] = valueOrNull(known, r.dblBrightness);
  o["v"] = valueOrNull(known, r.dblV);
  o["z"] = valueOrNull(known, r.dblZ);
  o["s"] = valueOrNull(known, r.dblS);
  o["visible"] = v.blnEye;
  o["visible_with_optical_aid"] = v.blnAid;
  if (v.bar != CrescentBar::None)
    o["reason"] = jsonText(crescentBarText(v.bar, evening, session.intLanguage));
  else
    o["reason"] = nullptr;
  return o;
}

// One evening or morning: the evaluation, then its text or object.
bool evaluate(Session& session, const Inputs& inputs, MainModel& model, bool blnMorning, CrescentEvening& evening) {
  if (!applyInputs(session, inputs)) return false;
  if (!model.chooseConvertAndEvaluate()) return false;
  bool ok = true;
  double day = session.dateText.FixedToDay(session.dblFixDate + session.dblFixTime, ok);
  if (!ok) return false;
  MoonReport(session).EvaluateAll(static_cast<int32_t>(day), !blnMorning, evening, ok);
  return ok;
}

// The Moon's visibility table of the evening or morning asked for on day
// lngFix in the Moon calculation mode in force, with the flags of the
// Moon's "Probability" request. A crescent never visible has no best
// instant and no windows (null).
bool visibilityObject(Session& session, int32_t lngFix, bool blnEvening, Json& o) {
  const bool byCriterion = session.options.intMoonCalc == kMoonCalcByCriterion;
  bool ok = true;
  udtVisibility v;
  session.hbody.VisibilityOn("Moon", lngFix, blnEvening, byCriterion, !byCriterion, byCriterion, v, ok);
  if (!ok) return false;
  FirstVisibleReport report(session);
  double ease = report.Ease("Moon", v, ok);
  if (!ok) return false;
  double testimony = report.Testimony(v, ok);
  if (!ok) return false;
  const bool interval = v.bar == CrescentBar::None;
  auto when = [&](double t) { return v.blnNeverVisible ? std::nullopt : std::optional<double>(t); };
  o["mode"] = byCriterion ? "criterion" : "photometric";
  o["evening"] = v.blnEvening;
  putInstant(session, o, "start", interval ? std::optional<double>(v.dblStart) : std::nullopt);
  putInstant(session, o, "end", interval ? std::optional<double>(v.dblEnd) : std::nullopt);
  putInstant(session, o, "best", when(v.dblTMax));
  o["probability"] = v.dblPMax;
  putInstant(session, o, "t1", when(v.dblT1));
  putInstant(session, o, "t2", when(v.dblT2));
  putInstant(session, o, "t3", when(v.dblT3));
  putInstant(session, o, "t4", when(v.dblT4));
  o["never_visible"] = v.blnNeverVisible;
  if (v.bar != CrescentBar::None)
    o["reason"] = jsonText(crescentBarText(v.bar, v.blnEvening, session.intLanguage));
  else
    o["reason"] = nullptr;
  o["extended"] = v.blnExtended;
  o["value"] = v.dblValue;
  o["ease"] = ease;
  o["testimony"] = testimony;
  return true;
}

// The JSON object of one evaluated evening or morning (keys in README.md).
Json crescentJson(Session& session, const CrescentEvening& e) {
  const udtCriterionResult& r = e.inForce;
  const bool evening = e.blnEvening;
  const CriterionVerdict inForce = judgeCrescent(e.criterion.intType, r);
  const bool sunEvent = !(r.blnSunNeverRises || r.blnSunNeverSets);
  const bool moonEvent = !(r.blnMoonNeverRises || r.blnMoonNeverSets);
  auto instant = [](bool known, double t) { return known ? std::optional<double>(t) : std::nullopt; };
  Json o;
  o["evening"] = evening;
  o["day"] = dayJson(session, e.lngFix);
  o["criterion"] = criterionTypeNames()[static_cast<size_t>(e.criterion.intType)];
  o["place"] = placeJson(session);
  const std::string sun = evening ? "sunset" : "sunrise";
  const std::string moon = evening ? "moonset" : "moonrise";
  putInstant(session, o, sun + "_geometric", instant(sunEvent, r.dblSunGeometric));
  putInstant(session, o, sun + "_apparent", instant(sunEvent, r.dblSunApparent));
  putInstant(session, o, moon + "_geometric", instant(sunEvent && moonEvent, r.dblMoonGeometric));
  putInstant(session, o, moon + "_apparent", instant(sunEvent && moonEvent, r.dblMoonApparent));
  o["sun_never_rises"] = r.blnSunNeverRises;
  o["sun_never_sets"] = r.blnSunNeverSets;
  o["moon_never_rises"] = r.blnMoonNeverRises;
  o["moon_never_sets"] = r.blnMoonNeverSets;
  o["lag_minutes"] = valueOrNull(sunEvent && moonEvent, r.dblLag);
  o["moon_up"] = sunEvent ? Json(r.blnMoonUp) : Json(nullptr);
  {
    // The criterion in force: its moment, measures and verdict.
    Json c = criterionObject(session, inForce, r, evening);
    for (auto it = c.begin(); it != c.end(); ++it) o[it.key()] = it.value();
  }
  if (r.blnSkyBrightness) o["sky_brightness"] = r.dblSkyBrightness;
  if (r.blnMagnitude) o["magnitude"] = r.dblMagnitude;

  // The geometry at Yallop's best time (4/9 of the lag), where there is one.
  const udtCriterionResult& best = e.named[kCritYallop];
  const CriterionVerdict yallop = judgeCrescent(kCritYallop, best);
  const bool geometry = yallop.blnHasValue;
  putInstant(session, o, "best_time", instant(geometry, best.dblMoment));
  o["arcv"] = valueOrNull(geometry, best.dblARCV);
  o["arcv_topocentric"] = valueOrNull(geometry, best.dblARCVTopo);
  o["arcl"] = valueOrNull(geometry, best.dblARCL);
  o["arcl_topocentric"] = valueOrNull(geometry, best.dblARCLTopo);
  o["daz"] = valueOrNull(geometry, best.dblDAZ);
  o["width_topocentric_arcmin"] = valueOrNull(geometry, best.dblWidthTopo);
  putInstant(session, o, "conjunction", best.dblConjunction);
  o["age_hours"] = valueOrNull(geometry, best.dblAgeGeo);
  o["illumination_geocentric_percent"] = valueOrNull(geometry, best.dblIlluminationGeo);
  o["moon_altitude"] = valueOrNull(geometry, best.dblMoonAlt);
  o["moon_altitude_refracted"] = valueOrNull(geometry, best.dblMoonAltRefr);
  o["sun_altitude"] = valueOrNull(geometry, best.dblSunAlt);

  // Every named criterion at its own moment, with its published verdict.
  const int16_t language = session.intLanguage;
  auto named = [&](int16_t type) {
    const udtCriterionResult& res = e.named[static_cast<size_t>(type)];
    CriterionVerdict v = judgeCrescent(type, res);
    return std::pair{v, criterionObject(session, v, res, evening)};
  };
  {
    auto [v, c] = named(kCritYallop);
    c["q"] = valueOrNull(v.blnHasValue, v.dblValue);
    c["class"] = v.chClass ? Json(std::string(1, v.chClass)) : Json(nullptr);
    c["meaning"] = v.chClass ? Json(jsonText(YallopClassMeaning(v.chClass, language))) : Json(nullptr);
    o["yallop"] = c;
  }
  {
    auto [v, c] = named(kCritOdeh);
    c["v"] = valueOrNull(v.blnHasValue, v.dblValue);
    c["zone"] = v.chClass ? Json(std::string(1, v.chClass)) : Json(nullptr);
    c["meaning"] = v.chClass ? Json(jsonText(OdehZoneMeaning(v.chClass, language))) : Json(nullptr);
    o["odeh"] = c;
  }
  {
    auto [v, c] = named(kCritIlyas);
    const udtCriterionResult& i = e.named[kCritIlyas];
    c["q"] = valueOrNull(v.blnHasValue, v.dblValue);
    c["daz"] = valueOrNull(v.blnHasValue, i.dblDAZ);
    c["arcv"] = valueOrNull(v.blnHasValue, i.dblDALT);
    o["ilyas"] = c;
  }
  o["saao"] = named(kCritSAAO).second;
  {
    auto [v, c] = named(kCritMaimonides);
    const udtCriterionResult& m = e.named[kCritMaimonides];
    const bool measures = v.blnHasValue || v.bar == CrescentBar::None;
    c["keshet_reiyah"] = valueOrNull(measures, m.dblKeshetReiyah);
    c["orech_rishon"] = valueOrNull(measures, m.dblOrechRishon);
    c["q"] = valueOrNull(v.blnHasValue, v.dblValue);
    o["maimonides"] = c;
  }
  {
    auto [v, c] = named(kCritKaraite);
    const udtCriterionResult& k = e.named[kCritKaraite];
    const bool measures = v.bar == CrescentBar::None || v.blnHasValue;
    c["apparent_illumination_percent"] = valueOrNull(measures, k.dblIlluminationTopo);
    c["topocentric_distance_km"] = valueOrNull(measures, k.dblMoonDistanceTopo);
    o["karaite"] = c;
  }
  o["photometric"] = named(kCritPhotometric).second;
  o["dalt_width"] = named(kCritDaltWidth).second;
  return o;
}

}  // namespace

int runCrescent(Session& session, MainModel& model, const Inputs& inputs, bool blnMorning, bool json) {
  return runForEachDate(inputs, [&](const Inputs& lineInputs) {
    CrescentEvening evening;
    if (!evaluate(session, lineInputs, model, blnMorning, evening)) return false;
    std::string out;
    if (json) {
      Json object = crescentJson(session, evening);
      Json table;
      if (!visibilityObject(session, evening.lngFix, evening.blnEvening, table)) return false;
      object["visibility"] = table;
      out = jsonLine(object);
    } else {
      bool ok = true;
      // Where and when first, then the criterion's report.
      out = plainText(CrescentHeader(session, evening) + "\n" +
                      MoonReport(session).CriterionReport(evening.lngFix, evening.blnEvening, ok));
      if (!ok) return false;
    }
    std::cout << out << '\n';
    return true;
  });
}

}  // namespace nemora::cli
