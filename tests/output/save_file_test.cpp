#include "output/save_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/scripted.hpp"

namespace varnel::output {
namespace {

namespace fs = std::filesystem;
using test::readAll;

size_t entries(const fs::path& dir) {
  return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(SaveFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
  test::ScratchDir dir;
  const std::string path = dir.file("Résultats.txt");
  const std::string bytes("first\r\nsecond\r\n\0x", 16);
  EXPECT_EQ(saveFile(path, bytes), "");
  EXPECT_EQ(readAll(path), bytes);
  EXPECT_EQ(saveFile(path, "2\r\n"), "");
  EXPECT_EQ(readAll(path), "2\r\n");
  EXPECT_EQ(entries(dir.path()), 1u);
  EXPECT_NE(saveFile(dir.file("missing/out.txt"), "x"), "");
  EXPECT_NE(saveFile(dir.path().string(), "x"), "");
  EXPECT_NE(saveFile("", "x"), "");
  EXPECT_EQ(entries(dir.path()), 1u);
}

// The file itself stays writable: only a write through a temporary file
// fails here, so this catches a writer that falls back to writing in place.
TEST(SaveFile, ReadOnlyFolderLeavesTheOldFileIntact) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser";
  test::ScratchDir dir;
  fs::create_directory(dir.path() / "ro");
  const std::string old = dir.write("ro/out.txt", "old content\r\n");
  fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_NE(saveFile(old, "new"), "");
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  EXPECT_EQ(readAll(old), "old content\r\n");
  EXPECT_EQ(entries(dir.path() / "ro"), 1u);
}

}  // namespace
}  // namespace varnel::output
