// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace qm {
namespace {
DialogResponder& Responder() {
  static DialogResponder responder;
  return responder;
}
QString& Title() {
  static QString title;
  return title;
}

// Message texts use CR LF and lone CRs as line breaks; a label wants LF.
QString DisplayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}
}  // namespace

void SetDialogResponder(DialogResponder responder) { Responder() = std::move(responder); }

DialogAnswer RunDialog(const DialogRequest& request,
                       const std::function<DialogAnswer()>& show_real) {
  if (Responder()) {
    if (std::optional<DialogAnswer> answer = Responder()(request)) return *answer;
  }
  return show_real();
}

void SetAppTitle(const QString& title) { Title() = title; }
QString AppTitle() {
  if (!Title().isEmpty()) return Title();
  return QCoreApplication::applicationName();
}

int MessageBox(QWidget* owner, const QString& text, int style, const QString& title) {
  DialogRequest request;
  request.kind = DialogKind::kMessage;
  request.title = title.isEmpty() ? AppTitle() : title;
  request.text = text;
  request.style = style;
  DialogAnswer answer = RunDialog(request, [&]() {
    QMessageBox box(owner);
    box.setWindowTitle(request.title);
    box.setText(DisplayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (style & 0x70) {
      case kCritical:
        box.setIcon(QMessageBox::Critical);
        break;
      case kQuestion:
        box.setIcon(QMessageBox::Question);
        break;
      case kExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
      case kInformation:
        box.setIcon(QMessageBox::Information);
        break;
      default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    DialogAnswer result;
    switch (style & 0x0f) {
      case kOkCancel: {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        result.button = box.exec() == QMessageBox::Ok ? kAnswerOk : kAnswerCancel;
        break;
      }
      case kYesNo: {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        result.button = box.exec() == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
        break;
      }
      default:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        result.button = kAnswerOk;
        break;
    }
    return result;
  });
  return answer.button;
}

QString SaveFileDialog(QWidget* owner, const QString& title, const QString& suggested,
                       const QString& filter, const QString& suffix) {
  DialogRequest request;
  request.kind = DialogKind::kSaveFile;
  request.title = title;
  request.path = suggested;
  request.text = filter;
  const DialogAnswer answer = RunDialog(request, [&]() {
    QFileDialog dialog(owner, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    DialogAnswer result;
    result.button = kAnswerCancel;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      result.button = kAnswerOk;
      result.path = dialog.selectedFiles().front();
    }
    return result;
  });
  return answer.path;
}

}  // namespace qm
