#include "visibility/options_entry.h"

#include <cmath>
#include <optional>

#include "base/numeric.h"
#include "base/session.h"

namespace nemora {

namespace {

constexpr double kMaxWitnesses = 100000000;
constexpr double kMaxPopulation = 100000000000;
// Beyond this population the probability of testimony is unreliable.
constexpr double kReliablePopulation = 1000000;

bool wholeWithin(double x, double lo, double hi) { return x >= lo && x <= hi && std::floor(x) == x; }

}  // namespace

std::string LikelyObsText(const std::string& txtNWitnesses, const std::string& txtPopulation, bool blnWomen) {
  std::optional<double> witnesses = parseNumber(txtNWitnesses);
  std::optional<double> population = parseNumber(txtPopulation);
  if (!witnesses || !population) return "Likely obs. Invalid input";
  if (!wholeWithin(*witnesses, 1, kMaxWitnesses)) return "Likely obs. Invalid No. of witnesses";
  if (likelyObservers(*population, true) < 1 || (!blnWomen && likelyObservers(*population, false) < 1) ||
      *population > kMaxPopulation)
    return "Likely obs. Invalid population";
  double n = roundHalfEven(likelyObservers(*population, blnWomen));
  if (*witnesses > n) return "Likely obs. Invalid No. of witnesses";
  return "Likely obs. " + generalNumber(n);
}

OptionsEntry::OptionsEntry(Session& session) : SessionBound(session) {
  const udtOptions& o = session.options;
  controls.intPrecision = o.intPrecision;
  controls.intMoonCalc = o.intMoonCalc;
  controls.intPlotMode = o.intPlotMode;
  controls.intNIntegrals = o.intNIntegrals;
  controls.intLanguage = session.intLanguage;
  controls.chkWomen = o.blnWomen;
  controls.chkClassicModel = o.blnClassicModel;
  controls.txtNWitnesses = generalNumber(o.lngNWitnesses);
  controls.txtPopulation = generalNumber(o.dblPopulation);
}

std::string OptionsEntry::lblwit() const {
  return LikelyObsText(controls.txtNWitnesses, controls.txtPopulation, controls.chkWomen);
}

bool OptionsEntry::cmdOK() {
  Session& s = session();
  std::optional<double> witnesses = parseNumber(controls.txtNWitnesses);
  if (!witnesses) {
    s.showMessage("Number of witnesses must be a number");
    return false;
  }
  std::optional<double> population = parseNumber(controls.txtPopulation);
  if (!population) {
    s.showMessage("Population must be a number");
    return false;
  }
  if (!wholeWithin(*witnesses, 1, kMaxWitnesses)) {
    s.showMessage("Number of witnesses must be a whole number between 1 and 100000000");
    return false;
  }
  if (!wholeWithin(*population, 1, kMaxPopulation)) {
    s.showMessage("Population must be a whole number between 1 and 100000000000");
    return false;
  }
  if (!(likelyObservers(*population, controls.chkWomen) > *witnesses)) {
    s.showMessage(
        "Number of likely observers from a population must be greater than the number of required witnesses");
    return false;
  }
  if (*population > kReliablePopulation)
    s.showMessage(
        "Warning: Your population will be used but note that the probability of testimony is unreliable for "
        "large populations.");

  udtOptions& o = s.options;
  o.intPrecision = controls.intPrecision;
  o.intMoonCalc = controls.intMoonCalc;
  o.intPlotMode = controls.intPlotMode;
  o.intNIntegrals = controls.intNIntegrals;
  o.blnWomen = controls.chkWomen;
  o.blnClassicModel = controls.chkClassicModel;
  o.lngNWitnesses = static_cast<int32_t>(*witnesses);
  o.dblPopulation = *population;
  s.intLanguage = controls.intLanguage;
  return true;
}

bool OptionsEntry::cmdCancel() { return session().messages.question("Are you sure you want to cancel the changes?"); }

void OptionsEntry::cmdDefault() {
  if (session().messages.question("Are you sure you want to revert to the default values?"))
    controls = OptionsControls{};
}

}  // namespace nemora
