// SPDX-License-Identifier: GPL-3.0-or-later
// A fixture for tests that drive the real main window on the offscreen
// platform: a private settings folder and trash, a program folder of its
// own, and every modal dialog answered by the test.
#ifndef QUENMOOR_TESTING_TEST_FORM_H_
#define QUENMOOR_TESTING_TEST_FORM_H_

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/dialogs.h"
#include "testing/test_env.h"

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace qm {
namespace testing {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new window; Form_Load has run when `load` is true.
  std::unique_ptr<Form1> NewForm(bool load = true);

  // Answers queued for the next dialogs of each kind.  Without one, a
  // message box is answered OK, the folder browser is cancelled and the
  // trash question is confirmed.
  void AnswerFolder(const QString& folder) { folder_answers_.push_back(folder); }
  void AnswerButton(int button) { button_answers_.push_back(button); }
  // The save dialog: the path chosen ("" cancels, as it does without one).
  void AnswerSaveFile(const QString& path) { save_answers_.push_back(path); }

  // The dialogs shown so far, and the error reports among them.
  std::vector<DialogRequest> Dialogs(DialogKind kind) const;
  std::vector<QString> ErrorReports() const;
  std::vector<QString> Messages() const;  // message boxes other than error reports

  std::string SettingsText() const;

  TempDir home_;
  TempDir app_dir_;
  std::unique_ptr<ScopedEnv> config_env_;
  std::unique_ptr<ScopedEnv> data_env_;
  std::unique_ptr<ScopedEnv> state_env_;
  std::vector<DialogRequest> requests_;
  std::deque<QString> folder_answers_;
  std::deque<int> button_answers_;
  std::deque<QString> save_answers_;
  int unloads_ = 0;
  int old_yield_interval_ = 0;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_FORM_H_
