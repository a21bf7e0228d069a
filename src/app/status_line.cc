// SPDX-License-Identifier: GPL-3.0-or-later
// The status line along the bottom of the window: what the result list
// holds and what is ticked, a search's progress with its Stop button, and
// what the trash or a move last took away.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "app/filters_dialog.h"
#include "app/form1.h"
#include "app/status_text.h"
#include "search/search_engine.h"

namespace qm {

void Form1::BuildStatusLine() {
  StatusBar1 = new QWidget(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setAccessibleName(tr("Status"));
  // A hairline over it, so it reads as the window's edge rather than a
  // control.
  StatusBar1->setStyleSheet(
      QStringLiteral("#StatusBar1 { border-top: 1px solid rgb(190, 190, 190); }"));
  StatusBar1->setAttribute(Qt::WA_StyledBackground);
  auto* row = new QHBoxLayout(StatusBar1);
  row->setContentsMargins(8, 1, 8, 1);
  row->setSpacing(8);
  Label2 = new QLabel(StatusBar1);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setTextFormat(Qt::PlainText);
  // A long folder name must not widen the window.
  Label2->setMinimumWidth(1);
  Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  QPalette p = Label2->palette();
  p.setColor(QPalette::WindowText, Qt::black);
  Label2->setPalette(p);
  row->addWidget(Label2, 1);
  // While a filter is on it says so here, below the results; "Filters…"
  // opens them.
  Label3 = new ElidedLabel(StatusBar1);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setTextFormat(Qt::PlainText);
  Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  p.setColor(QPalette::WindowText, QColor(150, 70, 0));
  Label3->setPalette(p);
  Label3->hide();
  row->addWidget(Label3, 1);
  PushButton10 = new QPushButton(tr("Filters…"), StatusBar1);
  PushButton10->setObjectName(QStringLiteral("PushButton10"));
  PushButton10->setAccessibleName(tr("Filters…"));
  PushButton10->setToolTip(
      tr("Leave folders out of every search, stay on one file system, keep only some names or "
         "sizes"));
  row->addWidget(PushButton10);
  PushButton9 = new QPushButton(tr("Stop"), StatusBar1);
  PushButton9->setObjectName(QStringLiteral("PushButton9"));
  PushButton9->setAccessibleName(tr("Stop"));
  PushButton9->setToolTip(tr("Stop the search and list what was found so far (Esc)"));
  PushButton9->hide();
  row->addWidget(PushButton9);
  BuildUndo();
}

void Form1::PushButton9_Click() {
  if (!search_running_) return;
  stop_requested_ = true;
  if (search_) search_->engine.Stop();
  if (stop_timer_) stop_timer_->start();
}

void Form1::UpdateStatus() {
  status_timer_->stop();
  QString totals;
  // Before the first search the result list has no totals to tell.
  if (ListView2->ColumnCount() == kResultColumns) {
    const ListModel* m = ListView2->Model();
    totals = StatusJoin(FoundText(m->Count(), m->TotalBytes()),
                        TickedText(m->CheckedCount(), m->CheckedBytes()));
  }
  Label2->setText(StatusJoin(status_event_, totals));
  // What a search had to say may not fit the line.
  Label2->setToolTip(status_event_);
  FitStatusParts();
}

QString Form1::StatusText() const { return Label2->text(); }

void Form1::BeginSearchStatus() {
  stop_requested_ = false;
  status_event_.clear();
  PushButton9->show();
  escape_shortcut_->setEnabled(true);
  if (!progress_shown_) return;
  if (!progress_timer_) {
    // At most ten times a second; the search itself only counts.
    progress_timer_ = new QTimer(this);
    progress_timer_->setInterval(100);
    connect(progress_timer_, &QTimer::timeout, this, [this] { ShowSearchProgress(); });
  }
  progress_timer_->start();
  ShowSearchProgress();
}

void Form1::ShowSearchProgress() {
  // Before the search starts (while nested rows are pruned) it stands at
  // the first folder row, with nothing counted.
  SearchCounts counts;
  QString folder;
  if (search_) {
    counts = search_->engine.Counts();
    folder = QString::fromStdString(search_->engine.Folder());
  } else if (ListView1->ItemCount() > 0) {
    folder = ListView1->ItemText(1);
  }
  Label2->setText(SearchingText(static_cast<std::int64_t>(counts.folders),
                                static_cast<std::int64_t>(counts.files),
                                static_cast<std::int64_t>(counts.found), folder));
  FitStatusParts();
}

void Form1::EndSearchStatus(bool stopped) {
  if (progress_timer_) progress_timer_->stop();
  PushButton9->hide();
  escape_shortcut_->setEnabled(false);
  status_event_ = stopped ? StoppedText(static_cast<std::int64_t>(last_counts_.folders),
                                        static_cast<std::int64_t>(last_counts_.files))
                          : QString();
  for (const QString& note : last_notes_) status_event_ = StatusJoin(status_event_, note);
  UpdateStatus();
}

}  // namespace qm
