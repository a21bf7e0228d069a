// Sorting the list's rows by a column: the rows are reordered in place, so a
// row's number is always the place it is shown at, and everything a row
// carries (its tick, its stamp) moves with it.
#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "app/list_view.h"

namespace qm {
namespace {

// The date a row sorts by: its stamp, the zero date when the stamp is empty
// or the row has none.
double SortDate(const ListModel::Row& row) {
  return row.sub_kind == ListModel::kStampSub ? row.stamp : 0.0;
}

// The rows' new order: new position -> old position.  Rows with equal keys
// keep the order they had.
std::vector<int> SortedOrder(const std::vector<ListModel::Row>& rows, int column,
                             Qt::SortOrder order) {
  const int n = static_cast<int>(rows.size());
  std::vector<int> from(static_cast<size_t>(n));
  if (column == 0) {
    std::iota(from.begin(), from.end(), 0);
    const bool up = order == Qt::AscendingOrder;
    std::stable_sort(from.begin(), from.end(), [&rows, up](int a, int b) {
      const int c = QString::compare(rows[static_cast<size_t>(a)].text,
                                     rows[static_cast<size_t>(b)].text, Qt::CaseSensitive);
      return up ? c < 0 : c > 0;
    });
    return from;
  }
  // Dates: sort (key, old position) pairs; the position breaks ties, which
  // keeps equal dates in their order, and the pairs sort faster than
  // positions that look their keys up.
  std::vector<std::pair<double, int>> keyed(static_cast<size_t>(n));
  const double sign = order == Qt::AscendingOrder ? 1.0 : -1.0;
  for (int i = 0; i < n; ++i) keyed[static_cast<size_t>(i)] = {sign * SortDate(rows[static_cast<size_t>(i)]), i};
  std::sort(keyed.begin(), keyed.end());
  for (int i = 0; i < n; ++i) from[static_cast<size_t>(i)] = keyed[static_cast<size_t>(i)].second;
  return from;
}

}  // namespace

void ListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column > 1 || column >= ColumnCount() || rows_.empty()) return;
  const std::vector<int> from = SortedOrder(rows_, column, order);
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> to(from.size());  // old position -> new position
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  for (size_t k = 0; k < from.size(); ++k) {
    to[static_cast<size_t>(from[k])] = static_cast<int>(k);
    sorted.push_back(std::move(rows_[static_cast<size_t>(from[k])]));
  }
  rows_.swap(sorted);
  // The view's current row, selection and the like follow their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& at : before) {
    after.append(index(to[static_cast<size_t>(at.row())], at.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  sort_column_ = column;
  sort_order_ = order;
  emit SortChanged(sort_column_, sort_order_);
}

void ListModel::SortByClick(int column) {
  const bool reverse = column == sort_column_ && sort_order_ == Qt::AscendingOrder;
  sort(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ListModel::ForgetSort() {
  if (sort_column_ < 0) return;
  sort_column_ = -1;
  sort_order_ = Qt::AscendingOrder;
  emit SortChanged(sort_column_, sort_order_);
}

}  // namespace qm
