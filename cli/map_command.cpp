#include "cli/map_command.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/atomic_file.h"
#include "app/main_module.h"
#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "map/coastlines.h"
#include "map/visibility_map.h"
#include "plot/map_painter.h"
#include "plot/picture_file.h"
#include "visibility/options.h"

namespace nemora::cli {
namespace {

// A wrong option: the usage status, as for the options CLI11 refuses.
constexpr int kBadOption = 2;

// "A:B" with A below B, both within [lowest, highest]; with wraps, A may
// also lie above B (a range of longitudes across the date line).
std::optional<std::pair<double, double>> parseRange(const std::string& text, double lowest, double highest,
                                                    bool wraps = false) {
  auto colon = text.find(':', text.empty() ? 0 : 1);
  if (colon == std::string::npos) return std::nullopt;
  auto a = parseNumber(text.substr(0, colon));
  auto b = parseNumber(text.substr(colon + 1));
  if (!a || !b || *a < lowest || *a > highest || *b < lowest || *b > highest) return std::nullopt;
  if (!(*a < *b) && !(wraps && *a > *b)) return std::nullopt;
  return std::make_pair(*a, *b);
}

std::string lowerExtension(const std::string& file) {
  std::string ext = std::filesystem::path(file).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

CLI::App* addMapCommand(CLI::App& app, MapOptions& o) {
  auto* map = app.add_subcommand(
      "map", "World map of the crescent's visibility on the evening (or morning) of the input date");
  map->add_flag("--morning", o.morning, "The morning of the old Moon instead of the evening of the new Moon");
  map->add_option("--step", o.step, "Size of the cells in degrees (default 1)")->check(CLI::Range(0.01, 90.0));
  map->add_option("--lat-range", o.latRange, "SOUTH:NORTH, degrees (default -90:90)");
  map->add_option("--lon-range", o.lonRange,
                  "WEST:EAST, degrees (default -180:180; WEST above EAST spans the date line, e.g. 170:-170)");
  map->add_option("--threads", o.threads, "Worker threads (default: every core)")->check(CLI::Range(1u, 1024u));
  map->add_option("--out", o.out, "FILE.png, FILE.svg, FILE.pdf (picture) or FILE.csv (lat,lon,value,class)");
  map->add_option("--width", o.width, "Picture width: pixels (PNG) or points (SVG, PDF)")
      ->check(CLI::Range(200, 10000));
  map->add_option("--height", o.height, "Picture height")->check(CLI::Range(200, 10000));
  return map;
}

int runMap(Session& session, MainModel& model, const Inputs& inputs, const MapOptions& o, bool json) {
  const std::string ext = lowerExtension(o.out);
  if (o.out.empty() || (ext != ".csv" && ext != ".png" && ext != ".svg" && ext != ".pdf")) {
    std::cerr << "map needs --out FILE.png, FILE.svg, FILE.pdf or FILE.csv.\n";
    return kBadOption;
  }
  auto lat = parseRange(o.latRange, -90, 90);
  if (!lat) {
    std::cerr << "--lat-range must be SOUTH:NORTH within -90:90: " << o.latRange << '\n';
    return kBadOption;
  }
  auto lon = parseRange(o.lonRange, -180, 180, true);
  if (!lon) {
    std::cerr << "--lon-range must be WEST:EAST within -180:180 (170:-170 spans the date line): " << o.lonRange
              << '\n';
    return kBadOption;
  }
  if (inputs.date == "-") {
    std::cerr << "map draws one date: --date - is not accepted.\n";
    return kBadOption;
  }
  if (!applyInputs(session, inputs)) return 1;
  if (!model.chooseConvertAndEvaluate()) return 1;

  MapRequest request;
  request.grid = {o.step, lat->first, lat->second, lon->first, lon->second};
  request.blnEvening = !o.morning;
  request.mode = session.options.intMoonCalc == kMoonCalcPhotometric ? MapMode::Photometric : MapMode::Criterion;
  request.intThreads = o.threads;

  // Progress for a person watching, never into a file or pipe.
  const bool terminal = isatty(STDERR_FILENO) == 1;
  int shown = -1;
  auto progress = [&](double fraction) {
    int percent = static_cast<int>(std::floor(fraction * 100));
    if (!terminal || percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rmap: %3d%%", percent);
    std::fflush(stderr);
  };
  VisibilityMap map;
  bool ok = computeVisibilityMap(session, request, map, progress);
  if (terminal && shown >= 0) std::fputs("\n", stderr);
  if (!ok) return 1;

  if (ext == ".csv") {
    writeFileAtomically(o.out, mapCsv(map));
  } else {
    std::shared_ptr<const Coastlines> coast = loadCoastlines(session.dataFile("coastlines.txt"));
    plot::GuiForPictures gui;
    const plot::MapPictureText text = plot::mapPictureText(session, map);
    QSize size = plot::mapPictureSize(map);
    if (o.width > 0) size.setWidth(o.width);
    if (o.height > 0) size.setHeight(o.height);
    plot::writePicture(
        o.out, size, [&](QPainter& p, const QRectF& r) { plot::drawVisibilityMap(p, r, map, coast.get(), text); },
        text.title);
  }

  if (json) {
    const std::vector<MapZone> zones = mapZones(map.scale, 0);
    const std::vector<MapZone> special = specialZones(map.request.blnEvening, 0);
    std::map<std::string, size_t> counts;
    for (const MapCell& c : map.cells) ++counts[cellZone(map, c, zones, special).strCode];
    Json result;
    result["out"] = o.out;
    result["mode"] = request.mode == MapMode::Photometric ? "photometric" : "criterion";
    result["criterion"] = criterionTypeNames()[static_cast<size_t>(map.intCriterion)];
    result["day"] = dayJson(session, map.lngDay);
    result["evening"] = map.request.blnEvening;
    // The map's region: every place of the grid, not one.
    Json region;
    region["south"] = lat->first;
    region["north"] = lat->second;
    region["west"] = lon->first;
    region["east"] = lon->second;
    result["region"] = region;
    result["step"] = o.step;
    result["cells"] = map.cells.size();
    Json classes = Json::object();
    for (const auto* list : {&zones, &special})
      for (const MapZone& z : *list)
        if (counts.count(z.strCode) != 0) classes[z.strCode] = counts[z.strCode];
    result["classes"] = classes;
    printJson(result);
  }
  // The map is written whole; cells that could not be computed make the
  // run a failure all the same.
  const auto failed = std::count_if(map.cells.begin(), map.cells.end(),
                                    [](const MapCell& c) { return c.kind == CellKind::Failed; });
  if (failed > 0) {
    std::cerr << "map: " << failed << " of " << map.cells.size() << " cells could not be computed.\n";
    return 1;
  }
  return 0;
}

}  // namespace nemora::cli
