// The Moon's "Probability" parameter in the main window, in Hebrew.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QStyle>

#include "app/gui/frmMain.h"
#include "base/messages.h"
#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// 11 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45362.5;

TEST(FirstVisibleWindow, MoonProbabilityInHebrew) {
  RecordingMessageSink sink;
  Session session{sink};
  testing::TempDir work;
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.workDir = work.path();
  frmMain window{session};
  window.startUp(kClockNoon);
  session.intLanguage = 1;
  window.show();
  auto* body = window.findChild<QComboBox*>("cboOption");
  auto* parameter = window.findChild<QComboBox*>("cboOption2");
  auto* output = window.findChild<QLabel*>("lblOutput3");
  ASSERT_TRUE(body && parameter && output);
  body->setCurrentText("Moon");
  parameter->setCurrentText("Probability");
  const QString text = output->text();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("הירח ב-"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("נראה לראשונה"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("הסתברות הנראות: "))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8(" של עדות: "))) << text.toStdString();
  Qt::Alignment shown = QStyle::visualAlignment(output->layoutDirection(), output->alignment());
  EXPECT_TRUE(shown & Qt::AlignRight);
}

}  // namespace
}  // namespace nemora
