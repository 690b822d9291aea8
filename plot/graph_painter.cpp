#include "plot/graph_painter.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

#include "ephemeris/rise_set.h"
#include "graphs/graph_texts.h"
#include "plot/plot_frame.h"
#include "visibility/first_visible.h"

namespace nemora::plot {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// One stretch of a curve in one class of visibility, in data coordinates.
struct Piece {
  VisClass cls;
  std::vector<QPointF> points;
};

// Cuts the curve (x, y) given at the instants t into stretches of one class
// each, with the cuts exactly at the report's window instants.
std::vector<Piece> classPieces(const udtVisibility& v, const std::vector<double>& t, const std::vector<double>& x,
                               const std::vector<double>& y) {
  std::vector<Piece> pieces;
  if (t.empty()) return pieces;
  std::vector<double> cuts;
  for (double c : {v.dblT1, v.dblT2, v.dblT3, v.dblT4})
    if (c > t.front() && c < t.back()) cuts.push_back(c);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  auto start = [&](double at, QPointF p) {
    pieces.push_back({WindowClass(v, at), {p}});
  };
  start(t.size() > 1 ? (t[0] + t[1]) / 2 : t[0], {x[0], y[0]});
  size_t nextCut = 0;
  for (size_t i = 1; i < t.size(); ++i) {
    while (nextCut < cuts.size() && cuts[nextCut] <= t[i]) {
      const double c = cuts[nextCut++];
      if (c <= t[i - 1]) continue;
      const double f = (c - t[i - 1]) / (t[i] - t[i - 1]);
      const QPointF at(x[i - 1] + f * (x[i] - x[i - 1]), y[i - 1] + f * (y[i] - y[i - 1]));
      pieces.back().points.push_back(at);
      const double after = c + (std::min(t[i], nextCut < cuts.size() ? cuts[nextCut] : t[i]) - c) / 2;
      start(after, at);
    }
    pieces.back().points.push_back({x[i], y[i]});
  }
  return pieces;
}

// Linear interpolation of a curve at instant when.
double at(const std::vector<double>& t, const std::vector<double>& y, double when) {
  if (t.empty()) return 0;
  if (when <= t.front()) return y.front();
  if (when >= t.back()) return y.back();
  const size_t i = static_cast<size_t>(std::upper_bound(t.begin(), t.end(), when) - t.begin());
  const double f = (when - t[i - 1]) / (t[i] - t[i - 1]);
  return y[i - 1] + f * (y[i] - y[i - 1]);
}

LineClass lineClass(VisClass c) {
  switch (c) {
    case VisClass::NotVisible: return LineClass::NotVisible;
    case VisClass::MayBeVisible: return LineClass::MayBeVisible;
    case VisClass::Definitely: return LineClass::Definitely;
  }
  return LineClass::Plain;
}

// Black-on-white pens of a sketch: thin dotted, dashed and solid.
QPen sketchPen(VisClass c, const QRectF& picture) {
  QPen pen(Qt::black, lineWidth(picture, c == VisClass::Definitely ? 2.0 : 1.4));
  pen.setStyle(c == VisClass::NotVisible ? Qt::DotLine : c == VisClass::MayBeVisible ? Qt::DashLine : Qt::SolidLine);
  if (c == VisClass::NotVisible) pen.setWidthF(lineWidth(picture, 0.8));
  return pen;
}

void drawPieces(QPainter& painter, const std::vector<Piece>& pieces, const std::function<QPointF(QPointF)>& map,
                const std::function<QPen(VisClass)>& pen) {
  for (const Piece& piece : pieces) {
    if (piece.points.size() < 2) continue;
    QPolygonF line;
    for (const QPointF& p : piece.points) line << map(p);
    painter.setPen(pen(piece.cls));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
  }
}

std::vector<LegendEntry> classLegend(const udtGraphTexts& texts, const QRectF& picture, bool sketch,
                                     const QString& prefix = QString()) {
  std::vector<LegendEntry> entries;
  if (sketch) {
    entries.push_back({sketchPen(VisClass::NotVisible, picture), prefix + qs(texts.strNotVisible)});
    entries.push_back({sketchPen(VisClass::MayBeVisible, picture), prefix + qs(texts.strMayBeVisible)});
    entries.push_back({sketchPen(VisClass::Definitely, picture), prefix + qs(texts.strDefinitely)});
    return entries;
  }
  entries.push_back({curvePen(LineClass::NotVisible, picture), prefix + qs(texts.strNotVisible)});
  entries.push_back({curvePen(LineClass::MayBeVisible, picture), prefix + qs(texts.strMayBeVisible)});
  entries.push_back({curvePen(LineClass::Definitely, picture), prefix + qs(texts.strDefinitely)});
  return entries;
}

// The axis range of a curve with a little room above and below.
void paddedRange(const std::vector<double>& values, double& lo, double& hi, double share = 0.05) {
  CurveRange(values, lo, hi);
  const double pad = (hi - lo) * share;
  lo -= pad;
  hi += pad;
}

// The caption lines of a picture: its own, then where and when.
QStringList titlesOf(QStringList titles, const GraphLook& look) {
  if (!look.whereWhen.isEmpty()) {
    const QStringList lines = look.whereWhen.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) titles.insert(1 + i, lines[i]);
  }
  return titles;
}

