#pragma once
#include "model/tables.hpp"

namespace varnel::calc {

// Ranges come from the cut-off bars and stay within the tables; clipping
// only guards the tables should a caller pass something wider.
inline int clipFirst(int lo) { return lo < 0 ? 0 : lo; }
inline int clipLast(int hi) { return hi > model::kLastPoint ? model::kLastPoint : hi; }

}  // namespace varnel::calc
