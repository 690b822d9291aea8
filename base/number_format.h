// Number patterns of the reports: "0" always prints a digit, "#" only when
// needed (so "###.0" writes 0.4 as ".4"); halves round away from zero.
#pragma once

#include <string>
#include <string_view>

namespace nemora {

// Formats x with a fixed pattern such as "#########0.00", "##0", "###.0",
// "00", "##.####". The decimal point is always ".".
std::string formatNumber(double x, std::string_view pattern);

}  // namespace nemora
