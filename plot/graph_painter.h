// The pictures of the graph window: the probability of visibility against
// time, the light curve and the finder chart, drawn from the curves of
// graphs/graph_curves.h into any rectangle of any painter (the window, the
// printed page, a PNG, SVG or PDF file).
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

#include "graphs/graph_curves.h"

namespace nemora::plot {

struct GraphLook {
  int16_t intLanguage = 0;     // 0 English, 1 Hebrew (right-to-left titles and legend)
  QColor background = Qt::white;  // around the plot area (the window's colour on screen)
  QColor foreground = Qt::black;
  QString whereWhen;  // the line under the caption: place, evening or morning, date (GraphWhereWhen)
};

// Draws the graph of curves.request.intGraphKind, or the curves' message
// when there is no curve.
void drawGraph(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look = {});

// One drawing routine per picture (drawGraph chooses among them).
void drawProbability(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look);
void drawLightCurve(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look);
void drawFinderChart(QPainter& painter, const QRectF& picture, const udtCurves& curves, const GraphLook& look);

// The crescent of diameter size (picture units) whose bright limb is at
// point, at the bright-limb angle and with the lit arc (degrees).
void drawCrescent(QPainter& painter, QPointF point, double size, double dblAngle, double dblSubtend,
                  const QColor& colour);

}  // namespace nemora::plot
