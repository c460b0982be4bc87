// The two-ratio windows on processors other than x86-64: every window by the
// scalar formulas, whichever lanes are asked for.
#include "calc/two_ratio.hpp"

namespace varnel::calc {

bool lanesAvailable(Lanes lanes) { return lanes == Lanes::Widest || lanes == Lanes::Scalar; }

namespace detail {

void windowOutcomes(const model::Table& a, const model::Table& b, int first, int last, Lanes /*lanes*/,
                    Outcomes& out) {
  scalarOutcomes(a, b, first, last, out);
}

double laneQuotient(double a, double b) { return a / b; }

}  // namespace detail
}  // namespace varnel::calc
