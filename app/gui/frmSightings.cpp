#include "app/gui/frmSightings.h"

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
#include "app/session.h"
#include "plot/sightings_painter.h"

namespace nemora {

// A plot of the analysis, drawn by the same routine as the command line's
// picture files: the scatter plot and the reliability plot of the
// photometric probability per observing method.
template <typename Data, void (*draw)(QPainter&, const QRectF&, const Data&)>
class PlotView : public QWidget {
 public:
  PlotView(QWidget* parent, const char* name) : QWidget(parent) {
    setObjectName(name);
    setMinimumSize(480, 360);
  }
  void setData(Data data) {
    data_ = std::move(data);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    draw(p, QRectF(rect()), data_);
  }

 private:
  Data data_;
};

class SightingsPlotView : public PlotView<ScatterData, plot::drawSightings> {
 public:
  explicit SightingsPlotView(QWidget* parent) : PlotView(parent, "picSightings") {}
};

class ReliabilityPlotView : public PlotView<ReliabilityData, plot::drawReliability> {
 public:
  explicit ReliabilityPlotView(QWidget* parent) : PlotView(parent, "picReliability") {}
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
  reliability_ = new ReliabilityPlotView(this);
  tabs_->addTab(reliability_, "Reliability");

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
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { job_.requestStop(); });
  connect(cmdClose_, &QPushButton::clicked, this, &QDialog::close);
}

frmSightings::~frmSightings() { job_.stop(); }

QString frmSightings::bundledFile(const Session& session) {
  return QString::fromStdString(session.dataFile("sightings/yallop.csv").string());
}

void frmSightings::closeEvent(QCloseEvent* event) {
  job_.stop();
  QDialog::closeEvent(event);
}

void frmSightings::analyse(const QString& path) {
  path_ = path;
  lblFile_->setText(path);
  txtScores_->setPlainText("Analysing " + path + " ...");
  prgProgress_->setValue(0);
  cmdCancel_->setEnabled(true);
  cmdOpen_->setEnabled(false);
  const std::filesystem::path file = path.toStdString();
  job_.start(
      session_,
      [this, file](Session& s, const BackgroundJob::Progress& progress, const std::atomic<bool>& cancel) {
        result_ = SightingsAnalysis{};
        SightingsFile sightings = ReadSightingsFile(s, file);
        if (sightings.strError.empty())
          result_ = AnalyzeSightings(s, sightings, AnalysisSettings{}, progress, &cancel);
        else
          result_.file = sightings;
      },
      [this](double f) { prgProgress_->setValue(static_cast<int>(f * 1000)); }, [this] { finish(); });
}

void frmSightings::finish() {
  analysis_ = std::move(result_);
  cmdCancel_->setEnabled(false);
  cmdOpen_->setEnabled(true);
  QString text;
  if (!analysis_.file.strError.empty()) {
    text = QString::fromStdString(analysis_.file.strError);
  } else {
    std::string t = AnalysisText(analysis_);
    if (!job_.messages().empty()) {
      t += "\nMessages\n";
      for (const std::string& m : job_.messages()) t += m + "\n";
    }
    // The whole analysis goes to Output.txt, as the reports do.
    try {
      session_.writeOutputTxt(t);
    } catch (const AppError& e) {
      t += "\n" + errorText(e) + "\n";
    }
    text = QString::fromStdString(t);
    prgProgress_->setValue(analysis_.blnComplete ? 1000 : prgProgress_->value());
  }
  txtScores_->setPlainText(text);
  plot_->setData(SightingsScatter(analysis_));
  reliability_->setData(SightingsReliability(analysis_));
  emit finished();
}

}  // namespace nemora
