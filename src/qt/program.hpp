#pragma once
// The calculator's program as main() starts it: the application's settings,
// the real dialogs, the form and its window, wired together. Tools that
// must start the program exactly as the user gets it build it from here.
#include <QByteArray>
#include <map>
#include <memory>
#include <string>

#include "app/form.hpp"
#include "qt/dialogs.hpp"
#include "qt/main_window.hpp"
#include "qt/patients_ask.hpp"
#include "qt/patients_window.hpp"

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
  // Opens one scan as "&Open File1" (file 1) or "&Open File2" (file 2) does.
  void openScan(int file, const QString& path);
  // Opens a scan kept in the records as if a file of that name had been
  // chosen: the form reads it from `bytes`.
  void openStoredScan(int file, const QString& name, const QByteArray& bytes);

  // The Patients window, made on first use with `patientsAsk`; shown by
  // Patients ▸ Open Patients….
  PatientsWindow& patientsWindow();
  std::unique_ptr<PatientsAsk> patientsAsk = std::make_unique<QtPatientsAsk>();

  QtFileDialog dialog;
  QtMessageBox messages;
  app::Form form;  // Form_Load has run
  MainWindow window;

 private:
  std::map<std::string, std::string> storedScans_;  // kept scans by the name they were opened under
  std::unique_ptr<PatientsWindow> patients_;
};

}  // namespace varnel::qt
