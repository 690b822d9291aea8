// Picture files: each format by its extension, written whole; unknown
// extensions and unwritable folders refused with the file's name.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/errors.h"
#include "plot/picture_file.h"
#include "plot/plot_frame.h"

namespace nemora::plot {
namespace {

void sample(QPainter& p, const QRectF& r) {
  PlotFrame frame(p, r, {"Probability versus time"}, timeAxis(100.70, 100.76, 2.0 / 24, "Time"),
                  numberAxis(0, 1, "P"));
  frame.draw(p);
  p.setPen(curvePen(LineClass::Definitely, r));
  p.drawLine(frame.map(100.71, 0.1), frame.map(100.75, 0.9));
  frame.drawLegend(p, {{curvePen(LineClass::Definitely, r), "Definitely visible"}});
}

std::string readAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(GraphPictureFile, WritesEachFormatAndRefusesTheRest) {
  QTemporaryDir dir;
  const std::filesystem::path folder = dir.path().toStdString();
  struct Case {
    const char* name;
    const char* magic;
  };
  for (const Case& c : {Case{"a.png", "\x89PNG"}, Case{"b.SVG", "<?xml"}, Case{"c.pdf", "%PDF"}}) {
    writePicture(folder / c.name, QSize(640, 400), sample, "test");
    const std::string bytes = readAll(folder / c.name);
    EXPECT_EQ(bytes.rfind(c.magic, 0), 0u) << c.name;
    EXPECT_GT(bytes.size(), 1000u) << c.name;
  }
  QImage png(QString::fromStdString((folder / "a.png").string()));
  EXPECT_EQ(png.size(), QSize(640, 400));
  // Not blank: dark pixels (text, frame, curve) and white ones both.
  int dark = 0;
  for (int y = 0; y < png.height(); y += 2)
    for (int x = 0; x < png.width(); x += 2) dark += qGray(png.pixel(x, y)) < 100;
  EXPECT_GT(dark, 200);

  // No temporary files are left next to the pictures.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);

  struct Bad {
    std::filesystem::path file;
    std::string message;
  };
  for (const Bad& b : {Bad{folder / "x.gif", "Unknown picture format \".gif\" of " + (folder / "x.gif").string() +
                                                  ": use .png, .svg or .pdf"},
                       Bad{folder / "none" / "x.png",
                           "Cannot write picture " + (folder / "none" / "x.png").string() + ": no folder " +
                               (folder / "none").string()}}) {
    try {
      writePicture(b.file, QSize(10, 10), sample);
      ADD_FAILURE() << b.file;
    } catch (const AppError& e) {
      EXPECT_EQ(e.description, b.message);
    }
  }
}

TEST(GraphPictureFile, TimeAxisTicksAtRoundLocalMinutes) {
  // 16:05 to 17:10 UT with the zone 2 hours ahead: ticks every 15 minutes
  // from 18:15 local.
  const Axis axis = timeAxis(100 + 16.0 / 24 + 5.0 / 1440, 100 + 17.0 / 24 + 10.0 / 1440, 2.0 / 24, "Time");
  ASSERT_FALSE(axis.ticks.empty());
  EXPECT_EQ(axis.ticks.front().label, "18:15");
  EXPECT_EQ(axis.ticks.back().label, "19:00");
  EXPECT_EQ(axis.ticks.size(), 4u);
  const Axis numbers = numberAxis(-0.23, 1.0, "P");
  EXPECT_EQ(numbers.ticks.front().label, "-0.2");
  EXPECT_EQ(numbers.ticks.back().label, "1.0");
}

}  // namespace
}  // namespace nemora::plot
