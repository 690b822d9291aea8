#include "app/gui/frmObserver.h"

#include <QComboBox>
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
  cboAid_ = makeNamed<QComboBox>(this, "cboAid");
  for (const char* choice : kAidChoices) cboAid_->addItem(choice);
  auto* lblAid = makeLabel(this, "lblAid", "Optical aid", cboAid_);
  txtAperture_ = makeLineEdit(this, "txtAperture");
  lblAperture_ = makeLabel(this, "lblAperture", "Aperture (mm)", txtAperture_);
  txtMagnification_ = makeLineEdit(this, "txtMagnification");
  lblMagnification_ = makeLabel(this, "lblMagnification", "Magnification", txtMagnification_);
  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");

  auto* level = new QGridLayout;
  level->addWidget(lblLevel_, 0, 0);
  level->addWidget(txtLevel_, 0, 1);
  level->addWidget(lblAid, 1, 0);
  level->addWidget(cboAid_, 1, 1);
  level->addWidget(lblAperture_, 2, 0);
  level->addWidget(txtAperture_, 2, 1);
  level->addWidget(lblMagnification_, 3, 0);
  level->addWidget(txtMagnification_, 3, 1);
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
  connect(cboAid_, &QComboBox::currentIndexChanged, this, [this](int index) {
    entry_.controls.cboAid = index;
    txtAperture_->setEnabled(entry_.txtAidEnabled());
    txtMagnification_->setEnabled(entry_.txtAidEnabled());
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
  entry_.controls.cboAid = cboAid_->currentIndex();
  entry_.controls.txtAperture = txtAperture_->text().toStdString();
  entry_.controls.txtMagnification = txtMagnification_->text().toStdString();
}

void frmObserver::showControls() {
  (entry_.controls.optOverall ? optOverall_ : optPersonal_)->setChecked(true);
  txtLevel_->setText(QString::fromStdString(entry_.controls.txtLevel));
  txtLevel_->setEnabled(entry_.txtLevelEnabled());
  cboAid_->setCurrentIndex(entry_.controls.cboAid);
  txtAperture_->setText(QString::fromStdString(entry_.controls.txtAperture));
  txtMagnification_->setText(QString::fromStdString(entry_.controls.txtMagnification));
  txtAperture_->setEnabled(entry_.txtAidEnabled());
  txtMagnification_->setEnabled(entry_.txtAidEnabled());
}

}  // namespace nemora
