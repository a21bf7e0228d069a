// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/list_view.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"

namespace qm {
namespace {

TEST(ListViewTest, PositionsCountFromOneAndCloseUpAfterARemoval) {
  ListView list(nullptr, true);
  list.AddColumn("A");
  for (const char* t : {"one", "two", "three"}) list.AddItem(t);
  list.RemoveItem(2);
  EXPECT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.ItemText(2), QStringLiteral("three"));
  EXPECT_THROW(list.ItemText(3), Failure);
  EXPECT_THROW(list.RemoveItem(0), Failure);
}

TEST(ListViewTest, ColumnsAndSubItemsAndTicks) {
  ListView list(nullptr, true);
  list.AddColumn("Results");
  list.AddItem("/a");
  list.RemoveColumn(1);
  EXPECT_EQ(list.accessibleName(), QStringLiteral("Results"));  // no columns: kept
  list.AddColumn("File(s) Found");
  list.AddColumn("Date Modified");
  // Screen readers call the list by its first header.
  QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&list);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral("File(s) Found"));
  int row = list.AddItem("/b");
  EXPECT_EQ(list.SubItemText(row), QString());  // a plain row has no date
  EXPECT_EQ(list.ColumnCount(), 2);
  EXPECT_EQ(list.ColumnCaption(2), QStringLiteral("Date Modified"));
  list.SetChecked(1, true);
  EXPECT_TRUE(list.Checked(1));
  EXPECT_FALSE(list.Checked(2));
  list.SetAllChecked(true);
  EXPECT_TRUE(list.Checked(2));
  // The view ticks a row through the model, as a click on its box does.
  QModelIndex box = list.Model()->index(0, 0);
  list.Model()->setData(box, Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_FALSE(list.Checked(1));
}

TEST(ListViewTest, RemovingManyRowsKeepsTheOthersInOrderWithTheirTicks) {
  ListView list(nullptr, true);
  list.AddColumn("A");
  std::vector<ListModel::NewRow> rows;
  for (int i = 1; i <= 1000; ++i) rows.push_back({QString::number(i), 0, ListModel::kNoSub});
  list.AddItems(std::move(rows));
  std::vector<int> odd;
  for (int p = 1; p <= 1000; p += 2) odd.push_back(p);
  list.SetChecked(2, true);
  list.RemoveItems(odd);  // many runs: one compaction
  ASSERT_EQ(list.ItemCount(), 500);
  EXPECT_EQ(list.ItemText(1), QStringLiteral("2"));
  EXPECT_TRUE(list.Checked(1));
  EXPECT_EQ(list.ItemText(500), QStringLiteral("1000"));
  list.RemoveItems({1, 2, 500, 500, 9999});  // few runs, duplicates and strays ignored
  EXPECT_EQ(list.ItemCount(), 497);
  EXPECT_EQ(list.ItemText(1), QStringLiteral("6"));
}

