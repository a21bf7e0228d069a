// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/codepage.h"

#include <cstdint>
#include <cstring>

namespace qm {

long NextUtf8Char(const char* text, std::size_t n, std::size_t* pos) {
  std::size_t i = *pos;
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    *pos = i + 1;
    return c;
  }
  int extra;
  long cp;
  long min;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1;
    cp = c & 0x1F;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2;
    cp = c & 0x0F;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    *pos = i + 1;
    return -1;
  }
  if (n - i <= static_cast<std::size_t>(extra)) {
    *pos = i + 1;
    return -1;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) {
      *pos = i + 1;
      return -1;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    *pos = i + 1;
    return -1;
  }
  *pos = i + 1 + extra;
  return cp;
}

bool IsValidUtf8(const char* text, std::size_t length) {
  std::size_t i = 0;
  // Names are mostly ASCII; check those bytes without decoding, eight at a
  // time while they last.
  for (std::uint64_t word; i + 8 <= length; i += 8) {
    std::memcpy(&word, text + i, 8);
    if ((word & 0x8080808080808080ull) != 0) break;
  }
  while (i < length) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    if (NextUtf8Char(text, length, &i) < 0) return false;
  }
  return true;
}

}  // namespace qm
