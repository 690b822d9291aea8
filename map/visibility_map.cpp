#include "map/visibility_map.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "base/text.h"
#include "base/session.h"
#include "calendar/gregorian.h"
#include "timescale/date_text.h"
#include "base/session_pool.h"
#include "ephemeris/hbody.h"
#include "ephemeris/hbody_geocentric.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/criterion_evaluation.h"
#include "base/visibility_types.h"
#include "visibility/moon_report.h"

namespace nemora {

namespace {

// Probabilities that bound the bands of the photometric map: from 8 % a
// sighting is possible, from 92 % nearly certain (the windows of the
// first-visibility report use the same two), and 50 % splits the middle.
constexpr double kBandLimits[] = {0.92, 0.5, 0.08};
// Steps the probability search stops at (as the evening's table does).
constexpr double kProbabilityStep = 0.002;

// Centres of the cells of an axis anchored at `origin`, within [from, to)
// (to included when it is the end of the axis).
std::vector<double> axis(double origin, double end, double step, double from, double to) {
  std::vector<double> centres;
  if (!(step > 0) || !(from < to)) return centres;
  for (long k = 0;; ++k) {
    double c = origin + (static_cast<double>(k) + 0.5) * step;
    if (c > end) break;
    if (c >= from && (c < to || (to >= end && c <= end))) centres.push_back(c);
  }
  return centres;
}

constexpr uint32_t kGreen = 0x1a9641, kLightGreen = 0xa6d96a, kYellow = 0xfee08b, kOrange = 0xfdae61,
                   kRed = 0xd7191c, kBlank = 0xf7f7f7;

}  // namespace

std::vector<double> gridLatitudes(const MapGrid& g) { return axis(-90, 90, g.dblStep, g.dblLatMin, g.dblLatMax); }

std::vector<double> gridLongitudes(const MapGrid& g) {
  if (!g.crossesDateLine()) return axis(-180, 180, g.dblStep, g.dblLonMin, g.dblLonMax);
  std::vector<double> centres = axis(-180, 180, g.dblStep, g.dblLonMin, 180);
  for (double c : axis(-180, 180, g.dblStep, -180, g.dblLonMax)) centres.push_back(c);
  return centres;
}

MapScale scaleOf(MapMode mode, int16_t intCriterion) {
  if (mode == MapMode::Photometric) return MapScale::Probability;
  if (intCriterion == kCritYallop) return MapScale::YallopClass;
  if (intCriterion == kCritOdeh) return MapScale::OdehZone;
  return MapScale::Verdict;
}

std::vector<MapZone> mapZones(MapScale scale, int16_t language) {
  auto lang = [language](const char* english, const char* hebrew) { return std::string(language == 1 ? hebrew : english); };
  switch (scale) {
    case MapScale::YallopClass: {
      const uint32_t colours[] = {kGreen, kLightGreen, kYellow, kOrange, kRed, kBlank};
      std::vector<MapZone> zones;
      for (int i = 0; i < 6; ++i) {
        char c = static_cast<char>('A' + i);
        zones.push_back({std::string(1, c), YallopClassMeaning(c, language), colours[i]});
      }
      return zones;
    }
    case MapScale::OdehZone: {
      const uint32_t colours[] = {kGreen, kLightGreen, kOrange, kBlank};
      std::vector<MapZone> zones;
      for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>('A' + i);
        zones.push_back({std::string(1, c), OdehZoneMeaning(c, language), colours[i]});
      }
      return zones;
    }
    case MapScale::Verdict:
      return {{"visible", lang("visible", "נראה"), kGreen}, {"not-visible", lang("not visible", "אינו נראה"), kBlank}};
    case MapScale::Probability:
      return {{"A", lang("probability of seeing it 92% or more", "הסתברות לראותו 92% ומעלה"), kGreen},
              {"B", lang("50% to 92%", "50% עד 92%"), kLightGreen},
              {"C", lang("8% to 50%", "8% עד 50%"), kOrange},
              {"D", lang("below 8%", "פחות מ-8%"), kBlank}};
  }
  return {};
}

std::vector<MapZone> specialZones(bool blnEvening, int16_t language) {
  auto zone = [&](CrescentBar bar, uint32_t colour) {
    return MapZone{crescentBarCode(bar, blnEvening), crescentBarText(bar, blnEvening, language), colour};
  };
  const std::string notComputed = language == 1 ? "לא חושב" : "not computed";
  return {zone(CrescentBar::NoSunEvent, 0x5e5e70),     zone(CrescentBar::MoonFirst, 0xb4b4be),
          {"failed", notComputed, 0xff00ff},            zone(CrescentBar::MoonNeverRises, 0x8c8c99),
          zone(CrescentBar::NotCrescent, 0xe6e0c8)};
}

