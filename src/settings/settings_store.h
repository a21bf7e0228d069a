// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store.
//
// Values are texts kept under one application name and one section.  On
// Linux the store is an INI file, $XDG_CONFIG_HOME/Vellumark.ini (default
// ~/.config/Vellumark.ini), holding the section [Quenmoor].  Nothing is
// cached: every read opens the file, and every write replaces the whole file
// atomically (a temporary file, flushed to disk, renamed over the old one)
// before it returns.
#ifndef QUENMOOR_SETTINGS_SETTINGS_STORE_H_
#define QUENMOOR_SETTINGS_SETTINGS_STORE_H_

#include <QString>
#include <string>

#include "base/date_value.h"

namespace qm {

extern const char kSettingsApp[];      // "Vellumark"
extern const char kSettingsSection[];  // "Quenmoor"

// Full path of the store's file.
std::string SettingsFilePath();

// Fails, saying why, when the store is there but cannot be read (a folder, a
// FIFO, a file too large or unreadable: settings_file.h).  That is told once
// per session: afterwards reads give their defaults and this does nothing.
void CheckSettingsStore();
// Whether the store's failure to be read has been told this session.
bool SettingsStoreFailureTold();

// The stored text of `key`, or `default_value` when the key (or the file, or
// the section) is absent.  Fails as CheckSettingsStore() does.
QString ReadSetting(const QString& key, const QString& default_value);

// Stores `value` under `key`, creating the file and section as needed.
// Fails when the file cannot be written; the old file is then untouched.
void WriteSetting(const QString& key, const QString& value);

// Conversions used when restoring controls.  Each fails with "Type mismatch"
// on a text it cannot convert.
// "True"/"False" in any letter case, or a number (0 false, other true).
bool SettingToBoolean(const QString& text);
// A number is a date value (a whole number a day number); otherwise a date
// text (ISO yyyy-MM-dd, or the locale's short or long date).
DateValue SettingToDate(const QString& text);
// A date as the nearest whole day number, in decimal.
QString DayNumberSetting(DateValue value);
QString BooleanSetting(bool value);  // "True" / "False"

}  // namespace qm

#endif  // QUENMOOR_SETTINGS_SETTINGS_STORE_H_
