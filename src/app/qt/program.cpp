#include "app/qt/program.hpp"

#include <QApplication>

#include "app/layout.hpp"
#include "app/qt/chart_view.hpp"
#include "app/report_content.hpp"

namespace varnel::qt {

void setUpApplication() {
  // The controls stand at fixed pixel places; one style keeps frames and
  // margins (and so what fits) the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  // No display name: Qt would append it to every window and box title, and
  // the captions must read exactly "Varnel Analysis" and "Error". The full
  // title is what the desktop entry and --help show.
  QApplication::setApplicationName(QStringLiteral("varnel"));
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

}  // namespace varnel::qt
