// The progress window of long searches: shown with the search's text while it
// runs, closed when it ends (also when it ends in an error).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QWidget>

#include "app/gui/qt_message_sink.h"
#include "app/session.h"
#include "ephemeris/hbody.h"

namespace nemora {
namespace {

// Records whether a progress window was visible, and with which text, each
// time the search reported progress.
class WatchingSink final : public MessageSink {
 public:
  explicit WatchingSink(QWidget* parent) : parent_(parent) { qt.setParent(parent); }
  void message(const std::string& text) override { messages.push_back(text); }
  bool question(const std::string&) override { return true; }
  void progress(const std::string& text) override {
    qt.progress(text);
    auto* dialog = parent_->findChild<QProgressDialog*>();
    seen.push_back(dialog && dialog->isVisible() ? dialog->labelText().toStdString() : std::string("(none)"));
  }
  std::vector<std::string> messages;
  std::vector<std::string> seen;

 private:
  QWidget* parent_;
  QtMessageSink qt;
};

TEST(ProgressDialog, ShownDuringAVisibilitySearchAndClosedAfterIt) {
  QWidget window;
  window.show();
  WatchingSink sink(&window);
  Session session(sink);
  session.dataDir = NEMORA_SOURCE_DATA_DIR;
  session.udtLocation.dblLatitude = 31.7767;
  session.udtLocation.dblLongitude = 35.2345;
  session.udtLocation.dblHeight = 754;
  session.udtLocation.moveTo({31.7767, 35.2345, 754});
  session.udtWeather.udtBasis = kWeatherFixed;
  session.options.intMoonCalc = kMoonCalcPhotometric;  // the long, stepped search
  bool ok = false;
  udtVisibility v;
  session.hbody.Visibility("Moon", 738956, false, true, false, v, ok);  // 11 March 2024
  ASSERT_TRUE(ok) << (sink.messages.empty() ? "" : sink.messages.back());
  ASSERT_GE(sink.seen.size(), 3u);
  EXPECT_EQ(sink.seen.front(), "Calculating Moon 0%");
  EXPECT_EQ(sink.seen[1], "Calculating Moon 20%");
  EXPECT_EQ(sink.seen.back(), "(none)");
  QApplication::processEvents();
  auto* dialog = window.findChild<QProgressDialog*>();
  EXPECT_TRUE(dialog == nullptr || !dialog->isVisible());
}

}  // namespace
}  // namespace nemora
