// SPDX-License-Identifier: GPL-3.0-or-later
// The date criteria on the window: the handlers that store the criterion
// controls, and the criterion pass that fills the result list.
#include <QLineEdit>
#include <QRadioButton>
#include <memory>
#include <vector>

#include "app/form1.h"
#include "app/found_rows.h"
#include "platform/dialogs.h"
#include "platform/yield.h"
#include "search/date_criteria.h"
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

RuleSnapshot Form1::RuleAsItStands() const {
  // The controls are read once here, not per file: this only counts.
  RuleSnapshot now;
  if (Option4->isChecked()) {
    now.rule = DateRule::kAfter;
    now.first = DTPicker3->Value();
  } else if (Option5->isChecked()) {
    now.rule = DateRule::kBefore;
    now.first = DTPicker4->Value();
  } else if (Option6->isChecked()) {
    now.rule = DateRule::kOn;
    now.first = DTPicker5->Value();
  } else if (Option7->isChecked()) {
    now.rule = DateRule::kBetween;
    now.first = DTPicker1->Value();
    now.second = DTPicker2->Value();
  } else if (Option8->isChecked()) {
    if (const std::optional<long long> days = ParseDays(Text1->text())) {
      now.rule = DateRule::kNotAccessedInDays;
      now.first = static_cast<DateValue>(TodayDayNumber());
      now.days = *days;
    }
  }
  return now;
}

void Form1::ApplyDateCriterion() {
  SetMousePointer(kPointerBusy);
  ListView2->ClearItems();
  const FoundFiles& found = *found_;
  const size_t n = found.Count();
  auto stamp_date = [&found](size_t i) -> DateValue {
    return found.StampAt(i).value;  // an unreadable stamp is the zero date
  };
  // Each entry is judged as its day difference is worked out, in the pass
  // that yields; the matching rows then go in, in position order, in one
  // insertion that does not yield: a list of their positions, which the
  // result list takes over as its rows.
  std::vector<std::uint32_t> matches;
  const auto rows = std::make_shared<FoundRows>(found_);
  auto add_rows = [&] {
    ListView2->AddSourceItems(rows, std::move(matches));
    matches = {};
  };

  struct SingleRule {
    QRadioButton* option;
    DatePicker* picker;
    DateRule rule;
  };
  const SingleRule singles[] = {{Option4, DTPicker3, DateRule::kAfter},
                                {Option5, DTPicker4, DateRule::kBefore},
                                {Option6, DTPicker5, DateRule::kOn}};
  for (const SingleRule& s : singles) {
    if (!s.option->isChecked()) continue;
    matches.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      Yield();
      // The picker is read afresh for every entry: a date changed during the
      // pass applies from the next entry on.
      if (SingleDateMatches(s.rule, DayDifference(s.picker->Value(), stamp_date(i)))) {
        matches.push_back(static_cast<std::uint32_t>(i));
      }
    }
    add_rows();
  }

  if (Option7->isChecked()) {
    matches.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      Yield();
      const long long d1 = DayDifference(DTPicker1->Value(), stamp_date(i));
      const long long d2 = DayDifference(DTPicker2->Value(), stamp_date(i));
      if (BetweenMatches(d1, d2)) matches.push_back(static_cast<std::uint32_t>(i));
    }
    add_rows();
  }

  if (Option8->isChecked()) {
    // Taking an unusable days text as 0 would list every file; ask instead.
    // The search asks before it starts; this catches a text changed while
    // the folders were walked.
    std::optional<long long> days = ParseDays(Text1->text());
    if (!days) {
      SetMousePointer(kPointerDefault);
      MessageBox(this, DaysHelpText(), kOkOnly | kExclamation);
      return;
    }
    const DateValue today = static_cast<DateValue>(TodayDayNumber());
    matches.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      Yield();
      if (NotAccessedMatches(DayDifference(stamp_date(i), today), *days)) {
        matches.push_back(static_cast<std::uint32_t>(i));
      }
    }
    add_rows();
  }
  SetMousePointer(kPointerDefault);
}

}  // namespace qm
