#include "visibility/criterion_types.h"

namespace nemora {

std::string criterionLabel(int16_t intType) {
  static const char* const kNames[] = {"User defined", "Photometric", "DALT-Width", "Maimonides",
                                       "Ilyas",        "Yallop",      "SAAO",       "Karaite"};
  std::string label = "Criterion: ";
  if (intType >= 0 && intType <= 7) label += kNames[intType];
  return label;
}

}  // namespace nemora
