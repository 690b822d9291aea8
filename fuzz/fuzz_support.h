// Shared pieces of the fuzz targets. A reader may end the program with one of
// its own messages (that is its normal answer to a bad file); anything else it
// shows, and any crash, hang or runaway memory, is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/messages.h"
#include "app/session.h"

namespace nemora::fuzz {

// The fuzz input as text.
inline std::string asText(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Writes the input into a file of the given name in a per-process scratch
// folder (in memory where the system has /dev/shm) and returns its path.
std::filesystem::path writeScratchFile(const std::string& name, const std::string& content);
// The scratch folder itself (a session's dataDir or workDir in the targets).
const std::filesystem::path& scratchFolder();

// Aborts (a finding) when a recorded message does not start with one of the
// allowed beginnings.
void requireListedMessages(const RecordingMessageSink& sink, std::initializer_list<std::string_view> allowed);

}  // namespace nemora::fuzz
