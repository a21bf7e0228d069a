// SPDX-License-Identifier: GPL-3.0-or-later
// The list control: a report-view list with column headers, text rows and,
// optionally, a check box per row.  Rows are numbered from 1.
//
// The rows live in a table model behind a QTableView (whose rows, unlike a
// tree view's, cost it nothing each but a few bytes in its hidden row
// header), so a list of a million rows costs one small record per row: rows are appended in
// batches, ticking or unticking every row is one pass, and removing many rows is one compaction
// rather than one shift per row.  A row is four bytes: its tick and where its text lives, either in
// the list itself or, for the result list, at a position of the search's found files (a
// ListSource), which the list keeps alive while it shows rows of them.
#ifndef QUENMOOR_APP_LIST_VIEW_H_
#define QUENMOOR_APP_LIST_VIEW_H_

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/byte_size.h"
#include "platform/file_id.h"

namespace qm {

// Rows a list shows from storage it does not own: at each position a text in
// UTF-8, made of two parts (a folder and a name), a date value that may be
// empty, and a file identity.  It must not change while a list shows it.
class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual std::size_t Size() const = 0;
  virtual void TextParts(std::size_t i, std::string_view* first,
                         std::string_view* second) const = 0;
  // The date value; *empty when the stamp could not be read.
  virtual double DateAt(std::size_t i, bool* empty) const = 0;
  virtual FileId IdAt(std::size_t i) const = 0;
  // The file's size in bytes (a link's own size); -1 when unknown.
  virtual std::int64_t SizeAt(std::size_t i) const { return -1; }
};

class ListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // A row's first sub-item: nothing, a text, or a date value shown through
  // the stamp formatter (an empty stamp shows as an empty cell).
  enum SubKind : std::uint8_t { kNoSub, kTextSub, kStampSub, kEmptyStampSub };

  // What a new row of a batch holds.
  struct NewRow {
    QString text;
    double stamp = 0;
    SubKind sub_kind = kNoSub;
    FileId id = {};
    std::int64_t size = -1;
  };

  explicit ListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetCheckable(bool checkable) { checkable_ = checkable; }
  bool Checkable() const { return checkable_; }
  // Rows can be dragged out of the list, each row's text taken for a local
  // file's path: as file URLs (text/uri-list) and as text, one path a line,
  // to be copied or linked, as file managers take them.
  void SetDraggable(bool draggable) { draggable_ = draggable; }
  static void SetStampFormatter(std::function<QString(double, bool)> formatter);
  // A date value as the list shows it.
  static QString FormatStamp(double value, bool empty);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override;

  // Positions below are 0-based; ListView converts.
  int Count() const { return static_cast<int>(rows_.size()); }
  QString Text(int i) const;
  bool Checked(int i) const { return (rows_[static_cast<size_t>(i)] & kChecked) != 0; }
  FileId Id(int i) const;
  // The row's sub-item kind and date value.
  SubKind Sub(int i) const;
  double Stamp(int i) const;
  // The row's file size in bytes, -1 when unknown (shown as an empty cell).
  std::int64_t Size(int i) const;
  // Totals of the rows' sizes (each row's own, as the Size column shows
  // it), kept up to date as rows come, go and are ticked; unknown sizes
  // count as 0.  In 128 bits: no list's sizes wrap.
  ByteCount TotalBytes() const { return total_bytes_; }
  int CheckedCount() const { return checked_count_; }
  ByteCount CheckedBytes() const { return checked_bytes_; }
  int Append(const QString& text);
  void AppendBatch(std::vector<NewRow>&& rows);
  // Appends the rows at `positions` of `source`, in that order, in one
  // insertion; the list takes the vector over and keeps `source` alive until
  // it no longer shows a row of it.  Rows of another source the list still
  // shows become rows of their own first.  `sizes_total`, when given, is
  // what the rows' sizes add up to, so a million of them are not added again.
  void AppendSourceRows(std::shared_ptr<const ListSource> source,
                        std::vector<std::uint32_t>&& positions,
                        std::optional<ByteCount> sizes_total = std::nullopt);
  void SetChecked(int i, bool checked);
  void SetId(int i, const FileId& id);
  void SetAllChecked(bool checked);
  void Remove(int i);
  // Removes the rows at the given positions (any order, duplicates ignored).
  void RemoveMany(std::vector<int> positions);
  void Clear();

  void AddColumn(const QString& caption);
  void RemoveColumn(int i);
  int ColumnCount() const { return headers_.size(); }
  QString ColumnCaption(int i) const { return headers_.value(i); }

  // Sorting (list_sort.cc): column 0 by the row text, column 1 by the date
  // value (an empty stamp is the zero date), column 2 by the size (an
  // unknown size before every other); stable, the rows themselves
  // reorder.  Rows stay in the order they were added until a sort; clearing
  // or appending returns to that state (SortColumn() -1).
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  // What a click on the header of `column` does: sorts ascending, or
  // reverses when the list is already sorted ascending by that column.
  void SortByClick(int column);
  int SortColumn() const { return sort_column_; }
  Qt::SortOrder SortOrder() const { return sort_order_; }

 signals:
  void SortChanged(int column, Qt::SortOrder order);
  // The totals changed.
  void TotalsChanged();

 private:
  // A row: bit 31 its tick, bit 30 set when its text is the list's own
  // (below that, an index into own_), clear when it is at a position of
  // source_.
  static constexpr std::uint32_t kChecked = 1u << 31;
  static constexpr std::uint32_t kOwn = 1u << 30;
  static constexpr std::uint32_t kIndex = kOwn - 1;
  struct OwnRow {
    QString text;
    QString sub_text;
    double stamp = 0;
    SubKind sub_kind = kNoSub;
    FileId id;
    std::int64_t size = -1;
  };
  friend struct RowTexts;  // list_sort.cc

  // A row's size as the totals count it.
  ByteCount Counted(int i) const {
    return static_cast<ByteCount>(std::max<std::int64_t>(0, Size(i)));
  }

  void ForgetSort();
  std::uint32_t AddOwn(OwnRow row);
  // Makes row i a row of its own, so its identity can change.
  OwnRow& MakeOwn(int i);

  std::vector<std::uint32_t> rows_;
  std::vector<OwnRow> own_;
  std::shared_ptr<const ListSource> source_;
  QStringList headers_;
  bool checkable_ = false;
  bool draggable_ = false;
  int sort_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
  ByteCount total_bytes_ = 0;
  int checked_count_ = 0;
  ByteCount checked_bytes_ = 0;
};

