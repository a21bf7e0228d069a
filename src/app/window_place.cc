// SPDX-License-Identifier: GPL-3.0-or-later
// The window's size and place: laying the controls out as it grows or
// shrinks, and remembering size, place and column widths between runs.
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/form1.h"
#include "app/window_state.h"
#include "platform/dialogs.h"

namespace qm {
namespace {

std::vector<int> ColumnWidths(const ListView* list) {
  std::vector<int> widths;
  for (int c = 0; c < list->ColumnCount(); ++c) widths.push_back(list->columnWidth(c));
  return widths;
}

}  // namespace

void Form1::LayOut() {
  const QSize now = size();
  for (auto it = anchored_.cbegin(); it != anchored_.cend(); ++it) {
    it.key()->setGeometry(layout_.Place(it.value().first, it.value().second, now));
  }
  StatusBar1->setGeometry(layout_.StatusPlace(now));
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
  StateChanged();
}

void Form1::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  StateChanged();
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) StateChanged();
}

void Form1::StateChanged() {
  // Written a moment after the last change, not at every step of a drag.
  if (save_state_timer_ && isVisible()) save_state_timer_->start();
}

void Form1::RestoreWindowState() {
  QString trouble;
  const WindowState state = ReadWindowState(&trouble);
  // Said once, at start: the window then opens as designed, and its size
  // is not kept while the file stays as it is (writes leave it alone).
  if (!trouble.isEmpty()) {
    MessageBox(this,
               tr("%1. Quenmoor opens at its designed size and does not keep its size and "
                  "place while this is so.")
                   .arg(trouble),
               kOkOnly | kExclamation);
  }
  folder_widths_ = state.folder_widths;
  result_widths_ = state.result_widths;
  ApplyRememberedWidths(ListView1, folder_widths_);
  // The window opens on the screen it would open on, no larger than its
  // free area (less a title bar's worth for the frame).
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    QRect free = screen->availableGeometry();
    free.adjust(0, 0, 0, -32);
    setGeometry(FitToScreen(state.geometry, layout_.DefaultSize(), minimumSize(), free));
  }
  if (state.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void Form1::SaveWindowState() {
  save_state_timer_->stop();
  WindowState state;
  state.geometry = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  state.maximized = isMaximized();
  state.folder_widths = folder_widths_;
  state.result_widths = result_widths_;
  WriteWindowState(state);
}

void Form1::ApplyRememberedWidths(ListView* list, const std::vector<int>& widths) {
  const int n = std::min(list->ColumnCount(), static_cast<int>(widths.size()));
  for (int c = 0; c < n; ++c) list->SetColumnWidthPixels(c + 1, widths[static_cast<size_t>(c)]);
}

void Form1::WatchColumnWidths() {
  save_state_timer_ = new QTimer(this);
  save_state_timer_->setSingleShot(true);
  save_state_timer_->setInterval(500);
  connect(save_state_timer_, &QTimer::timeout, this, [this] { SaveWindowState(); });
  // Only widths the user set by dragging a divider are remembered.
  connect(ListView1, &ListView::ColumnResizedByUser, this, [this] {
    folder_widths_ = ColumnWidths(ListView1);
    StateChanged();
  });
  connect(ListView2, &ListView::ColumnResizedByUser, this, [this] {
    if (ListView2->ColumnCount() != kResultColumns) return;
    result_widths_ = ColumnWidths(ListView2);
    StateChanged();
  });
}

void Form1::ApplyResultWidths() {
  if (ListView2->ColumnCount() == kResultColumns) ApplyRememberedWidths(ListView2, result_widths_);
}

}  // namespace qm
