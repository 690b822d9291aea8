#include "app/gui/frmTime.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/gui/widget_factory.h"
#include "app/session.h"

namespace nemora {

frmTime::frmTime(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmTime");
  setWindowTitle("Time");
  setModal(true);

  cboTimeType_ = makeNamed<QComboBox>(this, "cboTimeType");
  for (const std::string& name : TimeEntry::typeNames()) cboTimeType_->addItem(QString::fromStdString(name));
  txtHours_ = makeLineEdit(this, "txtHours");
  txtMinutes_ = makeLineEdit(this, "txtMinutes");
  txtSeconds_ = makeLineEdit(this, "txtSeconds");

  fra24Hr_ = makeOptionFrame(this, "fra24Hr");
  opt24Hr_ = makeOption(fra24Hr_, "opt24Hr", "24 hr");
  optAmPm_ = makeOption(fra24Hr_, "optAmPm", "am/pm");
  fraAMPM_ = makeOptionFrame(this, "fraAMPM");
  optAM_ = makeOption(fraAMPM_, "optAM", "a.m.");
  optPM_ = makeOption(fraAMPM_, "optPM", "p.m.");
  fraNTime_ = makeOptionFrame(this, "fraNTime");
  opt1_ = makeOption(fraNTime_, "opt1", "1st time");
  opt2_ = makeOption(fraNTime_, "opt2", "2nd time");

  auto* fields = new QGridLayout;
  fields->addWidget(makeLabel(this, "lblTimeType", "Time Type", cboTimeType_), 0, 0);
  fields->addWidget(cboTimeType_, 0, 1, 1, 3);
  fields->addWidget(makeLabel(this, "lblHours", "Hours", txtHours_), 1, 0);
  fields->addWidget(makeLabel(this, "lblMinutes", "Minutes", txtMinutes_), 1, 1);
  fields->addWidget(makeLabel(this, "lblSeconds", "Seconds", txtSeconds_), 1, 2);
  fields->addWidget(txtHours_, 2, 0);
  fields->addWidget(txtMinutes_, 2, 1);
  fields->addWidget(txtSeconds_, 2, 2);
  auto* frames = new QHBoxLayout;
  frames->addWidget(fra24Hr_);
  frames->addWidget(fraAMPM_);
  frames->addWidget(fraNTime_);

  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(frames);
  layout->addLayout(buttons);

  showControls();

  connect(cboTimeType_, &QComboBox::currentIndexChanged, this, [this] {
    readControls();
    showTypeDependentStates();
  });
  connect(opt24Hr_, &QRadioButton::toggled, this, [this] {
    readControls();
    showTypeDependentStates();
  });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    if (entry_.cmdOK()) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, &frmTime::reject);
}

void frmTime::readControls() {
  TimeControls& c = entry_.controls;
  c.cboTimeType = cboTimeType_->currentIndex();
  c.txtHours = txtHours_->text().toStdString();
  c.txtMinutes = txtMinutes_->text().toStdString();
  c.txtSeconds = txtSeconds_->text().toStdString();
  c.opt24Hr = opt24Hr_->isChecked();
  c.optPM = optPM_->isChecked();
  c.opt2 = opt2_->isChecked();
}

void frmTime::showControls() {
  const TimeControls& c = entry_.controls;
  {
    QSignalBlocker quietType(cboTimeType_), quietClock(opt24Hr_);
    cboTimeType_->setCurrentIndex(c.cboTimeType);
    (c.opt24Hr ? opt24Hr_ : optAmPm_)->setChecked(true);
  }
  txtHours_->setText(QString::fromStdString(c.txtHours));
  txtMinutes_->setText(QString::fromStdString(c.txtMinutes));
  txtSeconds_->setText(QString::fromStdString(c.txtSeconds));
  (c.optPM ? optPM_ : optAM_)->setChecked(true);
  (c.opt2 ? opt2_ : opt1_)->setChecked(true);
  showTypeDependentStates();
}

void frmTime::showTypeDependentStates() {
  optAM_->setText(QString::fromStdString(entry_.amCaption()));
  optPM_->setText(QString::fromStdString(entry_.pmCaption()));
  fra24Hr_->setEnabled(entry_.clockChoiceEnabled());
  fraAMPM_->setEnabled(entry_.halfDayEnabled());
  fraNTime_->setEnabled(entry_.occurrenceEnabled());
}

void frmTime::reject() {
  entry_.cmdCancel();
  QDialog::reject();
}

void frmTime::closeEvent(QCloseEvent* event) {
  if (!entry_.closing()) {
    readControls();
    if (!entry_.queryClose()) {
      event->ignore();
      return;
    }
    done(QDialog::Accepted);
  }
  event->accept();
}

}  // namespace nemora
