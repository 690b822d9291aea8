// The weather setting and the weather at one instant, as records.
#pragma once

#include <array>
#include <cstdint>

namespace nemora {

// Bases of the weather estimate, in the order of the weather dialog's list.
inline constexpr int32_t kWeatherGlobal = 0;
inline constexpr int32_t kWeatherLocal = 1;
inline constexpr int32_t kWeatherManual = 2;
inline constexpr int32_t kWeatherFixed = 3;
inline constexpr std::array<const char*, 4> kWeatherBasisNames = {"Global", "Local", "Manual", "Fixed"};

// The program-wide weather setting. Ranges are peak to peak; a negative range
// reverses the phase of its cycle. Only the Manual basis uses the ranges, the
// Fixed basis uses the means; Global and Local ignore all nine values. A
// default record holds the start-up setting.
struct udtWeather {
  int32_t udtBasis = kWeatherLocal;
  double dblTempMean = 16.0, dblTempDaily = 8.9, dblTempAnnual = 8.6;      // degrees Celsius
  double dblPressMean = 923.4, dblPressDaily = 0, dblPressAnnual = -5.9;  // millibars
  double dblHumMean = 68.5, dblHumDaily = -18.0, dblHumAnnual = 20.1;     // per cent

  friend bool operator==(const udtWeather&, const udtWeather&) = default;
};

// The weather at one instant.
struct udtWeatherNow {
  double dblTemperature = 0;  // degrees Celsius
  double dblPressure = 0;     // millibars
  double dblHumidity = 0;     // per cent relative humidity

  friend bool operator==(const udtWeatherNow&, const udtWeatherNow&) = default;
};

}  // namespace nemora
