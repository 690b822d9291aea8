// Probability of testimony: the chance that at least the required number of
// witnesses see the crescent, among the likely observers of a population.
#pragma once

#include <cstdint>

namespace nemora {

class Session;

// From the probability P (0 to 1) that the average observer sees the
// crescent: with n the likely observers (not rounded) and k the witnesses,
// Norm(NormInv(P) - NormInv(1/(n - k + 1)) * 0.51/0.86). The caller computes
// P with the overall probability. A failure of NormInv (its message already
// shown) clears blnValid and gives 0.
double PTestimony(Session& session, double P, bool blnWomen, int32_t lngNWitnesses, double dblPopulation,
                  bool& blnValid);
// The same with the testimony settings of the session's options.
double PTestimony(Session& session, double P, bool& blnValid);

}  // namespace nemora
