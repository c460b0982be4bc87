#pragma once
// The Visits window's two tables over one series: the visits with their
// figures, and the matrix of every pair for one measure and channel, whose
// cells a delegate paints in the colours of the visits report.
#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QWidget>
#include <memory>

#include "series/series.hpp"
#include "visits/measures.hpp"

namespace varnel::qt {

// The list of visits in order, and the series computed for it (none while
// it computes, or when it could not be).
class VisitsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Number, Scan, Points, MeanDelta, Largest, At, ReachT1, ReachT2, Columns };

  using QAbstractTableModel::QAbstractTableModel;
  void setPaths(const QStringList& paths);
  const QStringList& paths() const { return paths_; }
  void setSeries(std::shared_ptr<const series::Series> s);
  const series::Series* series() const { return series_.get(); }
  // Rows whose visit could not be loaded: their message spans the figures.
  QList<int> failedRows() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const series::Visit* visit(int row) const;

  QStringList paths_;
  std::shared_ptr<const series::Series> series_;
};

// Row: the earlier visit, column: the later one; cells above the diagonal.
// The display text is the cell's exact text; the tooltip names the pair.
class MatrixModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;
  void show(std::shared_ptr<const series::Series> s, visits::Measure measure, visits::Channel channel);
  visits::Cell cell(int earlier, int later) const;
  const visits::Scale& scale() const { return scale_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::shared_ptr<const series::Series> series_;
  visits::Measure measure_ = visits::Measure::Correlation;
  visits::Channel channel_ = visits::Channel::Left;
  visits::Scale scale_;
};

// Paints a matrix cell as the report does, with its text where it fits and
// a frame round the current cell.
class HeatDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The matrix's colour scale and the marks for "n/a" and failed pairs.
class LegendStrip : public QWidget {
 public:
  using QWidget::QWidget;
  void setScale(const visits::Scale& scale);
  QSize sizeHint() const override { return {320, 34}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  visits::Scale scale_;
};

}  // namespace varnel::qt
