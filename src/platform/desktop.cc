// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/dialogs.h"

namespace qm {
namespace {

QString& BusName() {
  static QString name;
  return name;
}

QDBusConnection FileManagerBus() {
  if (BusName().isEmpty()) return QDBusConnection::sessionBus();
  return QDBusConnection(BusName());
}

// A file manager that is slow to start still gets this long.
constexpr int kFileManagerTimeoutMs = 10000;

void OpenFolderOf(const QString& path) {
  OpenWithDesktop(QFileInfo(path).absolutePath());
}

}  // namespace

bool OpenWithDesktop(const QString& path) {
  DialogRequest request;
  request.kind = DialogKind::kOpen;
  request.path = path;
  const DialogAnswer answer = RunDialog(request, [&] {
    DialogAnswer result;
    result.button =
        QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? kAnswerOk : kAnswerCancel;
    return result;
  });
  return answer.button == kAnswerOk;
}

void ShowInFileManager(const QStringList& paths) {
  if (paths.isEmpty()) return;
  QDBusConnection bus = FileManagerBus();
  if (!bus.isConnected()) {
    OpenFolderOf(paths.first());
    return;
  }
  QStringList uris;
  for (const QString& path : paths) uris << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << uris << QString();
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs));
  const QString first = paths.first();
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [first](QDBusPendingCallWatcher* done) {
                     done->deleteLater();
                     if (done->isError()) OpenFolderOf(first);
                   });
}

void SetFileManagerBusForTesting(const QString& connection_name) { BusName() = connection_name; }

}  // namespace qm
