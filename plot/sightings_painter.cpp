#include "plot/sightings_painter.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "plot/plot_frame.h"

namespace nemora::plot {
namespace {

// Seen: a filled disc; not seen: a ring. Naked eye in black, optical aid in
// blue.
void drawMarker(QPainter& p, QPointF at, double r, bool seen, bool optical) {
  QColor colour = optical ? QColor(30, 90, 200) : QColor(Qt::black);
  p.setPen(QPen(colour, r / 3));
  p.setBrush(seen ? QBrush(colour) : QBrush(Qt::NoBrush));
  p.drawEllipse(at, r, r);
}

QPen curvePenOf(const ScatterCurve& c, const QRectF& rect) {
  QPen pen(c.blnOdeh ? QColor(200, 40, 40) : QColor(20, 130, 40), lineWidth(rect, 1.5));
  pen.setStyle(c.blnOptical ? Qt::DashLine : Qt::SolidLine);
  return pen;
}

}  // namespace

void drawSightings(QPainter& painter, const QRectF& rect, const ScatterData& data) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (data.points.empty()) {
    drawMessage(painter, rect, "No Moon records to plot");
    painter.restore();
    return;
  }
  PlotFrame frame(painter, rect, {QString::fromStdString(data.strTitle)},
                  numberAxis(0, data.dblMaxWidth, "Crescent width W (arc minutes)"),
                  numberAxis(0, data.dblMaxARCV, "ARCV (degrees, geocentric)"));
  frame.draw(painter);
  painter.save();
  painter.setClipRect(frame.plotArea());
  for (const ScatterCurve& c : data.curves) {
    QPainterPath path;
    bool first = true;
    for (const auto& [w, v] : c.points) {
      QPointF at = frame.map(w, v);
      if (first) path.moveTo(at);
      else path.lineTo(at);
      first = false;
    }
    painter.setPen(curvePenOf(c, rect));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
  }
  double r = textSize(rect, 0.3);
  // Non-sightings first, so that sightings stay visible on top.
  for (bool seen : {false, true})
    for (const ScatterPoint& pt : data.points)
      if (pt.blnSeen == seen) drawMarker(painter, frame.map(pt.dblWidth, pt.dblARCV), r, pt.blnSeen, pt.blnOptical);
  painter.restore();

  std::vector<LegendEntry> legend;
  for (const ScatterCurve& c : data.curves) legend.push_back({curvePenOf(c, rect), QString::fromStdString(c.strName)});
  // The legend's markers as the plot draws them: discs for sightings, rings
  // for non-sightings, with the markers' line width.
  QPen eye(Qt::black, r / 3), aid(QColor(30, 90, 200), r / 3);
  legend.push_back({eye, "Seen, naked eye", QBrush(Qt::black)});
  legend.push_back({eye, "Not seen, naked eye", Qt::NoBrush, true});
  legend.push_back({aid, "Seen, optical aid", QBrush(QColor(30, 90, 200))});
  legend.push_back({aid, "Not seen, optical aid", Qt::NoBrush, true});
  frame.drawLegend(painter, legend, Qt::TopLeftCorner);
  painter.restore();
}

void drawReliability(QPainter& painter, const QRectF& rect, const ReliabilityData& data) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (data.series.empty()) {
    drawMessage(painter, rect, "No Moon records to plot");
    painter.restore();
    return;
  }
  PlotFrame frame(painter, rect, {QString::fromStdString(data.strTitle)},
                  numberAxis(0, 1, "Mean photometric probability P in the band"),
                  numberAxis(0, 1, "Share of the band's records seen"));
  frame.draw(painter);
  painter.save();
  painter.setClipRect(frame.plotArea());
  QPen diagonal(Qt::gray, lineWidth(rect), Qt::DashLine);
  painter.setPen(diagonal);
  painter.drawLine(frame.map(0, 0), frame.map(1, 1));
  static const QColor colours[] = {Qt::black, QColor(30, 90, 200), QColor(200, 40, 40), QColor(20, 130, 40),
                                   QColor(150, 60, 170), QColor(200, 120, 0)};
  int most = 1;
  for (const ReliabilitySeries& s : data.series)
    for (const ReliabilityBand& b : s.bands) most = std::max(most, b.lngRecords);
  std::vector<LegendEntry> legend;
  legend.push_back({diagonal, "Perfectly calibrated"});
  for (size_t k = 0; k < data.series.size(); ++k) {
    const ReliabilitySeries& s = data.series[k];
    QColor colour = colours[k % std::size(colours)];
    QPen pen(colour, lineWidth(rect, 1.5));
    QPainterPath path;
    for (size_t j = 0; j < s.bands.size(); ++j) {
      QPointF at = frame.map(s.bands[j].dblMeanP, s.bands[j].dblSeenShare);
      if (j == 0) path.moveTo(at);
      else path.lineTo(at);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setBrush(colour);
    for (const ReliabilityBand& b : s.bands) {
      double r = textSize(rect, 0.2) * (1 + 2 * std::sqrt(static_cast<double>(b.lngRecords) / most));
      painter.drawEllipse(frame.map(b.dblMeanP, b.dblSeenShare), r, r);
    }
    legend.push_back({pen, QString::fromStdString(s.strName), QBrush(colour)});
  }
  painter.restore();
  // Calibrated and pessimistic forecasts lie on and above the diagonal.
  frame.drawLegend(painter, legend, Qt::BottomRightCorner);
  painter.restore();
}

}  // namespace nemora::plot
