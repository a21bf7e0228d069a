// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/failure.h"

#include <QCoreApplication>
#include <cerrno>

namespace qm {

namespace {
// The standard wording, in English.
const char* Wording(int number) {
  switch (number) {
    case kErrInvalidCall:
      return QT_TRANSLATE_NOOP("qm::Failure", "Invalid procedure call or argument");
    case kErrOverflow:
      return QT_TRANSLATE_NOOP("qm::Failure", "Overflow");
    case kErrOutOfMemory:
      return QT_TRANSLATE_NOOP("qm::Failure", "Out of memory");
    case kErrSubscript:
      return QT_TRANSLATE_NOOP("qm::Failure", "Subscript out of range");
    case kErrTypeMismatch:
      return QT_TRANSLATE_NOOP("qm::Failure", "Type mismatch");
    case kErrInternal:
      return QT_TRANSLATE_NOOP("qm::Failure", "Internal error");
    case kErrBadFileName:
      return QT_TRANSLATE_NOOP("qm::Failure", "Bad file name or number");
    case kErrFileNotFound:
      return QT_TRANSLATE_NOOP("qm::Failure", "File not found");
    case kErrDeviceIO:
      return QT_TRANSLATE_NOOP("qm::Failure", "Device I/O error");
    case kErrFileExists:
      return QT_TRANSLATE_NOOP("qm::Failure", "File already exists");
    case kErrDiskFull:
      return QT_TRANSLATE_NOOP("qm::Failure", "Disk full");
    case kErrPermissionDenied:
      return QT_TRANSLATE_NOOP("qm::Failure", "Permission denied");
    case kErrPathFileAccess:
      return QT_TRANSLATE_NOOP("qm::Failure", "Path/File access error");
    case kErrPathNotFound:
      return QT_TRANSLATE_NOOP("qm::Failure", "Path not found");
    case kErrInvalidProperty:
      return QT_TRANSLATE_NOOP("qm::Failure", "Invalid property value");
    case kErrInvalidPicture:
      return QT_TRANSLATE_NOOP("qm::Failure", "Invalid picture");
  }
  return QT_TRANSLATE_NOOP("qm::Failure", "Application-defined or object-defined error");
}
}  // namespace

std::string ErrorDescription(int number) { return Translated("qm::Failure", Wording(number)); }

std::string Translated(const char* context, const char* text,
                       std::initializer_list<std::string> args) {
  const std::string said = QCoreApplication::translate(context, text).toStdString();
  // One pass: an argument's own "%1" (in a file name, say) stays as it is.
  std::string out;
  for (std::size_t i = 0; i < said.size(); ++i) {
    const char next = i + 1 < said.size() ? said[i + 1] : '\0';
    const std::size_t n = next >= '1' && next <= '9' ? next - '1' : args.size();
    if (said[i] == '%' && n < args.size()) {
      out += args.begin()[n];
      ++i;
    } else {
      out += said[i];
    }
  }
  return out;
}

Failure::Failure(int number) : std::runtime_error(ErrorDescription(number)), number_(number) {}

Failure::Failure(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

Failure FailureFromErrno(int err, bool is_path) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
      return Failure(kErrPermissionDenied);
    case ENOENT:
      return Failure(is_path ? kErrPathNotFound : kErrFileNotFound);
    case ENOTDIR:
      return Failure(kErrPathNotFound);
    case ENOSPC:
    case EDQUOT:
      return Failure(kErrDiskFull);
    case EIO:
      return Failure(kErrDeviceIO);
    case EEXIST:
      return Failure(kErrFileExists);
    case ENAMETOOLONG:
      return Failure(kErrBadFileName);
    case ENOMEM:
      return Failure(kErrOutOfMemory);
    default:
      return Failure(kErrPathFileAccess);
  }
}

}  // namespace qm
