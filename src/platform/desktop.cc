// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <vector>

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

void OpenFolderOf(const QString& path) { OpenWithDesktop(QFileInfo(path).absolutePath()); }

int& Running() {
  static int running = 0;
  return running;
}

// xdg-open's exit status 3: "a required tool could not be found", which is
// what it answers when no application takes the file ("no method
// available").
constexpr int kXdgNoMethod = 3;

// Watches the opener `pid` until it ends, a few times a second and then
// once a second, and tells `done` what its exit status says.
void Watch(pid_t pid, std::function<void(OpenOutcome)> done) {
  ++Running();
  auto* timer = new QTimer(QCoreApplication::instance());
  timer->setInterval(100);
  auto polls = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, pid, done, polls] {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == 0) {
      if (++*polls == 100) timer->setInterval(1000);  // an application, by now
      return;
    }
    timer->stop();
    timer->deleteLater();
    --Running();
    OpenOutcome outcome = OpenOutcome::kOpened;  // ECHILD: reaped elsewhere, no answer
    if (ended == pid && WIFEXITED(status) && WEXITSTATUS(status) != 0) {
      outcome =
          WEXITSTATUS(status) == kXdgNoMethod ? OpenOutcome::kNoApplication : OpenOutcome::kFailed;
    } else if (ended == pid && WIFSIGNALED(status)) {
      outcome = OpenOutcome::kFailed;
    }
    if (done) done(outcome);
  });
  timer->start();
}

// Starts xdg-open on `path`; false when there is none or it cannot start.
bool StartXdgOpen(const QString& path, std::function<void(OpenOutcome)> done) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (program.isEmpty()) return false;
  const QByteArray exe = program.toLocal8Bit();
  const QByteArray file = QFile::encodeName(path);
  std::vector<char*> argv = {const_cast<char*>(exe.constData()),
                             const_cast<char*>(file.constData()), nullptr};
  // Its own process group, so a terminal's signals to this program do not
  // reach what it starts.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  pid_t pid = 0;
  const int err = ::posix_spawn(&pid, exe.constData(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (err != 0) return false;
  Watch(pid, std::move(done));
  return true;
}

}  // namespace

int OpenersRunning() { return Running(); }

void OpenWithDesktop(const QString& path, std::function<void(OpenOutcome)> done) {
  DialogRequest request;
  request.kind = DialogKind::kOpen;
  request.path = path;
  bool real = false;
  const DialogAnswer answer = RunDialog(request, [&] {
    real = true;
    DialogAnswer result;
    result.button = kAnswerOk;
    if (StartXdgOpen(path, done)) return result;
    // No xdg-open: Qt's handler, which tells only whether it started one.
    const bool started = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (done) done(started ? OpenOutcome::kOpened : OpenOutcome::kNoApplication);
    return result;
  });
  if (!real && done) {
    done(answer.button == kAnswerOk ? OpenOutcome::kOpened : OpenOutcome::kNoApplication);
  }
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
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
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
