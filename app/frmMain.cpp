#include "app/frmMain.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/gui/help_window.h"
#include "app/gui/qt_message_sink.h"
#include "app/main_lists.h"
#include "app/session.h"

namespace nemora {

frmMain::frmMain(Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
  setObjectName("frmMain");
  setWindowTitle(kApplicationTitle);
  central_ = new QWidget(this);
  setCentralWidget(central_);
  auto* layout = new QVBoxLayout(central_);

  buildInputFrame();
  buildOutputFrame();
  buildButtons();
  layout->addWidget(fraInput_);
  layout->addWidget(fraOutput_, 1);

  // The test buttons are hidden in normal use.
  cmdT_->hide();
  cmdTable_->hide();
  cmdRand_->hide();

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {cmdOptions_, cmdHelp_, cmdPrint_, cmdSave_, cmdTable_, cmdT_, cmdRand_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(cmdCRight_);
  layout->addLayout(buttons);

  optBody_->setChecked(true);
  FillBodies();
  wireEvents();
  blnReady_ = true;
  resize(760, 560);
}

QPushButton* frmMain::makeButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, central_);
  button->setObjectName(name);
  return button;
}

QLabel* frmMain::makeLabel(const char* name, const QString& text) {
  auto* label = new QLabel(text, central_);
  label->setObjectName(name);
  return label;
}

void frmMain::buildInputFrame() {
  fraInput_ = new QGroupBox("Input", central_);
  fraInput_->setObjectName("fraInput");
  lblDate_ = makeLabel("lblDate", "Date:");
  lblTime_ = makeLabel("lblTime", "Time:");
  lblLocation_ = makeLabel("lblLocation", "Location:");
  lblWeather_ = makeLabel("lblWeather", "Weather");
  lblObserver_ = makeLabel("lblObserver", "Observer:");
  lblCriterion_ = makeLabel("lblCriterion", "Criterion:");
  cmdChangeDate_ = makeButton("cmdChangeDate", "Change");
  cmdChangeTime_ = makeButton("cmdChangeTime", "Change");
  cmdChangeLocation_ = makeButton("cmdChangeLocation", "Change");
  cmdChangeWeather_ = makeButton("cmdChangeWeather", "Change");
  cmdObserver_ = makeButton("cmdObserver", "Change");
  cmdCriterion_ = makeButton("cmdCriterion", "Change");

  auto* grid = new QGridLayout(fraInput_);
  const std::pair<QLabel*, QPushButton*> rows[] = {
      {lblDate_, cmdChangeDate_},         {lblTime_, cmdChangeTime_},  {lblLocation_, cmdChangeLocation_},
      {lblWeather_, cmdChangeWeather_},   {lblObserver_, cmdObserver_}, {lblCriterion_, cmdCriterion_},
  };
  int row = 0;
  for (const auto& [label, button] : rows) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, row, 0);
    grid->addWidget(button, row, 1);
    ++row;
  }
  grid->setColumnStretch(0, 1);
}

void frmMain::buildOutputFrame() {
  fraOutput_ = new QGroupBox("Output", central_);
  fraOutput_->setObjectName("fraOutput");
  optConvert_ = new QRadioButton("Convert Date", fraOutput_);
  optConvert_->setObjectName("optConvert");
  optBody_ = new QRadioButton("Moon, Sun, Planets", fraOutput_);
  optBody_->setObjectName("optBody");
  lblOption_ = makeLabel("lblOption", "Body");
  lblOption2_ = makeLabel("lblOption2", "Parameter");
  cboOption_ = new QComboBox(fraOutput_);
  cboOption_->setObjectName("cboOption");
  cboOption2_ = new QComboBox(fraOutput_);
  cboOption2_->setObjectName("cboOption2");
  lblOutput3_ = makeLabel("lblOutput3", "");
  lblOutput3_->setWordWrap(true);
  lblOutput3_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblOutput3_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblOutput3_->setFrameShape(QFrame::StyledPanel);
  lblOutput3_->setMinimumHeight(160);

  auto* modes = new QHBoxLayout;
  modes->addWidget(optConvert_);
  modes->addWidget(optBody_);
  modes->addStretch(1);
  auto* lists = new QGridLayout;
  lists->addWidget(lblOption_, 0, 0);
  lists->addWidget(cboOption_, 1, 0);
  lists->addWidget(lblOption2_, 0, 1);
  lists->addWidget(cboOption2_, 1, 1);
  auto* layout = new QVBoxLayout(fraOutput_);
  layout->addLayout(modes);
  layout->addLayout(lists);
  layout->addWidget(lblOutput3_, 1);
}