const MapZone& cellZone(const VisibilityMap&, const MapCell& cell, const std::vector<MapZone>& zones,
                        const std::vector<MapZone>& special) {
  if (cell.kind == CellKind::Value) {
    if (cell.intZone >= 0 && static_cast<size_t>(cell.intZone) < zones.size())
      return zones[static_cast<size_t>(cell.intZone)];
    return special[static_cast<size_t>(CellKind::Failed) - 1];
  }
  return special[static_cast<size_t>(cell.kind) - 1];
}

namespace {

// The map's kind of a cell that a bar keeps from being judged.
CellKind cellKindOf(CrescentBar bar) {
  switch (bar) {
    case CrescentBar::None: return CellKind::Value;
    case CrescentBar::NoSunEvent: return CellKind::NoSunset;
    case CrescentBar::MoonNeverRises: return CellKind::MoonNeverRises;
    case CrescentBar::MoonFirst: return CellKind::MoonFirst;
    case CrescentBar::NotCrescent: return CellKind::NotCrescent;
    // Judged by the criterion's formula all the same: the lowest zone.
    case CrescentBar::MoonDown:
    case CrescentBar::BelowDanjon: return CellKind::Value;
  }
  return CellKind::Failed;
}

}  // namespace

std::string mapTitle(Session& s, const VisibilityMap& map) {
  std::string what;
  if (map.request.mode == MapMode::Photometric) {
    what = s.main.Lang("Greatest probability of seeing the crescent", "ההסתברות הגבוהה ביותר לראות את הסהר");
  } else {
    const auto& names = criterionTypeNames();
    std::string name = map.intCriterion >= 0 && static_cast<size_t>(map.intCriterion) < names.size()
                           ? names[static_cast<size_t>(map.intCriterion)]
                           : std::string();
    what = s.main.Lang("Crescent visibility by the " + name + " criterion",
                       "נראות הסהר לפי קריטריון " + name);
  }
  bool ok = true;
  udtDate date;
  s.gregorian.fixed_gregorian(map.lngDay, date, ok);
  std::string day = ok ? s.dateText.WriteDate(date, ok, false, false, false) : std::string();
  std::string when = map.request.blnEvening ? s.main.Lang(", evening of ", ", ערב ") : s.main.Lang(", morning of ", ", בוקר ");
  return what + when + day;
}

MapCell evaluateCell(Session& s, int32_t lngDay, bool blnEvening, MapMode mode, const MapCell& where) {
  MapCell cell = where;
  cell.kind = CellKind::Failed;
  cell.blnHasValue = false;
  cell.intZone = -1;
  bool ok = true;
  clsHBody& hb = s.hbody;

  if (mode == MapMode::Photometric) {
    // The interval the evening's table searches: from sunset to moonset, or
    // in the morning from moonrise to sunrise.
    udtVisibility interval;
    hb.ObservingInterval("Moon", lngDay, blnEvening, interval, ok);
    if (!ok) return cell;
    if (interval.bar != CrescentBar::None) {
      cell.kind = cellKindOf(interval.bar);
      return cell;
    }
    udtHBody moon;
    hb.TrueHBody("Moon", blnEvening ? interval.dblStart : interval.dblEnd, moon, ok);
    if (!ok) return cell;
    if (moon.ElongationGeo > 90) {
      cell.kind = CellKind::NotCrescent;
      return cell;
    }
    double t = 0, p = 0;
    hb.FindP("Moon", interval.dblStart, interval.dblEnd, 1.1, kProbabilityStep, t, p, ok);
    if (!ok) return cell;
    cell.kind = CellKind::Value;
    cell.blnHasValue = true;
    cell.dblValue = p;
    cell.intZone = 3;
    for (int i = 0; i < 3; ++i)
      if (p >= kBandLimits[i]) {
        cell.intZone = i;
        break;
      }
    return cell;
  }

  udtCriterion k;
  hb.moon.SetCriterion(k, false, ok);
  if (!ok) return cell;
  // The verdict needs no conjunction (unless the criterion measures the age).
  udtCriterionResult r;
  CriterionExtras verdictOnly;
  verdictOnly.blnConjunction = false;
  CriterionEvaluation(s).Evaluate(lngDay, blnEvening, k, r, ok, verdictOnly);
  if (!ok) return cell;
  const CriterionVerdict v = judgeCrescent(k.intType, r);
  cell.kind = cellKindOf(v.bar);
  cell.blnHasValue = v.blnHasValue;
  cell.dblValue = v.blnHasValue ? v.dblValue : 0;
  if (cell.kind != CellKind::Value) return cell;
  if (v.chClass) cell.intZone = v.chClass - 'A';
  else cell.intZone = v.blnEye ? 0 : 1;
  return cell;
}

