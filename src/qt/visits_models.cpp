#include "qt/visits_models.hpp"

#include <QFileInfo>
#include <QPainter>

#include "model/number_text.hpp"
#include "visits/visits_report.hpp"

namespace varnel::qt {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void VisitsModel::setPaths(const QStringList& paths) {
  beginResetModel();
  paths_ = paths;
  series_.reset();
  endResetModel();
}

// The rows stay, and with them the selection the user made.
void VisitsModel::setSeries(std::shared_ptr<const series::Series> s) {
  series_ = std::move(s);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1));
}

const series::Visit* VisitsModel::visit(int row) const {
  if (!series_ || row < 0 || static_cast<std::size_t>(row) >= series_->visits.size()) return nullptr;
  return &series_->visits[static_cast<std::size_t>(row)];
}

int VisitsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(paths_.size());
}

int VisitsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant VisitsModel::data(const QModelIndex& index, int role) const {
  const int row = index.row(), column = index.column();
  if (!index.isValid() || row >= rowCount()) return {};
  const series::Visit* v = visit(row);
  const bool failed = v && !v->ok();
  if (role == Qt::ToolTipRole) {
    if (column == Scan) return paths_[row];
    if (failed) return qs(v->message);
    const series::Asymmetry* a = v && v->asymmetry.points > 0 ? &v->asymmetry : nullptr;
    if (a && column == MeanDelta) return qs(model::formatNumber(a->meanDelta) + " °C");
    if (a && column == Largest) return qs(model::formatNumber(a->largestDelta) + " °C");
    return {};
  }
  // A visit that could not be read: marked in red, its figures left empty,
  // its message in the Status column's tooltip.
  if (role == Qt::ForegroundRole && failed) return QColor(0xA0, 0x00, 0x18);
  if (role == Qt::BackgroundRole && failed) return QColor(0xFD, 0xE8, 0xEA);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(column == Scan || column == Status ? Qt::AlignLeft | Qt::AlignVCenter
                                                                  : Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  if (column == Number) return row + 1;
  if (column == Scan) return QFileInfo(paths_[row]).fileName();
  if (!v) return {};
  if (column == Status) return failed ? QStringLiteral("not read (see tooltip)") : QStringLiteral("ok");
  if (failed) return {};
  const visits::VisitFigures f = visits::figuresOf(*v);
  const std::string* const texts[] = {&f.points, &f.meanDelta, &f.largestDelta, &f.largestAt, &f.reachT1, &f.reachT2};
  return qs(*texts[column - Points]);
}

QVariant VisitsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= Columns) return {};
  static const char* const names[Columns] = {
      "Visit", "Scan", "Points", "Mean\nDelta-T °C", "Largest\n|Delta-T| °C", "at\npoint", "≥ t1", "≥ t2", "Status"};
  static const char* const tips[Columns] = {
      "Visit 1 is the baseline",
      "The scan's file; its folder in the tooltip",
      "The last point of the scan, as the calculator's point count shows it",
      "Mean Delta-T over the cut-offs, on the readings as loaded, before any smoothing",
      "The largest |Delta-T| over the cut-offs, on the readings as loaded",
      "The calculator's point number of the largest |Delta-T|, as in its @ boxes",
      "Points whose |Delta-T| reaches t1, on the readings as loaded",
      "Points whose |Delta-T| reaches t2, on the readings as loaded",
      "ok, or why the scan could not be read (the whole message in the tooltip)"};
  if (role == Qt::DisplayRole) return QString::fromUtf8(names[section]);
  if (role == Qt::ToolTipRole) return QString::fromUtf8(tips[section]);
  return {};
}

void MatrixModel::show(std::shared_ptr<const series::Series> s, visits::Measure measure, visits::Channel channel) {
  beginResetModel();
  series_ = std::move(s);
  measure_ = measure, channel_ = channel;
  scale_ = visits::scaleOf(measure);
  endResetModel();
}

visits::Cell MatrixModel::cell(int earlier, int later) const {
  return series_ ? visits::cellAt(*series_, earlier, later, measure_, channel_) : visits::Cell{};
}

int MatrixModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !series_ ? 0 : static_cast<int>(series_->visits.size());
}

int MatrixModel::columnCount(const QModelIndex& parent) const { return rowCount(parent); }

QVariant MatrixModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const visits::Cell c = cell(index.row(), index.column());
  if (c.kind == visits::CellKind::Blank) return {};
  if (role == Qt::DisplayRole) return qs(c.shown);
  if (role == Qt::ToolTipRole) {
    const auto name = [&](int v) {
      return QStringLiteral("visit %1 (%2)")
          .arg(v + 1)
          .arg(qs(visits::fileName(series_->visits[static_cast<std::size_t>(v)].path)));
    };
    return QStringLiteral("%1 against %2\n%3: %4")
        .arg(name(index.column()), name(index.row()),
             QString::fromUtf8(c.kind == visits::CellKind::Failed ? "Failed" : visits::measureName(measure_)),
             qs(c.text));
  }
  return {};
}

QVariant MatrixModel::headerData(int section, Qt::Orientation, int role) const {
  return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
}

Qt::ItemFlags MatrixModel::flags(const QModelIndex& index) const {
  // Every cell takes the keyboard's cursor; only pairs can be opened.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void HeatDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto* model = static_cast<const MatrixModel*>(index.model());
  const visits::Cell c = model->cell(index.row(), index.column());
  painter->save();
  painter->setFont(option.font);
  visits::paintCell(*painter, QRectF(option.rect), c, model->scale(), true);
  // The current cell plainly outlined, black inside white, on any colour.
  if (option.state & QStyle::State_HasFocus || option.state & QStyle::State_Selected) {
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::white, 4));
    painter->drawRect(QRectF(option.rect).adjusted(2, 2, -2, -2));
    painter->setPen(QPen(Qt::black, 2));
    painter->drawRect(QRectF(option.rect).adjusted(2, 2, -2, -2));
  }
  painter->restore();
}

void LegendStrip::setScale(const visits::Scale& scale) {
  scale_ = scale;
  update();
}

void LegendStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  visits::paintLegend(p, QRectF(rect()).adjusted(2, 2, -2, -2), scale_, 72.0);
}

}  // namespace varnel::qt
