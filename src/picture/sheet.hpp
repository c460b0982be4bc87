#pragma once
// Drawing in points on a device of any resolution: the reports' pages share
// these (the comparison report, the visits report). Qt Gui only.
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <cmath>
#include <string>

namespace varnel::picture {

inline constexpr QRgb kInk = 0xFF000000;
inline constexpr QRgb kQuiet = 0xFF606060;
inline constexpr QRgb kRule = 0xFFA0A0A0;

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

// A painter working in points on a device of any resolution.
class Sheet {
 public:
  Sheet(QPainter& p, double dpi) : p_(p), dpi_(dpi) {}

  double px(double pt) const { return pt * dpi_ / 72.0; }

  void font(double pt, bool bold = false, QRgb colour = kInk) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(pt);
    f.setBold(bold);
    // Any letter spacing turns ligatures off: "Cut-offs" must read back as typed.
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.02);
    p_.setFont(f);
    p_.setPen(QColor::fromRgba(colour));
  }

  double lineHeight() const { return p_.fontMetrics().lineSpacing(); }

  // Text in a box `w` wide from (x, y) down; the height it took.
  double text(double x, double y, double w, const QString& s, int flags = Qt::AlignLeft | Qt::TextWordWrap) {
    if (s.isEmpty()) return lineHeight();
    QRectF took;
    p_.drawText(QRectF(x, y, w, px(1000)), flags | Qt::AlignTop, s, &took);
    return took.height();
  }

  // The largest size up to `pt` at which `s` fits in `lines` lines of width `w`.
  double fitting(const QString& s, double w, int lines, double pt) {
    int halves = static_cast<int>(std::lround(pt * 2));  // half points: a whole count
    for (; halves > 10; --halves) {
      font(halves / 2.0);
      const QRectF r = p_.boundingRect(QRectF(0, 0, w, px(1000)), Qt::TextWrapAnywhere, s);
      if (r.height() <= lines * lineHeight() + 0.5) break;
    }
    return halves / 2.0;
  }

  void rule(double x1, double x2, double y, double widthPt = 0.6, QRgb colour = kRule) {
    p_.setPen(QPen(QColor::fromRgba(colour), px(widthPt)));
    p_.drawLine(QPointF(x1, y), QPointF(x2, y));
  }

  QPainter& painter() { return p_; }

 private:
  QPainter& p_;
  double dpi_;
};

}  // namespace varnel::picture
