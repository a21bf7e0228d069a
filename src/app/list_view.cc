// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/list_view.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QUrl>
#include <algorithm>

#include "app/status_text.h"
#include "platform/failure.h"

namespace qm {
namespace {
std::function<QString(double, bool)>& StampFormatter() {
  static std::function<QString(double, bool)> formatter;
  return formatter;
}
// Past this many separate runs of rows, a removal rebuilds the list in one
// pass instead of announcing each run.
const size_t kMaxRemovalRuns = 64;

// The first column's texts are cut where the column ends (the user drags
// its divider to read more); a date or size that does not fit shows that
// it is cut, with an ellipsis.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = index.column() == 0 ? Qt::ElideNone : Qt::ElideRight;
  }
};
}  // namespace

void ListModel::SetStampFormatter(std::function<QString(double, bool)> formatter) {
  StampFormatter() = std::move(formatter);
}

QString ListModel::FormatStamp(double value, bool empty) {
  return StampFormatter() ? StampFormatter()(value, empty) : QString();
}

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QString ListModel::Text(int i) const {
  const std::uint32_t row = rows_[static_cast<size_t>(i)];
  if (row & kOwn) return own_[row & kIndex].text;
  std::string_view first, second;
  source_->TextParts(row & kIndex, &first, &second);
  QString text = QString::fromUtf8(first.data(), static_cast<qsizetype>(first.size()));
  text += QString::fromUtf8(second.data(), static_cast<qsizetype>(second.size()));
  return text;
}

FileId ListModel::Id(int i) const {
  const std::uint32_t row = rows_[static_cast<size_t>(i)];
  return row & kOwn ? own_[row & kIndex].id : source_->IdAt(row & kIndex);
}

ListModel::SubKind ListModel::Sub(int i) const {
  const std::uint32_t row = rows_[static_cast<size_t>(i)];
  if (row & kOwn) return own_[row & kIndex].sub_kind;
  bool empty = false;
  source_->DateAt(row & kIndex, &empty);
  return empty ? kEmptyStampSub : kStampSub;
}

std::int64_t ListModel::Size(int i) const {
  const std::uint32_t row = rows_[static_cast<size_t>(i)];
  if (row & kOwn) return own_[row & kIndex].size;
  return source_->SizeAt(row & kIndex);
}

double ListModel::Stamp(int i) const {
  const std::uint32_t row = rows_[static_cast<size_t>(i)];
  if (row & kOwn) return own_[row & kIndex].stamp;
  bool empty = false;
  return source_->DateAt(row & kIndex, &empty);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return QVariant();
  const int i = index.row();
  // No tool tip per row: over the rows, the list's own tool tip shows.
  if (role == Qt::DisplayRole) {
    if (index.column() == 0) return Text(i);
    if (index.column() == 1) {
      const std::uint32_t row = rows_[static_cast<size_t>(i)];
      const SubKind kind = Sub(i);
      switch (kind) {
        case kTextSub:
          return own_[row & kIndex].sub_text;
        case kStampSub:
        case kEmptyStampSub:
          return StampFormatter() ? StampFormatter()(Stamp(i), kind == kEmptyStampSub) : QString();
        default:
          return QString();
      }
    }
    if (index.column() == 2) {
      const std::int64_t size = Size(i);
      return size < 0 ? QString() : SizeText(size);
    }
    return QVariant();
  }
  if (role == Qt::TextAlignmentRole && index.column() == 2) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role == Qt::CheckStateRole && checkable_ && index.column() == 0) {
    return Checked(i) ? Qt::Checked : Qt::Unchecked;
  }
  // Screen readers say whether a row is ticked, not only when it is.
  if (role == Qt::AccessibleDescriptionRole && checkable_ && index.column() == 0) {
    return Checked(i) ? QCoreApplication::translate("qm::ListView", "ticked")
                      : QCoreApplication::translate("qm::ListView", "not ticked");
  }
  return QVariant();
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !checkable_ || !index.isValid() || index.column() != 0) {
    return false;
  }
  SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headers_.value(section);
  return QVariant();
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (checkable_ && index.column() == 0) f |= Qt::ItemIsUserCheckable;
  if (draggable_) f |= Qt::ItemIsDragEnabled;
  return f;
}

