#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <string_view>
#include <system_error>

#include "base/errors.h"

namespace nemora {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
  throw AppError(errFileWrite, "writeFileAtomically", path.filename().string() + ": " + std::strerror(error));
}

// The file a path names: a symbolic link is followed to its target (which
// need not exist yet), so that writing keeps the link.
std::filesystem::path resolveLinks(std::filesystem::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) fail(path, ec.value());
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  fail(path, ELOOP);
}

// Removes temporary files of this writer for the same file that are older
// than a day: a program killed between creating and renaming one leaves it
// behind. Younger ones may belong to a writer still at work.
void removeStaleTemporaries(const std::filesystem::path& path) {
  const std::string prefix = path.filename().string() + ".tmp";
  std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  const auto dayAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (std::string_view(name).substr(prefix.size()).find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc) || it->is_symlink(fileEc)) continue;
    auto written = it->last_write_time(fileEc);
    if (!fileEc && written < dayAgo) std::filesystem::remove(it->path(), fileEc);
  }
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& path, const std::string& content) {
  writeFileAtomically(path, content, [](int fd) { return ::fsync(fd); });
}

void writeFileAtomically(const std::filesystem::path& requested, const std::string& content,
                         const std::function<int(int fd)>& flush) {
  const std::filesystem::path path = resolveLinks(requested);
  removeStaleTemporaries(path);

  // The old file's permissions are kept; a new file gets the usual ones,
  // less what the user's umask takes away.
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  const mode_t mode = existed ? (old.st_mode & 07777) : 0666;

  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(random());

  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) fail(requested, errno);
  // From here every failure closes the descriptor and removes the temporary.
  auto abandonWith = [&](int error) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    fail(requested, error);
  };
  if (existed && ::fchmod(fd, mode) != 0) abandonWith(errno);
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      abandonWith(errno);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (flush(fd) != 0) abandonWith(errno);
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) abandonWith(errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) abandonWith(errno);

  // The rename lives in the folder: flush it too.
  std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) fail(requested, errno);
  int synced = flush(dir);
  int error = errno;
  ::close(dir);
  if (synced != 0) fail(requested, error);
}

}  // namespace nemora
