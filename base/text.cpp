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

namespace {

// Whether the text opens with a Hebrew letter (U+05D0 to U+05F4, in UTF-8
// the lead byte 0xD7 and a continuation byte from 0x90).
bool opensWithHebrewLetter(std::string_view text) {
  return text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xD7 &&
         static_cast<unsigned char>(text[1]) >= 0x90 && static_cast<unsigned char>(text[1]) <= 0xB4;
}

constexpr std::string_view kRightToLeftMark = "\u200F";

}  // namespace

std::string rightToLeftLine(std::string_view line) {
  if (line.empty() || opensWithHebrewLetter(line) || line.starts_with(kRightToLeftMark)) return std::string(line);
  return std::string(kRightToLeftMark) + std::string(line);
}

std::string rightToLeftLines(std::string_view text) {
  std::string out;
  size_t from = 0;
  while (true) {
    size_t end = text.find('\n', from);
    out += rightToLeftLine(text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
    if (end == std::string_view::npos) return out;
    out += '\n';
    from = end + 1;
  }
}

}  // namespace nemora
