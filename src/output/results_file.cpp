#include "output/results_file.hpp"

#include "model/number_text.hpp"
#include "output/quoted_field.hpp"

namespace varnel::output {
namespace {

// The on-screen column order of every group of three.
constexpr int kColumnOrder[3] = {1, 0, 2};

class Records {
 public:
  void text(const std::string& s) { line(quotedField(s)); }
  void single(float v) { line(model::formatSingle(v)); }
  void integer(std::int16_t v) { line(model::formatInt(v)); }

  void singles(const float (&v)[3]) {
    for (int ch : kColumnOrder) single(v[ch]);
  }
  void integers(const std::int16_t (&v)[3]) {
    for (int ch : kColumnOrder) integer(v[ch]);
  }
  void texts(const std::string (&v)[3]) {
    for (int ch : kColumnOrder) text(v[ch]);
  }
  void scan(const std::string& name, const std::string& points, const ScanExtremes& e) {
    text(name);
    text(points);
    singles(e.maxVal);
    integers(e.maxAt);
    singles(e.minVal);
    integers(e.minAt);
  }

  std::string out;

 private:
  void line(const std::string& field) {
    out += field;
    out += "\r\n";
  }
};

}  // namespace

std::string resultsText(const Results& r) {
  Records rec;
  rec.scan(r.filename1, r.pointCount1, r.scan1);
  rec.scan(r.filename2, r.pointCount2, r.scan2);
  rec.integer(r.shiftCount);
  rec.text(r.lowerCutoff);
  rec.text(r.upperCutoff);
  rec.texts(r.dataState);
  rec.texts(r.areaRatio);
  rec.texts(r.slopeComp);
  rec.texts(r.correlation);
  rec.texts(r.rRatio);
  rec.texts(r.tRatio);
  return rec.out;
}

}  // namespace varnel::output
