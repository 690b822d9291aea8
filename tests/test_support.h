// Shared pieces of the tests: a session whose messages are recorded.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "base/messages.h"
#include "app/session.h"

namespace nemora::testing {

// A session with a recording message sink and the shipped data folder.
struct RecordedSession {
  RecordedSession() : session(sink) { session.dataDir = NEMORA_SOURCE_DATA_DIR; }
  RecordingMessageSink sink;
  Session session;
};

// A fresh empty folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Writes a file in the folder and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// What a piece of code run as another user printed, and its exit status.
struct ChildRun {
  int status = -1;  // fn's result, or -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// The unprivileged user the tests become ("nobody").
inline constexpr unsigned kNobody = 65534;

// Runs fn in a child process as the unprivileged user kNobody (user and
// group), capturing its standard output and error. Becoming another user
// needs root: without it (or when the change fails) the result is empty and
// the caller skips the case.
std::optional<ChildRun> runAsNobody(const std::function<int()>& fn);

}  // namespace nemora::testing
