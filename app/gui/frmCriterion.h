// The criterion dialog: the criterion type, the darkness and brightness
// measures, the point of the Moon, the frame and the moment of evaluation of
// the user's criterion. The checks and effects belong to CriterionEntry; this
// class only moves text.
#pragma once

#include <QDialog>

#include "visibility/criterion_entry.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace nemora {

class Session;

class frmCriterion : public QDialog {
  Q_OBJECT
 public:
  explicit frmCriterion(Session& session, QWidget* parent = nullptr);

 private:
  // Controls to model and back, and the enabling rules.
  void readControls();
  void showControls();
  void refreshEnabled();

  CriterionEntry entry_;
  QComboBox *cboType_ = nullptr, *cboDarkness_ = nullptr, *cboMoonPart_ = nullptr, *cboMoonBright_ = nullptr,
            *cboFrom_ = nullptr, *cboWhen_ = nullptr;
  QLineEdit* txtWhen_ = nullptr;
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr, *cmdTest_ = nullptr;
};

}  // namespace nemora
