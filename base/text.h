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

// A number with its units (an angle, a clock time, a numeric date) as one
// left-to-right unit inside right-to-left text: wrapped in LEFT-TO-RIGHT
// ISOLATE (U+2066) and POP DIRECTIONAL ISOLATE (U+2069). Hebrew text is kept
// in reading order; without the isolate the bidirectional algorithm would
// show 18°19'09" in a Hebrew line as "09'18°19 (its separators are neutral).
inline std::string ltrIsolate(std::string_view text) {
  return "\u2066" + std::string(text) + "\u2069";
}

// A line of right-to-left text that opens with a Latin label ("DALT: ",
// "q: ") or a number would be laid out left to right, since a line takes
// its direction from its first strong letter. A RIGHT-TO-LEFT MARK (U+200F)
// in front keeps such a line right to left; lines that open with a Hebrew
// letter are returned as they are.
std::string rightToLeftLine(std::string_view line);

// Every line of a right-to-left text through rightToLeftLine.
std::string rightToLeftLines(std::string_view text);

}  // namespace nemora
