#include "app/gui/frmGraph.h"

#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

#include "app/main_model.h"
#include "app/session.h"
#include "graphs/graph_texts.h"
#include "plot/graph_painter.h"
#include "plot/plot_frame.h"

namespace nemora {
namespace {

// The picture box: paints whatever its owner draws.
class GraphPicture : public QWidget {
 public:
  GraphPicture(const frmGraph& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName("pctGraph");
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    owner_.drawOn(painter, QRectF(rect()), true);
  }

 private:
  const frmGraph& owner_;
};

// Twips (1/1440 inch) as pixels of the widget's screen.
int pixels(const QWidget& w, int twips) { return twips * w.logicalDpiX() / 1440; }

}  // namespace

frmGraph::frmGraph(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), pctGraph_(new GraphPicture(*this, this)),
      lblGraph_(new QLabel(this)) {
  setObjectName("frmGraph");
  setWindowTitle("Graph");
  lblGraph_->setObjectName("lblGraph");
  lblGraph_->setWordWrap(true);
  lblGraph_->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
  resize(760, 560);
}

bool frmGraph::follow(const MainModel& model) {
  std::optional<udtGraphRequest> request;
  if (!model.convertMode() && model.ready())
    request = GraphRequestFor(session_, model.cboOption.text(), model.cboOption2.text(), model.intGraphKind,
                              session_.dblFixDate + session_.dblFixTime);
  if (!request) {
    // Any other result closes the window.
    hide();
    drawn_.reset();
    return false;
  }
  const Inputs inputs{*request,
                      session_.intLanguage,
                      session_.options,
                      session_.udtObserver,
                      session_.udtLocation.position(),
                      session_.udtWeather,
                      session_.udtUserCriterion};
  if (drawn_ && *drawn_ == inputs) return false;
  udtCurves curves;
  bool ok = true;
  GraphCurves(session_).CalcCurve(*request, curves, ok);
  if (!ok) return false;  // the previous picture stays
  curves_ = std::move(curves);
  drawn_ = inputs;
  const udtGraphTexts texts = GraphTexts(request->strHBody, request->intGraphKind, session_.intLanguage);
  setWindowTitle(QString::fromStdString(texts.strCaption));
  lblGraph_->setText(legend());
  const bool rightToLeft = outputRightToLeft(session_.intLanguage);
  lblGraph_->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  // "Sketch" finder charts are black on white; the rest take the window's colours.
  const bool sketch = request->intGraphKind == kGraphFinderSketch;
  QPalette colours = QWidget::palette();
  if (sketch) {
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
  }
  setPalette(sketch ? colours : QPalette());
  setVisible(curves_.table.dblEnd == 0 || GraphShown(curves_.table));
  pctGraph_->update();

  const bool present = request->intGraphKind != kGraphFinderSketch;
  if (session_.blnPresentTense == present) return false;
  session_.blnPresentTense = present;
  return true;
}

QString frmGraph::legend() const {
  if (!drawn_) return {};
  const udtGraphRequest& r = drawn_->request;
  return QString::fromStdString(GraphTexts(r.strHBody, r.intGraphKind, session_.intLanguage).strLegend);
}

void frmGraph::drawOn(QPainter& painter, const QRectF& rect, bool onScreen) const {
  plot::GraphLook look;
  look.intLanguage = session_.intLanguage;
  const bool sketch = drawn_ && drawn_->request.intGraphKind == kGraphFinderSketch;
  if (onScreen && !sketch) {
    look.background = palette().color(QPalette::Window);
    look.foreground = palette().color(QPalette::WindowText);
  }
  if (onScreen && tooSmall_) {
    painter.fillRect(rect, look.background);
    plot::drawMessage(painter, rect, QString::fromUtf8(kTooSmall));
    return;
  }
  if (drawn_ && curves_.hasCurve()) look.whereWhen = QString::fromStdString(GraphWhereWhen(session_, curves_));
  plot::drawGraph(painter, rect, curves_, look);
}

void frmGraph::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutPicture();
}

void frmGraph::layoutPicture() {
  // Measured in twips as the window's rule has it: a picture needs a window
  // wider than 270 and taller than 900.
  const int w = width(), h = height();
  tooSmall_ = !(w > pixels(*this, 270) && h > pixels(*this, 900));
  if (tooSmall_) {
    pctGraph_->setGeometry(0, 0, w, h);
    lblGraph_->hide();
  } else {
    const int pictureWidth = w - pixels(*this, 240), pictureHeight = h - pixels(*this, 850);
    const int left = pixels(*this, 120);
    pctGraph_->setGeometry(left, left, pictureWidth, pictureHeight - left);
    lblGraph_->setGeometry(left, pictureHeight + 2, pictureWidth, h - pictureHeight - 4);
    lblGraph_->show();
  }
  pctGraph_->update();
}

}  // namespace nemora
