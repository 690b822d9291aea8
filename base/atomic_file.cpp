#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>

#include "base/errors.h"

namespace nemora {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
  throw AppError(errFileWrite, "writeFileAtomically", path.filename().string() + ": " + std::strerror(error));
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
  return path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
}

// What a name leads to once its links are followed.
struct Target {
  std::filesystem::path path;  // the file itself (links followed)
  bool exists = false;         // a regular file is there
  bool inPlace = false;        // not a regular file: opened and written as it is
  int descriptor = -1;         // standard output ("-") or /dev/stdout: written to this descriptor
};

// /proc/self/fd/N (where /dev/stdout and /dev/fd/N lead): descriptor N of
// this program, which is written as it is rather than opened again.
std::optional<int> ownDescriptor(const std::string& target) {
  for (std::string_view prefix : {"/proc/self/fd/", "/dev/fd/"}) {
    if (target.compare(0, prefix.size(), prefix) != 0) continue;
    std::string_view digits = std::string_view(target).substr(prefix.size());
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string_view::npos)
      return std::nullopt;
    return std::stoi(std::string(digits));
  }
  return std::nullopt;
}

// Follows the name's links to the file they lead to (which need not exist
// yet), refusing what the user could not write with ">".
Target resolve(const std::filesystem::path& requested) {
  Target t;
  if (requested == "-") {
    t.inPlace = true;
    t.descriptor = STDOUT_FILENO;
    return t;
  }
  if (auto fd = ownDescriptor(requested.string())) {
    t.inPlace = true;
    t.descriptor = *fd;
    return t;
  }
  std::filesystem::path path = requested;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) fail(requested, errno);
      t.path = path;
      return t;
    }
    if (S_ISLNK(info.st_mode)) {
      // In a sticky folder that everyone may write to, a link is followed
      // only when it belongs to the user or to the folder's owner: another
      // user could otherwise lead our writing to any file we may write.
      struct stat folder {};
      if (::stat(folderOf(path).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
          (folder.st_mode & S_IWOTH) != 0 && info.st_uid != ::geteuid() && info.st_uid != folder.st_uid)
        fail(requested, EACCES);
      std::error_code ec;
      std::filesystem::path target = std::filesystem::read_symlink(path, ec);
      if (ec) fail(requested, ec.value());
      if (auto fd = ownDescriptor(target.string())) {
        t.inPlace = true;
        t.descriptor = *fd;
        return t;
      }
      if (target.string().rfind("/proc/", 0) == 0) {
        // Another process's descriptor or a pipe: only opening it reaches it.
        t.path = path;
        t.inPlace = true;
        return t;
      }
      path = target.is_absolute() ? target : path.parent_path() / target;
      continue;
    }
    if (S_ISDIR(info.st_mode)) fail(requested, EISDIR);
    t.path = path;
    if (!S_ISREG(info.st_mode)) {
      t.inPlace = true;
      return t;
    }
    // What ">" could not write is not replaced either.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) fail(requested, errno);
    t.exists = true;
    return t;
  }
  fail(requested, ELOOP);
}

// The temporaries of this writer for a file: its name + ".tmp" + digits.
bool isTemporaryOf(const std::string& name, const std::string& prefix) {
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         std::string_view(name).substr(prefix.size()).find_first_not_of("0123456789") == std::string_view::npos;
}

// Removes temporaries of this writer for the same file that no writer holds:
// a writer keeps its temporary locked until the rename, so an unlocked one
// was left by a program killed while writing. One that cannot be opened to
// ask (another user's) is removed only once older than a day.
void removeLeftovers(const std::filesystem::path& path) {
  const std::string prefix = path.filename().string() + ".tmp";
  std::error_code ec;
  std::filesystem::directory_iterator it(folderOf(path), ec), end;
  const auto dayAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  for (; !ec && it != end; it.increment(ec)) {
    if (!isTemporaryOf(it->path().filename().string(), prefix)) continue;
    const std::filesystem::path name = it->path();
    struct stat before {};
    if (::lstat(name.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) continue;
    int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      std::error_code fileEc;
      auto written = std::filesystem::last_write_time(name, fileEc);
      if (!fileEc && written < dayAgo) std::filesystem::remove(name, fileEc);
      continue;
    }
    struct stat held {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_nlink > 0 &&
        held.st_dev == before.st_dev && held.st_ino == before.st_ino)
      ::unlink(name.c_str());
    ::close(fd);
  }
}