namespace {

// The map's header for the session's input instant: day, criterion, scale
// and the grid's centres. False when the instant has no civil day.
bool mapHeader(Session& s, const MapRequest& request, VisibilityMap& m) {
  m.request = request;
  bool ok = true;
  double day = s.dateText.FixedToDay(s.dblFixDate + s.dblFixTime, ok);
  if (!ok) return false;
  m.lngDay = static_cast<int32_t>(day);
  m.intCriterion = s.udtUserCriterion.intType;
  m.scale = scaleOf(request.mode, m.intCriterion);
  m.latitudes = gridLatitudes(request.grid);
  m.longitudes = gridLongitudes(request.grid);
  return true;
}

// The Sun's and the Moon's geocentric places for every cell of a map of day
// lngDay, found once for the whole map: the searches of a cell ask for
// instants within the local days around that day at every longitude (from
// half a day before it to half a day after it), a tenth of a day beyond
// their edges, and the next evening's setting (the previous morning's
// rising) of the Moon. Instants outside the span come from the series.
std::shared_ptr<const GeocentricTable> mapGeocentricTable(Session& s, int32_t lngDay) {
  return GeocentricTable::Build(s, lngDay - 2.0, lngDay + 3.0);
}

// Typical time of one cell on one core (seconds): a criterion's verdict
// needs the day's sunset and moonset, the photometric probability also a
// search over the evening (measured with bench/map_bench on the evenings of
// March 2024).
constexpr double kCriterionCellSeconds = 0.0005;
constexpr double kPhotometricCellSeconds = 0.001;
// Bytes of one CSV line: "-89.95,-179.95,-12.3456,moon-sets-first\n" is the
// longest, most are near 28.
constexpr double kCsvLineBytes = 28;

}  // namespace

MapCost estimateMapCost(const MapRequest& request, unsigned threads) {
  MapCost cost;
  cost.rows = gridLatitudes(request.grid).size();
  cost.columns = gridLongitudes(request.grid).size();
  cost.cells = cost.rows * cost.columns;
  const double cells = static_cast<double>(cost.cells);
  // A kept cell, and its pixel in the image a picture is drawn from (with
  // room for the encoder's copy of it).
  cost.dblKeptBytes = cells * (sizeof(MapCell) + 8);
  const double bandCells =
      static_cast<double>(std::min(cost.cells, std::max(kMapBandCells, cost.columns)));
  // A band's cells and its CSV text.
  cost.dblBandBytes = bandCells * (sizeof(MapCell) + kCsvLineBytes);
  cost.dblCsvBytes = cells * kCsvLineBytes;
  const double perCell =
      request.mode == MapMode::Photometric ? kPhotometricCellSeconds : kCriterionCellSeconds;
  cost.dblSeconds = cells * perCell / std::max(1u, threads);
  return cost;
}

bool computeVisibilityMap(Session& s, const MapRequest& request, VisibilityMap& map,
                          const std::function<void(double)>& progress, const std::atomic<bool>* cancel) {
  VisibilityMap m;
  if (!mapHeader(s, request, m)) return false;
  const size_t columns = m.longitudes.size();
  m.cells.resize(m.latitudes.size() * columns);
  for (size_t i = 0; i < m.cells.size(); ++i) {
    m.cells[i].dblLatitude = m.latitudes[i / columns];
    m.cells[i].dblLongitude = m.longitudes[i % columns];
  }

  SessionPool pool(s, request.intThreads);
  const int32_t lngDay = m.lngDay;
  const bool evening = request.blnEvening;
  const MapMode mode = request.mode;
  const auto geocentric = mapGeocentricTable(s, lngDay);
  m.blnComplete = pool.run(
      m.cells.size(),
      [&](Session& worker, size_t i) {
        MapCell& cell = m.cells[i];
        worker.hbody.UseGeocentricTable(geocentric);
        SessionPool::movePlace(worker, cell.dblLatitude, cell.dblLongitude, 0);
        cell = evaluateCell(worker, lngDay, evening, mode, cell);
      },
      progress, cancel);
  map = std::move(m);
  return true;
}

