#include "base/spline.h"

#include "base/errors.h"

namespace nemora {

std::vector<double> SPLINE(std::span<const double> x, std::span<const double> y, int n) {
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

double SPLINT(std::span<const double> dblX, std::span<const double> y, std::span<const double> y2, int n,
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

double SPLINT2(std::span<const double> dblRows, std::span<const double> dblX,
                       const std::vector<std::vector<double>>& z, double dblRow, double x) {
  const int rows = static_cast<int>(dblRows.size());
  const int n = static_cast<int>(dblX.size());
  std::vector<double> across(rows);
  for (int r = 0; r < rows; ++r) {
    std::vector<double> y2 = SPLINE(dblX, z[r], n);
    across[r] = SPLINT(dblX, z[r], y2, n, x);
  }
  std::vector<double> y2 = SPLINE(dblRows, across, rows);
  return SPLINT(dblRows, across, y2, rows, dblRow);
}

}  // namespace nemora
