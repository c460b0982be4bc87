#include "visits/visits_report.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/layout.hpp"
#include "app/report_content.hpp"
#include "app/stand_in_dialogs.hpp"
#include "model/number_text.hpp"
#include "picture/report_pages.hpp"
#include "picture/sheet.hpp"

namespace varnel::visits {
namespace {

using picture::qs;
using picture::Sheet;

// Page geometry in points (1/72 inch).
constexpr double kMargin = 40;
constexpr double kBodyPt = 9;
constexpr double kKeyWidth = 110;
constexpr double kRowPt = 11;         // a visit's row, unless the list must shrink to fit
constexpr double kHeatSide = 220;     // beside the list on a shared page
constexpr double kHeatSideOwn = 330;  // on a page of its own
constexpr double kTrendHeight = 190;
constexpr double kLegendPt = 26;  // the colour scale under the matrix
constexpr double kHeadingPt = 10.5;

QColor rgb(std::uint32_t c) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | c)); }

double heading(Sheet& s, double x, double y, double w, const QString& t) {
  s.font(kHeadingPt, true);
  return y + s.text(x, y, w, t) + s.px(3);
}

// Every k-th visit is labelled, k the smallest of 1, 2, 5, 10, ... that
// leaves `room` between labels.
int labelStep(double cell, double room) {
  for (int k : {1, 2, 5, 10, 20, 50, 100, 200, 500})
    if (cell * k >= room) return k;
  return 1000;
}

// The folder of every visit when they share one; empty when they do not.
std::string oneFolder(const series::Series& s) {
  const auto folderOf = [](const series::Visit& v) { return std::filesystem::path(v.path).parent_path().string(); };
  for (const series::Visit& v : s.visits)
    if (folderOf(v) != folderOf(s.visits.front())) return {};
  return s.visits.empty() ? std::string() : folderOf(s.visits.front());
}

// Settings as key and value, in the order the steps are taken.
std::vector<std::pair<QString, QString>> settingsRows(const series::Series& s, const VisitsSettings& v) {
  const batch::Steps& st = v.steps;
  std::vector<std::pair<QString, QString>> rows;
  if (!v.patient.empty()) rows.emplace_back(QStringLiteral("Patient"), qs(v.patient));
  rows.emplace_back(QStringLiteral("Cut-offs"), QStringLiteral("lower %1, upper %2")
                                                    .arg(st.lower.value_or(app::kLowerCutoffBar.min))
                                                    .arg(st.upper.value_or(app::kUpperCutoffBar.max)));
  QStringList smoothed;
  for (const int ch : st.smooth) smoothed << QString::fromUtf8(channelName(static_cast<Channel>(ch)));
  rows.emplace_back(QStringLiteral("Smoothed"), smoothed.isEmpty() ? QStringLiteral("none") : smoothed.join(", "));
  if (st.shift1 || st.shift2)
    rows.emplace_back(
        QStringLiteral("Shifted up"),
        QStringLiteral("File 1 by %1, File 2 by %2").arg(st.shift1.value_or(0)).arg(st.shift2.value_or(0)));
  rows.emplace_back(QStringLiteral("Channel on show"),
                    QString::fromUtf8(channelName(static_cast<Channel>(st.channel.value_or(model::kLeft)))));
  QString threshold;
  if (st.threshold) {
    threshold = qs(*st.threshold);
  } else {  // what a fresh window holds
    app::ScriptedFileDialog none;
    app::RecordedMessages quiet;
    threshold = qs(app::Form(none, quiet).Threshold.Text);
  }
  rows.emplace_back(QStringLiteral("Slope threshold"), threshold + (st.slopes ? ", slopes drawn" : ""));
  rows.emplace_back(QStringLiteral("Asymmetry"),
                    QStringLiteral("points with |Delta-T| at or past t1 = %1 °C and t2 = %2 °C")
                        .arg(qs(model::formatNumber(v.thresholds.t1)), qs(model::formatNumber(v.thresholds.t2))));
  rows.emplace_back(QStringLiteral("Matrix and trend"),
                    QStringLiteral("%1, %2").arg(QString::fromUtf8(measureName(v.measure)),
                                                 QString::fromUtf8(channelName(v.channel))));
  // One folder for all: named once, the list gives file names.
  if (const std::string folder = oneFolder(s); !folder.empty()) rows.emplace_back(QStringLiteral("Folder"), qs(folder));
  return rows;
}