void frmMain::buildButtons() {
  cmdOptions_ = makeButton("cmdOptions", "Options");
  cmdHelp_ = makeButton("cmdHelp", "Help");
  cmdPrint_ = makeButton("cmdPrint", "Print");
  cmdSave_ = makeButton("cmdSave", "Saveto out.txt");
  cmdTable_ = makeButton("cmdTable", "Make table");
  cmdT_ = makeButton("cmdT", "Test");
  cmdRand_ = makeButton("cmdRand", "Random Test");
  cmdCRight_ = makeButton("cmdCRight", kOwnershipCaption);
  cmdCRight_->setFlat(true);
}

void frmMain::wireEvents() {
  connect(cmdHelp_, &QPushButton::clicked, this, &frmMain::showHelp);
  connect(cmdCRight_, &QPushButton::clicked, this, &frmMain::showOwnership);
  connect(optConvert_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on || !blnReady_) return;
    blnReady_ = false;
    FillDateTypes();
    blnReady_ = true;
  });
  connect(optBody_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on || !blnReady_) return;
    blnReady_ = false;
    FillBodies();
    blnReady_ = true;
  });
  connect(cboOption_, &QComboBox::currentIndexChanged, this, [this] {
    bool wasReady = blnReady_;
    blnReady_ = false;
    if (optConvert_->isChecked()) FillTimeTypes();
    else FillParameters();
    blnReady_ = wasReady;
  });
  connect(cboOption2_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!blnReady_ || index < 0) return;
    if (optConvert_->isChecked()) enmTimeTypeOut_ = index;
    else intParameter_ = index;
  });
}

// Refills a list without firing its change event; the callers run what the
// event would have run.
void frmMain::fillList(QComboBox* list, const std::vector<std::string>& names, int selection) {
  QSignalBlocker quiet(list);
  list->clear();
  for (const auto& name : names) list->addItem(QString::fromStdString(name));
  list->setCurrentIndex(selection);
}

void frmMain::FillDateTypes() {
  lblOption_->setText("Date type");
  fillList(cboOption_, dateTypeNames(), enmDateTypeOut_);
  FillTimeTypes();
}

void frmMain::FillTimeTypes() {
  lblOption2_->setText("Time type");
  fillList(cboOption2_, timeTypeNames(), enmTimeTypeOut_);
  bool calendarType = cboOption_->currentIndex() > 3;
  lblOption2_->setVisible(calendarType);
  cboOption2_->setVisible(calendarType);
  if (cboOption_->currentIndex() >= 0) enmDateTypeOut_ = cboOption_->currentIndex();
}

void frmMain::FillBodies() {
  lblOption_->setText("Body");
  fillList(cboOption_, fixedBodyNames(), intBody_);
  FillParameters();
}

void frmMain::FillParameters() {
  lblOption2_->setText("Parameter");
  lblOption2_->setVisible(true);
  cboOption2_->setVisible(true);
  int body = cboOption_->currentIndex();
  if (body < 0) return;
  intParameter_ = parameterForBody(body, intParameter_);
  fillList(cboOption2_, parameterNames(body), intParameter_);
  intBody_ = body;
}

void frmMain::showHelp() {
  HelpWindow help(this);
  help.exec();
}

void frmMain::showOwnership() {
  QMessageBox::information(this, kApplicationTitle, kOwnershipNotice, QMessageBox::Ok);
}

bool frmMain::saveScreenshot(const QString& file) { return grab().save(file, "PNG"); }

}  // namespace nemora