QStringList ListModel::mimeTypes() const {
  return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

QMimeData* ListModel::mimeData(const QModelIndexList& indexes) const {
  // One entry per row, however many of its cells are selected, in row order.
  std::vector<int> rows;
  for (const QModelIndex& index : indexes) {
    if (index.isValid()) rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  QList<QUrl> urls;
  QStringList paths;
  for (int row : rows) {
    const QString path = Text(row);
    urls << QUrl::fromLocalFile(path);
    paths << path;
  }
  auto* data = new QMimeData;
  data->setUrls(urls);
  data->setText(paths.join(QLatin1Char('\n')));
  return data;
}

Qt::DropActions ListModel::supportedDragActions() const {
  // Not moved: the list would go on naming files that are gone.
  return Qt::CopyAction | Qt::LinkAction;
}

std::uint32_t ListModel::AddOwn(OwnRow row) {
  own_.push_back(std::move(row));
  return kOwn | static_cast<std::uint32_t>(own_.size() - 1);
}

ListModel::OwnRow& ListModel::MakeOwn(int i) {
  std::uint32_t& row = rows_[static_cast<size_t>(i)];
  if (!(row & kOwn)) {
    OwnRow own;
    own.text = Text(i);
    own.stamp = Stamp(i);
    own.sub_kind = Sub(i);
    own.id = Id(i);
    own.size = Size(i);
    row = (row & kChecked) | AddOwn(std::move(own));
  }
  return own_[row & kIndex];
}

int ListModel::Append(const QString& text) {
  ForgetSort();
  int i = Count();
  beginInsertRows(QModelIndex(), i, i);
  OwnRow row;
  row.text = text;
  rows_.push_back(AddOwn(std::move(row)));
  endInsertRows();
  return i;
}

void ListModel::AppendBatch(std::vector<NewRow>&& rows) {
  if (rows.empty()) return;
  ForgetSort();
  const int first = Count();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
  rows_.reserve(rows_.size() + rows.size());
  own_.reserve(own_.size() + rows.size());
  for (NewRow& r : rows) {
    OwnRow row;
    row.text = std::move(r.text);
    row.stamp = r.stamp;
    row.sub_kind = r.sub_kind;
    row.id = r.id;
    row.size = r.size;
    total_bytes_ += static_cast<ByteCount>(std::max<std::int64_t>(0, r.size));
    rows_.push_back(AddOwn(std::move(row)));
  }
  endInsertRows();
  emit TotalsChanged();
}

void ListModel::AppendSourceRows(std::shared_ptr<const ListSource> source,
                                 std::vector<std::uint32_t>&& positions,
                                 std::optional<ByteCount> sizes_total) {
  if (source != source_) {
    // The rows of the source shown so far keep their texts.
    for (int i = 0; i < Count(); ++i) MakeOwn(i);
    source_ = std::move(source);
  }
  if (positions.empty()) return;
  ForgetSort();
  if (sizes_total) {
    total_bytes_ += *sizes_total;
  } else {
    for (std::uint32_t p : positions) {
      total_bytes_ += static_cast<ByteCount>(std::max<std::int64_t>(0, source_->SizeAt(p)));
    }
  }
  emit TotalsChanged();
  if (rows_.empty()) {
    // Into an empty list the rows go as a new list: the view then sizes its
    // rows in one step rather than announcing each one inserted, which
    // takes several times as long for a million.
    beginResetModel();
    rows_ = std::move(positions);
    endResetModel();
    return;
  }
  const int first = Count();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(positions.size()) - 1);
  rows_.insert(rows_.end(), positions.begin(), positions.end());
  endInsertRows();
}

void ListModel::SetId(int i, const FileId& id) { MakeOwn(i).id = id; }

void ListModel::SetChecked(int i, bool checked) {
  std::uint32_t& row = rows_[static_cast<size_t>(i)];
  const bool was = (row & kChecked) != 0;
  row = checked ? row | kChecked : row & ~kChecked;
  QModelIndex at = index(i, 0);
  emit dataChanged(at, at, {Qt::CheckStateRole, Qt::AccessibleDescriptionRole});
  if (was != checked) {
    checked_count_ += checked ? 1 : -1;
    if (checked) {
      checked_bytes_ += Counted(i);
    } else {
      checked_bytes_ -= Counted(i);
    }
    emit TotalsChanged();
  }
}

void ListModel::SetAllChecked(bool checked) {
  if (rows_.empty()) return;
  for (std::uint32_t& row : rows_) row = checked ? row | kChecked : row & ~kChecked;
  checked_count_ = checked ? Count() : 0;
  checked_bytes_ = checked ? total_bytes_ : 0;
  emit dataChanged(index(0, 0), index(Count() - 1, 0),
                   {Qt::CheckStateRole, Qt::AccessibleDescriptionRole});
  emit TotalsChanged();
}

void ListModel::Remove(int i) {
  beginRemoveRows(QModelIndex(), i, i);
  const ByteCount size = Counted(i);
  total_bytes_ -= size;
  if (Checked(i)) {
    --checked_count_;
    checked_bytes_ -= size;
  }
  rows_.erase(rows_.begin() + i);
  endRemoveRows();
  emit TotalsChanged();
}

void ListModel::RemoveMany(std::vector<int> positions) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  positions.erase(std::remove_if(positions.begin(), positions.end(),
                                 [this](int p) { return p < 0 || p >= Count(); }),
                  positions.end());
  if (positions.empty()) return;
  for (int p : positions) {
    const ByteCount size = Counted(p);
    total_bytes_ -= size;
    if (Checked(p)) {
      --checked_count_;
      checked_bytes_ -= size;
    }
  }
  // Group into runs of consecutive rows.
  std::vector<std::pair<int, int>> runs;
  for (int p : positions) {
    if (!runs.empty() && runs.back().second + 1 == p) {
      runs.back().second = p;
    } else {
      runs.emplace_back(p, p);
    }
  }
  if (runs.size() <= kMaxRemovalRuns) {
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
      beginRemoveRows(QModelIndex(), it->first, it->second);
      rows_.erase(rows_.begin() + it->first, rows_.begin() + it->second + 1);
      endRemoveRows();
    }
    emit TotalsChanged();
    return;
  }
  beginResetModel();
  size_t out = 0;
  size_t next = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (next < positions.size() && static_cast<size_t>(positions[next]) == i) {
      ++next;
      continue;
    }
    rows_[out++] = rows_[i];
  }
  rows_.resize(out);
  endResetModel();
  emit TotalsChanged();
}

