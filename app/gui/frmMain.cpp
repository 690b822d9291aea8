#include "app/gui/frmMain.h"

#include <QComboBox>
#include <algorithm>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <cstdlib>

#include "base/errors.h"
#include "app/gui/frmSightings.h"
#include "app/gui/frmGraph.h"
#include "app/gui/frmMap.h"
#include "graphs/graph_texts.h"
#include "app/gui/help_window.h"
#include "app/gui/qt_message_sink.h"
#include "app/gui/widget_factory.h"
#include "app/main_lists.h"
#include "app/session.h"
#include "app/gui/frmDate.h"
#include "app/gui/frmLocation.h"
#include "app/gui/frmWeather.h"
#include "app/gui/frmTime.h"
#include "app/gui/frmCriterion.h"
#include "visibility/phases.h"
#include "app/gui/frmObserver.h"
#include "app/gui/frmOptions.h"

namespace nemora {

frmMain::frmMain(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), model_(session) {
  setObjectName("frmMain");
  setWindowTitle(kApplicationTitle);
  central_ = new QWidget(this);
  setCentralWidget(central_);
  auto* layout = new QVBoxLayout(central_);

  buildInputFrame();
  buildOutputFrame();
  buildButtons();
  layout->addWidget(fraInput_);
  layout->addWidget(fraOutput_, 1);

  // The test buttons are hidden in normal use.
  cmdTable_->hide();
  cmdRand_->hide();

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {cmdOptions_, cmdHelp_, cmdPrint_, cmdSave_, cmdTable_, cmdT_, cmdRand_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(cmdCRight_);
  layout->addLayout(buttons);

  wireEvents();
  // The window grows with the results; below this the controls would crowd.
  setMinimumSize(600, 480);
  resize(860, 680);
  graph_ = new frmGraph(session_, this);
  map_ = new frmMap(session_, this);
}

void frmMain::startUp(double dblClockSerial, bool blnClockIsUT) {
  model_.startUp(dblClockSerial, blnClockIsUT);
  refresh();
}

void frmMain::buildInputFrame() {
  fraInput_ = makeGroupBox(central_, "fraInput", "Input");
  lblDate_ = makeLabel(central_, "lblDate", "Date:");
  lblTime_ = makeLabel(central_, "lblTime", "Time:");
  lblLocation_ = makeLabel(central_, "lblLocation", "Location:");
  lblWeather_ = makeLabel(central_, "lblWeather", "Weather");
  lblObserver_ = makeLabel(central_, "lblObserver", "Observer:");
  lblCriterion_ = makeLabel(central_, "lblCriterion", "Criterion:");
  cmdChangeDate_ = makeButton(central_, "cmdChangeDate", "Change");
  cmdChangeTime_ = makeButton(central_, "cmdChangeTime", "Change");
  cmdChangeLocation_ = makeButton(central_, "cmdChangeLocation", "Change");
  cmdChangeWeather_ = makeButton(central_, "cmdChangeWeather", "Change");
  cmdObserver_ = makeButton(central_, "cmdObserver", "Change");
  cmdCriterion_ = makeButton(central_, "cmdCriterion", "Change");

  auto* grid = new QGridLayout(fraInput_);
  const std::pair<QLabel*, QPushButton*> rows[] = {
      {lblDate_, cmdChangeDate_},         {lblTime_, cmdChangeTime_},  {lblLocation_, cmdChangeLocation_},
      {lblWeather_, cmdChangeWeather_},   {lblObserver_, cmdObserver_}, {lblCriterion_, cmdCriterion_},
  };
  int row = 0;
  for (const auto& [label, button] : rows) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, row, 0);
    grid->addWidget(button, row, 1);
    ++row;
  }
  grid->setColumnStretch(0, 1);
}

