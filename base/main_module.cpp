#include "base/main_module.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/number_format.h"
#include "base/session.h"

namespace nemora {

namespace {

// A plain decimal of at most 15 significant digits and 22 decimals, such as
// the data files hold: its digits as a whole number and a power of ten, both
// exact in a double, so that one division rounds it correctly (the same
// double as a full conversion). False for anything else.
bool shortDecimal(std::string_view item, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  size_t i = 0;
  const bool negative = !item.empty() && item[0] == '-';
  if (negative) ++i;
  uint64_t digits = 0;
  int count = 0, decimals = 0;
  bool point = false, any = false;
  for (; i < item.size(); ++i) {
    const char c = item[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (digits != 0 || c != '0') ++count;
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      if (point) ++decimals;
      if (count > 15 || decimals > 22) return false;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  const double magnitude = static_cast<double>(digits) / kPowers[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

std::optional<double> parseNumber(std::string_view item) {
  while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
  while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
  if (!item.empty() && item.front() == '+') item.remove_prefix(1);
  if (item.empty()) return std::nullopt;
  double value = 0;
  if (shortDecimal(item, value)) return value;
  // Only plain decimal numbers: digits, one point, an optional exponent.
  for (char c : item)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
      return std::nullopt;
  auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
  if (ec != std::errc() || end != item.data() + item.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

double Main::Interp(std::span<const double> y, double x, int16_t count, bool check) {
  bool ok = true;
  return guarded(ok, "Main.Interp", 0.0, [&] {
    auto outside = [&](double lo, double hi) {
      if (check && (x < lo || x > hi)) session().showMessage("X not in ideal range: " + generalNumber(x));
    };
    switch (count) {
      case 2:
        outside(0, 1);
        return y[0] + x * (y[1] - y[0]);
      case 3:
        outside(0.5, 1.5);
        return y[0] * (x - 1) * (x - 2) / 2 - y[1] * x * (x - 2) + y[2] * x * (x - 1) / 2;
      case 5: {
        outside(1.5, 2.5);
        double n = x - 2;
        return y[2] + n / 2 * (y[3] - y[1]) + n * n / 2 * (y[3] - 2 * y[2] + y[1]) +
               n * (n * n - 1) / 12 * (y[4] - 2 * y[3] + 2 * y[1] - y[0]) +
               n * n * (n * n - 1) / 24 * (y[4] - 4 * y[3] + 6 * y[2] - 4 * y[1] + y[0]);
      }
      default:
        raise("Incorrect number of points in Interp: ", count);
    }
  }, endsProgram());
}

double Main::Norm(double x, bool& ok) {
  return guarded(ok, "Main.Norm", 0.0, [&] {
    double z = std::fabs(x) / 1.4142135;
    double t = 1 / (1 + 0.5 * z);
    double e = -z * z - 1.26551223 +
               t * (1.00002368 +
                    t * (0.37409196 +
                         t * (0.09678418 +
                              t * (-0.186288608 +
                                   t * (0.27886807 +
                                        t * (-1.13520398 +
                                             t * (1.48851587 + t * (-0.82215223 + t * 0.17087277))))))));
    double c = e >= -70 ? t * std::exp(e) : 0.0;
    double result = x >= 0 ? 1 - c / 2 : c / 2;
    if (result < 0 || result > 1) raise("Norm out of range: ", result);
    return result;
  });
}

double Main::NormInv(double p, bool& ok) {
  bool handled = true;
  double result = guarded(handled, "Main.NormInv", 0.0, [&] {
    if (p < 0 || p > 1) raise("dblX out of range: ", p);
    double lo = -8, hi = 8, mid = 0, midValue = 0.5;
    while (hi - lo > 0.01) {
      if (p > midValue) lo = mid;
      else hi = mid;
      mid = (lo + hi) / 2;
      midValue = Norm(mid, ok);
      if (!ok) break;
    }
    return mid;
  });
  if (!handled) ok = false;
  return result;
}

std::string Main::LocalDecimal(const std::string& s) const {
  const std::string& decimal = session().strDecimal;
  if (decimal == ".") return s;
  std::string out = s;
  for (size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '.') out.replace(i, 1, decimal), i += decimal.size() - 1;
  return out;
}

std::string Main::ReadItem(ValueReader& file, std::string_view marker, bool convert) {
  const std::string_view item = ReadItemView(file, marker);
  if (convert && session().strDecimal != ".") return LocalDecimal(std::string(item));
  return std::string(item);
}

std::string_view Main::ReadItemView(ValueReader& file, std::string_view marker) {
  while (!file.atEnd()) {
    std::string_view item = file.nextItemView();
    if (item.empty()) continue;
    if (!marker.empty() && item.starts_with(marker)) {
      file.noteComment(item);
      continue;
    }
    return item;
  }
  return {};
}

namespace {

// A "Long" or "Double" item's number when it is one of the type within the
// bounds (a "Long" within them inclusive, whatever the flags).
std::optional<double> typedNumber(std::string_view item, bool integral, double min, double max, bool minAllowed,
                                  bool maxAllowed) {
  auto v = parseNumber(item);
  if (!v) return std::nullopt;
  if (integral) {
    if (*v >= min && *v <= max && *v == std::floor(*v)) return v;
    return std::nullopt;
  }
  bool aboveMin = *v > min || (*v == min && minAllowed);
  bool belowMax = *v < max || (*v == max && maxAllowed);
  if (aboveMin && belowMax) return v;
  return std::nullopt;
}

}  // namespace

std::optional<double> Main::GetNumber(ValueReader& file, std::string_view marker, std::string_view type, double min,
                                      double max, bool minAllowed, bool maxAllowed) {
  if (type != "Long" && type != "Double") {
    session().showMessage("Invalid or unsupported type in GetValue");
    return std::nullopt;
  }
  const bool integral = type == "Long";
  if (session().strDecimal != ".")
    return typedNumber(ReadItem(file, marker, true), integral, min, max, minAllowed, maxAllowed);
  return typedNumber(ReadItemView(file, marker), integral, min, max, minAllowed, maxAllowed);
}

std::optional<std::string> Main::GetValue(ValueReader& file, std::string_view marker, std::string_view type,
                                          double min, double max, bool minAllowed, bool maxAllowed) {
  bool numeric = type == "Long" || type == "Double";
  std::string item = ReadItem(file, marker, numeric);
  if (type == "String") return item;
  if (numeric) {
    if (typedNumber(item, type == "Long", min, max, minAllowed, maxAllowed)) return item;
    return std::nullopt;
  }
  if (type == "Boolean") {
    if (item == "#TRUE#") return "True";
    if (item == "#FALSE#") return "False";
    return std::nullopt;
  }
  session().showMessage("Invalid or unsupported type in GetValue");
  return std::nullopt;
}

std::string Main::strAngle(double angle, bool& ok, int16_t places) {
  return guarded(ok, "Main.strAngle", std::string(), [&] {
    if (places < -2 || places > 6) raise("Invalid number of decimal places: ", places);
    double h = places == -2 ? 0.5 : places == -1 ? 1.0 / 120 : (1.0 / 7200) / std::pow(10.0, places);
    double a = angle + (angle > 0 ? h : angle < 0 ? -h : 0.0);
    if (!(std::fabs(a) <= 59652)) raise("Angle out of range: ", angle);
    // Split at full precision and round once (by the half unit added above):
    // a second rounding to tenths of a second would write 45.46" as 46".
    bool negative = angle < -h;
    double magnitude = std::fabs(a);
    double wholeDegrees = std::floor(magnitude);
    double minutesAndFraction = (magnitude - wholeDegrees) * 60;
    double wholeMinutes = std::floor(minutesAndFraction);
    double secondsValue = (minutesAndFraction - wholeMinutes) * 60;

    std::string degrees = generalNumber(wholeDegrees);
    std::string minutes, seconds;
    if (places == -1 || places == 0) minutes = formatNumber(wholeMinutes, "00");
    if (places >= 1) minutes = generalNumber(wholeMinutes);
    if (places == 0) seconds = formatNumber(std::floor(secondsValue), "00");
    if (places >= 1) {
      double scale = std::pow(10.0, places);
      seconds = generalNumber(std::floor(secondsValue * scale) / scale);
    }

    // Both languages keep reading order; in Hebrew the angle is one
    // left-to-right unit inside the right-to-left line.
    if (session().intLanguage != 0 && session().intLanguage != 1) return std::string();
    std::string text;
    if (negative) text += "-";
    text += degrees + "°";
    if (places >= -1) text += minutes + "'";
    if (places >= 0) text += seconds + "\"";
    return Figure(text);
  });
}

std::string Main::Figure(std::string_view text) const {
  return session().intLanguage == 1 ? ltrIsolate(text) : std::string(text);
}

std::string Main::Lang(std::string_view english, std::string_view hebrew) const {
  switch (session().intLanguage) {
    case 0: return std::string(english);
    case 1: return std::string(hebrew);
    default: return {};
  }
}

std::string Main::CompassName(double az) const {
  if (az < 22.5 || az > 337.5) return Lang("Northern", "צפוני");
  if (az < 67.5) return Lang("North-Eastern", "צפון-מזרחי");
  if (az < 112.5) return Lang("Eastern", "מזרחי");
  if (az < 157.5) return Lang("South-Eastern", "דרום-מזרחי");
  if (az < 202.5) return Lang("Southern", "דרומי");
  if (az < 247.5) return Lang("South-Western", "דרום-מערבי");
  if (az < 292.5) return Lang("Western", "מערבי");
  return Lang("North-Western", "צפון-מערבי");
}

double Main::ran1(int32_t& seed, bool& restart) {
  // Three linear congruential generators shuffled through a table of 97.
  constexpr int32_t m1 = 259200, a1 = 7141, c1 = 54773;
  constexpr int32_t m2 = 134456, a2 = 8121, c2 = 28411;
  constexpr int32_t m3 = 243000, a3 = 4561, c3 = 51349;
  auto advance = [](int32_t& ix, int32_t a, int32_t c, int32_t m) {
    ix = static_cast<int32_t>((static_cast<int64_t>(a) * ix + c) % m);
  };
  auto entry = [&] { return (ix1_ + static_cast<double>(ix2_) / m2) / m1; };
  if (seed < 0 || restart) {
    restart = false;
    ix1_ = static_cast<int32_t>(((static_cast<int64_t>(c1) - seed) % m1 + m1) % m1);
    advance(ix1_, a1, c1, m1);
    ix2_ = ix1_ % m2;
    advance(ix1_, a1, c1, m1);
    ix3_ = ix1_ % m3;
    for (double& r : r_) {
      advance(ix1_, a1, c1, m1);
      advance(ix2_, a2, c2, m2);
      r = entry();
    }
    seed = 1;
    return 0;
  }
  advance(ix1_, a1, c1, m1);
  advance(ix2_, a2, c2, m2);
  advance(ix3_, a3, c3, m3);
  int32_t j = static_cast<int32_t>((97LL * ix3_) / m3);
  if (j < 0 || j > 96) {
    session().showMessage("Error in ran1");
    return 0;
  }
  double result = r_[static_cast<size_t>(j)];
  r_[static_cast<size_t>(j)] = entry();
  return result;
}

}  // namespace nemora
