// nemora-cli: the calculator's inputs and results for scripts, batch work and
// tests. Inputs default as at the window's start-up (the system clock, the
// last location); every message box goes to standard error; a failed
// evaluation exits with status 1. The command line never writes Curloc.txt.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/atomic_file.h"
#include "base/errors.h"
#include "app/main_lists.h"
#include "app/main_model.h"
#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/hbody.h"
#include "ephemeris/hbody_data.h"
#include "cli/cli_inputs.h"
#include "cli/crescent_command.h"
#include "cli/sightings_command.h"
#include "cli/graph_command.h"
#include "cli/map_command.h"
#include "cli/phases_command.h"
#include "cli/json_output.h"
#include "cli/place_names.h"

namespace {

using nemora::cli::Inputs;

using nemora::cli::Json;
using nemora::cli::printJson;
using nemora::cli::plainText;

// Prints one result: its text, or a JSON object with the instant, the place,
// the converted date and time and the text.
void printResult(nemora::Session& session, const nemora::MainModel& model, bool json) {
  if (!json) {
    std::cout << plainText(model.labels.lblOutput3) << '\n';
    return;
  }
  Json o;
  o["instant"] = nemora::cli::instantJson(session, session.dblFixDate + session.dblFixTime);
  o["place"] = nemora::cli::placeJson(session);
  o["criterion"] = nemora::cli::criterionName(session);
  o["date"] = nemora::cli::dateJson(model.resultDate);
  if (model.resultDate.enmDateType >= nemora::dtGregorian) o["time"] = nemora::cli::timeJson(model.resultTime);
  o["text"] = nemora::cli::jsonText(model.labels.lblOutput3);
  printJson(o);
}

int runConvert(nemora::Session& session, nemora::MainModel& model, const Inputs& inputs, int toType,
               int timeTypeOut, bool json) {
  model.enmDateTypeOut = toType;
  model.enmTimeTypeOut = timeTypeOut;
  return nemora::cli::runForEachDate(inputs, [&](const Inputs& lineInputs) {
    if (!nemora::cli::applyInputs(session, lineInputs) || !model.chooseConvertAndEvaluate()) return false;
    printResult(session, model, json);
    return true;
  });
}

// The main window's input labels: their texts, or one JSON object with the
// instant, the place's numbers and the labels.
int runInputs(nemora::Session& session, nemora::MainModel& model, const Inputs& inputs, bool json) {
  return nemora::cli::runForEachDate(inputs, [&](const Inputs& lineInputs) {
    if (!nemora::cli::applyInputs(session, lineInputs) || !model.chooseConvertAndEvaluate()) return false;
    const nemora::MainLabels& l = model.labels;
    if (json) {
      using nemora::cli::jsonText;
      Json o;
      o["instant"] = nemora::cli::instantJson(session, session.dblFixDate + session.dblFixTime);
      o["place"] = nemora::cli::placeJson(session);
      o["criterion"] = nemora::cli::criterionName(session);
      o["date_text"] = jsonText(l.lblDate);
      o["time_text"] = jsonText(l.lblTime);
      o["location_text"] = jsonText(l.lblLocation);
      o["weather_text"] = jsonText(l.lblWeather);
      o["observer_text"] = jsonText(l.lblObserver);
      o["criterion_text"] = jsonText(l.lblCriterion);
      printJson(o);
      return true;
    }
    for (const auto* label : {&l.lblDate, &l.lblTime, &l.lblLocation, &l.lblWeather, &l.lblObserver, &l.lblCriterion})
      if (!label->empty()) std::cout << plainText(*label) << '\n';
    return true;
  });
}

// The report of a body's parameter: its text, or one JSON object with the
// body, the parameter, the instant and the text. A report that is not
// available fails with its notice on standard error: a script must not take
// the notice for a report.
int runReport(nemora::Session& session, nemora::MainModel& model, const Inputs& inputs, const std::string& body,
              const std::string& parameter, bool json) {
  return nemora::cli::runForEachDate(inputs, [&](const Inputs& lineInputs) {
    if (!nemora::cli::applyInputs(session, lineInputs)) return false;
    if (!model.chooseBodyAndEvaluate(body, parameter)) return false;
    const std::string text = plainText(model.labels.lblOutput3);
    if (!model.blnReportAvailable) {
      std::cerr << text << '\n';
      return false;
    }
    if (json) {
      Json o;
      o["body"] = body;
      o["parameter"] = parameter;
      o["instant"] = nemora::cli::instantJson(session, session.dblFixDate + session.dblFixTime);
      o["place"] = nemora::cli::placeJson(session);
      o["criterion"] = nemora::cli::criterionName(session);
      o["text"] = nemora::cli::jsonText(text);
      printJson(o);
    } else {
      std::cout << text;
      if (text.empty() || text.back() != '\n') std::cout << '\n';
    }
    return true;
  });
}

// Every body's report parameters (as the main window's lists hold them).
int listReports(bool json) {
  const auto& bodies = nemora::fixedBodyNames();
  for (size_t b = 0; b <= bodies.size(); ++b) {
    // The catalogue's stars have the planets' parameters.
    const std::string name = b < bodies.size() ? bodies[b] : "a catalogued star";
    const auto parameters = nemora::parameterNames(static_cast<int>(b));
    if (json) {
      Json o;
      o["body"] = b < bodies.size() ? bodies[b] : "star";
      o["parameters"] = parameters;
      printJson(o);
    } else {
      std::cout << name << ":\n";
      for (const auto& parameter : parameters) std::cout << "  " << parameter << '\n';
    }
  }
  return 0;
}

// The body's magnitudes, the sky's brightness at it and the probability of
// seeing it, after the fields of its position record.
bool addPhotometry(nemora::Session& session, const std::string& body, const nemora::udtHBody& record,
                   std::vector<std::pair<std::string, double>>& fields) {
  bool ok = true;
  double foveal = 0, peripheral = 0, total = 0;
  session.hbody.Magnitude(body, record, record.Fix, foveal, peripheral, total, ok);
  if (!ok) return false;
  double extinction = session.sky.DeltaM(record.Fix, record.AltTopo, 2, ok);
  if (!ok) return false;
  double sky = session.sky.SkyBrightness(record.Fix, record.AltRefr, record.AzTopo, 2, false, 0, ok);
  if (!ok) return false;
  double probability = session.hbody.HBProbVis(body, record.Fix, ok);
  if (!ok) return false;
  fields.insert(fields.end(), {{"MagTotal", total},
                               {"MagFoveal", foveal},
                               {"MagPeripheral", peripheral},
                               {"MagGround", total + extinction},
                               {"SkyBrightness", sky},
                               {"Probability", probability}});
  return true;
}

// The JSON key of a position record's field or photometric value (angles in
// degrees, distances in km, sky brightness in cd/m^2); the empty text for the
// instant, which the object gives in its own shape.
const char* jsonKeyOfField(const std::string& name) {
  static const std::pair<const char*, const char*> keys[] = {
      {"EclLong", "ecliptic_longitude_geocentric"},
      {"EclDecl", "ecliptic_latitude_geocentric"},
      {"EclElong", "elongation_in_longitude_geocentric"},
      {"EclLongTopo", "ecliptic_longitude_topocentric"},
      {"EclDeclTopo", "ecliptic_latitude_topocentric"},
      {"EclElongTopo", "elongation_in_longitude_topocentric"},
      {"DistanceGeo", "distance_geocentric_km"},
      {"DistanceTopo", "distance_topocentric_km"},
      {"RAGeo", "right_ascension_geocentric"},
      {"RATopo", "right_ascension_topocentric"},
      {"DeclGeo", "declination_geocentric"},
      {"DeclTopo", "declination_topocentric"},
      {"HourAngGeo", "hour_angle_geocentric"},
      {"HourAngTopo", "hour_angle_topocentric"},
      {"AltGeo", "altitude_geocentric"},
      {"AzGeo", "azimuth_geocentric"},
      {"AltTopo", "altitude_topocentric"},
      {"AzTopo", "azimuth_topocentric"},
      {"AltRefr", "altitude_refracted"},
      {"RefrFlag", "refraction_computed"},
      {"Radius", "semi_diameter_topocentric"},
      {"Phase", "illuminated_fraction"},
      {"WidthTopo", "lit_width_topocentric"},
      {"ElongationGeo", "elongation_geocentric"},
      {"ElongationTopo", "elongation_topocentric"},
      {"Fix", ""},
      {"MagTotal", "magnitude"},
      {"MagFoveal", "magnitude_foveal"},
      {"MagPeripheral", "magnitude_peripheral"},
      {"MagGround", "magnitude_at_ground"},
      {"SkyBrightness", "sky_brightness_cd_m2"},
      {"Probability", "probability"},
  };
  for (const auto& [field, key] : keys)
    if (name == field) return key;
  throw std::logic_error("no JSON key for the field " + name);
}

// The position record of a body at the input instant: one "field value" line
// per field, or one JSON object keyed by the field names.
int runBody(nemora::Session& session, nemora::MainModel& model, const Inputs& inputs, const std::string& body,
            bool json) {
  return nemora::cli::runForEachDate(inputs, [&](const Inputs& lineInputs) {
    if (!nemora::cli::applyInputs(session, lineInputs)) return false;
    if (!model.chooseConvertAndEvaluate()) return false;
    if (!nemora::HBodyLoader(session).IsObjectName(body)) {
      session.showMessage("Invalid name for heavenly body.");
      return false;
    }
    nemora::udtHBody record;
    bool ok = true;
    session.hbody.TrueHBody(body, session.dblFixDate + session.dblFixTime, record, ok);
    if (!ok) return false;
    auto fields = nemora::hbodyFields(record);
    if (!addPhotometry(session, body, record, fields)) return false;
    if (json) {
      Json o;
      o["body"] = body;
      o["instant"] = nemora::cli::instantJson(session, record.Fix);
      o["place"] = nemora::cli::placeJson(session);
      o["criterion"] = nemora::cli::criterionName(session);
      for (const auto& [name, value] : fields) {
        const char* key = jsonKeyOfField(name);
        if (name == "RefrFlag")
          o[key] = value != 0;
        else if (key[0] != '\0')
          o[key] = value;
      }
      printJson(o);
    } else {
      for (const auto& [name, value] : fields) std::cout << name << ' ' << nemora::generalNumber(value) << '\n';
    }
    return true;
  });
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Nemora 3.1: lunar crescent visibility, calendars and time scales (command line)", "nemora-cli"};
  app.set_version_flag("--version", std::string("nemora-cli ") + NEMORA_CLI_VERSION);
  app.fallthrough();
  app.require_subcommand(1);

  Inputs inputs;
  std::string dataDir;
  bool json = false;
  nemora::cli::addInputOptions(app, inputs);
  app.add_option("--data-dir", dataDir, "Folder of the shipped data files (default: $NEMORA_DATA, else data/)");
  app.add_flag("--json", json, "One JSON object per result, on one line");
  bool outputTxt = false;
  app.add_flag("--output-txt", outputTxt,
               "Also write the report to Output.txt in the working folder, as the window does (only when the "
               "run succeeds)");

  std::string toName;
  std::string timeTypeOutName = "Local";
  auto* convert = app.add_subcommand("convert", "Write the input instant in another date type and time scale");
  convert->add_option("--to", toName, "Date type of the result")
      ->required()
      ->check(CLI::IsMember(nemora::dateTypeNames()));
  convert->add_option("--time-type-out", timeTypeOutName, "Time scale of the result (calendar types)")
      ->check(CLI::IsMember(nemora::timeTypeNames()));
  auto* inputsCommand = app.add_subcommand("inputs", "Print the input labels of the main window");
  std::string bodyName;
  std::string parameterName;
  bool listParameters = false;
  auto* report = app.add_subcommand("report", "Print the report of a body and parameter at the input instant");
  auto* listFlag = report->add_flag("--list", listParameters, "List every body's parameters instead");
  report->add_option("--body", bodyName, "Sun, Moon, a planet or a catalogued star")->excludes(listFlag);
  report->add_option("--parameter", parameterName, "A parameter of the body, e.g. \"Horizon coordinates\"")
      ->excludes(listFlag);
  int searchYears = 20;
  report
      ->add_option("--search-years", searchYears,
                   "Years the \"Next back-to-back Moon\" search looks ahead before it answers that none was found "
                   "(default 20)")
      ->check(CLI::Range(1, 1000));
  std::string placesCountry;
  std::string placesSearch;
  size_t placesLimit = 20;
  auto* places = app.add_subcommand("places", "List the location database's places with coordinates and zones");
  auto* placesCountryOption = places->add_option("--country", placesCountry, "Only this country or state");
  places->add_option("--search", placesSearch, "Only the towns whose names begin with or contain TEXT, best first")
      ->excludes(placesCountryOption);
  places->add_option("--limit", placesLimit, "At most this many towns found by --search (default 20)")
      ->check(CLI::Range(1, 100000));

  std::string recordBody;
  auto* bodyCommand = app.add_subcommand("body", "Print every field of a body's position record at the input instant");
  bodyCommand->add_option("--body", recordBody, "Sun, Moon, a planet or a catalogued star")->required();

  bool morning = false;
  auto* crescent = app.add_subcommand(
      "crescent", "The evening (or morning) of the input date: the criterion in force and every named criterion");
  crescent->add_flag("--morning", morning, "The morning of the old Moon instead of the evening of the new Moon");

  int phaseCount = 12;
  auto* phasesCommand = app.add_subcommand(
      "phases", "The next new Moons, first quarters, full Moons and last quarters, with the molad and nigud");
  phasesCommand->add_option("--count", phaseCount, "Lunations to list (default 12)")->check(CLI::Range(1, 10000));
  std::string phasesIcs;
  phasesCommand->add_option("--ics", phasesIcs, "Also write the phases to this iCalendar file, one event each");
  int visibleCount = 12;
  bool old = false;
  auto* firstVisible = app.add_subcommand(
      "first-visible", "The first evening of each new crescent under the criterion in force at the input place");
  firstVisible->add_option("--count", visibleCount, "Lunations to search (default 12)")->check(CLI::Range(1, 10000));
  firstVisible->add_flag("--old", old, "The last morning of each old crescent instead");
  std::string visibleIcs;
  firstVisible->add_option("--ics", visibleIcs,
                           "Also write the crescents to this iCalendar file, one event each with the place, the "
                           "criterion, the best time and the probability");
  nemora::cli::SightingsOptions sightingsOptions;
  auto* sightingsCommand = nemora::cli::addSightingsCommand(app, sightingsOptions);

  nemora::cli::GraphOptions graphOptions;
  auto* graphCommand = nemora::cli::addGraphCommand(app, graphOptions);
  nemora::cli::MapOptions mapOptions;
  auto* mapCommand = nemora::cli::addMapCommand(app, mapOptions);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version end the run with status 0; a command line that
    // cannot be used, with the usage status.
    return app.exit(e) == 0 ? 0 : nemora::cli::kUsageStatus;
  }
  std::string problem = nemora::cli::usageProblem(app, inputs);
  if (problem.empty() && convert->count("--time-type-out") > 0 &&
      nemora::cli::indexOf(nemora::dateTypeNames(), toName) < nemora::dtGregorian)
    problem = "--time-type-out applies to calendar dates only, not to --to " + toName + ".";
  if (problem.empty() && report->parsed() && !listParameters && (bodyName.empty() || parameterName.empty()))
    problem = "report needs --body and --parameter (report --list lists them).";
  if (!problem.empty()) {
    std::cerr << problem << "\nRun with --help for more information.\n";
    return nemora::cli::kUsageStatus;
  }
  if (report->parsed() && listParameters) return listReports(json);

