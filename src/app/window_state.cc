// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <algorithm>

#include "platform/failure.h"
#include "platform/whole_file.h"

namespace qm {
namespace {

// Widths and sizes beyond any screen are taken for damage.
constexpr int kLargest = 100000;
// A state file is a few lines: anything larger is not ours.
constexpr std::size_t kMaxStateBytes = 4096;

const WholeFileWords kWords = {
    "qm::WindowState",
    QT_TRANSLATE_NOOP("qm::WindowState", "The window's state file %1 is %2, not a file"),
    QT_TRANSLATE_NOOP("qm::WindowState", "The window's state file %1 is too large (%2)"),
    QT_TRANSLATE_NOOP("qm::WindowState", "The window's state file %1 cannot be read: %2"),
};

std::vector<int> Numbers(const QString& text, bool* ok) {
  std::vector<int> out;
  *ok = true;
  for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    bool good = false;
    const int n = part.toInt(&good);
    if (!good || n < -kLargest || n > kLargest) {
      *ok = false;
      return {};
    }
    out.push_back(n);
  }
  return out;
}

QString Joined(const std::vector<int>& numbers) {
  QStringList parts;
  for (int n : numbers) parts << QString::number(n);
  return parts.join(QLatin1Char(' '));
}

std::vector<int> Widths(const QString& text) {
  bool ok = false;
  std::vector<int> widths = Numbers(text, &ok);
  for (int w : widths) {
    if (w <= 0) return {};
  }
  return ok ? widths : std::vector<int>();
}

}  // namespace

QString WindowStatePath() {
  QString base = qEnvironmentVariable("XDG_STATE_HOME");
  // A relative path is to be ignored, as for every XDG variable.
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    base = QDir::homePath() + QStringLiteral("/.local/state");
  }
  return base + QStringLiteral("/quenmoor/window");
}

WindowState ReadWindowState(QString* trouble) {
  WindowState state;
  std::string bytes;
  try {
    if (!ReadWholeFile(WindowStatePath().toStdString(), kMaxStateBytes, kWords, &bytes)) {
      return state;
    }
  } catch (const Failure& failure) {
    if (trouble) *trouble = QString::fromStdString(failure.what());
    return state;
  }
  const QStringList lines = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                                .split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) continue;
    const QString key = line.left(eq).trimmed();
    const QString value = line.mid(eq + 1).trimmed();
    if (key == QLatin1String("geometry")) {
      bool ok = false;
      const std::vector<int> n = Numbers(value, &ok);
      if (ok && n.size() == 4 && n[2] > 0 && n[3] > 0)
        state.geometry = QRect(n[0], n[1], n[2], n[3]);
    } else if (key == QLatin1String("maximized")) {
      state.maximized = value == QLatin1String("1");
    } else if (key == QLatin1String("folder-columns")) {
      state.folder_widths = Widths(value);
    } else if (key == QLatin1String("result-columns")) {
      state.result_widths = Widths(value);
    }
  }
  return state;
}

bool WriteWindowState(const WindowState& state) {
  QString text;
  if (!state.geometry.isEmpty()) {
    text += QStringLiteral("geometry=%1 %2 %3 %4\n")
                .arg(state.geometry.x())
                .arg(state.geometry.y())
                .arg(state.geometry.width())
                .arg(state.geometry.height());
  }
  text += QStringLiteral("maximized=%1\n").arg(state.maximized ? 1 : 0);
  if (!state.folder_widths.empty()) {
    text += QStringLiteral("folder-columns=") + Joined(state.folder_widths) + QLatin1Char('\n');
  }
  if (!state.result_widths.empty()) {
    text += QStringLiteral("result-columns=") + Joined(state.result_widths) + QLatin1Char('\n');
  }
  try {
    return ReplaceWholeFile(WindowStatePath().toStdString(), text.toUtf8().toStdString(), 0600,
                            kWords);
  } catch (const Failure&) {
    return false;
  }
}

QRect FitToScreen(const QRect& wanted, QSize default_size, QSize least, const QRect& available) {
  QRect place = wanted;
  if (place.isEmpty()) {
    place = QRect(QPoint(0, 0), default_size);
    place.moveCenter(available.center());
  }
  place.setSize(place.size().expandedTo(least).boundedTo(available.size()));
  // Moved wholly onto the screen, as far as the size allows.
  const int x = std::clamp(place.x(), available.left(),
                           std::max(available.left(), available.right() + 1 - place.width()));
  const int y = std::clamp(place.y(), available.top(),
                           std::max(available.top(), available.bottom() + 1 - place.height()));
  place.moveTo(x, y);
  return place;
}

}  // namespace qm
