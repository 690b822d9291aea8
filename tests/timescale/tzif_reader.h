// A small reader of the system's compiled time-zone files (TZif, RFC 8536),
// used as an independent oracle for the zone histories of the location
// database. Only what the comparison needs: the transition times and the
// UT offset in force between them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace nemora::testing {

struct TzifZone {
  struct Type {
    int32_t utoff = 0;  // seconds ahead of UT
    bool isdst = false;
  };
  std::vector<int64_t> transitions;  // Unix seconds, increasing
  std::vector<uint8_t> typeOfTransition;
  std::vector<Type> types;
  int64_t lastCovered = 0;  // later instants need the file's rule footer

  // Offset in seconds in force at Unix time t (the type of the last
  // transition at or before t; before the first, the first type).
  int32_t offsetAt(int64_t t) const;
};

// Reads a TZif file of version 1, 2 or 3 (the 64-bit data when present).
// Throws std::runtime_error when the file is missing or malformed.
TzifZone readTzif(const std::filesystem::path& path);

}  // namespace nemora::testing
