// The world map of crescent visibility: for one evening (or morning) and a
// grid of places, the verdict of the criterion in force at every place, or
// the greatest photometric probability of seeing the Moon that evening. The
// places are evaluated in parallel, one session per worker thread; the map
// is the same whatever the number of threads.
//
// Every place is taken at sea level, with the caller's weather setting,
// observer, options and time zone, and the civil day of the caller's input
// instant: a cell holds what the single-place crescent evaluation gives at
// the cell's centre for that day. The Sun's and the Moon's geocentric places
// come from one table for the whole map, within 0.001" of their series
// (ephemeris/hbody_geocentric.h): a cell's verdict is the single-place one,
// its value the same to far below the ten-thousandth the CSV prints.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nemora {

class Session;

// The cells of a map: squares of dblStep degrees on a grid anchored at
// latitude -90 and longitude -180, those whose centres lie within the
// bounds (lower bound included, upper bound excluded but for 90 and 180).
// Because the grid is anchored, maps of bands that share their bounds join
// into the map of the whole.
struct MapGrid {
  double dblStep = 1;
  double dblLatMin = -90, dblLatMax = 90;
  // West and east edges; a west edge east of the east edge spans the date
  // line (170 to -170 is the 20 degrees around 180).
  double dblLonMin = -180, dblLonMax = 180;
  bool crossesDateLine() const { return dblLonMin > dblLonMax; }
};

// The cells' centres, from south to north and from west to east (across the
// date line: from the west edge up to 180, then on from -180); empty when
// the step is not above 0 or no centre lies within the bounds.
std::vector<double> gridLatitudes(const MapGrid& grid);
std::vector<double> gridLongitudes(const MapGrid& grid);

// What a map shows: the criterion in force, or the photometric probability.
enum class MapMode { Criterion, Photometric };

// What the map of a criterion type shows in each cell (the zones of its
// author where there are some).
enum class MapScale {
  YallopClass,   // Yallop's q and class A to F
  OdehZone,      // Odeh's V and zone A to D
  Verdict,       // a value and visible (0 or above) or not
  Probability    // the greatest probability of the evening, four bands
};

// One cell. Kind: a value, or no value because the Sun does not set (rise)
// that day, or because the Moon sets before the Sun (rises after it), or
// because the evaluation failed (its message is shown once after the map),
// or because the Moon does not rise or is more than half lit. A Moon too
// near the Sun (below the Danjon limit) or down at the criterion's moment
// keeps its value in the lowest zone: not visible.
enum class CellKind : int8_t { Value, NoSunset, MoonFirst, Failed, MoonNeverRises, NotCrescent };

struct MapCell {
  double dblLatitude = 0;
  double dblLongitude = 0;
  CellKind kind = CellKind::Failed;
  bool blnHasValue = false;  // false for the kinds without a value and for a Maimonides Moon below 9 degrees
  double dblValue = 0;       // q, V, z or the probability (0 to 1)
  int intZone = -1;          // index into mapZones() for a Value cell
};

struct MapRequest {
  MapGrid grid;
  bool blnEvening = true;
  MapMode mode = MapMode::Criterion;
  unsigned intThreads = 0;  // 0: one per hardware thread
};

struct VisibilityMap {
  MapRequest request;
  int32_t lngDay = 0;        // the civil day of the evening or morning
  int16_t intCriterion = 5;  // the criterion type in force (criterion mode)
  MapScale scale = MapScale::YallopClass;
  std::vector<double> latitudes, longitudes;
  // Row by row from south to north, each row from west to east.
  std::vector<MapCell> cells;
  bool blnComplete = false;  // false when cancelled: cells not reached are Failed
};

// One zone of a map's legend: its class text in the CSV, its colour and
// what it means in the words of the criterion's author.
struct MapZone {
  std::string strCode;
  std::string strMeaning;
  uint32_t lngColour = 0;  // 0xRRGGBB
};

// The value zones of a scale in the session's language (the special kinds
// follow them: see specialZones).
std::vector<MapZone> mapZones(MapScale scale, int16_t intLanguage);
// The zones of the kinds other than Value, in the order of CellKind (the
// zone of kind k is element k - 1), for an evening or a morning.
std::vector<MapZone> specialZones(bool blnEvening, int16_t intLanguage);
// The zone of a cell: the value zone, or the special one after them.
const MapZone& cellZone(const VisibilityMap& map, const MapCell& cell, const std::vector<MapZone>& zones,
                        const std::vector<MapZone>& special);

