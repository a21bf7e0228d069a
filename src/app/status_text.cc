// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_text.h"

#include <QCoreApplication>
#include <QLocale>

#include "app/translations.h"

namespace qm {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("qm::Status", text); }
QString Number(std::int64_t n) { return NumberLocale().toString(static_cast<qlonglong>(n)); }

}  // namespace

QString SizeText(ByteCount bytes) { return ByteSizeText(bytes, NumberLocale()); }

QString FilesText(std::int64_t files) {
  return files == 1 ? Tr(QT_TRANSLATE_NOOP("qm::Status", "1 file"))
                    : Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 files")).arg(Number(files));
}

QString FoldersText(std::int64_t folders) {
  return folders == 1 ? Tr(QT_TRANSLATE_NOOP("qm::Status", "1 folder"))
                      : Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 folders")).arg(Number(folders));
}

QString FoundText(std::int64_t files, ByteCount bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 found, sizes total %2"))
      .arg(FilesText(files), SizeText(bytes));
}

QString TickedText(std::int64_t files, ByteCount bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 ticked, sizes total %2"))
      .arg(Number(files), SizeText(bytes));
}

QString SearchingText(std::int64_t folders, std::int64_t files, std::int64_t found,
                      const QString& folder) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Searching: %1 and %2 checked, %3 found. Reading %4"))
      .arg(FoldersText(folders), FilesText(files), Number(found), folder);
}

QString StoppedText(std::int64_t folders, std::int64_t files) {
  // The counts stand after "after", which some languages decline ("nach
  // 81 Ordnern"): they have texts of their own.
  const QString folders_text =
      folders == 1 ? QCoreApplication::translate("qm::Status", "1 folder", "after a preposition")
                   : QCoreApplication::translate("qm::Status", "%1 folders", "after a preposition")
                         .arg(Number(folders));
  const QString files_text =
      files == 1 ? QCoreApplication::translate("qm::Status", "1 file", "after a preposition")
                 : QCoreApplication::translate("qm::Status", "%1 files", "after a preposition")
                       .arg(Number(files));
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Search stopped after %1 and %2."))
      .arg(folders_text, files_text);
}

QString TrashedText(std::int64_t files, ByteCount bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 (%2) moved to the trash."))
      .arg(FilesText(files), SizeText(bytes));
}

QString MovedText(std::int64_t files, ByteCount bytes, const QString& folder) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 (%2) moved to %3."))
      .arg(FilesText(files), SizeText(bytes), folder);
}

QString StatusJoin(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  if (second.isEmpty()) return first;
  return first + QStringLiteral("   \u00b7   ") + second;
}

}  // namespace qm
