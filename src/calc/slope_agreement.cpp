#include "calc/slope_agreement.hpp"

namespace varnel::calc {

std::optional<double> agreementShare(const SlopeAgreement& a) {
  if (a.compared == 0) return std::nullopt;
  return static_cast<double>(a.agreeing) / static_cast<double>(a.compared);
}

}  // namespace varnel::calc
