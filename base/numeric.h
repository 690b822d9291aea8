// Numeric helpers of module Main that keep no state and show no message:
// floor modulo, angle reduction, trigonometry in degrees, the normal
// distribution without checks, display rounding and a least-squares line.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace nemora {

// Degrees per radian: the stored decimal every angle conversion uses.
inline constexpr double DEG = 57.2957795130823;

// Floor modulo: result in [0, q) for q > 0. Magnitudes above 1e9 take a
// real-valued path; smaller ones are rounded half to even first.
int32_t Modulo(double p, double q);
// x - floor(x), in [0, 1).
double FracPart(double x);
// FracPart(x / n) * n, in [0, n) for n > 0.
double ModReal(double x, int16_t n);
// Angle reduced to [0, 360).
double Deg360(double x);
// Angle reduced to (-180, 180].
double Deg180(double x);

double SinD(double x);
double CosD(double x);
double TanD(double x);
// Inverse sine and cosine in degrees; arguments beyond +-1 are clamped.
double ASinD(double x);
double ACosD(double x);
// Angle in [0, 360) whose tangent is y / x, in the quadrant of (x, y).
double ATan2D(double y, double x);

double Square(double x);
double Log10(double x);

// Standard normal cumulative probability (rational approximation of erfc).
double NormNoCheck(double x);

// Adds half a display unit (in days) to a day fraction: code -1 half a minute,
// 0 half a second, 1 and 2 half a tenth and a hundredth of a second.
double RoundTime(double t, int code);

// Hebrew numeral of n > 0 (UTF-8); n <= 0 gives the plain decimal number.
std::string HebrewNumeral(int16_t n);

struct LineFitResult {
  double a = 0;     // intercept
  double b = 0;     // slope
  double rms = 0;   // root mean square residual
  double rho2 = 0;  // Sx^2 / n / Sxx
  double cov = 0;   // -Sx / D
};
// Least-squares straight line through the first n points.
LineFitResult LineFit(std::span<const double> x, std::span<const double> y, int n);

// Round half to even, as whole-number conversions of the helpers do.
double roundHalfEven(double x);

}  // namespace nemora
