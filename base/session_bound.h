// Base of every class whose routines belong to one session: gives them the
// session and the one handler rule that every routine applies.
#pragma once

#include <string>
#include <string_view>

#include "base/errors.h"

namespace nemora {

class Session;

// How a routine's handler treats a validation error beyond the usual message.
struct OnFailure {
  bool endsProgram = false;     // show the message, then end the program
  std::string_view secondLine;  // a line shown under "Error in ..." ("" for none)
};
// The message is followed by the end of the program.
constexpr OnFailure endsProgram(std::string_view secondLine = {}) { return OnFailure{true, secondLine}; }
// The message carries a second line and the routine returns as usual.
constexpr OnFailure withSecondLine(std::string_view secondLine) { return OnFailure{false, secondLine}; }

class SessionBound {
 public:
  explicit SessionBound(Session& session) : session_(session) {}
  Session& session() const { return session_; }

 protected:
  // Runs a routine's body under the handler rule: blnValid is set true first;
  // abandon() clears it silently (a called routine already told the user);
  // a validation error shows "Error in " + source + ", " + description (the
  // source of the routine that raised it, else this routine's), clears
  // blnValid and returns the fallback (or ends the program). Any other
  // AppError or exception passes to the caller unchanged.
  template <class T, class Body>
  T guarded(bool& blnValid, std::string_view source, T fallback, Body&& body,
            OnFailure onFailure = {}) const {
    blnValid = true;
    try {
      return body();
    } catch (AppError& e) {
      if (e.code != errValidation) throw;
      handleValidation(e, source, onFailure);
      blnValid = false;
      return fallback;
    } catch (Abandoned&) {
      blnValid = false;
      return fallback;
    }
  }

  // The same for routines without a result.
  template <class Body>
  void guardedVoid(bool& blnValid, std::string_view source, Body&& body,
                   OnFailure onFailure = {}) const {
    blnValid = true;
    try {
      body();
    } catch (AppError& e) {
      if (e.code != errValidation) throw;
      handleValidation(e, source, onFailure);
      blnValid = false;
    } catch (Abandoned&) {
      blnValid = false;
    }
  }

 private:
  // Shows the message of a validation error; throws ProgramEnd when the
  // routine ends the program.
  void handleValidation(AppError& e, std::string_view source, OnFailure onFailure) const;

  Session& session_;
};

// "Error in " + source + ", " + description.
std::string errorText(const AppError& e);

}  // namespace nemora
