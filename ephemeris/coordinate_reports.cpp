#include "ephemeris/coordinate_reports.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "base/number_format.h"
#include "base/session.h"
#include "base/text.h"
#include "ephemeris/hbody.h"
#include "ephemeris/rise_set.h"

namespace nemora {

namespace {

// Parsecs per km.
constexpr double kKmPerParsecReport = 30856775670286.6;

}  // namespace

std::string CoordinateReports::angleText(double x, int decimals, const char* units) const {
  // units: "°'\"" for an angle, "hms" for hours; each symbol is one UTF-8
  // piece: degree sign (two bytes) or a letter.
  std::string u = units;
  std::string unitDeg, unitMin, unitSec;
  if (u == "hms") {
    unitDeg = "h";
    unitMin = "m";
    unitSec = "s";
  } else {
    unitDeg = "°";
    unitMin = "'";
    unitSec = "\"";
  }
  const Session& s = session();
  std::string sign = x < 0 ? "-" : "";
  double magnitude = std::fabs(x);
  if (decimals < 0) {
    int64_t minutes = std::llround(magnitude * 60);
    if (minutes == 0) sign.clear();
    return sign + std::to_string(minutes / 60) + unitDeg + std::to_string(minutes % 60) + unitMin;
  }
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  // Rounded once, in units of the last decimal of a second, so that 59.96"
  // never shows as 60".
  int64_t n = std::llround(magnitude * 3600 * static_cast<double>(scale));
  if (n == 0) sign.clear();
  int64_t perMinute = 60 * scale;
  int64_t perDegree = 3600 * scale;
  int64_t degrees = n / perDegree;
  int64_t minutes = (n % perDegree) / perMinute;
  double seconds = static_cast<double>(n % perMinute) / static_cast<double>(scale);
  return sign + std::to_string(degrees) + unitDeg + std::to_string(minutes) + unitMin +
         formatNumber(seconds, s.strFormats[static_cast<size_t>(decimals)]) + unitSec;
}

bool CoordinateReports::isCoordinateParameter(const std::string& p) {
  return p == "Ecliptic coordinates" || p == "Equatorial coordinates" || p == "Horizon coordinates" ||
         p == "Distance & size";
}

std::string CoordinateReports::report(const std::string& strName, const std::string& strParameter,
                                      bool& blnValid) {
  if (strParameter == "Ecliptic coordinates") return EclipticReport(strName, blnValid);
  if (strParameter == "Equatorial coordinates") return EquatorialReport(strName, blnValid);
  if (strParameter == "Horizon coordinates") return HorizonReport(strName, blnValid);
  if (strParameter == "Distance & size") return DistanceReport(strName, blnValid);
  blnValid = false;
  return {};
}

namespace {

const std::string kNL(kLineBreak);

// What every coordinate report starts from: the body at the main window's
// current instant, the precision of its figures, and the body's name in the
// language of the report.
struct ReportContext {
  Session& s;
  const Main& m;
  const std::string& strName;
  std::string name;  // in the report's language
  udtHBody body;
  int precision = 0;
  bool topocentric = false;  // not a star: the report adds the topocentric frame

