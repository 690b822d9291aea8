#include "tests/test_support.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <sstream>

namespace nemora::testing {

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() / ("nemora-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& content) const {
  auto file = path_ / name;
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

namespace {

std::string readBack(FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

}  // namespace

std::optional<ChildRun> runAsNobody(const std::function<int()>& fn) {
  if (geteuid() != 0) return std::nullopt;
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) return std::nullopt;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    dup2(fileno(out), STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    // 125: the change of user failed (the case is skipped).
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 || geteuid() != kNobody)
      _exit(125);
    int result = fn();
    std::fflush(nullptr);
    _exit(result);
  }
  int raw = 0;
  waitpid(child, &raw, 0);
  ChildRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readBack(out);
  run.err = readBack(err);
  if (run.status == 125) return std::nullopt;
  return run;
}

}  // namespace nemora::testing
