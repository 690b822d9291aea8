// The process-wide copies of the data files read from disk. A shipped file
// never changes once loaded, so every session may share one copy of it.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>

namespace nemora {

namespace detail {

// The copies of one kind of content, by file.
template <class T>
struct SharedCopies {
  std::mutex mutex;
  std::map<std::filesystem::path, std::shared_ptr<const T>> byFile;

  static SharedCopies& instance() {
    static SharedCopies copies;
    return copies;
  }
};

}  // namespace detail

// The copy of `file` as `load` reads it: read once per process and kind of
// content, keyed by the file's absolute, normalised path, and shared by every
// later call. A copy never changes once stored; a load that throws stores
// nothing, so the next call reads the file again. Loads of one kind are made
// one at a time.
template <class T, class Load>
std::shared_ptr<const T> sharedLoad(const std::filesystem::path& file, Load&& load) {
  auto& store = detail::SharedCopies<T>::instance();
  std::error_code ec;
  std::filesystem::path key = std::filesystem::absolute(file, ec).lexically_normal();
  if (ec) key = file;
  std::lock_guard<std::mutex> lock(store.mutex);
  auto found = store.byFile.find(key);
  if (found != store.byFile.end()) return found->second;
  auto loaded = std::make_shared<const T>(std::forward<Load>(load)());
  store.byFile.emplace(std::move(key), loaded);
  return loaded;
}

}  // namespace nemora
