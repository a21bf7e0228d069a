// SPDX-License-Identifier: GPL-3.0-or-later
// The files the program keeps of its own (the settings store, the window's
// state, a skin, the hand cursor; any such file to come) are read and
// written here, and only here, so each of them gets the same care: what
// stands at the path is looked at before anything is opened.
//
// - A FIFO, a device, a socket or a folder (or a link to one) is never
//   opened for reading, never written to, never replaced and never waited
//   on: the read fails, saying what is there, and the caller goes on with
//   its defaults.
// - /dev/null (or a link to it), the usual way to switch such a file off,
//   reads as no file and takes no writes, without a word.
// - A file over the caller's size limit is not read.
// - A write replaces only a regular file (or makes a new one), atomically,
//   from a temporary file beside it; a link there is followed and stays.
//
// What stands at the path instead of a file is told in words the user can
// act on.
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

// What stands at a path (links followed), looked at without opening it.
enum class OwnFileKind {
  kMissing,      // nothing (or a link leading nowhere)
  kFile,         // a regular file
  kSwitchedOff,  // the null device: no file, and none wanted
  kOther,        // a folder, a FIFO, a device, a socket
};
OwnFileKind LookAtOwnFile(const std::string& path, mode_t* mode = nullptr);

// Reads the regular file at `path` (links followed) into `out`.  False when
// nothing is there, or the null device.  Fails (Failure, kErrPathFileAccess
// or the errno's) with the matching text of `words` when something else is
// there, it is larger than `max_bytes`, or it cannot be read.
bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                   std::string* out);

// The same for the first `bytes` bytes of the file, however large it is.
bool ReadOwnFileHead(const std::string& path, std::size_t bytes, const WholeFileWords& words,
                     std::string* out);

// Replaces the file at `path` with `content`: a temporary file in the same
// folder, flushed to disk, renamed over the old one.  The new file keeps the
// old one's permission bits (and owner, where allowed); a new one gets
// `new_mode`.  Missing folders are made (0700).  When `path` is a symbolic
// link, the file it leads to is the one replaced and the link stays.
// False, writing nothing, for the null device.  Fails (Failure, with the
// `not_a_file` text of `words` for anything but a regular file there),
// leaving what was there as it was, when it cannot be done.
bool ReplaceWholeFile(const std::string& path, const std::string& content, mode_t new_mode,
                      const WholeFileWords& words);

// A file of the program's own that grows by records added at its end (a
// journal), with the same care as above: a FIFO, a device, a socket or a
// folder at the path (or a link to one) is never opened, waited on or
// replaced, and /dev/null there switches the file off.  The file is held
// (flock) for as long as the object has it open, so two copies of the
// program never write it at once.
//
// A record goes in with one write() before whatever it tells of is done;
// once write() has returned, the record is in the file for every later
// reader even if the process is killed the next instant.  A kill in the
// middle of the write can leave the last record torn (its start without
// its end), never a record that was not begun: readers drop a torn last
// record, and Cut() takes it off before anything is added.  Records are
// flushed to disk (Sync) only now and then: a power cut may lose the last
// ones, a kill none.
class OwnRecordFile {
 public:
  OwnRecordFile() = default;
  ~OwnRecordFile();
  OwnRecordFile(const OwnRecordFile&) = delete;
  OwnRecordFile& operator=(const OwnRecordFile&) = delete;

  // Replaces the regular file at `path` (links followed; missing folders
  // are made 0700) with a new one holding `first`, flushed to disk with its
  // folder, in one rename: until then the old file stays whole.  A new
  // file gets `mode`.  False, making nothing, for the null device.  Fails
  // (Failure; the `not_a_file` text of `words` for anything but a regular
  // file there) leaving what was there as it was.
  bool Start(const std::string& path, const std::string& first, mode_t mode,
             const WholeFileWords& words);
  // Opens the regular file at `path` (links followed) to read it whole
  // into `content` and add to it.  False when nothing is there or the null
  // device.  Fails as ReadWholeFile does, and with `busy` (%1 the path)
  // when another copy of the program holds the file.
  bool Open(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
            const char* busy, std::string* content);

  bool IsOpen() const { return fd_ >= 0; }
  // Takes the file back to its first `size` bytes.  0 or errno.
  int Cut(off_t size);
  // Adds `record` at the end in one write.  0 or errno (ENOSPC for a
  // write that stopped short).
  int Append(const std::string& record);
  // Flushes what was added to disk.  0 or errno.
  int Sync();
  // Removes the file, while the path still names the file held, and lets
  // go of it.
  void Remove();
  void Close();

 private:
  int fd_ = -1;
  std::string path_;  // links followed
};

// The file that `path` names once symbolic links are followed, though it
// may not exist yet.  Relative links are taken from the link's own folder.
std::string FollowLinks(const std::string& path);

// What an entry of type `mode` is, for such a text: "a folder", "a FIFO",
// "a device", "a socket", "a link", "a file", in the user's language.
std::string KindOfEntry(mode_t mode);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_WHOLE_FILE_H_