void ListModel::Clear() {
  ForgetSort();
  if (!rows_.empty()) {
    beginResetModel();
    std::vector<std::uint32_t>().swap(rows_);
    endResetModel();
  }
  // The search whose rows these were can go now.
  std::vector<OwnRow>().swap(own_);
  source_.reset();
  total_bytes_ = 0;
  checked_count_ = 0;
  checked_bytes_ = 0;
  emit TotalsChanged();
}

void ListModel::AddColumn(const QString& caption) {
  int i = headers_.size();
  beginInsertColumns(QModelIndex(), i, i);
  headers_.append(caption);
  endInsertColumns();
}

void ListModel::RemoveColumn(int i) {
  beginRemoveColumns(QModelIndex(), i, i);
  headers_.removeAt(i);
  endRemoveColumns();
}

ListView::ListView(QWidget* parent, bool checkboxes)
    : QTableView(parent), model_(new ListModel(this)) {
  model_->SetCheckable(checkboxes);
  setModel(model_);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  FitRowHeight();
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideNone);
  setItemDelegate(new CellDelegate(this));
  // Tab and Shift+Tab leave the list for the next control.
  setTabKeyNavigation(false);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  header()->setHighlightSections(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitHeaderBackground();
  connect(header(), &QHeaderView::sectionResized, this, [this] {
    if (setting_widths_ == 0) emit ColumnResizedByUser();
  });
}

