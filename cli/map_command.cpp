#include "cli/map_command.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <thread>

#include "base/atomic_file.h"
#include "base/errors.h"
#include "base/number_format.h"
#include "base/main_module.h"
#include "app/main_model.h"
#include "app/session.h"
#include "cli/json_output.h"
#include "map/coastlines.h"
#include "map/visibility_map.h"
#include "plot/map_painter.h"
#include "plot/picture_file.h"
#include "base/options.h"

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

namespace {

// Memory the system can give without swapping (bytes), or 0 when unknown.
double availableMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  double kilobytes = 0;
  std::string unit;
  while (meminfo >> key >> kilobytes >> unit)
    if (key == "MemAvailable:") return kilobytes * 1024;
  const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? static_cast<double>(pages) * static_cast<double>(size) : 0;
}

// Free room in the folder of a file (bytes), or -1 when unknown.
double freeRoom(const std::filesystem::path& file) {
  struct statvfs info {};
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  if (statvfs(folder.c_str(), &info) != 0) return -1;
  return static_cast<double>(info.f_bavail) * static_cast<double>(info.f_frsize);
}

std::string bytesText(double bytes) {
  if (bytes >= 1e9) return formatNumber(bytes / 1e9, "0.0") + " GB";
  return formatNumber(std::max(1.0, bytes / 1e6), "0") + " MB";
}

std::string durationText(double seconds) {
  if (seconds >= 5400) return formatNumber(seconds / 3600, "0.0") + " h";
  if (seconds >= 90) return formatNumber(seconds / 60, "0") + " min";
  return formatNumber(seconds, "0") + " s";
}

// The finest step of the request's part of the world whose cost stays
// within `room` (a cost that grows with the number of cells, as the square
// of 1/step), rounded up to a hundredth of a degree.
double finestStep(double step, double needed, double room) {
  return std::ceil(step * std::sqrt(needed / room) * 100 * 1.0001) / 100;
}

}  // namespace

int runMap(Session& session, MainModel& model, const Inputs& inputs, const MapOptions& o, bool json) {
  // "-": the CSV on standard output.
  const std::string ext = o.out == "-" ? ".csv" : lowerExtension(o.out);
  if (o.out.empty() || (ext != ".csv" && ext != ".png" && ext != ".svg" && ext != ".pdf")) {
    std::cerr << "map needs --out FILE.png, FILE.svg, FILE.pdf or FILE.csv.\n";
    return kBadOption;
  }
  if (!(o.step >= 0.01 && o.step <= 90)) {
    std::cerr << "--step must be degrees from 0.01 to 90: " << o.step << '\n';
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

  MapRequest request;
  request.grid = {o.step, lat->first, lat->second, lon->first, lon->second};
  request.blnEvening = !o.morning;
  request.intThreads = o.threads;

  // What the map will cost is known before anything is computed: a map
  // that has no cells, or cannot fit in memory or on the disk, is refused,
  // and so is a name that cannot be written.
  const bool csv = ext == ".csv";
  const unsigned threads = o.threads > 0 ? o.threads : std::max(1u, std::thread::hardware_concurrency());
  const MapCost cost = estimateMapCost(request, threads);
  if (cost.cells == 0) {
    std::cerr << "The map has no cells: no centre of a " << generalNumber(o.step)
              << "-degree cell lies within --lat-range " << o.latRange << " and --lon-range " << o.lonRange
              << ".\n";
    return kBadOption;
  }
  const double memory = availableMemory();
  const double needed = csv ? cost.dblBandBytes : cost.dblKeptBytes;
  if (memory > 0 && needed > memory * 0.8) {
    std::cerr << "A map of " << cost.cells << " cells at " << generalNumber(o.step) << " degrees needs about "
              << bytesText(needed) << " of memory" << (csv ? "" : " as a picture") << "; " << bytesText(memory)
              << " are available. A --step of " << generalNumber(finestStep(o.step, needed, memory * 0.8))
              << " or more fits, or a smaller --lat-range and --lon-range"
              << (csv ? "" : ", or --out FILE.csv, which is written as the cells are computed") << ".\n";
    return kBadOption;
  }
  try {
    checkWritable(o.out);
  } catch (const AppError& e) {
    std::cerr << e.description << '\n';
    return 1;
  }
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(o.out, ec);
  if (csv && o.out != "-" && (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status))) {
    const double room = freeRoom(o.out);
    if (room >= 0 && cost.dblCsvBytes > room) {
      std::cerr << "The CSV of " << cost.cells << " cells needs about " << bytesText(cost.dblCsvBytes)
                << "; the folder of " << o.out << " has " << bytesText(room) << " free. A --step of "
                << generalNumber(finestStep(o.step, cost.dblCsvBytes, room))
                << " or more fits, or a smaller --lat-range and --lon-range.\n";
      return kBadOption;
    }
  }
  if (!applyInputs(session, inputs)) return 1;
  if (!model.chooseConvertAndEvaluate()) return 1;
  // The Moon calculation mode is the inputs' (--mode).
  request.mode = session.options.intMoonCalc == kMoonCalcPhotometric ? MapMode::Photometric : MapMode::Criterion;

  // Progress for a person watching, never into a file or pipe.
  const bool terminal = isatty(STDERR_FILENO) == 1;
  const double seconds = estimateMapCost(request, threads).dblSeconds;
  if (seconds >= 60)
    std::cerr << "map: " << cost.cells << " cells, about " << durationText(seconds) << " on " << threads
              << (threads == 1 ? " thread" : " threads") << '\n';
  int shown = -1;
  auto progress = [&](double fraction) {
    int percent = static_cast<int>(std::floor(fraction * 100));
    if (!terminal || percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rmap: %3d%%", percent);
    std::fflush(stderr);
  };

  // The classes counted as the cells come, for --json.
  VisibilityMap map;
  std::map<std::string, size_t> counts;
  size_t cellCount = 0;
  auto count = [&](const VisibilityMap& header, const std::vector<MapCell>& cells) {
    const std::vector<MapZone> zones = mapZones(header.scale, 0);
    const std::vector<MapZone> special = specialZones(header.request.blnEvening, 0);
    for (const MapCell& c : cells) ++counts[cellZone(header, c, zones, special).strCode];
    cellCount += cells.size();
  };
  bool ok = false;
  if (csv) {
    // The cells go to the file band by band; the file takes the old one's
    // place only when the whole map is written.
    AtomicFileWriter file(o.out);
    file.write(mapCsvHeader());
    std::string text;
    ok = computeVisibilityMapRows(
        session, request, map,
        [&](const VisibilityMap& header, const std::vector<MapCell>& band) {
          text.clear();
          appendMapCsv(header, band, text);
          file.write(text);
          count(header, band);
        },
        progress);
    if (terminal && shown >= 0) std::fputs("\n", stderr);
    if (!ok || !map.blnComplete) return 1;
    file.commit();
  } else {
    ok = computeVisibilityMap(session, request, map, progress);
    if (terminal && shown >= 0) std::fputs("\n", stderr);
    if (!ok) return 1;
    count(map, map.cells);
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
    result["cells"] = cellCount;
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
