// Error convention shared by every routine.
//
// A routine that finds invalid input raises an AppError with code
// errValidation; the routine's own handler (SessionBound::guarded) shows
// "Error in <source>, <description>", clears the routine's ok flag and returns
// a fallback. Other codes pass unchanged to the caller. "Ends the program"
// means: show the message, then throw ProgramEnd, which only the front ends
// (window, command line) catch, exiting with a non-zero status.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/text.h"

namespace nemora {

// Hexadecimal 80040001 as a signed 32-bit number.
inline constexpr int32_t errValidation = -2147221503;
// Further codes of the same series, raised by a few readers and routines.
inline constexpr int32_t errApplication2 = -2147221502;
inline constexpr int32_t errApplication3 = -2147221501;
inline constexpr int32_t errApplication4 = -2147221500;

// Run-time error numbers of the file readers (ValueReader::open gives the
// first three) and of a count beyond its 16-bit field. None is a validation
// error: each passes to the caller, which ends the program or reports the
// file.
inline constexpr int32_t errOverflow = 6;            // a count beyond its field
inline constexpr int32_t errFileNotFound = 53;       // no such file or folder
inline constexpr int32_t errPermissionDenied = 70;   // the file may not be read
inline constexpr int32_t errPathFileAccess = 75;     // any other failure to open it

class AppError : public std::runtime_error {
 public:
  AppError(int32_t code, std::string source, std::string description)
      : std::runtime_error(description),
        code(code),
        source(std::move(source)),
        description(std::move(description)) {}

  int32_t code;
  std::string source;       // class tag, full stop, routine name
  std::string description;  // ends with the offending value where there is one
};

// Thrown after a fatal message has been shown; unwinds to the front end.
class ProgramEnd : public std::exception {
 public:
  explicit ProgramEnd(std::string message, int status = 1)
      : message(std::move(message)), status(status) {}
  const char* what() const noexcept override { return message.c_str(); }

  std::string message;  // the text that was shown
  int status;
};

// Thrown by a routine that stops because a routine it called has already
// shown its message and cleared its flag: the handler clears this routine's
// flag too, without a second message.
struct Abandoned {};
[[noreturn]] inline void abandon() { throw Abandoned{}; }

// Raises a validation error whose description is the pieces joined; numbers
// are written in general number form. The source is filled in by the handler
// of the routine that catches it, unless given with raiseFrom.
template <class... Pieces>
[[noreturn]] void raise(const Pieces&... pieces) {
  throw AppError(errValidation, std::string(), concat(pieces...));
}

template <class... Pieces>
[[noreturn]] void raiseFrom(std::string source, const Pieces&... pieces) {
  throw AppError(errValidation, std::move(source), concat(pieces...));
}

}  // namespace nemora
