#pragma once
// The words of a PDF page as poppler places them (pdftotext -bbox), in
// points from the page's top left, and a page rendered to an image.
#include <QImage>
#include <QString>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/scripted.hpp"

namespace varnel::test {

struct Word {
  int page = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::string text;
  double cx() const { return (x0 + x1) / 2; }
  double cy() const { return (y0 + y1) / 2; }
};

inline std::vector<Word> pdfWords(const std::string& pdf) {
  const std::string html = pdf + ".bbox";
  if (std::system(("pdftotext -bbox '" + pdf + "' '" + html + "'").c_str()) != 0) return {};
  const std::string text = readAll(html);
  static const std::regex word(
      R"re(<page |<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>)re");
  std::vector<Word> words;
  int page = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (!m[1].matched) {
      ++page;
      continue;
    }
    words.push_back({page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
  }
  return words;
}

// The words reading `text`, in page order.
inline std::vector<Word> wordsReading(const std::vector<Word>& words, const std::string& text) {
  std::vector<Word> found;
  for (const Word& w : words)
    if (w.text == text) found.push_back(w);
  return found;
}

// Page `page` (from 1) rendered at `dpi`; a null image when poppler fails.
inline QImage pdfPage(const std::string& pdf, int page, int dpi) {
  const std::string stem = pdf + ".page" + std::to_string(page);
  const std::string command = "pdftoppm -png -singlefile -f " + std::to_string(page) + " -l " + std::to_string(page) +
                              " -r " + std::to_string(dpi) + " '" + pdf + "' '" + stem + "'";
  if (std::system(command.c_str()) != 0) return {};
  return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

}  // namespace varnel::test
