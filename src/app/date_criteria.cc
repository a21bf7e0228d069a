// SPDX-License-Identifier: GPL-3.0-or-later
// The date criteria on the window: the handlers that store the criterion
// controls, the criteria a search takes from them, and the criterion pass
// that fills the result list with what the search found.
#include "search/date_criteria.h"

#include <QLineEdit>
#include <QRadioButton>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include "app/form1.h"
#include "app/found_rows.h"
#include "settings/settings_store.h"

namespace qm {

void Form1::Option4_Click() { WriteRuleOptions(); }
void Form1::Option5_Click() { WriteRuleOptions(); }
void Form1::Option6_Click() { WriteRuleOptions(); }
void Form1::Option7_Click() { WriteRuleOptions(); }
void Form1::Option8_Click() { WriteRuleOptions(); }

void Form1::WriteRuleOptions() {
  WriteSettingQuietly(QStringLiteral("Option4"), BooleanSetting(Option4->isChecked()));
  WriteSettingQuietly(QStringLiteral("Option5"), BooleanSetting(Option5->isChecked()));
  WriteSettingQuietly(QStringLiteral("Option6"), BooleanSetting(Option6->isChecked()));
  WriteSettingQuietly(QStringLiteral("Option7"), BooleanSetting(Option7->isChecked()));
  WriteSettingQuietly(QStringLiteral("Option8"), BooleanSetting(Option8->isChecked()));
}

void Form1::DTPicker1_Validate() { ValidatePicker(1, DTPicker1); }
void Form1::DTPicker2_Validate() { ValidatePicker(2, DTPicker2); }
void Form1::DTPicker3_Validate() { ValidatePicker(3, DTPicker3); }
void Form1::DTPicker4_Validate() { ValidatePicker(4, DTPicker4); }
void Form1::DTPicker5_Validate() { ValidatePicker(5, DTPicker5); }

void Form1::ValidatePicker(int number, DatePicker* picker) {
  WriteSettingQuietly(QStringLiteral("Date%1").arg(number), DayNumberSetting(picker->Value()));
}

void Form1::Text1_Change() { WriteSettingQuietly(QStringLiteral("Access in days"), Text1->text()); }

SearchCriteria Form1::CriteriaFromControls() const {
  SearchCriteria criteria;
  for (int i = 1; i <= ListView1->ItemCount(); ++i) {
    criteria.roots.push_back(ListView1->ItemText(i).toStdString());
  }
  const DateType type = Option1->isChecked()   ? DateType::kModified
                        : Option2->isChecked() ? DateType::kCreated
                        : Option3->isChecked() ? DateType::kAccessed
                                               : DateType::kNone;
  // The options form one group: at most one rule is selected, and with
  // none no file matches.
  if (Option4->isChecked()) {
    criteria.date = DateCriterion::Single(type, DateRule::kAfter, DTPicker3->Value());
  } else if (Option5->isChecked()) {
    criteria.date = DateCriterion::Single(type, DateRule::kBefore, DTPicker4->Value());
  } else if (Option6->isChecked()) {
    criteria.date = DateCriterion::Single(type, DateRule::kOn, DTPicker5->Value());
  } else if (Option7->isChecked()) {
    criteria.date = DateCriterion::Between(type, DTPicker1->Value(), DTPicker2->Value());
  } else if (Option8->isChecked()) {
    // A days text that is no whole number is refused before a search
    // starts; without one no file matches.
    if (const std::optional<long long> days = ParseDays(Text1->text())) {
      criteria.date = DateCriterion::NotAccessedIn(type, *days, TodayDayNumber());
    } else {
      criteria.date = DateCriterion::Single(type, DateRule::kNone, 0);
    }
  } else {
    criteria.date = DateCriterion::Single(type, DateRule::kNone, 0);
  }
  criteria.filters = ActiveFilters();
  return criteria;
}

void Form1::ApplyDateCriterion() {
  SetMousePointer(kPointerBusy);
  ListView2->ClearItems();
  // The search judged every file by the criteria taken when it started,
  // and kept those that match: they go in, in the order found, in one
  // insertion.
  std::vector<std::uint32_t> rows(found_->Count());
  std::iota(rows.begin(), rows.end(), 0u);
  ListView2->AddSourceItems(std::make_shared<FoundRows>(found_), std::move(rows),
                            found_->SizesTotal());
  SetMousePointer(kPointerDefault);
}

}  // namespace qm