// The list of visits and their figures from `y`, in rows `rowH` high.
double visitList(Sheet& s, double x, double y, double w, double rowH, const series::Series& ser) {
  QPainter& p = s.painter();
  const char* const heads[] = {"Visit", "Scan", "Points", "Mean Delta-T", "Largest |Delta-T|", "at", "≥ t1", "≥ t2"};
  const double fixed[] = {26, 0, 34, 86, 86, 28, 28, 28};
  double widths[8];
  double rest = w;
  for (int c = 0; c < 8; ++c) rest -= s.px(fixed[c]);
  for (int c = 0; c < 8; ++c) widths[c] = c == 1 ? rest : s.px(fixed[c]);
  const double pt = std::min(7.5, rowH * 72.0 / s.px(72) * 0.7);
  const bool names = !oneFolder(ser).empty();
  const auto cells = [&](const QStringList& texts, bool bold, QRgb colour) {
    s.font(pt, bold, colour);
    double cx = x;
    for (int c = 0; c < texts.size() && c < 8; ++c) {
      // A failed visit's message runs on from its point count.
      const double cw = texts.size() < 8 && c == texts.size() - 1 ? x + w - cx : widths[c];
      // Figures are never cut: a long one is set smaller. Names and messages are.
      const bool figure = c != 1 && !(texts.size() < 8 && c == texts.size() - 1);
      const double room = cw - s.px(3), wide = p.fontMetrics().horizontalAdvance(texts[c]);
      if (figure && wide > room) s.font(pt * room / wide, bold, colour);
      const QString t = figure ? texts[c]
                               : p.fontMetrics().elidedText(texts[c], c == 1 ? Qt::ElideMiddle : Qt::ElideRight,
                                                            static_cast<int>(room));
      p.drawText(QRectF(cx, y, room, rowH), Qt::AlignLeft | Qt::AlignVCenter, t);
      s.font(pt, bold, colour);
      cx += cw;
    }
    y += rowH;
  };
  QStringList head;
  for (const char* h : heads) head << QString::fromUtf8(h);
  cells(head, true, picture::kInk);
  s.rule(x, x + w, y);
  for (std::size_t i = 0; i < ser.visits.size(); ++i) {
    const series::Visit& v = ser.visits[i];
    const QString scan = qs(names ? fileName(v.path) : v.path);
    if (!v.ok()) {
      cells({QString::number(i + 1), scan, qs(v.message)}, false, 0xFFA00018);
      continue;
    }
    const VisitFigures f = figuresOf(v);
    cells({QString::number(i + 1), scan, qs(f.points), qs(f.meanDelta), qs(f.largestDelta), qs(f.largestAt),
           qs(f.reachT1), qs(f.reachT2)},
          false, picture::kInk);
  }
  s.rule(x, x + w, y);
  return y;
}

// The matrix in a square of side `side` at (x, y): rows the earlier visits
// 1..n-1, columns the later 2..n, their numbers along the top and the left.
void heatMap(Sheet& s, double x, double y, double side, const series::Series& ser, const VisitsSettings& v) {
  QPainter& p = s.painter();
  const int n = static_cast<int>(ser.visits.size()) - 1;
  if (n < 1) return;
  const double label = s.px(16);
  const double cell = (side - label) / n;
  const Scale scale = scaleOf(ser, v.measure, v.channel);
  const bool withText = cell >= s.px(40);
  s.font(6.5);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j <= n; ++j)
      paintCell(p, QRectF(x + label + (j - 1) * cell, y + label + i * cell, cell, cell),
                cellAt(ser, i, j, v.measure, v.channel), scale, withText);
  p.setPen(QPen(QColor::fromRgba(picture::kRule), s.px(0.5)));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(x + label, y + label, n * cell, n * cell));
  const int step = labelStep(cell, s.px(12));
  s.font(6, false, picture::kQuiet);
  for (int i = 0; i < n; i += step) {
    p.drawText(QRectF(x + label + i * cell - s.px(10), y, cell + s.px(20), label - s.px(2)),
               Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 2));
    p.drawText(QRectF(x, y + label + i * cell - s.px(10), label - s.px(3), cell + s.px(20)),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(i + 1));
  }
}

