#pragma once
// The calculator's program as main() starts it: the application's settings,
// the real dialogs, the form and its window, wired together. Tools that
// must start the program exactly as the user gets it build it from here.
#include "app/form.hpp"
#include "app/qt/dialogs.hpp"
#include "app/qt/main_window.hpp"

namespace varnel::qt {

// Style and names of the running QApplication.
void setUpApplication();

struct Program {
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  QtFileDialog dialog;
  QtMessageBox messages;
  app::Form form;  // Form_Load has run
  MainWindow window;
};

}  // namespace varnel::qt
