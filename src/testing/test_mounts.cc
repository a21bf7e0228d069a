// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_mounts.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/mounts.h"
#include "testing/test_env.h"

namespace qm {
namespace testing {
namespace {

// Whether /proc/self/mountinfo lists a mount at `at` (read as it is, not
// through a test's file system).
bool Mounted(const std::string& at) {
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  return MountTable::Parse(text.str()).IsMountPoint(at);
}

}  // namespace

ScopedMount::ScopedMount(Kind kind, const std::string& at, const std::string& from,
                         unsigned long flags, const std::string& tmpfs_options)
    : at_(at) {
  MakeDirs(at);
  int result = -1;
  switch (kind) {
    case Kind::kTmpfs:
      result = ::mount("tmpfs", at.c_str(), "tmpfs", flags, tmpfs_options.c_str());
      break;
    case Kind::kBind:
      result = ::mount(from.c_str(), at.c_str(), nullptr, MS_BIND | flags, nullptr);
      break;
    case Kind::kBindfs: {
      // bindfs returns once the view is mounted, leaving its daemon behind.
      const pid_t child = ::fork();
      if (child == 0) {
        ::execlp("bindfs", "bindfs", from.c_str(), at.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
      }
      int status = 0;
      if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
          WEXITSTATUS(status) == 0 && Mounted(at)) {
        result = 0;
      } else {
        errno = ENODEV;
        why_ = "bindfs could not mount " + at;
      }
      break;
    }
  }
  ok_ = result == 0;
  if (!ok_ && why_.empty()) why_ = "cannot mount at " + at + ": " + std::strerror(errno);
}

ScopedMount::~ScopedMount() {
  if (ok_) ::umount2(at_.c_str(), MNT_DETACH);
}

}  // namespace testing
}  // namespace qm
