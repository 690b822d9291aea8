// The weather dialog opens with its controls, enables the boxes its basis
// uses, and moves text between its controls and its model.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/messages.h"
#include "app/session.h"
#include "app/gui/frmWeather.h"

namespace nemora {
namespace {

template <class W>
W* control(QWidget& dialog, const char* name) {
  auto* w = dialog.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

const char* const kMeans[] = {"txtTM", "txtPM", "txtHM"};
const char* const kRanges[] = {"txtTD", "txtTA", "txtPD", "txtPA", "txtHD", "txtHA"};

void expectEnabled(QWidget& dialog, bool means, bool ranges) {
  for (const char* name : kMeans) EXPECT_EQ(control<QLineEdit>(dialog, name)->isEnabled(), means) << name;
  for (const char* name : kRanges) EXPECT_EQ(control<QLineEdit>(dialog, name)->isEnabled(), ranges) << name;
}

TEST(WeatherDialog, OpensWithEveryControlAndEnablesTheBoxesOfTheBasis) {
  RecordingMessageSink sink;
  Session session{sink};
  frmWeather dialog{session};
  dialog.show();

  EXPECT_EQ(dialog.windowTitle(), "Weather");
  const std::pair<const char*, const char*> captions[] = {
      {"lblTemperature", "Temperature (°C)"}, {"lblPressure", "Pressure (mbar)"}, {"lblHumidity", "Humidity (%)"},
      {"lblMean", "Mean"}, {"lblDaily", "Daily range"}, {"lblAnnual", "Annual range"}, {"lblBasis", "Basis"}};
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(control<QLabel>(dialog, name)->text(), QString::fromUtf8(caption)) << name;
  auto* cboBasis = control<QComboBox>(dialog, "cboBasis");
  ASSERT_EQ(cboBasis->count(), 4);
  const char* names[] = {"Global", "Local", "Manual", "Fixed"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cboBasis->itemText(i), names[i]);
  EXPECT_EQ(cboBasis->currentIndex(), 1);
  const std::pair<const char*, const char*> values[] = {{"txtTM", "16"},    {"txtTD", "8.9"},  {"txtTA", "8.6"},
                                                        {"txtPM", "923.4"}, {"txtPD", "0"},    {"txtPA", "-5.9"},
                                                        {"txtHM", "68.5"},  {"txtHD", "-18"},  {"txtHA", "20.1"}};
  for (const auto& [name, value] : values) EXPECT_EQ(control<QLineEdit>(dialog, name)->text(), value) << name;
  EXPECT_EQ(control<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");

  expectEnabled(dialog, false, false);
  cboBasis->setCurrentIndex(2);
  expectEnabled(dialog, true, true);
  cboBasis->setCurrentIndex(3);
  expectEnabled(dialog, true, false);
  cboBasis->setCurrentIndex(0);
  expectEnabled(dialog, false, false);
}

TEST(WeatherDialog, OkChecksAndStoresCancelLeavesAlone) {
  RecordingMessageSink sink;
  Session session{sink};
  {
    frmWeather dialog{session};
    dialog.show();
    control<QComboBox>(dialog, "cboBasis")->setCurrentIndex(2);
    control<QLineEdit>(dialog, "txtTM")->setText("warm");
    control<QLineEdit>(dialog, "txtHD")->setText("200");
    control<QPushButton>(dialog, "cmdOK")->click();
    EXPECT_EQ(sink.last(), "Daily humidity range out of range");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(session.udtWeather, udtWeather{});

    control<QLineEdit>(dialog, "txtTM")->setText("20");
    control<QLineEdit>(dialog, "txtHD")->setText("-20");
    control<QPushButton>(dialog, "cmdOK")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.blnOK());
    EXPECT_EQ(session.udtWeather, (udtWeather{kWeatherManual, 20, 8.9, 8.6, 923.4, 0, -5.9, 68.5, -20, 20.1}));
  }
  {
    frmWeather dialog{session};
    dialog.show();
    EXPECT_EQ(control<QComboBox>(dialog, "cboBasis")->currentIndex(), 2);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtTM")->text(), "20");
    control<QComboBox>(dialog, "cboBasis")->setCurrentIndex(0);
    control<QPushButton>(dialog, "cmdCancel")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.blnOK());
    EXPECT_EQ(session.udtWeather.udtBasis, kWeatherManual);
  }
}

}  // namespace
}  // namespace nemora
