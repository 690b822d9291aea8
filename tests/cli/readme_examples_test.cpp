// The README's command-line examples, run as written in a fresh folder:
// build/nemora-cli and data/ there lead to the built program and the shipped
// data. Each ends with status 0, no two write the same file, and none leaves
// a file behind in the folder (the examples write their pictures to /tmp).
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace nemora::testing {
namespace {

// The commands of the README's sh blocks that run nemora-cli, with their
// continuation lines joined.
std::vector<std::string> readmeCommands() {
  std::ifstream in(std::filesystem::path(NEMORA_SOURCE_DATA_DIR) / ".." / "README.md");
  std::vector<std::string> commands;
  bool inBlock = false;
  std::string pending;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("```", 0) == 0) {
      inBlock = !inBlock && line == "```sh";
      continue;
    }
    if (!inBlock) continue;
    pending += line;
    if (!pending.empty() && pending.back() == '\\') {
      pending.pop_back();
      continue;
    }
    if (pending.find("build/nemora-cli") != std::string::npos) commands.push_back(pending);
    pending.clear();
  }
  return commands;
}

// The files a command writes: the words after its file options.
std::vector<std::string> writtenFiles(const std::string& command) {
  std::istringstream words(command);
  std::vector<std::string> files;
  bool next = false;
  for (std::string word; words >> word;) {
    if (next) files.push_back(word);
    next = word == "--out" || word == "--plot" || word == "--reliability-plot" || word == "--ics" || word == "--screenshot";
  }
  return files;
}

TEST(ReadmeExamples, RunAsWrittenInAFreshFolder) {
  const auto commands = readmeCommands();
  ASSERT_GE(commands.size(), 15u);
  std::set<std::string> written;
  for (const std::string& command : commands)
    for (const std::string& file : writtenFiles(command))
      EXPECT_TRUE(written.insert(file).second) << "two examples write " << file;

  TempDir dir;
  std::filesystem::create_directory(dir.path() / "build");
  std::filesystem::create_symlink(NEMORA_CLI_PATH, dir.path() / "build" / "nemora-cli");
  std::filesystem::create_directory_symlink(NEMORA_SOURCE_DATA_DIR, dir.path() / "data");
  for (const std::string& command : commands) {
    const std::filesystem::path err = dir.path() / ".." / (dir.path().filename().string() + "-err.txt");
    const std::string shell = "cd '" + dir.path().string() + "' && { " + command + " ; } > /dev/null 2> '" +
                              err.string() + "' < /dev/null";
    const int raw = std::system(shell.c_str());
    std::ifstream errors(err);
    std::stringstream text;
    text << errors.rdbuf();
    std::filesystem::remove(err);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command << "\n" << text.str();
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name != "build" && name != "data") left.push_back(name);
  }
  EXPECT_TRUE(left.empty()) << "left in the folder: " << ::testing::PrintToString(left);
  for (const std::string& file : written) std::filesystem::remove(file);
}

}  // namespace
}  // namespace nemora::testing
