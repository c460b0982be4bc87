#pragma once
// The results file: 49 one-field records describing one comparison, read by
// other tools record by record, so its layout may not drift.
#include <cstdint>
#include <string>

namespace varnel::output {

// What the comparison chart found for one scan, indexed by channel
// (0 Delta-T, 1 Left Temp, 2 Right Temp).
struct ScanExtremes {
  float maxVal[3]{};
  std::int16_t maxAt[3]{};
  float minVal[3]{};
  std::int16_t minAt[3]{};
};

// The values of the 49 records. Arrays are indexed by channel as above; the
// file writes each group in the on-screen column order Left, Delta, Right.
// Texts are taken as they stand (UTF-8).
struct Results {
  std::string filename1, pointCount1;
  ScanExtremes scan1;
  std::string filename2, pointCount2;
  ScanExtremes scan2;
  std::int16_t shiftCount = 0;
  std::string lowerCutoff, upperCutoff;
  std::string dataState[3];
  std::string areaRatio[3], slopeComp[3], correlation[3], rRatio[3], tRatio[3];
};

// The whole file: one field per line, every line (the last too) ended by
// CR LF. Texts go between double quotes unescaped, singles in plain decimal
// of at most 7 significant digits, integers in plain decimal.
std::string resultsText(const Results& r);

}  // namespace varnel::output
