#include "app/gui/frmLocation.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/gui/widget_factory.h"
#include "app/session.h"

namespace nemora {

namespace {

// Two option buttons that exclude each other, in a frame of their own.
QGroupBox* pair(QWidget* parent, const char* frameName, const QString& title, QRadioButton* first,
                QRadioButton* second) {
  QGroupBox* frame = makeGroupBox(parent, frameName, title);
  auto* layout = new QHBoxLayout(frame);
  layout->addWidget(first);
  layout->addWidget(second);
  return frame;
}

void setText(QLineEdit* edit, const std::string& text) { edit->setText(QString::fromStdString(text)); }
std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

void fillList(QComboBox* list, const std::vector<std::string>& entries, int selected) {
  list->clear();
  for (const std::string& entry : entries) list->addItem(QString::fromStdString(entry));
  list->setCurrentIndex(selected);
}

}  // namespace

frmLocation::frmLocation(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmLocation");
  setWindowTitle("Location");
  setModal(true);

  cboCountry_ = makeNamed<QComboBox>(this, "cboCountry");
  cboCity_ = makeNamed<QComboBox>(this, "cboCity");
  cboNeighborhood_ = makeNamed<QComboBox>(this, "cboNeighborhood");
  txtFind_ = makeLineEdit(this, "txtFind");
  txtFind_->setPlaceholderText("Type a town, e.g. London or Springfield, USA");
  txtFind_->setClearButtonEnabled(true);
  lstFound_ = makeNamed<QListWidget>(this, "lstFound");
  lstFound_->setMaximumHeight(120);
  auto* place = new QFormLayout;
  place->addRow("Find", txtFind_);
  place->addRow("", lstFound_);
  place->addRow("Country/State", cboCountry_);
  place->addRow("Town/City", cboCity_);
  place->addRow("Neighborhood", cboNeighborhood_);

  // Position in decimal degrees or in degrees, minutes and seconds.
  decimalPosition_ = new QWidget(this);
  txtLat_ = makeLineEdit(decimalPosition_, "txtLat");
  txtLong_ = makeLineEdit(decimalPosition_, "txtLong");
  auto* decimal = new QFormLayout(decimalPosition_);
  decimal->setContentsMargins(0, 0, 0, 0);
  decimal->addRow("Latitude", txtLat_);
  decimal->addRow("Longitude", txtLong_);
  dmsPosition_ = new QWidget(this);
  txtLatDeg_ = makeLineEdit(dmsPosition_, "txtLatDeg");
  txtLatMin_ = makeLineEdit(dmsPosition_, "txtLatMin");
  txtLatSec_ = makeLineEdit(dmsPosition_, "txtLatSec");
  txtLongDeg_ = makeLineEdit(dmsPosition_, "txtLongDeg");
  txtLongMin_ = makeLineEdit(dmsPosition_, "txtLongMin");
  txtLongSec_ = makeLineEdit(dmsPosition_, "txtLongSec");
  auto* dms = new QGridLayout(dmsPosition_);
  dms->setContentsMargins(0, 0, 0, 0);
  dms->addWidget(new QLabel("Degrees", dmsPosition_), 0, 1);
  dms->addWidget(new QLabel("Minutes", dmsPosition_), 0, 2);
  dms->addWidget(new QLabel("Seconds", dmsPosition_), 0, 3);
  dms->addWidget(new QLabel("Latitude", dmsPosition_), 1, 0);
  dms->addWidget(txtLatDeg_, 1, 1);
  dms->addWidget(txtLatMin_, 1, 2);
  dms->addWidget(txtLatSec_, 1, 3);
  dms->addWidget(new QLabel("Longitude", dmsPosition_), 2, 0);
  dms->addWidget(txtLongDeg_, 2, 1);
  dms->addWidget(txtLongMin_, 2, 2);
  dms->addWidget(txtLongSec_, 2, 3);

  optNorth_ = makeNamed<QRadioButton>(this, "optNorth", "North");
  optSouth_ = makeNamed<QRadioButton>(this, "optSouth", "South");
  optEast_ = makeNamed<QRadioButton>(this, "optEast", "East");
  optWest_ = makeNamed<QRadioButton>(this, "optWest", "West");
  txtHeight_ = makeLineEdit(this, "txtHeight");
  auto* height = new QFormLayout;
  height->addRow("Height (m)", txtHeight_);

  // Zone in decimal hours or in hours and minutes.
  decimalZone_ = new QWidget(this);
  txtTZ_ = makeLineEdit(decimalZone_, "txtTZ");
  auto* zoneDecimal = new QFormLayout(decimalZone_);
  zoneDecimal->setContentsMargins(0, 0, 0, 0);
  zoneDecimal->addRow("Time zone (hours)", txtTZ_);
  dmsZone_ = new QWidget(this);
  txtTZH_ = makeLineEdit(dmsZone_, "txtTZH");
  txtTZM_ = makeLineEdit(dmsZone_, "txtTZM");
  auto* zoneDms = new QHBoxLayout(dmsZone_);
  zoneDms->setContentsMargins(0, 0, 0, 0);
  zoneDms->addWidget(new QLabel("Time zone", dmsZone_));
  zoneDms->addWidget(txtTZH_);
  zoneDms->addWidget(new QLabel("h", dmsZone_));
  zoneDms->addWidget(txtTZM_);
  zoneDms->addWidget(new QLabel("min", dmsZone_));

  optAhead_ = makeNamed<QRadioButton>(this, "optAhead", "Ahead of UT");
  optBehind_ = makeNamed<QRadioButton>(this, "optBehind", "Behind UT");
  optST_ = makeNamed<QRadioButton>(this, "optST", "ST");
  optDST_ = makeNamed<QRadioButton>(this, "optDST", "DST");
  optAuto_ = makeNamed<QRadioButton>(this, "optAuto", "AutoTZ");
  optManual_ = makeNamed<QRadioButton>(this, "optManual", "Manual");
  optDeg_ = makeNamed<QRadioButton>(this, "optDeg", "Degs/Hours only");
  optDMS_ = makeNamed<QRadioButton>(this, "optDMS", "Degs, mins, secs");
  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");

  auto* hemispheres = new QHBoxLayout;
  hemispheres->addWidget(pair(this, "fraNorthSouth", "", optNorth_, optSouth_));
  hemispheres->addWidget(pair(this, "fraEastWest", "", optEast_, optWest_));
  auto* zoneChoices = new QHBoxLayout;
  zoneChoices->addWidget(pair(this, "fraAhead", "", optAhead_, optBehind_));
  zoneChoices->addWidget(pair(this, "fraDST", "", optST_, optDST_));
  zoneChoices->addWidget(pair(this, "fraAuto", "", optAuto_, optManual_));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(pair(this, "fraDisplay", "Display", optDeg_, optDMS_));
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(place);
  layout->addWidget(decimalPosition_);
  layout->addWidget(dmsPosition_);
  layout->addLayout(hemispheres);
  layout->addLayout(height);
  layout->addWidget(decimalZone_);
  layout->addWidget(dmsZone_);
  layout->addLayout(zoneChoices);
  layout->addLayout(buttons);

  showControls();

  // Only the user's own choices and edits are events of the model.
  connect(cboCountry_, &QComboBox::activated, this, [this](int i) { handle([&] { entry_.cboCountryClick(i); }); });
  connect(cboCity_, &QComboBox::activated, this, [this](int i) { handle([&] { entry_.cboCityClick(i); }); });
  connect(cboNeighborhood_, &QComboBox::activated, this,
          [this](int i) { handle([&] { entry_.cboNeighborhoodClick(i); }); });
  // The search runs as the user types; a town found is chosen by a click or Enter.
  connect(txtFind_, &QLineEdit::textEdited, this,
          [this](const QString& t) { handle([&] { entry_.txtFindChanged(t.toStdString()); }); });
  connect(lstFound_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const int row = lstFound_->row(item);
    handle([&] { entry_.lstFoundClick(row); });
  });
  connect(lstFound_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int row = lstFound_->row(item);
    handle([&] { entry_.lstFoundClick(row); });
  });
  for (QLineEdit* edit : {txtLat_, txtLong_, txtLatDeg_, txtLatMin_, txtLatSec_, txtLongDeg_, txtLongMin_, txtLongSec_})
    connect(edit, &QLineEdit::textEdited, this, [this] { entry_.positionEdited(); });
  for (QRadioButton* option : {optNorth_, optSouth_, optEast_, optWest_})
    connect(option, &QRadioButton::clicked, this, [this] { entry_.positionEdited(); });
  connect(optDeg_, &QRadioButton::clicked, this, [this] { handle([&] { entry_.displayChosen(false); }); });
  connect(optDMS_, &QRadioButton::clicked, this, [this] { handle([&] { entry_.displayChosen(true); }); });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    if (entry_.cmdOK()) {
      accept();
    } else {
      showControls();
    }
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] {
    entry_.cmdCancel();
    reject();
  });
}

