#include "app/main_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "base/atomic_file.h"
#include "base/numeric.h"
#include "app/main_lists.h"
#include "app/session.h"
#include "ephemeris/coordinate_reports.h"
#include "ephemeris/hbody_data.h"
#include "ephemeris/rise_set.h"
#include "map/visibility_map.h"
#include "base/criterion_types.h"
#include "visibility/first_visible.h"
#include "visibility/moon_report.h"
#include "visibility/observer_entry.h"
#include "visibility/phases.h"

namespace nemora {
namespace {

// Days from 30 December 1899 (the clock serial's day 0) to fixed day 0.
constexpr double kClockSerialToFixed = 693594;

// A start-up failure: the two-line description, then the end of the program.
[[noreturn]] void startUpFailure(Session& session, const char* problem) {
  session.endProgram(std::string(problem) + std::string(kLineBreak) + "Sorry cannot continue");
}

}  // namespace

double systemClockSerial() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  auto days = static_cast<double>(std::chrono::duration_cast<std::chrono::days>(
                                      std::chrono::sys_days(std::chrono::year(local.tm_year + 1900) /
                                                            (local.tm_mon + 1) / local.tm_mday)
                                          .time_since_epoch())
                                      .count());
  // 1 January 1970 is serial 25569.
  return days + 25569 + (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
}

double systemClockSerialUT() {
  using namespace std::chrono;
  double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
  // Whole seconds, as the local reading gives them.
  return std::floor(seconds) / 86400.0 + 25569;
}

void MainModel::startUp(double dblClockSerial, bool blnClockIsUT, const std::function<void()>& setGivenPlace) {
  Session& s = session();
  labels.lblCriterion = criterionLabel(s.udtUserCriterion.intType);
  s.options.intPrecision = 0;
  s.locations.GetLocationData();

  double instant = dblClockSerial + kClockSerialToFixed;
  if (setGivenPlace)
    setGivenPlace();
  else
    s.currentLocation.GetLastLocation(instant, "Curloc.txt");
  s.udtDateIn.blnEve = false;
  s.udtTimeIn.blnSecondTime = false;
  s.udtTimeIn.bln24Hour = true;

  bool ok = true;
  auto toInputs = [&](double t) {
    s.conversions.ToDateTime(t, s.udtDateIn, dtGregorian, s.udtTimeIn, ttLocal, ok);
    return ok;
  };
  if (!toInputs(instant)) startUpFailure(s, "Problem converting system time.");
  // A local clock reading: convert it as if it were UT, then take off the
  // zone offset in force, rounded to whole hours first and mended by the
  // remainder (zones such as +5:30) once the offset at the corrected instant
  // is known. A UT reading is the instant itself.
  if (!blnClockIsUT) correctLocalClock(instant);
  finishStartUp();
}

void MainModel::correctLocalClock(double instant) {
  Session& s = session();
  bool ok = true;
  auto toInputs = [&](double t) {
    s.conversions.ToDateTime(t, s.udtDateIn, dtGregorian, s.udtTimeIn, ttLocal, ok);
    return ok;
  };
  double h = roundHalfEven(s.localTime.GetTZ(instant, ok));
  if (!ok) startUpFailure(s, "Problem converting system time.");
  instant -= h / 24;
  if (!toInputs(instant)) startUpFailure(s, "Problem converting system time.");
  double h2 = s.localTime.GetTZ(instant, ok);
  if (!ok) startUpFailure(s, "Problem with time zone conversion.");
  if (h2 != h) {
    instant += (h - h2) / 24;
    // The inputs must show the mended instant, not the one an hour-rounded
    // offset gave (half an hour off in a +5:30 zone).
    if (!toInputs(instant)) startUpFailure(s, "Problem with time zone conversion.");
  }
}

void MainModel::finishStartUp() {
  Session& s = session();
  enmDateTypeOut = dtGregorian;
  enmTimeTypeOut = ttLocal;
  intParameter = 10;
  intBody = 1;
  blnReady_ = false;
  optConvert_ = false;
  FillBodies();
  blnReady_ = true;
  if (!Evaluate()) startUpFailure(s, "Problem with initial evaluation.");
}

bool MainModel::Evaluate() {
  Session& s = session();
  bool ok = true;
  s.dblFixDate = s.dateText.EvaluateDate(s.udtDateIn, ok);
  if (!ok) return false;
  std::string date = s.dateText.WriteDate(s.udtDateIn, ok, false, false, true);
  if (!ok) return false;
  labels.lblDate = "Date: " + date;

  std::string location = s.currentLocation.WriteLocation(ok);
  if (!ok) return false;
  labels.lblLocation = location;

  std::string observer = WriteObserver(s, ok);
  if (!ok) return false;
  labels.lblObserver = observer;
  labels.lblCriterion = criterionLabel(s.udtUserCriterion.intType);

  if (isDayNumberType(s.udtDateIn.enmDateType)) {
    labels.lblTime = "Time: not applicable";
    s.dblFixTime = 0;
  } else {
    s.conversions.EvaluateTime(ok);
    if (!ok) return false;
    std::string time = s.timeText.WriteTime(s.udtTimeIn, 0, ok, true);
    if (!ok) return false;
    labels.lblTime = "Time: " + time;
  }

  double t = s.dblFixDate + s.dblFixTime;
  std::string weather = s.weather.WeatherLabel(t, ok);
  if (!ok) return false;
  labels.lblWeather = weather;

  return optConvert_ ? convertResult(t) : bodyResult();
}

bool MainModel::convertResult(double t) {
  Session& s = session();
  bool ok = true;
  int32_t dateType = cboOption.index;
  int32_t timeType = cboOption2.index;
  udtDate date;
  udtTime time = s.udtTimeIn;
  // The time is written in whole seconds: the instant is rounded to the
  // second before it is split, so that 23:59:59.5 becomes 00:00:00 of the
  // next day rather than of the same one; the seconds below the unit are
  // then cut so that the text does not round them a second time.
  const bool calendar = !isDayNumberType(dateType);
  s.conversions.ToDateTime(calendar ? RoundTime(t, 0) : t, date, dateType, time, timeType, ok);
  if (!ok) return false;
  if (calendar) time.udtDms.dblSeconds = std::min(59.0, std::floor(time.udtDms.dblSeconds + 1e-6));
  std::string text = s.dateText.WriteDate(date, ok, false, false, true);
  if (!ok) return false;
  if (calendar) {
    std::string clock = s.timeText.WriteTime(time, 0, ok, true);
    if (!ok) return false;
    text += " " + clock;
  }
  labels.lblOutput3 = text;
  resultDate = date;
  resultTime = time;
  return true;
}

bool MainModel::bodyResult() {
  Session& s = session();
  int b = cboOption.index;
  int16_t stars = HBodyLoader(s).Stars()->intNStars;
  bool ok = true;
  return guarded(ok, "Evaluate", false, [&] {
    if (b < 0 || b > 6 + stars) raise("Invalid heavenly body number: ", b);
    const std::string body = cboOption.text();
    const std::string parameter = cboOption2.text();
    blnReportAvailable = true;
    bool reported = true;
    std::string text;
    if (CoordinateReports::isCoordinateParameter(parameter)) {
      text = CoordinateReports(s).report(body, parameter, reported);
    } else if (parameter == "Rise") {
      text = RiseSetReports(s).RiseReport(body, reported);
    } else if (parameter == "Set") {
      text = RiseSetReports(s).SetReport(body, reported);
    } else if (parameter == "Magnitude") {
      text = s.hbody.MagnitudeReport(body, reported);
    } else if (parameter == "Visibility by criterion" && body == "Moon") {
      text = MoonReport(s).VisibilityByCriterion(reported);
    } else if (parameter == "Finder chart" || parameter == "Probability" || parameter == "Light curve") {
      // The graph the graph window draws, the report's mode and the flags of
      // the evening's search, by body, parameter and Moon calculation mode.
      const bool byCriterion = body == "Moon" && s.options.intMoonCalc == kMoonCalcByCriterion;
      int16_t mode = 0;
      bool flag1 = false, flag2 = !byCriterion, flag3 = byCriterion;
      if (parameter == "Finder chart") {
        if (body != "Sun") intGraphKind = s.options.intPlotMode;
      } else if (parameter == "Probability") {
        intGraphKind = 3;
        mode = 1;
        flag1 = byCriterion;
      } else {
        intGraphKind = 4;
        mode = body == "Moon" ? 0 : 2;
        flag2 = true;
        flag3 = false;
      }
      text = FirstVisibleReport(s).FirstVisible(body, s.dblFixDate + s.dblFixTime, flag1, flag2, reported, mode,
                                                flag3);
    } else if (parameter == "Next vernal equinox" && body == "Sun") {
      text = s.hbody.sun.NextVernalEquinox(s.dblFixDate + s.dblFixTime, reported);
    } else if (parameter == "Next conjunction" && body == "Moon") {
      text = MoonPhases(s).ConjunctionReport(reported);
    } else if (parameter == "Next full Moon" && body == "Moon") {
      text = MoonPhases(s).FullMoonReport(reported);
    } else if ((parameter == "Next new Moon" || parameter == "Next old Moon") && body == "Moon") {
      text = MoonPhases(s).NextCrescentReport(parameter == "Next new Moon", reported);
    } else if (parameter == "Next back-to-back Moon" && body == "Moon") {
      text = MoonPhases(s).BackToBack(reported);
    } else if (parameter == "Visibility map" && body == "Moon") {
      // The map itself is computed on worker threads by its window.
      text = VisibilityMapReport(s, reported);
      blnMapWanted = reported;
    } else {
      // The other reports come with magnitudes and visibility; until a
      // report exists the result says so instead of computing.
      labels.lblOutput3 = s.main.Lang(parameter + " of " + body + ": not available yet.",
                                      parameter + " של " + body + ": עדיין לא זמין.");
      blnReportAvailable = false;
      return true;
    }
    if (!reported) abandon();
    labels.lblOutput3 = text;
    return true;
  });
}

void MainModel::FillDateTypes() {
  cboOption.caption = "Date type";
  cboOption.items = dateTypeNames();
  cboOption.index = enmDateTypeOut;
  FillTimeTypes();
}

void MainModel::FillTimeTypes() {
  cboOption2.caption = "Time type";
  cboOption2.items = timeTypeNames();
  cboOption2.index = enmTimeTypeOut;
  cboOption2.visible = cboOption.index > 3;
  if (cboOption.index >= 0) enmDateTypeOut = cboOption.index;
}

void MainModel::FillBodies() {
  cboOption.caption = "Body";
  cboOption.items = fixedBodyNames();
  for (const auto& star : HBodyLoader(session()).Stars()->stars) cboOption.items.push_back(star.strName);
  cboOption.index = intBody;
  FillParameters();
}

void MainModel::FillParameters() {
  cboOption2.caption = "Parameter";
  cboOption2.visible = true;
  int body = cboOption.index;
  if (body < 0) return;
  cboOption2.items = parameterNames(body);
  intParameter = static_cast<int16_t>(parameterForBody(body, intParameter));
  cboOption2.index = intParameter;
  intBody = static_cast<int16_t>(body);
}

void MainModel::chooseConvert() {
  optConvert_ = true;
  if (!blnReady_) return;
  blnReady_ = false;
  FillDateTypes();
  blnReady_ = true;
  Evaluate();
}

bool MainModel::chooseConvertAndEvaluate() {
  optConvert_ = true;
  blnReady_ = false;
  FillDateTypes();
  blnReady_ = true;
  return Evaluate();
}

bool MainModel::chooseBodyAndEvaluate(const std::string& strBody, const std::string& strParameter) {
  optConvert_ = false;
  blnReady_ = false;
  FillBodies();
  auto position = [](const std::vector<std::string>& items, const std::string& name) {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == name) return static_cast<int>(i);
    return -1;
  };
  int body = position(cboOption.items, strBody);
  if (body < 0) {
    blnReady_ = true;
    session().showMessage("Invalid name for heavenly body.");
    return false;
  }
  cboOption.index = body;
  FillParameters();
  int parameter = position(cboOption2.items, strParameter);
  blnReady_ = true;
  if (parameter < 0) {
    session().showMessage("Invalid parameter for " + strBody + ": " + strParameter);
    return false;
  }
  cboOption2.index = parameter;
  intParameter = static_cast<int16_t>(parameter);
  return Evaluate();
}

