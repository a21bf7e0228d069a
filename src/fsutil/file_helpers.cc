// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsutil/file_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/folder_object.h"
#include "platform/yield.h"

namespace qm {
namespace {

// One pass of pair replacement over path[from..].
void AppendHalvedRuns(const std::string& path, std::size_t from, char sep, std::string* out) {
  std::size_t i = from;
  while (i < path.size()) {
    if (path[i] == sep && i + 1 < path.size() && path[i + 1] == sep) {
      out->push_back(sep);
      i += 2;
    } else {
      out->push_back(path[i]);
      ++i;
    }
  }
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// The plain delete: like a command-line delete, it refuses a read-only file.
void PlainDelete(const std::string& path) { FileSystemObject().DeleteFile(path, false); }

}  // namespace

bool IsFolderPath(const std::string& path) {
  struct stat st;
  if (path.empty()) return false;
  return Fs().Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
  // A link counts by itself, like any entry whose date the file system can
  // give, even when it points nowhere.
  if (path.empty()) return false;
  struct stat st;
  return Fs().Lstat(path.c_str(), &st) == 0;
}

bool PathExists(const QString& path) { return PathExists(std::string(path.toUtf8().constData())); }

bool PathIsFile(const std::string& path) {
  struct stat st;
  if (path.empty() || !IsValidUtf8(path)) return false;
  return Fs().Stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ParentPathOf(const std::string& path, const PathStyle& style) {
  std::size_t last = path.rfind(style.separator);
  if (last == std::string::npos) return std::string();
  return path.substr(0, last + 1);
}

std::string NormalizeBackslashes(const std::string& path, const PathStyle& style) {
  const char sep = style.separator;
  std::string out;
  out.reserve(path.size() + 1);
  if (path.empty() || path[0] != sep) {
    AppendHalvedRuns(path, 0, sep, &out);
    return out;
  }
  std::size_t k = 1;
  while (k < path.size() && path[k] == sep) ++k;
  out.append(static_cast<std::size_t>(style.leading_run), sep);
  AppendHalvedRuns(path, k, sep, &out);
  return out;
}

void DeleteFileForced(const std::string& path) {
  Yield();
  try {
    PlainDelete(path);
    return;
  } catch (...) {
  }
  try {
    FileSystemObject().DeleteFile(path, true);
  } catch (...) {
  }
}

bool CopyFileOverwrite(const std::string& source, const std::string& destination) {
  try {
    FileSystemObject().CopyFile(source, destination);
    return true;
  } catch (...) {
    return false;
  }
}

bool CopyFileChecked(const std::string& source, const std::string& destination) {
  if (IsBlank(source) || IsBlank(destination)) return false;
  const std::string src = NormalizeBackslashes(source);
  const std::string dst = NormalizeBackslashes(destination);
  if (PathIsFile(src) && IsFolderPath(ParentPathOf(dst))) {
    return CopyFileOverwrite(src, dst);
  }
  return false;
}

}  // namespace qm
