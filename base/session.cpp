#include "base/session.h"

#include "base/atomic_file.h"

namespace nemora {

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
