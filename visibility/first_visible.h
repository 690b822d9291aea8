// The first-visibility report: when the new (evening) or old (morning)
// crescent, or another body, can first be seen, how easily, where to look,
// which planets lead the eye to it, and how likely a sighting and a
// testimony are. Also the hand measures of angles that the report uses.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/visibility_types.h"

namespace nemora {

// The crescent as a drawing surface draws it: an arc of a circle, angles in
// radians counter-clockwise from the surface's x axis as its circle method
// takes them.
struct udtCrescentArc {
  double dblCentreX = 0;
  double dblCentreY = 0;
  double dblRadius = 0;
  double dblStart = 0;
  double dblEnd = 0;
};

// The crescent of diameter sngSize drawn from the surface's current point
// (dblX, dblY): the bright-limb angle dblAngle and the lit arc dblSubtend
// (degrees) of the Moon's bright limb. The centre lies half a size from the
// point against the limb's direction; the arc spans the lit part.
udtCrescentArc DrawMoon(double sngSize, double dblX, double dblY, double dblAngle, double dblSubtend);

class FirstVisibleReport : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The report for the evening or morning of the civil day of dblFix; the
  // three flags go to the visibility search. intMode 0: the first-visibility
  // report of the new or old crescent (or of the body); 1: the Moon on the
  // date given (other bodies as 0); 2: the report for the day on which the
  // Moon next rises, the day of its finder chart (other bodies as 0). Any
  // other mode is refused ("Invalid intMode: ").
  // The whole text is written to Output.txt; a failure leaves blnValid false
  // and returns the text built so far.
  std::string FirstVisible(const std::string& strHBody, double dblFix, bool blnFlag1, bool blnFlag2, bool& blnValid,
                           int16_t intMode, bool blnFlag3);

  // An angle of 0 to 180 degrees as a hand measure at arm's length ("2
  // fingers", "1 fist", "1½ spans"); other angles are refused.
  std::string Fingers(double dblA, bool& blnValid);
  // An angle to the nearest half degree: "½°", "1½°", "2°".
  std::string strAngleHalfDeg(double dblA) const;

  // A probability (0 to 1) as a per cent with no, one or two decimals by how
  // near it lies to 0 or 1.
  static std::string ProbabilityPercent(double P);
  // How easily the body is seen: by the outcome of the table and the ease
  // of visibility E; v is the criterion's value of the evening (hints of
  // optical aid), blnTooFaint leaves them out.
  std::string EaseText(const udtVisibility& v, double E, bool blnTooFaint) const;
  // The ease of visibility E of a table: (NormInv(P) + 1.4)/2.8 with P the
  // best probability, or the criterion's value of the evening for the Moon
  // by criterion.
  double Ease(const std::string& strHBody, const udtVisibility& v, bool& blnValid);
  // The probability of testimony of the Moon's table, from the average
  // observer's best probability.
  double Testimony(const udtVisibility& v, bool& blnValid);

 private:
  std::string report(const std::string& strHBody, double dblFix, bool blnFlag1, bool blnFlag2, bool blnFlag3,
                     int16_t intMode, std::string& text);
};

}  // namespace nemora
