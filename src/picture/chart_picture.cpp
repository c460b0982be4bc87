#include "picture/chart_picture.hpp"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "model/palette.hpp"

namespace varnel::picture {
namespace {

std::uint32_t at(const chart::Surface& s, int x, int y) {
  return s.bits()[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.ScaleWidth()) + static_cast<std::size_t>(x)];
}

}  // namespace

QImage chartImage(const chart::Surface& surface) {
  const int w = surface.ScaleWidth();
  const int h = surface.ScaleHeight();
  QImage image(w, h, QImage::Format_RGB32);
  // The surface keeps 0x00RRGGBB; the alpha byte is set on the copy so no
  // paint device or encoder takes the pixels for transparent ones.
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | at(surface, x, y);
  }
  return image;
}

std::string chartPng(const chart::Surface& surface) {
  // The surface holds palette colours only: an indexed image is a third of
  // the data of an RGB one, and quicker to encode.
  const int w = surface.ScaleWidth();
  const int h = surface.ScaleHeight();
  QImage indexed(w, h, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (const std::uint32_t c : model::kPalette) table.push_back(0xFF000000u | c);
  indexed.setColorTable(table);
  for (int y = 0; y < h; ++y) {
    uchar* row = indexed.scanLine(y);
    for (int x = 0; x < w; ++x) {
      const auto found = std::find(model::kPalette.begin(), model::kPalette.end(), at(surface, x, y));
      row[x] = static_cast<uchar>(found - model::kPalette.begin());
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!indexed.save(&buffer, "PNG")) return {};
  return bytes.toStdString();
}

output::Saved saveChartPng(const chart::Surface& surface, const std::string& path) {
  const std::string png = chartPng(surface);
  if (png.empty()) return {"the image could not be encoded"};
  return output::saveFile(path, png);
}

}  // namespace varnel::picture
