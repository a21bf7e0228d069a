// SPDX-License-Identifier: GPL-3.0-or-later
// Names as text.
//
// Linux names are bytes; the program reads them as UTF-8: a name that is
// not valid UTF-8 has no text form to show or judge.
#ifndef QUENMOOR_PLATFORM_CODEPAGE_H_
#define QUENMOOR_PLATFORM_CODEPAGE_H_

#include <cstddef>
#include <string>

namespace qm {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(const char* text, std::size_t length);
inline bool IsValidUtf8(const std::string& text) { return IsValidUtf8(text.data(), text.size()); }

// Reads one character at `pos`, advancing it.  Returns the code point, or -1
// for a malformed sequence (then `pos` moves past one byte).
long NextUtf8Char(const char* text, std::size_t length, std::size_t* pos);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_CODEPAGE_H_
