#pragma once
// Scripted stand-ins for the file dialog and the message box, a scratch
// folder, and a few helpers to drive the form as a user would.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/form.hpp"
#include "app/stand_in_dialogs.hpp"
#include "model/palette.hpp"

namespace varnel::test {

using ScriptedDialog = app::ScriptedFileDialog;
using RecordedMessages = app::RecordedMessages;

// Pixels of one colour in a row of the surface.
inline int countInRow(const chart::Surface& s, int y, std::uint32_t rgb) {
  int n = 0;
  for (int x = 0; x < s.ScaleWidth(); ++x) n += s.pixel(x, y) == rgb;
  return n;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("varnel-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
    return file(name);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Scan text of readings "left,right" CR LF.
inline std::string scanText(const std::vector<std::pair<double, double>>& readings) {
  std::string s;
  char buf[64];
  for (const auto& [l, r] : readings) {
    std::snprintf(buf, sizeof buf, "%.17g,%.17g\r\n", l, r);
    s += buf;
  }
  return s;
}

// Scan text of `count` readings, the i-th being f(i).
inline std::string scanOf(int count, const std::function<std::pair<double, double>(int)>& f) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < count; ++i) r.push_back(f(i));
  return scanText(r);
}

// A form with scripted dialogs, and ways to load scans through them.
struct FormFixture {
  ScriptedDialog dialog;
  RecordedMessages messages;
  app::Form form{dialog, messages};
  ScratchDir dir;

  void load(int file, const std::string& path) {
    dialog.answers.push_back(path);
    if (file == 1) form.fileopen_Click();
    else form.fileopen2_Click();
  }
  std::string loadText(int file, const std::string& name, const std::string& content) {
    const std::string path = dir.write(name, content);
    load(file, path);
    return path;
  }
};

inline std::uint32_t rgb(int palette) { return model::paletteColour(palette); }

}  // namespace varnel::test
