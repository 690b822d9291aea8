// The table of one evening's or morning's visibility search: when a body can
// first be seen, when it fades, and how likely a sighting is at best.
#pragma once

namespace nemora {

// Why a crescent cannot be seen on an evening (or morning), whatever a
// criterion's value or the photometric model says: the Moon is not in the
// evening sky at all, or not as a crescent.
enum class CrescentBar : signed char {
  None,
  NoSunEvent,      // the Sun does not set (rise) that day
  MoonNeverRises,  // the Moon does not rise that day
  MoonFirst,       // the Moon is down at sunset (at sunrise): it sets before the Sun (rises after it)
  MoonDown,        // the Moon is down at the moment the criterion is judged
  NotCrescent,     // the Moon is more than half lit
  BelowDanjon      // too near the Sun for any crescent to show
};

// Elongation (degrees, topocentric) below which no crescent is seen: the lit
// arc shrinks to nothing before the Moon gets this close to the Sun. Danjon,
// L'Astronomie 46, 57 (1932) and 50, 57 (1936), found about 7 degrees.
inline constexpr double kDanjonLimit = 7.0;

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
  // Set when the body is not in that evening's (morning's) sky at all: the
  // table is then never visible, with no instant of the evening.
  CrescentBar bar = CrescentBar::None;
};

}  // namespace nemora
