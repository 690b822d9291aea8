#include "fuzz/fuzz_support.h"

#include "base/main_module.h"
#include "location/location_data.h"

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

void useShippedData(Session& session) {
  static const std::filesystem::path shipped = [] {
    const char* dir = std::getenv("NEMORA_DATA");
    return std::filesystem::path(dir != nullptr ? dir : "data");
  }();
  session.dataDir = shipped;
  session.workDir = scratchFolder();
  session.locations.GetLocationData();
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

std::vector<std::string> plainItems(std::string_view text, char marker) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = text.size();
  auto separator = [&](size_t at) { return text[at] == ',' || text[at] == '\n' || text[at] == '\r'; };
  while (i < n) {
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string item;
    if (i < n && text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) close = n;
      item = std::string(text.substr(i + 1, close - i - 1));
      i = close;
      while (i < n && !separator(i)) ++i;
    } else {
      size_t start = i;
      while (i < n && !separator(i)) ++i;
      item = std::string(text.substr(start, i - start));
      while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.pop_back();
    }
    if (i < n) i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
    if (!item.empty() && item[0] != marker) items.push_back(item);
  }
  return items;
}

bool sameNumber(const std::string& item, double stored) {
  auto value = parseNumber(item);
  return value && *value == stored;
}

void finding(const std::string& why) {
  std::fprintf(stderr, "Finding: %s\n", why.c_str());
  std::abort();
}

}  // namespace nemora::fuzz
