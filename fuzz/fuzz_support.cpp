#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace nemora::fuzz {

const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    auto dir = base / ("nemora-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
  }();
  return folder;
}

std::filesystem::path writeScratchFile(const std::string& name, const std::string& content) {
  auto path = scratchFolder() / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  return path;
}

void requireListedMessages(const RecordingMessageSink& sink, std::initializer_list<std::string_view> allowed) {
  for (const auto& text : sink.messages) {
    bool listed = false;
    for (auto beginning : allowed)
      if (std::string_view(text).substr(0, beginning.size()) == beginning) listed = true;
    if (!listed) {
      std::fprintf(stderr, "Unlisted message: %s\n", text.c_str());
      std::abort();
    }
  }
}

}  // namespace nemora::fuzz
