// Small text helpers: number to text in general number form, and joining
// message pieces.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace nemora {

// A number in general number form: up to 15 significant digits, no trailing
// zeros, whole numbers without a decimal point, "." as the decimal point.
std::string generalNumber(double x);

inline std::string toText(std::string_view s) { return std::string(s); }
inline std::string toText(const char* s) { return std::string(s); }
inline std::string toText(const std::string& s) { return s; }
inline std::string toText(char c) { return std::string(1, c); }
inline std::string toText(bool b) { return b ? "True" : "False"; }
template <std::integral I>
  requires(!std::same_as<I, bool> && !std::same_as<I, char>)
std::string toText(I i) {
  return std::to_string(i);
}
inline std::string toText(double x) { return generalNumber(x); }
inline std::string toText(float x) { return generalNumber(x); }

template <class... Pieces>
std::string concat(const Pieces&... pieces) {
  std::string out;
  (out += ... += toText(pieces));
  return out;
}

// Lines joined by the line break that message boxes and reports use.
inline constexpr std::string_view kLineBreak = "\n";

}  // namespace nemora