  // The title of one frame's section: "Moon's geocentric horizon
  // coordinates" and its Hebrew, from the kind of coordinates in both.
  std::string sectionTitle(bool topocentricFrame, const std::string& kind, const std::string& hebrewKind) const {
    const char* frame = topocentricFrame ? "topocentric" : "geocentric";
    return m.Lang(strName + "'s " + frame + " " + kind + " coordinates",
                  "קואורדינטות " + hebrewKind + " " + (topocentricFrame ? "טופוצנטריות" : "גאוצנטריות") + " של " +
                      name) +
           kNL;
  }
  // The finished text: Hebrew lines are kept in reading order.
  std::string finish(const std::string& t) const { return s.intLanguage == 1 ? rightToLeftLines(t) : t; }
};

// The context of a report of strName; nothing when the position failed (its
// message already shown), with blnValid cleared.
std::optional<ReportContext> startReport(Session& s, const std::string& strName, bool& blnValid) {
  ReportContext c{s, s.main, strName, s.main.Lang(strName, hebrewBodyName(strName)), {}, 0, false};
  bool ok = true;
  s.hbody.TrueHBody(strName, s.dblFixDate + s.dblFixTime, c.body, ok);
  blnValid = ok;
  if (!ok) return std::nullopt;
  c.precision = s.options.intPrecision < 0 ? 0 : s.options.intPrecision > 6 ? 6 : s.options.intPrecision;
  c.topocentric = c.body.DistanceGeo < kStarDistance;
  return c;
}

}  // namespace

std::string CoordinateReports::EclipticReport(const std::string& strName, bool& blnValid) {
  std::optional<ReportContext> c = startReport(session(), strName, blnValid);
  if (!c) return {};
  const udtHBody& b = c->body;
  const int p = c->precision;
  const Main& m = c->m;
  bool ok = true;
  auto signedAngle = [&](double x) {
    bool angleOk = true;
    std::string t = c->s.main.strAngle(x, angleOk, static_cast<int16_t>(p));
    if (!angleOk) ok = false;
    return t;
  };
  auto section = [&](bool topocentric, double longitude, double latitude, double elongation) {
    std::string t = c->sectionTitle(topocentric, "ecliptic", "אקליפטיות");
    t += m.Lang("Longitude ", "אורך ") + m.Figure(angleText(longitude, p)) + kNL;
    t += m.Lang("Declination ", "נטייה ") + m.Figure(angleText(latitude, p)) + kNL;
    if (strName != "Sun")
      t += m.Lang(topocentric ? "Topocentric ecliptic elongation " : "Geocentric ecliptic elongation ",
                  topocentric ? "מרחק אקליפטי טופוצנטרי מהשמש " : "מרחק אקליפטי גאוצנטרי מהשמש ") +
           signedAngle(elongation) + kNL;
    return t;
  };
  std::string t = section(false, b.EclLong, b.EclDecl, b.EclElong);
  if (c->topocentric) t += section(true, b.EclLongTopo, b.EclDeclTopo, b.EclElongTopo);
  if (strName == "Moon") {
    const std::string& f = c->s.strFormats[static_cast<size_t>(p + 2)];
    t += m.Lang("Simple geocentric illumination ", "הארה גאוצנטרית פשוטה ") +
         m.Figure(formatNumber((1 - CosD(b.ElongationGeo)) * 50, f) + "%") + " (" + signedAngle(b.ElongationGeo) +
         ")" + kNL;
    t += m.Lang("Topocentric illumination ", "הארה טופוצנטרית ") + m.Figure(formatNumber(b.Phase * 100, f) + "%") +
         " (" + signedAngle(ACosD(1 - 2 * b.Phase)) + ")" + kNL;
  }
  if (!ok) {
    blnValid = false;
    return {};
  }
  return c->finish(t);
}

std::string CoordinateReports::EquatorialReport(const std::string& strName, bool& blnValid) {
  std::optional<ReportContext> c = startReport(session(), strName, blnValid);
  if (!c) return {};
  const udtHBody& b = c->body;
  const int p = c->precision;
  const Main& m = c->m;
  auto section = [&](bool topocentric, double ra, double decl) {
    std::string t = c->sectionTitle(topocentric, "equatorial", "משווניות");
    t += m.Lang("Right ascension ", "עלייה ישרה ") + m.Figure(angleText(ra / 15, p, "hms")) + kNL;
    t += m.Lang("              = ", "= ") + m.Figure(angleText(ra, p)) + kNL;
    t += m.Lang("Declination ", "נטייה ") + m.Figure(angleText(decl, p)) + kNL;
    return t;
  };
  std::string t = section(false, b.RAGeo, b.DeclGeo);
  if (c->topocentric) t += section(true, b.RATopo, b.DeclTopo);
  return c->finish(t);
}

namespace {

// A clock reading of a dial position in hours (12 o'clock at the top):
// whole hours, ":" and two-digit minutes, rounded to the minute.
std::string clockTime(double hours) {
  int64_t minutes = static_cast<int64_t>(std::floor(hours * 60 + 0.5));
  minutes %= 12 * 60;
  if (minutes < 0) minutes += 12 * 60;
  std::string mm = std::to_string(minutes % 60);
  if (mm.size() < 2) mm = "0" + mm;
  return std::to_string(minutes / 60) + ":" + mm;
}

}  // namespace

std::string CoordinateReports::HorizonReport(const std::string& strName, bool& blnValid) {
  std::optional<ReportContext> c = startReport(session(), strName, blnValid);
  if (!c) return {};
  const udtHBody& b = c->body;
  const int p = c->precision;
  const Main& m = c->m;
  auto section = [&](bool topocentric, double azimuth, double altitude) {
    return c->sectionTitle(topocentric, "horizon", "אופק") + m.Lang("Azimuth ", "אזימוט ") +
           m.Figure(angleText(azimuth, p)) + m.Lang(" Altitude ", " גובה ") + m.Figure(angleText(altitude, p)) + kNL;
  };
  std::string t = section(false, b.AzGeo, b.AltGeo);
  if (c->topocentric) t += section(true, b.AzTopo, b.AltTopo);
  if (b.RefrFlag) {
    // Close to the horizon refraction is uncertain: one decimal fewer.
    int decimals = b.AltRefr < 1 ? p - 1 : p;
    t += m.Lang("After correction for refraction", "לאחר תיקון השבירה") + kNL;
    t += m.Lang("Altitude ", "גובה ") + m.Figure(angleText(b.AltRefr, decimals)) + kNL;
  } else {
    t += m.Lang("The " + strName + " is well below the horizon so refraction cannot be calculated.",
                c->name + " נמצא הרבה מתחת לאופק ולכן אי אפשר לחשב את השבירה.") +
         kNL;
  }
  if (strName == "Moon") {
    double angle = 0, subtend = 0, altitude = 0, azimuth = 0;
    bool ok = true;
    c->s.hbody.moon.BrightLimb(b.Fix, false, angle, subtend, altitude, azimuth, ok);
    if (!ok) {
      blnValid = false;
      return {};
    }
    t += m.Lang("The center of the lit portion is at", "מרכז החלק המואר נמצא ב") + kNL;
    t += m.Lang("Azimuth ", "אזימוט ") + m.Figure(angleText(azimuth, p)) + kNL;
    t += m.Lang("Altitude ", "גובה ") + m.Figure(angleText(altitude, p)) + kNL;
    const std::string from = m.Figure(clockTime(6 - (angle + subtend / 2) / 30));
    const std::string to = m.Figure(clockTime(6 - (angle - subtend / 2) / 30));
    t += m.Lang("The Moon would cover " + from + " to " + to + " on the clockface.",
                "הירח יכסה על פני השעון מ-" + from + " עד " + to + ".") +
         kNL;
  }
  return c->finish(t);
}

std::string CoordinateReports::DistanceReport(const std::string& strName, bool& blnValid) {
  std::optional<ReportContext> c = startReport(session(), strName, blnValid);
  if (!c) return {};
  const udtHBody& b = c->body;
  const int p = c->precision;
  const Main& m = c->m;
  const std::string& f = c->s.strFormats[static_cast<size_t>(p)];
  const std::string& fine = c->s.strFormats[static_cast<size_t>(p + 2)];
  const std::string km = m.Lang(" km", " ק\"מ");
  std::string t = m.Lang(strName + "'s distance and size", "המרחק והגודל של " + c->name) + kNL;
  if (b.DistanceGeo > kStarDistance) {
    t += m.Lang("Geocentric distance ", "מרחק גאוצנטרי ") +
         m.Figure(formatNumber(b.DistanceGeo / kKmPerParsecReport, fine)) + m.Lang(" parsec", " פרסק") + kNL;
    t += m.Lang("Solar elongation ", "מרחק זוויתי מהשמש ") + m.Figure(angleText(b.ElongationGeo, p)) + kNL;
  } else {
    t += m.Lang("Geocentric distance ", "מרחק גאוצנטרי ") + m.Figure(formatNumber(b.DistanceGeo, f)) + km + kNL;
    t += m.Lang("Solar geocentric elongation ", "מרחק זוויתי גאוצנטרי מהשמש ") +
         m.Figure(angleText(b.ElongationGeo, p)) + kNL;
    t += m.Lang("Topocentric distance ", "מרחק טופוצנטרי ") + m.Figure(formatNumber(b.DistanceTopo, f)) + km + kNL;
    t += m.Lang("Solar topocentric elongation ", "מרחק זוויתי טופוצנטרי מהשמש ") +
         m.Figure(angleText(b.ElongationTopo, p)) + kNL;
    // The phase angle i from the illuminated fraction k = (1 + cos i) / 2.
    t += m.Lang("Illumination ", "הארה ") + m.Figure(formatNumber(b.Phase * 100, fine) + "%") +
         m.Lang(" Phase angle ", " זווית המופע ") + m.Figure(angleText(ACosD(2 * b.Phase - 1), p)) + kNL;
  }
  t += m.Lang("Topocentric radius ", "רדיוס טופוצנטרי ") + m.Figure(angleText(b.Radius, p)) + kNL;
  return c->finish(t);
}

}  // namespace nemora
