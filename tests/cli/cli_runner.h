// Runs of nemora-cli for the end-to-end tests.
#pragma once

#include <filesystem>
#include <string>

namespace nemora::testing {

// What a run of nemora-cli printed, and its exit status (-1 when it could
// not be run).
struct CliRun {
  std::string out;
  std::string err;
  int status = -1;
};

// Runs nemora-cli on the shipped data in the folder, with the arguments,
// the text as its standard input and environment settings ("TZ=..." or
// empty).
CliRun runCliIn(const std::filesystem::path& folder, const std::string& arguments, const std::string& input = "",
                const std::string& env = "");

// The same in a fresh folder (without Curloc.txt), removed afterwards.
CliRun runCli(const std::string& arguments, const std::string& input = "", const std::string& env = "");

}  // namespace nemora::testing
