#include "cli/graph_command.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "base/errors.h"
#include "base/atomic_file.h"
#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "graphs/graph_curves.h"
#include "graphs/graph_texts.h"
#include "plot/graph_painter.h"
#include "plot/picture_file.h"

namespace nemora::cli {
namespace {

const char* parameterOf(const std::string& kind) {
  if (kind == "probability") return "Probability";
  if (kind == "light") return "Light curve";
  return "Finder chart";
}

int plotModeOf(const std::string& mode) {
  if (mode == "sketch") return 1;
  if (mode == "proportional") return 2;
  return 0;
}

std::string clockText(double t, double offset) {
  const long long minute = ((std::llround((t + offset) * 1440) % 1440) + 1440) % 1440;
  char text[8];
  std::snprintf(text, sizeof text, "%02lld:%02lld", minute / 60, minute % 60);
  return text;
}

// The curves as comma-separated values, one row per instant of the grid.
std::string csvText(const udtCurves& c) {
  std::ostringstream out;
  out.precision(10);
  out << "instant,clock,evaluated,probability,altitude,azimuth,lg_b,magnitude,limb_angle,limb_arc,class\n";
  const char* classes[] = {"not visible", "may be visible", "definitely visible"};
  for (size_t i = 0; i < c.grid.dblTime.size(); ++i) {
    const double t = c.grid.dblTime[i];
    out << t << ',' << clockText(t, c.dblClockOffset) << ',' << (c.grid.blnEvaluated[i] ? 1 : 0) << ','
        << c.dblProb[i] << ',' << c.dblAlt[i] << ',' << std::fmod(c.dblAz[i] + 720, 360) << ',' << c.dblLogB[i]
        << ',' << c.dblMag[i] << ',' << c.dblLimbAngle[i] << ',' << c.dblLimbArc[i] << ','
        << classes[static_cast<int>(WindowClass(c.table, t))] << '\n';
  }
  return out.str();
}

// FILE.png, FILE.svg or FILE.pdf, in any case.
bool isPictureName(const std::string& file) {
  std::string ext = std::filesystem::path(file).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png" || ext == ".svg" || ext == ".pdf";
}

}  // namespace

CLI::App* addGraphCommand(CLI::App& app, GraphOptions& o) {
  auto* graph = app.add_subcommand(
      "graph", "The probability curve, light curve or finder chart of a body over the evening (or morning)");
  graph->add_option("--kind", o.kind, "probability, light or finder")
      ->required()
      ->check(CLI::IsMember({"probability", "light", "finder"}));
  graph->add_option("--plot-mode", o.plotMode, "The finder chart's plot mode: full, sketch or proportional")
      ->check(CLI::IsMember({"full", "sketch", "proportional"}));
  graph->add_option("--body", o.body, "Sun, Moon, Mercury, Venus, Mars, Jupiter or Saturn (default Moon)");
  graph->add_option("--out", o.out, "The picture: FILE.png, FILE.svg or FILE.pdf (with --csv: the table)");
  graph->add_flag("--csv", o.csv, "Write the curves' numbers as comma-separated values instead of a picture");
  graph->add_option("--width", o.width, "Picture width: pixels (PNG) or points (SVG, PDF); default 1000")
      ->check(CLI::Range(100, 10000));
  graph->add_option("--height", o.height, "Picture height; default 700")->check(CLI::Range(100, 10000));
  return graph;
}

int runGraph(Session& session, MainModel& model, const Inputs& inputs, const GraphOptions& o, bool json) {
  if (!o.csv && o.out.empty()) {
    // A command line that cannot be used: the usage status, nothing computed.
    std::cerr << "graph needs --out FILE.png, .svg or .pdf (or --csv).\n";
    return 2;
  }
  // A name that cannot be written, and an unknown picture format, are
  // refused before anything is computed; the table is never written under
  // a picture's name.
  if (o.csv && isPictureName(o.out)) {
    std::cerr << "graph --csv writes a table, not a picture: --out " << o.out << " names a picture.\n";
    return 2;
  }
  try {
    if (!o.csv) plot::pictureFormatOf(o.out);
  } catch (const AppError& e) {
    std::cerr << e.description << '\n';
    return 2;
  }
  try {
    if (!o.out.empty()) checkWritable(o.out);
  } catch (const AppError& e) {
    std::cerr << e.description << '\n';
    return 1;
  }
  if (!applyInputs(session, inputs)) return 1;
  if (o.kind == "finder") session.options.intPlotMode = static_cast<int16_t>(plotModeOf(o.plotMode));
  // The main window's request: its report first, then the graph from the
  // same visibility table.
  if (!model.chooseBodyAndEvaluate(o.body, parameterOf(o.kind))) return 1;
  if (o.kind == "finder" && o.body == "Sun") model.intGraphKind = session.options.intPlotMode;
  const auto request = GraphRequestFor(session, o.body, parameterOf(o.kind), model.intGraphKind,
                                       session.dblFixDate + session.dblFixTime);
  if (!request) return 1;
  udtCurves curves;
  bool ok = true;
  GraphCurves(session).CalcCurve(*request, curves, ok);
  if (!ok) return 1;

  if (o.csv) {
    const std::string table = csvText(curves);
    if (o.out.empty()) std::cout << table;
    else writeFileAtomically(o.out, table);
  } else {
    plot::GuiForPictures gui;
    const udtGraphTexts texts = GraphTexts(o.body, request->intGraphKind, session.intLanguage);
    plot::GraphLook look;
    look.intLanguage = session.intLanguage;
    if (curves.hasCurve()) look.whereWhen = QString::fromStdString(GraphWhereWhen(session, curves));
    plot::writePicture(o.out, QSize(o.width, o.height),
                       [&](QPainter& p, const QRectF& r) { plot::drawGraph(p, r, curves, look); },
                       QString::fromStdString(texts.strCaption));
  }
  if (json) {
    Json result;
    result["kind"] = o.kind;
    if (o.kind == "finder") result["plot_mode"] = o.plotMode.empty() ? "full" : o.plotMode;
    result["body"] = o.body;
    result["instant"] = instantJson(session, session.dblFixDate + session.dblFixTime);
    result["place"] = placeJson(session);
    result["criterion"] = criterionName(session);
    result["out"] = o.out;
    result["message"] = jsonText(curves.strMessage);
    result["points"] = curves.grid.dblTime.size();
    printJson(result);
  } else if (!curves.strMessage.empty()) {
    std::cout << curves.strMessage << '\n';
  }
  return 0;
}

}  // namespace nemora::cli
