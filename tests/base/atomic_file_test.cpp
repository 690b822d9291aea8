#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(WriteFileAtomically, ReplacesTheOldFileAndLeavesNoTemporary) {
  testing::TempDir dir;
  auto path = dir.path() / "out.txt";
  writeFileAtomically(path, "first\n");
  writeFileAtomically(path, "second\n");
  EXPECT_EQ(readAll(path), "second\n");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(WriteFileAtomically, AnUnwritableFolderKeepsTheOldFile) {
  // A path below a regular file cannot be written by any user, root too.
  testing::TempDir dir;
  auto path = dir.write("Curloc.txt", "old\n");
  EXPECT_THROW(writeFileAtomically(path / "out.txt", "new\n"), AppError);
  EXPECT_EQ(readAll(path), "old\n");
}

// Open descriptors of this process.
int openDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

TEST(WriteFileAtomically, SyncsTheFolderKeepsModeAndLinksAndClosesOnFailure) {
  testing::TempDir dir;
  auto path = dir.write("Curloc.txt", "old\n");
  chmod(path.c_str(), 0600);

  // The file and then its folder are flushed.
  std::vector<bool> flushedFolder;
  auto record = [&](int fd) {
    struct stat info {};
    fstat(fd, &info);
    flushedFolder.push_back(S_ISDIR(info.st_mode));
    return fsync(fd);
  };
  writeFileAtomically(path, "new\n", record);
  EXPECT_EQ(flushedFolder, (std::vector<bool>{false, true}));
  EXPECT_EQ(readAll(path), "new\n");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  // A symbolic link stays a link; its target gets the text.
  auto link = dir.path() / "link.txt";
  std::filesystem::create_symlink("Curloc.txt", link);
  writeFileAtomically(link, "through the link\n");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readAll(path), "through the link\n");

  // A failed flush closes the descriptor, removes the temporary and leaves
  // the old file.
  const int before = openDescriptors();
  auto failing = [](int) {
    errno = EIO;
    return -1;
  };
  EXPECT_THROW(writeFileAtomically(path, "lost\n", failing), AppError);
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_EQ(readAll(path), "through the link\n");

  // A temporary left by a killed writer is removed at once, as no writer
  // holds it any more; one that a writer at work holds locked stays, and
  // other names are not ours.
  auto left = dir.write("Curloc.txt.tmp123", "half");
  auto held = dir.write("Curloc.txt.tmp456", "half");
  auto other = dir.write("Curloc.txt.tmpx1", "keep");
  const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  writeFileAtomically(path, "again\n");
  close(holder);
  EXPECT_FALSE(std::filesystem::exists(left));
  EXPECT_TRUE(std::filesystem::exists(held));
  EXPECT_TRUE(std::filesystem::exists(other));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Curloc.txt", "Curloc.txt.tmp456", "Curloc.txt.tmpx1", "link.txt"}));

  // A writer killed between writing its temporary and the rename leaves the
  // temporary; the next write of the same file clears it.
  std::fflush(nullptr);
  const pid_t writer = fork();
  if (writer == 0) {
    writeFileAtomically(path, std::string(100000, 'x'), [](int) { return ::raise(SIGKILL); });
    _exit(0);
  }
  int raw = 0;
  waitpid(writer, &raw, 0);
  ASSERT_TRUE(WIFSIGNALED(raw));
  auto temporaries = [&] {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      n += entry.path().filename().string().rfind("Curloc.txt.tmp", 0) == 0 &&
           entry.path().filename() != "Curloc.txt.tmpx1" && entry.path().filename() != "Curloc.txt.tmp456";
    return n;
  };
  EXPECT_EQ(temporaries(), 1);
  EXPECT_EQ(readAll(path), "again\n");
  writeFileAtomically(path, "after the kill\n");
  EXPECT_EQ(temporaries(), 0);
  EXPECT_EQ(readAll(path), "after the kill\n");
}

// The outcome of one write: "" or the failure's description.
std::string attempt(const std::filesystem::path& path, const std::string& content) {
  try {
    writeFileAtomically(path, content);
    return "";
  } catch (const AppError& e) {
    return e.description;
  }
}

