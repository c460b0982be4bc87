#include "output/norm_export.hpp"

#include <algorithm>

#include "model/number_text.hpp"
#include "output/quoted_field.hpp"

namespace varnel::output {
namespace {

void appendRow(std::string& out, const model::Row& row) {
  out += model::formatNumber(row[model::kLeft]);
  out += ',';
  out += model::formatNumber(row[model::kRight]);
  out += ',';
  out += model::formatNumber(row[model::kDelta]);
}

}  // namespace

std::string exportText(const std::string& filename1, const std::string& filename2, const model::Table& norm1,
                       const model::Table& norm2, int lower, int upper) {
  std::string out = quotedField(filename1) + ",,," + quotedField(filename2) + "\r\n";
  const int first = std::max(lower, 0);
  const int last = std::min(upper, model::kLastPoint);
  for (int i = first; i <= last; ++i) {
    const auto p = static_cast<std::size_t>(i);
    appendRow(out, norm1[p]);
    out += ',';
    appendRow(out, norm2[p]);
    out += "\r\n";
  }
  return out;
}

}  // namespace varnel::output
