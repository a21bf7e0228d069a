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

// Reads the regular file at `path` (links followed) into `out`.  False when
// nothing is there.  Fails (Failure, kErrPathFileAccess or the errno's)
// with a description that begins with `what` and the path ("The settings
// file /home/u/.config/Vellumark.ini is a folder, not a file") when
// something else is there, it is larger than `max_bytes`, or it cannot be
// read.
bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const std::string& what,
                   std::string* out);

// What an entry of type `mode` is, for such a description: "a folder", "a
// FIFO", "a device", "a socket", "a file".
std::string KindOfEntry(mode_t mode);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_WHOLE_FILE_H_
