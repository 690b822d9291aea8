// The observer dialog: overall or personal probability, the observer's
// performance level, and the naked eye, binoculars or a telescope. The checks and effects belong to ObserverEntry; this
// class only moves text.
#pragma once

#include <QDialog>

#include "visibility/observer_entry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nemora {

class Session;

class frmObserver : public QDialog {
  Q_OBJECT
 public:
  explicit frmObserver(Session& session, QWidget* parent = nullptr);

  // True when the dialog closed with OK (the observer was stored).
  bool blnOK() const { return entry_.blnOK; }

 private:
  void readControls();
  void showControls();

  ObserverEntry entry_;
  QRadioButton *optPersonal_ = nullptr, *optOverall_ = nullptr;
  QLabel* lblLevel_ = nullptr;
  QLineEdit* txtLevel_ = nullptr;
  QComboBox* cboAid_ = nullptr;
  QLabel *lblAperture_ = nullptr, *lblMagnification_ = nullptr;
  QLineEdit *txtAperture_ = nullptr, *txtMagnification_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
