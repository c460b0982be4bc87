#include "app/qt/chart_image.hpp"

#include <QDir>
#include <QSaveFile>
#include <cstddef>
#include <cstdint>

namespace varnel::qt {

QImage chartImage(const chart::Surface& surface) {
  const int w = surface.ScaleWidth();
  const int h = surface.ScaleHeight();
  QImage image(w, h, QImage::Format_RGB32);
  // The surface keeps 0x00RRGGBB; the alpha byte is set on the copy so no
  // paint device or encoder takes the pixels for transparent ones.
  const std::uint32_t* src = surface.bits();
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::uint32_t* line = src + static_cast<std::ptrdiff_t>(y) * w;
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | line[x];
  }
  return image;
}

namespace {

std::string reason(const QString& why) {
  QString text = why.trimmed();
  while (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text.isEmpty() ? std::string("unknown error") : text.toStdString();
}

}  // namespace

std::string saveChartPng(const chart::Surface& surface, const QString& path) {
  const std::string failed =
      "Cannot write the chart image \"" + QDir::toNativeSeparators(path).toStdString() + "\": ";
  if (path.isEmpty()) return failed + "no file name given.";
  QSaveFile file(path);
  // Writing straight into the target when no temporary file can be made
  // would risk a half-written picture: refuse instead.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return failed + reason(file.errorString()) + ".";
  if (!chartImage(surface).save(&file, "PNG")) {
    const QString why =
        file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the image could not be encoded");
    file.cancelWriting();
    return failed + reason(why) + ".";
  }
  if (!file.commit()) return failed + reason(file.errorString()) + ".";
  return {};
}

}  // namespace varnel::qt
