#pragma once
// The export of the normalised values of both scans over the cut-off range.
#include <string>

#include "model/tables.hpp"

namespace varnel::output {

// A header of the two paths (quoted File 1 path, three commas, quoted File 2
// path), then for every point from `lower` to `upper` one line of six
// numbers: File 1 Left, Right, Delta-T, then File 2 the same. Every line is
// ended by CR LF. Crossed cut-offs give the header alone; points outside
// 0..500 are not written.
std::string exportText(const std::string& filename1, const std::string& filename2, const model::Table& norm1,
                       const model::Table& norm2, int lower, int upper);

}  // namespace varnel::output
