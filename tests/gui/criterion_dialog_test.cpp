// The criterion dialog opens with its lists set from the user criterion,
// follows its enabling rules and moves the choices to the model.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "base/messages.h"
#include "app/session.h"
#include "app/gui/frmCriterion.h"

namespace nemora {
namespace {

template <class W>
W* control(QWidget& dialog, const char* name) {
  auto* w = dialog.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(CriterionDialog, OpensOnTheUserCriterionAndStoresOnOk) {
  RecordingMessageSink sink;
  Session session{sink};
  frmCriterion dialog{session};
  dialog.show();

  auto* cboType = control<QComboBox>(dialog, "cboType");
  auto* cboDarkness = control<QComboBox>(dialog, "cboDarkness");
  auto* cboMoonPart = control<QComboBox>(dialog, "cboMoonPart");
  auto* cboMoonBright = control<QComboBox>(dialog, "cboMoonBright");
  auto* cboFrom = control<QComboBox>(dialog, "cboFrom");
  auto* cboWhen = control<QComboBox>(dialog, "cboWhen");
  auto* txtWhen = control<QLineEdit>(dialog, "txtWhen");
  EXPECT_EQ(cboType->count(), 9);
  EXPECT_EQ(cboType->currentText(), "Yallop");
  EXPECT_EQ(cboType->itemText(8), "Odeh");
  EXPECT_EQ(cboDarkness->currentText(), "DALT");
  EXPECT_EQ(cboMoonBright->currentText(), "Crescent width");
  EXPECT_EQ(cboFrom->currentText(), "Apparent");
  EXPECT_EQ(cboWhen->currentText(), "Fraction of lag from apparent");
  EXPECT_EQ(txtWhen->text(), "20");
  EXPECT_FALSE(cboMoonPart->isEnabled());
  EXPECT_FALSE(cboWhen->isEnabled());
  EXPECT_FALSE(txtWhen->isEnabled());
  EXPECT_TRUE(control<QPushButton>(dialog, "cmdTest")->isVisible());

  // A user-defined DALT enables the point of the Moon and the moment.
  cboType->setCurrentIndex(0);
  EXPECT_TRUE(cboMoonPart->isEnabled());
  EXPECT_TRUE(txtWhen->isEnabled());
  cboDarkness->setCurrentIndex(0);
  EXPECT_FALSE(cboMoonPart->isEnabled());

  // A refused OK keeps the dialog open and the criterion as it was.
  cboMoonBright->setCurrentIndex(0);  // Age, with Apparent
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_EQ(sink.last(), "Yallop and Apparent are only compatible with crescent width and % illumination\n"
                         "Choose when between 0 and 1, during the lag");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(session.udtUserCriterion.intType, 5);

  cboFrom->setCurrentIndex(0);
  cboWhen->setCurrentIndex(1);
  control<QPushButton>(dialog, "cmdOK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.udtUserCriterion, (udtCriterion{0, 0, 0, 0, 0, 20, 1}));
}

TEST(CriterionDialog, CancelStoresNothing) {
  RecordingMessageSink sink;
  Session session{sink};
  frmCriterion dialog{session};
  dialog.show();
  control<QComboBox>(dialog, "cboType")->setCurrentIndex(8);
  control<QPushButton>(dialog, "cmdCancel")->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(session.udtUserCriterion, udtCriterion{});
}

}  // namespace
}  // namespace nemora