// The trend in the box: the measure on the left axis, the asymmetry counts
// (dashed) on the right one, the visits along the bottom, the key below.
void trendChart(Sheet& s, const QRectF& box, const series::Series& ser, const VisitsSettings& v) {
  QPainter& p = s.painter();
  const Trend trend = trendOf(ser, v.measure, v.channel);
  const QRectF plot = box.adjusted(s.px(48), s.px(4), -s.px(34), -s.px(34));
  const auto along = [](const Axis& a, double value) { return (value - a.lo) / (a.hi - a.lo); };
  const auto xAt = [&](double visit) { return plot.left() + along(trend.visits, visit) * plot.width(); };
  const auto yAt = [&](const Axis& a, double value) { return plot.bottom() - along(a, value) * plot.height(); };

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor::fromRgba(picture::kRule), s.px(0.5)));
  p.drawRect(plot);
  s.font(7, false, picture::kQuiet);
  for (const double t : trend.values.ticks())
    p.drawText(QRectF(box.left(), yAt(trend.values, t) - s.px(6), plot.left() - box.left() - s.px(3), s.px(12)),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(t, 'f', trend.values.decimals));
  for (const double t : trend.counts.ticks())
    p.drawText(QRectF(plot.right() + s.px(3), yAt(trend.counts, t) - s.px(6), s.px(30), s.px(12)),
               Qt::AlignLeft | Qt::AlignVCenter, QString::number(t, 'f', 0));
  for (const double t : trend.visits.ticks())
    p.drawText(QRectF(xAt(t) - s.px(12), plot.bottom() + s.px(2), s.px(24), s.px(10)), Qt::AlignHCenter | Qt::AlignTop,
               QString::number(t, 'f', 0));
  p.drawText(QRectF(plot.left(), plot.bottom() + s.px(11), plot.width(), s.px(10)), Qt::AlignHCenter | Qt::AlignTop,
             QStringLiteral("visit"));

  p.save();
  p.setClipRect(plot.adjusted(-s.px(3), -s.px(3), s.px(3), s.px(3)));
  for (const TrendLine& l : trend.lines) {
    const Axis& axis = l.counts ? trend.counts : trend.values;
    QPen pen(rgb(l.colour), s.px(l.counts ? 1.0 : 1.6));
    if (l.counts) pen.setStyle(Qt::DashLine);
    for (const auto& run : l.runs()) {
      QPolygonF line;
      for (const auto& [x, y] : run) line << QPointF(xAt(x), yAt(axis, y));
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(line);
      p.setPen(Qt::NoPen);
      p.setBrush(rgb(l.colour));
      for (const QPointF& q : line) p.drawEllipse(q, s.px(l.counts ? 1.0 : 1.8), s.px(l.counts ? 1.0 : 1.8));
    }
  }
  p.restore();

  // The key, one row under the plot.
  double kx = plot.left();
  const double ky = box.bottom() - s.px(6);
  s.font(7.5);
  for (const TrendLine& l : trend.lines) {
    QPen pen(rgb(l.colour), s.px(l.counts ? 1.0 : 1.6));
    if (l.counts) pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.drawLine(QPointF(kx, ky), QPointF(kx + s.px(16), ky));
    const QString key = QString::fromUtf8(l.name) + (l.counts ? QStringLiteral(" (right axis)") : QString());
    const double tw = p.fontMetrics().horizontalAdvance(key);
    p.drawText(QRectF(kx + s.px(19), ky - s.px(6), tw + s.px(2), s.px(12)), Qt::AlignLeft | Qt::AlignVCenter, key);
    kx += s.px(19) + tw + s.px(14);
  }
}

}  // namespace

