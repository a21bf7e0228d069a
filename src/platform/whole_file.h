// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a small file of the user's whole, such as the settings store or a
// skin: never blocking on a FIFO, never reading from a device, and never
// more than a set size.  What stands at the path instead of such a file is
// told in words the user can act on.
#ifndef QUENMOOR_PLATFORM_WHOLE_FILE_H_
#define QUENMOOR_PLATFORM_WHOLE_FILE_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace qm {

// How a caller words what is wrong, in texts marked for translation with
// QT_TRANSLATE_NOOP(context, ...): %1 is the path, %2 what stands there ("a
// folder"), how large it is, or why it cannot be read.
struct WholeFileWords {
  const char* context;
  const char* not_a_file;  // "The skin file %1 is %2, not a file"
  const char* too_large;   // "The skin file %1 is too large (%2)"
  const char* unreadable;  // "The skin file %1 cannot be read: %2"
};

// Reads the regular file at `path` (links followed) into `out`.  False when
// nothing is there.  Fails (Failure, kErrPathFileAccess or the errno's)
// with the matching text of `words` when something else is there, it is
// larger than `max_bytes`, or it cannot be read.
bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                   std::string* out);

// What an entry of type `mode` is, for such a text: "a folder", "a FIFO",
// "a device", "a socket", "a link", "a file", in the user's language.
std::string KindOfEntry(mode_t mode);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_WHOLE_FILE_H_
