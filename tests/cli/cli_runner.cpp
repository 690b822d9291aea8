#include "tests/cli/cli_runner.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/test_support.h"

namespace nemora::testing {

CliRun runCliIn(const std::filesystem::path& folder, const std::string& arguments, const std::string& input,
                const std::string& env) {
  const std::filesystem::path in = folder / "cli-in.txt", err = folder / "cli-err.txt";
  std::ofstream(in) << input;
  std::string command = "cd '" + folder.string() + "' && " + (env.empty() ? "" : "env " + env + " ") +
                        NEMORA_CLI_PATH + " --data-dir " + NEMORA_SOURCE_DATA_DIR + " " + arguments + " < '" +
                        in.string() + "' 2> '" + err.string() + "'";
  CliRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
  int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream errors(err);
  std::stringstream text;
  text << errors.rdbuf();
  run.err = text.str();
  std::filesystem::remove(in);
  std::filesystem::remove(err);
  return run;
}

CliRun runCli(const std::string& arguments, const std::string& input, const std::string& env) {
  TempDir dir;
  return runCliIn(dir.path(), arguments, input, env);
}

}  // namespace nemora::testing
