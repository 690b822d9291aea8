// Magnitudes above the atmosphere of every body, in three parts for the
// probability model: the total light, the part the eye gathers at the
// fixation point (foveal) and the part it gathers off-centre (peripheral).
//
// What Magnitude returns for each body:
// - Sun: total m from its distance, dimmed by the part of its disc that the
//   Moon covers; foveal m + 0.29 and peripheral m + 0.04 (a full disc of half
//   a degree does not fall wholly within either field).
// - Moon: the three columns of MoonMag.txt (phase curve at mean distance),
//   interpolated at the phase angle, each plus the same distance term.
// - Mercury, Venus, Mars, Jupiter, Saturn: the total m from the planet's
//   phase law (Saturn with its rings); foveal = m (a point source: all its
//   light falls within the foveal field) and peripheral 100000 (no light
//   off-centre), which is how the probability model treats point sources.
// - A catalogued star: total = foveal = its catalogued V, peripheral 100000.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "base/value_reader.h"
#include "base/session.h"
#include "ephemeris/hbody.h"
#include "ephemeris/hbody_data.h"

namespace nemora {
namespace {

constexpr const char* kMagnitude = "cHBody.Magnitude";
constexpr double kKmPerAu = 149597870;
// Light time per km, days.
constexpr double kLightDaysPerKm = 3.86068915885e-11;
// Mean distance of the Moon (km) at which MoonMag.txt is tabulated.
constexpr double kMoonMeanDistance = 384400;
// Peripheral magnitude of a point source: no light off-centre.
constexpr double kNoPeripheralLight = 100000;
// Rows of MoonMag.txt: phase angles 0 to 180 degrees.
constexpr int kMoonMagRows = 181;

// The Moon's total, foveal and peripheral magnitudes at mean distance, one
// row per degree of phase angle.
struct MoonMagTable {
  std::array<std::vector<double>, 3> column;
};

struct MoonMagCache {
  std::mutex mutex;
  std::map<std::filesystem::path, std::shared_ptr<const MoonMagTable>> tables;
};
MoonMagCache& moonMagCache() {
  static MoonMagCache cache;
  return cache;
}

// Reads the 181 records and checks that nothing but comments follows them;
// every defect names the file and the line where the reading stopped.
MoonMagTable readMoonMag(Session& session, ValueReader& file, const std::string& fileName) {
  MoonMagTable table;
  for (auto& c : table.column) c.reserve(kMoonMagRows);
  for (int record = 0; record < kMoonMagRows; ++record) {
    // The leading value (the phase angle) is read and discarded; an empty
    // item means the file ended early.
    if (session.main.ReadItem(file, "#", false).empty())
      raise(fileName, " ends after ", record, " records; ", kMoonMagRows, " are needed (",
            fileLine(fileName, file.line()), ")");
    for (int field = 0; field < 3; ++field) {
      auto value = session.main.GetNumber(file, "#", "Double", -100, 100, true, true);
      if (!value)
        raise("Invalid magnitude in Moon magnitude file record ", record, ", ", field, " (",
              fileLine(fileName, file.line()), ")");
      table.column[field].push_back(*value);
    }
  }
  if (!session.main.ReadItem(file, "#", false).empty())
    raise(fileName, " holds more than ", kMoonMagRows, " records (", fileLine(fileName, file.line()), ")");
  return table;
}

// The table of a data folder, read once per process and shared.
std::shared_ptr<const MoonMagTable> loadMoonMag(Session& session) {
  const std::string fileName = "MoonMag.txt";
  // Keyed by the path as given: this runs for every Moon magnitude, so it
  // asks the file system nothing once the table is loaded.
  std::filesystem::path path = session.dataFile(fileName);
  MoonMagCache& cache = moonMagCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto found = cache.tables.find(path);
  if (found != cache.tables.end()) return found->second;
  ValueReader file = ValueReader::open(path);
  // "File not found: MoonMag.txt" and the like.
  if (!file.good()) raise(fileReadFailure(file.systemError(), fileName).description);
  auto table = std::make_shared<const MoonMagTable>(readMoonMag(session, file, fileName));
  cache.tables.emplace(path, table);
  return table;
}

// Fraction of a disc of radius R left uncovered by a disc of radius r whose
// centre lies d from its own (all in the same angular unit; the discs are
// small enough to be flat). The lens of overlap is never taken as negative,
// so rounding at grazing contact cannot give more than the whole disc.
double uncoveredFraction(double R, double r, double d) {
  constexpr double kPi = 3.14159265358979323846;
  if (d >= R + r) return 1;
  double lens;
  if (d <= std::fabs(R - r)) {
    lens = kPi * Square(std::fmin(R, r));
  } else {
    double cr = std::clamp((d * d + r * r - R * R) / (2 * d * r), -1.0, 1.0);
    double cR = std::clamp((d * d + R * R - r * r) / (2 * d * R), -1.0, 1.0);
    double k = (-d + r + R) * (d + r - R) * (d - r + R) * (d + r + R);
    lens = r * r * std::acos(cr) + R * R * std::acos(cR) - 0.5 * std::sqrt(std::fmax(k, 0.0));
  }
  return 1 - std::fmax(lens, 0.0) / (kPi * R * R);
}

}  // namespace

void clsHBody::Magnitude(const std::string& strHBody, const udtHBody& udtBody, double dblFix, double& dblFovealMag,
                         double& dblPeriphMag, double& dblTotalMag, bool& blnValid) {
  guardedVoid(blnValid, kMagnitude, [&] {
    bool ok = true;
    auto body = [&](const std::string& name) {
      udtHBody r;
      TrueHBody(name, dblFix, r, ok);
      if (!ok) abandon();
      return r;
    };

    if (strHBody == "Sun") {
      double m = 5 * Log10(udtBody.DistanceTopo / kKmPerAu) - 26.73;
      // Dimmed by the Moon's disc in front of it (topocentric radii and
      // separation).
      udtHBody moon = body("Moon");
      double dblFracVisible = uncoveredFraction(udtBody.Radius, moon.Radius, moon.ElongationTopo);
      if (dblFracVisible < 1e-8) dblFracVisible = 1e-8;
      if (!(dblFracVisible >= 1e-8 && dblFracVisible <= 1)) raise("dblFracVisible out of range: ", dblFracVisible);
      m -= std::log(dblFracVisible) / 0.9210340371976;  // 2.5 log10
      dblTotalMag = m;
      dblFovealMag = m + 0.29;
      dblPeriphMag = m + 0.04;
      return;
    }

    if (strHBody == "Moon") {
      double psi = ACosD(2 * udtBody.Phase - 1);  // phase angle
      // A record that passed the position checks has a phase; this keeps a
      // broken one from choosing a row.
      if (!(psi >= 0 && psi <= 180)) raise("Invalid udtHBody.Phase: ", udtBody.Phase);
      std::shared_ptr<const MoonMagTable> table;
      bool loaded = true;
      guardedVoid(loaded, kMagnitude, [&] { table = loadMoonMag(session()); }, endsProgram());
      // Rows j, j + 1, j + 2 with j the even whole degree at or below psi
      // (the nearest integer to Int(psi) - 0.5, ties to even), at most 178.
      int j = static_cast<int>(std::nearbyint(std::floor(psi) - 0.5));
      if (j > kMoonMagRows - 3) j = kMoonMagRows - 3;
      std::array<int, 3> rows = j < 0 ? std::array<int, 3>{1, 0, 1} : std::array<int, 3>{j, j + 1, j + 2};
      double x = psi - j;
      auto at = [&](int col) {
        std::array<double, 3> y{};
        for (int k = 0; k < 3; ++k) y[k] = table->column[col][rows[k]];
        return session().main.Interp(std::span<const double>(y), x, 3, false);
      };
      udtHBody sun = body("Sun");
      double d = sun.DistanceTopo, delta = udtBody.DistanceTopo;
      double r = std::sqrt(d * d + delta * delta - 2 * d * delta * CosD(udtBody.ElongationTopo)) / kKmPerAu;
      if (!(r >= 0.9 && r <= 1.1)) raise("Invalid Moon-Sun distnce ", r);
      double distanceTerm = 5 * Log10(delta / kMoonMeanDistance * r);
      dblTotalMag = at(0) + distanceTerm;
      dblFovealMag = at(1) + distanceTerm;
      dblPeriphMag = at(2) + distanceTerm;
      return;
    }

    const bool isPlanet = strHBody == "Mercury" || strHBody == "Venus" || strHBody == "Mars" ||
                          strHBody == "Jupiter" || strHBody == "Saturn";
    if (!isPlanet) {
      std::shared_ptr<const StarCatalogue> catalogue = HBodyLoader(session()).Stars();
      int star = catalogue->StarIndex(strHBody);
      if (star < 0) raise("Invalid strHBody ", strHBody);
      dblTotalMag = dblFovealMag = catalogue->stars[static_cast<size_t>(star)].dblMagnitude;
      dblPeriphMag = kNoPeripheralLight;
      return;
    }

    // Phase angle i from the illuminated fraction; Earth-planet distance
    // delta and Sun-planet distance r (au) in the triangle of the Sun, the
    // observer and the planet whose angle at the observer is the elongation.
    // r comes from the two sides and the angle between them rather than from
    // the sines of the angles: the same side, but without the 0/0 that the
    // sines give when the three bodies are nearly in line (a superior planet
    // at opposition, any planet at conjunction).
    double i = ACosD(2 * udtBody.Phase - 1);
    udtHBody sun = body("Sun");
    double S = sun.DistanceTopo, D = udtBody.DistanceTopo;
    double delta = D / kKmPerAu;
    double r = std::sqrt(std::fmax(S * S + D * D - 2 * S * D * CosD(udtBody.ElongationTopo), 0.0)) / kKmPerAu;
    double L = Log10(r * delta);
    double m = 0;
    if (strHBody == "Mercury") {
      m = 1.16 + 5 * L + 0.02838 * (i - 50) + 0.0001023 * Square(i - 50);
    } else if (strHBody == "Venus") {
      m = -4.0 + 5 * L + 0.01322 * i + 4.247e-7 * i * i * i;
    } else if (strHBody == "Mars") {
      m = -1.3 + 5 * L + 0.01486 * i;
    } else if (strHBody == "Jupiter") {
      m = -8.93 + 5 * L;
    } else {
      // Saturn's rings (Meeus, Astronomical Algorithms, 2nd ed., ch. 45):
      // B the Saturnicentric latitude of the Earth referred to the ring
      // plane, dU the difference of the Saturnicentric longitudes of the Sun
      // and the Earth in that plane (degrees).
      double T = ToJ2000(dblFix, ok);
      if (!ok) abandon();
      double inc = 28.075216 - 0.012998 * T + 0.000004 * T * T;
      double node = 169.50847 + 1.394681 * T + 0.000412 * T * T;
      // Saturn's heliocentric place when the light left it.
      double l = 0, b = 0, R = 0;
      planet.HelioPlanet("Saturn", dblFix - udtBody.DistanceGeo * kLightDaysPerKm, l, b, R, ok);
      if (!ok) abandon();
      double rSat = R / kKmPerAu;
      double lambda = udtBody.EclLong, beta = udtBody.EclDecl;
      double B = ASinD(SinD(inc) * CosD(beta) * SinD(lambda - node) - CosD(inc) * SinD(beta));
      // The Sun as seen from Saturn: corrected for the aberration of
      // Saturn's own motion (N the node of Saturn's orbit).
      double N = 113.6655 + 0.8771 * T;
      double l1 = l - 0.01759 / rSat;
      double b1 = b - 0.000764 * CosD(l - N) / rSat;
      double U1 = ATan2D(SinD(inc) * SinD(b1) + CosD(inc) * CosD(b1) * SinD(l1 - node), CosD(b1) * CosD(l1 - node));
      double U2 = ATan2D(SinD(inc) * SinD(beta) + CosD(inc) * CosD(beta) * SinD(lambda - node),
                         CosD(beta) * CosD(lambda - node));
      double dU = std::fabs(Deg180(U1 - U2));
      m = -8.68 + 5 * L + 0.044 * dU - 2.6 * SinD(std::fabs(B)) + 1.25 * Square(SinD(B));
    }
    dblTotalMag = dblFovealMag = m;
    dblPeriphMag = kNoPeripheralLight;
  });
}

}  // namespace nemora
