// One QApplication for every offscreen test, created before the first and
// destroyed after the last, while Qt's own globals are still alive (a
// function-local static one would die after them at exit).
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class Application : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[8] = "test_qt";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new Application);

}  // namespace
