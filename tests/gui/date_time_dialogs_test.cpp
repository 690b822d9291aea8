// The date and time dialogs open with their controls and move text between
// the controls and their entry models.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "base/messages.h"
#include "app/session.h"
#include "app/gui/frmDate.h"
#include "app/gui/frmTime.h"

namespace nemora {
namespace {

template <class W>
W* control(QWidget& dialog, const char* name) {
  auto* w = dialog.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(DateDialog, OpensWithEveryControlAndStoresOnOk) {
  RecordingMessageSink sink;
  Session session{sink};
  session.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
  frmDate dialog{session};
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Date");
  const std::pair<const char*, const char*> labels[] = {
      {"lblType", "Date Type"}, {"lblDayNo", "Day number"}, {"lblDate", "Date of month"},
      {"lblMonth", "Month"},    {"lblYear", "Year"}};
  for (const auto& [name, caption] : labels) EXPECT_EQ(control<QLabel>(dialog, name)->text(), caption);
  auto* cboType = control<QComboBox>(dialog, "cboType");
  auto* cboMonth = control<QComboBox>(dialog, "cboMonth");
  auto* txtDate = control<QLineEdit>(dialog, "txtDate");
  auto* txtYear = control<QLineEdit>(dialog, "txtYear");
  auto* txtDayNo = control<QLineEdit>(dialog, "txtDayNo");
  EXPECT_EQ(cboType->count(), 8);
  EXPECT_EQ(cboType->currentText(), "Gregorian");
  EXPECT_EQ(cboMonth->currentText(), "January");
  EXPECT_EQ(txtDate->text(), "1");
  EXPECT_EQ(txtYear->text(), "2024");
  EXPECT_EQ(control<QRadioButton>(dialog, "optCE")->text(), "CE");
  EXPECT_EQ(control<QRadioButton>(dialog, "optBCE")->text(), "BCE");
  EXPECT_TRUE(control<QRadioButton>(dialog, "optCE")->isChecked());
  EXPECT_EQ(control<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");
  EXPECT_FALSE(txtDayNo->isEnabled());
  EXPECT_TRUE(txtDate->isEnabled());

  // A Hebrew date has 13 months; a day count disables the calendar boxes.
  cboType->setCurrentIndex(dtHebrew);
  EXPECT_EQ(cboMonth->count(), 13);
  EXPECT_EQ(cboMonth->itemText(12), "Adar 2");
  cboType->setCurrentIndex(dtFixed);
  EXPECT_TRUE(txtDayNo->isEnabled());
  EXPECT_FALSE(cboMonth->isEnabled());

  // An invalid date shows the message and keeps the dialog open.
  cboType->setCurrentIndex(dtGregorian);
  txtYear->setText("abc");
  txtDate->setText("32");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], "Date cannot be valid\nYear must be a number.\nDate of month must be between 0 and 31.");

  txtYear->setText("2009");
  txtDate->setText("9");
  cboMonth->setCurrentIndex(5);
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.udtDateIn.intMonth, 6);
  EXPECT_EQ(session.dblFixDate, 733567);
}

TEST(DateDialog, CancelAndClosing) {
  RecordingMessageSink sink;
  Session session{sink};
  session.udtDateIn = calendarDate(dtGregorian, 2024, 1, 1);
  {
    frmDate dialog{session};
    dialog.show();
    control<QLineEdit>(dialog, "txtYear")->setText("1999");
    control<QPushButton>(dialog, "cmdCancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(session.udtDateIn.intYear, 2024);
  }
  {
    frmDate dialog{session};
    dialog.show();
    control<QLineEdit>(dialog, "txtYear")->setText("x");
    EXPECT_FALSE(dialog.close());  // acts as OK, and the date is invalid
    EXPECT_TRUE(dialog.isVisible());
    control<QLineEdit>(dialog, "txtYear")->setText("1999");
    EXPECT_TRUE(dialog.close());
    EXPECT_EQ(session.udtDateIn.intYear, 1999);
  }
}

TEST(TimeDialog, OpensWithEveryControlAndStoresOnOk) {
  RecordingMessageSink sink;
  Session session{sink};
  session.udtTimeIn.enmTimeType = ttLocal;
  session.udtTimeIn.udtDms = udtDms{18, 5, 0, true};
  frmTime dialog{session};
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Time");
  const std::pair<const char*, const char*> labels[] = {
      {"lblTimeType", "Time Type"}, {"lblHours", "Hours"}, {"lblMinutes", "Minutes"}, {"lblSeconds", "Seconds"}};
  for (const auto& [name, caption] : labels) EXPECT_EQ(control<QLabel>(dialog, name)->text(), caption);
  const std::pair<const char*, const char*> options[] = {{"opt24Hr", "24 hr"}, {"optAmPm", "am/pm"},
                                                         {"optAM", "a.m."},    {"optPM", "p.m."},
                                                         {"opt1", "1st time"}, {"opt2", "2nd time"}};
  for (const auto& [name, caption] : options) EXPECT_EQ(control<QRadioButton>(dialog, name)->text(), caption);
  for (const char* name : {"fra24Hr", "fraAMPM", "fraNTime"}) control<QGroupBox>(dialog, name);
  auto* cboTimeType = control<QComboBox>(dialog, "cboTimeType");
  EXPECT_EQ(cboTimeType->count(), 7);
  EXPECT_EQ(cboTimeType->currentText(), "Local");
  EXPECT_EQ(control<QLineEdit>(dialog, "txtHours")->text(), "18");
  EXPECT_EQ(control<QLineEdit>(dialog, "txtMinutes")->text(), "5");
  EXPECT_EQ(control<QLineEdit>(dialog, "txtSeconds")->text(), "0");
  EXPECT_TRUE(control<QRadioButton>(dialog, "opt24Hr")->isChecked());
  EXPECT_FALSE(control<QGroupBox>(dialog, "fraAMPM")->isEnabled());

  // Seasonal hours: night and day halves, no clock choice.
  cboTimeType->setCurrentIndex(ttSeasonal);
  EXPECT_EQ(control<QRadioButton>(dialog, "optAM")->text(), "Night");
  EXPECT_EQ(control<QRadioButton>(dialog, "optPM")->text(), "Day");
  EXPECT_FALSE(control<QGroupBox>(dialog, "fra24Hr")->isEnabled());
  EXPECT_TRUE(control<QGroupBox>(dialog, "fraAMPM")->isEnabled());

  cboTimeType->setCurrentIndex(ttUTC);
  control<QLineEdit>(dialog, "txtHours")->setText("7.5");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(sink.last(), "Time cannot be valid\nHours must be an integer.");

  control<QLineEdit>(dialog, "txtHours")->setText("7");
  control<QRadioButton>(dialog, "optAmPm")->setChecked(true);
  EXPECT_TRUE(control<QGroupBox>(dialog, "fraAMPM")->isEnabled());
  control<QRadioButton>(dialog, "optPM")->setChecked(true);
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session.udtTimeIn.enmTimeType, ttUTC);
  EXPECT_FALSE(session.udtTimeIn.bln24Hour);
  EXPECT_TRUE(session.udtTimeIn.blnPM);
  EXPECT_EQ(session.udtTimeIn.udtDms.intDegreesHours, 7);
}

TEST(TimeDialog, CancelAndClosing) {
  RecordingMessageSink sink;
  Session session{sink};
  {
    frmTime dialog{session};
    dialog.show();
    control<QLineEdit>(dialog, "txtHours")->setText("5");
    control<QPushButton>(dialog, "cmdCancel")->click();
    EXPECT_EQ(session.udtTimeIn.udtDms.intDegreesHours, 0);
  }
  {
    frmTime dialog{session};
    dialog.show();
    control<QLineEdit>(dialog, "txtHours")->setText("5");
    EXPECT_TRUE(dialog.close());
    EXPECT_EQ(session.udtTimeIn.udtDms.intDegreesHours, 5);
  }
}

}  // namespace
}  // namespace nemora
