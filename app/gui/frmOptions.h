// The options dialog: precision, Moon calculation mode, plot mode, speed of
// the probability calculation, language and the testimony inputs. The checks
// and effects belong to OptionsEntry; this class only moves text.
#pragma once

#include <QDialog>
#include <array>

#include "visibility/options_entry.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nemora {

class Session;

class frmOptions : public QDialog {
  Q_OBJECT
 public:
  explicit frmOptions(Session& session, QWidget* parent = nullptr);

 private:
  // Controls to model and back.
  void readControls();
  void showControls();
  void refreshLikelyObservers();

  OptionsEntry entry_;
  std::array<QRadioButton*, 3> optPrecision_{};  // opt0, opt1, opt2
  QRadioButton *optG0_ = nullptr, *OptG1_ = nullptr;
  std::array<QRadioButton*, 3> optPlotMode_{};   // optP0, optP1, optP2
  std::array<QRadioButton*, 4> optSpeed_{};      // optS0 to optS3
  QRadioButton *optEnglish_ = nullptr, *optHebrew_ = nullptr;
  QLineEdit *txtNWitnesses_ = nullptr, *txtPopulation_ = nullptr;
  QCheckBox* chkWomen_ = nullptr;
  QCheckBox* chkClassicModel_ = nullptr;
  QLabel* lblwit_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr, *cmdDefault_ = nullptr;
};

}  // namespace nemora
