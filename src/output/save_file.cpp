#include "output/save_file.hpp"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace varnel::output {
namespace {

std::string reasonOf(const QSaveFile& f) {
  const std::string why = f.errorString().toStdString();
  return why.empty() ? "unknown error" : why;
}

}  // namespace

std::string saveFile(const std::string& path, const std::string& content) {
  if (path.empty()) return "no file name given";
  QSaveFile f(QString::fromStdString(path));
  // Writing straight into the target when no temporary file can be made
  // would risk leaving it half-written: refuse instead.
  f.setDirectWriteFallback(false);
  if (!f.open(QIODevice::WriteOnly)) return reasonOf(f);
  const QByteArray bytes = QByteArray::fromStdString(content);
  if (f.write(bytes) != bytes.size()) {
    std::string why = reasonOf(f);
    f.cancelWriting();
    return why;
  }
  if (!f.commit()) return reasonOf(f);
  return {};
}

}  // namespace varnel::output
