// The window of the world map of crescent visibility: the map of the
// evening (or morning) of the main window's input date by the criterion in
// force, or by the photometric probability. The cells are computed on worker
// threads while a progress bar counts them; Cancel stops the workers. The
// finished map is drawn by the same routine as the picture files, follows
// the window's size and can be saved as PNG, SVG or PDF. The window's own
// texts follow the session's language.
#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

#include "app/gui/background_job.h"
#include "location/weather.h"
#include "map/coastlines.h"
#include "map/visibility_map.h"
#include "base/criterion_types.h"
#include "base/options.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace nemora {

class Session;
class MapView;

class frmMap : public QWidget {
  Q_OBJECT
 public:
  explicit frmMap(Session& session, QWidget* parent = nullptr);
  ~frmMap() override;

  // Shows the window with the map of the session's inputs at dblStep
  // degrees (0: one degree), computing it unless the map shown (or being
  // computed) is of the same inputs. False when the inputs cannot be
  // evaluated (the message has been shown).
  bool follow(double dblStep = 0);
  // Starts computing a map (a running computation is cancelled first).
  void compute(const MapRequest& request);
  // Stops a running computation and waits for its workers.
  void cancel();
  // True while the cells are computed.
  bool running() const { return job_.running(); }
  // The last map computed (blnComplete false when cancelled).
  const VisibilityMap& map() const { return map_; }
  // Writes the finished map as a picture, PNG, SVG or PDF by the file's
  // extension, atomically; false when there is no finished map or the file
  // cannot be written (the message has been shown).
  bool savePicture(const QString& file);
  // Sets the window's texts in the session's language and draws the map's
  // texts in it.
  void followLanguage();
  // Draws what the window shows (the map, or a message) into the rectangle.
  void drawOn(QPainter& painter, const QRectF& rect) const;

 signals:
  // Emitted when a computation has finished or was cancelled, and is shown.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Everything the map depends on besides its grid.
  struct Inputs {
    MapRequest request;
    int32_t lngDay = 0;
    udtOptions options;
    udtObserver observer;
    udtWeather weather;
    udtCriterion criterion;
    bool operator==(const Inputs& o) const;
  };
  void finish();
  void askAndSave();

  Session& session_;
  MapView* picMap_ = nullptr;
  QProgressBar* prgProgress_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QPushButton *cmdSave_ = nullptr, *cmdCancel_ = nullptr, *cmdClose_ = nullptr;

  // The computation; its messages are shown in the status line.
  BackgroundJob job_{this};
  VisibilityMap result_;   // written by the job's thread
  bool resultOk_ = false;  // written by the job's thread
  VisibilityMap map_;     // shown
  bool shown_ = false;    // map_ is a finished, complete map
  std::optional<Inputs> inputs_;  // of the map shown or being computed
  std::chrono::steady_clock::time_point started_;
  std::shared_ptr<const Coastlines> coast_;
  QString message_;  // shown instead of a map
  QString coastProblem_;  // why the map is drawn without coastlines
};

}  // namespace nemora
