#include "visibility/optical_aid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "base/numeric.h"
#include "base/text.h"

namespace nemora {
namespace {

std::optional<double> number(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  double x = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), x);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(x)) return std::nullopt;
  return x;
}

std::optional<udtOpticalAid> checked(int16_t kind, std::optional<double> aperture, std::optional<double> magnification) {
  if (!aperture || !magnification) return std::nullopt;
  if (*aperture < kLeastAperture || *aperture > kGreatestAperture) return std::nullopt;
  if (*magnification < kLeastMagnification || *magnification > kGreatestMagnification) return std::nullopt;
  udtOpticalAid a;
  a.intKind = kind;
  a.dblAperture = *aperture;
  a.dblMagnification = *magnification;
  return a;
}

}  // namespace

double EyePupil(double dblLuminance) {
  double mL = std::max(dblLuminance, 1e-9) * 0.1 * M_PI;
  double d = std::pow(10.0, 0.8558 - 0.000401 * std::pow(std::log10(mL) + 8.6, 3));
  return std::clamp(d, 2.0, 8.0);
}

double ExtendedSourceCorrection(double dblWidth, double dblLength, double dblField, double dblMagnification) {
  const double M = std::max(dblMagnification, 1.0);
  const double span = std::sqrt(2 * M_PI) * dblField;  // the field's equivalent width at the eye
  // The area of the source inside the field, at the naked eye and through
  // the aid (in the eye's angles: the source M times larger).
  auto inside = [&](double scale) {
    return std::min(scale * std::max(dblWidth, 0.0), span) * std::min(scale * std::max(dblLength, 0.0), span);
  };
  double naked = inside(1), aided = inside(M);
  if (naked <= 0) return 0;
  // Light inside the field grows as the area inside it, not as M^2.
  return 2.5 * std::log10(M * M * naked / aided);
}

AidFactors ThroughAid(const udtOpticalAid& aid, double dblSky) {
  AidFactors f;
  f.dblPupil = EyePupil(dblSky);
  if (aid.intKind == kAidEye) return f;
  const double D = aid.dblAperture, M = aid.dblMagnification, d = f.dblPupil;
  double pupilLoss = std::max(1.0, Square(D / (M * d)));
  double oneEye = aid.intKind == kAidTelescope ? std::sqrt(2.0) : 1.0;
  f.dblLight = aid.dblTransmission * Square(D / d) / (oneEye * pupilLoss);
  f.dblSky = f.dblLight / Square(M);
  f.dblMagnification = M;
  return f;
}

std::optional<udtOpticalAid> ParseAid(const std::string& strText) {
  std::string_view t(strText);
  auto colon = t.find(':');
  std::string_view kind = t.substr(0, colon), rest = colon == std::string_view::npos ? "" : t.substr(colon + 1);
  if (kind == "eye" && colon == std::string_view::npos) return udtOpticalAid{};
  if (kind == "binoculars") {
    if (colon == std::string_view::npos) return checked(kAidBinoculars, 50.0, 7.0);
    auto x = rest.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    return checked(kAidBinoculars, number(rest.substr(x + 1)), number(rest.substr(0, x)));
  }
  if (kind == "telescope") {
    auto comma = rest.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    return checked(kAidTelescope, number(rest.substr(0, comma)), number(rest.substr(comma + 1)));
  }
  return std::nullopt;
}

std::string AidText(const udtOpticalAid& aid) {
  switch (aid.intKind) {
    case kAidBinoculars:
      return concat("Binoculars ", generalNumber(aid.dblMagnification), "x", generalNumber(aid.dblAperture));
    case kAidTelescope:
      return concat("Telescope ", generalNumber(aid.dblAperture), " mm, ", generalNumber(aid.dblMagnification), "x");
    default:
      return "Naked eye";
  }
}

}  // namespace nemora
