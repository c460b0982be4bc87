// The calculator's program: one window over the form, real dialogs.
#include <QApplication>

#include "app/qt/program.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  varnel::qt::setUpApplication();
  varnel::qt::Program program;
  program.window.show();
  return QApplication::exec();
}
