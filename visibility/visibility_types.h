// The table of one evening's or morning's visibility search: when a body can
// first be seen, when it fades, and how likely a sighting is at best.
#pragma once

namespace nemora {

// The seven rows the reports and graphs read, with the interval searched.
// The first-appearance window is dblT1 to dblT2, the fading window dblT3 to
// dblT4; when the greatest probability stays below 0.92 the two inner
// instants are not searched and equal dblTMax.
struct udtVisibility {
  double dblTMax = 0;            // instant of the greatest probability (closest to visibility)
  double dblPMax = 0;            // the greatest probability, 0 to 1
  double dblT1 = 0;              // the probability first reaches 0.08
  double dblT2 = 0;              // the probability first reaches 0.92
  double dblT3 = 0;              // the probability last stays at 0.92
  double dblT4 = 0;              // the probability last stays at 0.08
  bool blnNeverVisible = false;  // the body cannot be seen that evening or morning
  bool blnExtended = false;      // visible for an extended period
  // Beyond the seven rows: the interval searched (the Sun's and the body's
  // set in the evening, their rises in the morning), whether it was the
  // evening, and the criterion's value of the evening (v of the reports).
  double dblStart = 0;
  double dblEnd = 0;
  bool blnEvening = true;
  double dblValue = 0;
};

}  // namespace nemora
