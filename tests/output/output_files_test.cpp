// The export, the results file, and the one way every file is saved.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>

#include "output/norm_export.hpp"
#include "output/results_file.hpp"
#include "output/save_file.hpp"
#include "support/scripted.hpp"

namespace varnel::output {
namespace {
namespace fs = std::filesystem;
using test::readAll;
TEST(NormExport, HeaderColumnsAndRange) {
  model::Table a{}, b{};
  for (int i = 0; i <= model::kLastPoint; ++i) a[i] = {i + 0.1, i + 0.2, i + 0.3};
  b[7] = {0.00001, 1e16, 2.0 / 3.0};
  EXPECT_EQ(exportText("/a/one.txt", "b,\"2\".txt", a, b, 7, 8),
            "\"/a/one.txt\",,,\"b,\"2\".txt\"\r\n"
            "7.2,7.3,7.1,1E+16,0.666666666666667,1E-05\r\n"
            "8.2,8.3,8.1,0,0,0\r\n");
  // The header, then one line per point, nothing read outside the tables.
  for (const auto& [lo, hi, lines] : {std::tuple{0, 500, 502}, {100, 100, 2}, {101, 100, 1}, {-5, 600, 502}}) {
    const std::string s = exportText("x", "y", a, b, lo, hi);
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), lines) << lo << ".." << hi;
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
  }
}
// How each kind of record is written: texts quoted, line breaks blanked;
// singles in seven significant digits at most, never with an exponent.
TEST(ResultsFile, FieldKindsAndLineEnds) {
  Results r;
  r.filename1 = "a \"b\".txt", r.filename2 = "two\nlines.txt", r.correlation[1] = "0.9\r\n5", r.tRatio[2] = "last";
  r.scan1.maxVal[1] = 36.123456789f, r.scan1.minVal[0] = -0.3f, r.scan2.maxVal[1] = 0.00001234f;
  r.scan2.minVal[2] = 123456789.0f, r.scan2.minAt[2] = -32768;
  const std::map<int, std::string> records = {
      {1, "\"a \"b\".txt\""}, {3, "36.12346"}, {10, "-0.3"},       {15, "\"two lines.txt\""}, {17, "0.00001234"},
      {25, "123456800"},      {28, "-32768"},  {41, "\"0.9  5\""}, {49, "\"last\""}};
  std::string want;
  for (int i = 1; i <= 49; ++i)  // records 3 to 14 and 17 to 29 are numbers
    want += (records.count(i) ? records.at(i) : (i > 2 && i < 15) || (i > 16 && i < 30) ? "0" : "\"\"") + "\r\n";
  EXPECT_EQ(resultsText(r), want);
}
std::ptrdiff_t entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), {}); }
// Saves in a child process narrowed by `limit`: the reason it failed, or "saved".
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
  waitpid(child, nullptr, 0);
  return std::string(buf, n > 0 ? size_t(n) : 0);
}
// A failed save leaves the old file whole and nothing beside it, and says
// why: a read-only folder (the file itself writable, so writing in place
// would succeed), a sticky folder where the file is another user's (the
// temporary file cannot replace it), a full disk. The superuser's child
// saves as "nobody".
TEST(SaveFile, ReplacesTheWholeFileOrLeavesItWhole) {
  test::ScratchDir dir;
  const std::string full = dir.file("Résultats.txt"), bytes(600, '\0');
  EXPECT_TRUE(saveFile(full, "first\r\n").ok() && saveFile(full, bytes).ok());
  for (const std::string& bad : {dir.file("missing/out.txt"), dir.path().string(), std::string()})
    EXPECT_FALSE(saveFile(bad, "x").ok()) << bad;
  const bool root = geteuid() == 0;
  const uid_t nobody = 65534;
  const auto asNobody = [&] {
    return !root || (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0);
  };
  fs::create_directory(dir.path() / "ro");
  fs::create_directory(dir.path() / "sticky");
  const std::string ro = dir.write("ro/out.txt", "old\r\n"), sticky = dir.write("sticky/out.txt", "old\r\n");
  ASSERT_TRUE(!root || (chown(dir.file("ro").c_str(), nobody - 1, nobody - 1) | chown(ro.c_str(), nobody, nobody) |
                        chown(sticky.c_str(), nobody - 1, nobody - 1)) == 0);
  fs::permissions(dir.path() / "ro", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::permissions(dir.path() / "sticky", fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(sticky, fs::perms::others_write, fs::perm_options::add);
  const std::string readOnly = saveInChild(ro, "new", asNobody);
  const std::string notOwned = root ? saveInChild(sticky, "new", asNobody) : "not tried";
  fs::permissions(dir.path() / "ro", fs::perms::owner_all);
  for (const std::string& reason : {readOnly, notOwned})
    EXPECT_TRUE(reason != "saved" && reason != "the child could not limit itself") << reason;
  const rlimit fullDisk{100, 100};
  EXPECT_EQ(saveInChild(full, std::string(605, 'n'),
                        [&] { return signal(SIGXFSZ, SIG_IGN) != SIG_ERR && !setrlimit(RLIMIT_FSIZE, &fullDisk); }),
            "File too large");
  EXPECT_EQ(readAll(ro) + readAll(sticky) + readAll(full), "old\r\nold\r\n" + bytes);
  EXPECT_EQ(entries(dir.path() / "ro") + entries(dir.path() / "sticky") + entries(dir.path()), 1 + 1 + 3);
}
}  // namespace
}  // namespace varnel::output