QString timeLabel(double t, double offset) {
  const long long minute = ((std::llround((t + offset) * 1440) % 1440) + 1440) % 1440;
  return QStringLiteral("%1:%2").arg(minute / 60).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void drawCrescent(QPainter& painter, QPointF point, double size, double dblAngle, double dblSubtend,
                  const QColor& colour) {
  const udtCrescentArc arc = DrawMoon(size, point.x(), point.y(), dblAngle, dblSubtend);
  const QRectF box(arc.dblCentreX - arc.dblRadius, arc.dblCentreY - arc.dblRadius, 2 * arc.dblRadius,
                   2 * arc.dblRadius);
  constexpr double kDegrees = 57.29577951308232;
  const double start = arc.dblStart * kDegrees;
  double span = std::fmod(arc.dblEnd * kDegrees - start + 360, 360);
  if (span == 0 && dblSubtend >= 359) span = 360;
  painter.save();
  painter.setBrush(Qt::NoBrush);
  QPen faint(QColor(colour.red(), colour.green(), colour.blue(), 70), std::max(1.0, size / 40));
  painter.setPen(faint);
  painter.drawEllipse(box);
  QPen lit(colour, std::max(1.5, size / 7));
  lit.setCapStyle(Qt::RoundCap);
  painter.setPen(lit);
  // Qt's arcs run counter-clockwise from three o'clock in sixteenths of a degree.
  painter.drawArc(box, static_cast<int>(std::lround(start * 16)), static_cast<int>(std::lround(span * 16)));
  painter.restore();
}

void drawGraph(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(picture, look.background);
  if (!curves.hasCurve()) {
    drawMessage(painter, picture, qs(curves.strMessage), look.intLanguage == 1);
  } else if (curves.request.intGraphKind == kGraphProbability) {
    drawProbability(painter, picture, curves, look);
  } else if (curves.request.intGraphKind == kGraphLightCurve) {
    drawLightCurve(painter, picture, curves, look);
  } else {
    drawFinderChart(painter, picture, curves, look);
  }
  painter.restore();
}

void drawProbability(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look) {
  const udtGraphTexts texts = GraphTexts(curves.request.strHBody, kGraphProbability, look.intLanguage);
  // Always in per cent from 0 to 100, so that the scale reads the same on
  // every evening.
  const double scale = 100;
  std::vector<double> p = curves.dblProb;
  for (double& x : p) x *= scale;
  const double lo = 0, hi = 100;
  const std::vector<double>& t = curves.grid.dblTime;
  PlotFrame frame(painter, picture, titlesOf({qs(texts.strCaption), qs(texts.strTitle)}, look),
                  timeAxis(t.front(), t.back(), curves.dblClockOffset, qs(texts.strXAxis)),
                  numberAxis(lo, hi, qs(texts.strYAxis) + QStringLiteral(" (%)")), look.intLanguage == 1);
  frame.draw(painter);
  painter.save();
  const double marker = textSize(picture, 0.3) + lineWidth(picture);
  painter.setClipRect(frame.plotArea().adjusted(-marker, -marker, marker, marker));
  // The limits of the classes, 8 % and 92 %, named at their left end.
  QPen limit(QColor(0x99, 0x99, 0x99), lineWidth(picture, 0.7), Qt::DashDotLine);
  painter.setFont(plotFont(picture, 0.75));
  for (const auto& [l, name] : {std::pair{8.0, texts.strGuide8}, std::pair{92.0, texts.strGuide92}}) {
    painter.setPen(limit);
    painter.drawLine(frame.map(t.front(), l), frame.map(t.back(), l));
    const QPointF left = frame.map(t.front(), l);
    painter.setPen(QColor(0x66, 0x66, 0x66));
    painter.drawText(QPointF(left.x() + textSize(picture, 0.3), left.y() - textSize(picture, 0.2)), qs(name));
  }
  drawPieces(painter, classPieces(curves.table, t, t, p), [&](QPointF d) { return frame.map(d.x(), d.y()); },
             [&](VisClass c) { return curvePen(lineClass(c), picture); });
  // The best instant.
  const double best = curves.table.dblTMax;
  if (best >= t.front() && best <= t.back()) {
    const QPointF b = frame.map(best, at(t, p, best));
    const double r = textSize(picture, 0.3);
    painter.setPen(QPen(Qt::black, lineWidth(picture)));
    painter.setBrush(Qt::white);
    painter.drawEllipse(b, r, r);
  }
  painter.restore();
  frame.drawLegend(painter, classLegend(texts, picture, false), Qt::TopRightCorner);
}

void drawLightCurve(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look) {
  const udtGraphTexts texts = GraphTexts(curves.request.strHBody, kGraphLightCurve, look.intLanguage);
  const std::vector<double>& t = curves.grid.dblTime;
  double bLo = 0, bHi = 0, mLo = 0, mHi = 0;
  paddedRange(curves.dblLogB, bLo, bHi);
  paddedRange(curves.dblMag, mLo, mHi);
  Axis mag = numberAxis(mLo, mHi, qs(texts.strY2Axis));
  std::swap(mag.min, mag.max);  // brighter (smaller) magnitudes upwards
  PlotFrame frame(painter, picture, titlesOf({qs(texts.strCaption)}, look),
                  timeAxis(t.front(), t.back(), curves.dblClockOffset, qs(texts.strXAxis)),
                  numberAxis(bLo, bHi, qs(texts.strYAxis)), mag, look.intLanguage == 1);
  frame.draw(painter);
  painter.save();
  painter.setClipRect(frame.plotArea().adjusted(-2, -2, 2, 2));
  const QPen skyPen(QColor(0x00, 0x80, 0x80), lineWidth(picture, 1.6));
  QPolygonF sky;
  for (size_t i = 0; i < t.size(); ++i) sky << frame.map(t[i], curves.dblLogB[i]);
  painter.setPen(skyPen);
  painter.drawPolyline(sky);
  drawPieces(painter, classPieces(curves.table, t, t, curves.dblMag),
             [&](QPointF d) { return frame.mapRight(d.x(), d.y()); },
             [&](VisClass c) { return curvePen(lineClass(c), picture); });
  painter.restore();
  std::vector<LegendEntry> legend{{skyPen, qs(texts.strScale)}};
  for (auto& e : classLegend(texts, picture, false, QStringLiteral("Mag: "))) legend.push_back(e);
  frame.drawLegend(painter, legend, Qt::TopRightCorner);
}

void drawFinderChart(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look) {
  const int32_t kind = curves.request.intGraphKind;
  const bool sketch = kind == kGraphFinderSketch;
  const bool proportional = kind == kGraphFinderProportional;
  const udtGraphTexts texts = GraphTexts(curves.request.strHBody, kind, look.intLanguage);
  const std::vector<double>& t = curves.grid.dblTime;
  const udtVisibility& v = curves.table;

  // What the chart must hold: the path above the ground, the Sun's place,
  // the planets where they are shown.
  std::vector<double> xs, ys{curves.dblHorizon};
  for (size_t i = 0; i < t.size(); ++i) {
    if (curves.dblAlt[i] < curves.dblHorizon - 1) continue;
    xs.push_back(curves.dblAz[i]);
    ys.push_back(curves.dblAlt[i]);
  }
  if (xs.empty()) xs.push_back(curves.dblAz.front());
  xs.push_back(curves.dblSunAz);
  for (const udtGuidePlanet& g : curves.planets)
    for (size_t i = 0; i < g.dblTime.size(); ++i)
      if (g.blnShown[i]) {
        xs.push_back(g.dblAz[i]);
        ys.push_back(g.dblAlt[i]);
      }
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  CurveRange(xs, x0, x1);
  CurveRange(ys, y0, y1);
  const double xPad = std::max(2.0, 0.08 * (x1 - x0)), yPad = std::max(1.0, 0.08 * (y1 - y0));
  x0 -= xPad;
  x1 += xPad;
  y1 += yPad;
  y0 = std::min(y0, curves.dblHorizon) - std::max(1.5, 0.1 * (y1 - y0));

  auto azLabel = [](Axis a) {
    for (Tick& tick : a.ticks) {
      const double d = std::fmod(std::fmod(tick.value, 360) + 360, 360);
      tick.label = QString::number(d, 'f', std::abs(d - std::round(d)) < 1e-9 ? 0 : 1) + QChar(0xB0);
    }
    return a;
  };
  auto altLabel = [](Axis a) {
    for (Tick& tick : a.ticks) tick.label += QChar(0xB0);
    return a;
  };
  const QStringList titles = titlesOf({qs(texts.strCaption)}, look);
  const bool rtl = look.intLanguage == 1;
  auto makeFrame = [&] {
    return PlotFrame(painter, picture, titles, azLabel(numberAxis(x0, x1, qs(texts.strXAxis))),
                     altLabel(numberAxis(y0, y1, qs(texts.strYAxis))), rtl);
  };
  if (proportional) {
    // One degree is as long across as up: widen the narrower range.
    const QRectF area = makeFrame().plotArea();
    const double perPixel = std::max((x1 - x0) / area.width(), (y1 - y0) / area.height());
    const double cx = (x0 + x1) / 2, extraY = perPixel * area.height() - (y1 - y0);
    x0 = cx - perPixel * area.width() / 2;
    x1 = cx + perPixel * area.width() / 2;
    y0 -= std::min(extraY, std::max(0.0, extraY / 2));  // keep the ground low in the picture
    y1 = y0 + perPixel * area.height();
  }
  PlotFrame frame = makeFrame();
  frame.showGrid = !sketch;
  frame.draw(painter);
  const QRectF& area = frame.plotArea();
  const double chart = std::min(area.width(), area.height());
  auto map = [&](double az, double alt) { return frame.map(az, alt); };

  painter.save();
  painter.setClipRect(area);
  // The ground below the horizon.
  const double hy = map(x0, curves.dblHorizon).y();
  const QRectF ground(area.left(), hy, area.width(), area.bottom() - hy);
  if (!sketch) painter.fillRect(ground, QColor(0xe9, 0xe4, 0xd4));
  painter.setPen(QPen(sketch ? Qt::black : QColor(0x6b, 0x5b, 0x3a), lineWidth(picture, 1.4)));
  painter.drawLine(QPointF(area.left(), hy), QPointF(area.right(), hy));
  // The Sun's place at its set (rise), half below the horizon.
  const QPointF sun = map(curves.dblSunAz, curves.dblHorizon);
  const double sunR = 0.025 * chart;
  painter.setPen(QPen(sketch ? Qt::black : QColor(0xc0, 0x70, 0x00), lineWidth(picture)));
  painter.setBrush(sketch ? QBrush(Qt::NoBrush) : QBrush(QColor(0xff, 0xb0, 0x20)));
  painter.drawChord(QRectF(sun.x() - sunR, sun.y() - sunR, 2 * sunR, 2 * sunR), 0, 180 * 16);
  painter.setFont(plotFont(picture, 0.8));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(sun.x() - 4 * sunR, hy + 0.3 * sunR, 8 * sunR, 2 * sunR), Qt::AlignHCenter | Qt::AlignTop,
                   qs(texts.strSun));

  // The body's path, in the classes of the report's window.
  drawPieces(painter, classPieces(v, t, curves.dblAz, curves.dblAlt), [&](QPointF d) { return map(d.x(), d.y()); },
             [&](VisClass c) { return sketch ? sketchPen(c, picture) : curvePen(lineClass(c), picture); });
  // Times along the path.
  painter.setFont(plotFont(picture, 0.75));
  const double dot = std::max(1.5, 0.006 * chart);
  const QFontMetricsF labelMetrics(painter.font(), painter.device());
  for (const Tick& tick : timeAxis(t.front(), t.back(), curves.dblClockOffset, QString(), 5).ticks) {
    const QPointF p = map(at(t, curves.dblAz, tick.value), at(t, curves.dblAlt, tick.value));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(p, dot, dot);
    // The label off the path, on the side of its normal that points down.
    const double dt = (t.back() - t.front()) / 100;
    const QPointF ahead = map(at(t, curves.dblAz, tick.value + dt), at(t, curves.dblAlt, tick.value + dt));
    QPointF normal(-(ahead.y() - p.y()), ahead.x() - p.x());
    const double length = std::hypot(normal.x(), normal.y());
    normal = length > 0 ? normal / length : QPointF(0, 1);
    if (normal.y() < 0) normal = -normal;
    const QSizeF box(labelMetrics.horizontalAdvance(tick.label) + 4, labelMetrics.height());
    const double reach = 0.5 * std::abs(normal.x()) * box.width() + 0.5 * std::abs(normal.y()) * box.height() + 2 * dot;
    const QRectF label(p + normal * reach - QPointF(box.width() / 2, box.height() / 2), box);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(label, 2, 2);
    painter.setPen(Qt::black);
    painter.drawText(label, Qt::AlignCenter, tick.label);
  }

  // The guide planets: a dot at each instant they can be seen, a disc and
  // the name where they stand at the best instant (or when first seen).
  for (const udtGuidePlanet& g : curves.planets) {
    const QColor colour = sketch ? QColor(Qt::black) : QColor(0x5a, 0x2d, 0x82);
    int label = -1;
    double nearest = 1e9;
    for (size_t i = 0; i < g.dblTime.size(); ++i) {
      if (!g.blnShown[i]) continue;
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawEllipse(map(g.dblAz[i], g.dblAlt[i]), dot * 0.7, dot * 0.7);
      const double d = std::abs(g.dblTime[i] - v.dblTMax);
      if (d < nearest) {
        nearest = d;
        label = static_cast<int>(i);
      }
    }
    if (label < 0) continue;
    const QPointF p = map(g.dblAz[static_cast<size_t>(label)], g.dblAlt[static_cast<size_t>(label)]);
    const double r = std::max(3.0, 0.012 * chart);
    painter.setBrush(sketch ? QColor(Qt::white) : colour);
    painter.setPen(QPen(colour, lineWidth(picture)));
    painter.drawEllipse(p, r, r);
    painter.setFont(plotFont(picture, 0.85, true));
    painter.setPen(colour);
    const QString name = look.intLanguage == 1 ? qs(hebrewBodyName(g.strName)) : qs(g.strName);
    // The name beside the disc, on the side farthest from the body's path
    // (a planet near the path must not write its name across it).
    const QFontMetricsF nameMetrics(painter.font(), painter.device());
    const QSizeF box(nameMetrics.horizontalAdvance(name), nameMetrics.height());
    QRectF best;
    double clearest = -1;
    for (const QPointF& side : {QPointF(1, -1), QPointF(1, 1), QPointF(-1, -1), QPointF(-1, 1)}) {
      const QPointF corner(p.x() + side.x() * 1.6 * r - (side.x() < 0 ? box.width() : 0),
                           p.y() + side.y() * 1.2 * r - (side.y() < 0 ? box.height() : 0));
      const QRectF candidate(corner, box);
      double nearest = 1e18;
      for (size_t i = 0; i < t.size(); ++i) {
        const QPointF q = map(curves.dblAz[i], curves.dblAlt[i]);
        const double dx = std::max({candidate.left() - q.x(), 0.0, q.x() - candidate.right()});
        const double dy = std::max({candidate.top() - q.y(), 0.0, q.y() - candidate.bottom()});
        nearest = std::min(nearest, std::hypot(dx, dy));
      }
      if (nearest > clearest + 1e-9) {
        clearest = nearest;
        best = candidate;
      }
    }
    painter.drawText(best, Qt::AlignLeft | Qt::AlignVCenter, name);
  }

  // The body at its best instant: the crescent for the Moon, a disc otherwise.
  const double best = std::clamp(v.dblTMax, t.front(), t.back());
  const QPointF body = map(at(t, curves.dblAz, best), at(t, curves.dblAlt, best));
  const double size = std::max(8.0, 0.09 * chart);
  if (curves.request.strHBody == "Moon") {
    const double angle = at(t, curves.dblLimbAngle, best);
    const double arc = std::clamp(at(t, curves.dblLimbArc, best), 0.0, 360.0);
    // DrawMoon starts from the bright limb: put the limb where the centre
    // should fall, so that the disc is centred on the path.
    constexpr double kRad = 0.017453292519943295;
    const QPointF limb(body.x() + size * std::sin(angle * kRad) / 2, body.y() + size * std::cos(angle * kRad) / 2);
    drawCrescent(painter, limb, size, angle, arc, sketch ? QColor(Qt::black) : QColor(0xb8, 0x86, 0x0b));
  } else {
    painter.setPen(QPen(Qt::black, lineWidth(picture)));
    painter.setBrush(sketch ? QColor(Qt::white) : QColor(0xff, 0xe0, 0x80));
    painter.drawEllipse(body, size / 5, size / 5);
  }
  painter.setFont(plotFont(picture, 0.8, true));
  painter.setPen(Qt::black);
  painter.drawText(QPointF(body.x() + 0.6 * size, body.y() - 0.4 * size),
                   qs(texts.strBest) + " " + timeLabel(v.dblTMax, curves.dblClockOffset));
  painter.restore();
  std::vector<LegendEntry> legend = classLegend(texts, picture, sketch);
  bool guides = false;
  for (const udtGuidePlanet& g : curves.planets)
    for (bool shown : g.blnShown) guides = guides || shown;
  if (guides) {
    const QColor colour = sketch ? QColor(Qt::black) : QColor(0x5a, 0x2d, 0x82);
    legend.push_back({QPen(colour, lineWidth(picture)), qs(texts.strGuides), QBrush(colour)});
  }
  frame.drawLegend(painter, legend, Qt::TopRightCorner);
}

}  // namespace nemora::plot
