#include "output/save_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/scripted.hpp"

namespace varnel::output {
namespace {

namespace fs = std::filesystem;
using test::readAll;
using test::ScratchDir;

TEST(SaveFile, WritesBytesAsGivenAndReplacesWhatWasThere) {
  ScratchDir dir;
  const std::string path = dir.file("Résultats.txt");  // a UTF-8 path
  EXPECT_EQ(saveFile(path, std::string("first\r\nsecond line\r\n\0x", 22)), "");
  EXPECT_EQ(readAll(path), std::string("first\r\nsecond line\r\n\0x", 22));
  EXPECT_EQ(saveFile(path, "2\r\n"), "");
  EXPECT_EQ(readAll(path), "2\r\n");
  EXPECT_EQ(saveFile(path, ""), "");
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SaveFile, FailuresGiveAReasonAndCreateNothing) {
  ScratchDir dir;
  const std::string intoMissingFolder = dir.file("missing/out.txt");
  EXPECT_NE(saveFile(intoMissingFolder, "x"), "");
  EXPECT_FALSE(fs::exists(dir.path() / "missing"));

  fs::create_directory(dir.path() / "folder");
  dir.write("folder/kept.txt", "kept");
  EXPECT_NE(saveFile(dir.file("folder"), "x"), "");
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
  EXPECT_EQ(readAll(dir.file("folder/kept.txt")), "kept");

  EXPECT_NE(saveFile("", "x"), "");
}

TEST(SaveFile, ReadOnlyFolderLeavesTheOldFileIntact) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser";
  ScratchDir dir;
  fs::create_directory(dir.path() / "ro");
  const std::string old = dir.write("ro/out.txt", "old content\r\n");
  fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_NE(saveFile(old, "new"), "");
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  EXPECT_EQ(readAll(old), "old content\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "ro"), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace varnel::output
