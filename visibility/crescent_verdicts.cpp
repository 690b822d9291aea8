#include "visibility/crescent_verdicts.h"

#include <array>
#include <cmath>

#include "base/numeric.h"

namespace nemora {
namespace {

// The lowest arc of vision (degrees) at which a crescent of width W (arc
// minutes) is seen, Yallop's fit to Bruin's curves; Odeh's curve is the
// same cubic lowered by 4.672 degrees.
double cubicW(double w) { return -0.1018 * w * w * w + 0.7319 * w * w - 6.3226 * w; }

}  // namespace

double CrescentWidth(double dblDistance, double dblElongation) {
  constexpr double kMoonRadiusKm = 1738;
  return 60 * ASinD(kMoonRadiusKm / dblDistance) * (1 - CosD(dblElongation));
}

double YallopQ(double dblARCV, double dblWidth) { return (dblARCV - (11.8371 + cubicW(dblWidth))) / 10; }

char YallopClass(double q) {
  if (q > 0.216) return 'A';
  if (q > -0.014) return 'B';
  if (q > -0.160) return 'C';
  if (q > -0.232) return 'D';
  if (q > -0.293) return 'E';
  return 'F';
}

double OdehV(double dblARCV, double dblWidth) { return dblARCV - (7.1651 + cubicW(dblWidth)); }

double OdehV(const udtCriterionResult& r) {
  return OdehV(r.dblARCVTopo, CrescentWidth(r.dblMoonDistanceTopo, r.dblARCLTopo));
}

char OdehZone(double v) {
  if (v >= 5.65) return 'A';
  if (v >= 2.0) return 'B';
  if (v >= -0.96) return 'C';
  return 'D';
}

double IlyasLimit(double dblDAZ) {
  static constexpr std::array<double, 13> kLimit{10.25, 10.0, 9.3,  8.0,  6.5,  5.2, 4.6,
                                                 4.3,   4.28, 4.23, 4.18, 4.13, 4.1};
  double daz = std::fabs(dblDAZ);
  if (!(daz < 60)) return 4.1;
  // Three rows from Int(|DAZ|/5 + 0.5) - 1 (at most 10); near 0 the table is
  // mirrored (rows 1, 0, 1), the limit being even in DAZ.
  int start = static_cast<int>(daz / 5 + 0.5) - 1;
  if (start > 10) start = 10;
  double y0 = start < 0 ? kLimit[1] : kLimit[start];
  double y1 = start < 0 ? kLimit[0] : kLimit[start + 1];
  double y2 = start < 0 ? kLimit[1] : kLimit[start + 2];
  double x = daz / 5 - start;
  // Three-point interpolation at abscissae 0, 1, 2.
  return y0 * (x - 1) * (x - 2) / 2 - y1 * x * (x - 2) + y2 * x * (x - 1) / 2;
}

double IlyasQ(double dblARCV, double dblDAZ) { return (dblARCV - IlyasLimit(dblDAZ)) / 4.97; }

std::optional<double> MaimonidesQ(double kr, double orech, double v) {
  if (orech < 9) return std::nullopt;
  if (kr < 13.8575) return (v - 0.5475 * kr - 9.955) / 6.975;
  return (v - 9 - 0.4525 * orech) / 6.975;
}

CrescentBar crescentBar(const udtCriterionResult& r) {
  if (r.blnSunNeverRises || r.blnSunNeverSets) return CrescentBar::NoSunEvent;
  if (r.blnMoonNeverRises) return CrescentBar::MoonNeverRises;
  // The lag runs from the Sun's setting to the Moon's (from the Moon's
  // rising to the Sun's in the morning).
  if (!r.blnMoonUpAtSun || !(r.dblLag > 0)) return CrescentBar::MoonFirst;
  if (r.dblARCL > 90) return CrescentBar::NotCrescent;
  if (r.dblARCLTopo < kDanjonLimit) return CrescentBar::BelowDanjon;
  if (!r.blnMoonUp) return CrescentBar::MoonDown;
  return CrescentBar::None;
}

bool barLeavesNoValue(CrescentBar bar) {
  return bar == CrescentBar::NoSunEvent || bar == CrescentBar::MoonNeverRises || bar == CrescentBar::MoonFirst ||
         bar == CrescentBar::NotCrescent;
}

std::string crescentBarText(CrescentBar bar, bool evening, int16_t language) {
  const bool he = language == 1;
  switch (bar) {
    case CrescentBar::None:
      return {};
    case CrescentBar::NoSunEvent:
      if (evening) return he ? "אין שקיעה ביום זה" : "no sunset that day";
      return he ? "אין זריחה ביום זה" : "no sunrise that day";
    case CrescentBar::MoonNeverRises:
      return he ? "הירח אינו זורח ביום זה" : "the Moon does not rise that day";
    case CrescentBar::MoonFirst:
      if (evening) return he ? "הירח שוקע לפני השמש" : "the Moon sets before the Sun";
      return he ? "הירח זורח אחרי השמש" : "the Moon rises after the Sun";
    case CrescentBar::MoonDown:
      if (evening) return he ? "הירח כבר שקע ברגע הבדיקה" : "the Moon has set by the moment of the criterion";
      return he ? "הירח טרם זרח ברגע הבדיקה" : "the Moon has not risen by the moment of the criterion";
    case CrescentBar::NotCrescent:
      return he ? "הירח מואר יותר ממחציתו: אינו סהר" : "the Moon is more than half lit: not a crescent";
    case CrescentBar::BelowDanjon:
      return he ? "הירח קרוב מדי לשמש (מתחת לגבול דנז'ון)" : "the Moon is too near the Sun (below the Danjon limit)";
  }
  return {};
}

std::string crescentBarCode(CrescentBar bar, bool evening) {
  switch (bar) {
    case CrescentBar::None: return {};
    case CrescentBar::NoSunEvent: return evening ? "no-sunset" : "no-sunrise";
    case CrescentBar::MoonNeverRises: return "moon-never-rises";
    case CrescentBar::MoonFirst: return evening ? "moon-sets-first" : "moon-rises-last";
    case CrescentBar::MoonDown: return "moon-down";
    case CrescentBar::NotCrescent: return "not-crescent";
    case CrescentBar::BelowDanjon: return "below-danjon";
  }
  return {};
}

CriterionVerdict judgeCrescent(int16_t type, const udtCriterionResult& r) {
  CriterionVerdict v;
  v.blnValid = true;
  v.dblDarkness = r.dblDarkness;
  v.dblBrightness = r.dblBrightness;
  v.dblZ = r.dblZ;
  v.dblValue = r.dblZ;
  v.bar = crescentBar(r);
  switch (type) {
    case kCritYallop:
      v.dblValue = YallopQ(r.dblDALT, r.dblWidth);
      v.chClass = YallopClass(v.dblValue);
      v.blnEye = v.dblValue > kYallopEye;
      v.blnAid = v.dblValue > kYallopAid;
      break;
    case kCritOdeh:
      v.dblValue = OdehV(r);
      v.chClass = OdehZone(v.dblValue);
      v.blnEye = v.dblValue >= kOdehEye;
      v.blnAid = v.dblValue >= kOdehAid;
      break;
    case kCritMaimonides: {
      std::optional<double> q = MaimonidesQ(r.dblKeshetReiyah, r.dblOrechRishon, r.dblV);
      v.blnHasValue = q.has_value();
      v.dblValue = q.value_or(0);
      v.blnEye = v.blnAid = q && *q >= 0;
      break;
    }
    case kCritIlyas:
      v.dblValue = IlyasQ(r.dblDALT, r.dblDAZ);
      v.blnEye = v.blnAid = v.dblValue >= 0;
      break;
    default:
      v.blnEye = r.dblZ >= 0;
      v.blnAid = r.dblZ >= kZAid;
      break;
  }
  if (v.bar != CrescentBar::None) {
    v.blnEye = v.blnAid = false;
    if (barLeavesNoValue(v.bar)) {
      v.blnHasValue = false;
      v.chClass = 0;
    } else if (v.chClass) {
      v.chClass = type == kCritYallop ? 'F' : 'D';  // the lowest class or zone: not visible
    }
  }
  return v;
}

}  // namespace nemora
