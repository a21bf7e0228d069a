// SPDX-License-Identifier: GPL-3.0-or-later
// The result list's view of a search's found files: the rows it shows are
// positions of the found files, each with its path, date and identity.
#ifndef QUENMOOR_APP_FOUND_ROWS_H_
#define QUENMOOR_APP_FOUND_ROWS_H_

#include <memory>
#include <string_view>
#include <utility>

#include "app/list_view.h"
#include "search/found_files.h"

namespace qm {

class FoundRows : public ListSource {
 public:
  explicit FoundRows(std::shared_ptr<const FoundFiles> files) : files_(std::move(files)) {}

  std::size_t Size() const override { return files_->Count(); }
  void TextParts(std::size_t i, std::string_view* folder, std::string_view* name) const override {
    files_->Parts(i, folder, name);
  }
  double DateAt(std::size_t i, bool* empty) const override {
    const Stamp stamp = files_->StampAt(i);
    *empty = stamp.empty;
    return stamp.value;
  }
  FileId IdAt(std::size_t i) const override { return files_->IdAt(i); }
  std::int64_t SizeAt(std::size_t i) const override { return files_->SizeAt(i); }

 private:
  std::shared_ptr<const FoundFiles> files_;
};

}  // namespace qm

#endif  // QUENMOOR_APP_FOUND_ROWS_H_
