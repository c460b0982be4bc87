#include "qt/program.hpp"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <sstream>

#include "app/layout.hpp"
#include "qt/chart_view.hpp"
#include "app/report_content.hpp"
#include "model/scan_file.hpp"
#include "qt/visits_window.hpp"

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
    if (patients_) patients_->close();
    window.close();
    QApplication::quit();
  };
  // A scan the Patients window opened is read from its kept bytes; any other
  // name is a file.
  form.readScan = [this](const std::string& path) {
    const auto kept = storedScans_.find(path);
    if (kept == storedScans_.end()) return model::readScanFile(path);
    std::istringstream in(kept->second);
    return model::readScan(in);
  };
  QAction* open = window.patientsMenu()->findChild<QAction*>(QStringLiteral("openPatients"));
  QObject::connect(open, &QAction::triggered, &window, [this] {
    PatientsWindow& w = patientsWindow();
    w.show();
    w.raise();
    w.activateWindow();
  });
}

PatientsWindow& Program::patientsWindow() {
  if (!patients_) {
    patients_ = std::make_unique<PatientsWindow>(*patientsAsk);
    patients_->openInCalculator = [this](int file, const QString& name, const QByteArray& bytes) {
      openStoredScan(file, name, bytes);
      window.raise();
      window.activateWindow();
    };
    patients_->compareVisits = [this](const StoredVisits& stored) {
      std::vector<series::ReadVisit> read;
      for (std::size_t i = 0; i < stored.scans.size(); ++i) {
        const std::string name = stored.names[static_cast<qsizetype>(i)].toStdString(), bytes = stored.scans[i].toStdString();
        std::istringstream in(bytes);
        read.push_back({name, model::readScan(in)});
        // A pair opened from the matrix reads its scans as File 1 and File 2 do.
        storedScans_[name] = bytes;
        storedScans_[batch::fullPath(name)] = bytes;
      }
      window.visitsWindow()->setStoredVisits(read, stored.labels, stored.heading);
    };
  }
  return *patients_;
}

void Program::openStoredScan(int file, const QString& name, const QByteArray& bytes) {
  storedScans_[name.toStdString()] = bytes.toStdString();
  openScan(file, name);
}

void Program::openScan(int file, const QString& path) {
  const char* const menu[] = {"fileopen", "fileopen2"};
  if (file < 1 || file > 2) return;
  // The menu's own item, with its question answered in advance.
  QAction* item = window.fileMenu()->findChild<QAction*>(QString::fromUtf8(menu[file - 1]));
  if (!item) return;
  dialog.answerOnce(path);
  item->trigger();
  dialog.forgetAnswer();
}

void Program::openScans(const QStringList& paths) {
  for (qsizetype i = 0; i < paths.size() && i < 2; ++i) openScan(static_cast<int>(i) + 1, paths[i]);
}

}  // namespace varnel::qt
