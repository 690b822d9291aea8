// The window of the analysis of recorded sightings: the score card of every
// criterion and of the photometric model (the text written to Output.txt)
// the scatter plot of the records under Yallop's and Odeh's limits, and the
// reliability plot of the photometric probability. The
// analysis runs on worker threads while a progress bar counts the records;
// Cancel stops it and the records done are scored. Another file can be
// chosen with "Open...".
#pragma once

#include <QDialog>
#include <QString>

#include "app/gui/background_job.h"
#include "sightings/sighting_analysis.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace nemora {

class Session;
class SightingsPlotView;
class ReliabilityPlotView;

class frmSightings : public QDialog {
  Q_OBJECT
 public:
  explicit frmSightings(Session& session, QWidget* parent = nullptr);
  ~frmSightings() override;

  // The bundled sightings file (Yallop's records).
  static QString bundledFile(const Session& session);
  // Starts the analysis of a file (a running one is cancelled first).
  void analyse(const QString& path);
  // True while an analysis runs.
  bool running() const { return job_.running(); }
  // The last analysis (empty until one has finished).
  const SightingsAnalysis& analysis() const { return analysis_; }

 signals:
  // Emitted when an analysis has finished (or was cancelled) and is shown.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void finish();

  Session& session_;
  QLabel* lblFile_ = nullptr;
  QProgressBar* prgProgress_ = nullptr;
  QPushButton *cmdOpen_ = nullptr, *cmdCancel_ = nullptr, *cmdClose_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QPlainTextEdit* txtScores_ = nullptr;
  SightingsPlotView* plot_ = nullptr;
  ReliabilityPlotView* reliability_ = nullptr;

  // The analysis; its messages are shown with the scores.
  BackgroundJob job_{this};
  SightingsAnalysis result_;    // written by the job's thread
  SightingsAnalysis analysis_;  // shown
  QString path_;
};

}  // namespace nemora