// Clicks the header of column `position` (from 1), as the user does.
void ClickHeader(ListView& list, int position) {
  QHeaderView* header = list.header();
  const int x =
      header->sectionViewportPosition(position - 1) + header->sectionSize(position - 1) / 2;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

TEST(ListViewTest, AHeaderClickSortsByPathOrDateValueAndAgainReverses) {
  ListView list(nullptr, true);
  list.SetSortable(true);
  list.AddColumn("File(s) Found");
  list.AddColumn("Date Modified");
  // Paths, date values (-1 for an empty stamp) as a search adds them.
  struct R {
    const char* path;
    double stamp;
  };
  const R added[] = {
      {"/b/x", 45000.5}, {"/a/y", 9.25}, {"/B/z", -1}, {"/c/w", 45000.5}, {"/a/x", 45000.25}};
  std::vector<ListModel::NewRow> rows;
  for (const R& r : added) {
    rows.push_back({r.path, r.stamp < 0 ? 0 : r.stamp,
                    r.stamp < 0 ? ListModel::kEmptyStampSub : ListModel::kStampSub});
  }
  list.AddItems(std::move(rows));
  list.resize(500, 300);
  list.show();
  list.SetChecked(2, true);  // "/a/y"
  list.SelectItem(4);        // "/c/w"
  auto texts = [&list] {
    QStringList out;
    for (int i = 1; i <= list.ItemCount(); ++i) out << list.ItemText(i);
    return out.join(' ');
  };
  EXPECT_EQ(texts(), QStringLiteral("/b/x /a/y /B/z /c/w /a/x"));  // as added
  EXPECT_FALSE(list.header()->isSortIndicatorShown());

  ClickHeader(list, 1);
  EXPECT_EQ(texts(), QStringLiteral("/B/z /a/x /a/y /b/x /c/w"));
  EXPECT_TRUE(list.header()->isSortIndicatorShown());
  EXPECT_EQ(list.header()->sortIndicatorSection(), 0);
  ClickHeader(list, 1);
  EXPECT_EQ(texts(), QStringLiteral("/c/w /b/x /a/y /a/x /B/z"));
  EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);

  // By the date itself, the empty stamp as the zero date; equal dates keep
  // the order they were shown in.
  ClickHeader(list, 2);
  EXPECT_EQ(texts(), QStringLiteral("/B/z /a/y /a/x /c/w /b/x"));
  EXPECT_EQ(list.SubItemText(1), QString());
  ClickHeader(list, 2);
  EXPECT_EQ(texts(), QStringLiteral("/c/w /b/x /a/x /a/y /B/z"));
  // The tick and the selection went with their rows.
  for (int i = 1; i <= list.ItemCount(); ++i) {
    EXPECT_EQ(list.Checked(i), list.ItemText(i) == QStringLiteral("/a/y")) << i;
  }
  EXPECT_EQ(list.ItemText(list.SelectedItem()), QStringLiteral("/c/w"));

  // Rows added to a sorted list, or a cleared list, show no order.
  list.AddItem("/0");
  EXPECT_EQ(list.Model()->SortColumn(), -1);
  EXPECT_FALSE(list.header()->isSortIndicatorShown());
  ClickHeader(list, 2);
  list.ClearItems();
  EXPECT_FALSE(list.header()->isSortIndicatorShown());
  ClickHeader(list, 1);  // an empty list has nothing to order
  EXPECT_EQ(list.Model()->SortColumn(), -1);
}

// Rows kept outside the list, as a search's found files are: each text as a
// folder and a name in UTF-8, with a date value.
class TestSource : public ListSource {
 public:
  struct File {
    std::string folder, name;
    double date;
    bool empty;
  };
  std::vector<File> files;
  std::size_t Size() const override { return files.size(); }
  void TextParts(std::size_t i, std::string_view* folder, std::string_view* name) const override {
    *folder = files[i].folder;
    *name = files[i].name;
  }
  double DateAt(std::size_t i, bool* empty) const override {
    *empty = files[i].empty;
    return files[i].date;
  }
  FileId IdAt(std::size_t i) const override {
    FileId id;
    id.ino = i + 1;
    return id;
  }
  std::int64_t SizeAt(std::size_t i) const override { return i < sizes.size() ? sizes[i] : -1; }
  std::vector<std::int64_t> sizes;
};

