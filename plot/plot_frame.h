// The shared look of every plot: a title, a framed plot area with ticks,
// grid lines and labels on both axes (numbers or times of day), axis titles,
// a legend box, anti-aliased pens and fonts whose size follows the size of
// the picture, so that the same drawing reads well in a small window, a large
// PNG and on a printed page. Right-to-left (Hebrew) pictures mirror the
// legend and align their titles to the right.
//
//   PlotFrame frame(painter, rect, {"Probability versus time"},
//                   timeAxis(t0, t1, zoneDays, "Time"), numberAxis(0, 1, "P"));
//   frame.draw(painter);
//   painter.setClipRect(frame.plotArea());
//   painter.drawPolyline(...frame.map(x, y)...);
//   frame.drawLegend(painter, {{curvePen(LineClass::Definitely, rect), "Definitely visible"}});
#pragma once

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

namespace nemora::plot {

// Text size in the picture's units for a picture of this rectangle: grows
// with the picture, at least 8 and at most 48 units. relative scales it
// (titles 1.25, tick labels 0.85).
double textSize(const QRectF& picture, double relative = 1.0);
// The plot font at that size (a sans-serif font, pixel-sized so that it
// keeps its size on every device).
QFont plotFont(const QRectF& picture, double relative = 1.0, bool bold = false);
// Pen width for lines of this picture: about one unit per 400 units of size.
double lineWidth(const QRectF& picture, double relative = 1.0);

// The three classes of visibility and their lines: dotted red for not
// visible, dashed blue for may be visible, solid black for definitely
// visible; Plain is a thin solid line in the text colour.
enum class LineClass { NotVisible, MayBeVisible, Definitely, Plain };
QPen curvePen(LineClass cls, const QRectF& picture, const QColor& plain = Qt::black);

struct Tick {
  double value = 0;
  QString label;
};

struct Axis {
  double min = 0;
  double max = 1;
  QString title;
  std::vector<Tick> ticks;
};

// An axis with round numbers as ticks (1, 2 or 5 times a power of ten),
// about target of them; when min == max the range is widened a little.
Axis numberAxis(double min, double max, const QString& title, int target = 6);
// An axis of instants in days (fixed day numbers) labelled with the time of
// day "H:MM" of instant + offsetDays (e.g. the zone's offset), ticks at round
// minutes (1, 2, 5, 10, 15, 20, 30 minutes or 1, 2, 3, 6, 12 hours).
Axis timeAxis(double minDays, double maxDays, double offsetDays, const QString& title, int target = 6);

struct LegendEntry {
  QPen pen;          // the line shown before the text
  QString text;
  QBrush marker = Qt::NoBrush;  // a filled disc instead of a line when set
  bool ring = false;            // a ring (an unfilled disc) instead of a line
};

class PlotFrame {
 public:
  // Lays out the titles (first line larger) above the plot area and the
  // tick labels and axis titles beside it, measured with the painter's
  // device.
  PlotFrame(QPainter& painter, const QRectF& picture, const QStringList& titles, Axis x, Axis y,
            bool rightToLeft = false);
  // The same with a second vertical axis on the right (e.g. magnitudes
  // beside sky brightness); mapRight() places points on it.
  PlotFrame(QPainter& painter, const QRectF& picture, const QStringList& titles, Axis x, Axis y, Axis right,
            bool rightToLeft = false);

  const QRectF& picture() const { return picture_; }
  const QRectF& plotArea() const { return area_; }
  const Axis& xAxis() const { return x_; }
  const Axis& yAxis() const { return y_; }
  bool rightToLeft() const { return rtl_; }
  // Picture point of the data point (x, y); mapRight() by the right axis.
  // An axis whose min is above its max runs downwards (magnitudes).
  QPointF map(double x, double y) const;
  QPointF mapRight(double x, double y) const;
  // Grid lines behind the data (on by default; sketches leave them out).
  bool showGrid = true;

  // Draws the titles, grid, frame, ticks, tick labels and axis titles. The
  // painter's pen, brush, font and clip are restored afterwards.
  void draw(QPainter& painter) const;
  // A legend box in a corner of the plot area (mirrored for right-to-left).
  void drawLegend(QPainter& painter, const std::vector<LegendEntry>& entries,
                  Qt::Corner corner = Qt::TopRightCorner) const;

 private:
  QRectF picture_, area_;
  QStringList titles_;
  Axis x_, y_, right_;
  bool hasRight_ = false;
  bool rtl_;
  void layout(QPainter& painter);
  double titleHeight_ = 0;
};

// A message in the middle of the picture (in place of a plot), wrapped to
// its width.
void drawMessage(QPainter& painter, const QRectF& picture, const QString& text, bool rightToLeft = false);

}  // namespace nemora::plot
