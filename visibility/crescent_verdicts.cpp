#include "visibility/crescent_verdicts.h"

#include <array>
#include <cmath>

#include "base/numeric.h"

namespace nemora {
namespace {

// The lowest arc of vision (degrees) at which a crescent of width W (arc
// minutes) is seen, Yallop's fit to Bruin's curves; Odeh's curve is the
// same cubic lowered by 4.672 degrees.
double cubicW(double w) { return -0.1018 * w * w * w + 0.7319 * w * w - 6.3226 * w; }

}  // namespace

double CrescentWidth(double dblDistance, double dblElongation) {
  constexpr double kMoonRadiusKm = 1738;
  return 60 * ASinD(kMoonRadiusKm / dblDistance) * (1 - CosD(dblElongation));
}

double YallopQ(double dblARCV, double dblWidth) { return (dblARCV - (11.8371 + cubicW(dblWidth))) / 10; }

char YallopClass(double q) {
  if (q > 0.216) return 'A';
  if (q > -0.014) return 'B';
  if (q > -0.160) return 'C';
  if (q > -0.232) return 'D';
  if (q > -0.293) return 'E';
  return 'F';
}

double OdehV(double dblARCV, double dblWidth) { return dblARCV - (7.1651 + cubicW(dblWidth)); }

double OdehV(const udtCriterionResult& r) {
  return OdehV(r.dblARCVTopo, CrescentWidth(r.dblMoonDistanceTopo, r.dblARCLTopo));
}

char OdehZone(double v) {
  if (v >= 5.65) return 'A';
  if (v >= 2.0) return 'B';
  if (v >= -0.96) return 'C';
  return 'D';
}

double IlyasLimit(double dblDAZ) {
  static constexpr std::array<double, 13> kLimit{10.25, 10.0, 9.3,  8.0,  6.5,  5.2, 4.6,
                                                 4.3,   4.28, 4.23, 4.18, 4.13, 4.1};
  double daz = std::fabs(dblDAZ);
  if (!(daz < 60)) return 4.1;
  // Three rows from Int(|DAZ|/5 + 0.5) - 1 (at most 10); near 0 the table is
  // mirrored (rows 1, 0, 1), the limit being even in DAZ.
  int start = static_cast<int>(daz / 5 + 0.5) - 1;
  if (start > 10) start = 10;
  double y0 = start < 0 ? kLimit[1] : kLimit[start];
  double y1 = start < 0 ? kLimit[0] : kLimit[start + 1];
  double y2 = start < 0 ? kLimit[1] : kLimit[start + 2];
  double x = daz / 5 - start;
  // Three-point interpolation at abscissae 0, 1, 2.
  return y0 * (x - 1) * (x - 2) / 2 - y1 * x * (x - 2) + y2 * x * (x - 1) / 2;
}

double IlyasQ(double dblARCV, double dblDAZ) { return (dblARCV - IlyasLimit(dblDAZ)) / 4.97; }

std::optional<double> MaimonidesQ(double kr, double orech, double v) {
  if (orech < 9) return std::nullopt;
  if (kr < 13.8575) return (v - 0.5475 * kr - 9.955) / 6.975;
  return (v - 9 - 0.4525 * orech) / 6.975;
}

}  // namespace nemora
