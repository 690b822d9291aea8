#include "base/number_format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace nemora {
namespace {

struct Pattern {
  int minIntegerDigits = 0;  // "0"s before the point
  int minDecimals = 0;       // "0"s after the point
  int maxDecimals = 0;       // all places after the point
};

Pattern parsePattern(std::string_view pattern) {
  Pattern p;
  auto point = pattern.find('.');
  std::string_view integer = pattern.substr(0, point);
  for (char c : integer)
    if (c == '0') ++p.minIntegerDigits;
  if (point != std::string_view::npos) {
    std::string_view fraction = pattern.substr(point + 1);
    p.maxDecimals = static_cast<int>(fraction.size());
    for (char c : fraction)
      if (c == '0') ++p.minDecimals;
  }
  return p;
}

// Digits of |x| rounded half away from zero to a number of decimals, working
// on the 15-significant-digit decimal form of x so that 2.675 rounds up as
// written. Returns the integer and fraction digit strings.
void roundedDigits(double x, int decimals, std::string& integer, std::string& fraction) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
  std::string text = buf;  // d.dddddddddddddde±XX
  auto e = text.find('e');
  int exponent = std::stoi(text.substr(e + 1));
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);  // 15 significant digits
  // Position of the decimal point within digits: after (exponent + 1) digits.
  int pointAt = exponent + 1;
  if (pointAt < 0) {
    digits.insert(0, static_cast<size_t>(-pointAt), '0');
    pointAt = 0;
  }
  if (static_cast<int>(digits.size()) < pointAt + decimals + 1)
    digits.append(static_cast<size_t>(pointAt + decimals + 1 - static_cast<int>(digits.size())), '0');
  // Keep pointAt + decimals digits and round on the next.
  std::string kept = digits.substr(0, static_cast<size_t>(pointAt + decimals));
  bool roundUp = digits[static_cast<size_t>(pointAt + decimals)] >= '5';
  if (roundUp) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++kept[static_cast<size_t>(i)];
    } else {
      kept.insert(0, "1");
      ++pointAt;
    }
  }
  integer = kept.substr(0, static_cast<size_t>(pointAt));
  fraction = kept.substr(static_cast<size_t>(pointAt));
  while (!integer.empty() && integer.front() == '0') integer.erase(0, 1);
}

}  // namespace

std::string formatNumber(double x, std::string_view pattern) {
  if (!std::isfinite(x)) return std::isnan(x) ? "NaN" : (x > 0 ? "Infinity" : "-Infinity");
  Pattern p = parsePattern(pattern);
  std::string integer, fraction;
  roundedDigits(x, p.maxDecimals, integer, fraction);
  while (static_cast<int>(fraction.size()) > p.minDecimals && !fraction.empty() && fraction.back() == '0')
    fraction.pop_back();
  bool isZero = integer.find_first_not_of('0') == std::string::npos &&
                fraction.find_first_not_of('0') == std::string::npos;
  if (static_cast<int>(integer.size()) < p.minIntegerDigits)
    integer.insert(0, static_cast<size_t>(p.minIntegerDigits) - integer.size(), '0');
  // A number always shows at least one digit: 0 with "####" is "0", not "".
  if (integer.empty() && fraction.empty()) integer = "0";
  std::string out = (x < 0 && !isZero) ? "-" : "";
  out += integer;
  if (!fraction.empty()) out += "." + fraction;
  return out;
}

}  // namespace nemora
