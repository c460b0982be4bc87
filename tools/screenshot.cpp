// varnel-screenshot OUT.png [SCAN1 [SCAN2]]
// Builds the calculator's window off screen, loads the given scans as
// File 1 and File 2 through "&Open File1" / "&Open File2", and saves a
// picture of the window, to look at the layout without a display.
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/form.hpp"
#include "qt/main_window.hpp"
#include "qt/program.hpp"
#include "app/stand_in_dialogs.hpp"

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: varnel-screenshot OUT.png [SCAN1 [SCAN2]]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  varnel::qt::setUpApplication();

  varnel::app::ScriptedFileDialog dialog;
  varnel::app::RecordedMessages messages;
  varnel::app::Form form(dialog, messages);
  varnel::qt::MainWindow window(form);
  window.show();

  const char* menu[] = {"fileopen", "fileopen2"};
  for (int i = 2; i < argc; ++i) {
    dialog.answers.push_back(argv[i]);
    form.click(menu[i - 2]);
  }
  window.refresh();
  QApplication::processEvents();

  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "varnel-screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  for (const auto& m : messages.shown) std::fprintf(stderr, "%s: %s\n", m.title.c_str(), m.text.c_str());
  return messages.shown.empty() ? 0 : 1;
}
