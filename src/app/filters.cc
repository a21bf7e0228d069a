// SPDX-License-Identifier: GPL-3.0-or-later
// The search filters on the window: the status line's "Filters…" and its
// dialog, the line that says in plain words which filters are on, and the
// filters a search takes.  They are kept in the settings store under keys
// of their own, written when the dialog's OK keeps them.
#include "search/filters.h"

#include <QBoxLayout>
#include <QDir>
#include <QPushButton>
#include <algorithm>

#include "app/filters_dialog.h"
#include "app/form1.h"
#include "app/search_notes.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "settings/settings_store.h"

namespace qm {
namespace {

// The settings store's keys.  The folder patterns are kept one a line.
const char kExcludedFolders[] = "Excluded folders";
const char kOneFileSystem[] = "One file system";
const char kFileNames[] = "File names";
const char kMinSize[] = "Min size";
const char kMaxSize[] = "Max size";

}  // namespace

void Form1::PushButton10_Click() {
  // Window-modal and not waited for: the window goes on painting, and a
  // search under way keeps its own filters.
  auto* dialog = new FiltersDialog(filter_texts_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { SetFilters(dialog->Texts()); });
  dialog->open();
}

void Form1::FitStatusParts() {
  if (!Label3->isVisibleTo(StatusBar1)) return;
  auto* row = static_cast<QBoxLayout*>(StatusBar1->layout());
  // The room the two texts share: the line less its margins, its buttons
  // and the gaps between its parts.
  const QMargins margins = row->contentsMargins();
  int room = StatusBar1->width() - margins.left() - margins.right() - row->spacing();
  for (QPushButton* button : {PushButton10, PushButton9}) {
    if (button->isVisibleTo(StatusBar1)) room -= button->sizeHint().width() + row->spacing();
  }
  room = std::max(room, 2);
  // A character's width to spare, against rounding in the layout.
  const int told = Label2->fontMetrics().horizontalAdvance(Label2->text()) +
                   Label2->fontMetrics().averageCharWidth();
  const int filters = Label3->fontMetrics().horizontalAdvance(Label3->text());
  const int kept = told + filters <= room ? room - told : std::max(room - told, room * 2 / 5);
  row->setStretchFactor(Label2, std::max(1, room - kept));
  row->setStretchFactor(Label3, std::max(1, kept));
  row->activate();
}

void Form1::SetFilters(const FilterTexts& texts) {
  filter_texts_ = texts;
  WriteSettingQuietly(QLatin1String(kExcludedFolders), texts.exclude.join(QLatin1Char('\n')));
  WriteSettingQuietly(QLatin1String(kOneFileSystem), BooleanSetting(texts.one_file_system));
  WriteSettingQuietly(QLatin1String(kFileNames), texts.names);
  WriteSettingQuietly(QLatin1String(kMinSize), texts.min_size);
  WriteSettingQuietly(QLatin1String(kMaxSize), texts.max_size);
  ShowFilterSummary();
}

void Form1::LoadFilters() {
  FilterTexts texts;
  // A store that cannot be read was told at start-up; every filter is then
  // off.  A stored value that is no filter is kept as it is, and said when
  // a search would use it.
  try {
    texts.exclude = ReadSetting(QLatin1String(kExcludedFolders), QString())
                        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    texts.names = ReadSetting(QLatin1String(kFileNames), QString());
    texts.min_size = ReadSetting(QLatin1String(kMinSize), QString());
    texts.max_size = ReadSetting(QLatin1String(kMaxSize), QString());
    texts.one_file_system =
        SettingToBoolean(ReadSetting(QLatin1String(kOneFileSystem), QStringLiteral("False")));
  } catch (const Failure&) {
  }
  filter_texts_ = texts;
  ShowFilterSummary();
}

void Form1::ShowFilterSummary() {
  QString problem;
  const std::optional<SearchFilters> filters =
      ParseFilters(filter_texts_, QDir::homePath(), &problem);
  QString text, detail;
  if (!filters) {
    text = tr("The filters cannot be used: %1").arg(problem);
    detail = text;
  } else {
    text = FiltersSummaryText(*filters);
    detail = FiltersDetailText(*filters);
  }
  Label3->setText(text);
  Label3->setToolTip(detail);
  Label3->setVisible(!text.isEmpty());
  FitStatusParts();
}

SearchFilters Form1::ActiveFilters() const {
  QString problem;
  std::optional<SearchFilters> filters = ParseFilters(filter_texts_, QDir::homePath(), &problem);
  return filters ? *filters : SearchFilters();
}

bool Form1::FiltersUsable() {
  QString problem;
  if (ParseFilters(filter_texts_, QDir::homePath(), &problem)) return true;
  MessageBox(this,
             tr("The filters cannot be used: %1. Correct them under Filters… and start again.")
                 .arg(problem),
             kOkOnly | kExclamation);
  return false;
}

}  // namespace qm
