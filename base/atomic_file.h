// Writing a file so that it is never left half-written: the text goes to a
// temporary file in the same folder, which is flushed and then renamed over
// the old file in one step; the folder is flushed after the rename so that
// the new name survives a crash of the system too.
//
// Only a regular file is replaced that way. A name that is not a regular
// file (a device such as /dev/null, a FIFO, /dev/stdout) is written in place
// as the shell's ">" would, and "-" is standard output. A file the user could
// not write with ">" is refused with the system's reason rather than
// replaced, and a symbolic link that another user planted in a sticky shared
// folder (such as /tmp) is not followed, as the kernel refuses it when it
// protects such links.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace nemora {

// Writes content to path atomically. The new file keeps the old file's
// permissions; a symbolic link is kept and its target written instead.
// Temporary files of this writer for the same file (path + ".tmp" + digits)
// that no writer holds any more, left behind by a program that was killed
// while writing, are removed (a writer holds its own temporary locked until
// the rename). Throws AppError (code errFileWrite, source
// "writeFileAtomically", the file's name and the system's description) when
// the file cannot be written; the old file is then left as it was.
void writeFileAtomically(const std::filesystem::path& path, const std::string& content);

// The same with the call that flushes a file or folder to disk given
// (normally fsync): lets tests see what is flushed and make it fail.
void writeFileAtomically(const std::filesystem::path& path, const std::string& content,
                         const std::function<int(int fd)>& flush);

// The same, written piece by piece (a long table as it is computed): the
// pieces go to the temporary, and only commit() puts it in the file's place.
// A writer destroyed without commit() removes its temporary and leaves the
// old file as it was. A name that is not a regular file gets the pieces as
// they come. Every failure throws AppError as writeFileAtomically does.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::filesystem::path& path);
  AtomicFileWriter(const std::filesystem::path& path, std::function<int(int fd)> flush);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void write(std::string_view text);
  void commit();

 private:
  [[noreturn]] void abandon(int error);
  std::filesystem::path requested_;  // as the caller named it, for messages
  std::filesystem::path path_;       // the file replaced (links followed)
  std::filesystem::path temporary_;  // empty when written in place
  std::function<int(int fd)> flush_;
  int fd_ = -1;
  bool ownDescriptor_ = true;  // false for standard output: never closed
  bool done_ = false;
};

// Throws the AppError writeFileAtomically would throw for a name it can
// already tell it cannot write (a missing or unwritable folder, a file the
// user may not write, a planted link, a folder in place of a file), without
// writing anything: lets a long computation refuse its output first.
void checkWritable(const std::filesystem::path& path);

// Error code of a file that cannot be written (the run-time's "Path/File access error").
inline constexpr int32_t errFileWrite = 75;

}  // namespace nemora
