#include "visibility/testimony.h"

#include "base/session.h"
#include "base/options.h"

namespace nemora {

double PTestimony(Session& session, double P, bool blnWomen, int32_t lngNWitnesses, double dblPopulation,
                  bool& blnValid) {
  Main& main = session.main;
  double zP = main.NormInv(P, blnValid);
  if (!blnValid) return 0;
  double n = likelyObservers(dblPopulation, blnWomen);
  double q = 1 / (n - lngNWitnesses + 1);
  double zq = main.NormInv(q, blnValid);
  if (!blnValid) return 0;
  double result = main.Norm(zP - zq * 0.51 / 0.86, blnValid);
  return blnValid ? result : 0;
}

double PTestimony(Session& session, double P, bool& blnValid) {
  const udtOptions& o = session.options;
  return PTestimony(session, P, o.blnWomen, o.lngNWitnesses, o.dblPopulation, blnValid);
}

}  // namespace nemora
