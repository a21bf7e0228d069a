// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/error_report.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"
#include "platform/error_trap.h"

namespace qm {

const char kFormLoadId[] = "in Tallowick2021/08/31.Form1.Form_Load ";
const char kPushButton1Id[] = "in Tallowick2021/08/31.Form1.PushButton1_Click ";
const char kPushButton2Id[] = "in Tallowick2021/08/31.Form1.PushButton2_Click ";
const char kPushButton3Id[] = "in Tallowick2021/08/31.Form1.PushButton3_Click ";
const char kPushButton4Id[] = "in Tallowick2021/08/31.Form1.PushButton4_Click ";
const char kPushButton5Id[] = "in Tallowick2021/08/31.Form1.PushButton5_Click ";
const char kPushButton6Id[] = "in Tallowick2021/08/31.Form1.PushButton6_Click ";
const char kPushButton7Id[] = "in Tallowick2021/08/31.Form1.PushButton7_Click ";
const char kPushButton8Id[] = "in Tallowick2021/08/31.Form1.PushButton8_Click ";

const char kSupportAddress[] = "support@quenmoor.example";
const char kErrorReportCaption[] = QT_TRANSLATE_NOOP("qm::ErrorReport", "Application Error");

QString ComposeErrorReport(const std::string& description, const std::string& routine_id, int line,
                           const std::string& extra) {
  QString text = QString::fromStdString(description);
  text += QStringLiteral("\r\n");
  text += QString::fromStdString(routine_id);
  // The routine identifier stays as it is, whatever the language.
  text += QCoreApplication::translate("qm::ErrorReport", "at line %1").arg(line);
  text += QStringLiteral("\r\r");
  text += QCoreApplication::translate("qm::ErrorReport",
                                      "Please email screenshot of this message to %1")
              .arg(QLatin1String(kSupportAddress));
  if (!extra.empty()) {
    text += QStringLiteral("\r\r");
    text += QString::fromStdString(extra);
  }
  return text;
}

QString ErrorReportLine(const std::string& description, const std::string& routine_id, int line) {
  QString text = QString::fromStdString(description);
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  text += QLatin1Char(' ');
  text += QString::fromStdString(routine_id);
  text += QCoreApplication::translate("qm::ErrorReport", "at line %1").arg(line);
  return text;
}

void ShowErrorReport(QWidget* owner, const std::string& routine_id, const Failure& failure,
                     int line, const std::string& extra) {
  MessageBox(owner, ComposeErrorReport(failure.what(), routine_id, line, extra),
             kExclamation | kOkOnly,
             QCoreApplication::translate("qm::ErrorReport", kErrorReportCaption));
}

void InstallErrorReport(QWidget* owner) {
  QPointer<QWidget> guard(owner);
  SetErrorReporter([guard](const std::string& routine_id, const Failure& failure, int line,
                           const std::string& extra) {
    ShowErrorReport(guard.data(), routine_id, failure, line, extra);
  });
}

}  // namespace qm
