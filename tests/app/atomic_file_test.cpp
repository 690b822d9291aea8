#include "app/helpers/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "app/errors.h"
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
  if (geteuid() == 0) GTEST_SKIP() << "root may write into read-only folders";
  testing::TempDir dir;
  auto path = dir.write("Curloc.txt", "old\n");
  chmod(dir.path().c_str(), 0555);
  EXPECT_THROW(writeFileAtomically(path, "new\n"), AppError);
  chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(readAll(path), "old\n");
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
