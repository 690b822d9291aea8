// Writing a file so that it is never left half-written: the text goes to a
// temporary file in the same folder, which is flushed and then renamed over
// the old file in one step.
#pragma once

#include <filesystem>
#include <string>

namespace nemora {

// Writes content to path atomically. Throws AppError (code errFileWrite,
// source "writeFileAtomically", the system's description) when the folder
// cannot be written; the old file is then left as it was.
void writeFileAtomically(const std::filesystem::path& path, const std::string& content);

// Error code of a file that cannot be written (the run-time's "Path/File access error").
inline constexpr int32_t errFileWrite = 75;

}  // namespace nemora
