#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

  // A temporary left by a killed writer is removed once older than a day;
  // a younger one may belong to a writer at work, and other names are not ours.
  auto stale = dir.write("Curloc.txt.tmp123", "half");
  auto young = dir.write("Curloc.txt.tmp456", "half");
  auto other = dir.write("Curloc.txt.tmpx1", "keep");
  for (const auto& p : {stale, other})
    std::filesystem::last_write_time(p, std::filesystem::file_time_type::clock::now() - std::chrono::hours(25));
  writeFileAtomically(path, "again\n");
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(young));
  EXPECT_TRUE(std::filesystem::exists(other));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Curloc.txt", "Curloc.txt.tmp456", "Curloc.txt.tmpx1", "link.txt"}));
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
