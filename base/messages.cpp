#include "base/messages.h"

#include <unistd.h>

#include <iostream>

namespace nemora {

void StderrMessageSink::message(const std::string& text) { std::cerr << text << '\n'; }

bool StderrMessageSink::question(const std::string& text) {
  std::cerr << text << (answer_ ? " [OK]" : " [Cancel]") << '\n';
  return answer_;
}

void StderrMessageSink::progress(const std::string& text) {
  // Progress is for a person watching: a terminal gets it on one line that
  // is rewritten; a file or pipe gets none.
  if (!isatty(STDERR_FILENO)) return;
  if (text.empty()) std::cerr << "\r\033[K" << std::flush;
  else std::cerr << '\r' << text << "\033[K" << std::flush;
}

}  // namespace nemora
