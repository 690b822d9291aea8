// The map window: the Moon's "Visibility map" opens it and starts the map,
// which is cell for cell the command line's map of the same inputs, Cancel
// stops the workers promptly, a finished map is drawn at the
// window's size and saved as a picture, and the window's texts follow the
// session's language.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPushButton>
#include <QTimer>

#include "app/gui/frmMain.h"
#include "app/gui/frmMap.h"
#include "app/session.h"
#include "base/messages.h"
#include "tests/cli/cli_runner.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// 10 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45361.5;

// Runs the event loop until the window says it has finished (false after
// two minutes without).
bool waitFinished(frmMap& window) {
  QEventLoop loop;
  bool done = false;
  auto c = QObject::connect(&window, &frmMap::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  QTimer::singleShot(120000, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(c);
  return done;
}

TEST(MapWindow, OpensFromTheMoonsParameterCancelsComputesAndSaves) {
  RecordingMessageSink sink;
  Session session{sink};
  testing::TempDir work;
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.workDir = work.path();
  frmMain main{session};
  main.startUp(kClockNoon);
  main.show();
  sink.clear();  // no last location: the default one, and its message
  frmMap& map = *main.mapWindow();
  EXPECT_FALSE(map.isVisible());

  // Choosing the parameter opens the window on the whole world at one
  // degree. A map asked for meanwhile (ten degrees: 648 cells) replaces it;
  // nothing of the first one reaches the window afterwards.
  ASSERT_TRUE(main.chooseReport("Moon", "Visibility map"));
  EXPECT_TRUE(map.isVisible());
  EXPECT_TRUE(map.running());
  ASSERT_TRUE(map.follow(10));
  ASSERT_TRUE(waitFinished(map));
  QApplication::processEvents();
  const VisibilityMap& m = map.map();
  ASSERT_TRUE(m.blnComplete);
  ASSERT_EQ(m.cells.size(), 648u);
  // The evening of the young Moon (conjunction that morning): none failed,
  // most with a class.
  EXPECT_TRUE(m.request.blnEvening);
  size_t values = 0, failed = 0;
  for (const MapCell& c : m.cells) {
    values += c.kind == CellKind::Value;
    failed += c.kind == CellKind::Failed;
  }
  EXPECT_GT(values, 200u);
  EXPECT_EQ(failed, 0u);
  // Every cell as the command line's map of the same day at the same
  // (default) place gives it: value and class.
  const testing::CliRun cli = testing::runCli("--date 2024-03-10 --time 12:00 map --step 10 --out -");
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(cli.out, mapCsv(m));
  EXPECT_TRUE(map.findChild<QPushButton*>("cmdSave")->isEnabled());
  // The same inputs do not start the map again.
  ASSERT_TRUE(map.follow(10));
  EXPECT_FALSE(map.running());

  // Cancel stops the world at one degree long before its 64800 cells are
  // done; a map cut short cannot be saved.
  ASSERT_TRUE(map.follow(1));
  EXPECT_TRUE(map.running());
  QElapsedTimer clock;
  clock.start();
  map.findChild<QPushButton*>("cmdCancel")->click();
  ASSERT_TRUE(waitFinished(map));
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_FALSE(map.running());
  EXPECT_FALSE(map.map().blnComplete);
  EXPECT_FALSE(map.findChild<QPushButton*>("cmdSave")->isEnabled());
  EXPECT_FALSE(map.savePicture(QString::fromStdString((work.path() / "cut.png").string())));
  ASSERT_TRUE(map.follow(10));
  ASSERT_TRUE(waitFinished(map));
  ASSERT_TRUE(map.map().blnComplete);

  // The picture follows the window's size.
  QWidget* picture = map.findChild<QWidget*>("picMap");
  map.resize(1200, 820);
  QApplication::processEvents();
  const int wide = picture->width();
  map.resize(700, 500);
  QApplication::processEvents();
  EXPECT_LT(picture->width(), wide);

  // Saved as a picture of the map's own size; a folder that cannot be
  // written is named in the message.
  const auto png = work.path() / "map.png";
  ASSERT_TRUE(map.savePicture(QString::fromStdString(png.string())));
  QImage image(QString::fromStdString(png.string()));
  EXPECT_EQ(image.width(), 1600);
  EXPECT_FALSE(map.savePicture(QString::fromStdString((work.path() / "missing" / "map.png").string())));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_NE(sink.messages[0].find("missing"), std::string::npos) << sink.messages[0];

  // Hebrew: the window's own texts.
  session.intLanguage = 1;
  map.followLanguage();
  EXPECT_EQ(map.windowTitle(), QString::fromUtf8("מפת נראות הסהר"));
  EXPECT_EQ(map.findChild<QPushButton*>("cmdCancel")->text(), QString::fromUtf8("ביטול"));
  EXPECT_EQ(map.layoutDirection(), Qt::RightToLeft);
}

}  // namespace
}  // namespace nemora
