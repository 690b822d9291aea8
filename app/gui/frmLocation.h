// The location dialog: a place of the location database or a typed position,
// height and time zone. The checks and effects belong to LocationEntry; this
// class only moves text and choices between its controls and the model.
#pragma once

#include <QDialog>

#include "location/location_entry.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace nemora {

class Session;

class frmLocation : public QDialog {
  Q_OBJECT
 public:
  explicit frmLocation(Session& session, QWidget* parent = nullptr);

  // True when the dialog closed with OK (the location was stored).
  bool blnOK() const { return entry_.blnOK; }

 private:
  void readControls();
  void showControls();
  // Runs a model event between reading and showing the controls.
  template <class Event>
  void handle(Event&& event);

  LocationEntry entry_;
  bool showing_ = false;  // the controls are being filled from the model

  QLineEdit* txtFind_ = nullptr;
  QListWidget* lstFound_ = nullptr;
  QComboBox *cboCountry_ = nullptr, *cboCity_ = nullptr, *cboNeighborhood_ = nullptr;
  QWidget *decimalPosition_ = nullptr, *dmsPosition_ = nullptr;
  QLineEdit *txtLat_ = nullptr, *txtLong_ = nullptr;
  QLineEdit *txtLatDeg_ = nullptr, *txtLatMin_ = nullptr, *txtLatSec_ = nullptr;
  QLineEdit *txtLongDeg_ = nullptr, *txtLongMin_ = nullptr, *txtLongSec_ = nullptr;
  QRadioButton *optNorth_ = nullptr, *optSouth_ = nullptr, *optEast_ = nullptr, *optWest_ = nullptr;
  QLineEdit* txtHeight_ = nullptr;
  QWidget *decimalZone_ = nullptr, *dmsZone_ = nullptr;
  QLineEdit *txtTZ_ = nullptr, *txtTZH_ = nullptr, *txtTZM_ = nullptr;
  QRadioButton *optAhead_ = nullptr, *optBehind_ = nullptr;
  QRadioButton *optST_ = nullptr, *optDST_ = nullptr;
  QRadioButton *optAuto_ = nullptr, *optManual_ = nullptr;
  QRadioButton *optDeg_ = nullptr, *optDMS_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
