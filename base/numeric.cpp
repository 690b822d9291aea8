#include "base/numeric.h"

#include <cmath>
#include <string>
#include <vector>

namespace nemora {

double roundHalfEven(double x) { return std::nearbyint(x); }  // default rounding mode: to nearest even

int32_t Modulo(double p, double q) {
  if (std::fabs(p) > 1000000000.0) {
    double ratio = p / q;
    return static_cast<int32_t>(roundHalfEven(q * (ratio - std::floor(ratio))));
  }
  double pr = roundHalfEven(p);
  double qr = roundHalfEven(q);
  double r = std::fmod(pr, qr);  // sign of p
  if (r < 0) r += qr;
  return static_cast<int32_t>(r);
}

double FracPart(double x) { return x - std::floor(x); }

double ModReal(double x, int16_t n) { return FracPart(x / n) * n; }

double Deg360(double x) { return x - std::floor(x / 360.0) * 360.0; }

double Deg180(double x) {
  double d = Deg360(x);
  return d > 180.0 ? d - 360.0 : d;
}

double SinD(double x) { return std::sin(Deg360(x) / DEG); }
double CosD(double x) { return std::cos(Deg360(x) / DEG); }
double TanD(double x) { return std::tan(Deg360(x) / DEG); }

double ASinD(double x) {
  if (x >= 1) return 90.0;
  if (x <= -1) return -90.0;
  return std::atan(x / std::sqrt(1 - x * x)) * DEG;
}

double ACosD(double x) {
  if (x >= 1) return 0.0;
  if (x <= -1) return 180.0;
  return std::atan(-x / std::sqrt(1 - x * x)) * DEG + 90.0;
}

double ATan2D(double y, double x) {
  if (x == 0) return y >= 0 ? 90.0 : 270.0;
  double t = std::atan(y / x) * DEG;
  if (x < 0) return t + 180.0;
  if (y < 0) return t + 360.0;
  return t;
}

double Square(double x) { return x * x; }

double Log10(double x) { return std::log(x) / 2.302585092994; }

double NormNoCheck(double x) {
  double z = std::fabs(x) / 1.4142135623731;
  double t = 1 / (1 + 0.5 * z);
  double e = -z * z - 1.26551223 +
             t * (1.00002368 +
                  t * (0.37409196 +
                       t * (0.09678418 +
                            t * (-0.18628806 +
                                 t * (0.27886807 +
                                      t * (-1.13520398 +
                                           t * (1.48851587 + t * (-0.82215223 + t * 0.17087277))))))));
  double c = e >= -80 ? t * std::exp(e) : 0.0;
  return x >= 0 ? 1 - c / 2 : c / 2;
}

double RoundTime(double t, int code) {
  switch (code) {
    case -1: return t + 0.000347222222222222;
    case 0: return t + 5.78703703703703e-06;
    case 1: return t + 5.78703703703703e-07;
    case 2: return t + 5.78703703703703e-08;
    default: return t;
  }
}

std::string HebrewNumeral(int16_t n) {
  if (n <= 0) return std::to_string(n);
  static const char* const kHundreds[] = {"", "ק", "ר", "ש", "ת", "תק", "תר", "תש", "תת", "תתק"};
  static const char* const kTens[] = {"", "י", "כ", "ל", "מ", "נ", "ס", "ע", "פ", "צ"};
  static const char* const kUnits[] = {"", "א", "ב", "ג", "ד", "ה", "ו", "ז", "ח", "ט"};

  std::string text;
  if (n >= 1000) {
    text = HebrewNumeral(static_cast<int16_t>(n / 1000));
    if (n > 9999 && n % 1000 > 0) text += "'";
    if (n % 1000 == 0) return text + " אלפים";
  }
  int lastTwo = n % 100;
  if (lastTwo == 15 || lastTwo == 16) {
    // Fifteen and sixteen are written 9+6 and 9+7, avoiding forms of the divine name.
    return text + kHundreds[(n / 100) % 10] + "ט\"" + (lastTwo == 15 ? "ו" : "ז");
  }
  // Letters of the hundreds, tens and units, one UTF-8 letter per entry.
  std::vector<std::string> letters;
  auto addLetters = [&letters](const std::string& s) {
    for (size_t i = 0; i < s.size(); i += 2) letters.push_back(s.substr(i, 2));  // Hebrew letters are 2 bytes
  };
  addLetters(kHundreds[(n / 100) % 10]);
  addLetters(kTens[(n / 10) % 10]);
  addLetters(kUnits[n % 10]);

  int g = n % 1000;
  bool severalLetters = !(n % 100 == 0 && g < 500) && !(n % 10 == 0 && g < 100);
  for (size_t i = 0; i < letters.size(); ++i) {
    if (g > 9 && severalLetters && i + 1 == letters.size()) text += '"';
    text += letters[i];
  }
  if (!(g > 9 && severalLetters)) text += "'";
  return text;
}

LineFitResult LineFit(std::span<const double> x, std::span<const double> y, int n) {
  double sx = 0, sxx = 0, sy = 0, sxy = 0;
  for (int i = 0; i < n; ++i) {
    sx += x[i];
    sxx += x[i] * x[i];
    sy += y[i];
    sxy += x[i] * y[i];
  }
  LineFitResult r;
  double d = n * sxx - sx * sx;
  r.a = (sxx * sy - sx * sxy) / d;
  r.b = (n * sxy - sx * sy) / d;
  double sumSquares = 0;
  for (int i = 0; i < n; ++i) sumSquares += Square(y[i] - r.a - r.b * x[i]);
  r.rms = std::sqrt(sumSquares / n);
  r.rho2 = sx * sx / n / sxx;
  r.cov = -sx / d;
  return r;
}

}  // namespace nemora