template <class Event>
void frmLocation::handle(Event&& event) {
  if (showing_) return;
  readControls();
  event();
  showControls();
}

void frmLocation::readControls() {
  LocationControls& c = entry_.controls;
  c.intCountry = cboCountry_->currentIndex();
  c.intCity = cboCity_->currentIndex();
  c.intNeighborhood = cboNeighborhood_->currentIndex();
  c.txtFind = text(txtFind_);
  c.txtLat = text(txtLat_);
  c.txtLong = text(txtLong_);
  c.txtLatDeg = text(txtLatDeg_);
  c.txtLatMin = text(txtLatMin_);
  c.txtLatSec = text(txtLatSec_);
  c.txtLongDeg = text(txtLongDeg_);
  c.txtLongMin = text(txtLongMin_);
  c.txtLongSec = text(txtLongSec_);
  c.optNorth = optNorth_->isChecked();
  c.optEast = optEast_->isChecked();
  c.txtHeight = text(txtHeight_);
  c.txtTZ = text(txtTZ_);
  c.txtTZH = text(txtTZH_);
  c.txtTZM = text(txtTZM_);
  c.optAhead = optAhead_->isChecked();
  c.optDST = optDST_->isChecked();
  c.optAuto = optAuto_->isChecked();
  c.optDMS = optDMS_->isChecked();
}

