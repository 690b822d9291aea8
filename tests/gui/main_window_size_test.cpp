// The main window grows with its results and remembers its size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QSettings>

#include "app/gui/frmMain.h"
#include "base/messages.h"
#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// 15 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45366.5;

struct SizedWindow {
  RecordingMessageSink sink;
  Session session{sink};
  testing::TempDir work;
  frmMain window{session};
  SizedWindow() {
    session.dataDir = NEMORA_SOURCE_DATA_DIR;
    session.workDir = work.path();
    window.startUp(kClockNoon);
  }
};

TEST(MainWindowSize, ResizesAboveItsMinimumAndTheResultTakesTheRoom) {
  SizedWindow w;
  w.window.show();
  auto* result = w.window.findChild<QScrollArea*>("scrOutput3");
  ASSERT_NE(result, nullptr);
  ASSERT_NE(w.window.findChild<QLabel*>("lblOutput3"), nullptr);
  w.window.resize(800, 600);
  QApplication::processEvents();
  const int small = result->height();
  w.window.resize(1400, 1000);
  QApplication::processEvents();
  EXPECT_EQ(w.window.size(), QSize(1400, 1000));
  // Nearly all of the 400 pixels gained go to the result.
  EXPECT_GT(result->height() - small, 300);
  w.window.resize(100, 100);
  QApplication::processEvents();
  EXPECT_GE(w.window.width(), 600);
  EXPECT_GE(w.window.height(), 480);
  EXPECT_GE(w.window.findChild<QLabel*>("lblOutput3")->font().pointSizeF(), 11.0);
}

TEST(MainWindowSize, SizeAndPositionAreRememberedBetweenRuns) {
  testing::TempDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings.path().string()));
  {
    SizedWindow w;
    w.window.rememberGeometry();
    w.window.show();
    w.window.resize(1000, 750);
    QApplication::processEvents();
    w.window.close();
  }
  SizedWindow next;
  next.window.rememberGeometry();
  EXPECT_EQ(next.window.size(), QSize(1000, 750));
}

}  // namespace
}  // namespace nemora
