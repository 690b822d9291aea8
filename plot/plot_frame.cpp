#include "plot/plot_frame.h"

#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>

namespace nemora::plot {
namespace {

const QColor kGrid(0xdd, 0xdd, 0xdd);
const QColor kFrame(0x33, 0x33, 0x33);

double pictureSize(const QRectF& picture) { return std::min(picture.width(), picture.height() * 1.5); }

// Prints a tick value with no more decimals than its step needs.
QString numberLabel(double value, double step) {
  int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  if (std::abs(value) < step * 1e-6) value = 0;  // no "-0"
  return QString::number(value, 'f', std::clamp(decimals, 0, 10));
}

}  // namespace

double textSize(const QRectF& picture, double relative) {
  return std::clamp(pictureSize(picture) / 55.0, 8.0, 48.0) * relative;
}

QFont plotFont(const QRectF& picture, double relative, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(textSize(picture, relative)))));
  font.setBold(bold);
  return font;
}

double lineWidth(const QRectF& picture, double relative) {
  return std::max(1.0, pictureSize(picture) / 400.0) * relative;
}

QPen curvePen(LineClass cls, const QRectF& picture, const QColor& plain) {
  QPen pen;
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  switch (cls) {
    case LineClass::NotVisible:
      pen.setColor(QColor(0xd0, 0x10, 0x10));
      pen.setWidthF(lineWidth(picture, 1.6));
      pen.setStyle(Qt::DotLine);
      pen.setCapStyle(Qt::RoundCap);
      break;
    case LineClass::MayBeVisible:
      pen.setColor(QColor(0x10, 0x40, 0xd0));
      pen.setWidthF(lineWidth(picture, 1.6));
      pen.setStyle(Qt::DashLine);
      break;
    case LineClass::Definitely:
      pen.setColor(Qt::black);
      pen.setWidthF(lineWidth(picture, 2.0));
      pen.setStyle(Qt::SolidLine);
      break;
    case LineClass::Plain:
      pen.setColor(plain);
      pen.setWidthF(lineWidth(picture, 1.0));
      pen.setStyle(Qt::SolidLine);
      break;
  }
  return pen;
}

Axis numberAxis(double min, double max, const QString& title, int target) {
  if (!(max > min)) {
    const double pad = std::max(std::abs(min) * 1e-3, 1e-6);
    min -= pad;
    max += pad;
  }
  Axis axis{min, max, title, {}};
  const double raw = (max - min) / std::max(target, 2);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    step = f * power;
    if (step >= raw * 0.7) break;  // a few more ticks rather than too few
  }
  const double first = std::ceil(min / step - 1e-9) * step;
  for (int i = 0; i < 100; ++i) {
    const double v = first + i * step;
    if (v > max + step * 1e-9) break;
    axis.ticks.push_back({v, numberLabel(v, step)});
  }
  return axis;
}

Axis timeAxis(double minDays, double maxDays, double offsetDays, const QString& title, int target) {
  if (!(maxDays > minDays)) {
    minDays -= 1.0 / 1440;
    maxDays += 1.0 / 1440;
  }
  Axis axis{minDays, maxDays, title, {}};
  static constexpr std::array<int, 12> kSteps{1, 2, 5, 10, 15, 20, 30, 60, 120, 180, 360, 720};
  const double spanMinutes = (maxDays - minDays) * 1440;
  int step = kSteps.back();
  for (int s : kSteps) {
    if (spanMinutes / s <= std::max(target, 2)) {
      step = s;
      break;
    }
  }
  // Ticks at round minutes of the labelled (local) time.
  const double localMin = (minDays + offsetDays) * 1440;
  const double firstMinute = std::ceil(localMin / step - 1e-7) * step;
  for (int i = 0; i < 1000; ++i) {
    const double localMinute = firstMinute + i * step;
    const double value = localMinute / 1440 - offsetDays;
    if (value > maxDays + 1e-9) break;
    const long long minuteOfDay = ((std::llround(localMinute) % 1440) + 1440) % 1440;
    axis.ticks.push_back(
        {value, QStringLiteral("%1:%2").arg(minuteOfDay / 60).arg(minuteOfDay % 60, 2, 10, QLatin1Char('0'))});
  }
  return axis;
}

PlotFrame::PlotFrame(QPainter& painter, const QRectF& picture, const QStringList& titles, Axis x, Axis y,
                     bool rightToLeft)
    : picture_(picture), titles_(titles), x_(std::move(x)), y_(std::move(y)), rtl_(rightToLeft) {
  layout(painter);
}

PlotFrame::PlotFrame(QPainter& painter, const QRectF& picture, const QStringList& titles, Axis x, Axis y, Axis right,
                     bool rightToLeft)
    : picture_(picture),
      titles_(titles),
      x_(std::move(x)),
      y_(std::move(y)),
      right_(std::move(right)),
      hasRight_(true),
      rtl_(rightToLeft) {
  layout(painter);
}