void frmMain::buildOutputFrame() {
  fraOutput_ = makeGroupBox(central_, "fraOutput", "Output");
  optConvert_ = makeNamed<QRadioButton>(fraOutput_, "optConvert", "Convert Date");
  optBody_ = makeNamed<QRadioButton>(fraOutput_, "optBody", "Moon, Sun, Planets");
  lblOption_ = makeLabel(central_, "lblOption", "Body");
  lblOption2_ = makeLabel(central_, "lblOption2", "Parameter");
  cboOption_ = makeNamed<QComboBox>(fraOutput_, "cboOption");
  cboOption2_ = makeNamed<QComboBox>(fraOutput_, "cboOption2");
  lblOutput3_ = makeLabel(central_, "lblOutput3", "");
  lblOutput3_->setWordWrap(true);
  lblOutput3_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblOutput3_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblOutput3_->setMinimumHeight(160);
  // The result is the page the window is for: on the text background, in a
  // larger font than the controls', scrolling when it is long.
  QFont resultFont = lblOutput3_->font();
  if (resultFont.pointSizeF() > 0) resultFont.setPointSizeF(std::max(resultFont.pointSizeF() * 1.2, 11.0));
  lblOutput3_->setFont(resultFont);
  lblOutput3_->setBackgroundRole(QPalette::Base);
  lblOutput3_->setAutoFillBackground(true);
  lblOutput3_->setMargin(8);
  auto* resultArea = new QScrollArea(fraOutput_);
  resultArea->setObjectName("scrOutput3");
  resultArea->setWidgetResizable(true);
  resultArea->setWidget(lblOutput3_);

  auto* modes = new QHBoxLayout;
  modes->addWidget(optConvert_);
  modes->addWidget(optBody_);
  modes->addStretch(1);
  auto* lists = new QGridLayout;
  lists->addWidget(lblOption_, 0, 0);
  lists->addWidget(cboOption_, 1, 0);
  lists->addWidget(lblOption2_, 0, 1);
  lists->addWidget(cboOption2_, 1, 1);
  auto* layout = new QVBoxLayout(fraOutput_);
  layout->addLayout(modes);
  layout->addLayout(lists);
  layout->addWidget(resultArea, 1);
}

void frmMain::buildButtons() {
  cmdOptions_ = makeButton(central_, "cmdOptions", "Options");
  cmdHelp_ = makeButton(central_, "cmdHelp", "Help");
  cmdPrint_ = makeButton(central_, "cmdPrint", "Print");
  cmdSave_ = makeButton(central_, "cmdSave", "Save to out.txt");
  cmdTable_ = makeButton(central_, "cmdTable", "Make table");
  cmdT_ = makeButton(central_, "cmdT", "Test");
  cmdRand_ = makeButton(central_, "cmdRand", "Random Test");
  cmdCRight_ = makeButton(central_, "cmdCRight", kOwnershipCaption);
  cmdCRight_->setFlat(true);
}

void frmMain::chooseConvertMode() { optConvert_->setChecked(true); }

bool frmMain::chooseReport(const QString& body, const QString& parameter) {
  if (cboOption_->findText(body) < 0) return false;
  cboOption_->setCurrentText(body);
  if (cboOption2_->findText(parameter) < 0) return false;
  cboOption2_->setCurrentText(parameter);
  return true;
}

