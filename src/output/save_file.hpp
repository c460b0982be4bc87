#pragma once
#include <string>
#include <string_view>

namespace varnel::output {

// How a save went: ok, or the reason the system gave (never empty then).
struct [[nodiscard]] Saved {
  std::string reason;
  bool ok() const { return reason.empty(); }
};

// The one function that writes a file: `bytes` become the whole of the file
// at `path` (UTF-8 path). They go to a temporary file in the same folder,
// which replaces the target only once every byte has reached it, so a
// failure at any step (a full disk, a read-only folder) leaves an existing
// file exactly as it was. `ownerOnly`: the file is readable by its owner
// alone (a table that names patients).
Saved saveFile(const std::string& path, std::string_view bytes, bool ownerOnly = false);

}  // namespace varnel::output
