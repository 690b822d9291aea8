#include "app/session.h"

#include <cstdlib>

#include "base/atomic_file.h"
#include "base/number_format.h"
#include "ephemeris/rise_set.h"

namespace nemora {

#ifndef NEMORA_SOURCE_DATA_DIR
#define NEMORA_SOURCE_DATA_DIR "data"
#endif

std::filesystem::path defaultDataDir() {
  if (const char* env = std::getenv("NEMORA_DATA"); env != nullptr && *env != '\0') return env;
  return NEMORA_SOURCE_DATA_DIR;
}

Session::Session(MessageSink& sink)
    : messages(sink), dataDir(defaultDataDir()), workDir(std::filesystem::current_path()), main(*this) {
  std::string pattern = "#########0";
  strFormats[0] = pattern;
  pattern += '.';
  for (size_t decimals = 1; decimals < strFormats.size(); ++decimals) {
    pattern += '0';
    strFormats[decimals] = pattern;
  }
  // The decimal separator is the second character of 0 written as "0.0".
  strDecimal = formatNumber(0, "0.0").substr(1, 1);
  // Hebrew and Islamic days run from the Sun's setting at the current
  // location.
  sunset = [this](int32_t lngDay, double& dblSunset) { return SunsetOnDay(*this, lngDay, dblSunset); };
}

void Session::writeOutputTxt(const std::string& text) {
  if (blnHoldOutputTxt) {
    strHeldOutputTxt = text;
    return;
  }
  writeFileAtomically(workFile("Output.txt"), text);
}

void Session::endProgram(const std::string& text) {
  messages.message(text);
  throw ProgramEnd(text);
}

}  // namespace nemora
