#include "output/save_file.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

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
  EXPECT_TRUE(saveFile(path, bytes).ok());
  EXPECT_EQ(readAll(path), bytes);
  EXPECT_TRUE(saveFile(path, "2\r\n").ok());
  EXPECT_EQ(readAll(path), "2\r\n");
  EXPECT_EQ(entries(dir.path()), 1u);
  EXPECT_FALSE(saveFile(dir.file("missing/out.txt"), "x").ok());
  EXPECT_FALSE(saveFile(dir.path().string(), "x").ok());
  EXPECT_FALSE(saveFile("", "x").ok());
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
  EXPECT_FALSE(saveFile(old, "new").ok());
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  EXPECT_EQ(readAll(old), "old content\r\n");
  EXPECT_EQ(entries(dir.path() / "ro"), 1u);
}

// A full disk, made by a file-size limit in a child process: every byte
// must be seen to reach the file before it replaces the old one.
TEST(SaveFile, FullDiskLeavesTheOldFileIntactAndSaysWhy) {
  test::ScratchDir dir;
  const std::string old = dir.write("out.txt", std::string(600, 'o'));
  int pipeFd[2];
  ASSERT_EQ(pipe(pipeFd), 0);
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    const Saved s = saveFile(old, std::string(605, 'n'));
    const std::string reason = s.ok() ? "saved" : s.reason;
    if (write(pipeFd[1], reason.data(), reason.size()) < 0) _exit(2);
    _exit(0);
  }
  close(pipeFd[1]);
  char buf[256];
  const ssize_t n = read(pipeFd[0], buf, sizeof buf);
  close(pipeFd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(std::string(buf, n > 0 ? size_t(n) : 0), "File too large");
  EXPECT_EQ(readAll(old), std::string(600, 'o'));
  EXPECT_EQ(entries(dir.path()), 1u);
}

}  // namespace
}  // namespace varnel::output
