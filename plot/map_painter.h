// The picture of a crescent visibility map: an equirectangular map (east to
// the right, north up) of the map's cells coloured by zone, the coastlines
// over them, a graticule every 30 degrees and a legend that names the zones
// in the words of the criterion's author. The same routine draws the window,
// the printer and PNG, SVG and PDF files.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

#include "map/coastlines.h"
#include "map/visibility_map.h"

namespace nemora::plot {

// The texts of the picture.
struct MapPictureText {
  QString title;
  QString subtitle;
  std::vector<MapZone> zones;    // the value zones of the map's scale
  std::vector<MapZone> special;  // no sunset, the Moon first, not computed
  bool rightToLeft = false;
};

// The texts for a map in the session's language: its title (criterion,
// evening or morning and date), the grid and the zones.
MapPictureText mapPictureText(Session& session, const VisibilityMap& map);

// A good size for the picture of a map (pixels for PNG, points otherwise).
QSize mapPictureSize(const VisibilityMap& map);

// Draws the map into rect. coast may be null (no coastlines drawn). A map
// without cells shows a message instead.
void drawVisibilityMap(QPainter& painter, const QRectF& rect, const VisibilityMap& map, const Coastlines* coast,
                       const MapPictureText& text);

}  // namespace nemora::plot
