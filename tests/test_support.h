// Shared pieces of the tests: a session whose messages are recorded.
#pragma once

#include <filesystem>
#include <fstream>
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

}  // namespace nemora::testing
