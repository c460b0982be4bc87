#pragma once
#include <string>

namespace varnel::output {

// A text field between double quotes, as it stands except for line breaks:
// a CR or LF (typed or pasted into a box, or in a file name) would split the
// record and shift every later one, so each becomes a blank.
inline std::string quotedField(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return '"' + s + '"';
}

}  // namespace varnel::output
