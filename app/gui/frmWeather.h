// The weather dialog: the basis of the weather estimate and, for the Manual
// and Fixed bases, the typed means and ranges. The checks and effects belong
// to WeatherEntry; this class only moves text.
#pragma once

#include <array>

#include <QDialog>

#include "location/weather_entry.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace nemora {

class Session;

class frmWeather : public QDialog {
  Q_OBJECT
 public:
  explicit frmWeather(Session& session, QWidget* parent = nullptr);

  // True when the dialog closed with OK (the weather was stored).
  bool blnOK() const { return entry_.blnOK; }

 private:
  void readControls();
  void showControls();
  void enableBoxes();

  WeatherEntry entry_;
  QComboBox* cboBasis_ = nullptr;
  // Rows temperature, pressure, humidity; columns mean, daily, annual.
  std::array<std::array<QLineEdit*, 3>, 3> txt_{};
  QPushButton *cmdOK_ = nullptr, *cmdCancel_ = nullptr;
};

}  // namespace nemora
