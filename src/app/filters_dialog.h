// SPDX-License-Identifier: GPL-3.0-or-later
// The filters dialog (Form2), opened by the status line's "Filters…"
// button: folders to leave out, staying on one file system, file names,
// and sizes.  It edits the filters as typed; OK keeps them only when every
// one can be used, and otherwise says why in the dialog.
#ifndef QUENMOOR_APP_FILTERS_DIALOG_H_
#define QUENMOOR_APP_FILTERS_DIALOG_H_

#include <QDialog>
#include <QLabel>

#include "search/filters.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qm {

class FiltersDialog : public QDialog {
  Q_OBJECT

 public:
  FiltersDialog(const FilterTexts& texts, QWidget* parent);

  // The filters as the controls hold them.
  FilterTexts Texts() const;
  void SetTexts(const FilterTexts& texts);

  // OK: closes the dialog when the filters can be used; otherwise shows the
  // reason (Label10) and stays.
  void accept() override;

  QPlainTextEdit* Text2;      // folders to leave out, one pattern a line
  QCheckBox* Check1;          // one file system
  QLineEdit* Text3;           // names
  QLineEdit* Text4;           // at least
  QLineEdit* Text5;           // at most
  QLabel* Label10;            // why the filters cannot be used
  QPushButton* PushButton11;  // Clear Filters
  QPushButton* PushButton12;  // OK
  QPushButton* PushButton13;  // Cancel
};

// A one-line label that ends its text in an ellipsis where it does not
// fit, rather than cutting it or widening the window.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qm

#endif  // QUENMOOR_APP_FILTERS_DIALOG_H_
