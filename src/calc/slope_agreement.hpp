#pragma once
#include <functional>
#include <optional>

#include "model/tables.hpp"

namespace varnel::calc {

struct SlopeAgreement {
  int compared = 0;  // N
  int agreeing = 0;  // A
};

// Compares the slopes of one channel of both files at points lo..hi. A point
// agrees when |s1 - s2| <= threshold, compared in double precision against
// the single-precision threshold (a difference equal to it agrees).
// onAgree, when given, receives each agreeing point in ascending order.
SlopeAgreement slopeAgreement(const model::Table& s1, const model::Table& s2, int channel, int lo, int hi,
                              float threshold, const std::function<void(int point)>& onAgree = {});

// A / N; no value when no point was compared.
std::optional<double> agreementShare(const SlopeAgreement& a);

}  // namespace varnel::calc
