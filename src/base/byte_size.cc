// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/byte_size.h"

#include <QCoreApplication>

namespace qm {
namespace {

const char* const kUnits[] = {
    QT_TRANSLATE_NOOP("qm::Size", "%1 kB"), QT_TRANSLATE_NOOP("qm::Size", "%1 MB"),
    QT_TRANSLATE_NOOP("qm::Size", "%1 GB"), QT_TRANSLATE_NOOP("qm::Size", "%1 TB"),
    QT_TRANSLATE_NOOP("qm::Size", "%1 PB"), QT_TRANSLATE_NOOP("qm::Size", "%1 EB"),
    QT_TRANSLATE_NOOP("qm::Size", "%1 ZB"), QT_TRANSLATE_NOOP("qm::Size", "%1 YB"),
};
constexpr int kUnitCount = sizeof kUnits / sizeof kUnits[0];

QString Tr(const char* text) { return QCoreApplication::translate("qm::Size", text); }

}  // namespace

QString ByteSizeText(ByteCount bytes, const QLocale& locale) {
  if (bytes < 1000) {
    const auto n = static_cast<qulonglong>(bytes);
    return n == 1 ? Tr(QT_TRANSLATE_NOOP("qm::Size", "1 byte"))
                  : Tr(QT_TRANSLATE_NOOP("qm::Size", "%1 bytes")).arg(locale.toString(n));
  }
  // Tenths of the unit, rounded half up, in whole numbers: no floating
  // point on the way, so a size just under a unit's 1,000 goes up to the
  // next unit exactly when its rounding would show 1,000.0.
  ByteCount tenth = 100;  // a tenth of a kB
  for (int unit = 0;; ++unit) {
    const ByteCount tenths = bytes / tenth + (bytes % tenth >= tenth / 2 ? 1 : 0);
    if (tenths < 10000 || unit == kUnitCount - 1) {
      const ByteCount whole = tenths / 10;
      const QString number =
          (whole <= ~0ull ? locale.toString(static_cast<qulonglong>(whole))
                          : locale.toString(static_cast<double>(whole), 'f', 0)) +
          locale.decimalPoint() + locale.toString(static_cast<int>(tenths % 10));
      return Tr(kUnits[unit]).arg(number);
    }
    tenth *= 1000;
  }
}

}  // namespace qm
