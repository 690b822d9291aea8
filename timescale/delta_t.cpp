#include "timescale/delta_t.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/session.h"
#include "base/shared_load.h"

namespace nemora {

namespace {

constexpr const char* kSource = "clsDeltaT.DeltaT";

// Largest accepted magnitude of an instant, in days: UT argument, dynamical
// time argument, and the UT instant that a dynamical time argument stands for.
constexpr double kMaxFixedUT = 10592250;
constexpr double kMaxFixedTT = 10592280;

constexpr double kSecondsPerDay = 86400;
// A dynamical-time call stops when Delta T changes by less than this (seconds).
constexpr double kConvergence = 100;

struct TableSpec {
  const char* fileName;
  int entries;       // 0: as many as the file holds, at least 2
  double firstYear;
  double step;       // years between entries
  double minValue;   // accepted values, seconds, bounds included
  double maxValue;
  bool modern;       // which tidal correction applies
};

constexpr TableSpec kModern{"DeltaT.txt", clsDeltaT::kModernEntries, 1620, 2, -10, 130, true};
constexpr TableSpec kHistorical{"PastDeltaT.txt", clsDeltaT::kHistoricalEntries, -500, 50, 100, 17000, false};
// Yearly values from 2010 on, extended as new years are published.
constexpr TableSpec kRecent{"RecentDeltaT.txt", 0, clsDeltaT::kRecentFirstYear, 1, -10, 130, true};

// Correction of a tabulated value for the Moon's tidal acceleration, with T
// the entry's year in centuries. The modern values after 1955.5 rest on atomic
// time and need none.
double tidalCorrection(const TableSpec& layout, double year) {
  double t = year / 100;
  double d2 = (t - 19.555) * (t - 19.555);
  if (layout.modern) return t < 19.555 ? -0.12932224 * d2 : 0.0;
  return 0.109650688 * d2;
}

// The year a comment such as "# 1620" gives, when the whole comment is one
// whole number (other comments carry no year).
std::optional<long> commentYear(std::string_view comment) {
  std::string_view rest = comment.substr(1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.empty() || rest.size() > 8) return std::nullopt;
  auto value = parseNumber(rest);
  if (!value || *value != std::floor(*value) || rest.find_first_of(".eE") != std::string_view::npos)
    return std::nullopt;
  return static_cast<long>(*value);
}

// Reads one table file through the session's value reader. Raises the
// session's messages on a missing or bad entry, on a year comment that does
// not belong to its entry (a line lost or doubled shifts every later value)
// and on anything but comments after the last entry; a file that cannot be
// read raises its run-time error, its name in the description.
DeltaTTable readTable(Session& session, const TableSpec& layout, const std::filesystem::path& path) {
  ValueReader file = ValueReader::open(path);
  if (!file.good()) {
    FileReadFailure failure = fileReadFailure(file.systemError(), layout.fileName);
    throw AppError(failure.code, std::string(), failure.description);
  }
  // The entry read last and its line: a year comment on that line is its year.
  int entry = -1;
  int entryLine = 0;
  file.onComment = [&](const std::string& comment, int line) {
    if (entry < 0 || line != entryLine) return;
    std::optional<long> year = commentYear(comment);
    const double expected = layout.firstYear + layout.step * entry;
    if (year && *year != expected)
      raise("Wrong year in file ", layout.fileName, ", entry ", entry, ": ", *year, " (", fileLine(layout.fileName, line),
            ", the entry is for ", expected, ")");
  };
  DeltaTTable values;
  const bool openEnded = layout.entries == 0;
  for (int k = 0; openEnded || k < layout.entries; ++k) {
    std::optional<double> value;
    if (openEnded) {
      // The end of the file ends the table (after two entries at least).
      std::string item = session.main.ReadItem(file, "#", false);
      if (item.empty() && k >= 2) break;
      value = parseNumber(item);
      if (value && !(*value >= layout.minValue && *value <= layout.maxValue)) value.reset();
    } else {
      value = session.main.GetNumber(file, "#", "Double", layout.minValue, layout.maxValue, true, true);
    }
    if (!value) raise("Data missing in file ", layout.fileName, ", entry ", k, " (line ", file.line(), ")");
    entry = k;
    entryLine = file.line();
    values.push_back(*value + tidalCorrection(layout, layout.firstYear + layout.step * k));
  }
  std::string rest = openEnded ? std::string() : session.main.ReadItem(file, "#", false);
  if (!rest.empty())
    raise("Data left over in file ", layout.fileName, " after entry ", layout.entries - 1, ": ", shownItem(rest),
          " (line ", file.line(), ")");
  return values;
}

// The table of the layout's file, read once per process.
std::shared_ptr<const DeltaTTable> sharedTable(Session& session, const TableSpec& layout) {
  std::filesystem::path path = session.dataFile(layout.fileName);
  return sharedLoad<DeltaTTable>(path, [&] { return readTable(session, layout, path); });
}

[[noreturn]] void raiseMagnitude(double value) {
  throw AppError(errApplication2, std::string(), concat("Magnitude of dblFixed too large: ", value));
}

}  // namespace

DeltaTTable clsDeltaT::readTableFile(Session& session, const std::filesystem::path& path, bool blnModern) {
  return readTable(session, blnModern ? kModern : kHistorical, path);
}

DeltaTTable clsDeltaT::readRecentTableFile(Session& session, const std::filesystem::path& path) {
  return readTable(session, kRecent, path);
}

double clsDeltaT::DeltaT(double dblFixed, bool blnFromUTC, bool& blnValid) {
  try {
    return guarded(blnValid, kSource, 0.0, [&] { return compute(dblFixed, blnFromUTC) + dblShift; }, endsProgram());
  } catch (AppError& e) {
    blnValid = false;
    if (e.code == errFileNotFound) {
      session().endProgram(concat("Error in ", kSource, " ", e.description, kLineBreak,
                                  "File containing deltat data missing."));
    }
    // A file that exists but cannot be read is no missing file.
    if (e.code == errPermissionDenied || e.code == errPathFileAccess) {
      session().endProgram(concat("Error in ", kSource, " ", e.description, kLineBreak,
                                  "File containing deltat data cannot be read."));
    }
    if (e.code != errApplication2) throw;
    // The magnitude error is told to the user and the program goes on.
    if (e.source.empty()) e.source = kSource;
    session().showMessage(errorText(e));
    return 0.0;
  }
}

double clsDeltaT::compute(double dblFixed, bool blnFromUTC) {
  // Written so that a NaN argument fails the test too.
  if (!(std::fabs(dblFixed) <= (blnFromUTC ? kMaxFixedUT : kMaxFixedTT))) raiseMagnitude(dblFixed);
  loadTables();

  // In dynamical time the year is that of the UT instant, which depends on
  // Delta T itself: iterate from Delta T = 0 until it settles.
  double deltaT = 0;
  for (;;) {
    double next = forYear(decimalYear(dblFixed, deltaT));
    bool settled = blnFromUTC || std::fabs(next - deltaT) < kConvergence;
    deltaT = next;
    if (settled) break;
  }
  if (!blnFromUTC && std::fabs(dblFixed - deltaT / kSecondsPerDay) > kMaxFixedUT) raiseMagnitude(dblFixed);
  return deltaT;
}

void clsDeltaT::loadTables() {
  // The modern file first, then the historical one.
  if (!modern_) modern_ = sharedTable(session(), kModern);
  if (!historical_) historical_ = sharedTable(session(), kHistorical);
}

double clsDeltaT::decimalYear(double dblFixed, double dblDeltaT) {
  return (dblFixed + 14.25 - dblDeltaT / kSecondsPerDay + 365.25) / 365.25;
}

double clsDeltaT::longTermFormula(double y) {
  double u = y / 100 - 18.6108;
  return 31.3097 * u * u - 326.8 + 370 * std::sin(0.40251 * (u - 11.48)) - 39.7 * std::sin(0.71644 * (u - 13.98));
}

double clsDeltaT::forYear(double y) {
  const DeltaTTable& h = *historical_;
  const DeltaTTable& m = *modern_;
  Main& main = session().main;
  auto linear = [&](double y0, double y1, double x) {
    const std::array<double, 2> points{y0, y1};
    return main.Interp(points, x, 2, true);
  };
  // Three points from index i of a table, x counted in steps from entry i.
  auto threePoint = [&](const DeltaTTable& table, int i, double x) {
    return main.Interp(std::span<const double>(table).subspan(i, 3), x, 3, true);
  };

  if (y > kRecentFirstYear) {
    // The yearly table, read only when a year after the modern table's is
    // asked for; after its last year the long-term formula, blended over 100
    // years so that it starts from the last value.
    if (!recent_) recent_ = sharedTable(session(), kRecent);
    const DeltaTTable& r = *recent_;
    const double last = kRecentFirstYear + static_cast<double>(r.size() - 1);
    if (y <= last) {
      auto i = std::min(static_cast<size_t>(y - kRecentFirstYear), r.size() - 2);
      return linear(r[i], r[i + 1], y - kRecentFirstYear - static_cast<double>(i));
    }
    double deltaT = longTermFormula(y);
    if (y < last + 100) deltaT -= (deltaT - r.back()) * (last + 100 - y) / 100;
    return deltaT;
  }
  if (y < -500) {
    // Before the tables: the long-term formula, blended over 100 years so
    // that it meets the table value at -500.
    double deltaT = longTermFormula(y);
    if (y > -600) deltaT -= (deltaT - h.front()) * (y + 600) / 100;
    return deltaT;
  }
  if (y < -475) return linear(h[0], h[1], (y + 500) / 50);
  if (y < 1575) {
    int i = static_cast<int>(std::floor(y) + 475) / 50;
    return threePoint(h, i, y / 50 - std::floor((y - 25) / 50));
  }
  if (y < 1600) return linear(h[41], h[42], (y - 1550) / 50);
  if (y < 1620) return linear(h[42], m[0], (y - 1600) / 20);
  if (y < 1621) return linear(m[0], m[1], (y - 1620) / 2);
  if (y < 2009) {
    int i = static_cast<int>(std::floor(y) - 1621) / 2;
    return threePoint(m, i, y / 2 - std::floor((y - 1) / 2));
  }
  return linear(m[194], m[195], (y - 2008) / 2);
}

}  // namespace nemora