void frmMain::wireEvents() {
  connect(cmdHelp_, &QPushButton::clicked, this, &frmMain::showHelp);
  connect(cmdCRight_, &QPushButton::clicked, this, &frmMain::showOwnership);
  connect(cmdSave_, &QPushButton::clicked, this, [this] { runEvent([this] { saveToOutTxt(); }); });
  connect(cmdPrint_, &QPushButton::clicked, this, [this] { runEvent([this] { print(); }); });
  connect(cmdT_, &QPushButton::clicked, this, [this] {
    // The recorded sightings are judged for the average observer; the
    // observer's own choice is restored afterwards.
    const bool overall = session_.udtObserver.blnOverall;
    session_.udtObserver.blnOverall = true;
    frmSightings dialog(session_, this);
    dialog.analyse(frmSightings::bundledFile(session_));
    dialog.exec();
    session_.udtObserver.blnOverall = overall;
  });
  connect(cmdTable_, &QPushButton::clicked, this, [this] {
    runEvent([this] {
      // The new-Moon table makes thousands of visibility searches: a
      // progress dialog counts the lunations and its Cancel button stops
      // the table (the lunations done are written).
      QProgressDialog progress(QString::fromUtf8("Making the new-Moon table"), QString::fromUtf8("Cancel"), 0,
                               25000, this);
      progress.setWindowTitle(windowTitle());
      progress.setWindowModality(Qt::WindowModal);
      progress.setMinimumDuration(0);
      bool ok = true;
      MoonPhases(session_).NewMoonTable(
          [&progress](int32_t done, int32_t total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QApplication::processEvents();
            return !progress.wasCanceled();
          },
          ok);
      model_.Evaluate();
    });
  });
  connect(optConvert_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) runEvent([this] { model_.chooseConvert(); });
  });
  connect(optBody_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) runEvent([this] { model_.chooseBody(); });
  });
  connect(cboOption_, &QComboBox::currentIndexChanged, this,
          [this](int index) { runEvent([this, index] { model_.optionChanged(index); }); });
  connect(cboOption2_, &QComboBox::currentIndexChanged, this,
          [this](int index) { runEvent([this, index] { model_.option2Changed(index); }); });
  connect(cmdOptions_, &QPushButton::clicked, this, [this] {
    frmOptions dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdChangeDate_, &QPushButton::clicked, this, [this] {
    frmDate dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdChangeTime_, &QPushButton::clicked, this, [this] {
    frmTime dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdChangeLocation_, &QPushButton::clicked, this, [this] {
    frmLocation dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdCriterion_, &QPushButton::clicked, this, [this] {
    frmCriterion dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdChangeWeather_, &QPushButton::clicked, this, [this] {
    frmWeather dialog(session_, this);
    runDialog(dialog);
  });
  connect(cmdObserver_, &QPushButton::clicked, this, [this] {
    frmObserver dialog(session_, this);
    runDialog(dialog);
  });
}

void frmMain::runEvent(const std::function<void()>& event) {
  try {
    event();
    refresh();
  } catch (const ProgramEnd& end) {
    QApplication::exit(end.status);
    std::exit(end.status);
  } catch (const AppError& e) {
    // A fault that reaches a window event ends the program after its message.
    session_.showMessage(e.description);
    QApplication::exit(1);
    std::exit(1);
  }
}

void frmMain::runDialog(QDialog& dialog) {
  runEvent([&] {
    lblOutput3_->setEnabled(false);
    dialog.exec();
    lblOutput3_->setEnabled(true);
    model_.Evaluate();
  });
}

// Shows a list of the model without firing the list's change event.
static void showList(QComboBox* list, QLabel* caption, const OptionList& model) {
  QSignalBlocker quiet(list);
  QStringList items;
  for (const auto& item : model.items) items << QString::fromStdString(item);
  bool same = list->count() == items.size();
  for (int i = 0; same && i < items.size(); ++i) same = list->itemText(i) == items[i];
  if (!same) {
    list->clear();
    list->addItems(items);
  }
  list->setCurrentIndex(model.index);
  list->setVisible(model.visible);
  caption->setText(QString::fromStdString(model.caption));
  caption->setVisible(model.visible);
}

void frmMain::refresh() {
  const MainLabels& l = model_.labels;
  const std::pair<QLabel*, const std::string*> texts[] = {
      {lblDate_, &l.lblDate},         {lblTime_, &l.lblTime},         {lblLocation_, &l.lblLocation},
      {lblWeather_, &l.lblWeather},   {lblObserver_, &l.lblObserver}, {lblCriterion_, &l.lblCriterion},
      {lblOutput3_, &l.lblOutput3}};
  for (const auto& [label, text] : texts) label->setText(QString::fromStdString(*text).replace("\r\n", "\n"));
  // Hebrew results read from right to left.
  bool rightToLeft = session_.intLanguage == 1;
  lblOutput3_->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  // Leading is the right edge in a right-to-left layout.
  lblOutput3_->setAlignment(Qt::AlignLeading | Qt::AlignTop);
  {
    QSignalBlocker quietConvert(optConvert_);
    QSignalBlocker quietBody(optBody_);
    optConvert_->setChecked(model_.convertMode());
    optBody_->setChecked(!model_.convertMode());
  }
  showList(cboOption_, lblOption_, model_.cboOption);
  showList(cboOption2_, lblOption2_, model_.cboOption2);
  cmdChangeTime_->setEnabled(!isDayNumberType(session_.udtDateIn.enmDateType));
  // The graph window follows the result; when the graph changes the
  // report's tense, the report is written again.
  if (graph_ && graph_->follow(model_)) {
    model_.Evaluate();
    refresh();
  }
  // Each evaluation of the Moon's "Visibility map" shows the map window,
  // which computes the map again only when the inputs changed.
  if (map_ && model_.blnMapWanted) {
    model_.blnMapWanted = false;
    map_->follow();
  } else if (map_ && map_->isVisible()) {
    map_->followLanguage();
  }
}

void frmMain::saveToOutTxt() {
  try {
    model_.saveOutTxt(kApplicationTitle);
  } catch (const AppError& e) {
    // The old out.txt is left whole; the user can choose another folder.
    session_.showMessage("out.txt could not be written: " + e.description);
  }
}

void frmMain::print() {
  QPrinter printer;
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    QString file = QFileDialog::getSaveFileName(this, "No printer found: print into a PDF file", "out.pdf",
                                                "PDF files (*.pdf)");
    if (file.isEmpty()) return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
  }
  printTo(printer);
}

void frmMain::printTo(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    session_.showMessage("The printer could not be started.");
    return;
  }
  QFontMetrics metrics(painter.font());
  int y = metrics.height();
  for (const auto& line : model_.savedLines(kApplicationTitle)) {
    for (const QString& piece : QString::fromStdString(line).replace("\r\n", "\n").split('\n')) {
      if (y > painter.viewport().height() - metrics.height()) {
        printer.newPage();
        y = metrics.height();
      }
      painter.drawText(0, y, piece);
      y += metrics.height();
    }
  }
  // With the graph window open: its legend line, then the graph from two
  // text heights lower to the foot of the page.
  if (graph_ && graph_->isVisible()) {
    const int line = metrics.boundingRect("0").height();
    if (y + 2 * line > painter.viewport().height() / 2) {
      printer.newPage();
      y = metrics.height();
    }
    painter.drawText(0, y, QString::fromUtf8(kLegendThreeClasses));
    y += 2 * line;
    graph_->drawOn(painter, QRectF(0, y, painter.viewport().width(), painter.viewport().height() - y), false);
  }
  painter.end();
}

void frmMain::showHelp() {
  HelpWindow help(this);
  help.exec();
}

void frmMain::showOwnership() {
  QMessageBox::information(this, kApplicationTitle, kOwnershipNotice, QMessageBox::Ok);
}

bool frmMain::saveScreenshot(const QString& file) { return grab().save(file, "PNG"); }

void frmMain::rememberGeometry() {
  blnRememberGeometry_ = true;
  restoreGeometry(QSettings().value("frmMain/geometry").toByteArray());
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (blnRememberGeometry_) QSettings().setValue("frmMain/geometry", saveGeometry());
  // Closing writes the current location back for the next run.
  runEvent([this] { model_.saveLocationOnClose(); });
  event->accept();
}

}  // namespace nemora
