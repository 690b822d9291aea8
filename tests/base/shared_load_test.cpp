#include "base/shared_load.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace nemora {
namespace {

// A kind of content of this test alone, so that no other test's copies
// share its store.
struct Loaded {
  std::string text;
};

// One file is read once however its path is written; another file is read
// for itself; a load that fails stores nothing, so the next call reads again.
TEST(SharedLoad, OneCopyPerFileAndNoneOfAFailedLoad) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "nemora_shared_load_test";
  int reads = 0;
  auto reader = [&](std::string text) {
    return [&reads, text] {
      ++reads;
      return Loaded{text};
    };
  };
  auto first = sharedLoad<Loaded>(folder / "a.txt", reader("a"));
  auto again = sharedLoad<Loaded>(folder / "sub" / ".." / "a.txt", reader("not read"));
  EXPECT_EQ(first, again);
  EXPECT_EQ(again->text, "a");
  EXPECT_EQ(reads, 1);

  auto other = sharedLoad<Loaded>(folder / "b.txt", reader("b"));
  EXPECT_NE(other, first);
  EXPECT_EQ(other->text, "b");
  EXPECT_EQ(reads, 2);

  EXPECT_THROW(sharedLoad<Loaded>(folder / "c.txt", [&]() -> Loaded { throw std::runtime_error("damaged"); }),
               std::runtime_error);
  EXPECT_EQ(sharedLoad<Loaded>(folder / "c.txt", reader("c"))->text, "c");
  EXPECT_EQ(reads, 3);
}

}  // namespace
}  // namespace nemora
