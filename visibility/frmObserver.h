// The observer dialog: overall or personal probability and the observer's
// performance level. The checks and effects belong to ObserverEntry; this
// class only moves text.
#pragma once

#include <QDialog>

#include "visibility/observer_entry.h"

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
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
