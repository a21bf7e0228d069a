// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/search_notes.h"

#include <QCoreApplication>

#include "app/translations.h"

namespace qm {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("qm::Status", text); }
QString Number(std::uint64_t n) { return NumberLocale().toString(static_cast<qulonglong>(n)); }

// The parts of the filters' line, in the order they act.
QStringList SummaryParts(const SearchFilters& filters) {
  QStringList parts;
  const int patterns = filters.exclude.size();
  if (patterns == 1) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "leaving out 1 folder pattern"));
  } else if (patterns > 1) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "leaving out %1 folder patterns"))
                 .arg(Number(static_cast<std::uint64_t>(patterns)));
  }
  if (filters.one_file_system) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "staying on each listed folder's file system"));
  }
  if (!filters.names.empty()) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "only files named %1"))
                 .arg(filters.names.Patterns().join(QStringLiteral(", ")));
  }
  if (filters.min_size && filters.max_size) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "only files of %1 to %2"))
                 .arg(filters.min_size->shown, filters.max_size->shown);
  } else if (filters.min_size) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "only files of %1 or more"))
                 .arg(filters.min_size->shown);
  } else if (filters.max_size) {
    parts << Tr(QT_TRANSLATE_NOOP("qm::Status", "only files of %1 or less"))
                 .arg(filters.max_size->shown);
  }
  return parts;
}

}  // namespace

QString SearchNoteText(const SearchNote& note) {
  const QString mount = QString::fromStdString(note.mount_point);
  switch (note.kind) {
    case SearchNote::Kind::kNoAccessTimes:
      return Tr(QT_TRANSLATE_NOOP("qm::Status",
                                  "%1 is mounted noatime: access dates there do not change when "
                                  "files are read, so a file used every day can look unused"))
          .arg(mount);
    case SearchNote::Kind::kFuseAccessTimes:
      return Tr(QT_TRANSLATE_NOOP("qm::Status",
                                  "%1 is a FUSE mount: its access dates come from the program "
                                  "behind it and may not change when files are read"))
          .arg(mount);
  }
  return QString();
}

QStringList LeftOutTexts(const SearchCounts& counts, DateType type) {
  QStringList texts;
  if (counts.undated == 1) {
    texts << (type == DateType::kCreated
                  ? Tr(QT_TRANSLATE_NOOP("qm::Status",
                                         "1 file left out: its file system keeps no creation "
                                         "date"))
                  : Tr(QT_TRANSLATE_NOOP("qm::Status",
                                         "1 file left out: its file system keeps no such date")));
  } else if (counts.undated > 1) {
    texts << (type == DateType::kCreated
                  ? Tr(QT_TRANSLATE_NOOP("qm::Status",
                                         "%1 files left out: their file system keeps no creation "
                                         "date"))
                  : Tr(QT_TRANSLATE_NOOP("qm::Status",
                                         "%1 files left out: their file system keeps no such "
                                         "date")))
                 .arg(Number(counts.undated));
  }
  if (counts.unreadable_names == 1) {
    texts << Tr(
        QT_TRANSLATE_NOOP("qm::Status", "1 file or folder left out: its name is not valid UTF-8"));
  } else if (counts.unreadable_names > 1) {
    texts << Tr(QT_TRANSLATE_NOOP("qm::Status",
                                  "%1 files and folders left out: their names are not valid "
                                  "UTF-8"))
                 .arg(Number(counts.unreadable_names));
  }
  return texts;
}

QString FiltersSummaryText(const SearchFilters& filters) {
  const QStringList parts = SummaryParts(filters);
  if (parts.isEmpty()) return QString();
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Filters on: %1"))
      .arg(parts.join(QStringLiteral("; ")));
}

QString FiltersDetailText(const SearchFilters& filters) {
  QStringList lines = SummaryParts(filters);
  if (lines.isEmpty()) return QString();
  if (!filters.exclude.empty()) {
    lines[0] = Tr(QT_TRANSLATE_NOOP("qm::Status", "leaving out folders: %1"))
                   .arg(filters.exclude.Patterns().join(QStringLiteral(", ")));
  }
  return Tr(QT_TRANSLATE_NOOP("qm::Status", "Filters on:")) + QLatin1Char('\n') +
         lines.join(QLatin1Char('\n'));
}

}  // namespace qm