void PlotFrame::layout(QPainter& painter) {
  const QRectF& picture = picture_;
  const double ts = textSize(picture);
  const double margin = 0.6 * ts;
  const QFontMetricsF titleFont(plotFont(picture, 1.25, true), painter.device());
  const QFontMetricsF textFont(plotFont(picture), painter.device());
  const QFontMetricsF tickFont(plotFont(picture, 0.85), painter.device());

  titleHeight_ = 0;
  for (int i = 0; i < titles_.size(); ++i) titleHeight_ += (i == 0 ? titleFont : textFont).lineSpacing();
  if (titleHeight_ > 0) titleHeight_ += 0.4 * ts;

  double yLabelWidth = 0;
  for (const Tick& t : y_.ticks) yLabelWidth = std::max(yLabelWidth, tickFont.horizontalAdvance(t.label));
  const double tickLength = 0.4 * ts;
  const double left = margin + (y_.title.isEmpty() ? 0 : textFont.height() + 0.3 * ts) + yLabelWidth + 0.3 * ts +
                      tickLength;
  const double lastX = x_.ticks.empty() ? 0 : tickFont.horizontalAdvance(x_.ticks.back().label) / 2;
  double right = margin + lastX;
  if (hasRight_) {
    double w = 0;
    for (const Tick& t : right_.ticks) w = std::max(w, tickFont.horizontalAdvance(t.label));
    right = std::max(right, margin + tickLength + 0.3 * ts + w + (right_.title.isEmpty() ? 0 : textFont.height() + 0.3 * ts));
  }
  const double top = margin + titleHeight_ + tickFont.height() / 2;
  const double bottom = margin + tickLength + 0.2 * ts + tickFont.height() +
                        (x_.title.isEmpty() ? 0 : textFont.height() + 0.2 * ts);
  area_ = picture.adjusted(left, top, -right, -bottom);
  if (area_.width() < 1) area_.setWidth(1);
  if (area_.height() < 1) area_.setHeight(1);
}

QPointF PlotFrame::map(double x, double y) const {
  const double fx = (x - x_.min) / (x_.max - x_.min);
  const double fy = (y - y_.min) / (y_.max - y_.min);
  return {area_.left() + fx * area_.width(), area_.bottom() - fy * area_.height()};
}

QPointF PlotFrame::mapRight(double x, double y) const {
  const double fx = (x - x_.min) / (x_.max - x_.min);
  const double fy = (y - right_.min) / (right_.max - right_.min);
  return {area_.left() + fx * area_.width(), area_.bottom() - fy * area_.height()};
}

void PlotFrame::draw(QPainter& painter) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setClipping(false);
  const double ts = textSize(picture_);
  const double margin = 0.6 * ts;
  const double tickLength = 0.4 * ts;
  const Qt::Alignment side = rtl_ ? Qt::AlignRight : Qt::AlignLeft;

  // Titles.
  double yPos = picture_.top() + margin;
  for (int i = 0; i < titles_.size(); ++i) {
    painter.setFont(i == 0 ? plotFont(picture_, 1.25, true) : plotFont(picture_));
    painter.setPen(Qt::black);
    const double h = painter.fontMetrics().lineSpacing();
    const QRectF line(picture_.left() + margin, yPos, picture_.width() - 2 * margin, h);
    painter.drawText(line, side | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(titles_[i], Qt::ElideRight, static_cast<int>(line.width())));
    yPos += h;
  }

  // Background and grid.
  painter.fillRect(area_, Qt::white);
  QPen grid(kGrid, lineWidth(picture_, 0.6));
  painter.setPen(showGrid ? grid : QPen(Qt::NoPen));
  for (const Tick& t : x_.ticks) {
    const double px = map(t.value, y_.min).x();
    painter.drawLine(QPointF(px, area_.top()), QPointF(px, area_.bottom()));
  }
  for (const Tick& t : y_.ticks) {
    const double py = map(x_.min, t.value).y();
    painter.drawLine(QPointF(area_.left(), py), QPointF(area_.right(), py));
  }

  // Frame and ticks.
  QPen frame(kFrame, lineWidth(picture_, 1.0));
  painter.setPen(frame);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area_);
  painter.setFont(plotFont(picture_, 0.85));
  const double tickHeight = painter.fontMetrics().height();
  for (const Tick& t : x_.ticks) {
    const double px = map(t.value, y_.min).x();
    painter.drawLine(QPointF(px, area_.bottom()), QPointF(px, area_.bottom() + tickLength));
    const double w = painter.fontMetrics().horizontalAdvance(t.label) + ts;
    painter.drawText(QRectF(px - w / 2, area_.bottom() + tickLength + 0.2 * ts, w, tickHeight), Qt::AlignCenter,
                     t.label);
  }
  for (const Tick& t : y_.ticks) {
    const double py = map(x_.min, t.value).y();
    painter.drawLine(QPointF(area_.left() - tickLength, py), QPointF(area_.left(), py));
    const double w = area_.left() - tickLength - 0.3 * ts - picture_.left();
    painter.drawText(QRectF(picture_.left(), py - tickHeight / 2, w, tickHeight), Qt::AlignRight | Qt::AlignVCenter,
                     t.label);
  }

  if (hasRight_) {
    for (const Tick& t : right_.ticks) {
      const double py = mapRight(x_.min, t.value).y();
      painter.drawLine(QPointF(area_.right(), py), QPointF(area_.right() + tickLength, py));
      const double x0 = area_.right() + tickLength + 0.3 * ts;
      painter.drawText(QRectF(x0, py - tickHeight / 2, picture_.right() - x0, tickHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, t.label);
    }
  }

  // Axis titles.
  painter.setFont(plotFont(picture_));
  painter.setPen(Qt::black);
  const double textHeight = painter.fontMetrics().height();
  if (!x_.title.isEmpty()) {
    const QRectF box(area_.left(), area_.bottom() + tickLength + 0.4 * ts + tickHeight, area_.width(), textHeight);
    painter.drawText(box, Qt::AlignCenter, x_.title);
  }
  if (!y_.title.isEmpty()) {
    painter.save();
    painter.translate(picture_.left() + margin + textHeight / 2, area_.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area_.height() / 2, -textHeight / 2, area_.height(), textHeight), Qt::AlignCenter,
                     y_.title);
    painter.restore();
  }
  if (hasRight_ && !right_.title.isEmpty()) {
    painter.save();
    painter.translate(picture_.right() - margin - textHeight / 2, area_.center().y());
    painter.rotate(90);
    painter.drawText(QRectF(-area_.height() / 2, -textHeight / 2, area_.height(), textHeight), Qt::AlignCenter,
                     right_.title);
    painter.restore();
  }
  painter.restore();
}

