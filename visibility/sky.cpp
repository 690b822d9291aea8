#include "visibility/sky.h"

#include <cmath>

#include "app/errors.h"
#include "app/helpers/numeric.h"
#include "app/session.h"

namespace nemora {

std::vector<double> clsSky::SPLINE(std::span<const double> x, std::span<const double> y, int n) {
  std::vector<double> y2(n > 0 ? n : 0, 0.0);
  if (n < 3) return y2;  // a straight line or a point: every second derivative is 0
  std::vector<double> u(n, 0.0);
  // Forward sweep of the tridiagonal system; natural ends keep y2 = 0 there.
  for (int i = 1; i < n - 1; ++i) {
    double sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
    double p = sig * y2[i - 1] + 2;
    y2[i] = (sig - 1) / p;
    double slopes = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
    u[i] = (6 * slopes / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
  }
  y2[n - 1] = 0;
  for (int k = n - 2; k >= 0; --k) y2[k] = y2[k] * y2[k + 1] + u[k];
  return y2;
}

double clsSky::SPLINT(std::span<const double> dblX, std::span<const double> y, std::span<const double> y2, int n,
                      double x) {
  int klo = 0;
  int khi = n - 1;
  if (klo < 0 || khi < 0) raise("Bad intKHi and intKLo array in SPLINT.");
  while (khi - klo > 1) {
    int k = (khi + klo) / 2;
    if (dblX[k] > x) khi = k;
    else klo = k;
  }
  double h = dblX[khi] - dblX[klo];
  if (h == 0) raise("Bad dblX array in SPLINT.");
  double a = (dblX[khi] - x) / h;
  double b = (x - dblX[klo]) / h;
  return a * y[klo] + b * y[khi] + ((a * a * a - a) * y2[klo] + (b * b * b - b) * y2[khi]) * h * h / 6;
}

double clsSky::SeaLevelHorizon(const udtWeatherNow& udtNow, bool& blnValid) {
  return guarded(blnValid, "cSky.SeaLevelHorizon", 0.0, [&] {
    // The grazing ray to the sea horizon runs near sea level: its refraction
    // is that of the sea-level pressure (the station pressure brought down
    // with a 7143 m scale height) and temperature (a lapse of 5.688 K/km),
    // and the horizon lies below the true horizontal by the geometric dip.
    // An observer at or below sea level has no dip, and the sea horizon is
    // the flat horizon with its refraction there.
    double H = std::fmax(0.0, session().udtLocation.dblHeight);
    double p = std::exp(H / 7143) * udtNow.dblPressure / 1013.25;
    double t = (0.005688 * H + udtNow.dblTemperature + 273.15) / 273.15;
    double g = ACosD(1 / (1 + H / 6378000));
    double horizon = -0.604 * p / t - g;
    if (!(horizon >= -15 && horizon <= 0)) raise("Invalid SeaLevelHorizon: ", horizon);
    return horizon;
  });
}

}  // namespace nemora
