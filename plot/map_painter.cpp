#include "plot/map_painter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "base/session.h"
#include "plot/plot_frame.h"

namespace nemora::plot {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The extent of the map: the outer edges of its cells. A map across the
// date line runs on east of 180 (east is then above 180).
struct Extent {
  double west = -180, east = 180, south = -90, north = 90;
  bool wraps = false;
  // The longitude on the map's continuous scale.
  double x(double longitude) const { return wraps && longitude < west ? longitude + 360 : longitude; }
};

Extent extentOf(const VisibilityMap& map) {
  Extent e;
  if (map.latitudes.empty() || map.longitudes.empty()) return e;
  const double half = map.request.grid.dblStep / 2;
  e.wraps = map.request.grid.crossesDateLine() && map.longitudes.back() < map.longitudes.front();
  e.west = std::max(-180.0, map.longitudes.front() - half);
  e.east = e.wraps ? map.longitudes.back() + half + 360 : std::min(180.0, map.longitudes.back() + half);
  e.south = std::max(-90.0, map.latitudes.front() - half);
  e.north = std::min(90.0, map.latitudes.back() + half);
  return e;
}

// "60°E", "30°W", "0°", "180°"; "30°N", "45°S".
QString degreeLabel(double v, bool latitude) {
  if (!latitude) v = std::remainder(v, 360.0);
  long d = std::lround(v);
  if (!latitude && std::labs(d) == 180) return QString::number(180) + QChar(0x00b0);
  QString text = QString::number(std::labs(d)) + QChar(0x00b0);
  if (d > 0) text += latitude ? "N" : "E";
  if (d < 0) text += latitude ? "S" : "W";
  return text;
}

// An axis with ticks on whole multiples of the spacing within [min, max].
Axis degreeAxis(double min, double max, bool latitude, const QString& title) {
  Axis axis{min, max, title, {}};
  const double span = max - min;
  const double spacing = span > 120 ? 30 : span > 40 ? 10 : span > 15 ? 5 : 1;
  for (double v = std::ceil(min / spacing) * spacing; v <= max + 1e-9; v += spacing)
    axis.ticks.push_back({v, degreeLabel(v, latitude)});
  return axis;
}

QColor colour(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

}  // namespace

MapPictureText mapPictureText(Session& session, const VisibilityMap& map) {
  MapPictureText t;
  const int16_t language = session.intLanguage;
  t.title = q(mapTitle(session, map));
  const double step = map.request.grid.dblStep;
  QString grid = QString::number(step, 'g', 6) + QChar(0x00b0);
  t.subtitle = language == 1 ? QString::fromUtf8("רשת של ") + grid + QString::fromUtf8(", בגובה פני הים")
                             : "Grid of " + grid + ", at sea level";
  t.zones = mapZones(map.scale, language);
  t.special = specialZones(map.request.blnEvening, language);
  t.rightToLeft = language == 1;
  return t;
}

QSize mapPictureSize(const VisibilityMap& map) {
  Extent e = extentOf(map);
  const int width = 1600;
  double ratio = (e.north - e.south) / std::max(1.0, e.east - e.west);
  int height = static_cast<int>(std::lround(width * 0.92 * ratio)) + 380;
  return QSize(width, std::clamp(height, 500, 2400));
}

void drawVisibilityMap(QPainter& painter, const QRectF& rect, const VisibilityMap& map, const Coastlines* coast,
                       const MapPictureText& text) {
  painter.save();
  painter.fillRect(rect, Qt::white);
  if (map.cells.empty()) {
    drawMessage(painter, rect,
                text.rightToLeft ? QString::fromUtf8("אין תאים במפה.") : QStringLiteral("The map has no cells."),
                text.rightToLeft);
    painter.restore();
    return;
  }

  // Which special zones occur: only those go into the legend.
  std::vector<bool> used(text.special.size(), false);
  for (const MapCell& c : map.cells) {
    const auto k = static_cast<size_t>(c.kind);
    if (k > 0 && k <= used.size()) used[k - 1] = true;
  }
  std::vector<const MapZone*> legend;
  for (const MapZone& z : text.zones) legend.push_back(&z);
  for (size_t i = 0; i < text.special.size(); ++i)
    if (used[i]) legend.push_back(&text.special[i]);

  // The legend below the map: two columns of colour squares with the zones'
  // codes and meanings.
  const QFont legendFont = plotFont(rect, 0.8);
  const QFontMetricsF metrics(legendFont, painter.device());
  const double rowHeight = metrics.height() * 1.35;
  const double square = metrics.height() * 0.9;
  auto label = [&](const MapZone& z) {
    return z.strCode.size() == 1 ? q(z.strCode) + ": " + q(z.strMeaning) : q(z.strMeaning);
  };
  // Two columns when every text fits in half the width, else one.
  double widest = 0;
  for (const MapZone* z : legend) widest = std::max(widest, metrics.horizontalAdvance(label(*z)));
  const size_t columnCount = widest + square * 2.5 <= (rect.width() - 2 * metrics.height()) / 2 ? 2 : 1;
  const size_t rows = (legend.size() + columnCount - 1) / columnCount;
  const double legendHeight = rowHeight * static_cast<double>(rows) + metrics.height() * 0.8;

  // The titles across the whole picture, wrapped when they are longer than
  // it is wide: a regional map is narrower than its titles.
  const double ts = textSize(rect);
  const double margin = 0.6 * ts;
  const QFont titleFont = plotFont(rect, 1.25, true), subtitleFont = plotFont(rect);
  const QRectF titleWidth(0, 0, rect.width() - 2 * margin, 1e6);
  const int wrap = (text.rightToLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::TextWordWrap;
  const QRectF titleBox = QFontMetricsF(titleFont, painter.device()).boundingRect(titleWidth, wrap, text.title);
  const QRectF subtitleBox =
      QFontMetricsF(subtitleFont, painter.device()).boundingRect(titleWidth, wrap, text.subtitle);
  const double titlesHeight = margin + titleBox.height() + subtitleBox.height() + 0.4 * ts;
  painter.setPen(Qt::black);
  painter.setFont(titleFont);
  painter.drawText(QRectF(rect.left() + margin, rect.top() + margin, titleWidth.width(), titleBox.height()), wrap,
                   text.title);
  painter.setFont(subtitleFont);
  painter.drawText(QRectF(rect.left() + margin, rect.top() + margin + titleBox.height(), titleWidth.width(),
                          subtitleBox.height()),
                   wrap, text.subtitle);
  QRectF mapRect(rect.left(), rect.top() + titlesHeight, rect.width(), rect.height() - legendHeight - titlesHeight);

  // The frame, with the plot area shaped like the map (a degree as wide as
  // it is high): measure the margins, then shrink the rectangle.
  const Extent e = extentOf(map);
  const QStringList titles;
  const QString lonTitle = text.rightToLeft ? QString::fromUtf8("קו אורך") : QStringLiteral("Longitude");
  const QString latTitle = text.rightToLeft ? QString::fromUtf8("קו רוחב") : QStringLiteral("Latitude");
  Axis x = degreeAxis(e.west, e.east, false, lonTitle);
  Axis y = degreeAxis(e.south, e.north, true, latTitle);
  QRectF area = PlotFrame(painter, mapRect, titles, x, y, text.rightToLeft).plotArea();
  const double aspect = (e.east - e.west) / std::max(e.north - e.south, 1e-9);
  double w = area.width(), h = area.height();
  if (w / h > aspect)
    mapRect.setWidth(mapRect.width() - (w - h * aspect));
  else
    mapRect.setHeight(mapRect.height() - (h - w / aspect));
  mapRect.moveLeft(rect.left() + (rect.width() - mapRect.width()) / 2);
  PlotFrame frame(painter, mapRect, titles, x, y, text.rightToLeft);
  frame.draw(painter);
  area = frame.plotArea();

  // The cells as one image, north row first, scaled onto the plot area
  // without smoothing so that every cell keeps its zone's colour.
  const int columns = static_cast<int>(map.longitudes.size());
  const int rowCount = static_cast<int>(map.latitudes.size());
  QImage image(columns, rowCount, QImage::Format_RGB32);
  for (int r = 0; r < rowCount; ++r) {
    for (int c = 0; c < columns; ++c) {
      const MapCell& cell = map.cells[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)];
      const MapZone& zone = cellZone(map, cell, text.zones, text.special);
      image.setPixel(c, rowCount - 1 - r, 0xff000000u | zone.lngColour);
    }
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(area, image);

  // Graticule and coastlines on top, clipped to the map.
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen graticule(QColor(0x80, 0x80, 0x80, 0x70));
  graticule.setWidthF(lineWidth(rect, 0.5));
  painter.setPen(graticule);
  for (const Tick& t : x.ticks) painter.drawLine(frame.map(t.value, e.south), frame.map(t.value, e.north));
  for (const Tick& t : y.ticks) painter.drawLine(frame.map(e.west, t.value), frame.map(e.east, t.value));
  if (coast != nullptr) {
    QPen pen(QColor(0x20, 0x20, 0x20));
    pen.setWidthF(lineWidth(rect, 0.9));
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    for (const auto& line : coast->lines) {
      for (size_t i = 0; i < line.size(); ++i) {
        QPointF p = frame.map(e.x(line[i].dblLongitude), line[i].dblLatitude);
        // A line that crosses the map's seam (the date line, or the
        // meridian opposite a map across it) is broken there.
        if (i == 0 || std::fabs(e.x(line[i].dblLongitude) - e.x(line[i - 1].dblLongitude)) > 180)
          path.moveTo(p);
        else
          path.lineTo(p);
      }
    }
    painter.drawPath(path);
  }
  painter.setClipping(false);

  // The legend.
  painter.setFont(legendFont);
  const double top = rect.bottom() - legendHeight + metrics.height() * 0.4;
  const double columnWidth = (rect.width() - 2 * metrics.height()) / static_cast<double>(columnCount);
  for (size_t i = 0; i < legend.size(); ++i) {
    const size_t column = i / rows, row = i % rows;
    double left = rect.left() + metrics.height() + static_cast<double>(column) * columnWidth;
    if (text.rightToLeft) left = rect.right() - metrics.height() - static_cast<double>(column + 1) * columnWidth;
    const double yTop = top + static_cast<double>(row) * rowHeight;
    QRectF box(text.rightToLeft ? left + columnWidth - square : left, yTop + (rowHeight - square) / 2 - 2, square,
               square);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), lineWidth(rect, 0.5)));
    painter.setBrush(colour(legend[i]->lngColour));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    QRectF textBox(text.rightToLeft ? left : left + square * 1.5, yTop, columnWidth - square * 2, rowHeight);
    QString shown = metrics.elidedText(label(*legend[i]), Qt::ElideRight, textBox.width());
    painter.drawText(textBox, (text.rightToLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, shown);
  }
  painter.restore();
}

}  // namespace nemora::plot
