#pragma once
// Dialogs answered by a script instead of a person: varnel-batch, the tests,
// the benchmarks and the tools hand these to the form.
#include <deque>
#include <string>
#include <vector>

#include "app/dialogs.hpp"

namespace varnel::app {

class ScriptedFileDialog : public FileDialog {
 public:
  struct Call {
    DialogKind kind;
    std::string filter, defaultName;
  };

  // Answers in turn; "" cancels, and so does a question with none left.
  std::deque<std::string> answers;
  std::vector<Call> calls;

  std::string ask(DialogKind kind, const std::string& filter, const std::string& defaultName) override {
    calls.push_back({kind, filter, defaultName});
    if (answers.empty()) return {};
    std::string a = std::move(answers.front());
    answers.pop_front();
    return a;
  }
};

class RecordedMessages : public MessageBox {
 public:
  struct Shown {
    std::string text, title;
  };
  std::vector<Shown> shown;

  void show(const std::string& text, const std::string& title) override { shown.push_back({text, title}); }
};

}  // namespace varnel::app
