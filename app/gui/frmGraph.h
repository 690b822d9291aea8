// The graph window: the probability curve, the light curve or the finder
// chart of the body whose "Probability", "Light curve" or "Finder chart"
// the main window reports, in the picture box pctGraph with the legend line
// lblGraph under it. The main window lets it follow every evaluation: the
// first-visibility report shows or hides it.
#pragma once

#include <QWidget>
#include <optional>

#include "graphs/graph_curves.h"
#include "base/location_types.h"
#include "location/weather.h"
#include "base/criterion_types.h"
#include "base/options.h"

class QLabel;

namespace nemora {

class MainModel;
class Session;

class frmGraph : public QWidget {
  Q_OBJECT
 public:
  explicit frmGraph(Session& session, QWidget* parent = nullptr);

  // Follows the main window's result: for "Finder chart", "Probability" and
  // "Light curve" the curves are computed (when the request or the inputs
  // changed) and the window is shown, unless the evening is visible for an
  // extended period or hopeless (then hidden); for any other result it is
  // hidden. A failure of the curves leaves the previous picture. The tense
  // of the report follows the graph: the future (" will be ") while a
  // finder chart is drawn as a sketch, the present otherwise. Returns true
  // when the tense changed, so that the report is to be written again.
  bool follow(const MainModel& model);

  // Draws the current graph (or its message) into the rectangle.
  void drawOn(QPainter& painter, const QRectF& rect, bool onScreen) const;
  // The legend line under the picture.
  QString legend() const;
  // True while the window is too small for a graph ("frmGraph too small to
  // display" is shown instead).
  bool tooSmall() const { return tooSmall_; }
  const udtCurves& curves() const { return curves_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Everything the curves depend on besides the request.
  struct Inputs {
    udtGraphRequest request;
    int16_t intLanguage = 0;
    udtOptions options;
    udtObserver observer;
    udtPosition position;
    udtWeather weather;
    udtCriterion criterion;
    friend bool operator==(const Inputs&, const Inputs&) = default;
  };

  void layoutPicture();

  Session& session_;
  QWidget* pctGraph_;
  QLabel* lblGraph_;
  udtCurves curves_;
  std::optional<Inputs> drawn_;
  bool tooSmall_ = false;
};

}  // namespace nemora