void frmLocation::showControls() {
  showing_ = true;
  const LocationControls& c = entry_.controls;
  {
    const QSignalBlocker a(cboCountry_), b(cboCity_), d(cboNeighborhood_);
    fillList(cboCountry_, c.cboCountry, c.intCountry);
    fillList(cboCity_, c.cboCity, c.intCity);
    fillList(cboNeighborhood_, c.cboNeighborhood, c.intNeighborhood);
    const QSignalBlocker f(lstFound_);
    lstFound_->clear();
    for (const std::string& found : c.lstFound) lstFound_->addItem(QString::fromStdString(found));
  }
  if (text(txtFind_) != c.txtFind) setText(txtFind_, c.txtFind);
  setText(txtLat_, c.txtLat);
  setText(txtLong_, c.txtLong);
  setText(txtLatDeg_, c.txtLatDeg);
  setText(txtLatMin_, c.txtLatMin);
  setText(txtLatSec_, c.txtLatSec);
  setText(txtLongDeg_, c.txtLongDeg);
  setText(txtLongMin_, c.txtLongMin);
  setText(txtLongSec_, c.txtLongSec);
  (c.optNorth ? optNorth_ : optSouth_)->setChecked(true);
  (c.optEast ? optEast_ : optWest_)->setChecked(true);
  setText(txtHeight_, c.txtHeight);
  setText(txtTZ_, c.txtTZ);
  setText(txtTZH_, c.txtTZH);
  setText(txtTZM_, c.txtTZM);
  (c.optAhead ? optAhead_ : optBehind_)->setChecked(true);
  (c.optDST ? optDST_ : optST_)->setChecked(true);
  (c.optAuto ? optAuto_ : optManual_)->setChecked(true);
  (c.optDMS ? optDMS_ : optDeg_)->setChecked(true);
  decimalPosition_->setVisible(!c.optDMS);
  decimalZone_->setVisible(!c.optDMS);
  dmsPosition_->setVisible(c.optDMS);
  dmsZone_->setVisible(c.optDMS);
  showing_ = false;
}

}  // namespace nemora