void writeAll(int fd, std::string_view content, const std::function<void(int)>& onError) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      onError(errno);
      return;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
}

}  // namespace

void checkWritable(const std::filesystem::path& requested) {
  const Target t = resolve(requested);
  if (t.inPlace) {
    if (t.descriptor < 0 && ::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0) fail(requested, errno);
    return;
  }
  // A new name, or the temporary beside an old file: made in the folder.
  if (::faccessat(AT_FDCWD, folderOf(t.path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) fail(requested, errno);
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path)
    : AtomicFileWriter(path, [](int fd) { return ::fsync(fd); }) {}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& requested, std::function<int(int fd)> flush)
    : requested_(requested), flush_(std::move(flush)) {
  const Target target = resolve(requested);
  path_ = target.path;
  if (target.inPlace) {
    // Not a regular file: written as ">" writes it.
    if (target.descriptor >= 0) {
      fd_ = target.descriptor;
      ownDescriptor_ = false;
      return;
    }
    fd_ = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) fail(requested, errno);
    return;
  }
  removeLeftovers(path_);

  // The old file's permissions are kept; a new file gets the usual ones,
  // less what the user's umask takes away.
  struct stat old {};
  const bool existed = target.exists && ::stat(path_.c_str(), &old) == 0;
  const mode_t mode = existed ? (old.st_mode & 07777) : 0666;

  // The temporary is held locked until the rename, so that another writer
  // of the same file can tell it from a leftover; one removed as a leftover
  // between its creation and the lock is given up for another name.
  std::random_device random;
  for (int attempt = 0; fd_ < 0; ++attempt) {
    temporary_ = path_;
    temporary_ += ".tmp" + std::to_string(random());
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0) {
      if (errno == EEXIST && attempt < 100) continue;
      fail(requested, errno);
    }
    struct stat info {};
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd_, &info) != 0 || info.st_nlink == 0) {
      ::close(fd_);
      fd_ = -1;
      if (attempt >= 100) fail(requested, EAGAIN);
    }
  }
  if (existed && ::fchmod(fd_, mode) != 0) abandon(errno);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (done_) return;
  if (fd_ >= 0 && ownDescriptor_) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFileWriter::abandon(int error) {
  if (fd_ >= 0 && ownDescriptor_) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  done_ = true;
  fail(requested_, error);
}

void AtomicFileWriter::write(std::string_view text) {
  if (done_) fail(requested_, EBADF);
  writeAll(fd_, text, [this](int error) { abandon(error); });
}

void AtomicFileWriter::commit() {
  if (done_) fail(requested_, EBADF);
  if (temporary_.empty()) {
    done_ = true;
    if (ownDescriptor_ && ::close(fd_) != 0) fail(requested_, errno);
    return;
  }
  if (flush_(fd_) != 0) abandon(errno);
  // The rename comes before the close, so that the temporary is never
  // unlocked under its own name; fsync has reported any failure to write.
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) abandon(errno);
  done_ = true;
  if (::close(fd_) != 0) fail(requested_, errno);

  // The rename lives in the folder: flush it too.
  int dir = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) fail(requested_, errno);
  int synced = flush_(dir);
  int error = errno;
  ::close(dir);
  if (synced != 0) fail(requested_, error);
}

void writeFileAtomically(const std::filesystem::path& path, const std::string& content) {
  AtomicFileWriter file(path);
  file.write(content);
  file.commit();
}

void writeFileAtomically(const std::filesystem::path& path, const std::string& content,
                         const std::function<int(int fd)>& flush) {
  AtomicFileWriter file(path, flush);
  file.write(content);
  file.commit();
}

}  // namespace nemora
