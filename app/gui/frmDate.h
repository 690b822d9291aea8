// The date dialog: the input date in any of the eight date types. The
// checks and effects belong to DateEntry; this class only moves text.
#pragma once

#include <QDialog>

#include "timescale/date_entry.h"

class QCloseEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nemora {

class Session;

class frmDate : public QDialog {
  Q_OBJECT
 public:
  explicit frmDate(Session& session, QWidget* parent = nullptr);

  // Escape acts as Cancel.
  void reject() override;

 protected:
  // Closing the window other than by OK or Cancel acts as OK.
  void closeEvent(QCloseEvent* event) override;

 private:
  void readControls();
  void showControls();
  void fillMonths();
  void showEnabledStates();

  DateEntry entry_;
  QComboBox *cboType_ = nullptr, *cboMonth_ = nullptr;
  QLineEdit *txtDayNo_ = nullptr, *txtDate_ = nullptr, *txtYear_ = nullptr;
  QRadioButton *optCE_ = nullptr, *optBCE_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
