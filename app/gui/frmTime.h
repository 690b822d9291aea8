// The time dialog: the input time in one of the seven time types, on the
// 24-hour clock or with a.m./p.m. (night/day for seasonal hours), as the
// first or second occurrence in its day. The checks and effects belong to
// TimeEntry; this class only moves text.
#pragma once

#include <QDialog>

#include "timescale/time_entry.h"

class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nemora {

class Session;

class frmTime : public QDialog {
  Q_OBJECT
 public:
  explicit frmTime(Session& session, QWidget* parent = nullptr);

  // Escape acts as Cancel.
  void reject() override;

 protected:
  // Closing the window other than by OK or Cancel acts as OK.
  void closeEvent(QCloseEvent* event) override;

 private:
  void readControls();
  void showControls();
  void showTypeDependentStates();

  TimeEntry entry_;
  QComboBox* cboTimeType_ = nullptr;
  QLineEdit *txtHours_ = nullptr, *txtMinutes_ = nullptr, *txtSeconds_ = nullptr;
  QGroupBox *fra24Hr_ = nullptr, *fraAMPM_ = nullptr, *fraNTime_ = nullptr;
  QRadioButton *opt24Hr_ = nullptr, *optAmPm_ = nullptr, *optAM_ = nullptr, *optPM_ = nullptr, *opt1_ = nullptr,
               *opt2_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