TEST(ListViewTest, SizesSortStablyAndTheTotalsFollowTicksAndRemovals) {
  ListView list(nullptr, true);
  list.SetSortable(true);
  for (const char* c : {"File(s) Found", "Date Modified", "Size"}) list.AddColumn(c);
  auto source = std::make_shared<TestSource>();
  source->files = {{"/", "a", 1, false},
                   {"/", "b", 1, false},
                   {"/", "c", 1, false},
                   {"/", "d", 1, false},
                   {"/", "e", 1, false}};
  source->sizes = {300, -1, 5000000000, 300, 7};  // one unknown, one past 32 bits
  list.AddSourceItems(source, {0, 1, 2, 3, 4});
  ListModel* m = list.Model();
  EXPECT_EQ(m->TotalBytes(), 5000000607);
  EXPECT_EQ(m->data(m->index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("300 bytes"));
  EXPECT_EQ(m->data(m->index(2, 2), Qt::DisplayRole).toString(), QStringLiteral("5.0 GB"));
  EXPECT_EQ(m->data(m->index(1, 2), Qt::DisplayRole).toString(), QString());  // unknown
  auto texts = [&list] {
    QString out;
    for (int i = 1; i <= list.ItemCount(); ++i) out += list.ItemText(i).mid(1);
    return out;
  };
  m->SortByClick(2);
  EXPECT_EQ(texts(), QStringLiteral("beadc"));  // the unknown first, equal sizes in order
  m->SortByClick(2);
  EXPECT_EQ(texts(), QStringLiteral("cadeb"));

  list.SetChecked(1, true);  // c
  list.SetChecked(1, true);  // again: counted once
  list.SetChecked(5, true);  // b, of unknown size
  EXPECT_EQ(m->CheckedCount(), 2);
  EXPECT_EQ(m->CheckedBytes(), 5000000000);
  list.RemoveItems({1, 2});  // c (ticked) and a
  EXPECT_EQ(m->TotalBytes(), 307);
  EXPECT_EQ(m->CheckedCount(), 1);
  EXPECT_EQ(m->CheckedBytes(), 0);
  list.SetAllChecked(true);
  EXPECT_EQ(m->CheckedCount(), 3);
  EXPECT_EQ(m->CheckedBytes(), 307);
  list.RemoveItem(1);  // d
  EXPECT_EQ(m->CheckedBytes(), 7);
  list.SetAllChecked(false);
  EXPECT_EQ(m->CheckedCount(), 0);
  list.ClearItems();
  EXPECT_EQ(m->TotalBytes(), 0);
  // Sizes that add up past 64 bits do not wrap.
  auto huge = std::make_shared<TestSource>();
  huge->files = {{"/", "x", 1, false}, {"/", "y", 1, false}};
  huge->sizes = {INT64_MAX, INT64_MAX};
  list.AddSourceItems(huge, {0, 1});
  list.SetAllChecked(true);
  EXPECT_TRUE(m->TotalBytes() == 2 * static_cast<ByteCount>(INT64_MAX));
  EXPECT_TRUE(m->CheckedBytes() == m->TotalBytes());
}

TEST(ListViewTest, SpaceTicksTheSelectedRowsAndTabLeavesTheList) {
  QWidget window;
  auto* list = new ListView(&window, true);
  auto* after = new QPushButton(QStringLiteral("after"), &window);
  after->move(0, 320);
  list->resize(400, 300);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->AddColumn("File(s) Found");
  for (const char* t : {"/a", "/b", "/c", "/d"}) list->AddItem(t);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  list->setFocus();
  list->SelectItem(2);
  list->selectionModel()->select(list->Model()->index(2, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_FALSE(list->Checked(1));
  EXPECT_TRUE(list->Checked(2));
  EXPECT_TRUE(list->Checked(3));
  EXPECT_FALSE(list->Checked(4));
  // A screen reader hears each row as ticked or not.
  QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(list);
  ASSERT_NE(reader, nullptr);
  QAccessibleTableInterface* table = reader->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Description), QStringLiteral("not ticked"));
  EXPECT_EQ(table->cellAt(1, 0)->text(QAccessible::Description), QStringLiteral("ticked"));
  EXPECT_TRUE(table->cellAt(1, 0)->state().checked);
  EXPECT_FALSE(table->cellAt(0, 0)->state().checked);
  // Again: the current row is ticked, so both go back.
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_FALSE(list->Checked(2));
  EXPECT_FALSE(list->Checked(3));
  // Tab goes on to the next control rather than from cell to cell.
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());
}

