#include "app/gui/frmDate.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
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

frmDate::frmDate(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmDate");
  setWindowTitle("Date");
  setModal(true);

  cboType_ = makeNamed<QComboBox>(this, "cboType");
  for (const std::string& name : DateEntry::typeNames()) cboType_->addItem(QString::fromStdString(name));
  txtDayNo_ = makeLineEdit(this, "txtDayNo");
  txtDate_ = makeLineEdit(this, "txtDate");
  cboMonth_ = makeNamed<QComboBox>(this, "cboMonth");
  txtYear_ = makeLineEdit(this, "txtYear");
  optCE_ = makeNamed<QRadioButton>(this, "optCE", "CE");
  optBCE_ = makeNamed<QRadioButton>(this, "optBCE", "BCE");

  auto* fields = new QGridLayout;
  fields->addWidget(makeLabel(this, "lblType", "Date Type", cboType_), 0, 0);
  fields->addWidget(cboType_, 0, 1);
  fields->addWidget(makeLabel(this, "lblDayNo", "Day number", txtDayNo_), 1, 0);
  fields->addWidget(txtDayNo_, 1, 1);
  fields->addWidget(makeLabel(this, "lblDate", "Date of month", txtDate_), 2, 0);
  fields->addWidget(txtDate_, 2, 1);
  fields->addWidget(makeLabel(this, "lblMonth", "Month", cboMonth_), 3, 0);
  fields->addWidget(cboMonth_, 3, 1);
  fields->addWidget(makeLabel(this, "lblYear", "Year", txtYear_), 4, 0);
  fields->addWidget(txtYear_, 4, 1);
  auto* era = new QHBoxLayout;
  era->addWidget(optCE_);
  era->addWidget(optBCE_);
  era->addStretch(1);
  fields->addLayout(era, 5, 1);

  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  showControls();

  connect(cboType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    readControls();
    entry_.typeChanged(index);
    fillMonths();
    showEnabledStates();
  });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    if (entry_.cmdOK()) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, &frmDate::reject);
}

void frmDate::readControls() {
  DateControls& c = entry_.controls;
  c.cboType = cboType_->currentIndex();
  c.txtDayNo = txtDayNo_->text().toStdString();
  c.txtDate = txtDate_->text().toStdString();
  c.cboMonth = cboMonth_->currentIndex();
  c.txtYear = txtYear_->text().toStdString();
  c.optCE = optCE_->isChecked();
}

void frmDate::showControls() {
  const DateControls& c = entry_.controls;
  {
    QSignalBlocker quiet(cboType_);
    cboType_->setCurrentIndex(c.cboType);
  }
  txtDayNo_->setText(QString::fromStdString(c.txtDayNo));
  txtDate_->setText(QString::fromStdString(c.txtDate));
  txtYear_->setText(QString::fromStdString(c.txtYear));
  (c.optCE ? optCE_ : optBCE_)->setChecked(true);
  fillMonths();
  showEnabledStates();
}

void frmDate::fillMonths() {
  QSignalBlocker quiet(cboMonth_);
  cboMonth_->clear();
  for (const std::string& name : entry_.monthNames()) cboMonth_->addItem(QString::fromStdString(name));
  cboMonth_->setCurrentIndex(entry_.controls.cboMonth);
}

void frmDate::showEnabledStates() {
  bool dayNumber = entry_.dayNumberEnabled();
  txtDayNo_->setEnabled(dayNumber);
  txtDate_->setEnabled(!dayNumber);
  cboMonth_->setEnabled(!dayNumber);
  txtYear_->setEnabled(!dayNumber);
}

void frmDate::reject() {
  entry_.cmdCancel();
  QDialog::reject();
}

void frmDate::closeEvent(QCloseEvent* event) {
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