void MainModel::chooseBody() {
  optConvert_ = false;
  if (!blnReady_) return;
  blnReady_ = false;
  FillBodies();
  blnReady_ = true;
  Evaluate();
}

void MainModel::optionChanged(int index) {
  cboOption.index = index;
  bool wasReady = blnReady_;
  blnReady_ = false;
  if (optConvert_) FillTimeTypes();
  else FillParameters();
  blnReady_ = wasReady;
  if (blnReady_) Evaluate();
}

void MainModel::option2Changed(int index) {
  cboOption2.index = index;
  if (!blnReady_) return;
  if (optConvert_) {
    enmTimeTypeOut = index;
    Evaluate();
    return;
  }
  if (cboOption.index < 0) {
    labels.lblOutput3 = "Invalid name for heavenly body.";
    return;
  }
  bodyResult();
  intParameter = static_cast<int16_t>(index);
}

std::vector<std::string> MainModel::savedLines(const std::string& strCaption) const {
  std::vector<std::string> lines{strCaption, "", "Input values"};
  for (const auto* label : {&labels.lblTime, &labels.lblDate, &labels.lblLocation, &labels.lblWeather})
    lines.push_back("    " + *label);
  lines.push_back("");
  lines.push_back("Output results");
  if (optConvert_) {
    lines.push_back("    Convert date");
    lines.push_back("    Date type: " + cboOption.text());
    lines.push_back("    Time type: " + cboOption2.text());
  } else {
    lines.push_back("    Moon, Sun, Planets");
    lines.push_back("    Heavenly body: " + cboOption.text());
    lines.push_back("    Parameter: " + cboOption2.text());
  }
  lines.push_back(labels.lblOutput3);
  return lines;
}

void MainModel::saveOutTxt(const std::string& strCaption) const {
  std::string text;
  for (const auto& line : savedLines(strCaption)) text += line + "\r\n";
  writeFileAtomically(session().workFile("out.txt"), text);
}

bool MainModel::saveLocationOnClose() {
  std::string error;
  if (session().currentLocation.WriteLastLocation(error)) return true;
  session().showMessage(error);
  return false;
}

}  // namespace nemora
