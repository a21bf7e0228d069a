// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's controls go when the window is not at its designed
// size.
//
// At the designed size every control is where the window was drawn.  Room
// gained is shared between the two columns, the results taking three
// quarters of the width; each list takes all the height gained, and the
// controls below a list move down with its bottom edge.  Buttons keep to
// their list's edges: a button under half of a list keeps that half.  Below
// the designed size only the lists shrink (the frames with the date rules
// keep their size), down to a least size that still shows every control
// with its caption whole.  Where the results grow too narrow for the two
// lowest buttons side by side, those two stand one above the other, each
// across the whole column, and the list gives up a row of its height.
#ifndef QUENMOOR_APP_WINDOW_LAYOUT_H_
#define QUENMOOR_APP_WINDOW_LAYOUT_H_

#include <QRect>
#include <QSize>

namespace qm {

// How a control follows the window.  `right` puts it in the results column
// (which moves right as the left column grows).  Its left and right edges
// move by `left_edge` and `right_edge` of its column's growth; its top and
// bottom edges by `top_edge` and `bottom_edge` of the height gained.
struct Anchor {
  bool right = false;
  double left_edge = 0, right_edge = 0;
  double top_edge = 0, bottom_edge = 0;
  // Where it goes while the lowest pair of buttons stands one above the
  // other (WindowLayout::Stacked).
  enum Stack { kStays, kListEndsARowHigher, kRowHigher, kAcrossARowHigher, kAcross };
  Stack stack = kStays;
};

class WindowLayout {
 public:
  // `designed`: the client area the controls were placed for, without the
  // status line; `status_height`: the status line along the bottom.
  WindowLayout(QSize designed, int status_height)
      : designed_(designed), status_height_(status_height) {}

  // The window at its designed size, status line included.
  QSize DefaultSize() const { return designed_ + QSize(0, status_height_); }
  // The least size that still shows every control.
  QSize MinimumSize() const;

  // What the captions of the results column need: `least` its least width
  // (every button's caption whole, the lowest two one above the other),
  // `pair` the width from which the lowest two stand side by side.  The
  // column is designed at `left`, `width` wide; its rows of buttons stand
  // `row` apart.
  void SetResultsColumn(int left, int width, int row, int least, int pair);
  // Whether the lowest pair of buttons stands one above the other in a
  // window of `size`.
  bool Stacked(QSize size) const;
  // The place of a control designed at `designed_rect` in a window of `size`.
  QRect Place(const QRect& designed_rect, const Anchor& anchor, QSize size) const;
  // The status line's place in a window of `size`.
  QRect StatusPlace(QSize size) const;

  // How much narrower the results list and shorter the folder list may
  // become than designed.
  static constexpr int kResultsShrink = 320;
  static constexpr int kFolderListShrink = 129;

 private:
  int ResultsWidth(QSize size) const;

  QSize designed_;
  int status_height_;
  int column_left_ = 0, column_width_ = 0, row_ = 0;
  int results_least_ = 0;  // 0: the designed width less kResultsShrink
  int pair_least_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_APP_WINDOW_LAYOUT_H_
