// Delta T = TT - UT in seconds, from three tables of determinations (-500 to
// 1600 every 50 years, 1620 to 2010 every 2 years, 2010 to the latest
// published year and a few years of published predictions every year) with a
// long-term formula outside them and a 100-year blend onto each end.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "base/session_bound.h"

namespace nemora {

// The tables as loaded (values already corrected for the Moon's tidal
// acceleration). Read once per process for each file and shared by sessions.
using DeltaTTable = std::vector<double>;

class clsDeltaT : public SessionBound {
 public:
  explicit clsDeltaT(Session& session) : SessionBound(session) {}

  // Entries of the two tables and the years they are for.
  static constexpr int kModernEntries = 196;      // DeltaT.txt: 1620 + 2k
  static constexpr int kHistoricalEntries = 43;   // PastDeltaT.txt: -500 + 50k
  // RecentDeltaT.txt: kRecentFirstYear + k, as many entries as it holds.
  static constexpr int kRecentFirstYear = 2010;

  // Delta T in seconds at the instant dblFixed (fixed day number with its
  // fraction): in UT when blnFromUTC is true, else in dynamical time (TT),
  // in which case the year is that of the corresponding UT. A magnitude
  // beyond the accepted range shows its message and clears blnValid; a bad
  // or missing table file ends the program.
  double DeltaT(double dblFixed, bool blnFromUTC, bool& blnValid);

  // Seconds added to every value DeltaT returns (0 normally): the analysis
  // of recorded sightings re-runs its records with Delta T moved by its
  // uncertainty. Positions kept for an instant must be forgotten after a
  // change.
  double dblShift = 0;

  // Reads one table file (DeltaT.txt when blnModern, else PastDeltaT.txt)
  // without the process-wide cache; a missing or bad entry raises its
  // validation error, a missing file the file-not-found error.
  static DeltaTTable readTableFile(Session& session, const std::filesystem::path& path, bool blnModern);
  // The same for RecentDeltaT.txt (two entries at least, then up to the end
  // of the file).
  static DeltaTTable readRecentTableFile(Session& session, const std::filesystem::path& path);

  // The decimal year of an instant dblFixed less dblDeltaT seconds.
  static double decimalYear(double dblFixed, double dblDeltaT);
  // The long-term formula alone, for a decimal year (seconds).
  static double longTermFormula(double y);

 private:
  double compute(double dblFixed, bool blnFromUTC);
  void loadTables();
  double forYear(double y);

  // Set once loaded: the session's loaded flag.
  std::shared_ptr<const DeltaTTable> modern_;
  std::shared_ptr<const DeltaTTable> historical_;
  std::shared_ptr<const DeltaTTable> recent_;  // read on the first year after 2010
};

}  // namespace nemora