  nemora::StderrMessageSink sink;
  try {
    nemora::Session session(sink);
    // Output.txt is held until the run has succeeded, and written only when
    // asked: a script's folder is not the window's.
    session.blnHoldOutputTxt = true;
    if (!dataDir.empty()) session.dataDir = dataDir;
    if (places->parsed()) {
      session.locations.GetLocationData();
      return nemora::cli::runPlaces(session, placesCountry, placesSearch, placesLimit, json);
    }
    nemora::cli::checkDate(session, inputs);
    nemora::MainModel model(session);
    // "Now" is the clock's instant, in the place's local time. A place given
    // on the command line stands instead of the last location's files.
    const double clock = nemora::systemClockSerialUT();
    std::function<void()> givenPlace;
    // The world map and the sightings analysis need no place: they take the
    // default one without a word and never read Curloc.txt.
    const bool needsPlace = !sightingsCommand->parsed() && !mapCommand->parsed();
    if (nemora::cli::placeGiven(inputs)) {
      givenPlace = [&] {
        if (!nemora::cli::applyPlace(session, inputs)) throw nemora::ProgramEnd("", 1);
      };
    } else if (!needsPlace || !std::filesystem::exists(session.workFile("Curloc.txt"))) {
      givenPlace = [&] {
        // The default location alone: Curloc.bak of the data folder read as
        // the last location. Serial day 0 of the clock is fixed day 693594
        // (30 December 1899).
        const std::filesystem::path work = session.workDir;
        session.workDir = session.dataDir;
        session.currentLocation.GetLastLocation(clock + 693594, "Curloc.bak");
        session.workDir = work;
        if (needsPlace) std::cerr << nemora::cli::defaultPlaceNotice(session) << '\n';
      };
    }
    model.startUp(clock, true, givenPlace);
    auto command = [&]() -> int {
      if (convert->parsed()) {
        return runConvert(session, model, inputs, nemora::cli::indexOf(nemora::dateTypeNames(), toName),
                          nemora::cli::indexOf(nemora::timeTypeNames(), timeTypeOutName), json);
      }
      if (inputsCommand->parsed()) return runInputs(session, model, inputs, json);
      if (crescent->parsed()) return nemora::cli::runCrescent(session, model, inputs, morning, json);
      if (sightingsCommand->parsed())
        return nemora::cli::runSightings(session, model, inputs, sightingsOptions, json);
      if (phasesCommand->parsed()) return nemora::cli::runPhases(session, model, inputs, phaseCount, json, phasesIcs);
      if (firstVisible->parsed())
        return nemora::cli::runFirstVisible(session, model, inputs, visibleCount, old, json, visibleIcs);
      if (bodyCommand->parsed()) return runBody(session, model, inputs, recordBody, json);
      if (report->parsed()) {
        // Nobody answers questions here: the search runs for the years given.
        session.intBackToBackYears = searchYears;
        return runReport(session, model, inputs, bodyName, parameterName, json);
      }
      if (graphCommand->parsed()) return nemora::cli::runGraph(session, model, inputs, graphOptions, json);
      if (mapCommand->parsed()) return nemora::cli::runMap(session, model, inputs, mapOptions, json);
      return 0;
    };
    const int status = command();
    if (status == 0 && outputTxt && session.strHeldOutputTxt) {
      try {
        nemora::writeFileAtomically(session.workFile("Output.txt"), *session.strHeldOutputTxt);
      } catch (const nemora::AppError& e) {
        // The results are printed already: the copy's failure is told after them.
        std::cerr << e.description << '\n';
        return 1;
      }
    }
    return status;
  } catch (const nemora::cli::UsageError& e) {
    if (*e.what()) std::cerr << e.what() << '\n';
    return nemora::cli::kUsageStatus;
  } catch (const nemora::ProgramEnd& end) {
    return end.status;
  } catch (const nemora::AppError& e) {
    // A fault that no routine handles ends the run with its description, as
    // in the window.
    std::cerr << e.description << '\n';
    return 1;
  }
  return 0;
}
