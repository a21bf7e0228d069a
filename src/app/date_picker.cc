// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/date_picker.h"

#include <QFocusEvent>
#include <QLocale>
#include <cmath>

#include "platform/failure.h"

namespace qm {
DatePicker::DatePicker(QWidget* parent) : QDateTimeEdit(parent) {
  // The date alone: a time of day would round the stored day number up
  // after noon.
  connect(this, &QDateTimeEdit::dateChanged, this,
          [this](const QDate& date) { day_ = static_cast<DateValue>(DayNumberFromQDate(date)); });
  setCalendarPopup(true);
  setDisplayFormat(ShortDateFormat(QLocale::system()));
  setTimeSpec(Qt::LocalTime);
  setDateTimeRange(QDateTime(QDate(1601, 1, 1), QTime(0, 0)),
                   QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
  setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
  day_ = static_cast<DateValue>(DayNumberFromQDate(date()));
}

DateValue DatePicker::MinValue() { return DayNumberOf(1601, 1, 1); }

void DatePicker::SetValue(DateValue value) {
  if (!std::isfinite(value) || CalendarDayOf(value) < CalendarDayOf(MinValue()) ||
      value >= DayNumberOf(10000, 1, 1)) {
    throw Failure(kErrInvalidProperty);
  }
  setDateTime(QDateTime(QDateFromDayNumber(CalendarDayOf(value)), QTime(0, 0)));
}

bool DatePicker::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

void DatePicker::focusOutEvent(QFocusEvent* event) {
  QDateTimeEdit::focusOutEvent(event);
  // Opening the calendar moves the focus into the popup; that is still the
  // picker.
  if (event->reason() != Qt::PopupFocusReason) emit Validate();
}

}  // namespace qm
