// SPDX-License-Identifier: GPL-3.0-or-later
// Showing files in the file manager over D-Bus, against a file manager of
// the test's own on a private bus.
#include "platform/desktop.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QtTest/QTest>
#include <optional>

#include "platform/dialogs.h"

namespace qm {
namespace {

// A private session bus: dbus-daemon started for the test, ended with it.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000)) return;
    for (int i = 0; i < 50 && !daemon_.canReadLine(); ++i) daemon_.waitForReadyRead(100);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("qm-test-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("qm-test-file-manager"));
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  const QString& Address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};

// What a file manager offering org.freedesktop.FileManager1 receives.
class FakeFileManager : public QDBusVirtualObject {
 public:
  explicit FakeFileManager(QDBusConnection bus) : bus_(bus) {}
  QString introspect(const QString&) const override { return QString(); }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QLatin1String("ShowItems")) return false;
    calls.push_back(message.arguments().value(0).toStringList());
    connection.send(message.createReply());
    return true;
  }
  std::vector<QStringList> calls;

 private:
  QDBusConnection bus_;
};

// Turns the event loop until `done` holds, for at most five seconds.
template <class F>
bool WaitFor(F done) {
  for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
  return done();
}

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDialogResponder([this](const DialogRequest& r) -> std::optional<DialogAnswer> {
      if (r.kind == DialogKind::kOpen) opened_.push_back(r.path);
      return DialogAnswer();
    });
  }
  void TearDown() override {
    SetDialogResponder(nullptr);
    SetFileManagerBusForTesting(QString());
  }
  std::vector<QString> opened_;
};

TEST_F(DesktopTest, AFileManagerOnTheBusShowsTheFilesAndWithoutOneTheFolderOpens) {
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon (Debian's dbus) did not start";
  QDBusConnection client =
      QDBusConnection::connectToBus(bus.Address(), QStringLiteral("qm-test-client"));
  ASSERT_TRUE(client.isConnected());
  SetFileManagerBusForTesting(QStringLiteral("qm-test-client"));

  // No file manager yet: the first file's folder is opened instead.
  ShowInFileManager({QStringLiteral("/tmp/some folder/a.txt")});
  ASSERT_TRUE(WaitFor([&] { return opened_.size() == 1; }));
  EXPECT_EQ(opened_[0], QStringLiteral("/tmp/some folder"));

  QDBusConnection service =
      QDBusConnection::connectToBus(bus.Address(), QStringLiteral("qm-test-file-manager"));
  FakeFileManager manager(service);
  ASSERT_TRUE(
      service.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager));
  ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
  ShowInFileManager({QStringLiteral("/tmp/some folder/a.txt"), QStringLiteral("/tmp/b#c.txt")});
  ASSERT_TRUE(WaitFor([&] { return manager.calls.size() == 1; }));
  EXPECT_EQ(manager.calls[0], (QStringList{QStringLiteral("file:///tmp/some%20folder/a.txt"),
                                           QStringLiteral("file:///tmp/b%23c.txt")}));
  QTest::qWait(50);
  EXPECT_EQ(opened_.size(), 1u);  // the file manager answered: nothing else opened
  service.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
}

}  // namespace
}  // namespace qm
