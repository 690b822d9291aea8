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
#include <vector>

#include "base/messages.h"
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
// Points a session at the shipped data ($NEMORA_DATA, else data/) with the
// scratch folder as its working folder, and loads the shipped location
// database (once per process).
void useShippedData(Session& session);

// Aborts (a finding) when a recorded message does not start with one of the
// allowed beginnings.
void requireListedMessages(const RecordingMessageSink& sink, std::initializer_list<std::string_view> allowed);

// A second, plain reading of a data file's bytes, written apart from the
// value reader: a byte-order mark is dropped; items end at a comma or a line
// end; leading and trailing blanks go; an item that starts with a double
// quote runs to the next one and the rest up to the separator is dropped.
// Only the items that are not empty and do not start with the marker.
std::vector<std::string> plainItems(std::string_view text, char marker);

// Whether a data item holds the number a reader stored (as the readers
// parse numbers: "." decimal point).
bool sameNumber(const std::string& item, double stored);

// Ends the run as a finding, with the reason on standard error.
[[noreturn]] void finding(const std::string& why);

}  // namespace nemora::fuzz
