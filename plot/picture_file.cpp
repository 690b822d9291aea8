#include "plot/picture_file.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "base/errors.h"
#include "base/atomic_file.h"

namespace nemora::plot {
namespace {

constexpr const char* kSource = "writePicture";

[[noreturn]] void fail(const std::string& description) { throw AppError(errFileWrite, kSource, description); }

QByteArray renderPng(QSize size, const PaintFunction& paint) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) fail("Cannot encode the picture as PNG");
  return bytes;
}

QByteArray renderSvg(QSize size, const PaintFunction& paint, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setResolution(72);
  if (!title.isEmpty()) svg.setTitle(title);
  {
    QPainter painter(&svg);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), Qt::white);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return bytes;
}

QByteArray renderPdf(QSize size, const PaintFunction& paint, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(72);  // one logical unit is one point
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size), QPageSize::Point), QPageLayout::Portrait,
                                  QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    if (!title.isEmpty()) pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Nemora 3.1"));
    QPainter painter(&pdf);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return bytes;
}

}  // namespace

PictureFormat pictureFormatOf(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".png") return PictureFormat::Png;
  if (ext == ".svg") return PictureFormat::Svg;
  if (ext == ".pdf") return PictureFormat::Pdf;
  fail("Unknown picture format \"" + file.extension().string() + "\" of " + file.string() +
       ": use .png, .svg or .pdf");
}

QByteArray renderPicture(PictureFormat format, QSize size, const PaintFunction& paint, const QString& title) {
  if (size.width() <= 0 || size.height() <= 0)
    fail("Invalid picture size " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
  switch (format) {
    case PictureFormat::Png: return renderPng(size, paint);
    case PictureFormat::Svg: return renderSvg(size, paint, title);
    case PictureFormat::Pdf: return renderPdf(size, paint, title);
  }
  fail("Unknown picture format");
}

void writePicture(const std::filesystem::path& file, QSize size, const PaintFunction& paint, const QString& title) {
  const PictureFormat format = pictureFormatOf(file);
  // A missing folder is named as such, not as a failed temporary file.
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) fail("Cannot write picture " + file.string() + ": no folder " + folder.string());
  const QByteArray bytes = renderPicture(format, size, paint, title);
  try {
    writeFileAtomically(file, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
  } catch (const AppError& e) {
    const std::string cause = e.description.substr(e.description.find(": ") == std::string::npos
                                                       ? 0
                                                       : e.description.find(": ") + 2);
    fail("Cannot write picture " + file.string() + ": " + cause);
  }
}

GuiForPictures::GuiForPictures() {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

GuiForPictures::~GuiForPictures() = default;

}  // namespace nemora::plot
