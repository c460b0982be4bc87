#include "qt/program.hpp"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "app/layout.hpp"
#include "qt/chart_view.hpp"
#include "app/report_content.hpp"

namespace varnel::qt {

void nameApplication() {
  // No display name: Qt would append it to every window and box title, and
  // the captions must read exactly "Varnel Analysis" and "Error". The full
  // title is what the desktop entry, --help and --version show.
  QCoreApplication::setApplicationName(QStringLiteral("varnel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));
}

void setUpApplication() {
  // The controls stand at fixed pixel places; one style keeps frames and
  // margins (and so what fits) the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  nameApplication();
}

Program::Program() : dialog(QStringLiteral("TXT")), form(dialog, messages), window(form) {
  dialog.setParent(&window);
  messages.setParent(&window);
  window.setFileDialog(&dialog);
  window.chart()->setMessageBox(&messages);
  window.chart()->setReportSource([this] { return app::reportOf(form, app::localDateTime()); });
  // "&Exit" leaves at once: no question, nothing saved.
  form.onExit = [this] {
    window.close();
    QApplication::quit();
  };
}

void Program::openScans(const QStringList& paths) {
  const char* const menu[] = {"fileopen", "fileopen2"};
  for (qsizetype i = 0; i < paths.size() && i < 2; ++i) {
    // The menu's own item, with its question answered in advance.
    QAction* item = window.fileMenu()->findChild<QAction*>(QString::fromUtf8(menu[i]));
    if (!item) continue;
    dialog.answerOnce(paths[i]);
    item->trigger();
    dialog.forgetAnswer();
  }
}

}  // namespace varnel::qt
