#pragma once
#include <string>

namespace varnel::output {

// Writes `content` as the whole of the file at `path` (UTF-8 path, bytes as
// given). The bytes go to a temporary file in the same folder, which replaces
// the target only once it is complete, so a failure at any step leaves an
// existing file exactly as it was. Returns the empty text on success, else
// the reason (never empty).
std::string saveFile(const std::string& path, const std::string& content);

}  // namespace varnel::output
