// Sorting the list's rows by a column: the rows are reordered in place, so a
// row's number is always the place it is shown at, and everything a row
// carries (its tick, its stamp) moves with it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/list_view.h"

namespace qm {
namespace {

// The date a row sorts by: its stamp, the zero date when the stamp is empty
// or the row has none.
double SortDate(const ListModel::Row& row) {
  return row.sub_kind == ListModel::kStampSub && std::isfinite(row.stamp) ? row.stamp : 0.0;
}

// Sorting texts: each row's text is read eight UTF-16 units at a time into
// two integers that order as the texts do, so the sort compares small
// records in memory it walks in order instead of chasing every text.  Rows
// whose eight units tie are sorted again on the units after them; texts
// shorter than the eight units are padded with 0, which no path holds.
struct TextKey {
  std::uint64_t high = 0, low = 0;
  int row = 0;
};

void LoadUnits(TextKey& key, const QString& text, qsizetype at) {
  const auto* units = reinterpret_cast<const char16_t*>(text.constData());
  const qsizetype size = text.size();
  std::uint64_t part[2] = {0, 0};
  for (int k = 0; k < 8; ++k) {
    const std::uint64_t unit = at + k < size ? units[at + k] : 0;
    part[k / 4] = (part[k / 4] << 16) | unit;
  }
  key.high = part[0];
  key.low = part[1];
}

// The number of units from `at` on that every row of [begin, end) shares.
qsizetype SharedUnits(const std::vector<ListModel::Row>& rows, const TextKey* begin,
                      const TextKey* end, qsizetype at) {
  const QString& first = rows[static_cast<size_t>(begin->row)].text;
  qsizetype shared = first.size() - at;
  for (const TextKey* k = begin + 1; k != end && shared > 0; ++k) {
    const QString& text = rows[static_cast<size_t>(k->row)].text;
    shared = std::min(shared, text.size() - at);
    qsizetype i = 0;
    while (i < shared && text[at + i] == first[at + i]) ++i;
    shared = i;
  }
  return std::max<qsizetype>(shared, 0);
}

// Sorts [begin, end), whose texts agree on their first `at` units; ties
// keep their row order.
void SortTexts(const std::vector<ListModel::Row>& rows, TextKey* begin, TextKey* end, qsizetype at,
               bool up) {
  if (end - begin < 2) return;
  at += SharedUnits(rows, begin, end, at);
  for (TextKey* k = begin; k != end; ++k) LoadUnits(*k, rows[static_cast<size_t>(k->row)].text, at);
  std::sort(begin, end, [up](const TextKey& a, const TextKey& b) {
    if (a.high != b.high) return up == (a.high < b.high);
    if (a.low != b.low) return up == (a.low < b.low);
    return a.row < b.row;
  });
  for (TextKey* group = begin; group != end;) {
    TextKey* next = group + 1;
    while (next != end && next->high == group->high && next->low == group->low) ++next;
    // Texts that end within these units are equal; the others go on.
    if (next - group > 1 && (group->low & 0xFFFF) != 0) SortTexts(rows, group, next, at + 8, up);
    group = next;
  }
}

// The rows' new order: new position -> old position.  Rows with equal keys
// keep the order they had.
std::vector<int> SortedOrder(const std::vector<ListModel::Row>& rows, int column,
                             Qt::SortOrder order) {
  const int n = static_cast<int>(rows.size());
  const bool up = order == Qt::AscendingOrder;
  std::vector<int> from(static_cast<size_t>(n));
  if (column == 0) {
    std::vector<TextKey> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) keys[static_cast<size_t>(i)].row = i;
    SortTexts(rows, keys.data(), keys.data() + n, 0, up);
    for (int i = 0; i < n; ++i) from[static_cast<size_t>(i)] = keys[static_cast<size_t>(i)].row;
    return from;
  }
  // Dates: sort (key, old position) pairs; the position breaks ties.
  std::vector<std::pair<double, int>> keyed(static_cast<size_t>(n));
  const double sign = up ? 1.0 : -1.0;
  for (int i = 0; i < n; ++i) {
    keyed[static_cast<size_t>(i)] = {sign * SortDate(rows[static_cast<size_t>(i)]), i};
  }
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
