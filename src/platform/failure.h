// SPDX-License-Identifier: GPL-3.0-or-later
// Failures raised by the platform layer and by guarded routines.
//
// A failure carries a run-time error number and a description worded for
// the user ("Permission denied", "Path not found").  Guarded routines catch
// them in their trap (platform/error_trap.h) and show the error report.
#ifndef QUENMOOR_PLATFORM_FAILURE_H_
#define QUENMOOR_PLATFORM_FAILURE_H_

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace qm {

// Error numbers used by the program.  The values are the classic run-time
// numbers, so an error report reads the same on every platform.
enum ErrorNumber {
  kErrInvalidCall = 5,        // Invalid procedure call or argument
  kErrOverflow = 6,           // Overflow
  kErrOutOfMemory = 7,        // Out of memory
  kErrSubscript = 9,          // Subscript out of range
  kErrTypeMismatch = 13,      // Type mismatch
  kErrInternal = 51,          // Internal error
  kErrBadFileName = 52,       // Bad file name or number
  kErrFileNotFound = 53,      // File not found
  kErrDeviceIO = 57,          // Device I/O error
  kErrFileExists = 58,        // File already exists
  kErrDiskFull = 61,          // Disk full
  kErrPermissionDenied = 70,  // Permission denied
  kErrPathFileAccess = 75,    // Path/File access error
  kErrPathNotFound = 76,      // Path not found
  kErrInvalidProperty = 380,  // Invalid property value
  kErrInvalidPicture = 481,   // Invalid picture
};

// The standard wording of an error number ("Permission denied"), in the
// user's language.
std::string ErrorDescription(int number);

// A text for the user, in their language: `text`, marked where it is written
// with QT_TRANSLATE_NOOP(context, text), with %1, %2, ... replaced by `args`.
std::string Translated(const char* context, const char* text,
                       std::initializer_list<std::string> args = {});

class Failure : public std::runtime_error {
 public:
  explicit Failure(int number);
  Failure(int number, const std::string& description);
  int number() const { return number_; }

 private:
  int number_;
};

// Maps an errno value to the failure a user would understand.  `is_path`
// chooses "Path not found" over "File not found" for ENOENT.
Failure FailureFromErrno(int err, bool is_path = false);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_FAILURE_H_
