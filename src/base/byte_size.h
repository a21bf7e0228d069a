// SPDX-License-Identifier: GPL-3.0-or-later
// Sizes in bytes as people read them: in decimal units (1 kB = 1,000
// bytes, 1 MB = 1,000 kB, on to YB), as desktop file managers show them,
// with one decimal; below 1 kB in bytes.  A total of many sizes is kept in
// 128 bits, so no sum of file sizes a list can hold wraps.
#ifndef QUENMOOR_BASE_BYTE_SIZE_H_
#define QUENMOOR_BASE_BYTE_SIZE_H_

#include <QLocale>
#include <QString>
#include <cstdint>

namespace qm {

// A count of bytes, or a total of them.
using ByteCount = unsigned __int128;

// "0 bytes", "1 byte", "999 bytes", "1.0 kB", "999.9 kB", "1.0 MB", ...:
// the unit is the one that shows the size, rounded to a tenth, below 1,000
// (so 999,950 bytes is "1.0 MB", not "1,000.0 kB").  Numbers in `locale`'s
// format, words in the user's language.
QString ByteSizeText(ByteCount bytes, const QLocale& locale = QLocale());

}  // namespace qm

#endif  // QUENMOOR_BASE_BYTE_SIZE_H_