TEST(WriteFileAtomically, OnlyARegularFileTheUserMayWriteIsReplaced) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root: the cases make a device and root's own files, and become the user nobody";
  testing::TempDir dir;
  const auto shared = dir.path() / "shared", sticky = dir.path() / "sticky";
  std::filesystem::create_directories(shared);
  std::filesystem::create_directories(sticky);
  chmod(shared.c_str(), 0777);
  chmod(sticky.c_str(), 01777);
  const auto rootsFile = dir.write("shared/x.png", "root's\n");
  chmod(rootsFile.c_str(), 0444);
  const auto victim = dir.write("victim.txt", "precious\n");
  chmod(victim.c_str(), 0600);
  const auto ownTarget = dir.write("target.txt", "old\n");
  std::filesystem::create_symlink(ownTarget, sticky / "own.txt");
  // nobody plants a link towards root's private file.
  auto planted = testing::runAsNobody([&] { return symlink(victim.c_str(), (sticky / "Output.txt").c_str()); });
  if (!planted) GTEST_SKIP() << "cannot become the user nobody";
  ASSERT_EQ(planted->status, 0);
  const auto device = dir.path() / "null";
  const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

  struct Case {
    const char* what;
    std::filesystem::path path;
    bool asNobody;
    std::string failure;  // "" when it is written
    std::string printed;  // what goes to standard output
  };
  const Case cases[] = {
      {"a copy of /dev/null", device, false, "", ""},
      {"/dev/null as nobody", "/dev/null", true, "", ""},
      {"/dev/stdout as nobody", "/dev/stdout", true, "", "new\n"},
      {"- as nobody", "-", true, "", "new\n"},
      {"root's read-only file in a shared folder, as nobody", rootsFile, true, "x.png: Permission denied", ""},
      {"a link nobody planted in a sticky folder, as root", sticky / "Output.txt", false,
       "Output.txt: Permission denied", ""},
      {"root's own link in the sticky folder", sticky / "own.txt", false, "", ""},
  };
  for (const Case& c : cases) {
    if (c.path == device && !haveDevice) continue;
    std::optional<testing::ChildRun> run;
    if (c.asNobody)
      run = testing::runAsNobody([&] {
        std::cerr << attempt(c.path, "new\n");
        return 0;
      });
    else
      run = testing::ChildRun{0, "", attempt(c.path, "new\n")};
    ASSERT_TRUE(run) << c.what;
    EXPECT_EQ(run->status, 0) << c.what;
    EXPECT_EQ(run->err, c.failure) << c.what;
    EXPECT_EQ(run->out, c.printed) << c.what;
  }
  struct stat info {};
  if (haveDevice) {
    ASSERT_EQ(lstat(device.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced";
  }
  ASSERT_EQ(lstat(rootsFile.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u);
  EXPECT_EQ(info.st_mode & 07777, 0444u);
  EXPECT_EQ(readAll(rootsFile), "root's\n");
  EXPECT_EQ(readAll(victim), "precious\n");
  EXPECT_EQ(readAll(ownTarget), "new\n");
  EXPECT_TRUE(std::filesystem::is_symlink(sticky / "Output.txt"));

  // A FIFO is written as it is, to the reader at its other end.
  const auto fifo = dir.path() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(attempt(fifo, "through the pipe\n"), "");
  char buf[64] = {};
  EXPECT_EQ(read(reader, buf, sizeof buf - 1), 17);
  EXPECT_STREQ(buf, "through the pipe\n");
  close(reader);
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(WriteFileAtomically, AMissingFolderFailsWithItsCode) {
  testing::TempDir dir;
  try {
    writeFileAtomically(dir.path() / "no-such-folder" / "out.txt", "x");
    FAIL() << "expected a failure";
  } catch (const AppError& e) {
    EXPECT_EQ(e.code, errFileWrite);
    EXPECT_EQ(e.source, "writeFileAtomically");
  }
}

}  // namespace
}  // namespace nemora
