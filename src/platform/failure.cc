// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/failure.h"

#include <cerrno>

namespace qm {

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrOutOfMemory: return "Out of memory";
    case kErrSubscript: return "Subscript out of range";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrInternal: return "Internal error";
    case kErrBadFileName: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrDeviceIO: return "Device I/O error";
    case kErrFileExists: return "File already exists";
    case kErrDiskFull: return "Disk full";
    case kErrPermissionDenied: return "Permission denied";
    case kErrPathFileAccess: return "Path/File access error";
    case kErrPathNotFound: return "Path not found";
    case kErrInvalidProperty: return "Invalid property value";
    case kErrInvalidPicture: return "Invalid picture";
  }
  return "Application-defined or object-defined error";
}

Failure::Failure(int number)
    : std::runtime_error(ErrorDescription(number)), number_(number) {}

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
