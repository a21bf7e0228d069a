// SPDX-License-Identifier: GPL-3.0-or-later
// The date picker: holds a date, shows it, offers a calendar, and raises
// Validate when the focus leaves it.  Its value is always midnight of the
// date it shows (a time of day it is given is dropped), so the day number
// stored for it is that date; a new picker holds today.  Values outside
// 1 January 1601 to 31 December 9999 are refused with a failure.
#ifndef QUENMOOR_APP_DATE_PICKER_H_
#define QUENMOOR_APP_DATE_PICKER_H_

#include <QDateTimeEdit>

#include "base/date_value.h"

namespace qm {

class DatePicker : public QDateTimeEdit {
  Q_OBJECT

 public:
  explicit DatePicker(QWidget* parent = nullptr);

  // The date, kept as its day number each time it changes: the criterion
  // pass reads it for every file it judges.
  DateValue Value() const { return day_; }
  // Fails with "Invalid property value" outside the picker's range.
  void SetValue(DateValue value);

  static DateValue MinValue();

 signals:
  void Validate();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  // Tab leaves the picker (the arrow keys move between day, month and year),
  // so the date is validated and stored as the user tabs on.
  bool focusNextPrevChild(bool next) override;

 private:
  DateValue day_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_APP_DATE_PICKER_H_
