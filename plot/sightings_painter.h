// The scatter plot of recorded sightings: every Moon record at its crescent
// width (arc minutes) and arc of vision (degrees), seen or not, by naked eye
// or with optical aid, under Yallop's and Odeh's limit curves.
#pragma once

#include <QPainter>
#include <QRectF>

#include "sightings/sighting_analysis.h"

namespace nemora::plot {

void drawSightings(QPainter& painter, const QRectF& rect, const ScatterData& data);

}  // namespace nemora::plot