void paintCell(QPainter& p, const QRectF& box, const Cell& cell, const Scale& scale, bool withText) {
  QColor fill = rgb(kNoValueColour), ink = Qt::black;
  switch (cell.kind) {
    case CellKind::Blank:
      return;
    case CellKind::Value: {
      const std::uint32_t c = scaleColour(scale, cell.value);
      fill = rgb(c);
      ink = qGray(static_cast<QRgb>(c)) < 128 ? Qt::white : Qt::black;
      break;
    }
    case CellKind::NoValue:
      break;
    case CellKind::Failed:
      fill = Qt::white;
      break;
  }
  p.fillRect(box, fill);
  if (cell.kind == CellKind::Failed) {
    const double inset = std::min(box.width(), box.height()) * 0.2;
    p.setPen(QPen(rgb(kFailedColour), std::max(1.0, box.width() * 0.08)));
    const QRectF x = box.adjusted(inset, inset, -inset, -inset);
    p.drawLine(x.topLeft(), x.bottomRight());
    p.drawLine(x.topRight(), x.bottomLeft());
  }
  if (!withText) return;
  const QString text = cell.kind == CellKind::Failed ? QStringLiteral("failed") : qs(cell.text);
  p.setPen(cell.kind == CellKind::Failed ? QColor(rgb(kFailedColour)) : ink);
  p.drawText(box.adjusted(2, 0, -2, 0), Qt::AlignCenter,
             p.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(box.width() - 4)));
}

