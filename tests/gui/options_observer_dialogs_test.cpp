// The options and observer dialogs open with their controls and move text
// between the controls and their models.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "base/messages.h"
#include "app/session.h"
#include "visibility/optical_aid.h"
#include "app/gui/frmObserver.h"
#include "app/gui/frmOptions.h"

namespace nemora {
namespace {

template <class W>
W* control(QWidget& dialog, const char* name) {
  auto* w = dialog.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(OptionsDialog, OpensWithEveryControlAndStoresOnOk) {
  RecordingMessageSink sink;
  Session session{sink};
  frmOptions dialog{session};
  dialog.show();

  EXPECT_EQ(control<QGroupBox>(dialog, "fraGraph")->title(), "Moon calc. mode");
  EXPECT_EQ(control<QGroupBox>(dialog, "fraSpeed")->title(), "Speed probability calc.");
  EXPECT_EQ(control<QGroupBox>(dialog, "fraTestimony")->title(), "Testimony");
  control<QGroupBox>(dialog, "fraPrecision");
  control<QGroupBox>(dialog, "fraPlotMode");
  const std::pair<const char*, const char*> options[] = {
      {"opt0", "Normal"},          {"opt1", "Overprecise"},         {"opt2", "Way overprecise"},
      {"optG0", "Photometric"},    {"OptG1", "By criterion"},       {"optP0", "Full graph"},
      {"optP1", "Sketch"},         {"optP2", "Proportional"},       {"optS0", "V. fast, inaccurate"},
      {"optS1", "Fast, less accurate"}, {"optS2", "Normal, accurate"}, {"optS3", "V. Slow, not better"},
      {"optEnglish", "English"},   {"optHebrew", "Hebrew"}};
  for (const auto& [name, caption] : options) EXPECT_EQ(control<QRadioButton>(dialog, name)->text(), caption);
  for (const char* name : {"opt0", "OptG1", "optP0", "optS2", "optEnglish"})
    EXPECT_TRUE(control<QRadioButton>(dialog, name)->isChecked()) << name;
  EXPECT_EQ(control<QLabel>(dialog, "lblNWitnesses")->text(), "No. of Witnesses");
  EXPECT_EQ(control<QLabel>(dialog, "lblPopulation")->text(), "Population");
  auto* txtNWitnesses = control<QLineEdit>(dialog, "txtNWitnesses");
  auto* txtPopulation = control<QLineEdit>(dialog, "txtPopulation");
  auto* chkWomen = control<QCheckBox>(dialog, "chkWomen");
  auto* lblwit = control<QLabel>(dialog, "lblwit");
  EXPECT_EQ(txtNWitnesses->text(), "2");
  EXPECT_EQ(txtPopulation->text(), "700000");
  EXPECT_EQ(chkWomen->text(), "Include Women");
  EXPECT_FALSE(chkWomen->isChecked());
  EXPECT_EQ(lblwit->text(), "Likely obs. 16");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdDefault")->text(), "Default");

  // The label follows the check box and the text boxes.
  chkWomen->click();
  EXPECT_EQ(lblwit->text(), "Likely obs. 32");
  txtPopulation->setText("abc");
  EXPECT_EQ(lblwit->text(), "Likely obs. Invalid input");

  // A refused OK keeps the dialog open and changes nothing.
  control<QRadioButton>(dialog, "optS0")->click();
  control<QRadioButton>(dialog, "optHebrew")->click();
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_EQ(sink.last(), "Population must be a number");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(session.options.intNIntegrals, 64);

  txtPopulation->setText("900000");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.options.intNIntegrals, 16);
  EXPECT_TRUE(session.options.blnWomen);
  EXPECT_EQ(session.options.dblPopulation, 900000);
  EXPECT_EQ(session.intLanguage, 1);

  // Default puts the controls back after the question.
  frmOptions again{session};
  again.show();
  EXPECT_TRUE(control<QRadioButton>(again, "optS0")->isChecked());
  control<QPushButton>(again, "cmdDefault")->click();
  EXPECT_EQ(sink.questions.back(), "Are you sure you want to revert to the default values?");
  EXPECT_TRUE(control<QRadioButton>(again, "optS2")->isChecked());
  EXPECT_TRUE(control<QRadioButton>(again, "optEnglish")->isChecked());
  EXPECT_EQ(control<QLabel>(again, "lblwit")->text(), "Likely obs. 16");
  control<QPushButton>(again, "cmdCancel")->click();
  EXPECT_FALSE(again.isVisible());
  EXPECT_EQ(session.options.intNIntegrals, 16);
}

TEST(ObserverDialog, OpensWithEveryControlAndStoresOnOk) {
  RecordingMessageSink sink;
  Session session{sink};
  frmObserver dialog{session};
  dialog.show();
  auto* optPersonal = control<QRadioButton>(dialog, "optPersonal");
  auto* optOverall = control<QRadioButton>(dialog, "optOverall");
  auto* txtLevel = control<QLineEdit>(dialog, "txtLevel");
  EXPECT_EQ(optPersonal->text(), "Personal probability");
  EXPECT_EQ(optOverall->text(), "Overall probability");
  EXPECT_EQ(control<QLabel>(dialog, "lblLevel")->text(), "Average preformance level");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(control<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");
  EXPECT_TRUE(optOverall->isChecked());
  EXPECT_EQ(txtLevel->text(), "0");
  EXPECT_FALSE(txtLevel->isEnabled());

  optPersonal->click();
  EXPECT_TRUE(txtLevel->isEnabled());
  txtLevel->setText("x");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_EQ(sink.last(), "Level must be a number");
  EXPECT_TRUE(dialog.isVisible());

  // An aid: its boxes open with the choice, and OK stores it.
  auto* cboAid = control<QComboBox>(dialog, "cboAid");
  auto* txtAperture = control<QLineEdit>(dialog, "txtAperture");
  EXPECT_EQ(cboAid->count(), 3);
  EXPECT_FALSE(txtAperture->isEnabled());
  cboAid->setCurrentIndex(kAidTelescope);
  EXPECT_TRUE(txtAperture->isEnabled());
  txtAperture->setText("100");
  control<QLineEdit>(dialog, "txtMagnification")->setText("40");

  txtLevel->setText("-1.5");
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session.udtObserver.aid, *ParseAid("telescope:100,40"));
  EXPECT_TRUE(dialog.blnOK());
  EXPECT_FALSE(session.udtObserver.blnOverall);
  EXPECT_EQ(session.udtObserver.dblLevel, -1.5);

  // Cancel closes without storing.
  frmObserver again{session};
  again.show();
  EXPECT_EQ(control<QLineEdit>(again, "txtLevel")->text(), "-1.5");
  control<QRadioButton>(again, "optOverall")->click();
  EXPECT_FALSE(control<QLineEdit>(again, "txtLevel")->isEnabled());
  control<QPushButton>(again, "cmdCancel")->click();
  EXPECT_FALSE(again.isVisible());
  EXPECT_FALSE(again.blnOK());
  EXPECT_FALSE(session.udtObserver.blnOverall);
}

}  // namespace
}  // namespace nemora