void ListView::FitHeaderBackground() {
  // The header's empty area right of its last column is drawn in the
  // window colour, which this window makes white: it takes the list's own
  // background instead, under a light scheme and a dark one alike.
  QPalette p = header()->palette();
  p.setColor(QPalette::Window, palette().color(QPalette::Base));
  header()->setPalette(p);
}

void ListView::FitRowHeight() {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
  option.text = QStringLiteral("Xg");
  const int height =
      style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
  verticalHeader()->setDefaultSectionSize(height);
}

void ListView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitRowHeight();
  if (event->type() == QEvent::PaletteChange) FitHeaderBackground();
}

void ListView::CheckPosition(int position) const {
  if (position < 1 || position > model_->Count()) throw Failure(kErrInvalidCall);
}

QString ListView::ItemText(int position) const {
  CheckPosition(position);
  return model_->Text(position - 1);
}

FileId ListView::ItemId(int position) const {
  CheckPosition(position);
  return model_->Id(position - 1);
}

void ListView::SetItemId(int position, const FileId& id) {
  CheckPosition(position);
  model_->SetId(position - 1, id);
}

int ListView::AddItem(const QString& text) { return model_->Append(text) + 1; }

void ListView::AddItems(std::vector<ListModel::NewRow>&& rows) {
  model_->AppendBatch(std::move(rows));
}

void ListView::RemoveItem(int position) {
  CheckPosition(position);
  model_->Remove(position - 1);
}

void ListView::RemoveItems(const std::vector<int>& positions) {
  std::vector<int> zero_based;
  zero_based.reserve(positions.size());
  for (int p : positions) zero_based.push_back(p - 1);
  model_->RemoveMany(std::move(zero_based));
}

void ListView::ClearItems() { model_->Clear(); }

QString ListView::SubItemText(int position) const {
  CheckPosition(position);
  return model_->data(model_->index(position - 1, 1), Qt::DisplayRole).toString();
}

bool ListView::Checked(int position) const {
  CheckPosition(position);
  return model_->Checked(position - 1);
}

void ListView::SetChecked(int position, bool checked) {
  CheckPosition(position);
  model_->SetChecked(position - 1, checked);
}

void ListView::SetAllChecked(bool checked) { model_->SetAllChecked(checked); }

int ListView::SelectedItem() const {
  QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty()) return 0;
  return rows.first().row() + 1;
}

std::vector<int> ListView::SelectedItems() const {
  std::vector<int> out;
  for (const QModelIndex& at : selectionModel()->selectedRows()) out.push_back(at.row() + 1);
  std::sort(out.begin(), out.end());
  return out;
}

int ListView::CurrentItem() const {
  const QModelIndex at = currentIndex();
  return at.isValid() ? at.row() + 1 : 0;
}

QPoint ListView::CurrentRowPoint() const {
  const QModelIndex at = currentIndex();
  if (!at.isValid()) return QPoint(0, 0);
  const QRect row = visualRect(model_->index(at.row(), 0));
  return QPoint(std::max(0, row.left()), std::max(0, row.bottom()));
}

