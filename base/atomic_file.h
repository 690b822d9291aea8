// Writing a file so that it is never left half-written: the text goes to a
// temporary file in the same folder, which is flushed and then renamed over
// the old file in one step; the folder is flushed after the rename so that
// the new name survives a crash of the system too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace nemora {

// Writes content to path atomically. The new file keeps the old file's
// permissions; a symbolic link is kept and its target written instead.
// Temporary files of this writer for the same file (path + ".tmp" + digits)
// that are older than a day, left behind by a program that was killed while
// writing, are removed. Throws AppError (code errFileWrite, source
// "writeFileAtomically", the file's name and the system's description) when
// the file cannot be written; the old file is then left as it was.
void writeFileAtomically(const std::filesystem::path& path, const std::string& content);

// The same with the call that flushes a file or folder to disk given
// (normally fsync): lets tests see what is flushed and make it fail.
void writeFileAtomically(const std::filesystem::path& path, const std::string& content,
                         const std::function<int(int fd)>& flush);

// Error code of a file that cannot be written (the run-time's "Path/File access error").
inline constexpr int32_t errFileWrite = 75;

}  // namespace nemora
