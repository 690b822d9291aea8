#include "visibility/frmObserver.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/gui/widget_factory.h"
#include "app/session.h"

namespace nemora {

frmObserver::frmObserver(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmObserver");
  setWindowTitle("Observer");
  setModal(true);

  optPersonal_ = makeNamed<QRadioButton>(this, "optPersonal", "Personal probability");
  optOverall_ = makeNamed<QRadioButton>(this, "optOverall", "Overall probability");
  lblLevel_ = makeLabel(this, "lblLevel", "Average preformance level");
  txtLevel_ = makeLineEdit(this, "txtLevel");
  lblLevel_->setBuddy(txtLevel_);
  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");

  auto* level = new QGridLayout;
  level->addWidget(lblLevel_, 0, 0);
  level->addWidget(txtLevel_, 0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(optPersonal_);
  layout->addWidget(optOverall_);
  layout->addLayout(level);
  layout->addLayout(buttons);

  showControls();

  connect(optPersonal_, &QRadioButton::toggled, this, [this](bool personal) {
    entry_.controls.optOverall = !personal;
    txtLevel_->setEnabled(entry_.txtLevelEnabled());
  });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    bool closes = entry_.cmdOK();
    showControls();
    if (closes) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void frmObserver::readControls() {
  entry_.controls.optOverall = optOverall_->isChecked();
  entry_.controls.txtLevel = txtLevel_->text().toStdString();
}

void frmObserver::showControls() {
  (entry_.controls.optOverall ? optOverall_ : optPersonal_)->setChecked(true);
  txtLevel_->setText(QString::fromStdString(entry_.controls.txtLevel));
  txtLevel_->setEnabled(entry_.txtLevelEnabled());
}

}  // namespace nemora
