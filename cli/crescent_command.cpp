#include "cli/crescent_command.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/first_visible.h"
#include "visibility/moon_report.h"

namespace nemora::cli {
namespace {

// The instant as a fixed day number and as text in the input date and time
// types.
void putInstant(Session& session, Json& object, const std::string& key, double t) {
  std::string last;
  object[key] = t;
  object[key + "_text"] = session.dateText.strMoment(t, last, false, false, false);
}

// What every criterion object holds: its moment, measures and judgement.
Json criterionObject(Session& session, const udtCriterionResult& r) {
  Json o;
  putInstant(session, o, "moment", r.dblMoment);
  o["darkness"] = r.dblDarkness;
  o["brightness"] = r.dblBrightness;
  o["v"] = r.dblV;
  o["z"] = r.dblZ;
  o["s"] = r.dblS;
  o["visible"] = r.dblZ >= 0;
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

// The Moon's visibility table of the evening or morning of day lngFix in the
// Moon calculation mode in force, with the flags of the Moon's
// "Probability" request.
bool visibilityObject(Session& session, int32_t lngFix, Json& o) {
  const bool byCriterion = session.options.intMoonCalc == kMoonCalcByCriterion;
  bool ok = true;
  udtVisibility v;
  session.hbody.Visibility("Moon", lngFix, byCriterion, !byCriterion, byCriterion, v, ok);
  if (!ok) return false;
  FirstVisibleReport report(session);
  double ease = report.Ease("Moon", v, ok);
  if (!ok) return false;
  double testimony = report.Testimony(v, ok);
  if (!ok) return false;
  o["mode"] = byCriterion ? "criterion" : "photometric";
  o["evening"] = v.blnEvening;
  putInstant(session, o, "start", v.dblStart);
  putInstant(session, o, "end", v.dblEnd);
  putInstant(session, o, "best", v.dblTMax);
  o["probability"] = v.dblPMax;
  putInstant(session, o, "t1", v.dblT1);
  putInstant(session, o, "t2", v.dblT2);
  putInstant(session, o, "t3", v.dblT3);
  putInstant(session, o, "t4", v.dblT4);
  o["never_visible"] = v.blnNeverVisible;
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
  Json o;
  o["evening"] = evening;
  o["day"] = e.lngFix;
  o["criterion"] = criterionTypeNames()[static_cast<size_t>(e.criterion.intType)];
  putInstant(session, o, "moment", r.dblMoment);
  const std::string sun = evening ? "sunset" : "sunrise";
  const std::string moon = evening ? "moonset" : "moonrise";
  putInstant(session, o, sun + "_geometric", r.dblSunGeometric);
  putInstant(session, o, sun + "_apparent", r.dblSunApparent);
  putInstant(session, o, moon + "_geometric", r.dblMoonGeometric);
  putInstant(session, o, moon + "_apparent", r.dblMoonApparent);
  o["sun_never_rises"] = r.blnSunNeverRises;
  o["sun_never_sets"] = r.blnSunNeverSets;
  o["moon_never_rises"] = r.blnMoonNeverRises;
  o["moon_never_sets"] = r.blnMoonNeverSets;
  o["lag_minutes"] = r.dblLag;
  o["moon_up"] = r.blnMoonUp;
  o["darkness"] = r.dblDarkness;
  o["brightness"] = r.dblBrightness;
  o["v"] = r.dblV;
  o["z"] = r.dblZ;
  o["s"] = r.dblS;
  o["visible"] = r.dblZ >= 0;
  if (r.blnSkyBrightness) o["sky_brightness"] = r.dblSkyBrightness;
  if (r.blnMagnitude) o["magnitude"] = r.dblMagnitude;

  // The geometry at Yallop's best time.
  const udtCriterionResult& best = e.named[kCritYallop];
  putInstant(session, o, "best_time", best.dblMoment);
  o["arcv"] = best.dblARCV;
  o["arcv_topocentric"] = best.dblARCVTopo;
  o["arcl"] = best.dblARCL;
  o["arcl_topocentric"] = best.dblARCLTopo;
  o["daz"] = best.dblDAZ;
  o["width_arcmin"] = best.dblWidthTopo;
  putInstant(session, o, "conjunction", best.dblConjunction);
  o["age_hours"] = best.dblAgeGeo;
  o["illumination_percent"] = best.dblIlluminationGeo;
  o["moon_altitude"] = best.dblMoonAlt;
  o["moon_altitude_refracted"] = best.dblMoonAltRefr;
  o["sun_altitude"] = best.dblSunAlt;

  // Every named criterion at its own moment, with its published verdict.
  const int16_t language = session.intLanguage;
  {
    const udtCriterionResult& y = e.named[kCritYallop];
    Json c = criterionObject(session, y);
    double q = YallopQ(y.dblDALT, y.dblWidth);
    char k = YallopClass(q);
    c["q"] = q;
    c["class"] = std::string(1, k);
    c["meaning"] = YallopClassMeaning(k, language);
    o["yallop"] = c;
  }
  {
    const udtCriterionResult& d = e.named[kCritOdeh];
    Json c = criterionObject(session, d);
    double v = OdehV(d);
    char k = OdehZone(v);
    c["v"] = v;
    c["zone"] = std::string(1, k);
    c["meaning"] = OdehZoneMeaning(k, language);
    o["odeh"] = c;
  }
  {
    const udtCriterionResult& i = e.named[kCritIlyas];
    Json c = criterionObject(session, i);
    c["q"] = IlyasQ(i.dblDALT, i.dblDAZ);
    c["daz"] = i.dblDAZ;
    c["arcv"] = i.dblDALT;
    o["ilyas"] = c;
  }
  o["saao"] = criterionObject(session, e.named[kCritSAAO]);
  {
    const udtCriterionResult& m = e.named[kCritMaimonides];
    Json c = criterionObject(session, m);
    std::optional<double> q = MaimonidesQ(m.dblKeshetReiyah, m.dblOrechRishon, m.dblV);
    c["keshet_reiyah"] = m.dblKeshetReiyah;
    c["orech_rishon"] = m.dblOrechRishon;
    if (q)
      c["q"] = *q;
    else
      c["q"] = nullptr;
    o["maimonides"] = c;
  }
  {
    const udtCriterionResult& k = e.named[kCritKaraite];
    Json c = criterionObject(session, k);
    c["apparent_illumination_percent"] = k.dblIlluminationTopo;
    c["topocentric_distance_km"] = k.dblMoonDistanceTopo;
    o["karaite"] = c;
  }
  o["photometric"] = criterionObject(session, e.named[kCritPhotometric]);
  o["dalt_width"] = criterionObject(session, e.named[kCritDaltWidth]);
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
      if (!visibilityObject(session, evening.lngFix, table)) return false;
      object["visibility"] = table;
      out = jsonLine(object);
    } else {
      bool ok = true;
      out = plainText(MoonReport(session).CriterionReport(evening.lngFix, evening.blnEvening, ok));
      if (!ok) return false;
    }
    std::cout << out << '\n';
    return true;
  });
}

}  // namespace nemora::cli