bool computeVisibilityMapRows(Session& s, const MapRequest& request, VisibilityMap& header,
                              const std::function<void(const VisibilityMap& header, const std::vector<MapCell>& band)>& rows,
                              const std::function<void(double)>& progress, const std::atomic<bool>* cancel,
                              size_t bandCells) {
  VisibilityMap m;
  if (!mapHeader(s, request, m)) return false;
  const size_t columns = m.longitudes.size(), rowCount = m.latitudes.size();
  const size_t total = columns * rowCount;
  const size_t bandRows = columns == 0 ? 1 : std::max<size_t>(1, bandCells / columns);
  SessionPool pool(s, request.intThreads);
  const int32_t lngDay = m.lngDay;
  const bool evening = request.blnEvening;
  const MapMode mode = request.mode;
  const auto geocentric = mapGeocentricTable(s, lngDay);
  std::vector<MapCell> band;
  m.blnComplete = true;
  if (progress) progress(0);
  for (size_t first = 0; first < rowCount && m.blnComplete; first += bandRows) {
    const size_t last = std::min(rowCount, first + bandRows);
    band.assign((last - first) * columns, MapCell{});
    for (size_t i = 0; i < band.size(); ++i) {
      band[i].dblLatitude = m.latitudes[first + i / columns];
      band[i].dblLongitude = m.longitudes[i % columns];
    }
    const double done = static_cast<double>(first * columns);
    auto bandProgress = [&](double fraction) {
      if (progress) progress((done + fraction * static_cast<double>(band.size())) / static_cast<double>(total));
    };
    m.blnComplete = pool.run(
        band.size(),
        [&](Session& worker, size_t i) {
          MapCell& cell = band[i];
          worker.hbody.UseGeocentricTable(geocentric);
          SessionPool::movePlace(worker, cell.dblLatitude, cell.dblLongitude, 0);
          cell = evaluateCell(worker, lngDay, evening, mode, cell);
        },
        bandProgress, cancel);
    if (m.blnComplete) rows(m, band);
  }
  header = std::move(m);
  return true;
}

std::string mapCsvHeader() { return "lat,lon,value,class\n"; }

void appendMapCsv(const VisibilityMap& map, const std::vector<MapCell>& cells, std::string& out) {
  const std::vector<MapZone> zones = mapZones(map.scale, 0);
  const std::vector<MapZone> special = specialZones(map.request.blnEvening, 0);
  // Probabilities and values to a ten-thousandth: finer than any of the
  // zone limits and than the models' own accuracy.
  const std::string pattern = "0.0000";
  out.reserve(out.size() + cells.size() * 28);
  for (const MapCell& c : cells) {
    out += generalNumber(c.dblLatitude);
    out += ',';
    out += generalNumber(c.dblLongitude);
    out += ',';
    if (c.blnHasValue) out += formatNumber(c.dblValue, pattern);
    out += ',';
    out += cellZone(map, c, zones, special).strCode;
    out += '\n';
  }
}

std::string mapCsv(const VisibilityMap& map) {
  std::string out = mapCsvHeader();
  appendMapCsv(map, map.cells, out);
  return out;
}

bool inputMapRequest(Session& s, double dblStep, MapRequest& request) {
  bool ok = true;
  const double day = s.dateText.FixedToDay(s.dblFixDate + s.dblFixTime, ok);
  if (!ok) return false;
  const bool evening = MoonReport(s).EveningOfDay(static_cast<int32_t>(day), ok);
  if (!ok) return false;
  request = MapRequest{};
  request.grid.dblStep = dblStep;
  request.blnEvening = evening;
  request.mode = s.options.intMoonCalc == kMoonCalcPhotometric ? MapMode::Photometric : MapMode::Criterion;
  return true;
}

std::string VisibilityMapReport(Session& s, bool& blnValid) {
  VisibilityMap header;
  blnValid = inputMapRequest(s, 1, header.request);
  if (!blnValid) return {};
  double day = s.dateText.FixedToDay(s.dblFixDate + s.dblFixTime, blnValid);
  if (!blnValid) return {};
  header.lngDay = static_cast<int32_t>(day);
  header.intCriterion = s.udtUserCriterion.intType;
  return mapTitle(s, header) + std::string(kLineBreak) +
         s.main.Lang("The map is drawn in its own window.", "המפה מצוירת בחלון משלה.");
}

MapWindowTexts mapWindowTexts(int16_t language) {
  if (language == 1)
    return {"מפת נראות הסהר", "שמירה כתמונה...", "ביטול", "סגירה", "שמירת המפה כתמונה", "מחשב את המפה...",
            "החישוב בוטל: המפה לא הושלמה.", "לא ניתן לחשב את המפה."};
  return {"Visibility map",
          "Save as picture...",
          "Cancel",
          "Close",
          "Save the map as a picture",
          "Computing the map...",
          "Cancelled: the map was not finished.",
          "The map could not be computed."};
}

std::string mapDoneText(size_t cells, double seconds, int16_t language) {
  const std::string n = std::to_string(cells), t = formatNumber(seconds, "0.0");
  return language == 1 ? n + " משבצות ב-" + t + " שניות" : n + " cells in " + t + " s";
}

}  // namespace nemora
