// The location dialog opens with its controls, follows a country choice and
// stores the chosen place on OK.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "base/messages.h"
#include "app/session.h"
#include "app/gui/frmLocation.h"

namespace nemora {
namespace {

template <class W>
W* control(QWidget& dialog, const char* name) {
  auto* w = dialog.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(LocationDialog, OpensWithEveryControlAndStoresAChosenPlace) {
  RecordingMessageSink sink;
  Session session{sink};
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.workDir = NEMORA_SOURCE_DATA_DIR "/no-such-folder";
  session.locations.GetLocationData();
  session.currentLocation.GetLastLocation(738000.5, "Curloc.txt");  // falls back to Curloc.bak
  sink.clear();

  frmLocation dialog{session};
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Location");
  auto* cboCountry = control<QComboBox>(dialog, "cboCountry");
  EXPECT_EQ(cboCountry->currentText(), "Israel");
  EXPECT_EQ(control<QComboBox>(dialog, "cboCity")->currentText(), "Jerusalem");
  EXPECT_EQ(control<QComboBox>(dialog, "cboNeighborhood")->currentText(), "Center");
  for (const char* name : {"txtLat", "txtLong", "txtLatDeg", "txtLatMin", "txtLatSec", "txtLongDeg", "txtLongMin",
                           "txtLongSec", "txtHeight", "txtTZ", "txtTZH", "txtTZM"})
    control<QLineEdit>(dialog, name);
  EXPECT_EQ(control<QLineEdit>(dialog, "txtLat")->text(), "31.782");
  EXPECT_TRUE(control<QLineEdit>(dialog, "txtLat")->isVisible());
  EXPECT_FALSE(control<QLineEdit>(dialog, "txtLatDeg")->isVisible());
  EXPECT_EQ(control<QLineEdit>(dialog, "txtHeight")->text(), "780");
  const std::pair<const char*, const char*> options[] = {
      {"optNorth", "North"}, {"optSouth", "South"},         {"optEast", "East"},     {"optWest", "West"},
      {"optAhead", "Ahead of UT"}, {"optBehind", "Behind UT"}, {"optST", "ST"},      {"optDST", "DST"},
      {"optAuto", "AutoTZ"}, {"optManual", "Manual"},       {"optDeg", "Degs/Hours only"}};
  for (const auto& [name, caption] : options) EXPECT_EQ(control<QRadioButton>(dialog, name)->text(), caption);
  control<QRadioButton>(dialog, "optDMS");
  for (const char* name : {"optNorth", "optEast", "optAhead", "optST", "optAuto", "optDeg"})
    EXPECT_TRUE(control<QRadioButton>(dialog, name)->isChecked()) << name;
  EXPECT_EQ(control<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");

  // Degrees, minutes and seconds show the other boxes.
  control<QRadioButton>(dialog, "optDMS")->click();
  EXPECT_TRUE(control<QLineEdit>(dialog, "txtLatDeg")->isVisible());
  EXPECT_FALSE(control<QLineEdit>(dialog, "txtLat")->isVisible());
  EXPECT_TRUE(session.blnDMSDisplay);
  control<QRadioButton>(dialog, "optDeg")->click();

  int india = cboCountry->findText("India");
  ASSERT_GE(india, 0);
  cboCountry->setCurrentIndex(india);
  emit cboCountry->activated(india);
  EXPECT_EQ(control<QComboBox>(dialog, "cboCity")->currentText(), "Delhi");
  EXPECT_EQ(control<QLineEdit>(dialog, "txtTZ")->text(), "5.5");
  EXPECT_EQ(control<QLineEdit>(dialog, "txtLat")->text(), "28.6139");

  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_TRUE(dialog.blnOK());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.udtLocation.strCountry, "India");
  EXPECT_EQ(session.udtLocation.strCity, "Delhi");
  EXPECT_TRUE(sink.messages.empty());

  // The search box lists towns as the user types; a click chooses one.
  frmLocation again{session};
  again.show();
  auto* find = control<QLineEdit>(again, "txtFind");
  find->setText("cape t");
  emit find->textEdited(find->text());
  auto* found = control<QListWidget>(again, "lstFound");
  ASSERT_GT(found->count(), 0);
  EXPECT_EQ(found->item(0)->text(), "Cape Town, South Africa");
  EXPECT_EQ(find->text(), "cape t");
  emit found->itemClicked(found->item(0));
  EXPECT_EQ(control<QComboBox>(again, "cboCountry")->currentText(), "South Africa");
  EXPECT_EQ(control<QComboBox>(again, "cboCity")->currentText(), "Cape Town");
  control<QPushButton>(again, "cmdOK")->click();
  EXPECT_EQ(session.udtLocation.strCity, "Cape Town");
  EXPECT_TRUE(sink.messages.empty());
}

TEST(LocationDialog, ShowsTheFailuresOfOkAndStaysOpen) {
  RecordingMessageSink sink;
  Session session{sink};
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.workDir = NEMORA_SOURCE_DATA_DIR "/no-such-folder";
  session.locations.GetLocationData();
  session.currentLocation.GetLastLocation(738000.5, "Curloc.txt");
  sink.clear();
  frmLocation dialog{session};
  dialog.show();
  control<QLineEdit>(dialog, "txtHeight")->setText("high");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_EQ(sink.last(), "Error in location.\nHeight above sea level must be a number.");
  EXPECT_TRUE(dialog.isVisible());
  control<QPushButton>(dialog, "cmdCancel")->click();
  EXPECT_FALSE(dialog.blnOK());
  EXPECT_EQ(session.udtLocation.dblHeight, 780);
}

}  // namespace
}  // namespace nemora