class ListView : public QTableView {
  Q_OBJECT

 public:
  explicit ListView(QWidget* parent = nullptr, bool checkboxes = false);

  // The column headers.
  QHeaderView* header() const { return horizontalHeader(); }

  ListModel* Model() const { return model_; }

  // Items, numbered from 1.
  int ItemCount() const { return model_->Count(); }
  QString ItemText(int position) const;  // fails past the end
  // The identity of the file the row lists (unknown for plain rows).
  FileId ItemId(int position) const;
  void SetItemId(int position, const FileId& id);
  int AddItem(const QString& text);  // returns the new position
  void AddItems(std::vector<ListModel::NewRow>&& rows);
  // The rows at `positions` of `source`, as ListModel::AppendSourceRows.
  void AddSourceItems(std::shared_ptr<const ListSource> source,
                      std::vector<std::uint32_t>&& positions,
                      std::optional<ByteCount> sizes_total = std::nullopt) {
    model_->AppendSourceRows(std::move(source), std::move(positions), sizes_total);
  }
  void RemoveItem(int position);  // fails past the end
  void RemoveItems(const std::vector<int>& positions);
  void ClearItems();
  QString SubItemText(int position) const;
  bool Checked(int position) const;
  void SetChecked(int position, bool checked);
  void SetAllChecked(bool checked);
  // The selected row, or 0 when none is.
  int SelectedItem() const;
  // Every selected row, in row order; the row with the focus frame (0 when
  // none has it).
  std::vector<int> SelectedItems() const;
  int CurrentItem() const;
  // Where a menu for the current row opens: its left end, or the list's
  // top left corner when no row is current (viewport coordinates).
  QPoint CurrentRowPoint() const;
  void SelectItem(int position);

  // Column headers, numbered from 1.
  int ColumnCount() const { return model_->ColumnCount(); }
  void AddColumn(const QString& caption);
  void RemoveColumn(int position);
  QString ColumnCaption(int position) const;
  void SetColumnWidthTwips(int position, int twips);
  void SetColumnWidthPixels(int position, int pixels);
  int ColumnWidthTwips(int position) const;
  // A click on a column header sorts the rows by that column (ListModel::
  // SortByClick) and shows the order in the header; while `may_sort` is
  // given and answers false, a click leaves the rows as they are.
  void SetSortable(bool sortable, std::function<bool()> may_sort = {});

  void Refresh();

 signals:
  void DblClick();
  // A double-click on a row (after DblClick).
  void RowDoubleClicked(int position);
  // Windows virtual-key code (46 for Delete) and shift state (1 shift,
  // 2 control, 4 alt).
  void KeyDown(int key_code, int shift);
  // The user dragged a column divider (not a width the program set).
  void ColumnResizedByUser();

 protected:
  void changeEvent(QEvent* event) override;
  void FitHeaderBackground();
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CheckPosition(int position) const;
  void NameAfterHeader();
  // Rows as high as one line of text beside a check box.
  void FitRowHeight();
  // Space on a list with check boxes: every selected row takes the state the
  // current row does not have.
  void TickSelected();
  ListModel* model_;
  std::function<bool()> may_sort_;
  int setting_widths_ = 0;  // widths being set by the program, not the user
};

// Maps a Qt key to the Windows virtual-key code the handlers test.
int VirtualKeyCode(int qt_key);

}  // namespace qm

#endif  // QUENMOOR_APP_LIST_VIEW_H_
