#include "app/messages.h"

#include <iostream>

namespace nemora {

void StderrMessageSink::message(const std::string& text) { std::cerr << text << '\n'; }

bool StderrMessageSink::question(const std::string& text) {
  std::cerr << text << (answer_ ? " [OK]" : " [Cancel]") << '\n';
  return answer_;
}

void StderrMessageSink::progress(const std::string& text) {
  if (!text.empty()) std::cerr << text << '\n';
}

}  // namespace nemora
