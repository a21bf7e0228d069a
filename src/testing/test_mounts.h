// SPDX-License-Identifier: GPL-3.0-or-later
// Mounts a test makes inside its own temporary folders (tests run as root):
// a tmpfs with chosen flags, a bind mount, a bindfs FUSE view.  Each is
// taken away when its object goes; ok() is false when it could not be made
// (no privilege, no bindfs), and the test skips, saying why().
#ifndef QUENMOOR_TESTING_TEST_MOUNTS_H_
#define QUENMOOR_TESTING_TEST_MOUNTS_H_

#include <string>

namespace qm {
namespace testing {

class ScopedMount {
 public:
  enum class Kind { kTmpfs, kBind, kBindfs };
  // Mounts at `at` (made when missing): a tmpfs with mount flags `flags`
  // (MS_NOATIME, ...) and options `tmpfs_options` ("size=64k,mode=0755");
  // `from` bound there; or a bindfs view of `from`.
  ScopedMount(Kind kind, const std::string& at, const std::string& from = std::string(),
              unsigned long flags = 0, const std::string& tmpfs_options = "mode=0755");
  ~ScopedMount();
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;

  bool ok() const { return ok_; }
  const std::string& why() const { return why_; }

 private:
  std::string at_;
  bool ok_ = false;
  std::string why_;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_MOUNTS_H_
