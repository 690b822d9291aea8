// The window of the analysis of recorded sightings: it analyses a file on
// worker threads, shows the score card and writes it to Output.txt, and its
// Cancel stops a run.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QEventLoop>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "app/gui/frmSightings.h"
#include "base/messages.h"
#include "app/session.h"
#include "plot/sightings_painter.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// Runs the event loop until the window says it has finished (false after a
// minute without).
bool waitFinished(frmSightings& window) {
  QEventLoop loop;
  bool done = false;
  auto c = QObject::connect(&window, &frmSightings::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(c);
  return done;
}

TEST(SightingsWindow, AnalysesAFileAndWritesOutputTxt) {
  testing::TempDir dir;
  RecordingMessageSink sink;
  Session session{sink};
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.workDir = dir.path();
  // Two evenings at Athens in 1861 from Yallop's records: the crescent 1.1
  // days old not seen, 2.2 days old seen.
  auto file = dir.write("two.csv",
                        "date,lat,lon,seen\n"
                        "1861-08-07,38,23.7,no\n"
                        "1861-08-08,38,23.7,yes\n");
  frmSightings window{session};
  window.show();
  window.analyse(QString::fromStdString(file.string()));
  ASSERT_TRUE(waitFinished(window));
  EXPECT_FALSE(window.running());
  const QString text = window.findChild<QPlainTextEdit*>("txtScores")->toPlainText();
  EXPECT_TRUE(text.contains("Naked eye: 2 records, 1 seen")) << text.toStdString();
  EXPECT_EQ(window.findChild<QProgressBar*>("prgProgress")->value(), 1000);
  std::ifstream out(dir.path() / "Output.txt");
  std::stringstream written;
  written << out.rdbuf();
  EXPECT_EQ(QString::fromStdString(written.str()), text);
  EXPECT_TRUE(sink.messages.empty());
  // The reliability plot has its own page and draws the analysis: not the
  // empty plot of no records.
  auto* tabs = window.findChild<QTabWidget*>("tabSightings");
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(2), "Reliability");
  tabs->setCurrentIndex(2);
  QImage drawn = window.findChild<QWidget*>("picReliability")->grab().toImage();
  QImage empty(drawn.size(), drawn.format());
  empty.fill(Qt::white);
  {
    QPainter p(&empty);
    plot::drawReliability(p, QRectF(empty.rect()), ReliabilityData{});
  }
  EXPECT_NE(drawn, empty);

  // Cancel stops a run of the bundled records; what was done is scored.
  window.analyse(frmSightings::bundledFile(session));
  EXPECT_TRUE(window.running());
  window.findChild<QPushButton*>("cmdCancel")->click();
  ASSERT_TRUE(waitFinished(window));
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("txtScores")->toPlainText().contains("cancelled"));

  // A run asked for while another runs replaces it: the first one's end
  // neither blocks the window nor empties the second one's scores.
  window.analyse(frmSightings::bundledFile(session));
  window.analyse(QString::fromStdString(file.string()));
  ASSERT_TRUE(waitFinished(window));
  QEventLoop settle;  // anything still posted by the first run arrives
  QTimer::singleShot(300, &settle, &QEventLoop::quit);
  settle.exec();
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("txtScores")->toPlainText().contains("Naked eye: 2 records, 1 seen"));

  // A file that cannot be read says so in place of the scores.
  window.analyse(QString::fromStdString((dir.path() / "missing.csv").string()));
  ASSERT_TRUE(waitFinished(window));
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("txtScores")->toPlainText().startsWith("Cannot open"));
}

}  // namespace
}  // namespace nemora
