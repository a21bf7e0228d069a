// The list control: a report-view list with column headers, text rows and,
// optionally, a check box per row.  Rows are numbered from 1.
//
// The rows live in a table model behind a QTreeView, so a list of a million
// rows costs one small record per row: rows are appended in batches, ticking
// or unticking every row is one pass, and removing many rows is one
// compaction rather than one shift per row.
#ifndef QUENMOOR_APP_LIST_VIEW_H_
#define QUENMOOR_APP_LIST_VIEW_H_

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/file_id.h"

namespace qm {

class ListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // A row's first sub-item: nothing, a text, or a date value shown through
  // the stamp formatter (an empty stamp shows as an empty cell).
  enum SubKind : std::uint8_t { kNoSub, kTextSub, kStampSub, kEmptyStampSub };

  struct Row {
    QString text;
    QString sub_text;
    double stamp = 0;
    SubKind sub_kind = kNoSub;
    bool checked = false;
    FileId id;  // the listed file's identity, when the row lists a found file
  };

  // What a new row of a batch holds.
  struct NewRow {
    QString text;
    double stamp = 0;
    SubKind sub_kind = kNoSub;
    FileId id = {};
  };

  explicit ListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetCheckable(bool checkable) { checkable_ = checkable; }
  static void SetStampFormatter(std::function<QString(double, bool)> formatter);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Positions below are 0-based; ListView converts.
  int Count() const { return static_cast<int>(rows_.size()); }
  const Row& At(int i) const { return rows_[static_cast<size_t>(i)]; }
  int Append(const QString& text);
  void AppendBatch(std::vector<NewRow>&& rows);
  // Appends `count` rows in one insertion, each made by calling next(),
  // which returns a NewRow; the rows go straight into the list, with no
  // batch held beside it.
  template <class Next>
  void AppendRows(int count, Next&& next);
  void SetSubText(int i, const QString& text);
  void SetSubStamp(int i, double value, bool empty);
  void SetChecked(int i, bool checked);
  void SetId(int i, const FileId& id) { rows_[static_cast<size_t>(i)].id = id; }
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
  // value (an empty stamp is the zero date); stable, the rows themselves
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

 private:
  void ForgetSort();

  std::vector<Row> rows_;
  QStringList headers_;
  bool checkable_ = false;
  int sort_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

class ListView : public QTreeView {
  Q_OBJECT

 public:
  explicit ListView(QWidget* parent = nullptr, bool checkboxes = false);

  ListModel* Model() const { return model_; }

  // Items, numbered from 1.
  int ItemCount() const { return model_->Count(); }
  QString ItemText(int position) const;              // fails past the end
  // The identity of the file the row lists (unknown for plain rows).
  FileId ItemId(int position) const;
  void SetItemId(int position, const FileId& id);
  int AddItem(const QString& text);                  // returns the new position
  void AddItems(std::vector<ListModel::NewRow>&& rows);
  // `count` rows from next(), as ListModel::AppendRows.
  template <class Next>
  void AddItems(int count, Next&& next) {
    model_->AppendRows(count, std::forward<Next>(next));
  }
  void RemoveItem(int position);                     // fails past the end
  void RemoveItems(const std::vector<int>& positions);
  void ClearItems();
  void SetSubItemText(int position, const QString& text);
  void SetSubItemStamp(int position, double value, bool empty);
  QString SubItemText(int position) const;
  bool Checked(int position) const;
  void SetChecked(int position, bool checked);
  void SetAllChecked(bool checked);
  // The selected row, or 0 when none is.
  int SelectedItem() const;
  void SelectItem(int position);

  // Column headers, numbered from 1.
  int ColumnCount() const { return model_->ColumnCount(); }
  void AddColumn(const QString& caption);
  void RemoveColumn(int position);
  QString ColumnCaption(int position) const;
  void SetColumnWidthTwips(int position, int twips);
  int ColumnWidthTwips(int position) const;
  // A click on a column header sorts the rows by that column (ListModel::
  // SortByClick) and shows the order in the header.
  void SetSortable(bool sortable);

  void Refresh();

 signals:
  void DblClick();
  // Windows virtual-key code (46 for Delete) and shift state (1 shift,
  // 2 control, 4 alt).
  void KeyDown(int key_code, int shift);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CheckPosition(int position) const;
  void NameAfterHeader();
  ListModel* model_;
};

template <class Next>
void ListModel::AppendRows(int count, Next&& next) {
  if (count <= 0) return;
  ForgetSort();
  const int first = Count();
  beginInsertRows(QModelIndex(), first, first + count - 1);
  rows_.reserve(rows_.size() + static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    NewRow r = next();
    Row row;
    row.text = std::move(r.text);
    row.stamp = r.stamp;
    row.sub_kind = r.sub_kind;
    row.id = r.id;
    rows_.push_back(std::move(row));
  }
  endInsertRows();
}

// Maps a Qt key to the Windows virtual-key code the handlers test.
int VirtualKeyCode(int qt_key);

}  // namespace qm

#endif  // QUENMOOR_APP_LIST_VIEW_H_
