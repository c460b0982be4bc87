#pragma once
// One Qt application for a test program, made before the first test and gone
// after the last, while Qt's globals still live (a static would not be).
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace varnel::test {

template <typename App>
class Application : public ::testing::Environment {
 public:
  // `setUp` runs once the application stands (the program's own set-up).
  explicit Application(const char* name, void (*setUp)() = nullptr) : name_(name), setUp_(setUp) {}
  void SetUp() override {
    app_ = std::make_unique<App>(argc_, argv_);
    if (setUp_) setUp_();
  }
  void TearDown() override { app_.reset(); }

 private:
  std::string name_;
  int argc_ = 1;
  char* argv_[2] = {name_.data(), nullptr};
  void (*setUp_)();
  std::unique_ptr<App> app_;
};

// Registers the test program's application: `const bool registered = useApplication<QApplication>("test_x");`.
template <typename App>
bool useApplication(const char* name, void (*setUp)() = nullptr) {
  ::testing::AddGlobalTestEnvironment(new Application<App>(name, setUp));
  return true;
}

}  // namespace varnel::test
