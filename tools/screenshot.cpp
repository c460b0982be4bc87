// varnel-screenshot OUT.png [SCAN1 [SCAN2]]
// Builds the calculator's window off screen, loads the given scans as
// File 1 and File 2 through "&Open File1" / "&Open File2", and saves a
// picture of the window, to look at the layout without a display.
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <deque>
#include <string>

#include "app/form.hpp"
#include "app/qt/main_window.hpp"

namespace {

struct Answers : varnel::app::FileDialog {
  std::deque<std::string> paths;
  std::string ask(varnel::app::DialogKind, const std::string&, const std::string&) override {
    if (paths.empty()) return {};
    std::string p = paths.front();
    paths.pop_front();
    return p;
  }
};

struct Printed : varnel::app::MessageBox {
  int count = 0;
  void show(const std::string& text, const std::string& title) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    ++count;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: varnel-screenshot OUT.png [SCAN1 [SCAN2]]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));  // as the program

  Answers dialog;
  Printed messages;
  varnel::app::Form form(dialog, messages);
  varnel::qt::MainWindow window(form);
  window.show();

  const char* menu[] = {"fileopen", "fileopen2"};
  for (int i = 2; i < argc; ++i) {
    dialog.paths.push_back(argv[i]);
    form.click(menu[i - 2]);
  }
  window.refresh();
  QApplication::processEvents();

  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "varnel-screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return messages.count == 0 ? 0 : 1;
}
