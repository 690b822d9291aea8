#include "app/gui/frmWeather.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/widget_factory.h"
#include "app/session.h"

namespace nemora {

namespace {

// Names of the boxes by row (temperature, pressure, humidity) and column
// (mean, daily range, annual range).
constexpr const char* kBoxNames[3][3] = {
    {"txtTM", "txtTD", "txtTA"}, {"txtPM", "txtPD", "txtPA"}, {"txtHM", "txtHD", "txtHA"}};

// The model's text for each box, in the same order.
std::array<std::array<std::string*, 3>, 3> boxTexts(WeatherControls& c) {
  return {{{&c.txtTM, &c.txtTD, &c.txtTA}, {&c.txtPM, &c.txtPD, &c.txtPA}, {&c.txtHM, &c.txtHD, &c.txtHA}}};
}

}  // namespace

frmWeather::frmWeather(Session& session, QWidget* parent) : QDialog(parent), entry_(session) {
  setObjectName("frmWeather");
  setWindowTitle("Weather");
  setModal(true);

  QLabel* lblBasis = makeLabel(this, "lblBasis", "Basis");
  cboBasis_ = makeNamed<QComboBox>(this, "cboBasis");
  for (const char* name : kWeatherBasisNames) cboBasis_->addItem(name);
  lblBasis->setBuddy(cboBasis_);

  auto* grid = new QGridLayout;
  grid->addWidget(makeLabel(this, "lblMean", "Mean"), 0, 1);
  grid->addWidget(makeLabel(this, "lblDaily", "Daily range"), 0, 2);
  grid->addWidget(makeLabel(this, "lblAnnual", "Annual range"), 0, 3);
  const QString rowCaptions[3] = {QString::fromUtf8("Temperature (°C)"), "Pressure (mbar)", "Humidity (%)"};
  const char* rowNames[3] = {"lblTemperature", "lblPressure", "lblHumidity"};
  for (int row = 0; row < 3; ++row) {
    grid->addWidget(makeLabel(this, rowNames[row], rowCaptions[row]), row + 1, 0);
    for (int col = 0; col < 3; ++col) {
      QLineEdit* box = makeLineEdit(this, kBoxNames[row][col]);
      txt_[static_cast<size_t>(row)][static_cast<size_t>(col)] = box;
      grid->addWidget(box, row + 1, col + 1);
    }
  }

  cmdOK_ = makeButton(this, "cmdOK", "OK");
  cmdOK_->setDefault(true);
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");

  auto* basis = new QHBoxLayout;
  basis->addWidget(lblBasis);
  basis->addWidget(cboBasis_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(basis);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  showControls();

  connect(cboBasis_, &QComboBox::currentIndexChanged, this, [this](int index) {
    entry_.controls.cboBasis = index;
    enableBoxes();
  });
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    readControls();
    if (entry_.cmdOK()) accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] {
    if (entry_.cmdCancel()) reject();
  });
}

void frmWeather::readControls() {
  entry_.controls.cboBasis = cboBasis_->currentIndex();
  auto texts = boxTexts(entry_.controls);
  for (size_t row = 0; row < 3; ++row)
    for (size_t col = 0; col < 3; ++col) *texts[row][col] = txt_[row][col]->text().toStdString();
}

void frmWeather::showControls() {
  // An unknown basis selects no entry.
  int basis = entry_.controls.cboBasis;
  cboBasis_->setCurrentIndex(basis >= 0 && basis < cboBasis_->count() ? basis : -1);
  auto texts = boxTexts(entry_.controls);
  for (size_t row = 0; row < 3; ++row)
    for (size_t col = 0; col < 3; ++col) txt_[row][col]->setText(QString::fromStdString(*texts[row][col]));
  enableBoxes();
}

void frmWeather::enableBoxes() {
  for (size_t row = 0; row < 3; ++row) {
    txt_[row][0]->setEnabled(entry_.meansEnabled());
    txt_[row][1]->setEnabled(entry_.rangesEnabled());
    txt_[row][2]->setEnabled(entry_.rangesEnabled());
  }
}

}  // namespace nemora