TEST(ListViewTest, SortingByPathMatchesAPlainStableSortOfTheTexts) {
  // Texts that share long beginnings, end at and around every eighth and
  // sixteenth byte, repeat, and hold characters beyond ASCII, beyond 16 bits,
  // and in the range that UTF-16 puts after those (U+E000 on).
  const QString pieces[] = {"/",
                            "a",
                            "b",
                            "aaaaaaa",
                            "/long/shared/folder/",
                            "é",
                            "\u00ff",
                            QString::fromUtf8("\xF0\x9D\x84\x9E"),
                            "z",
                            "\uE001",
                            "\uFF21"};
  std::vector<ListModel::NewRow> rows;
  std::uint32_t seed = 7;
  for (int i = 0; i < 3000; ++i) {
    QString text = "/home/";
    seed = seed * 1103515245u + 12345u;
    for (int n = seed >> 29; n >= 0; --n) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % std::size(pieces)];
    }
    rows.push_back({text, double(i), ListModel::kStampSub});  // the stamp tells rows apart
  }
  // The same rows as positions of found files kept outside the list.
  auto source = std::make_shared<TestSource>();
  std::vector<std::uint32_t> positions;
  for (const ListModel::NewRow& r : rows) {
    const std::string text = r.text.toStdString();
    const std::size_t cut = text.rfind('/') + 1;
    source->files.push_back({text.substr(0, cut), text.substr(cut), r.stamp, false});
    positions.push_back(static_cast<std::uint32_t>(positions.size()));
  }
  for (bool kept_outside : {false, true}) {
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
      ListModel model;
      model.AddColumn("File(s) Found");
      model.AddColumn("Date Modified");
      if (kept_outside) {
        std::vector<std::uint32_t> copy = positions;
        model.AppendSourceRows(source, std::move(copy));
      } else {
        std::vector<ListModel::NewRow> copy = rows;
        model.AppendBatch(std::move(copy));
      }
      std::vector<std::pair<std::u16string, double>> expected;
      for (const ListModel::NewRow& r : rows)
        expected.emplace_back(r.text.toStdU16String(), r.stamp);
      std::stable_sort(expected.begin(), expected.end(), [order](const auto& a, const auto& b) {
        return order == Qt::AscendingOrder ? a.first < b.first : b.first < a.first;
      });
      model.sort(0, order);
      ASSERT_EQ(model.Count(), int(expected.size()));
      for (int i = 0; i < model.Count(); ++i) {
        ASSERT_EQ(model.Text(i).toStdU16String(), expected[size_t(i)].first) << i << kept_outside;
        ASSERT_EQ(model.Stamp(i), expected[size_t(i)].second) << i << kept_outside;
      }
    }
  }
}

TEST(ListViewTest, RowsOfRunListsKeepTheirTicksAndBecomeTheirOwnWhenWritten) {
  ListView list(nullptr, true);
  list.AddColumn("File(s) Found");
  list.AddColumn("Date Modified");
  auto source = std::make_shared<TestSource>();
  source->files = {{"/b/", "x", 3, false}, {"/a/", "y", 1, true}, {"/c/", "z", 2, false}};
  list.AddSourceItems(source, {0, 1, 2});
  EXPECT_EQ(source.use_count(), 2);  // the list keeps the found files alive
  list.SetChecked(3, true);
  list.Model()->sort(1);  // by date; the empty stamp is the zero date
  EXPECT_EQ(list.ItemText(1), QStringLiteral("/a/y"));
  EXPECT_EQ(list.ItemText(3), QStringLiteral("/b/x"));
  EXPECT_TRUE(list.Checked(2));  // "/c/z" took its tick along
  EXPECT_EQ(list.ItemId(1).ino, 2u);
  // A row given another identity keeps its text and date, as a row of its
  // own.
  const QString date = list.SubItemText(1);
  FileId moved;
  moved.ino = 7;
  list.SetItemId(1, moved);
  EXPECT_EQ(list.ItemText(1), QStringLiteral("/a/y"));
  EXPECT_EQ(list.SubItemText(1), date);
  EXPECT_EQ(list.ItemId(1).ino, 7u);
  // Rows of other found files: the rows shown so far keep their texts.
  auto next = std::make_shared<TestSource>();
  next->files = {{"/d/", "w", 4, false}};
  list.AddSourceItems(next, {0});
  EXPECT_EQ(source.use_count(), 1);
  EXPECT_EQ(list.ItemText(3), QStringLiteral("/b/x"));
  EXPECT_EQ(list.ItemText(4), QStringLiteral("/d/w"));
  list.RemoveItems({1, 4});
  EXPECT_EQ(list.ItemText(1), QStringLiteral("/c/z"));
  EXPECT_TRUE(list.Checked(1));
  list.ClearItems();
  EXPECT_EQ(next.use_count(), 1);  // cleared: the found files can go
}

TEST(ListViewTest, TheFolderListDoesNotSort) {
  ListView list;
  list.AddColumn("Folder(s) Or Drives To Search");
  for (const char* t : {"/b/", "/a/"}) list.AddItem(t);
  list.show();
  ClickHeader(list, 1);
  EXPECT_EQ(list.ItemText(1), QStringLiteral("/b/"));
  EXPECT_FALSE(list.header()->isSortIndicatorShown());
}

}  // namespace
}  // namespace qm
