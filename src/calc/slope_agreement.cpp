#include "calc/slope_agreement.hpp"

#include <cmath>

#include "calc/point_range.hpp"

namespace varnel::calc {

SlopeAgreement slopeAgreement(const model::Table& s1, const model::Table& s2, int channel, int lo, int hi,
                              float threshold, const std::function<void(int point)>& onAgree) {
  SlopeAgreement r;
  const auto k = static_cast<std::size_t>(channel);
  const double t = static_cast<double>(threshold);
  const int last = clipLast(hi);
  for (int i = clipFirst(lo); i <= last; ++i) {
    ++r.compared;
    const auto p = static_cast<std::size_t>(i);
    if (std::fabs(s1[p][k] - s2[p][k]) <= t) {
      ++r.agreeing;
      if (onAgree) onAgree(i);
    }
  }
  return r;
}

std::optional<double> agreementShare(const SlopeAgreement& a) {
  if (a.compared == 0) return std::nullopt;
  return static_cast<double>(a.agreeing) / static_cast<double>(a.compared);
}

}  // namespace varnel::calc
