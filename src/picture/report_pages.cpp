#include "picture/report_pages.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "picture/chart_picture.hpp"
#include "picture/sheet.hpp"

namespace varnel::picture {
namespace {

// Page geometry in points (1/72 inch). The chart stands at a fixed height
// below the top margin, so that its place never depends on the texts above.
constexpr double kMargin = 40;
constexpr double kHeaderBand = 258;
constexpr double kChartHeight = 400;  // wanted; the whole scale factor has the last word
constexpr double kColumnGap = 18;
constexpr double kKeyWidth = 100;
constexpr double kBodyPt = 9;

void legendMark(Sheet& s, const QRectF& box, const output::LegendEntry& e) {
  QPainter& p = s.painter();
  p.fillRect(box, Qt::black);
  const QColor c = QColor::fromRgb(e.rgb);
  if (e.mark == output::LegendMark::Line) {
    p.setPen(QPen(c, s.px(1.2)));
    p.drawLine(QPointF(box.left() + s.px(3), box.center().y()), QPointF(box.right() - s.px(3), box.center().y()));
    return;
  }
  const double d = s.px(2);
  for (const double at : {0.3, 0.7})
    p.fillRect(QRectF(box.left() + box.width() * at - d / 2, box.center().y() - d / 2, d, d), c);
}

void cellIn(Sheet& s, double x, double y, double w, double h, const QString& t, bool bold = false,
            int align = Qt::AlignHCenter) {
  s.font(kBodyPt, bold);
  s.painter().drawText(QRectF(x, y, w, h), align | Qt::AlignVCenter, t);
}

double heading(Sheet& s, double x, double y, double w, const QString& t) {
  s.font(10.5, true);
  return y + s.text(x, y, w, t) + s.px(3);
}

// The result boxes as the window lays them out; returns the y below.
double resultGrid(Sheet& s, double x, double y, double w, const output::Report& r) {
  y = heading(s, x, y, w, QStringLiteral("Results"));
  const double rowH = s.px(15), keyW = s.px(110), colW = (w - keyW) / output::kReportColumns;
  for (int c = 0; c < output::kReportColumns; ++c)
    cellIn(s, x + keyW + c * colW, y, colW, rowH, output::kReportColumnNames[c], true);
  y += rowH;
  for (int row = 0; row < output::kReportRows; ++row) {
    s.rule(x, x + w, y);
    cellIn(s, x, y, keyW, rowH, output::kReportRowNames[row], false, Qt::AlignLeft);
    for (int c = 0; c < output::kReportColumns; ++c)
      cellIn(s, x + keyW + c * colW, y, colW, rowH, qs(r.results[row][c]));
    y += rowH;
  }
  s.rule(x, x + w, y);
  return y;
}

// The settings behind the results, the extremes and the legend, in a column
// `w` wide beside the chart.
void sidePanel(Sheet& s, double x, double y, double w, const output::Report& r) {
  y = heading(s, x, y, w, QStringLiteral("Settings"));
  const double keyW = s.px(94);
  const auto row = [&](const QString& key, const QString& value) {
    s.font(kBodyPt, true);
    s.text(x, y, keyW, key);
    s.font(kBodyPt);
    y += std::max(s.text(x + keyW, y, w - keyW, value), s.lineHeight()) + s.px(2);
  };
  row(QStringLiteral("Channel on show"), qs(r.channel));
  QStringList states;
  for (const output::ReportChannelState& st : r.states) states << qs(st.channel + ": " + st.state);
  row(QStringLiteral("Data state"), states.join(QLatin1Char('\n')));
  row(QStringLiteral("Cut-offs"), QStringLiteral("lower %1, upper %2").arg(qs(r.lowerCutoff), qs(r.upperCutoff)));
  row(QStringLiteral("Shift count"), QString::number(r.shiftCount));
  row(QStringLiteral("Slope threshold"), qs(r.threshold));
  y += s.px(14);

  y = heading(s, x, y, w, QStringLiteral("Extremes"));
  const double rowH = s.px(15), nameW = s.px(44), extW = (w - nameW) / 4;
  const char* const columns[4] = {"Max", "at", "Min", "at"};
  for (int c = 0; c < 4; ++c) cellIn(s, x + nameW + c * extW, y, extW, rowH, columns[c], true);
  y += rowH;
  for (int f = 0; f < 2; ++f) {
    const output::ReportScan& scan = r.scans[f];
    s.rule(x, x + w, y);
    cellIn(s, x, y, nameW, rowH, QStringLiteral("File %1").arg(f + 1), false, Qt::AlignLeft);
    const std::string* values[4] = {&scan.maxValue, &scan.maxAt, &scan.minValue, &scan.minAt};
    for (int c = 0; c < 4; ++c) cellIn(s, x + nameW + c * extW, y, extW, rowH, qs(*values[c]));
    y += rowH;
  }
  s.rule(x, x + w, y);
  y += s.px(16);

  y = heading(s, x, y, w, QStringLiteral("Legend"));
  const double markW = s.px(22), textX = x + markW + s.px(6);
  for (const output::LegendEntry& e : r.legend) {
    s.font(8.5);
    const double h = s.text(textX, y, x + w - textX, qs(e.text));
    legendMark(s, QRectF(x, y + (s.lineHeight() - s.px(9)) / 2, markW, s.px(9)), e);
    y += std::max(h, s.lineHeight()) + s.px(3);
  }
}

}  // namespace

ReportLayout reportLayout(const QRect& page, double dpi, const QSize& chartSize) {
  ReportLayout l;
  l.page = page;
  l.dpi = dpi;
  const auto px = [dpi](double pt) { return pt * dpi / 72.0; };
  const double top = page.top() + px(kMargin + kHeaderBand);
  const double tall = std::min(px(kChartHeight), page.bottom() + 1 - px(kMargin) - top);
  const double wide = (page.width() - 2 * px(kMargin)) * 0.55;
  const double fits = std::min(tall / chartSize.height(), wide / chartSize.width());
  l.chartScale = std::max(1, static_cast<int>(std::floor(fits + 1e-9)));
  l.chart = QRect(static_cast<int>(std::lround(page.left() + px(kMargin))), static_cast<int>(std::lround(top)),
                  chartSize.width() * l.chartScale, chartSize.height() * l.chartScale);
  return l;
}

QPageSize localPageSize() {
  return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

void paintReport(QPainter& painter, const ReportLayout& layout, const output::Report& r, const QImage& chart) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // Without it the PDF engine may store the chart as a JPEG.
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  Sheet s(painter, layout.dpi);
  const double left = layout.page.left() + s.px(kMargin);
  const double right = layout.page.left() + layout.page.width() - s.px(kMargin);
  const double width = right - left;
  double y = layout.page.top() + s.px(kMargin);

  s.font(17, true);
  y += s.text(left, y, width, qs(r.title));
  s.font(kBodyPt, false, kQuiet);
  y += s.text(left, y, width, QStringLiteral("Comparison report, %1").arg(qs(r.dateTime))) + s.px(5);
  s.rule(left, right, y, 1.0, kInk);
  y += s.px(8);

  const double valueX = left + s.px(kKeyWidth), valueW = right - valueX;
  const auto row = [&](const QString& key, const QString& value, double valuePt = kBodyPt, int flags = Qt::TextWordWrap,
                       QRgb colour = kInk) {
    s.font(kBodyPt, true);
    s.text(left, y, s.px(kKeyWidth), key);
    s.font(valuePt, false, colour);
    const double h = s.text(valueX, y, valueW, value, Qt::AlignLeft | flags);
    s.font(kBodyPt);
    y += std::max(h, s.lineHeight()) + s.px(2);
  };
  for (int f = 0; f < 2; ++f) {
    const output::ReportScan& scan = r.scans[f];
    const QString key = QStringLiteral("File %1").arg(f + 1);
    if (!scan.loaded) {
      row(key, QStringLiteral("not loaded"), kBodyPt, Qt::TextWordWrap, kQuiet);
      continue;
    }
    // A long path shrinks to two lines rather than push into the chart.
    const QString path = qs(scan.path);
    row(key, path, s.fitting(path, valueW, 2, kBodyPt), Qt::TextWrapAnywhere);
    row(QString(), QStringLiteral("# of Pnts: %1").arg(qs(scan.pointCount)));
  }
  resultGrid(s, left, y + s.px(8), width, r);

  const QRect& c = layout.chart;
  const double headingY = c.top() - s.px(17);
  s.font(10.5, true);
  s.text(c.left(), headingY, c.width(), QStringLiteral("Chart: %1").arg(qs(r.channel)));
  // The device gets the chart's own pixels and a whole-number scale: a PDF
  // stores them once, unsmoothed, at a quarter of the bytes of a pre-scaled
  // copy.
  painter.drawImage(c, chart.convertToFormat(QImage::Format_RGB32));
  const double gap = s.px(1.5);
  painter.setPen(QPen(QColor::fromRgba(kRule), s.px(0.6)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(c.left(), c.top(), c.width(), c.height()).adjusted(-gap, -gap, gap, gap));

  const double sideX = c.left() + c.width() + s.px(kColumnGap);
  sidePanel(s, sideX, headingY, right - sideX, r);
  painter.restore();
}

std::string reportPdf(const output::Report& report, const chart::Surface& surface, const QPageSize& pageSize) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kReportDpi);
    writer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(QStringLiteral("%1 - %2").arg(qs(report.title), qs(report.dateTime)));
    writer.setCreator(qs(report.title));
    QPainter painter(&writer);
    paintReport(painter, reportLayout(QRect(0, 0, writer.width(), writer.height()), kReportDpi), report,
                chartImage(surface));
  }
  return bytes.toStdString();
}

output::Saved saveReportPdf(const output::Report& report, const chart::Surface& surface, const std::string& path) {
  const std::string pdf = reportPdf(report, surface);
  if (pdf.empty()) return {"the report could not be drawn"};
  return output::saveFile(path, pdf);
}

}  // namespace varnel::picture