void ListView::SelectItem(int position) {
  CheckPosition(position);
  QModelIndex at = model_->index(position - 1, 0);
  setCurrentIndex(at);
  selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::AddColumn(const QString& caption) {
  ++setting_widths_;
  model_->AddColumn(caption);
  --setting_widths_;
  NameAfterHeader();
}

void ListView::RemoveColumn(int position) {
  if (position < 1 || position > model_->ColumnCount()) throw Failure(kErrInvalidCall);
  ++setting_widths_;
  model_->RemoveColumn(position - 1);
  --setting_widths_;
  NameAfterHeader();
}

void ListView::NameAfterHeader() {
  // Screen readers call the list by its first column's header; a list
  // without columns keeps the name it had.
  if (model_->ColumnCount() > 0) setAccessibleName(model_->ColumnCaption(0));
}

QString ListView::ColumnCaption(int position) const {
  if (position < 1 || position > model_->ColumnCount()) throw Failure(kErrInvalidCall);
  return model_->ColumnCaption(position - 1);
}

void ListView::SetColumnWidthTwips(int position, int twips) {
  SetColumnWidthPixels(position, twips / 15);
}

void ListView::SetColumnWidthPixels(int position, int pixels) {
  if (position < 1 || position > model_->ColumnCount()) throw Failure(kErrInvalidCall);
  ++setting_widths_;
  setColumnWidth(position - 1, pixels);
  --setting_widths_;
}

int ListView::ColumnWidthTwips(int position) const { return columnWidth(position - 1) * 15; }

void ListView::SetSortable(bool sortable, std::function<bool()> may_sort) {
  header()->setSectionsClickable(sortable);
  disconnect(header(), &QHeaderView::sectionClicked, this, nullptr);
  disconnect(model_, &ListModel::SortChanged, header(), nullptr);
  may_sort_ = std::move(may_sort);
  if (!sortable) {
    header()->setSortIndicatorShown(false);
    return;
  }
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (!may_sort_ || may_sort_()) model_->SortByClick(column);
  });
  connect(model_, &ListModel::SortChanged, header(), [this](int column, Qt::SortOrder order) {
    header()->setSortIndicatorShown(column >= 0);
    header()->setSortIndicator(column, order);
  });
}

void ListView::Refresh() { viewport()->update(); }

void ListView::mousePressEvent(QMouseEvent* event) {
  // A press on the empty part below the rows leaves the selection as it
  // was (the view would clear it), so the row selected before stays the
  // selected one.
  if (!indexAt(event->position().toPoint()).isValid()) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double-click anywhere in the list raises DblClick, also on its empty
  // part.  On a row, the view has selected that row by then; on the empty
  // part the selection is left alone (see mousePressEvent), so the handler
  // acts on the row that was selected before.
  const QModelIndex at = indexAt(event->position().toPoint());
  QTableView::mouseDoubleClickEvent(event);
  emit DblClick();
  if (at.isValid()) emit RowDoubleClicked(at.row() + 1);
}

void ListView::keyPressEvent(QKeyEvent* event) {
  int shift = 0;
  if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
  if (event->modifiers() & Qt::ControlModifier) shift |= 2;
  if (event->modifiers() & Qt::AltModifier) shift |= 4;
  emit KeyDown(VirtualKeyCode(event->key()), shift);
  if (model_->Checkable() && event->key() == Qt::Key_Space && shift == 0) {
    TickSelected();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void ListView::TickSelected() {
  const int current = CurrentItem();
  std::vector<int> rows = SelectedItems();
  if (current > 0 && !selectionModel()->isRowSelected(current - 1, QModelIndex())) {
    rows.assign(1, current);
  }
  if (rows.empty()) return;
  const bool tick = !model_->Checked((current > 0 ? current : rows.front()) - 1);
  for (int row : rows) {
    if (model_->Checked(row - 1) != tick) model_->SetChecked(row - 1, tick);
  }
}

int VirtualKeyCode(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return qt_key;  // 65..90
      if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return qt_key;  // 48..57
      if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return 112 + (qt_key - Qt::Key_F1);
      return 0;
  }
}

}  // namespace qm
