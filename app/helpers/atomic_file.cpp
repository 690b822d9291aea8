#include "app/helpers/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "app/errors.h"

namespace nemora {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
  throw AppError(errFileWrite, "writeFileAtomically", path.filename().string() + ": " + std::strerror(error));
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& path, const std::string& content) {
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(random());

  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) fail(path, errno);
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      fail(path, error);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    fail(path, error);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    fail(path, error);
  }
}

}  // namespace nemora
