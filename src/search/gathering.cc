// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/gathering.h"

#include <optional>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/yield.h"
#include "search/read_ahead/read_ahead.h"
#include "search/time_stamps.h"
#include "search/walker.h"

namespace qm {
namespace {

// The files of the path list from `first` on, as paths to read ahead.
class PendingPaths : public AheadPaths {
 public:
  PendingPaths(const FoundFiles& files, std::size_t first, std::size_t count)
      : files_(files), first_(first), count_(count) {}
  std::size_t Count() const override { return count_; }
  void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const override {
    files_.Parts(first_ + i, folder, name);
  }

 private:
  const FoundFiles& files_;
  std::size_t first_, count_;
};

}  // namespace

void GatherFiles(Trap& trap, GatheringWindow& window, FoundFiles& found) {
  std::optional<ReadAheadSession> read_ahead(std::in_place);
  int m = 0;
  trap.Do(144, [&] { m = window.RowCount(); });
  for (int i = 1; i <= m && !window.StopRequested(); ++i) {
    std::string folder;
    bool have_row = false;
    trap.Do(146, [&] {
      folder = window.RowText(i);
      have_row = true;
    });
    if (!have_row) continue;  // the row went while the run yielded
    std::vector<std::string> collection;
    trap.Do(148, [&] { collection.assign(1, folder); });
    trap.Do(150, [&] { Yield(); });
    trap.Do(152, [&] { GetSubDirectories2016(collection, true); });
    trap.Line(154);
    std::optional<ReadAhead> listings(std::in_place, AheadKind::kListings, collection);
    std::vector<std::string> names;  // used again from one folder to the next
    for (const std::string& entry : collection) {
      trap.Do(156, [&] { Yield(); });
      if (window.StopRequested()) break;
      window.ListingFolder(entry);
      std::string dir;
      trap.Do(158, [&] {
        if (entry.empty()) throw Failure(kErrInvalidCall);
        dir = entry.substr(0, entry.size() - 1);
      });
      std::size_t listed = 0;  // none when the listing failed
      trap.Do(160, [&] { listed = ListFolderFilesInto(dir, "*.*", &names); });
      trap.Line(162);
      // A file's path is the folder, one "/" and its name; the folder is
      // kept once for all its files.
      bool folder_kept = false;
      for (size_t k = 1; k <= listed; ++k) {
        const std::string& name = names[k];
        if (trap.Test(164, [&] { return !name.empty() && name[0] == '~'; })) continue;
        trap.Do(166, [&] {
          if (!folder_kept) found.AddFolder(dir + '/');
          folder_kept = true;
        });
        trap.Line(168);
        trap.Do(170, [&] {
          if (folder_kept) found.AddName(name);
        });
        trap.Line(172);
      }
    }
    listings.reset();
    trap.Line(174);
    const PendingPaths path_list(found, found.Count(), found.Pending());
    std::optional<ReadAhead> stamps(std::in_place, AheadKind::kStamps, path_list);
    std::string path;
    std::string_view path_folder;  // the folder `path` starts with
    window.ReadingStamps(true);
    for (std::size_t k = 0; k < path_list.Count(); ++k) {
      trap.Do(176, [&] { Yield(); });
      if (window.StopRequested()) break;
      bool have_path = false;
      trap.Do(178, [&] {
        std::string_view folder_part, name_part;
        found.Parts(found.Count(), &folder_part, &name_part);
        // The files of one folder come one after another: only the name
        // changes.
        if (folder_part.data() != path_folder.data() || folder_part.size() != path_folder.size()) {
          path_folder = folder_part;
          path.assign(folder_part);
        }
        path.resize(folder_part.size());
        path.append(name_part);
        have_path = true;
      });
      if (!have_path) {
        path.clear();  // no stamp is read for it
        path_folder = {};
      }
      trap.Line(180);
      bool taken = false;
      trap.Do(182, [&] {
        found.Take();
        taken = true;
      });
      // The date type is read afresh for every file.  The same call gives
      // the file's identity, which move and trash check.  A stamp not read
      // stays empty, without an identity.
      Stamp stamp;
      FileId id;
      const DateType type = window.ChosenDateType();
      if (trap.Test(184, [&] { return type == DateType::kModified; })) {
        trap.Line(186);
        trap.Do(188, [&] { stamp = FileDateModified(path, &id); });
      } else if (trap.Test(190, [&] { return type == DateType::kCreated; })) {
        trap.Line(192);
        trap.Do(194, [&] { stamp = FileDateCreated(path, &id); });
      } else if (trap.Test(196, [&] { return type == DateType::kAccessed; })) {
        trap.Line(198);
        trap.Do(200, [&] { stamp = FileDateAccessed(path, &id); });
      }
      if (taken) found.SetStamp(found.Count() - 1, stamp, id);
      trap.Line(202);
    }
    stamps.reset();
    window.ReadingStamps(false);
    trap.Line(204);
  }
}

}  // namespace qm
