#include "tests/test_support.h"

#include <random>

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

}  // namespace nemora::testing
