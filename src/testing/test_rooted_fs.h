// SPDX-License-Identifier: GPL-3.0-or-later
// A file system whose "/" is a folder of the test's own, so a search of the
// root can be run on a small tree instead of the whole disk.
#ifndef QUENMOOR_TESTING_TEST_ROOTED_FS_H_
#define QUENMOOR_TESTING_TEST_ROOTED_FS_H_

#include <string>

#include "platform/file_system.h"

namespace qm {
namespace testing {

class RootedFs : public FileSystem {
 public:
  explicit RootedFs(std::string root) : root_(std::move(root)) {}

  int Stat(const char* path, struct stat* st) override {
    return FileSystem::Stat(Map(path).c_str(), st);
  }
  int Lstat(const char* path, struct stat* st) override {
    return FileSystem::Lstat(Map(path).c_str(), st);
  }
  int Statx(const char* path, int flags, unsigned mask, struct statx* stx) override {
    return FileSystem::Statx(Map(path).c_str(), flags, mask, stx);
  }
  int Statfs(const char* path, struct statfs* sfs) override {
    return FileSystem::Statfs(Map(path).c_str(), sfs);
  }
  DIR* OpenDir(const char* path) override { return FileSystem::OpenDir(Map(path).c_str()); }
  int Open(const char* path, int flags, mode_t mode) override {
    return FileSystem::Open(Map(path).c_str(), flags, mode);
  }
  int Rename(const char* from, const char* to) override {
    return FileSystem::Rename(Map(from).c_str(), Map(to).c_str());
  }
  int Unlink(const char* path) override { return FileSystem::Unlink(Map(path).c_str()); }

 private:
  std::string Map(const char* path) const {
    std::string p(path);
    if (!p.empty() && p[0] == '/') return root_ + p;
    return p;
  }
  std::string root_;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_ROOTED_FS_H_
