// Helpers of module Main that show messages or depend on the session's
// settings: interpolation, the normal distribution with checks, the typed
// value reader, angle text, language choice, compass names and the random
// generator of the test commands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/numeric.h"
#include "base/value_reader.h"
#include "base/session_bound.h"

namespace nemora {

class Main : public SessionBound {
 public:
  explicit Main(Session& session) : SessionBound(session) {}

  // Interpolation in a table of count (2, 3 or 5) equally spaced values at
  // abscissae 0, 1, 2, ... With check set, an x outside the ideal range shows
  // "X not in ideal range: " and the value is still returned. Another count
  // ends the program.
  double Interp(std::span<const double> y, double x, int16_t count, bool check);

  // Standard normal cumulative probability; ok false when out of [0, 1].
  double Norm(double x, bool& ok);
  // x with Norm(x) = p by bisection to a bracket of 0.01.
  double NormInv(double p, bool& ok);

  // Next item that is neither empty nor a comment (starts with marker); "" at
  // the end of the file. convert passes it through LocalDecimal.
  std::string ReadItem(ValueReader& file, std::string_view marker, bool convert);
  // The same item unconverted, as a view into the reader's text.
  std::string_view ReadItemView(ValueReader& file, std::string_view marker);
  // Replaces "." by strDecimal except in the last position.
  std::string LocalDecimal(const std::string& s) const;
  // Reads one typed value: type "String", "Long", "Double" or "Boolean". The
  // result is the item text (Boolean: "#TRUE#"/"#FALSE#" give "True"/"False"),
  // or nothing when the item is not of the type or out of bounds.
  std::optional<std::string> GetValue(ValueReader& file, std::string_view marker,
                                      std::string_view type, double min, double max,
                                      bool minAllowed, bool maxAllowed);
  // GetValue of a "Long" or "Double" as its number.
  std::optional<double> GetNumber(ValueReader& file, std::string_view marker, std::string_view type, double min,
                                  double max, bool minAllowed, bool maxAllowed);

  // Angle as degrees, minutes and seconds text; places -2 (whole degrees) to 6.
  std::string strAngle(double angle, bool& ok, int16_t places);

  // english when intLanguage is 0, hebrew when 1, "" otherwise.
  std::string Lang(std::string_view english, std::string_view hebrew) const;
  // A figure with its units (an angle, a clock time, a number): in Hebrew a
  // left-to-right isolate, so that it reads as one unit in the line.
  std::string Figure(std::string_view text) const;
  // Name of the 45-degree compass sector of an azimuth in [0, 360).
  std::string CompassName(double az) const;

  // Uniform number in (0, 1); seed < 0 or restart set (re)starts the
  // generator, which then returns 0 and sets seed to 1.
  double ran1(int32_t& seed, bool& restart);

 private:
  // State of ran1: three linear congruential generators and a shuffle table.
  int32_t ix1_ = 0, ix2_ = 0, ix3_ = 0;
  std::array<double, 97> r_{};
};

// Parses a whole data item as a number ("." decimal point, optional sign,
// optional exponent); nothing when the item is not numeric.
std::optional<double> parseNumber(std::string_view item);

}  // namespace nemora
