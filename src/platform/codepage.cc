// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/codepage.h"

#include <cstdint>
#include <cstring>

namespace qm {
namespace {

// Unicode characters of the Windows-1252 positions 128..159; 0 marks the
// five positions that the code page leaves undefined, which the system's
// conversion maps to the C1 control of the same value.
const unsigned short kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

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
    extra = 1; cp = c & 0x1F; min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2; cp = c & 0x0F; min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3; cp = c & 0x07; min = 0x10000;
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

std::size_t Utf8CharCount(const char* text, std::size_t length) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < length) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
    } else {
      NextUtf8Char(text, length, &pos);
    }
    ++count;
  }
  return count;
}

int Windows1252Code(long code_point) {
  if (code_point < 0) return kUnrepresentable;
  if (code_point < 0x80) return static_cast<int>(code_point);
  if (code_point >= 0xA0 && code_point <= 0xFF) return static_cast<int>(code_point);
  for (int k = 0; k < 32; ++k) {
    if (kHighControls[k] == code_point) return 0x80 + k;
    if (kHighControls[k] == 0 && code_point == 0x80 + k) return 0x80 + k;
  }
  return kUnrepresentable;
}

bool ToWindows1252(const std::string& utf8, std::string* out) {
  out->clear();
  out->reserve(utf8.size());
  bool valid = true;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    long cp = NextUtf8Char(utf8.data(), utf8.size(), &pos);
    if (cp < 0) valid = false;
    out->push_back(static_cast<char>(Windows1252Code(cp)));
  }
  return valid;
}

}  // namespace qm
