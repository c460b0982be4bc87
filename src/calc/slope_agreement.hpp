#pragma once
#include <cmath>
#include <optional>

#include "calc/point_range.hpp"
#include "model/tables.hpp"

namespace varnel::calc {

struct SlopeAgreement {
  int compared = 0;  // N
  int agreeing = 0;  // A
};

struct NoPoints {
  void operator()(int) const {}
};

// Compares the slopes of one channel of both files at points lo..hi. A point
// agrees when |s1 - s2| <= threshold, compared in double precision against
// the single-precision threshold (a difference equal to it agrees).
// onAgree receives each agreeing point in ascending order.
template <class OnAgree = NoPoints>
SlopeAgreement slopeAgreement(const model::Table& s1, const model::Table& s2, int channel, int lo, int hi,
                              float threshold, OnAgree&& onAgree = {}) {
  SlopeAgreement r;
  const auto k = static_cast<std::size_t>(channel);
  const double t = static_cast<double>(threshold);
  const int last = clipLast(hi);
  for (int i = clipFirst(lo); i <= last; ++i) {
    ++r.compared;
    const auto p = static_cast<std::size_t>(i);
    if (std::fabs(s1[p][k] - s2[p][k]) <= t) {
      ++r.agreeing;
      onAgree(i);
    }
  }
  return r;
}

// A / N; no value when no point was compared.
std::optional<double> agreementShare(const SlopeAgreement& a);

}  // namespace varnel::calc
