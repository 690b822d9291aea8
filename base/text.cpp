#include "base/text.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace nemora {

std::string generalNumber(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  if (x == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", x);
  std::string s = buf;
  // Split off an exponent, trim trailing zeros of the mantissa.
  std::string exponent;
  if (auto e = s.find('E'); e != std::string::npos) {
    exponent = s.substr(e);
    s.erase(e);
    // "E+05" -> "E+5", "E-07" -> "E-7"
    std::string digits = exponent.substr(2);
    while (digits.size() > 1 && digits.front() == '0') digits.erase(0, 1);
    exponent = exponent.substr(0, 2) + digits;
  }
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s + exponent;
}

}  // namespace nemora
