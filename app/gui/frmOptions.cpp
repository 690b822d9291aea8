#include "app/gui/frmOptions.h"

#include <QCheckBox>
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

frmOptions::frmOptions(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmOptions");
  setWindowTitle("Options");
  setModal(true);

  QGroupBox* fraPrecision = makeOptionFrame(this, "fraPrecision", "Precision");
  const char* precisionNames[] = {"opt0", "opt1", "opt2"};
  const char* precisionCaptions[] = {"Normal", "Overprecise", "Way overprecise"};
  for (size_t i = 0; i < optPrecision_.size(); ++i)
    optPrecision_[i] = makeOption(fraPrecision, precisionNames[i], precisionCaptions[i]);

  QGroupBox* fraGraph = makeOptionFrame(this, "fraGraph", "Moon calc. mode");
  optG0_ = makeOption(fraGraph, "optG0", "Photometric");
  OptG1_ = makeOption(fraGraph, "OptG1", "By criterion");
  chkClassicModel_ = makeNamed<QCheckBox>(fraGraph, "chkClassicModel", "Classic photometric model");
  fraGraph->layout()->addWidget(chkClassicModel_);

  QGroupBox* fraPlotMode = makeOptionFrame(this, "fraPlotMode", "Plot mode");
  const char* plotNames[] = {"optP0", "optP1", "optP2"};
  const char* plotCaptions[] = {"Full graph", "Sketch", "Proportional"};
  for (size_t i = 0; i < optPlotMode_.size(); ++i)
    optPlotMode_[i] = makeOption(fraPlotMode, plotNames[i], plotCaptions[i]);

  QGroupBox* fraSpeed = makeOptionFrame(this, "fraSpeed", "Speed probability calc.");
  const char* speedNames[] = {"optS0", "optS1", "optS2", "optS3"};
  const char* speedCaptions[] = {"V. fast, inaccurate", "Fast, less accurate", "Normal, accurate",
                                 "V. Slow, not better"};
  for (size_t i = 0; i < optSpeed_.size(); ++i) optSpeed_[i] = makeOption(fraSpeed, speedNames[i], speedCaptions[i]);

  QGroupBox* fraLanguage = makeOptionFrame(this, "fraLanguage", "Language");
  optEnglish_ = makeOption(fraLanguage, "optEnglish", "English");
  optHebrew_ = makeOption(fraLanguage, "optHebrew", "Hebrew");

  QGroupBox* fraTestimony = makeGroupBox(this, "fraTestimony", "Testimony");
  QLabel* lblNWitnesses = makeLabel(fraTestimony, "lblNWitnesses", "No. of Witnesses");
  txtNWitnesses_ = makeLineEdit(fraTestimony, "txtNWitnesses");
  lblNWitnesses->setBuddy(txtNWitnesses_);
  QLabel* lblPopulation = makeLabel(fraTestimony, "lblPopulation", "Population");
  txtPopulation_ = makeLineEdit(fraTestimony, "txtPopulation");
  lblPopulation->setBuddy(txtPopulation_);
  chkWomen_ = makeNamed<QCheckBox>(fraTestimony, "chkWomen", "Include Women");
  lblwit_ = makeLabel(fraTestimony, "lblwit", "Likely obs.");
  auto* testimony = new QGridLayout(fraTestimony);
  testimony->addWidget(lblNWitnesses, 0, 0);
  testimony->addWidget(txtNWitnesses_, 0, 1);
  testimony->addWidget(lblPopulation, 1, 0);
  testimony->addWidget(txtPopulation_, 1, 1);
  testimony->addWidget(chkWomen_, 2, 0, 1, 2);
  testimony->addWidget(lblwit_, 3, 0, 1, 2);

  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");
  cmdDefault_ = makeButton(this, "cmdDefault", "Default");

  auto* frames = new QGridLayout;
  frames->addWidget(fraPrecision, 0, 0);
  frames->addWidget(fraGraph, 0, 1);
  frames->addWidget(fraPlotMode, 1, 0);
  frames->addWidget(fraSpeed, 1, 1);
  frames->addWidget(fraLanguage, 2, 0);
  frames->addWidget(fraTestimony, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdDefault_);
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(frames);
  layout->addLayout(buttons);

  showControls();

  connect(txtNWitnesses_, &QLineEdit::textChanged, this, &frmOptions::refreshLikelyObservers);
  connect(txtPopulation_, &QLineEdit::textChanged, this, &frmOptions::refreshLikelyObservers);
  connect(chkWomen_, &QCheckBox::toggled, this, &frmOptions::refreshLikelyObservers);
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    bool closes = entry_.cmdOK();
    if (closes) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] {
    if (entry_.cmdCancel()) reject();
  });
  connect(cmdDefault_, &QPushButton::clicked, this, [this] {
    readControls();
    entry_.cmdDefault();
    showControls();
  });
}

void frmOptions::readControls() {
  OptionsControls& c = entry_.controls;
  for (size_t i = 0; i < optPrecision_.size(); ++i)
    if (optPrecision_[i]->isChecked()) c.intPrecision = static_cast<int16_t>(i);
  c.intMoonCalc = optG0_->isChecked() ? kMoonCalcPhotometric : kMoonCalcByCriterion;
  for (size_t i = 0; i < optPlotMode_.size(); ++i)
    if (optPlotMode_[i]->isChecked()) c.intPlotMode = static_cast<int16_t>(i);
  for (size_t i = 0; i < optSpeed_.size(); ++i)
    if (optSpeed_[i]->isChecked()) c.intNIntegrals = kNIntegralsChoices[i];
  c.intLanguage = optHebrew_->isChecked() ? 1 : 0;
  c.chkWomen = chkWomen_->isChecked();
  c.chkClassicModel = chkClassicModel_->isChecked();
  c.txtNWitnesses = txtNWitnesses_->text().toStdString();
  c.txtPopulation = txtPopulation_->text().toStdString();
}

void frmOptions::showControls() {
  const OptionsControls& c = entry_.controls;
  // Checking one option button of a frame clears the others.
  for (size_t i = 0; i < optPrecision_.size(); ++i)
    if (c.intPrecision == int16_t(i)) optPrecision_[i]->setChecked(true);
  (c.intMoonCalc == kMoonCalcPhotometric ? optG0_ : OptG1_)->setChecked(true);
  for (size_t i = 0; i < optPlotMode_.size(); ++i)
    if (c.intPlotMode == int16_t(i)) optPlotMode_[i]->setChecked(true);
  for (size_t i = 0; i < optSpeed_.size(); ++i)
    if (c.intNIntegrals == kNIntegralsChoices[i]) optSpeed_[i]->setChecked(true);
  (c.intLanguage == 1 ? optHebrew_ : optEnglish_)->setChecked(true);
  chkClassicModel_->setChecked(c.chkClassicModel);
  {
    // One label refresh for the three controls below.
    QSignalBlocker quietWomen(chkWomen_), quietWitnesses(txtNWitnesses_), quietPopulation(txtPopulation_);
    chkWomen_->setChecked(c.chkWomen);
    txtNWitnesses_->setText(QString::fromStdString(c.txtNWitnesses));
    txtPopulation_->setText(QString::fromStdString(c.txtPopulation));
  }
  lblwit_->setText(QString::fromStdString(entry_.lblwit()));
}

void frmOptions::refreshLikelyObservers() {
  readControls();
  lblwit_->setText(QString::fromStdString(entry_.lblwit()));
}

}  // namespace nemora
