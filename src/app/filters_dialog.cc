// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/filters_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace qm {
namespace {

// A label for `buddy`, whose accessible name is the label's caption.
QLabel* LabelFor(QWidget* parent, const char* name, const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name));
  label->setBuddy(buddy);
  QString plain = caption;
  plain.remove(QLatin1Char('&'));
  if (plain.endsWith(QLatin1Char(':'))) plain.chop(1);
  label->setAccessibleName(plain);
  buddy->setAccessibleName(plain);
  return label;
}

// A hint in plain words under a control, in the window's text colour.
QLabel* Hint(QWidget* parent, const char* name, const QString& text) {
  auto* hint = new QLabel(text, parent);
  hint->setObjectName(QLatin1String(name));
  hint->setWordWrap(true);
  hint->setTextFormat(Qt::PlainText);
  QFont font = hint->font();
  font.setBold(false);
  hint->setFont(font);
  return hint;
}

}  // namespace

FiltersDialog::FiltersDialog(const FilterTexts& texts, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(tr("Filters"));
  setAccessibleName(tr("Filters"));
  auto* column = new QVBoxLayout(this);

  Text2 = new QPlainTextEdit(this);
  Text2->setObjectName(QStringLiteral("Text2"));
  Text2->setTabChangesFocus(true);
  Text2->setPlaceholderText(QStringLiteral(".git\nnode_modules\n*.cache"));
  Text2->setMinimumHeight(Text2->fontMetrics().lineSpacing() * 5);
  column->addWidget(
      LabelFor(this, "Label4", tr("Leave out these &folders, one pattern a line:"), Text2));
  column->addWidget(Text2);
  column->addWidget(Hint(
      this, "Label5",
      tr("A pattern without / matches a folder's name at any depth (.git, node_modules, *.cache); "
         "a pattern with / matches a whole path (/home/me/Backups, ~/Videos/*, **/build/cache). "
         "* ? [...] work as in the shell, and upper and lower case differ. A folder in the list "
         "to search is searched all the same.")));

  Check1 = new QCheckBox(tr("&Stay on the file system of each listed folder"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setAccessibleName(tr("Stay on the file system of each listed folder"));
  column->addWidget(Check1);
  column->addWidget(Hint(this, "Label6",
                         tr("Mounted disks, network shares and bind mounts below a listed folder "
                            "are then not searched.")));

  Text3 = new QLineEdit(this);
  Text3->setObjectName(QStringLiteral("Text3"));
  Text3->setPlaceholderText(QStringLiteral("*.iso *.mkv"));
  column->addWidget(
      LabelFor(this, "Label7",
               tr("Only files &named (patterns separated by blanks; \\ before a blank "
                  "keeps it):"),
               Text3));
  column->addWidget(Text3);

  auto* sizes = new QGridLayout();
  Text4 = new QLineEdit(this);
  Text4->setObjectName(QStringLiteral("Text4"));
  Text4->setPlaceholderText(QStringLiteral("10M"));
  Text5 = new QLineEdit(this);
  Text5->setObjectName(QStringLiteral("Text5"));
  Text5->setPlaceholderText(QStringLiteral("1.5G"));
  sizes->addWidget(LabelFor(this, "Label8", tr("Only files of at &least:"), Text4), 0, 0);
  sizes->addWidget(Text4, 0, 1);
  sizes->addWidget(LabelFor(this, "Label9", tr("and at &most:"), Text5), 0, 2);
  sizes->addWidget(Text5, 0, 3);
  column->addLayout(sizes);
  column->addWidget(Hint(this, "Label11",
                         tr("Sizes such as 10M, 1.5G or 500KiB: kB, MB, GB and TB count in "
                            "thousands, as K, M, G and T alone do; KiB, MiB, GiB and TiB in "
                            "1,024s. A number alone is bytes. Both bounds are included.")));

  Label10 = new QLabel(this);
  Label10->setObjectName(QStringLiteral("Label10"));
  Label10->setWordWrap(true);
  Label10->setTextFormat(Qt::PlainText);
  QPalette p = Label10->palette();
  p.setColor(QPalette::WindowText, QColor(180, 0, 0));
  Label10->setPalette(p);
  Label10->hide();
  column->addWidget(Label10);

  auto* buttons = new QHBoxLayout();
  PushButton11 = new QPushButton(tr("&Clear Filters"), this);
  PushButton11->setObjectName(QStringLiteral("PushButton11"));
  PushButton11->setAccessibleName(tr("Clear Filters"));
  PushButton11->setAutoDefault(false);
  PushButton12 = new QPushButton(tr("OK"), this);
  PushButton12->setObjectName(QStringLiteral("PushButton12"));
  PushButton12->setAccessibleName(tr("OK"));
  PushButton12->setDefault(true);
  PushButton13 = new QPushButton(tr("Cancel"), this);
  PushButton13->setObjectName(QStringLiteral("PushButton13"));
  PushButton13->setAccessibleName(tr("Cancel"));
  PushButton13->setAutoDefault(false);
  buttons->addWidget(PushButton11);
  buttons->addStretch(1);
  buttons->addWidget(PushButton12);
  buttons->addWidget(PushButton13);
  column->addLayout(buttons);
  connect(PushButton11, &QPushButton::clicked, this, [this] { SetTexts(FilterTexts()); });
  connect(PushButton12, &QPushButton::clicked, this, &QDialog::accept);
  connect(PushButton13, &QPushButton::clicked, this, &QDialog::reject);

  SetTexts(texts);
  resize(560, sizeHint().height());
}

FilterTexts FiltersDialog::Texts() const {
  FilterTexts texts;
  for (const QString& line : Text2->toPlainText().split(QLatin1Char('\n'))) {
    if (!line.trimmed().isEmpty()) texts.exclude.push_back(line.trimmed());
  }
  texts.one_file_system = Check1->isChecked();
  texts.names = Text3->text().trimmed();
  texts.min_size = Text4->text().trimmed();
  texts.max_size = Text5->text().trimmed();
  return texts;
}

void FiltersDialog::SetTexts(const FilterTexts& texts) {
  Text2->setPlainText(texts.exclude.join(QLatin1Char('\n')));
  Check1->setChecked(texts.one_file_system);
  Text3->setText(texts.names);
  Text4->setText(texts.min_size);
  Text5->setText(texts.max_size);
  Label10->hide();
}

void FiltersDialog::accept() {
  QString problem;
  if (!ParseFilters(Texts(), QDir::homePath(), &problem)) {
    Label10->setText(problem);
    Label10->show();
    return;
  }
  QDialog::accept();
}

QSize ElidedLabel::minimumSizeHint() const { return QSize(0, QLabel::minimumSizeHint().height()); }

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect room = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
  style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                        shown, foregroundRole());
}

}  // namespace qm
