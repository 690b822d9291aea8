// Whole-number arithmetic of the calendars: division rounded toward minus
// infinity and the matching remainder. For whole numbers of magnitude up to
// 1e9 (all that the calendars meet) these equal floor(p / q) and Modulo(p, q)
// of module Main, without the round trip through floating point.
#pragma once

#include <cstdint>

namespace nemora {

constexpr int64_t floorDiv(int64_t p, int64_t q) {
  int64_t quotient = p / q;
  if ((p % q != 0) && ((p < 0) != (q < 0))) --quotient;
  return quotient;
}

// Remainder in [0, q) for q > 0.
constexpr int64_t floorMod(int64_t p, int64_t q) { return p - q * floorDiv(p, q); }

// Fixed day of the first dayOfWeek (0 Sunday .. 6 Saturday) on or after day
// n; day 1 is a Monday.
constexpr int64_t weekdayOnOrAfter(int32_t dayOfWeek, int64_t n) {
  return n + floorMod(dayOfWeek - floorMod(n, 7), 7);
}

}  // namespace nemora
