// Shared pieces of the calendar tests: compact date construction and the
// published sample dates used as an independent reference.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "base/date.h"

namespace nemora {

inline std::ostream& operator<<(std::ostream& out, const udtDate& d) {
  return out << "{type " << d.enmDateType << ", " << d.intYear << (d.blnCE ? "" : " BCE") << "-" << d.intMonth << "-"
             << d.intDateOfMonth << ", dblDay " << d.dblDay << (d.blnEve ? ", eve" : "") << "}";
}

namespace testing {

struct SampleYMD {
  int16_t year, month, day;
};

// One row of the sample-date table in E. M. Reingold and N. Dershowitz,
// "Calendrical Calculations" (Cambridge University Press), Appendix C:
// fixed day number, Gregorian (astronomical year), Julian (negative years
// before the era: -587 is 587 BCE), Hebrew and arithmetic Islamic dates.
// Every row was also checked with the Debian package python3-convertdate 2.4.
struct SampleDate {
  int32_t fixed;
  SampleYMD gregorian, julian, hebrew, islamic;
};

inline constexpr std::array<SampleDate, 33> kSampleDates = {{
    {-214193, {-586, 7, 24}, {-587, 7, 30}, {3174, 5, 10}, {-1245, 12, 9}},
    {-61387, {-168, 12, 5}, {-169, 12, 8}, {3593, 9, 25}, {-813, 2, 23}},
    {25469, {70, 9, 24}, {70, 9, 26}, {3831, 7, 3}, {-568, 4, 1}},
    {49217, {135, 10, 2}, {135, 10, 3}, {3896, 7, 9}, {-501, 4, 6}},
    {171307, {470, 1, 8}, {470, 1, 7}, {4230, 10, 18}, {-157, 10, 17}},
    {210155, {576, 5, 20}, {576, 5, 18}, {4336, 3, 4}, {-47, 6, 3}},
    {253427, {694, 11, 10}, {694, 11, 7}, {4455, 8, 13}, {75, 7, 13}},
    {369740, {1013, 4, 25}, {1013, 4, 19}, {4773, 2, 6}, {403, 10, 5}},
    {400085, {1096, 5, 24}, {1096, 5, 18}, {4856, 2, 23}, {489, 5, 22}},
    {434355, {1190, 3, 23}, {1190, 3, 16}, {4950, 1, 7}, {586, 2, 7}},
    {452605, {1240, 3, 10}, {1240, 3, 3}, {5000, 13, 8}, {637, 8, 7}},
    {470160, {1288, 4, 2}, {1288, 3, 26}, {5048, 1, 21}, {687, 2, 20}},
    {473837, {1298, 4, 27}, {1298, 4, 20}, {5058, 2, 7}, {697, 7, 7}},
    {507850, {1391, 6, 12}, {1391, 6, 4}, {5151, 4, 1}, {793, 7, 1}},
    {524156, {1436, 2, 3}, {1436, 1, 25}, {5196, 11, 7}, {839, 7, 6}},
    {544676, {1492, 4, 9}, {1492, 3, 31}, {5252, 1, 3}, {897, 6, 1}},
    {567118, {1553, 9, 19}, {1553, 9, 9}, {5314, 7, 1}, {960, 9, 30}},
    {569477, {1560, 3, 5}, {1560, 2, 24}, {5320, 12, 27}, {967, 5, 27}},
    {601716, {1648, 6, 10}, {1648, 5, 31}, {5408, 3, 20}, {1058, 5, 18}},
    {613424, {1680, 6, 30}, {1680, 6, 20}, {5440, 4, 3}, {1091, 6, 2}},
    {626596, {1716, 7, 24}, {1716, 7, 13}, {5476, 5, 5}, {1128, 8, 4}},
    {645554, {1768, 6, 19}, {1768, 6, 8}, {5528, 4, 4}, {1182, 2, 3}},
    {664224, {1819, 8, 2}, {1819, 7, 21}, {5579, 5, 11}, {1234, 10, 10}},
    {671401, {1839, 3, 27}, {1839, 3, 15}, {5599, 1, 12}, {1255, 1, 11}},
    {694799, {1903, 4, 19}, {1903, 4, 6}, {5663, 1, 22}, {1321, 1, 21}},
    {704424, {1929, 8, 25}, {1929, 8, 12}, {5689, 5, 19}, {1348, 3, 19}},
    {708842, {1941, 9, 29}, {1941, 9, 16}, {5702, 7, 8}, {1360, 9, 8}},
    {709409, {1943, 4, 19}, {1943, 4, 6}, {5703, 1, 14}, {1362, 4, 13}},
    {709580, {1943, 10, 7}, {1943, 9, 24}, {5704, 7, 8}, {1362, 10, 7}},
    {727274, {1992, 3, 17}, {1992, 3, 4}, {5752, 13, 12}, {1412, 9, 13}},
    {728714, {1996, 2, 25}, {1996, 2, 12}, {5756, 12, 5}, {1416, 10, 5}},
    {744313, {2038, 11, 10}, {2038, 10, 28}, {5799, 8, 12}, {1460, 10, 12}},
    {764652, {2094, 7, 18}, {2094, 7, 5}, {5854, 5, 5}, {1518, 3, 5}},
}};

// The fixed days that the round trips walk through, and the range limit.
inline constexpr int32_t kRoundTripFirst = -1000000;
inline constexpr int32_t kRoundTripLast = 1000000;

}  // namespace testing
}  // namespace nemora
