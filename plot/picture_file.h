// Pictures written to files: one routine draws the picture with Qt's painter
// into a rectangle, and the same routine serves a PNG, SVG or PDF file (the
// format is chosen by the file's extension), the window and the printer.
//
//   nemora::plot::GuiForPictures gui;  // only where no QGuiApplication runs yet
//   nemora::plot::writePicture("curve.svg", QSize(900, 600),
//                              [&](QPainter& p, const QRectF& r) { drawCurve(p, r); });
#pragma once

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class QGuiApplication;

namespace nemora::plot {

// Draws a picture into the rectangle given (in the painter's logical units).
using PaintFunction = std::function<void(QPainter&, const QRectF&)>;

enum class PictureFormat { Png, Svg, Pdf };

// The format of a file by its extension (".png", ".svg", ".pdf", any case).
// Any other extension throws AppError (source "writePicture") with the
// description "Unknown picture format \"<ext>\" of <file>: use .png, .svg or .pdf".
PictureFormat pictureFormatOf(const std::filesystem::path& file);

// The picture as the bytes of a file of the given format. size is in pixels
// for PNG and in points (1/72 inch) for SVG and PDF; PDF pages take exactly
// the picture's size. PNG has a white background.
QByteArray renderPicture(PictureFormat format, QSize size, const PaintFunction& paint,
                         const QString& title = QString());

// Renders the picture and writes it to file, atomically: the bytes go to a
// temporary file next to the target, which is then renamed over it. An
// unknown extension, an empty size or a folder that cannot be written throws
// AppError (source "writePicture") whose description names the file and the
// cause, e.g. "Cannot write picture /ro/x.png: Permission denied"; the old
// file, if any, is then left as it was.
void writePicture(const std::filesystem::path& file, QSize size, const PaintFunction& paint,
                  const QString& title = QString());

// A QGuiApplication for programs without one (the command line): created
// only when none runs, on the "offscreen" platform unless QT_QPA_PLATFORM
// says otherwise, so that pictures can be drawn without a display. Keep the
// object alive while drawing.
class GuiForPictures {
 public:
  GuiForPictures();
  ~GuiForPictures();
  GuiForPictures(const GuiForPictures&) = delete;
  GuiForPictures& operator=(const GuiForPictures&) = delete;

 private:
  int argc_ = 1;
  char name_[16] = "nemora-cli";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace nemora::plot
