// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting the list's rows by a column: the rows are reordered in place, so a
// row's number is always the place it is shown at, and everything a row
// carries (its tick, its stamp, its file) moves with it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/list_view.h"

namespace qm {

// The rows' texts, as UTF-8 in (at most) two parts: a row of the list's own
// is converted once for the sort.
struct RowTexts {
  explicit RowTexts(const ListModel& model) : model(model) {
    own.reserve(model.own_.size());
    for (const ListModel::OwnRow& row : model.own_) own.push_back(row.text.toStdString());
  }
  void Parts(std::uint32_t row, std::string_view* first, std::string_view* second) const {
    if (row & ListModel::kOwn) {
      *first = own[row & ListModel::kIndex];
      *second = std::string_view();
    } else {
      model.source_->TextParts(row & ListModel::kIndex, first, second);
    }
  }
  // The date a row sorts by: its stamp, the zero date when the stamp is
  // empty or the row has none.
  double Date(std::uint32_t row) const {
    double value = 0;
    bool stamped = false;
    if (row & ListModel::kOwn) {
      const ListModel::OwnRow& own_row = model.own_[row & ListModel::kIndex];
      stamped = own_row.sub_kind == ListModel::kStampSub;
      value = own_row.stamp;
    } else {
      bool empty = false;
      value = model.source_->DateAt(row & ListModel::kIndex, &empty);
      stamped = !empty;
    }
    return stamped && std::isfinite(value) ? value : 0.0;
  }

  std::int64_t Size(std::uint32_t row) const {
    if (row & ListModel::kOwn) return model.own_[row & ListModel::kIndex].size;
    return model.source_->SizeAt(row & ListModel::kIndex);
  }

