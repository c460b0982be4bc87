#pragma once
#include <string>

namespace varnel::app {

enum class DialogKind { Open, Save };

// Asks the user for a file name. Returns the chosen full path, or the empty
// text when the user cancels. A save dialog asks before replacing a file.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual std::string ask(DialogKind kind, const std::string& filter, const std::string& defaultName) = 0;
};

// A modal box with a text, a title and one OK button; returns when closed.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void show(const std::string& text, const std::string& title) = 0;
};

}  // namespace varnel::app
