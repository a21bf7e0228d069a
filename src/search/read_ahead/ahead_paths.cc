// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/ahead_paths.h"

namespace qm {

AheadPathList::AheadPathList(const std::vector<std::string>& paths) {
  std::size_t total = 0;
  for (const std::string& p : paths) total += p.size();
  text_.reserve(total);
  spans_.reserve(paths.size());
  for (const std::string& p : paths) {
    Span span;
    span.begin = text_.size();
    text_.append(p);
    span.end = text_.size();
    // The last component starts after the last "/" that is not the final
    // character; a path without one is read whole.
    const std::size_t search_end = p.size() > 1 ? p.size() - 2 : 0;
    const std::size_t slash = p.empty() ? std::string::npos : p.rfind('/', search_end);
    span.name = slash == std::string::npos || slash + 1 >= p.size() ? span.end
                                                                    : span.begin + slash + 1;
    spans_.push_back(span);
  }
}

void AheadPathList::Parts(std::size_t i, std::string_view* folder, std::string_view* name) const {
  const Span& c = spans_[i];
  // A path read whole has all of it in the folder part and an empty name.
  const std::size_t folder_end = c.name == c.end ? c.end : c.name;
  *folder = std::string_view(text_).substr(c.begin, folder_end - c.begin);
  *name = std::string_view(text_).substr(c.name, c.end - c.name);
}

}  // namespace qm
