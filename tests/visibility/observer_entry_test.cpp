// The observer dialog's model and the observer line of the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_support.h"
#include "visibility/observer_entry.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TEST(Observer, LoadShowsTheStoredObserver) {
  RecordedSession s;
  ObserverEntry startUp(s.session);
  EXPECT_TRUE(startUp.controls.optOverall);
  EXPECT_EQ(startUp.controls.txtLevel, "0");
  EXPECT_FALSE(startUp.txtLevelEnabled());
  EXPECT_FALSE(startUp.blnOK);

  s.session.udtObserver = {false, -1.25};
  ObserverEntry personal(s.session);
  EXPECT_FALSE(personal.controls.optOverall);
  EXPECT_EQ(personal.controls.txtLevel, "-1.25");
  EXPECT_TRUE(personal.txtLevelEnabled());
}

TEST(Observer, OkStoresTheControls) {
  RecordedSession s;
  ObserverEntry entry(s.session);
  entry.controls.optOverall = false;
  entry.controls.txtLevel = "1.5";
  EXPECT_TRUE(entry.cmdOK());
  EXPECT_TRUE(entry.blnOK);
  EXPECT_EQ(s.session.udtObserver, (udtObserver{false, 1.5}));
  EXPECT_TRUE(s.sink.messages.empty());

  // With "Overall probability" a numeric level is still stored.
  ObserverEntry overall(s.session);
  overall.controls.optOverall = true;
  overall.controls.txtLevel = "2";
  EXPECT_TRUE(overall.cmdOK());
  EXPECT_EQ(s.session.udtObserver, (udtObserver{true, 2}));
}

TEST(Observer, LevelThatIsNotANumber) {
  // Personal probability: the message, and nothing changes.
  RecordedSession s;
  s.session.udtObserver = {true, 0.75};
  ObserverEntry personal(s.session);
  personal.controls.optOverall = false;
  personal.controls.txtLevel = "high";
  EXPECT_FALSE(personal.cmdOK());
  EXPECT_FALSE(personal.blnOK);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Level must be a number"});
  EXPECT_EQ(s.session.udtObserver, (udtObserver{true, 0.75}));

  // Overall probability: the text goes back to the stored level and OK goes on.
  s.sink.clear();
  s.session.udtObserver = {false, 0.75};
  ObserverEntry overall(s.session);
  overall.controls.optOverall = true;
  overall.controls.txtLevel = "";
  EXPECT_TRUE(overall.cmdOK());
  EXPECT_TRUE(s.sink.messages.empty());
  EXPECT_EQ(overall.controls.txtLevel, "0.75");
  EXPECT_EQ(s.session.udtObserver, (udtObserver{true, 0.75}));
}

TEST(Observer, OpticalAidChoices) {
  struct Case {
    int aid;
    const char *aperture, *magnification;
    const char* message;   // "" when OK stores the aid
    const char* observer;  // the observer line afterwards
  } cases[] = {
      {kAidEye, "x", "y", "", "Overall probability"},  // the naked eye ignores both boxes
      {kAidBinoculars, "50", "7", "", "Overall probability, Binoculars 7x50"},
      {kAidBinoculars, "42", "10", "", "Overall probability, Binoculars 10x42"},
      {kAidTelescope, "100", "40", "", "Overall probability, Telescope 100 mm, 40x"},
      {kAidTelescope, "4", "40", "Aperture must be a number from 5 to 2000 mm", "Overall probability"},
      {kAidTelescope, "wide", "40", "Aperture must be a number from 5 to 2000 mm", "Overall probability"},
      {kAidBinoculars, "50", "0.5", "Magnification must be a number from 1 to 1000", "Overall probability"},
      {kAidBinoculars, "50", "", "Magnification must be a number from 1 to 1000", "Overall probability"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.aperture);
    RecordedSession s;
    ObserverEntry entry(s.session);
    EXPECT_FALSE(entry.txtAidEnabled());
    entry.controls.cboAid = c.aid;
    entry.controls.txtAperture = c.aperture;
    entry.controls.txtMagnification = c.magnification;
    EXPECT_EQ(entry.txtAidEnabled(), c.aid != kAidEye);
    bool stored = std::string(c.message).empty();
    EXPECT_EQ(entry.cmdOK(), stored);
    EXPECT_EQ(s.sink.messages, stored ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    bool ok = false;
    EXPECT_EQ(WriteObserver(s.session, ok), c.observer);
    // The dialog opens again on the stored aid.
    ObserverEntry again(s.session);
    EXPECT_EQ(again.controls.cboAid, stored ? c.aid : kAidEye);
    if (stored && c.aid != kAidEye) {
      EXPECT_EQ(again.controls.txtAperture, c.aperture);
    }
  }
}

TEST(Observer, WriteObserver) {
  struct Case {
    udtObserver observer;
    const char* text;
  };
  const Case cases[] = {
      {{true, 0}, "Overall probability"},
      {{true, 500}, "Overall probability"},  // the level is not used, nor written
      {{false, 0}, "Performance level 0.00"},
      {{false, 1.5}, "Performance level 1.50"},
      {{false, -2.25}, "Performance level -2.25"},
      {{false, 12.3}, "Performance level 12.30"},
      {{false, 99.99}, "Performance level 99.99"},
      {{false, -99.99}, "Performance level -99.99"},
  };
  for (const Case& c : cases) {
    RecordedSession s;
    s.session.udtObserver = c.observer;
    bool ok = false;
    EXPECT_EQ(WriteObserver(s.session, ok), c.text);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(s.sink.messages.empty());
  }

  for (double level : {100.0, -99.995, 1e6}) {
    RecordedSession s;
    s.session.udtObserver = {false, level};
    bool ok = true;
    EXPECT_EQ(WriteObserver(s.session, ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in frmObserver.WriteObserver, "
                                                        "Invalid udtObserver.dblLevel: " +
                                                        generalNumber(level)});
  }
  RecordedSession s;
  s.session.udtObserver = {false, 100};
  bool ok = true;
  WriteObserver(s.session, ok);
  EXPECT_EQ(s.sink.last(), "Error in frmObserver.WriteObserver, Invalid udtObserver.dblLevel: 100");
}

}  // namespace
}  // namespace nemora