void paintLegend(QPainter& p, const QRectF& box, const Scale& scale, double dpi) {
  Sheet s(p, dpi);
  p.save();
  const double swatch = std::min(box.height() * 0.45, s.px(12));
  s.font(7);
  const double marks = s.px(24) + swatch * 2 + p.fontMetrics().horizontalAdvance(QStringLiteral("n/a failed"));
  const double barW = std::max(box.width() * 0.3, box.width() - marks);
  const QRectF bar(box.left(), box.top(), barW, swatch);
  if (scale.empty) {
    p.fillRect(bar, rgb(kNoValueColour));
    p.drawText(bar, Qt::AlignCenter, QStringLiteral("no values"));
  } else {
    constexpr int kSteps = 48;
    for (int i = 0; i < kSteps; ++i) {
      const double f = (i + 0.5) / kSteps;
      p.fillRect(QRectF(bar.left() + bar.width() * i / kSteps, bar.top(), bar.width() / kSteps + 0.5, bar.height()),
                 rgb(scaleColour(scale, scale.lo + (scale.hi - scale.lo) * f)));
    }
    const QRectF under(bar.left(), bar.bottom() + s.px(1), bar.width(), box.bottom() - bar.bottom() - s.px(1));
    p.drawText(under, Qt::AlignLeft | Qt::AlignTop, qs(model::formatNumber(scale.lo)));
    p.drawText(under, Qt::AlignRight | Qt::AlignTop, qs(model::formatNumber(scale.hi)));
  }
  double x = bar.right() + s.px(10);
  const Scale none;
  for (const auto& [kind, text] : {std::pair{CellKind::NoValue, "n/a"}, {CellKind::Failed, "failed"}}) {
    const QRectF mark(x, bar.top(), swatch, swatch);
    Cell c;
    c.kind = kind;
    paintCell(p, mark, c, none, false);
    p.setPen(QPen(QColor::fromRgba(picture::kRule), 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(mark);
    s.font(7);
    p.drawText(QRectF(mark.right() + s.px(3), mark.top(), s.px(40), mark.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(text));
    x = mark.right() + s.px(3) + p.fontMetrics().horizontalAdvance(QString::fromUtf8(text)) + s.px(10);
  }
  p.restore();
}

int paintVisitsReport(QPainter& painter, const QRect& page, double dpi, const series::Series& ser,
                      const VisitsSettings& v, const std::string& dateTime, const std::function<void()>& newPage) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  Sheet s(painter, dpi);
  const double left = page.left() + s.px(kMargin), right = page.left() + page.width() - s.px(kMargin);
  const double top = page.top() + s.px(kMargin), bottom = page.top() + page.height() - s.px(kMargin);
  const double width = right - left;
  double y = top;

  s.font(17, true);
  y += s.text(left, y, width, QString::fromUtf8(app::kCaption));
  s.font(kBodyPt, false, picture::kQuiet);
  y += s.text(left, y, width, QStringLiteral("Visits report, %1").arg(qs(dateTime))) + s.px(5);
  s.rule(left, right, y, 1.0, picture::kInk);
  y += s.px(8);

  y = heading(s, left, y, width, QStringLiteral("Settings"));
  for (const auto& [key, value] : settingsRows(ser, v)) {
    s.font(kBodyPt, true);
    s.text(left, y, s.px(kKeyWidth), key);
    s.font(kBodyPt);
    y += std::max(s.text(left + s.px(kKeyWidth), y, width - s.px(kKeyWidth), value), s.lineHeight()) + s.px(1);
  }
  y += s.px(8);

  y = heading(s, left, y, width, QStringLiteral("Visits"));
  const int rows = static_cast<int>(ser.visits.size()) + 1;
  const double rowH = std::min(s.px(kRowPt), (bottom - y) / rows);
  y = visitList(s, left, y, width, rowH, ser) + s.px(14);

  // The plots stay together: below the list when they fit, else on a page
  // of their own, larger.
  int pages = 1;
  double side = s.px(kHeatSide);
  const double plots = s.px(2 * (kHeadingPt + 6) + 10 + kLegendPt) + side + s.px(kTrendHeight);
  if (y + plots > bottom) {
    newPage();
    ++pages;
    y = top;
    side =
        std::min(s.px(kHeatSideOwn), bottom - top - s.px(2 * (kHeadingPt + 6) + 10 + kLegendPt) - s.px(kTrendHeight));
  }
  const QString what = QStringLiteral("%1, %2").arg(QString::fromUtf8(measureName(v.measure)),
                                                    QString::fromUtf8(channelName(v.channel)));
  y = heading(s, left, y, width, QStringLiteral("Every pair: ") + what);
  heatMap(s, left, y, side, ser, v);
  // Wide enough for both end values side by side.
  const double legendW = std::min(width - s.px(16), std::max(side - s.px(16), s.px(320)));
  paintLegend(painter, QRectF(left + s.px(16), y + side + s.px(4), legendW, s.px(kLegendPt)),
              scaleOf(ser, v.measure, v.channel), dpi);
  const double sideX = left + side + s.px(18), sideW = right - sideX;
  s.font(8, false, picture::kQuiet);
  s.text(sideX, y + s.px(16), sideW,
         QStringLiteral("Row: the earlier visit, as File 1. Column: the later visit, as File 2. "
                        "One colour scale for the whole matrix; grey: no value (n/a); crossed out: the pair "
                        "failed (see the pair table)."));
  y += side + s.px(kLegendPt + 10);

  y = heading(s, left, y, width, QStringLiteral("Trend: ") + what);
  trendChart(s, QRectF(left, y, width, s.px(kTrendHeight)), ser, v);
  painter.restore();
  return pages;
}

std::string visitsReportPdf(const series::Series& s, const VisitsSettings& settings, const std::string& dateTime,
                            const QPageSize& pageSize) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(picture::kReportDpi);
    writer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(QStringLiteral("%1 - visits - %2").arg(QString::fromUtf8(app::kCaption), qs(dateTime)));
    writer.setCreator(QString::fromUtf8(app::kCaption));
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    paintVisitsReport(painter, QRect(0, 0, writer.width(), writer.height()), picture::kReportDpi, s, settings, dateTime,
                      [&writer] { writer.newPage(); });
  }
  return bytes.toStdString();
}

output::Saved saveVisitsReportPdf(const series::Series& s, const VisitsSettings& settings, const std::string& path) {
  const std::string pdf = visitsReportPdf(s, settings, app::localDateTime(), picture::localPageSize());
  if (pdf.empty()) return {"the report could not be drawn"};
  return output::saveFile(path, pdf);
}

}  // namespace varnel::visits
