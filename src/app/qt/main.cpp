// The calculator's program: one window over the form, real dialogs.
#include <QApplication>

#include "app/form.hpp"
#include "app/layout.hpp"
#include "app/qt/dialogs.hpp"
#include "app/qt/main_window.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The controls stand at fixed pixel places; one style keeps frames and
  // margins (and so what fits) the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication::setApplicationName(QStringLiteral("varnel"));
  QApplication::setApplicationDisplayName(QString::fromUtf8(varnel::app::kTitle));

  varnel::qt::FileDialog dialog;
  varnel::qt::MessageBox messages;
  varnel::app::Form form(dialog, messages);
  varnel::qt::MainWindow window(form);
  dialog.setParent(&window);
  messages.setParent(&window);
  // "&Exit" leaves at once: no question, nothing saved.
  form.onExit = [&window] {
    window.close();
    QApplication::quit();
  };

  window.show();
  return QApplication::exec();
}
