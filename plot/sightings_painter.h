// The scatter plot of recorded sightings: every Moon record at its crescent
// width (arc minutes) and arc of vision (degrees), seen or not, by naked eye
// or with optical aid, under Yallop's and Odeh's limit curves.
#pragma once

#include <QPainter>
#include <QRectF>

#include "sightings/sighting_analysis.h"

namespace nemora::plot {

void drawSightings(QPainter& painter, const QRectF& rect, const ScatterData& data);

// The reliability plot: for each group of records, the share seen against
// the mean photometric probability in each band of probability (a marker
// whose area grows with the band's records), beside the diagonal of a
// perfectly calibrated forecast.
void drawReliability(QPainter& painter, const QRectF& rect, const ReliabilityData& data);

}  // namespace nemora::plot
