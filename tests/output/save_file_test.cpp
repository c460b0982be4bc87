#include "output/save_file.hpp"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "support/scripted.hpp"

namespace varnel::output {
namespace {

namespace fs = std::filesystem;
using test::readAll;

size_t entries(const fs::path& dir) {
  return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Saves in a child process, after `limit` has narrowed what the child may do;
// returns its reason for failing, or "saved".
std::string saveInChild(const std::string& path, const std::string& bytes, const std::function<bool()>& limit) {
  int fd[2];
  if (pipe(fd) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    const Saved s = limit() ? saveFile(path, bytes) : Saved{"the child could not limit itself"};
    const std::string reason = s.ok() ? "saved" : s.reason;
    _exit(write(fd[1], reason.data(), reason.size()) < 0 ? 2 : 0);
  }
  close(fd[1]);
  char buf[256];
  const ssize_t n = read(fd[0], buf, sizeof buf);
  close(fd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return std::string(buf, n > 0 ? size_t(n) : 0);
}

TEST(SaveFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
  test::ScratchDir dir;
  const std::string path = dir.file("Résultats.txt");
  const std::string bytes("first\r\nsecond\r\n\0x", 16);
  EXPECT_TRUE(saveFile(path, bytes).ok());
  EXPECT_EQ(readAll(path), bytes);
  EXPECT_TRUE(saveFile(path, "2\r\n").ok());
  EXPECT_EQ(readAll(path), "2\r\n");
  for (const std::string& bad : {dir.file("missing/out.txt"), dir.path().string(), std::string()})
    EXPECT_FALSE(saveFile(bad, "x").ok()) << bad;
  EXPECT_EQ(entries(dir.path()), 1u);
}

// The file itself stays writable to the saver, the folder does not: only a
// write through a temporary file fails, so this catches a writer that falls
// back to writing in place. Permission bits do not stop the superuser, so
// then the folder goes to one user, the file to "nobody", and the child
// saves as nobody.
TEST(SaveFile, ReadOnlyFolderLeavesTheOldFileIntact) {
  test::ScratchDir dir;
  const fs::path ro = dir.path() / "ro";
  fs::create_directory(ro);
  const std::string old = dir.write("ro/out.txt", "old content\r\n");
  const bool root = geteuid() == 0;
  const uid_t nobody = 65534;
  if (root) {
    ASSERT_EQ(chown(ro.c_str(), nobody - 1, nobody - 1) | chown(old.c_str(), nobody, nobody), 0);
  }
  fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::string reason = saveInChild(old, "new", [&] {
    return !root || (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0);
  });
  fs::permissions(ro, fs::perms::owner_all);
  EXPECT_NE(reason, "saved");
  EXPECT_NE(reason, "the child could not limit itself");
  EXPECT_EQ(readAll(old), "old content\r\n");
  EXPECT_EQ(entries(ro), 1u);
}

// A full disk, made by a file-size limit: every byte must be seen to reach
// the file before it replaces the old one.
TEST(SaveFile, FullDiskLeavesTheOldFileIntactAndSaysWhy) {
  test::ScratchDir dir;
  const std::string old = dir.write("out.txt", std::string(600, 'o'));
  EXPECT_EQ(saveInChild(old, std::string(605, 'n'), [] {
              signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{100, 100};
              return setrlimit(RLIMIT_FSIZE, &limit) == 0;
            }),
            "File too large");
  EXPECT_EQ(readAll(old), std::string(600, 'o'));
  EXPECT_EQ(entries(dir.path()), 1u);
}

}  // namespace
}  // namespace varnel::output
