#include "qt/visits_models.hpp"

#include <QFileInfo>
#include <QPainter>

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

QList<int> VisitsModel::failedRows() const {
  QList<int> rows;
  for (int r = 0; r < rowCount(); ++r)
    if (const series::Visit* v = visit(r); v && !v->ok()) rows << r;
  return rows;
}

int VisitsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(paths_.size());
}

int VisitsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant VisitsModel::data(const QModelIndex& index, int role) const {
  const int row = index.row(), column = index.column();
  if (!index.isValid() || row >= rowCount()) return {};
  const series::Visit* v = visit(row);
  if (role == Qt::ToolTipRole) {
    if (column == Scan) return paths_[row];
    if (v && !v->ok()) return qs(v->message);
    return {};
  }
  if (role == Qt::ForegroundRole && v && !v->ok() && column >= Points) return QColor(0xA0, 0x00, 0x18);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(column == Scan || (v && !v->ok()) ? Qt::AlignLeft | Qt::AlignVCenter
                                                                 : Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  if (column == Number) return row + 1;
  if (column == Scan) return QFileInfo(paths_[row]).fileName();
  if (!v) return {};
  if (!v->ok()) return column == Points ? qs(v->message) : QVariant();
  const visits::VisitFigures f = visits::figuresOf(*v);
  const std::string* const texts[] = {&f.points, &f.meanDelta, &f.largestDelta, &f.largestAt, &f.reachT1, &f.reachT2};
  return qs(*texts[column - Points]);
}

QVariant VisitsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const names[Columns] = {"Visit", "Scan", "Points", "Mean Delta-T", "Largest |Delta-T|",
                                             "at",    "≥ t1", "≥ t2"};
  return section >= 0 && section < Columns ? QString::fromUtf8(names[section]) : QVariant();
}

void MatrixModel::show(std::shared_ptr<const series::Series> s, visits::Measure measure, visits::Channel channel) {
  beginResetModel();
  series_ = std::move(s);
  measure_ = measure, channel_ = channel;
  scale_ = series_ ? visits::scaleOf(*series_, measure, channel) : visits::Scale{};
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
  if (role == Qt::DisplayRole) return qs(c.text);
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
  const bool fits = option.fontMetrics.horizontalAdvance(QStringLiteral("0.00000")) < option.rect.width();
  visits::paintCell(*painter, QRectF(option.rect), c, model->scale(), fits);
  if (option.state & QStyle::State_HasFocus || option.state & QStyle::State_Selected) {
    painter->setPen(QPen(option.palette.highlight().color(), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
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
