#include "app/gui/frmMap.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/widget_factory.h"
#include "app/session.h"
#include "base/errors.h"
#include "plot/map_painter.h"
#include "plot/picture_file.h"
#include "plot/plot_frame.h"

namespace nemora {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// The picture box: paints whatever its window draws, at the box's size.
class MapView : public QWidget {
 public:
  MapView(const frmMap& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName("picMap");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(360, 240);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    owner_.drawOn(painter, QRectF(rect()));
  }

 private:
  const frmMap& owner_;
};

bool frmMap::Inputs::operator==(const Inputs& o) const {
  const MapGrid &a = request.grid, &b = o.request.grid;
  return a.dblStep == b.dblStep && a.dblLatMin == b.dblLatMin && a.dblLatMax == b.dblLatMax &&
         a.dblLonMin == b.dblLonMin && a.dblLonMax == b.dblLonMax && request.blnEvening == o.request.blnEvening &&
         request.mode == o.request.mode && request.intThreads == o.request.intThreads && lngDay == o.lngDay &&
         options == o.options && observer == o.observer && weather == o.weather && criterion == o.criterion;
}

frmMap::frmMap(Session& session, QWidget* parent) : QWidget(parent, Qt::Window), session_(session) {
  setObjectName("frmMap");
  picMap_ = new MapView(*this, this);
  prgProgress_ = makeNamed<QProgressBar>(this, "prgProgress");
  prgProgress_->setRange(0, 1000);
  prgProgress_->setTextVisible(true);
  lblStatus_ = makeLabel(this, "lblStatus", QString());
  lblStatus_->setWordWrap(true);
  lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cmdSave_ = makeButton(this, "cmdSave", QString());
  cmdCancel_ = makeButton(this, "cmdCancel", QString());
  cmdClose_ = makeButton(this, "cmdClose", QString());

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(prgProgress_, 1);
  buttons->addWidget(cmdCancel_);
  buttons->addWidget(cmdSave_);
  buttons->addWidget(cmdClose_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picMap_, 1);
  layout->addWidget(lblStatus_);
  layout->addLayout(buttons);
  cmdSave_->setEnabled(false);
  cmdCancel_->setEnabled(false);
  followLanguage();
  resize(1000, 680);

  connect(cmdCancel_, &QPushButton::clicked, this, [this] { job_.requestStop(); });
  connect(cmdSave_, &QPushButton::clicked, this, &frmMap::askAndSave);
  connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
}

frmMap::~frmMap() { cancel(); }

void frmMap::cancel() { job_.stop(); }

void frmMap::closeEvent(QCloseEvent* event) {
  // A closed window computes nothing: a map cut short is computed again
  // when it is asked for next.
  if (running()) {
    cancel();
    inputs_.reset();
  }
  QWidget::closeEvent(event);
}

void frmMap::followLanguage() {
  const MapWindowTexts t = mapWindowTexts(session_.intLanguage);
  setWindowTitle(q(t.strCaption));
  cmdSave_->setText(q(t.strSave));
  cmdCancel_->setText(q(t.strCancel));
  cmdClose_->setText(q(t.strClose));
  // Hebrew reads from right to left: the buttons' order and the status line.
  setLayoutDirection(session_.intLanguage == 1 ? Qt::RightToLeft : Qt::LeftToRight);
  picMap_->update();
}

bool frmMap::follow(double dblStep) {
  followLanguage();
  Inputs inputs;
  if (!inputMapRequest(session_, dblStep > 0 ? dblStep : 1, inputs.request)) return false;
  bool ok = true;
  inputs.lngDay = static_cast<int32_t>(session_.dateText.FixedToDay(session_.dblFixDate + session_.dblFixTime, ok));
  if (!ok) return false;
  inputs.options = session_.options;
  inputs.observer = session_.udtObserver;
  inputs.weather = session_.udtWeather;
  inputs.criterion = session_.udtUserCriterion;
  show();
  if (inputs_ && *inputs_ == inputs) return true;
  inputs_ = inputs;
  compute(inputs.request);
  return true;
}

void frmMap::compute(const MapRequest& request) {
  cancel();
  shown_ = false;
  message_ = q(mapWindowTexts(session_.intLanguage).strComputing);
  lblStatus_->clear();
  prgProgress_->setValue(0);
  cmdCancel_->setEnabled(true);
  cmdSave_->setEnabled(false);
  picMap_->update();
  if (!coast_) {
    try {
      coast_ = loadCoastlines(session_.dataFile("coastlines.txt"));
      coastProblem_.clear();
    } catch (const AppError& e) {
      // The map is drawn without coastlines; the status line says why.
      coastProblem_ = q(errorText(e));
    }
  }
  started_ = std::chrono::steady_clock::now();
  job_.start(
      session_,
      [this, request](Session& s, const BackgroundJob::Progress& progress, const std::atomic<bool>& cancel) {
        result_ = VisibilityMap{};
        resultOk_ = false;
        resultOk_ = computeVisibilityMap(s, request, result_, progress, &cancel);
      },
      [this](double f) { prgProgress_->setValue(static_cast<int>(f * 1000)); }, [this] { finish(); });
}

void frmMap::finish() {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  const MapWindowTexts t = mapWindowTexts(session_.intLanguage);
  map_ = std::move(result_);
  cmdCancel_->setEnabled(false);
  QStringList status;
  if (!resultOk_) {
    message_ = q(t.strFailed);
    inputs_.reset();
  } else if (!map_.blnComplete) {
    message_ = q(t.strCancelled);
    inputs_.reset();
  } else {
    message_.clear();
    shown_ = true;
    prgProgress_->setValue(1000);
    status << q(mapDoneText(map_.cells.size(), seconds, session_.intLanguage));
  }
  if (!coastProblem_.isEmpty()) status << coastProblem_;
  for (const std::string& m : job_.messages()) status << q(m);
  lblStatus_->setText(status.join('\n'));
  cmdSave_->setEnabled(shown_);
  picMap_->update();
  emit finished();
}

void frmMap::drawOn(QPainter& painter, const QRectF& rect) const {
  painter.fillRect(rect, Qt::white);
  if (!shown_) {
    plot::drawMessage(painter, rect, message_, session_.intLanguage == 1);
    return;
  }
  const plot::MapPictureText text = plot::mapPictureText(session_, map_);
  plot::drawVisibilityMap(painter, rect, map_, coast_.get(), text);
}

bool frmMap::savePicture(const QString& file) {
  if (!shown_) return false;
  try {
    const plot::MapPictureText text = plot::mapPictureText(session_, map_);
    plot::writePicture(
        file.toStdString(), plot::mapPictureSize(map_),
        [&](QPainter& p, const QRectF& r) { plot::drawVisibilityMap(p, r, map_, coast_.get(), text); }, text.title);
  } catch (const AppError& e) {
    session_.showMessage(errorText(e));
    return false;
  }
  return true;
}

void frmMap::askAndSave() {
  const MapWindowTexts t = mapWindowTexts(session_.intLanguage);
  const QString start = QDir(q(session_.workDir.string())).filePath("map.png");
  QString file =
      QFileDialog::getSaveFileName(this, q(t.strSaveTitle), start, "PNG (*.png);;SVG (*.svg);;PDF (*.pdf)");
  if (file.isEmpty()) return;
  if (QFileInfo(file).suffix().isEmpty()) file += ".png";
  savePicture(file);
}

}  // namespace nemora
