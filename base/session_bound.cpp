#include "base/session_bound.h"

#include "base/session.h"

namespace nemora {

std::string errorText(const AppError& e) { return "Error in " + e.source + ", " + e.description; }

void SessionBound::handleValidation(AppError& e, std::string_view source, OnFailure onFailure) const {
  if (e.source.empty()) e.source = std::string(source);
  std::string text = errorText(e);
  if (!onFailure.secondLine.empty()) {
    text += kLineBreak;
    text += onFailure.secondLine;
  }
  if (onFailure.endsProgram) session_.endProgram(text);
  session_.showMessage(text);
}

}  // namespace nemora
