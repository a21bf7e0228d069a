// SPDX-License-Identifier: GPL-3.0-or-later
// Names as text.
//
// Linux names are bytes; the program reads them as UTF-8, the code page the
// walker judges folder names in.  Where a name has to be seen as classic
// single-byte text, each character can be converted to Windows-1252: a
// character that code page cannot represent becomes "?" (63), and a name
// that is not valid UTF-8 cannot be represented at all.
#ifndef QUENMOOR_PLATFORM_CODEPAGE_H_
#define QUENMOOR_PLATFORM_CODEPAGE_H_

#include <cstddef>
#include <string>

namespace qm {

constexpr int kUnrepresentable = 63;  // "?"

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(const char* text, std::size_t length);
inline bool IsValidUtf8(const std::string& text) {
  return IsValidUtf8(text.data(), text.size());
}

// Number of characters in UTF-8 text; each byte of a malformed sequence
// counts as one character.
std::size_t Utf8CharCount(const char* text, std::size_t length);
inline std::size_t Utf8CharCount(const std::string& text) {
  return Utf8CharCount(text.data(), text.size());
}

// Reads one character at `pos`, advancing it.  Returns the code point, or -1
// for a malformed sequence (then `pos` moves past one byte).
long NextUtf8Char(const char* text, std::size_t length, std::size_t* pos);

// The Windows-1252 code of one Unicode character, 63 when it has none.
int Windows1252Code(long code_point);

// Converts UTF-8 text to Windows-1252.  Unrepresentable characters and the
// bytes of malformed sequences become "?".  Returns false when the text was
// not valid UTF-8.
bool ToWindows1252(const std::string& utf8, std::string* out);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_CODEPAGE_H_
