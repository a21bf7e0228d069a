// SPDX-License-Identifier: GPL-3.0-or-later
// A dark colour scheme like Breeze Dark (light text on dark grey), for the
// legibility test and for screenshots of the window under a dark scheme.
#ifndef QUENMOOR_TESTING_DARK_PALETTE_H_
#define QUENMOOR_TESTING_DARK_PALETTE_H_

#include <QColor>
#include <QPalette>

namespace qm {
namespace testing {

inline QPalette DarkPalette() {
  QPalette p;
  const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::white);
  p.setColor(QPalette::Light, QColor(64, 70, 76));
  p.setColor(QPalette::Midlight, QColor(56, 62, 68));
  p.setColor(QPalette::Mid, QColor(40, 44, 48));
  p.setColor(QPalette::Dark, QColor(25, 27, 29));
  p.setColor(QPalette::Shadow, QColor(10, 10, 10));
  p.setColor(QPalette::Highlight, QColor(61, 174, 233));
  p.setColor(QPalette::HighlightedText, text);
  p.setColor(QPalette::ToolTipBase, window);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(140, 145, 150));
  return p;
}

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_DARK_PALETTE_H_
