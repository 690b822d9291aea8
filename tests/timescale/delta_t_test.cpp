#include "timescale/delta_t.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

// The UT instant whose decimal year is exactly y: the year is
// (fixed + 14.25 + 365.25) / 365.25.
double fixedForYear(double y) { return 365.25 * y - 379.5; }

double deltaTAt(Session& session, double year, bool& ok) {
  return session.deltaT.DeltaT(fixedForYear(year), true, ok);
}

std::string tableText(const std::vector<double>& values) {
  std::string text = "# synthetic values for a test\n\"# quoted comment, with a comma\"\n";
  for (double v : values) text += concat(v, ", # entry\n");
  return text;
}

// Synthetic tables inside the accepted ranges: 20 + k/4 and 9000 - 200k.
std::vector<double> modernValues() {
  std::vector<double> v;
  for (int k = 0; k < clsDeltaT::kModernEntries; ++k) v.push_back(20 + 0.25 * k);
  return v;
}
std::vector<double> historicalValues() {
  std::vector<double> v;
  for (int k = 0; k < clsDeltaT::kHistoricalEntries; ++k) v.push_back(9000 - 200.0 * k);
  return v;
}

// A session reading its tables from a folder of its own.
struct SessionOn {
  explicit SessionOn(const std::filesystem::path& dir) { s.session.dataDir = dir; }
  RecordedSession s;
};

