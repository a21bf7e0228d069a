// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_results.h"

namespace qm {
namespace {

class ListCommandsTest : public testing::ResultsTest {};

TEST_F(ListCommandsTest, SelectAndUnselectAllSetEveryRow) {
  form_->PushButton4->click();  // empty list: nothing, no report
  form_->PushButton6->click();
  Row("a", false);
  Row("b", true);
  Row("c", false);
  form_->PushButton4->click();
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true, true}));
  form_->PushButton6->click();
  EXPECT_EQ(Ticks(), std::vector<bool>({false, false, false}));
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(ListCommandsTest, ClearListEmptiesTheFolderListUnlessBusy) {
  Row("a", true);
  form_->AddFolderRow("/x/");
  form_->AddFolderRow("/y/");
  form_->SetMousePointer(kPointerBusy);
  form_->PushButton7->click();
  EXPECT_EQ(form_->ListView1->ItemCount(), 2);
  form_->SetMousePointer(kPointerDefault);
  form_->PushButton7->click();
  EXPECT_EQ(form_->ListView1->ItemCount(), 0);
  EXPECT_EQ(Rows().size(), 1u);  // the results are not touched
  EXPECT_EQ(form_->ListView2->ColumnCaption(2), QStringLiteral("Date Accessed"));
  form_->PushButton7->click();
  EXPECT_TRUE(ErrorReports().empty());
}

}  // namespace
}  // namespace qm
