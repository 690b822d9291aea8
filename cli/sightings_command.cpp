#include "cli/sightings_command.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>

#include "base/atomic_file.h"
#include "base/errors.h"
#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "plot/picture_file.h"
#include "plot/sightings_painter.h"
#include "sightings/sighting_analysis.h"

namespace nemora::cli {
namespace {

// A number, or null when it is not one (a Maimonides q below the limit).
Json number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

// A value and its interval under key, key_low and key_high (null when not found).
void putInterval(Json& o, const std::string& key, const Interval& v) {
  o[key] = number(v.dblValue);
  o[key + "_low"] = number(v.dblLow);
  o[key + "_high"] = number(v.dblHigh);
}

Json recordJson(const SightingsAnalysis& a, size_t i) {
  const udtSighting& r = a.file.records[i];
  const SightingResult& res = a.results[i];
  Json o;
  o["line"] = r.lngLine;
  Json day;
  day["fixed"] = r.lngFix;
  day["date"] = isoDate(r.lngFix);
  day["text"] = jsonText(r.strDate);
  o["day"] = day;
  if (r.blnHasTime) o["clock_hours"] = r.dblClock;
  Json place;
  place["name"] = jsonText(r.strPlace);
  place["latitude"] = r.location().dblLatitude;
  place["longitude"] = r.location().dblLongitude;
  place["height"] = r.location().dblHeight;
  place["zone"] = r.location().dblTZ;
  o["place"] = place;
  o["body"] = r.strBody;
  o["evening"] = r.blnEvening;
  o["method"] = methodName(r.method);
  o["seen"] = r.blnSeen;
  o["aid"] = AidText(RecordAid(r, a.aid));
  if (r.blnHasClouds) o["clouds"] = r.dblClouds;
  if (!r.strSource.empty()) o["source"] = r.strSource;
  // The file's own columns keep the names its header gives them.
  Json extra = Json::object();
  for (size_t c = 0; c < a.file.extraColumns.size() && c < r.extra.size(); ++c)
    extra[a.file.extraColumns[c]] = r.extra[c];
  o["extra_columns"] = extra;
  o["evaluated"] = res.blnValid;
  if (!res.blnValid) return o;
  if (r.strBody == "Moon") {
    Json criteria;
    for (int16_t t : a.columns) {
      const CriterionVerdict& v = res.criteria[static_cast<size_t>(t)];
      Json c;
      c["darkness"] = number(v.dblDarkness);
      c["brightness"] = number(v.dblBrightness);
      c["z"] = number(v.dblZ);
      c["value"] = number(v.dblValue);
      if (v.chClass) c["class"] = std::string(1, v.chClass);
      c["naked_eye"] = v.blnEye;
      c["optical_aid"] = v.blnAid;
      c["right"] = predicted(v, r) == r.blnSeen;
      criteria[snakeKey(columnName(t))] = c;
    }
    o["criteria"] = criteria;
    o["arcv"] = res.dblARCV;
    o["width"] = res.dblWidth;
  }
  o["p_best"] = res.dblPBest;
  o["t_best"] = res.dblTBest;
  if (res.blnHasPAt) {
    o["p_at_time"] = res.dblPAt;
    o["t_at_time"] = res.dblTAt;
  }
  o["p"] = res.P();
  if (a.blnDeltaTTest) {
    o["delta_t_shift"] = res.dblDeltaTShift;
    Json changed = Json::array();
    for (int16_t t : a.columns)
      if (res.blnDeltaTChanged[static_cast<size_t>(t)]) changed.push_back(columnName(t));
    if (res.blnPDeltaTChanged) changed.push_back("Photometric model");
    o["delta_t_changed"] = changed;
  }
  return o;
}

Json summaryJson(const SightingsAnalysis& a) {
  Json s;
  s["file"] = a.file.strName;
  s["records"] = a.file.records.size();
  s["skipped"] = a.file.problems;
  s["complete"] = a.blnComplete;
  s["average_observer"] = a.blnAverageObserver;
  s["aid"] = AidText(a.aid);
  s["model"] = a.blnClassicModel ? "classic" : "contrast";
  s["bootstrap_resamples"] = kBootstrapResamples;
  Json failed = Json::array();
  for (int i : a.failed) failed.push_back(a.file.records[static_cast<size_t>(i)].lngLine);
  s["not_evaluated_lines"] = failed;
  s["overcast_not_scored"] = a.lngOvercast;
  Json scores = Json::array();
  for (const ScoreTable& t : a.scores) {
    Json g;
    g["group"] = t.strGroup;
    g["records"] = t.lngRecords;
    g["seen"] = t.lngSeen;
    g["evenings"] = t.lngEvenings;
    Json rows = Json::array();
    for (const ScoreRow& r : t.rows) {
      Json row;
      row["name"] = r.strName;
      row["seen_predicted"] = r.confusion.seenPredicted;
      row["seen_not_predicted"] = r.confusion.seenNotPredicted;
      row["not_seen_predicted"] = r.confusion.notSeenPredicted;
      row["not_seen_not_predicted"] = r.confusion.notSeenNotPredicted;
      row["accuracy"] = r.confusion.count() ? Json(r.confusion.accuracy()) : Json(nullptr);
      if (r.blnProbability && r.confusion.count()) {
        row["brier"] = r.dblBrier;
        row["brier_low"] = number(r.brier.dblLow);
        row["brier_high"] = number(r.brier.dblHigh);
        row["log_loss"] = r.dblLogLoss;
      }
      putInterval(row, "roc_area", r.roc);
      row["best_accuracy"] = r.confusion.count() ? Json(r.dblBestAccuracy) : Json(nullptr);
      if (!r.blnProbability) putInterval(row, "p_minus_roc_area", r.modelMinus);
      rows.push_back(row);
    }
    g["rows"] = rows;
    Json bands = Json::array();
    for (const ReliabilityBand& b : t.reliability) {
      Json band;
      band["p_from"] = b.dblFrom;
      band["p_to"] = b.dblTo;
      band["records"] = b.lngRecords;
      band["mean_p"] = b.lngRecords ? Json(b.dblMeanP) : Json(nullptr);
      band["seen_share"] = b.lngRecords ? Json(b.dblSeenShare) : Json(nullptr);
      bands.push_back(band);
    }
    g["reliability"] = bands;
    scores.push_back(g);
  }
  s["scores"] = scores;
  Json names = Json::array();
  for (int16_t t : a.columns) names.push_back(columnName(t));
  names.push_back("Photometric model");
  Json years = Json::array();
  for (const YearRow& y : a.years) {
    Json row;
    row["year"] = y.lngYear;
    row["records"] = y.lngRecords;
    row["seen"] = y.lngSeen;
    Json right;
    for (size_t c = 0; c < y.correct.size() && c < names.size(); ++c) right[snakeKey(names[c].get<std::string>())] = y.correct[c];
    row["right"] = right;
    years.push_back(row);
  }
  s["years"] = years;
  if (a.blnDeltaTTest) {
    Json d;
    for (size_t c = 0; c < a.deltaTChanges.size() && c < names.size(); ++c)
      d[snakeKey(names[c].get<std::string>())] = a.deltaTChanges[c];
    s["delta_t_changes"] = d;
  }
  Json limits = Json::array();
  for (const LimitLine& l : a.limits) {
    Json row;
    row["name"] = l.strName;
    row["darkness"] = l.strDarkness;
    row["brightness"] = l.strBrightness;
    row["sightings"] = l.lngSightings;
    row["valid"] = l.blnValid;
    if (l.blnValid) {
      row["intercept"] = l.dblIntercept;
      row["slope"] = l.fit.b;
      row["fit_intercept"] = l.fit.a;
      row["rms"] = l.fit.rms;
      row["points"] = l.lngPoints;
      row["not_seen_above"] = l.lngNotSeenAbove;
      row["not_seen"] = l.lngNotSeen;
    }
    limits.push_back(row);
  }
  s["limits"] = limits;
  if (a.blnHasYallop) {
    Json y;
    y["records"] = a.yallop.lngRecords;
    y["same_class"] = a.yallop.lngSameClass;
    y["same_naked_eye_verdict"] = a.yallop.lngSameVerdict;
    Json lines = Json::array();
    for (size_t i : a.yallop.disagreements) lines.push_back(a.file.records[i].lngLine);
    y["disagreement_lines"] = lines;
    s["yallop"] = y;
  }
  Json o;
  o["summary"] = s;
  return o;
}

}  // namespace

CLI::App* addSightingsCommand(CLI::App& app, SightingsOptions& options) {
  auto* c = app.add_subcommand(
      "sightings", "Score every criterion and the photometric model against a file of recorded sightings");
  c->add_option("FILE", options.file, "The sightings file (CSV; see the README)")->required();
  c->add_option("--threads", options.threads, "Worker threads (default: one per core)")->check(CLI::Range(0u, 256u));
  c->add_option("--plot", options.plot, "Also draw the scatter plot to this picture (.png, .svg or .pdf)");
  c->add_option("--reliability-plot", options.reliabilityPlot,
                 "Also draw the photometric probability against the share seen to this picture (.png, .svg or .pdf)");
  c->add_flag("--no-delta-t-test", options.noDeltaTTest, "Skip the re-runs with Delta T moved by its uncertainty");
  c->add_flag("--progress", options.progress,
              "Show the progress of reading and analysing on standard error even when it is not a terminal");
  return c;
}

int runSightings(Session& session, MainModel& model, const Inputs& inputs, const SightingsOptions& options,
                 bool json) {
  (void)model;
  // The pictures' names are checked before the long work.
  for (const std::string& picture : {options.plot, options.reliabilityPlot}) {
    if (picture.empty()) continue;
    try {
      plot::pictureFormatOf(picture);
    } catch (const AppError& e) {
      std::cerr << e.description << '\n';
      return 2;
    }
    try {
      checkWritable(picture);
    } catch (const AppError& e) {
      std::cerr << e.description << '\n';
      return 1;
    }
  }
  if (!applyInputs(session, inputs)) return 1;
  // Progress for a person watching, or for whoever asked for it: one line
  // per step of a percent, rewritten in place on a terminal.
  const bool terminal = isatty(STDERR_FILENO) == 1;
  const bool showProgress = terminal || options.progress;
  std::string stage;
  int shown = -1;
  auto progress = [&](double fraction) {
    const int percent = static_cast<int>(std::floor(fraction * 100));
    if (percent == shown) return;
    shown = percent;
    std::fprintf(stderr, terminal ? "\rsightings: %s %3d%%" : "sightings: %s %3d%%\n", stage.c_str(), percent);
    std::fflush(stderr);
  };
  auto endStage = [&] {
    if (terminal && shown >= 0) std::fputs("\n", stderr);
    shown = -1;
  };
  stage = "reading";
  SightingsFile file =
      ReadSightingsFile(session, options.file, showProgress ? std::function<void(double)>(progress) : nullptr);
  endStage();
  if (!file.strError.empty()) {
    std::cerr << file.strError << '\n';
    return 1;
  }
  for (const std::string& p : file.problems) std::cerr << p << '\n';
  if (file.records.empty()) {
    std::cerr << "No record to analyse in " << options.file << '\n';
    return 1;
  }
  AnalysisSettings settings;
  settings.threads = options.threads;
  settings.blnDeltaTTest = !options.noDeltaTTest;
  // The average observer unless the command names one.
  settings.blnAverageObserver = inputs.observer.empty();
  stage = "analysing";
  SightingsAnalysis a = AnalyzeSightings(session, std::move(file), settings,
                                         showProgress ? std::function<void(double)>(progress) : nullptr);
  endStage();
  std::string text = AnalysisText(a);
  session.writeOutputTxt(text);
  if (json) {
    for (size_t i = 0; i < a.file.records.size(); ++i) printJson(recordJson(a, i));
    printJson(summaryJson(a));
  } else {
    std::cout << text;
  }
  if (!options.plot.empty() || !options.reliabilityPlot.empty()) {
    plot::GuiForPictures gui;
    try {
      if (!options.plot.empty()) {
        ScatterData data = SightingsScatter(a);
        plot::writePicture(options.plot, QSize(1000, 750),
                           [&](QPainter& p, const QRectF& r) { plot::drawSightings(p, r, data); });
      }
      if (!options.reliabilityPlot.empty()) {
        ReliabilityData data = SightingsReliability(a);
        plot::writePicture(options.reliabilityPlot, QSize(800, 800),
                           [&](QPainter& p, const QRectF& r) { plot::drawReliability(p, r, data); });
      }
    } catch (const AppError& e) {
      std::cerr << e.description << '\n';
      return 1;
    }
  }
  return a.failed.empty() ? 0 : 1;
}

}  // namespace nemora::cli
