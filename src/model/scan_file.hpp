#pragma once
#include <array>
#include <istream>
#include <string>

#include "model/tables.hpp"

namespace varnel::model {

inline constexpr int kMaxReadings = kPoints;  // 501

struct Reading {
  double left = 0.0;
  double right = 0.0;
};

// What reading a scan gives: up to 501 readings in file order, or the reason
// and line (1-based) that make the file unusable. Nothing of a refused file
// is meant to be used.
struct ScanRead {
  std::array<Reading, kMaxReadings> readings{};
  int count = 0;
  std::string error;  // empty when the file is good
  int errorLine = 0;

  bool ok() const { return error.empty(); }
};

// Reads readings from a stream: fields separated by commas or line breaks
// (CR LF, LF or CR), pairs formed in field order, blanks around a field and
// blank lines ignored. Stops after the 501st reading without looking further.
ScanRead readScan(std::istream& in);

// Opens and reads a file; a file that cannot be opened or read gives an error
// with line 0.
ScanRead readScanFile(const std::string& path);

}  // namespace varnel::model
