// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_text.h"

#include <QCoreApplication>
#include <QLocale>

namespace qm {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("qm::Status", text); }
QString Number(std::int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }

}  // namespace

QString SizeText(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString FilesText(std::int64_t files) {
  return files == 1 ? Tr(QT_TRANSLATE_NOOP("qm::Status", "1 file"))
                    : Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 files")).arg(Number(files));
}

QString FoldersText(std::int64_t folders) {
  return folders == 1 ? Tr(QT_TRANSLATE_NOOP("qm::Status", "1 folder"))
                      : Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 folders")).arg(Number(folders));
}

QString FoundText(std::int64_t files, std::int64_t bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 found, %2")).arg(FilesText(files), SizeText(bytes));
}

QString TickedText(std::int64_t files, std::int64_t bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 ticked, %2")).arg(Number(files), SizeText(bytes));
}

QString SearchingText(std::int64_t folders, std::int64_t files, std::int64_t found,
                      const QString& folder) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Searching: %1 and %2 checked, %3 found. Reading %4"))
      .arg(FoldersText(folders), FilesText(files), Number(found), folder);
}

QString StoppedText(std::int64_t folders, std::int64_t files) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Search stopped after %1 and %2."))
      .arg(FoldersText(folders), FilesText(files));
}

QString TrashedText(std::int64_t files, std::int64_t bytes) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 (%2) moved to the trash."))
      .arg(FilesText(files), SizeText(bytes));
}

QString MovedText(std::int64_t files, std::int64_t bytes, const QString& folder) {
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "%1 (%2) moved to %3."))
      .arg(FilesText(files), SizeText(bytes), folder);
}

QString StatusJoin(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  if (second.isEmpty()) return first;
  return first + QStringLiteral("   \u00b7   ") + second;
}

}  // namespace qm
