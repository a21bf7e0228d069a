#include "app/list_view.h"

#include <gtest/gtest.h>

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
  list.AddColumn("File(s) Found");
  list.AddColumn("Date Modified");
  int row = list.AddItem("/b");
  EXPECT_EQ(list.SubItemText(row), QString());  // empty until written
  list.SetSubItemText(row, "x");
  EXPECT_EQ(list.SubItemText(row), QStringLiteral("x"));
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

}  // namespace
}  // namespace qm
