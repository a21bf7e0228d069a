#include "results/move_files.h"

#include <cerrno>
#include <cstdint>

#include "app/form1.h"
#include "fsutil/file_helpers.h"
#include "platform/file_system.h"

namespace qm {

std::string FileMover::FileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FileMover::LookUp(const std::string& path) {
  std::string name = FileNameOf(path);
  if (name.find_first_not_of(' ') == std::string::npos) return false;
  std::uint32_t attributes = 0;
  if (!ReadAttributes(path, &attributes)) return false;
  return (attributes & (kAttrHidden | kAttrSystem | kAttrDirectory)) == 0;
}

std::string FileMover::TargetFor(const std::string& name) const {
  std::string target = folder_ + name;
  if (placed_.count(target) == 0) return target;
  // Another file of this move already went by that name: keep both.
  size_t dot = name.rfind('.');
  if (dot == 0 || dot == std::string::npos) dot = name.size();
  const std::string stem = name.substr(0, dot);
  const std::string ext = name.substr(dot);
  for (int n = 2;; ++n) {
    target = folder_ + stem + " (" + std::to_string(n) + ")" + ext;
    if (placed_.count(target) == 0 && !PathExists(target)) return target;
  }
}

FileMover::Copy FileMover::CopyToFolder(const std::string& source) {
  Copy copy;
  copy.target = TargetFor(FileNameOf(source));
  if (SameFile(source, copy.target)) {
    copy.step = kSameFile;
    return copy;
  }
  PathInfo from = StatPath(source, false);
  PathInfo folder = StatPath(folder_, true);
  if (!from.exists || !folder.is_dir) return copy;
  if (from.dev == folder.dev && PathIsFile(source) &&
      Fs().Rename(source.c_str(), copy.target.c_str()) == 0) {
    placed_.insert(copy.target);
    copy.step = kMoved;
    return copy;
  }
  if (!CopyFileChecked(source, copy.target)) return copy;
  // The copy counts only when it is complete at the target.
  PathInfo to = StatPath(copy.target, false);
  PathInfo now = StatPath(source, false);
  if (!to.exists || !to.is_regular || !now.exists || to.size != now.size ||
      (to.dev == now.dev && to.ino == now.ino)) {
    return copy;
  }
  placed_.insert(copy.target);
  copy.step = kCopied;
  return copy;
}

bool FileMover::RemoveSource(const std::string& source) {
  DeleteFileForced(source);
  return !PathExists(source);
}

}  // namespace qm
