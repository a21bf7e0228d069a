// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_form.h"

#include "app/error_report.h"
#include "platform/yield.h"
#include "search/search_engine.h"
#include "settings/settings_store.h"

namespace qm {
namespace testing {

void FormTest::SetUp() {
  config_env_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", home_.Sub(".config"));
  data_env_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", home_.Sub(".local/share"));
  state_env_ = std::make_unique<ScopedEnv>("XDG_STATE_HOME", home_.Sub(".local/state"));
  Form1::SetAppFolderForTesting(QString::fromStdString(app_dir_.path()));
  Form1::SetUnloadActionForTesting([this] { ++unloads_; });
  old_yield_interval_ = SetYieldInterval(0);
  SetDialogResponder([this](const DialogRequest& r) -> std::optional<DialogAnswer> {
    requests_.push_back(r);
    DialogAnswer answer;
    switch (r.kind) {
      case DialogKind::kFolderBrowser:
        if (!folder_answers_.empty()) {
          answer.folder = folder_answers_.front();
          folder_answers_.pop_front();
        }
        break;
      case DialogKind::kSaveFile:
        if (!save_answers_.empty()) {
          answer.path = save_answers_.front();
          save_answers_.pop_front();
        }
        break;
      default:
        if (!button_answers_.empty()) {
          answer.button = button_answers_.front();
          button_answers_.pop_front();
        }
        break;
    }
    return answer;
  });
}

void FormTest::TearDown() {
  // A search's workers may still finish a call on a file system the test
  // is about to take away.
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(15000));
  SetDialogResponder(nullptr);
  SetYieldHook(nullptr);
  SetYieldInterval(old_yield_interval_);
  Form1::SetAppFolderForTesting(QString());
}

std::unique_ptr<Form1> FormTest::NewForm(bool load) {
  auto form = std::make_unique<Form1>();
  if (load) form->Form_Load();
  return form;
}

std::vector<DialogRequest> FormTest::Dialogs(DialogKind kind) const {
  std::vector<DialogRequest> out;
  for (const DialogRequest& r : requests_) {
    if (r.kind == kind) out.push_back(r);
  }
  return out;
}

std::vector<QString> FormTest::ErrorReports() const {
  std::vector<QString> out;
  for (const DialogRequest& r : requests_) {
    if (r.kind == DialogKind::kMessage && r.title == QLatin1String(kErrorReportCaption)) {
      out.push_back(r.text);
    }
  }
  return out;
}

std::vector<QString> FormTest::Messages() const {
  std::vector<QString> out;
  for (const DialogRequest& r : requests_) {
    if (r.kind == DialogKind::kMessage && r.title != QLatin1String(kErrorReportCaption)) {
      out.push_back(r.text);
    }
  }
  return out;
}

std::string FormTest::SettingsText() const { return ReadFile(SettingsFilePath()); }

}  // namespace testing
}  // namespace qm
