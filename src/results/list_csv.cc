// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/list_csv.h"

#include <sys/stat.h>

#include <QtGlobal>

#include "platform/whole_file.h"

namespace qm {
namespace {

const WholeFileWords kWords = {
    "qm::ListCsv",
    QT_TRANSLATE_NOOP("qm::ListCsv", "%1 is %2, not a file"),
    QT_TRANSLATE_NOOP("qm::ListCsv", "%1 is too large (%2)"),
    QT_TRANSLATE_NOOP("qm::ListCsv", "%1 cannot be read: %2"),
};

}  // namespace

void AppendCsvField(std::string* out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out->append(text);
    return;
  }
  out->push_back('"');
  for (char c : text) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}

std::string ListCsv(std::size_t rows, const std::function<CsvRow(std::size_t)>& row) {
  std::string out = "path,date,size,ticked\r\n";
  LocalDateOffsets offsets;
  char date[kStampIsoSize];
  for (std::size_t i = 0; i < rows; ++i) {
    const CsvRow r = row(i);
    AppendCsvField(&out, r.path);
    out.push_back(',');
    out.append(date, StampIsoText(r.stamp, date, &offsets));
    out.push_back(',');
    if (r.size >= 0) out.append(std::to_string(r.size));
    out.append(r.ticked ? ",true\r\n" : ",false\r\n");
  }
  return out;
}

void SaveListFile(const std::string& path, const std::string& text) {
  // A new file gets what the user's files get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ReplaceWholeFile(path, text, 0666 & ~mask, kWords);
}

}  // namespace qm
