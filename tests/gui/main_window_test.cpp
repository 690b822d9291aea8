#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "app/gui/frmMain.h"
#include "base/messages.h"
#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

// 15 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45366.5;

struct WindowFixture : ::testing::Test {
  RecordingMessageSink sink;
  Session session{sink};
  testing::TempDir work;
  frmMain window{session};
  WindowFixture() {
    session.dataDir = NEMORA_SOURCE_DATA_DIR;
    session.workDir = work.path();
    window.startUp(kClockNoon);
  }
  template <class W>
  W* control(const char* name) {
    auto* w = window.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
};

TEST_F(WindowFixture, OpensWithItsCaptionAndEveryControl) {
  window.show();
  EXPECT_EQ(window.windowTitle(), "Nemora 3.1");
  EXPECT_EQ(control<QGroupBox>("fraInput")->title(), "Input");
  EXPECT_EQ(control<QGroupBox>("fraOutput")->title(), "Output");
  for (const char* name : {"lblDate", "lblTime", "lblLocation", "lblWeather", "lblObserver", "lblCriterion",
                           "lblOption", "lblOption2", "lblOutput3"})
    control<QLabel>(name);
  for (const char* name : {"cmdChangeDate", "cmdChangeTime", "cmdChangeLocation", "cmdChangeWeather", "cmdObserver",
                           "cmdCriterion"})
    EXPECT_EQ(control<QPushButton>(name)->text(), "Change") << name;
  const std::pair<const char*, const char*> captions[] = {
      {"cmdOptions", "Options"}, {"cmdHelp", "Help"},       {"cmdPrint", "Print"},
      {"cmdSave", "Save to out.txt"}, {"cmdTable", "Make table"}, {"cmdT", "Test"}, {"cmdRand", "Random Test"}};
  for (const auto& [name, caption] : captions) EXPECT_EQ(control<QPushButton>(name)->text(), caption);
  EXPECT_FALSE(control<QPushButton>("cmdCRight")->text().isEmpty());
  EXPECT_EQ(control<QRadioButton>("optConvert")->text(), "Convert Date");
  EXPECT_EQ(control<QRadioButton>("optBody")->text(), "Moon, Sun, Planets");

  // The table and random test buttons are hidden; the others are shown.
  EXPECT_TRUE(control<QPushButton>("cmdT")->isVisible());
  EXPECT_FALSE(control<QPushButton>("cmdTable")->isVisible());
  EXPECT_FALSE(control<QPushButton>("cmdRand")->isVisible());
  EXPECT_TRUE(control<QPushButton>("cmdSave")->isVisible());
}

TEST_F(WindowFixture, ListsFollowTheMode) {
  window.show();
  auto* cboOption = control<QComboBox>("cboOption");
  auto* cboOption2 = control<QComboBox>("cboOption2");
  // Start-up: body mode, the Moon and "Visibility by criterion".
  EXPECT_TRUE(control<QRadioButton>("optBody")->isChecked());
  EXPECT_EQ(cboOption->currentText(), "Moon");
  EXPECT_EQ(cboOption2->currentText(), "Visibility by criterion");
  EXPECT_EQ(cboOption2->count(), 17);  // the ten common, six of the crescent and the visibility map
  EXPECT_EQ(cboOption2->itemText(16), "Visibility map");

  // A planet has no Moon parameters: the choice falls back to equatorial coordinates.
  cboOption->setCurrentIndex(2);
  EXPECT_EQ(cboOption2->count(), 10);
  EXPECT_EQ(cboOption2->currentText(), "Equatorial coordinates");

  control<QRadioButton>("optConvert")->setChecked(true);
  EXPECT_EQ(control<QLabel>("lblOption")->text(), "Date type");
  EXPECT_EQ(cboOption->count(), 8);
  EXPECT_EQ(cboOption->currentText(), "Gregorian");
  EXPECT_EQ(cboOption2->currentText(), "Local");
  EXPECT_TRUE(cboOption2->isVisible());
  EXPECT_EQ(control<QLabel>("lblOutput3")->text(), "Friday 15th March 2024 Gregorian 12:00:00 Local Time");
  // Day-number types have no time scale.
  cboOption->setCurrentIndex(1);
  EXPECT_FALSE(cboOption2->isVisible());
  EXPECT_EQ(control<QLabel>("lblOutput3")->text(), "2460384.91666667 JD");
  cboOption->setCurrentIndex(5);
  EXPECT_TRUE(cboOption2->isVisible());
  EXPECT_EQ(cboOption2->currentText(), "Local");
  cboOption2->setCurrentIndex(0);
  EXPECT_EQ(control<QLabel>("lblOutput3")->text(), "Friday 2nd March 2024 CE Julian 10:00:00 UTC");
}

TEST_F(WindowFixture, InputLabelsShowTheEvaluatedInputs) {
  EXPECT_EQ(control<QLabel>("lblDate")->text(), "Date: Friday 15th March 2024 Gregorian");
  EXPECT_EQ(control<QLabel>("lblTime")->text(), "Time: 12:00:00 Local Time");
  EXPECT_TRUE(control<QLabel>("lblLocation")->text().startsWith("Location: Center, Jerusalem, Israel"));
  EXPECT_TRUE(control<QLabel>("lblWeather")->text().startsWith("Weather Basis "));
  EXPECT_EQ(control<QLabel>("lblCriterion")->text(), "Criterion: Yallop");
}

TEST_F(WindowFixture, HebrewAndTrueSolarDatesAndTheSunsRise) {
  window.show();
  const size_t startUpMessages = sink.messages.size();  // no Curloc.txt in the working folder
  auto* cboOption = control<QComboBox>("cboOption");
  auto* cboOption2 = control<QComboBox>("cboOption2");
  auto* output = control<QLabel>("lblOutput3");
  // The Sun's rise over the three horizons.
  cboOption->setCurrentIndex(0);
  cboOption2->setCurrentText("Rise");
  // Sunrise at 5:49 local time (UTC+2) in the published tables.
  EXPECT_TRUE(output->text().startsWith("Geometric Sunrise Friday 15th March 2024 Gregorian 05:5"))
      << output->text().toStdString();
  EXPECT_TRUE(output->text().contains("\nApparent Sunrise over flat horizon 05:49 ")) << output->text().toStdString();
  EXPECT_TRUE(output->text().contains("\nApparent Sunrise over sea level horizon ")) << output->text().toStdString();
  // Noon on 15 March 2024 is 5 Adar 2 5784; 10:00 UT is 12:20:53 mean solar
  // time at 35.22 E, and the equation of time is about -9 minutes.
  window.chooseConvertMode();
  cboOption->setCurrentText("Hebrew");
  cboOption2->setCurrentText("True Solar");
  EXPECT_TRUE(output->text().startsWith("Friday 5th Adar 2 5784 Hebrew 12:1")) << output->text().toStdString();
  EXPECT_EQ(sink.messages.size(), startUpMessages);
}

TEST_F(WindowFixture, HebrewResultsReadFromTheRight) {
  session.intLanguage = 1;
  window.chooseConvertMode();
  auto* output = control<QLabel>("lblOutput3");
  Qt::Alignment shown = QStyle::visualAlignment(output->layoutDirection(), output->alignment());
  EXPECT_TRUE(shown & Qt::AlignRight);
  session.intLanguage = 0;
  control<QComboBox>("cboOption")->setCurrentIndex(5);
  shown = QStyle::visualAlignment(output->layoutDirection(), output->alignment());
  EXPECT_TRUE(shown & Qt::AlignLeft);
}

TEST_F(WindowFixture, SaveWritesOutTxtInTheWorkingFolder) {
  control<QPushButton>("cmdSave")->click();
  EXPECT_TRUE(std::filesystem::exists(work.path() / "out.txt"));
}

}  // namespace
}  // namespace nemora
