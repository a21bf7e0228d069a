// SPDX-License-Identifier: GPL-3.0-or-later
// The status line along the bottom of the window: what the result list
// holds and what is ticked, a search's progress with its Stop button, and
// what the trash or a move last took away.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <cmath>

#include "app/form1.h"
#include "app/status_text.h"

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
  PushButton9 = new QPushButton(tr("Stop"), StatusBar1);
  PushButton9->setObjectName(QStringLiteral("PushButton9"));
  PushButton9->setAccessibleName(tr("Stop"));
  PushButton9->setToolTip(tr("Stop the search and list what was found so far (Esc)"));
  PushButton9->hide();
  row->addWidget(PushButton9);
}

void Form1::PushButton9_Click() {
  if (search_running_) stop_requested_ = true;
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
}

void Form1::ShowListingFolder(const std::string& folder) {
  if (progress_shown_) progress_.folder.assign(folder);
}

QString Form1::StatusText() const { return Label2->text(); }

void Form1::BeginSearchStatus() {
  stop_requested_ = false;
  status_event_.clear();
  progress_ = WalkProgress();
  progress_.stop = &stop_requested_;
  // Until the walk reports a folder, the first one it will read.
  if (ListView1->ItemCount() > 0) progress_.folder = ListView1->ItemText(1).toStdString();
  SetWalkProgress(&progress_);
  reading_stamps_ = false;
  progress_judged_ = 0;
  progress_found_ = 0;
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
  // The files whose date was read since the last time are judged by the
  // rule as it stands now, to say how many were found.
  const FoundFiles& found = *found_;
  const std::size_t checked = found.Count();
  if (progress_judged_ < checked) {
    const RuleSnapshot rule = RuleAsItStands();
    for (std::size_t i = progress_judged_; i < checked; ++i) {
      const Stamp stamp = found.StampAt(i);  // the zero date when empty
      if (rule.Matches(stamp.value)) ++progress_found_;
    }
    progress_judged_ = checked;
  }
  QString folder = QString::fromStdString(progress_.folder);
  if (reading_stamps_ && checked > 0) {
    std::string_view folder_part, name_part;
    found.Parts(checked - 1, &folder_part, &name_part);
    folder = QString::fromUtf8(folder_part.data(), static_cast<qsizetype>(folder_part.size()));
  }
  Label2->setText(SearchingText(static_cast<std::int64_t>(progress_.folders),
                                static_cast<std::int64_t>(checked),
                                static_cast<std::int64_t>(progress_found_), folder));
}

void Form1::EndSearchStatus(bool stopped) {
  if (progress_timer_) progress_timer_->stop();
  SetWalkProgress(nullptr);
  PushButton9->hide();
  escape_shortcut_->setEnabled(false);
  status_event_ = stopped ? StoppedText(static_cast<std::int64_t>(progress_.folders),
                                        static_cast<std::int64_t>(found_->Count()))
                          : QString();
  UpdateStatus();
}

}  // namespace qm
