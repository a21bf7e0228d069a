// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_layout.h"

#include <algorithm>
#include <cmath>

namespace qm {

QSize WindowLayout::MinimumSize() const {
  const int shrink = results_least_ > 0 ? column_width_ - results_least_ : kResultsShrink;
  return DefaultSize() - QSize(shrink, kFolderListShrink);
}

void WindowLayout::SetResultsColumn(int left, int width, int row, int least, int pair) {
  column_left_ = left;
  column_width_ = width;
  row_ = row;
  results_least_ = least;
  pair_least_ = pair;
}

int WindowLayout::ResultsWidth(QSize size) const {
  const int wider = size.expandedTo(MinimumSize()).width() - DefaultSize().width();
  return column_width_ + (wider > 0 ? wider - wider / 4 : wider);
}

bool WindowLayout::Stacked(QSize size) const {
  return pair_least_ > 0 && ResultsWidth(size) < pair_least_;
}

QRect WindowLayout::Place(const QRect& designed_rect, const Anchor& anchor, QSize size) const {
  const QSize least = MinimumSize();
  size = size.expandedTo(least);
  const int wider = size.width() - DefaultSize().width();
  const int taller = size.height() - DefaultSize().height();
  // The left column grows by a quarter of what is gained and never shrinks:
  // its frames hold controls of a fixed size.
  const int left_growth = wider > 0 ? wider / 4 : 0;
  const int right_growth = wider - left_growth;
  const int growth = anchor.right ? right_growth : left_growth;
  const int shift = anchor.right ? left_growth : 0;
  auto moved = [](int edge, double share, int by) {
    return edge + static_cast<int>(std::lround(share * by));
  };
  const int left = shift + moved(designed_rect.left(), anchor.left_edge, growth);
  const int right =
      shift + moved(designed_rect.left() + designed_rect.width(), anchor.right_edge, growth);
  int top = moved(designed_rect.top(), anchor.top_edge, taller);
  int bottom = moved(designed_rect.top() + designed_rect.height(), anchor.bottom_edge, taller);
  int l = left, r = right;
  if (anchor.stack != Anchor::kStays && Stacked(size)) {
    if (anchor.stack != Anchor::kAcross) bottom -= row_;
    if (anchor.stack == Anchor::kRowHigher || anchor.stack == Anchor::kAcrossARowHigher) {
      top -= row_;
    }
    if (anchor.stack == Anchor::kAcross || anchor.stack == Anchor::kAcrossARowHigher) {
      l = shift + column_left_;
      r = l + ResultsWidth(size);
    }
  }
  return QRect(l, top, std::max(0, r - l), std::max(0, bottom - top));
}

QRect WindowLayout::StatusPlace(QSize size) const {
  size = size.expandedTo(MinimumSize());
  return QRect(0, size.height() - status_height_, size.width(), status_height_);
}

}  // namespace qm
