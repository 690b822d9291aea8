#include "app/frmSightings.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/errors.h"
#include "app/gui/widget_factory.h"
#include "base/atomic_file.h"
#include "app/session.h"
#include "app/session_pool.h"
#include "plot/sightings_painter.h"

namespace nemora {

// The scatter plot, drawn by the same routine as the picture files.
class SightingsPlotView : public QWidget {
 public:
  explicit SightingsPlotView(QWidget* parent) : QWidget(parent) {
    setObjectName("picSightings");
    setMinimumSize(480, 360);
  }
  void setData(ScatterData data) {
    data_ = std::move(data);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    plot::drawSightings(p, QRectF(rect()), data_);
  }

 private:
  ScatterData data_;
};

frmSightings::frmSightings(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName("frmSightings");
  setWindowTitle("Analysis of recorded sightings");
  lblFile_ = makeLabel(this, "lblFile", QString());
  prgProgress_ = makeNamed<QProgressBar>(this, "prgProgress");
  prgProgress_->setRange(0, 1000);
  prgProgress_->setTextVisible(true);
  cmdOpen_ = makeButton(this, "cmdOpen", "Open...");
  cmdCancel_ = makeButton(this, "cmdCancel", "Cancel");
  cmdClose_ = makeButton(this, "cmdClose", "Close");
  tabs_ = makeNamed<QTabWidget>(this, "tabSightings");
  txtScores_ = makeNamed<QPlainTextEdit>(this, "txtScores");
  txtScores_->setReadOnly(true);
  txtScores_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtScores_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  plot_ = new SightingsPlotView(this);
  tabs_->addTab(txtScores_, "Scores");
  tabs_->addTab(plot_, "Plot");

  auto* top = new QHBoxLayout;
  top->addWidget(lblFile_, 1);
  top->addWidget(cmdOpen_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(prgProgress_, 1);
  bottom->addWidget(cmdCancel_);
  bottom->addWidget(cmdClose_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(tabs_, 1);
  layout->addLayout(bottom);
  resize(980, 720);
  cmdCancel_->setEnabled(false);

  connect(cmdOpen_, &QPushButton::clicked, this, [this] {
    QString start = path_.isEmpty() ? bundledFile(session_) : path_;
    QString file = QFileDialog::getOpenFileName(this, "Open sightings file", QFileInfo(start).absolutePath(),
                                                "Sightings (*.csv *.txt);;All files (*)");
    if (!file.isEmpty()) analyse(file);
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { cancel_ = true; });
  connect(cmdClose_, &QPushButton::clicked, this, &QDialog::close);
}

frmSightings::~frmSightings() { stop(); }

QString frmSightings::bundledFile(const Session& session) {
  return QString::fromStdString(session.dataFile("sightings/yallop.csv").string());
}

void frmSightings::stop() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  worker_.join();
}

void frmSightings::closeEvent(QCloseEvent* event) {
  stop();
  QDialog::closeEvent(event);
}

void frmSightings::analyse(const QString& path) {
  stop();
  path_ = path;
  lblFile_->setText(path);
  txtScores_->setPlainText("Analysing " + path + " ...");
  prgProgress_->setValue(0);
  cmdCancel_->setEnabled(true);
  cmdOpen_->setEnabled(false);
  cancel_ = false;
  sink_.clear();
  // A session of the analysis's own, so that nothing the workers report
  // reaches the window's message boxes from another thread.
  analysisSession_ = std::make_unique<Session>(sink_);
  SessionPool::prepareLike(session_, *analysisSession_);
  const std::filesystem::path file = path.toStdString();
  // What a run cut short by a new one posts to the window is dropped: only
  // the latest run's progress and end are shown.
  const unsigned generation = ++generation_;
  worker_ = std::thread([this, file, generation] {
    Session& s = *analysisSession_;
    result_ = SightingsAnalysis{};
    SightingsFile sightings = ReadSightingsFile(s, file);
    if (sightings.strError.empty()) {
      result_ = AnalyzeSightings(
          s, sightings, AnalysisSettings{},
          [this, generation](double f) {
            QMetaObject::invokeMethod(
                this,
                [this, f, generation] {
                  if (generation == generation_) prgProgress_->setValue(static_cast<int>(f * 1000));
                },
                Qt::QueuedConnection);
          },
          &cancel_);
    } else {
      result_.file = sightings;
    }
    QMetaObject::invokeMethod(
        this, [this, generation] { if (generation == generation_) finish(); }, Qt::QueuedConnection);
  });
}

void frmSightings::finish() {
  if (worker_.joinable()) worker_.join();
  analysis_ = std::move(result_);
  cmdCancel_->setEnabled(false);
  cmdOpen_->setEnabled(true);
  QString text;
  if (!analysis_.file.strError.empty()) {
    text = QString::fromStdString(analysis_.file.strError);
  } else {
    std::string t = AnalysisText(analysis_);
    if (!sink_.messages.empty()) {
      t += "\nMessages\n";
      for (const std::string& m : sink_.messages) t += m + "\n";
    }
    // The whole analysis goes to Output.txt, as the reports do.
    try {
      writeFileAtomically(session_.workFile("Output.txt"), t);
    } catch (const AppError& e) {
      t += "\n" + errorText(e) + "\n";
    }
    text = QString::fromStdString(t);
    prgProgress_->setValue(analysis_.blnComplete ? 1000 : prgProgress_->value());
  }
  txtScores_->setPlainText(text);
  plot_->setData(SightingsScatter(analysis_));
  emit finished();
}

}  // namespace nemora
