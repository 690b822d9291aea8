#include "app/gui/frmCriterion.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/gui/frmSightings.h"
#include "app/gui/widget_factory.h"
#include "app/session.h"

namespace nemora {
namespace {

QComboBox* makeList(QWidget* parent, const char* name, const std::vector<std::string>& items) {
  auto* list = makeNamed<QComboBox>(parent, name);
  for (const auto& item : items) list->addItem(QString::fromStdString(item));
  return list;
}

}  // namespace

frmCriterion::frmCriterion(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmCriterion");
  setWindowTitle("Criterion");
  setModal(true);

  cboType_ = makeList(this, "cboType", criterionTypeNames());
  cboDarkness_ = makeList(this, "cboDarkness", darknessNames());
  cboMoonPart_ = makeList(this, "cboMoonPart", moonPointNames());
  cboMoonBright_ = makeList(this, "cboMoonBright", brightnessNames());
  cboFrom_ = makeList(this, "cboFrom", frameNames());
  cboWhen_ = makeList(this, "cboWhen", whenNames());
  txtWhen_ = makeLineEdit(this, "txtWhen");

  auto* form = new QFormLayout;
  form->addRow(makeLabel(this, "lblType", "Criterion", cboType_), cboType_);
  form->addRow(makeLabel(this, "lblDarkness", "Darkness", cboDarkness_), cboDarkness_);
  form->addRow(makeLabel(this, "lblMoonPart", "Point of the Moon", cboMoonPart_), cboMoonPart_);
  form->addRow(makeLabel(this, "lblMoonBright", "Brightness", cboMoonBright_), cboMoonBright_);
  form->addRow(makeLabel(this, "lblFrom", "Measured from", cboFrom_), cboFrom_);
  form->addRow(makeLabel(this, "lblWhen", "When", cboWhen_), cboWhen_);
  form->addRow(makeLabel(this, "lblWhenValue", "Value", txtWhen_), txtWhen_);

  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");
  // Judges the criterion (stored when valid) against recorded sightings.
  cmdTest_ = makeButton(this, "cmdTest", "Test");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdTest_);
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  showControls();

  for (QComboBox* list : {cboType_, cboDarkness_})
    connect(list, &QComboBox::currentIndexChanged, this, [this] {
      readControls();
      refreshEnabled();
    });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    if (entry_.cmdOK()) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] {
    entry_.cmdCancel();
    reject();
  });
  connect(cmdTest_, &QPushButton::clicked, this, [this] {
    readControls();
    if (!entry_.cmdOK()) return;
    Session& s = entry_.session();
    const bool overall = s.udtObserver.blnOverall;
    s.udtObserver.blnOverall = true;
    frmSightings dialog(s, this);
    dialog.analyse(frmSightings::bundledFile(s));
    dialog.exec();
    s.udtObserver.blnOverall = overall;
  });
}

void frmCriterion::readControls() {
  CriterionControls& c = entry_.controls;
  c.cboType = static_cast<int16_t>(cboType_->currentIndex());
  c.cboDarkness = static_cast<int16_t>(cboDarkness_->currentIndex());
  c.cboMoonPart = static_cast<int16_t>(cboMoonPart_->currentIndex());
  c.cboMoonBright = static_cast<int16_t>(cboMoonBright_->currentIndex());
  c.cboFrom = static_cast<int16_t>(cboFrom_->currentIndex());
  c.cboWhen = static_cast<int16_t>(cboWhen_->currentIndex());
  c.txtWhen = txtWhen_->text().toStdString();
}

void frmCriterion::showControls() {
  const CriterionControls& c = entry_.controls;
  {
    QSignalBlocker quietType(cboType_), quietDarkness(cboDarkness_);
    cboType_->setCurrentIndex(c.cboType);
    cboDarkness_->setCurrentIndex(c.cboDarkness);
  }
  cboMoonPart_->setCurrentIndex(c.cboMoonPart);
  cboMoonBright_->setCurrentIndex(c.cboMoonBright);
  cboFrom_->setCurrentIndex(c.cboFrom);
  cboWhen_->setCurrentIndex(c.cboWhen);
  txtWhen_->setText(QString::fromStdString(c.txtWhen));
  refreshEnabled();
}

void frmCriterion::refreshEnabled() {
  cboMoonPart_->setEnabled(entry_.cboMoonPartEnabled());
  cboWhen_->setEnabled(entry_.cboWhenEnabled());
  txtWhen_->setEnabled(entry_.cboWhenEnabled());
}

}  // namespace nemora
