// The main window: six inputs with their "Change" buttons, the output frame
// with its mode buttons, two lists and the result label, and the command
// buttons. Controls carry the names the rest of the program uses.
#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace nemora {

class Session;

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit frmMain(Session& session, QWidget* parent = nullptr);

  // Renders the window into a PNG file; false when it cannot be written.
  bool saveScreenshot(const QString& file);

 private:
  void buildInputFrame();
  void buildOutputFrame();
  void buildButtons();
  void wireEvents();
  QPushButton* makeButton(const char* name, const QString& caption);
  QLabel* makeLabel(const char* name, const QString& text);

  void fillList(QComboBox* list, const std::vector<std::string>& names, int selection);
  // List fills of the two modes.
  void FillDateTypes();
  void FillTimeTypes();
  void FillBodies();
  void FillParameters();

  void showHelp();
  void showOwnership();

  Session& session_;
  bool blnReady_ = false;
  int enmDateTypeOut_ = 4;
  int enmTimeTypeOut_ = 1;
  int intBody_ = 1;
  int intParameter_ = 10;

  QWidget* central_ = nullptr;
  QGroupBox* fraInput_ = nullptr;
  QGroupBox* fraOutput_ = nullptr;
  QLabel *lblDate_ = nullptr, *lblTime_ = nullptr, *lblLocation_ = nullptr, *lblWeather_ = nullptr,
         *lblObserver_ = nullptr, *lblCriterion_ = nullptr;
  QPushButton *cmdChangeDate_ = nullptr, *cmdChangeTime_ = nullptr, *cmdChangeLocation_ = nullptr,
              *cmdChangeWeather_ = nullptr, *cmdObserver_ = nullptr, *cmdCriterion_ = nullptr;
  QRadioButton *optConvert_ = nullptr, *optBody_ = nullptr;
  QLabel *lblOption_ = nullptr, *lblOption2_ = nullptr, *lblOutput3_ = nullptr;
  QComboBox *cboOption_ = nullptr, *cboOption2_ = nullptr;
  QPushButton *cmdOptions_ = nullptr, *cmdHelp_ = nullptr, *cmdPrint_ = nullptr, *cmdSave_ = nullptr,
              *cmdTable_ = nullptr, *cmdT_ = nullptr, *cmdRand_ = nullptr, *cmdCRight_ = nullptr;
};

}  // namespace nemora