void PlotFrame::drawLegend(QPainter& painter, const std::vector<LegendEntry>& entries, Qt::Corner corner) const {
  if (entries.empty()) return;
  painter.save();
  painter.setClipping(false);
  painter.setRenderHint(QPainter::Antialiasing);
  if (rtl_) {  // mirror left and right
    if (corner == Qt::TopRightCorner) corner = Qt::TopLeftCorner;
    else if (corner == Qt::TopLeftCorner) corner = Qt::TopRightCorner;
    else if (corner == Qt::BottomRightCorner) corner = Qt::BottomLeftCorner;
    else corner = Qt::BottomRightCorner;
  }
  const double ts = textSize(picture_);
  painter.setFont(plotFont(picture_, 0.85));
  const QFontMetricsF fm = painter.fontMetrics();
  const double sample = 2.4 * ts, gap = 0.5 * ts, pad = 0.5 * ts, row = fm.lineSpacing() * 1.15;
  double textWidth = 0;
  for (const auto& e : entries) textWidth = std::max(textWidth, fm.horizontalAdvance(e.text));
  const double maxText = std::max(ts, area_.width() - 2 * pad - sample - gap - 2 * pad);
  textWidth = std::min(textWidth, maxText);
  const double w = sample + gap + textWidth + 2 * pad;
  const double h = row * static_cast<double>(entries.size()) + 2 * pad - (row - fm.lineSpacing());
  const double inset = 0.5 * ts;
  const bool left = corner == Qt::TopLeftCorner || corner == Qt::BottomLeftCorner;
  const bool top = corner == Qt::TopLeftCorner || corner == Qt::TopRightCorner;
  const QRectF box(left ? area_.left() + inset : area_.right() - inset - w,
                   top ? area_.top() + inset : area_.bottom() - inset - h, w, h);
  painter.setPen(QPen(QColor(0x99, 0x99, 0x99), lineWidth(picture_, 0.6)));
  painter.setBrush(QColor(255, 255, 255, 235));
  painter.drawRect(box);
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    const double cy = box.top() + pad + row * static_cast<double>(i) + fm.lineSpacing() / 2;
    // Right to left: the sample on the right, the text to its left.
    const double sx0 = rtl_ ? box.right() - pad - sample : box.left() + pad;
    if (e.marker.style() != Qt::NoBrush || e.ring) {
      painter.setPen(e.pen);
      painter.setBrush(e.ring ? QBrush(Qt::NoBrush) : e.marker);
      painter.drawEllipse(QPointF(sx0 + sample / 2, cy), 0.3 * ts, 0.3 * ts);
    } else {
      painter.setPen(e.pen);
      painter.drawLine(QPointF(sx0, cy), QPointF(sx0 + sample, cy));
    }
    painter.setPen(Qt::black);
    const QRectF text(rtl_ ? box.left() + pad : sx0 + sample + gap, cy - fm.lineSpacing() / 2, textWidth,
                      fm.lineSpacing());
    painter.drawText(text, (rtl_ ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                     fm.elidedText(e.text, Qt::ElideRight, textWidth));
  }
  painter.restore();
}

void drawMessage(QPainter& painter, const QRectF& picture, const QString& text, bool rightToLeft) {
  painter.save();
  painter.setFont(plotFont(picture, 1.1));
  painter.setPen(Qt::black);
  painter.setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  const double m = textSize(picture);
  painter.drawText(picture.adjusted(m, m, -m, -m), Qt::AlignCenter | Qt::TextWordWrap, text);
  painter.restore();
}

}  // namespace nemora::plot