  const ListModel& model;
  std::vector<std::string> own;
};

namespace {

// Sorting texts: each row's text is read sixteen bytes at a time into two
// integers that order as the texts do, so the sort compares small records in
// memory it walks in order instead of chasing every text.  Texts are UTF-8,
// whose byte order is the order of the characters; the lead bytes of
// U+E000..U+FFFF are moved above those of the characters beyond 16 bits, so
// the order is that of the texts' UTF-16 units, as the list has always
// sorted.  Rows whose sixteen bytes tie are sorted again on the bytes after
// them; texts shorter than that are padded with 0, which no path holds.
struct TextKey {
  std::uint64_t high = 0, low = 0;
  int row = 0;  // position in the rows being sorted
};

// The byte of the text at `at`, 0 past its end, in sorting order.
unsigned SortByte(std::string_view first, std::string_view second, std::size_t at) {
  unsigned char c;
  if (at < first.size()) {
    c = static_cast<unsigned char>(first[at]);
  } else if (at - first.size() < second.size()) {
    c = static_cast<unsigned char>(second[at - first.size()]);
  } else {
    return 0;
  }
  if (c == 0xEE) return 0xF5;
  if (c == 0xEF) return 0xF6;
  return c;
}

void LoadUnits(TextKey& key, std::string_view first, std::string_view second, std::size_t at) {
  std::uint64_t part[2] = {0, 0};
  for (int k = 0; k < 16; ++k) part[k / 8] = (part[k / 8] << 8) | SortByte(first, second, at + k);
  key.high = part[0];
  key.low = part[1];
}

// The number of bytes from `at` on that every row of [begin, end) shares.
std::size_t SharedBytes(const RowTexts& texts, const std::vector<std::uint32_t>& rows,
                        const TextKey* begin, const TextKey* end, std::size_t at) {
  std::string_view f0, s0;
  texts.Parts(rows[static_cast<size_t>(begin->row)], &f0, &s0);
  const std::size_t size0 = f0.size() + s0.size();
  std::size_t shared = size0 > at ? size0 - at : 0;
  for (const TextKey* k = begin + 1; k != end && shared > 0; ++k) {
    std::string_view f, s;
    texts.Parts(rows[static_cast<size_t>(k->row)], &f, &s);
    const std::size_t size = f.size() + s.size();
    shared = std::min(shared, size > at ? size - at : 0);
    std::size_t i = 0;
    while (i < shared && SortByte(f, s, at + i) == SortByte(f0, s0, at + i)) ++i;
    shared = i;
  }
  return shared;
}

// Sorts [begin, end), whose texts agree on their first `at` bytes; ties keep
// their row order.
void SortTexts(const RowTexts& texts, const std::vector<std::uint32_t>& rows, TextKey* begin,
               TextKey* end, std::size_t at, bool up) {
  if (end - begin < 2) return;
  at += SharedBytes(texts, rows, begin, end, at);
  for (TextKey* k = begin; k != end; ++k) {
    std::string_view first, second;
    texts.Parts(rows[static_cast<size_t>(k->row)], &first, &second);
    LoadUnits(*k, first, second, at);
  }
  std::sort(begin, end, [up](const TextKey& a, const TextKey& b) {
    if (a.high != b.high) return up == (a.high < b.high);
    if (a.low != b.low) return up == (a.low < b.low);
    return a.row < b.row;
  });
  for (TextKey* group = begin; group != end;) {
    TextKey* next = group + 1;
    while (next != end && next->high == group->high && next->low == group->low) ++next;
    // Texts that end within these bytes are equal; the others go on.
    if (next - group > 1 && (group->low & 0xFF) != 0) {
      SortTexts(texts, rows, group, next, at + 16, up);
    }
    group = next;
  }
}

// The rows' new order: new position -> old position.  Rows with equal keys
// keep the order they had.
std::vector<int> SortedOrder(const RowTexts& texts, const std::vector<std::uint32_t>& rows,
                             int column, Qt::SortOrder order) {
  const int n = static_cast<int>(rows.size());
  const bool up = order == Qt::AscendingOrder;
  std::vector<int> from(static_cast<size_t>(n));
  if (column == 0) {
    std::vector<TextKey> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) keys[static_cast<size_t>(i)].row = i;
    SortTexts(texts, rows, keys.data(), keys.data() + n, 0, up);
    for (int i = 0; i < n; ++i) from[static_cast<size_t>(i)] = keys[static_cast<size_t>(i)].row;
    return from;
  }
  if (column == 2) {
    // Sizes: (size, old position) pairs, reversed by negating the size, so
    // ties keep their order either way; an unknown size (-1) comes first.
    std::vector<std::pair<std::int64_t, int>> keyed(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const std::int64_t size = texts.Size(rows[static_cast<size_t>(i)]);
      keyed[static_cast<size_t>(i)] = {up ? size : -size, i};
    }
    std::sort(keyed.begin(), keyed.end());
    for (int i = 0; i < n; ++i) from[static_cast<size_t>(i)] = keyed[static_cast<size_t>(i)].second;
    return from;
  }
  // Dates: sort (key, old position) pairs; the position breaks ties.
  std::vector<std::pair<double, int>> keyed(static_cast<size_t>(n));
  const double sign = up ? 1.0 : -1.0;
  for (int i = 0; i < n; ++i) {
    keyed[static_cast<size_t>(i)] = {sign * texts.Date(rows[static_cast<size_t>(i)]), i};
  }
  std::sort(keyed.begin(), keyed.end());
  for (int i = 0; i < n; ++i) from[static_cast<size_t>(i)] = keyed[static_cast<size_t>(i)].second;
  return from;
}

}  // namespace

void ListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column > 2 || column >= ColumnCount() || rows_.empty()) return;
  const std::vector<int> from = SortedOrder(RowTexts(*this), rows_, column, order);
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> to(from.size());  // old position -> new position
  std::vector<std::uint32_t> sorted(rows_.size());
  for (size_t k = 0; k < from.size(); ++k) {
    to[static_cast<size_t>(from[k])] = static_cast<int>(k);
    sorted[k] = rows_[static_cast<size_t>(from[k])];
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