TEST(DeltaT, EntryYearsReturnTheirCorrectedEntries) {
  RecordedSession s;
  bool ok = false;
  // Entries before 1955.5 carry the correction for the Moon's tidal
  // acceleration, -0.12932224 (T - 19.555)^2 (T in centuries), worked by hand.
  EXPECT_NEAR(deltaTAt(s.session, 1620, ok), 121 - 1.4556543665, 1e-9);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(deltaTAt(s.session, 1700, ok), 7 - 0.8442188158, 1e-9);
  EXPECT_NEAR(deltaTAt(s.session, 1954, ok), 30.7 - 0.0000290975, 1e-9);
  EXPECT_NEAR(deltaTAt(s.session, 1956, ok), 31.4, 1e-9);  // after 1955.5: none
  EXPECT_NEAR(deltaTAt(s.session, 2000, ok), 63.8285, 1e-9);
  // Historical entries: +0.109650688 (T - 19.555)^2.
  EXPECT_NEAR(deltaTAt(s.session, 1000, ok), 1650 + 10.0108912543, 1e-9);
  EXPECT_NEAR(deltaTAt(s.session, 1600, ok), 109 + 1.3857681362, 1e-9);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(DeltaT, TableEndsAndBlendsOntoTheLongTermFormula) {
  RecordedSession s;
  bool ok = false;
  const double m195 = 66.0699;                // 2010, uncorrected
  const double h0 = 16940 + 66.1136657695;    // -500, corrected
  EXPECT_EQ(clsDeltaT::decimalYear(fixedForYear(2010), 0), 2010);

  EXPECT_DOUBLE_EQ(deltaTAt(s.session, 2010, ok), m195);
  EXPECT_DOUBLE_EQ(deltaTAt(s.session, -500, ok), h0);

  // The yearly table from 2010 to its last year, 2030 (a prediction): its
  // first value is the modern table's last, and 2025 has the observed value
  // of about 69 s (the formula's blend from 2010 gave 63.6 s there).
  const double r2030 = 69.97;
  EXPECT_NEAR(deltaTAt(s.session, 2010 + 1e-7, ok), m195, 1e-4);
  EXPECT_DOUBLE_EQ(deltaTAt(s.session, 2025, ok), 69.1377);
  EXPECT_NEAR(deltaTAt(s.session, 2025.5, ok), (69.1377 + 69.1099) / 2, 1e-9);
  EXPECT_DOUBLE_EQ(deltaTAt(s.session, 2030, ok), r2030);

  // The formula alone (values worked by hand from the formula): 100 years
  // after the yearly table's end on, and -600 back.
  EXPECT_NEAR(clsDeltaT::longTermFormula(2200), 113.614162, 1e-6);
  EXPECT_NEAR(clsDeltaT::longTermFormula(-1000), 25425.376729, 1e-6);
  for (double y : {2130.0, 2200.0, 3000.0, -600.0, -1000.0, -5000.0})
    EXPECT_DOUBLE_EQ(deltaTAt(s.session, y, ok), clsDeltaT::longTermFormula(y)) << y;

  // Halfway through each blend the value lies halfway between the two.
  EXPECT_NEAR(deltaTAt(s.session, 2080, ok), (64.488395 + r2030) / 2, 1e-6);
  EXPECT_NEAR(deltaTAt(s.session, -550, ok), (17544.113405 + h0) / 2, 1e-6);

  // The blends meet the tables without a step.
  EXPECT_NEAR(deltaTAt(s.session, 2030 + 1e-7, ok), r2030, 1e-4);
  EXPECT_NEAR(deltaTAt(s.session, -500 - 1e-7, ok), h0, 1e-3);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(DeltaT, AgreesWithThePublishedValuesItWasBuiltFrom) {
  RecordedSession s;
  bool ok = false;
  // IERS/USNO monthly determinations of TT - UT1 (deltat.data) on 1 July,
  // between table entries. Tolerance 0.1 s: the nodes before 2000 are
  // Meeus's Table 10.A rounded to 0.1 s, and the seasonal wobble of a few
  // hundredths is not in a two-yearly table.
  struct Monthly { double fixed; double published; };
  for (auto [fixed, published] : {Monthly{724823, 54.6355},    // 1985-07-01
                                  Monthly{728475, 61.2454},    // 1995-07-01
                                  Monthly{731397, 64.5512},    // 2003-07-01
                                  Monthly{732858, 65.3413},    // 2007-07-01
                                  Monthly{733589, 65.9509},    // 2009-07-01
                                  Monthly{738429, 69.1891},    // 2022-10-01
                                  Monthly{738794, 69.1723},    // 2023-10-01
                                  Monthly{739798, 69.1695}})   // 2026-07-01
    EXPECT_NEAR(s.session.deltaT.DeltaT(fixed, true, ok), published, 0.1) << fixed;

  // The spline of Stephenson, Morrison and Hohenkerk (2016, revised 2020,
  // Table S15.2020) between the 50-year entries, plus the load-time tidal
  // correction (worked by hand). Tolerance 1 s in the three-point part (entries
  // rounded to 0.5 s, interpolation error below 0.8 s) and 2.5 s in the
  // linear piece 1575 to 1600 (curvature of the spline there).
  struct Spline { double year; double published; double correction; double tolerance; };
  for (auto [year, published, correction, tolerance] :
       {Spline{-225, 13091.3298, 52.1343, 1.0}, Spline{333, 7165.9275, 28.8656, 1.0},
        Spline{1025, 1529.8743, 9.4939, 1.0}, Spline{1275, 734.8992, 5.0777, 1.0},
        Spline{1590, 125.2704, 1.4648, 2.5}})
    EXPECT_NEAR(deltaTAt(s.session, year, ok), published + correction, tolerance) << year;
  EXPECT_TRUE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(DeltaT, EachEntryFeedsItsOwnYear) {
  // Two table sets that differ only in one entry by 3 s: at that entry's
  // year the results differ by exactly 3 s, at the neighbouring entries not
  // at all. This pins the position-to-year mapping of both files.
  struct Case { bool modern; int k; double year; double neighbour; };
  for (auto [modern, k, year, neighbour] :
       {Case{true, 0, 1620, 1622}, Case{true, 1, 1622, 1624}, Case{true, 97, 1814, 1812},
        Case{true, 194, 2008, 2006}, Case{true, 195, 2010, 2008}, Case{false, 0, -500, -450},
        Case{false, 1, -450, -400}, Case{false, 21, 550, 600}, Case{false, 41, 1550, 1500},
        Case{false, 42, 1600, 1550}}) {
    TempDir a, b;
    auto m = modernValues();
    auto h = historicalValues();
    for (const TempDir* dir : {&a, &b}) {
      dir->write("DeltaT.txt", tableText(m));
      dir->write("PastDeltaT.txt", tableText(h));
      (modern ? m[k] : h[k]) += 3;
    }
    SessionOn sa(a.path()), sb(b.path());
    bool ok = false;
    EXPECT_NEAR(deltaTAt(sb.s.session, year, ok) - deltaTAt(sa.s.session, year, ok), 3, 1e-9) << year;
    EXPECT_NEAR(deltaTAt(sb.s.session, neighbour, ok) - deltaTAt(sa.s.session, neighbour, ok), 0, 1e-9)
        << neighbour;
    EXPECT_TRUE(sa.s.sink.messages.empty());
  }
}

TEST(DeltaT, DynamicalTimeArgumentUsesTheYearOfItsUT) {
  RecordedSession s;
  bool ok = false;
  // Far in the past Delta T is about 17 days, so the two arguments differ.
  double tt = fixedForYear(-20000);
  double fromTT = s.session.deltaT.DeltaT(tt, false, ok);
  EXPECT_TRUE(ok);
  double fromUT = s.session.deltaT.DeltaT(tt - fromTT / 86400, true, ok);
  EXPECT_NEAR(fromTT, fromUT, 0.01);
  EXPECT_GT(std::fabs(fromTT - s.session.deltaT.DeltaT(tt, true, ok)), 1);

  for (double year : {-300.0, 1000.0, 1987.3, 2500.0}) {
    double t = fixedForYear(year);
    double dt = s.session.deltaT.DeltaT(t, false, ok);
    EXPECT_TRUE(ok);
    EXPECT_NEAR(dt, s.session.deltaT.DeltaT(t - dt / 86400, true, ok), 0.01) << year;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(DeltaT, MagnitudeErrorsClearTheFlagAndTheProgramGoesOn) {
  RecordedSession s;
  clsDeltaT& d = s.session.deltaT;
  bool ok = true;
  d.DeltaT(10592250, true, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(d.DeltaT(10592250.5, true, ok), 0);
  EXPECT_FALSE(ok);
  // A dynamical-time argument may reach 10592280, but its UT instant
  // (about 26.7 days earlier there) may not pass 10592250.
  d.DeltaT(10592276, false, ok);
  EXPECT_TRUE(ok);
  d.DeltaT(10592279, false, ok);
  EXPECT_FALSE(ok);
  d.DeltaT(-10592240, false, ok);
  EXPECT_FALSE(ok);
  d.DeltaT(10592281, false, ok);
  EXPECT_FALSE(ok);
  d.DeltaT(std::nan(""), true, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, (std::vector<std::string>{
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: 10592250.5",
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: 10592279",
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: -10592240",
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: 10592281",
                                 "Error in clsDeltaT.DeltaT, Magnitude of dblFixed too large: NaN"}));
  d.DeltaT(fixedForYear(2000), true, ok);
  EXPECT_TRUE(ok);
}

TEST(DeltaT, EveryKindOfDamageEndsTheProgramWithItsMessage) {
  // Tables laid out as shipped: one value per line with its year as a
  // comment, after one comment line, so that entry k stands on line k + 2.
  auto lines = [](bool modern, bool years = true) {
    std::vector<std::string> out;
    auto v = modern ? modernValues() : historicalValues();
    for (size_t k = 0; k < v.size(); ++k) {
      double year = modern ? 1620.0 + 2.0 * k : -500.0 + 50.0 * k;
      out.push_back(years ? concat(v[k], ", # ", year) : concat(v[k]));
    }
    return out;
  };
  auto text = [](const std::vector<std::string>& l) {
    std::string t = "# test\n";
    for (const auto& x : l) t += x + "\n";
    return t;
  };
  auto changed = [&](bool modern, int k, const std::string& item) {
    auto l = lines(modern);
    l[k] = item;
    return text(l);
  };
  auto doubled = [&](bool modern, int k, bool years) {
    auto l = lines(modern, years);
    l.insert(l.begin() + k, l[k]);
    return text(l);
  };
  auto cut = [&](bool modern) {
    auto l = lines(modern);
    l.pop_back();
    return text(l);
  };
  const std::string okM = text(lines(true)), okH = text(lines(false));
  const std::string e = "Error in clsDeltaT.DeltaT, ";
  struct Case {
    const char* what;
    std::string modern, historical, message;
  };
  const Case cases[] = {
      {"empty file", "", okH, e + "Data missing in file DeltaT.txt, entry 0 (line 1)"},
      {"cut short", cut(true), okH, e + "Data missing in file DeltaT.txt, entry 195 (line 196)"},
      {"above the range", changed(true, 3, "130.5"), okH, e + "Data missing in file DeltaT.txt, entry 3 (line 5)"},
      {"not a number", changed(true, 0, "abc"), okH, e + "Data missing in file DeltaT.txt, entry 0 (line 2)"},
      {"below the range", changed(true, 7, "-10.01"), okH, e + "Data missing in file DeltaT.txt, entry 7 (line 9)"},
      {"line doubled", doubled(true, 50, true), okH,
       e + "Wrong year in file DeltaT.txt, entry 51: 1720 (DeltaT.txt, line 53, the entry is for 1722)"},
      {"line doubled, no years", doubled(true, 50, false), okH,
       e + "Data left over in file DeltaT.txt after entry 195: 68.75 (line 198)"},
      {"historical below the range", okM, changed(false, 42, "99.9"),
       e + "Data missing in file PastDeltaT.txt, entry 42 (line 44)"},
      {"historical above the range", okM, changed(false, 0, "17000.5"),
       e + "Data missing in file PastDeltaT.txt, entry 0 (line 2)"},
      {"historical cut short", okM, cut(false), e + "Data missing in file PastDeltaT.txt, entry 42 (line 43)"},
      {"historical line lost", okM, changed(false, 20, "# gone"),
       e + "Wrong year in file PastDeltaT.txt, entry 20: 550 (PastDeltaT.txt, line 23, the entry is for 500)"},
      {"historical left over", okM, okH + "5\n", e + "Data left over in file PastDeltaT.txt after entry 42: 5 (line 45)"},
      // The modern file is read first.
      {"both bad", changed(true, 5, "x"), changed(false, 5, "x"), e + "Data missing in file DeltaT.txt, entry 5 (line 7)"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.write("DeltaT.txt", c.modern);
    dir.write("PastDeltaT.txt", c.historical);
    SessionOn on(dir.path());
    bool ok = true;
    EXPECT_THROW(deltaTAt(on.s.session, 1900, ok), ProgramEnd) << c.what;
    EXPECT_EQ(on.s.sink.messages, std::vector<std::string>{c.message}) << c.what;
  }

  // A byte-order mark is no damage; bounds are inclusive.
  TempDir dir;
  auto m = modernValues();
  auto h = historicalValues();
  m[0] = -10, m[1] = 130, h[0] = 17000, h[42] = 100;
  dir.write("DeltaT.txt", "\xEF\xBB\xBF" + tableText(m));
  dir.write("PastDeltaT.txt", tableText(h));
  SessionOn on(dir.path());
  bool ok = false;
  EXPECT_NEAR(deltaTAt(on.s.session, 2000, ok), 20 + 0.25 * 190, 1e-9);
  EXPECT_TRUE(ok);
}

TEST(DeltaT, TheYearlyTableRunsToTheEndOfItsFile) {
  // Read only for a year after 2010; two entries at least; a bad or
  // out-of-range value or a year comment that does not match ends the program.
  struct Case {
    std::string text;
    std::string message;  // empty: accepted
  };
  const std::string e = "Error in clsDeltaT.DeltaT, ";
  const Case cases[] = {
      {"# test\n60, # 2010\n61, # 2011\n62, # 2012\n", ""},
      {"60\n61\n", ""},
      {"# test\n60, # 2010\n", e + "Data missing in file RecentDeltaT.txt, entry 1 (line 2)"},
      {"60\n61\nabc\n", e + "Data missing in file RecentDeltaT.txt, entry 2 (line 3)"},
      {"60\n131\n", e + "Data missing in file RecentDeltaT.txt, entry 1 (line 2)"},
      {"60, # 2010\n61, # 2012\n",
       e + "Wrong year in file RecentDeltaT.txt, entry 1: 2012 (RecentDeltaT.txt, line 2, the entry is for 2011)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("DeltaT.txt", tableText(modernValues()));
    dir.write("PastDeltaT.txt", tableText(historicalValues()));
    dir.write("RecentDeltaT.txt", c.text);
    SessionOn on(dir.path());
    bool ok = false;
    EXPECT_NEAR(deltaTAt(on.s.session, 2000, ok), 20 + 0.25 * 190, 1e-9);
    if (c.message.empty()) {
      EXPECT_NEAR(deltaTAt(on.s.session, 2010.5, ok), 60.5, 1e-9) << c.text;
      EXPECT_TRUE(on.s.sink.messages.empty()) << c.text;
    } else {
      EXPECT_THROW(deltaTAt(on.s.session, 2010.5, ok), ProgramEnd) << c.text;
      EXPECT_EQ(on.s.sink.messages, std::vector<std::string>{c.message}) << c.text;
    }
  }
}

TEST(DeltaT, AMissingOrUnreadableFileEndsTheProgram) {
  for (const char* present : {"DeltaT.txt", "PastDeltaT.txt"}) {
    TempDir dir;
    dir.write(present, tableText(std::string(present) == "DeltaT.txt" ? modernValues() : historicalValues()));
    SessionOn on(dir.path());
    bool ok = true;
    EXPECT_THROW(deltaTAt(on.s.session, 1900, ok), ProgramEnd);
    const std::string missing = std::string(present) == "DeltaT.txt" ? "PastDeltaT.txt" : "DeltaT.txt";
    EXPECT_EQ(on.s.sink.messages, std::vector<std::string>{"Error in clsDeltaT.DeltaT File not found: " + missing +
                                                           "\nFile containing deltat data missing."});
  }
  // A folder in the file's place cannot be read by any user, root too.
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "DeltaT.txt");
  SessionOn on(dir.path());
  bool ok = true;
  EXPECT_THROW(deltaTAt(on.s.session, 1900, ok), ProgramEnd);
  EXPECT_EQ(on.s.sink.messages,
            std::vector<std::string>{"Error in clsDeltaT.DeltaT Path/File access error (Is a directory): DeltaT.txt\n"
                                     "File containing deltat data cannot be read."});
}

TEST(DeltaT, TablesAreReadOncePerProcessAndAFailedReadIsNotKept) {
  TempDir dir;
  dir.write("DeltaT.txt", tableText(modernValues()));
  auto h = historicalValues();
  h[10] = 5;  // out of range
  dir.write("PastDeltaT.txt", tableText(h));
  {
    SessionOn on(dir.path());
    bool ok = true;
    EXPECT_THROW(deltaTAt(on.s.session, 1900, ok), ProgramEnd);
  }
  h = historicalValues();
  dir.write("PastDeltaT.txt", tableText(h));
  double first = 0;
  {
    SessionOn on(dir.path());
    bool ok = false;
    first = deltaTAt(on.s.session, 0, ok);
    EXPECT_TRUE(ok);
  }
  // Once read, the files are not read again: a later session on the same
  // folder gets the same tables even when the files have changed.
  for (double& v : h) v += 50;
  dir.write("PastDeltaT.txt", tableText(h));
  SessionOn later(dir.path());
  bool ok = false;
  EXPECT_EQ(deltaTAt(later.s.session, 0, ok), first);
  EXPECT_TRUE(ok);
}

TEST(DeltaT, SessionsOnSeveralThreadsShareOneLoad) {
  TempDir dir;
  dir.write("DeltaT.txt", tableText(modernValues()));
  dir.write("PastDeltaT.txt", tableText(historicalValues()));
  std::vector<double> results(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      SessionOn on(dir.path());
      bool ok = false;
      results[i] = deltaTAt(on.s.session, 1234.5, ok);
      if (!ok) results[i] = -1;
    });
  }
  for (auto& t : threads) t.join();
  for (double r : results) EXPECT_EQ(r, results[0]);
  EXPECT_GT(results[0], 100);
}

}  // namespace
}  // namespace nemora