// The scale of a criterion type's map.
MapScale scaleOf(MapMode mode, int16_t intCriterion);

// The title of a map: the criterion (or the probability), the evening or
// morning and its date.
std::string mapTitle(Session& session, const VisibilityMap& map);

// Evaluates one cell in a session already at the cell's place: what the
// map holds there.
MapCell evaluateCell(Session& session, int32_t lngDay, bool blnEvening, MapMode mode, const MapCell& where);

// Computes the map for the session's inputs. Progress (0 to 1) is reported
// from the calling thread; *cancel stops the workers. Returns false with
// blnValid semantics when the inputs cannot be evaluated (the message has
// been shown); a cancelled map is returned with blnComplete false.
bool computeVisibilityMap(Session& session, const MapRequest& request, VisibilityMap& map,
                          const std::function<void(double)>& progress = {},
                          const std::atomic<bool>* cancel = nullptr);

// What a map will cost, known before it is computed: its cells, the memory
// they take when every cell is kept (as a picture needs them: the cells and
// the image drawn from them) or when they are handed on band by band (as
// the CSV is written), the CSV's size, and the time on `threads` workers
// (an estimate from the typical cost of a cell on one core).
struct MapCost {
  size_t cells = 0;
  size_t rows = 0, columns = 0;
  double dblKeptBytes = 0;
  double dblBandBytes = 0;
  double dblCsvBytes = 0;
  double dblSeconds = 0;
};
MapCost estimateMapCost(const MapRequest& request, unsigned threads);

// Cells computed in a band before it is handed on (at least one row).
inline constexpr size_t kMapBandCells = 1 << 16;

// Computes the map as computeVisibilityMap does, but hands the cells on band
// by band (whole rows, south to north, about bandCells at a time) instead
// of keeping them: `header` gets everything but the cells, and `rows` each
// band in the map's order as soon as it is done, so that a fine grid needs
// memory for one band only. Stops without the rest when *cancel is set
// (header.blnComplete false).
bool computeVisibilityMapRows(Session& session, const MapRequest& request, VisibilityMap& header,
                              const std::function<void(const VisibilityMap& header, const std::vector<MapCell>& band)>& rows,
                              const std::function<void(double)>& progress = {},
                              const std::atomic<bool>* cancel = nullptr, size_t bandCells = kMapBandCells);

// The map as CSV: the line "lat,lon,value,class", then one line per cell in
// the map's order. A cell without a value has an empty value.
std::string mapCsv(const VisibilityMap& map);
// The same in pieces: the first line, then the lines of some cells of a
// map (its scale and evening or morning name the classes).
std::string mapCsvHeader();
void appendMapCsv(const VisibilityMap& map, const std::vector<MapCell>& cells, std::string& out);

// The map the main window shows for the session's input instant: the
// evening of its civil day while the Moon is young (east of the Sun that day), else
// the morning, as the Moon's criterion report chooses; by the criterion in
// force, or by the photometric probability when the Moon calculation mode
// of the options is photometric; the whole world at dblStep degrees.
// False when the Moon's position cannot be computed (message shown).
bool inputMapRequest(Session& session, double dblStep, MapRequest& request);

// The main window's text for the Moon's "Visibility map" parameter: what
// the map of inputMapRequest shows and that it is drawn in its own window.
std::string VisibilityMapReport(Session& session, bool& blnValid);

// The texts of the map window in the session's language.
struct MapWindowTexts {
  std::string strCaption;    // the window's title
  std::string strSave;       // the button that saves the picture
  std::string strCancel;     // the button that stops the computation
  std::string strClose;      // the button that closes the window
  std::string strSaveTitle;  // the title of the file dialog
  std::string strComputing;  // shown on the map while it is computed
  std::string strCancelled;  // shown when the computation was cancelled
  std::string strFailed;     // shown when the map could not be computed
};
MapWindowTexts mapWindowTexts(int16_t intLanguage);
// "64800 cells in 8.1 s" (or its Hebrew), for the window's status line.
std::string mapDoneText(size_t cells, double seconds, int16_t intLanguage);

}  // namespace nemora
