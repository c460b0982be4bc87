#pragma once
// The calculator's program as main() starts it: the application's settings,
// the real dialogs, the form and its window, wired together. Tools that
// must start the program exactly as the user gets it build it from here.
#include "app/form.hpp"
#include "qt/dialogs.hpp"
#include "qt/main_window.hpp"

namespace varnel::qt {

// Names and version of the running application, any kind.
void nameApplication();
// Style, names and version of the running QApplication.
void setUpApplication();

struct Program {
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Opens the scans as "&Open File1" and "&Open File2" do when these names
  // are chosen in the dialog: the first as File 1, the second as File 2.
  void openScans(const QStringList& paths);

  QtFileDialog dialog;
  QtMessageBox messages;
  app::Form form;  // Form_Load has run
  MainWindow window;
};

}  // namespace varnel::qt
