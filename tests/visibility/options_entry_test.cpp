// The options dialog's model: start-up values, the likely-observers label,
// the checks of OK in their order with their exact messages, and Cancel and
// Default, which never change a setting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_support.h"
#include "base/options.h"
#include "visibility/options_entry.h"

namespace nemora {
namespace {

using testing::RecordedSession;

TEST(Options, StartUpValues) {
  RecordedSession s;
  const udtOptions& o = s.session.options;
  EXPECT_EQ(o.intPrecision, 0);
  EXPECT_EQ(o.intMoonCalc, 3);
  EXPECT_EQ(o.intPlotMode, 0);
  EXPECT_EQ(o.intNIntegrals, 64);
  EXPECT_FALSE(o.blnWomen);
  EXPECT_EQ(o.lngNWitnesses, 2);
  EXPECT_EQ(o.dblPopulation, 700000);
  EXPECT_EQ(s.session.intLanguage, 0);
  EXPECT_TRUE(s.session.udtObserver.blnOverall);
  EXPECT_EQ(s.session.udtObserver.dblLevel, 0);

  // The dialog opened on the start-up settings shows the defaults of its
  // Default button, and its label counts 16 likely observers.
  OptionsEntry entry(s.session);
  EXPECT_EQ(entry.controls, OptionsControls{});
  EXPECT_EQ(entry.lblwit(), "Likely obs. 16");
}

TEST(Options, LikelyObserversLabel) {
  struct Case {
    const char* witnesses;
    const char* population;
    bool women;
    const char* label;
  };
  const Case cases[] = {
      // 700000 people hold 16.1 likely men, 32.2 with women.
      {"2", "700000", false, "Likely obs. 16"},
      {"2", "700000", true, "Likely obs. 32"},
      {"2", " 7e5 ", false, "Likely obs. 16"},
      // Not numbers.
      {"abc", "700000", false, "Likely obs. Invalid input"},
      {"2", "", false, "Likely obs. Invalid input"},
      {"2", "1,000", false, "Likely obs. Invalid input"},
      {"", "", false, "Likely obs. Invalid input"},
      // Witnesses: whole, 1 to 100000000; checked before the population.
      {"0", "700000", false, "Likely obs. Invalid No. of witnesses"},
      {"2.5", "700000", false, "Likely obs. Invalid No. of witnesses"},
      {"-3", "-5", false, "Likely obs. Invalid No. of witnesses"},
      {"100000001", "100000000000", true, "Likely obs. Invalid No. of witnesses"},
      // Population: at least one likely observer, at most 100000000000.
      {"1", "21739", true, "Likely obs. Invalid population"},     // 0.999994
      {"1", "21740", true, "Likely obs. 1"},                      // 1.00004
      {"1", "21740", false, "Likely obs. Invalid population"},    // 0.50002
      {"1", "43479", false, "Likely obs. 1"},                     // 1.000017
      {"1", "-5", true, "Likely obs. Invalid population"},
      {"1", "100000000001", true, "Likely obs. Invalid population"},
      {"4600000", "100000000000", true, "Likely obs. 4600000"},
      // The label does not ask for a whole population.
      {"1", "700000.5", false, "Likely obs. 16"},
      // The count is rounded half to even: 11.5 -> 12, 34.5 -> 34.
      {"1", "500000", false, "Likely obs. 12"},
      {"1", "1500000", false, "Likely obs. 34"},
      // Witnesses beyond the rounded count; as many as it is still shown.
      {"16", "700000", false, "Likely obs. 16"},
      {"17", "700000", false, "Likely obs. Invalid No. of witnesses"},
      {"33", "700000", true, "Likely obs. Invalid No. of witnesses"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LikelyObsText(c.witnesses, c.population, c.women), c.label)
        << c.witnesses << " / " << c.population << " / " << c.women;
}

// Changes every control away from the start-up values.
void changeEveryControl(OptionsControls& c) {
  c.intPrecision = 2;
  c.intMoonCalc = 0;
  c.intPlotMode = 1;
  c.intNIntegrals = 16;
  c.intLanguage = 1;
  c.chkWomen = true;
  c.chkClassicModel = true;
  c.txtNWitnesses = "5";
  c.txtPopulation = "1000000";
}

TEST(Options, OkChecksInOrderAndChangesNothingOnFailure) {
  struct Case {
    const char* witnesses;
    const char* population;
    bool women;
    const char* message;
  };
  const Case cases[] = {
      {"x", "y", false, "Number of witnesses must be a number"},
      {"2", "y", false, "Population must be a number"},
      {"0", "y", false, "Population must be a number"},
      {"0", "700000", false, "Number of witnesses must be a whole number between 1 and 100000000"},
      {"2.5", "700000", false, "Number of witnesses must be a whole number between 1 and 100000000"},
      {"100000001", "0", false, "Number of witnesses must be a whole number between 1 and 100000000"},
      {"2", "0", false, "Population must be a whole number between 1 and 100000000000"},
      {"2", "700000.5", false, "Population must be a whole number between 1 and 100000000000"},
      {"2", "100000000001", true, "Population must be a whole number between 1 and 100000000000"},
      {"1", "1", true,
       "Number of likely observers from a population must be greater than the number of required witnesses"},
      {"17", "700000", false,
       "Number of likely observers from a population must be greater than the number of required witnesses"},
      // 500000 people with women hold exactly 23 likely observers: 23 witnesses are refused.
      {"23", "500000", true,
       "Number of likely observers from a population must be greater than the number of required witnesses"},
  };
  for (const Case& c : cases) {
    RecordedSession s;
    OptionsEntry entry(s.session);
    changeEveryControl(entry.controls);
    entry.controls.txtNWitnesses = c.witnesses;
    entry.controls.txtPopulation = c.population;
    entry.controls.chkWomen = c.women;
    EXPECT_FALSE(entry.cmdOK()) << c.witnesses << " / " << c.population;
    EXPECT_EQ(s.sink.messages, std::vector<std::string>{c.message}) << c.witnesses << " / " << c.population;
    EXPECT_EQ(s.session.options, udtOptions{});
    EXPECT_EQ(s.session.intLanguage, 0);
  }
}

TEST(Options, OkStoresEverySetting) {
  RecordedSession s;
  OptionsEntry entry(s.session);
  changeEveryControl(entry.controls);
  EXPECT_TRUE(entry.cmdOK());
  EXPECT_TRUE(s.sink.messages.empty());  // exactly 1000000 gives no warning
  const udtOptions& o = s.session.options;
  EXPECT_EQ(o.intPrecision, 2);
  EXPECT_EQ(o.intMoonCalc, 0);
  EXPECT_EQ(o.intPlotMode, 1);
  EXPECT_EQ(o.intNIntegrals, 16);
  EXPECT_TRUE(o.blnWomen);
  EXPECT_TRUE(o.blnClassicModel);
  EXPECT_EQ(o.lngNWitnesses, 5);
  EXPECT_EQ(o.dblPopulation, 1000000);
  EXPECT_EQ(s.session.intLanguage, 1);
  EXPECT_TRUE(outputRightToLeft(s.session.intLanguage));

  // The next opening shows what was stored; back to English lays out left to right.
  OptionsEntry again(s.session);
  OptionsControls expected;
  changeEveryControl(expected);
  EXPECT_EQ(again.controls, expected);
  again.controls.intLanguage = 0;
  EXPECT_TRUE(again.cmdOK());
  EXPECT_FALSE(outputRightToLeft(s.session.intLanguage));

  // Witnesses one fewer than 16.1 likely observers are accepted.
  OptionsEntry men(s.session);
  men.controls.chkWomen = false;
  men.controls.txtNWitnesses = "16";
  men.controls.txtPopulation = "700000";
  EXPECT_TRUE(men.cmdOK());
  EXPECT_EQ(s.session.options.lngNWitnesses, 16);
}

TEST(Options, LargePopulationIsAcceptedWithAWarning) {
  RecordedSession s;
  OptionsEntry entry(s.session);
  entry.controls.txtPopulation = "1000001";
  EXPECT_TRUE(entry.cmdOK());
  EXPECT_EQ(s.sink.messages,
            std::vector<std::string>{"Warning: Your population will be used but note that the probability of "
                                     "testimony is unreliable for large populations."});
  EXPECT_EQ(s.session.options.dblPopulation, 1000001);

  // The largest population is shown in full on the next opening.
  OptionsEntry largest(s.session);
  largest.controls.txtPopulation = "100000000000";
  EXPECT_TRUE(largest.cmdOK());
  EXPECT_EQ(OptionsEntry(s.session).controls.txtPopulation, "100000000000");
}

TEST(Options, CancelAndDefaultNeverChangeASetting) {
  RecordedSession s;
  OptionsEntry entry(s.session);
  changeEveryControl(entry.controls);

  // Cancel asks; "Cancel" keeps the dialog open, "OK" closes it.
  s.sink.answer = false;
  EXPECT_FALSE(entry.cmdCancel());
  s.sink.answer = true;
  EXPECT_TRUE(entry.cmdCancel());
  EXPECT_EQ(s.sink.questions, (std::vector<std::string>{"Are you sure you want to cancel the changes?",
                                                        "Are you sure you want to cancel the changes?"}));
  EXPECT_EQ(s.session.options, udtOptions{});
  EXPECT_EQ(s.session.intLanguage, 0);

  // Default asks; refused, the controls stay; accepted, they show the
  // start-up values, which are stored only by OK.
  s.sink.clear();
  s.session.options.intNIntegrals = 128;
  s.session.options.intPrecision = 1;
  OptionsEntry reverted(s.session);
  changeEveryControl(reverted.controls);
  OptionsControls changed = reverted.controls;
  s.sink.answer = false;
  reverted.cmdDefault();
  EXPECT_EQ(reverted.controls, changed);
  s.sink.answer = true;
  reverted.cmdDefault();
  EXPECT_EQ(reverted.controls, OptionsControls{});
  EXPECT_EQ(s.sink.questions, (std::vector<std::string>{"Are you sure you want to revert to the default values?",
                                                        "Are you sure you want to revert to the default values?"}));
  EXPECT_EQ(s.session.options.intNIntegrals, 128);
  EXPECT_TRUE(reverted.cmdCancel());
  EXPECT_EQ(s.session.options.intNIntegrals, 128);
  EXPECT_EQ(s.session.options.intPrecision, 1);

  reverted.cmdDefault();
  EXPECT_TRUE(reverted.cmdOK());
  EXPECT_EQ(s.session.options, udtOptions{});
}

}  // namespace
}  // namespace nemora
