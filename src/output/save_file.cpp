#include "output/save_file.hpp"

#include <QSaveFile>
#include <QString>

namespace varnel::output {
namespace {

Saved failed(QSaveFile& f) {
  QString why = f.errorString().trimmed();
  while (why.endsWith(QLatin1Char('.'))) why.chop(1);
  f.cancelWriting();
  return {why.isEmpty() ? std::string("unknown error") : why.toStdString()};
}

}  // namespace

Saved saveFile(const std::string& path, std::string_view bytes, bool ownerOnly) {
  if (path.empty()) return {"no file name given"};
  QSaveFile f(QString::fromStdString(path));
  // Writing straight into the target when no temporary file can be made
  // would risk leaving it half-written: refuse instead.
  f.setDirectWriteFallback(false);
  // Unbuffered, so every write reaches the system and its failure is seen
  // here: commit() does not check the flush of buffered bytes, and would
  // replace the file with a short one on a full disk.
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return failed(f);
  if (ownerOnly && !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) return failed(f);
  // A short write says nothing of why; the write of the rest then fails
  // with the system's reason ("No space left on device").
  for (std::size_t done = 0; done < bytes.size();) {
    const qint64 n = f.write(bytes.data() + done, static_cast<qint64>(bytes.size() - done));
    if (n <= 0) return failed(f);
    done += static_cast<std::size_t>(n);
  }
  if (!f.flush()) return failed(f);
  if (!f.commit()) return failed(f);
  return {};
}

}  // namespace varnel::output
