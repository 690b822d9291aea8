// The main window: six inputs with their "Change" buttons, the output frame
// with its mode buttons, two lists and the result label, and the command
// buttons. Controls carry the names the rest of the program uses; what they
// do lives in MainModel, which the window only presents.
#pragma once

#include <QMainWindow>
#include <functional>

#include "app/main_model.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QPrinter;
class QRadioButton;

namespace nemora {

class Session;
class frmGraph;
class frmMap;

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit frmMain(Session& session, QWidget* parent = nullptr);

  // The window's load: start-up of the model, then the controls show it.
  // Ends the program (ProgramEnd) when start-up fails. blnClockIsUT: the
  // serial is the clock in UT (MainModel::startUp).
  void startUp(double dblClockSerial, bool blnClockIsUT = false);

  // Chooses "Convert Date" mode as its option button does.
  void chooseConvertMode();
  // Chooses a body and one of its parameters in the two lists, as the user
  // does; false when either is not in its list.
  bool chooseReport(const QString& body, const QString& parameter);

  // Renders the window into a PNG file; false when it cannot be written.
  bool saveScreenshot(const QString& file);

  // Restores the window's size and position of the last run (QSettings) and
  // keeps them on closing.
  void rememberGeometry();

  MainModel& model() { return model_; }
  // The graph window that follows the results (hidden while there is no graph).
  frmGraph* graphWindow() const { return graph_; }
  // The window of the Moon's "Visibility map" (hidden until it is chosen).
  frmMap* mapWindow() const { return map_; }
  // Prints the inputs and the result, and with the graph window open its
  // legend line and graph on the same page, on the printer given.
  void printTo(QPrinter& printer);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildInputFrame();
  void buildOutputFrame();
  void buildButtons();
  void wireEvents();

  // Copies the model's labels and lists into the controls.
  void refresh();
  // Runs an event under the window's rule: a fault that reaches it shows its
  // description and ends the program.
  void runEvent(const std::function<void()>& event);
  // Shows a dialog modally with the result label disabled, then evaluates.
  void runDialog(QDialog& dialog);

  void saveToOutTxt();
  void print();
  void showHelp();
  void showOwnership();

  Session& session_;
  MainModel model_;
  frmGraph* graph_ = nullptr;
  frmMap* map_ = nullptr;
  bool blnRememberGeometry_ = false;

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
