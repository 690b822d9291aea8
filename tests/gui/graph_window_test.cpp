// The graph window and its pictures: every graph kind draws into an image of
// the size asked for and is not blank; the window follows the main window's
// result, shows its message when too small, and prints on the report's page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QSet>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include "app/gui/frmGraph.h"
#include "app/gui/frmMain.h"
#include "base/messages.h"
#include "app/session.h"
#include "graphs/graph_texts.h"
#include "plot/graph_painter.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// 11 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45362.5;

struct Window {
  Window() : session(sink) {
    session.dataDir = NEMORA_SOURCE_DATA_DIR;
    session.workDir = work.path();
    main.startUp(kClockNoon);
    main.show();
  }
  void choose(const char* body, const char* parameter) {
    main.findChild<QComboBox*>("cboOption")->setCurrentText(body);
    main.findChild<QComboBox*>("cboOption2")->setCurrentText(parameter);
  }
  RecordingMessageSink sink;
  Session session;
  testing::TempDir work;
  frmMain main{session};
};

TEST(GraphWindow, EveryPictureDrawsIntoItsImage) {
  Window w;
  // By criterion: the photometric model sees the crescent of 11 March 2024
  // at Jerusalem all evening, and no graph is drawn for a Moon in view for
  // an extended period.
  w.session.options.intMoonCalc = kMoonCalcByCriterion;
  struct Case {
    const char* parameter;
    int16_t plotMode;
    int32_t kind;
  } cases[] = {{"Probability", 0, 3}, {"Light curve", 0, 4}, {"Finder chart", 0, 0}, {"Finder chart", 1, 1},
               {"Finder chart", 2, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameter + std::to_string(c.plotMode));
    w.session.options.intPlotMode = c.plotMode;
    w.choose("Moon", "Rise");
    w.choose("Moon", c.parameter);
    frmGraph* graph = w.main.graphWindow();
    ASSERT_TRUE(graph->isVisible());
    const udtCurves& curves = graph->curves();
    ASSERT_EQ(curves.request.intGraphKind, c.kind);
    ASSERT_TRUE(curves.hasCurve()) << curves.strMessage;
    QImage image(900, 600, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      graph->drawOn(painter, QRectF(0, 0, 900, 600), false);
    }
    EXPECT_EQ(image.size(), QSize(900, 600));
    // Not blank: many dark pixels (axes, text, curves) and several colours.
    int dark = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
      for (int x = 0; x < image.width(); x += 3) {
        dark += qGray(image.pixel(x, y)) < 110;
        colours.insert(image.pixel(x, y));
      }
    EXPECT_GT(dark, 300);
    EXPECT_GT(colours.size(), 8);
    EXPECT_EQ(graph->findChild<QLabel*>("lblGraph")->text().toStdString(),
              c.kind == 1 ? kLegendTwoClasses : kLegendThreeClasses);
    // The sketch speaks of the evening to come, the other graphs in the present.
    EXPECT_EQ(w.session.blnPresentTense, c.kind != 1);
    if (c.kind == 1) {
      EXPECT_NE(w.main.model().labels.lblOutput3.find(" will be "), std::string::npos);
    }
  }
  // A result that is not a graph closes the window.
  w.choose("Moon", "Rise");
  EXPECT_FALSE(w.main.graphWindow()->isVisible());
}

TEST(GraphWindow, TooSmallAndPrinted) {
  Window w;
  w.choose("Moon", "Probability");
  frmGraph* graph = w.main.graphWindow();
  ASSERT_TRUE(graph->isVisible());
  graph->resize(16, 400);  // 240 twips at 96 dots per inch: not wider than 270
  EXPECT_TRUE(graph->tooSmall());
  graph->resize(700, 500);
  EXPECT_FALSE(graph->tooSmall());
  EXPECT_TRUE(graph->findChild<QLabel*>("lblGraph")->isVisible());

  // The report, the legend and the graph on one page of a PDF.
  QTemporaryDir dir;
  const QString file = dir.filePath("page.pdf");
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  w.main.printTo(printer);
  std::ifstream in(file.toStdString(), std::ios::binary);
  const std::string pdf{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
  size_t pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    pages += pdf.compare(at, 12, "/Type /Pages") != 0;
  EXPECT_EQ(pages, 1u);
  EXPECT_GT(pdf.size(), 20000u);  // text and a drawn graph, not an empty page
}

}  // namespace
}  // namespace nemora
