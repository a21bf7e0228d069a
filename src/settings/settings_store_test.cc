// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "platform/failure.h"
#include "testing/test_env.h"
#include "testing/test_form.h"

namespace qm {
namespace {

using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedEnv env_{"XDG_CONFIG_HOME", dir_.Sub("cfg")};
};

TEST_F(SettingsStoreTest, AbsentKeysGiveTheDefaultAndWritesPersistExactly) {
  EXPECT_EQ(ReadSetting("Date1", "45000"), QStringLiteral("45000"));
  WriteSetting("Access in days", " 12 ");
  WriteSetting("LastFolder", "/home/u/odd\\name\nline");
  WriteSetting("Access in days", "");
  WriteSetting("Option4", "True");
  EXPECT_EQ(ReadSetting("Access in days", "x"), QString());
  EXPECT_EQ(ReadSetting("LastFolder", ""), QStringLiteral("/home/u/odd\\name\nline"));
  EXPECT_EQ(ReadSetting("option4", "absent"), QStringLiteral("absent"));  // exact key texts
  std::string text = ReadFile(SettingsFilePath());
  EXPECT_EQ(SettingsFilePath(), dir_.Sub("cfg/Vellumark.ini"));
  EXPECT_NE(text.find("[Quenmoor]\n"), std::string::npos);
  EXPECT_NE(text.find("Access in days=\n"), std::string::npos);
  EXPECT_NE(text.find("Option4=True\n"), std::string::npos);
  // Each write replaced the file: no temporary file is left behind.
  struct stat st;
  EXPECT_NE(::stat((SettingsFilePath() + ".XXXXXX").c_str(), &st), 0);
}

TEST_F(SettingsStoreTest, OtherSectionsAndLinesSurviveAWrite) {
  WriteFile(SettingsFilePath(), "; kept\n[Other]\nDate1=1\n\n[Quenmoor]\nDate1=2\n");
  WriteSetting("Date1", "3");
  WriteSetting("Date2", "4");
  EXPECT_EQ(ReadSetting("Date1", ""), QStringLiteral("3"));
  std::string text = ReadFile(SettingsFilePath());
  EXPECT_NE(text.find("; kept\n[Other]\nDate1=1\n"), std::string::npos);
  EXPECT_NE(text.find("Date2=4"), std::string::npos);
}

TEST_F(SettingsStoreTest, AByteOrderMarkAndStrayBytesKeepEverySectionAndKey) {
  // A leading byte-order mark, a value and another program's section holding
  // bytes that are not UTF-8, and Windows line ends in that section.
  const std::string before =
      "\xEF\xBB\xBF[Quenmoor]\nDate1=45000\nLastFolder=/media/caf\xE9/\n\n"
      "[Other]\r\nName=caf\xE9\r\nKey=\xFF\xFE value\r\n";
  WriteFile(SettingsFilePath(), before);
  EXPECT_EQ(ReadSetting("Date1", ""), QStringLiteral("45000"));
  WriteSetting("Date2", "45001");
  WriteSetting("Date1", "45002");
  EXPECT_EQ(ReadFile(SettingsFilePath()),
            "\xEF\xBB\xBF[Quenmoor]\nDate1=45002\nLastFolder=/media/caf\xE9/\nDate2=45001\n\n"
            "[Other]\r\nName=caf\xE9\r\nKey=\xFF\xFE value\r\n");
  EXPECT_FALSE(testing::Exists(SettingsFilePath() + ".damaged"));
}

TEST_F(SettingsStoreTest, AStoreThatIsNoTextIsSetAsideNeverOverAnEarlierOne) {
  const std::string first("\x7f\x45\0\x01[Quenmoor]\nDate1=\xff\n", 20);
  WriteFile(SettingsFilePath(), first);
  EXPECT_NO_THROW(ReadSetting("Date1", "d"));
  WriteSetting("Date1", "45366");
  EXPECT_EQ(ReadSetting("Date1", ""), QStringLiteral("45366"));
  EXPECT_EQ(ReadFile(SettingsFilePath() + ".damaged"), first);
  const std::string second("\0\0\0\0", 4);
  WriteFile(SettingsFilePath(), second);
  WriteSetting("Date1", "1");
  EXPECT_EQ(ReadFile(SettingsFilePath() + ".damaged"), first);
  EXPECT_EQ(ReadFile(SettingsFilePath() + ".damaged.2"), second);
  EXPECT_EQ(ReadSetting("Date1", ""), QStringLiteral("1"));

  // A folder where the file should be cannot be read nor replaced, even by
  // root; the write fails and the folder stays.
  ::unlink(SettingsFilePath().c_str());
  ::mkdir(SettingsFilePath().c_str(), 0755);
  EXPECT_THROW(ReadSetting("Date1", ""), Failure);
  EXPECT_THROW(WriteSetting("Date1", "1"), Failure);
}

TEST_F(SettingsStoreTest, ALinkedStoreIsWrittenThroughToItsTarget) {
  // As a dotfile manager leaves it: a link to a link to the real file.
  WriteFile(dir_.Sub("dotfiles/quenmoor/Vellumark.ini"), "[Other]\nx=1\n");
  testing::MakeDirs(dir_.Sub("cfg"));
  ASSERT_EQ(::symlink("quenmoor/Vellumark.ini", dir_.Sub("dotfiles/current.ini").c_str()), 0);
  ASSERT_EQ(::symlink("../dotfiles/current.ini", SettingsFilePath().c_str()), 0);
  WriteSetting("Date1", "45366");
  struct stat st;
  ASSERT_EQ(::lstat(SettingsFilePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::lstat(dir_.Sub("dotfiles/current.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(dir_.Sub("dotfiles/quenmoor/Vellumark.ini")),
            "[Other]\nx=1\n\n[Quenmoor]\nDate1=45366\n");
  EXPECT_EQ(ReadSetting("Date1", ""), QStringLiteral("45366"));
  // Nothing was left beside the link or the target.
  EXPECT_EQ(::system(("test $(ls -A '" + dir_.Sub("cfg") + "' '" + dir_.Sub("dotfiles/quenmoor") +
                      "' | grep -c .) -eq 4")
                         .c_str()),
            0);
}

TEST_F(SettingsStoreTest, ConvertsBooleansAndDates) {
  EXPECT_TRUE(SettingToBoolean("tRUE"));
  EXPECT_FALSE(SettingToBoolean("FALSE"));
  EXPECT_FALSE(SettingToBoolean("0"));
  EXPECT_TRUE(SettingToBoolean("-1"));
  EXPECT_TRUE(SettingToBoolean("1"));
  EXPECT_THROW(SettingToBoolean("yes"), Failure);
  EXPECT_THROW(SettingToBoolean(""), Failure);
  EXPECT_DOUBLE_EQ(SettingToDate("36526"), 36526);
  EXPECT_DOUBLE_EQ(SettingToDate("2024-03-15"), 45366);
  EXPECT_THROW(SettingToDate("soon"), Failure);
  EXPECT_THROW(SettingToDate("1e300"), Failure);
  EXPECT_EQ(DayNumberSetting(45366.5), QStringLiteral("45366"));
  EXPECT_EQ(DayNumberSetting(45367.5), QStringLiteral("45368"));
  EXPECT_EQ(BooleanSetting(true), QStringLiteral("True"));
}

TEST_F(SettingsStoreTest, AWriteKeepsTheStoresModeAndOwner) {
  WriteFile(SettingsFilePath(), "[Quenmoor]\nDate1=1\n");
  ASSERT_EQ(::chmod(SettingsFilePath().c_str(), 0644), 0);
  const bool as_root = ::geteuid() == 0;
  if (as_root) {
    ASSERT_EQ(::chown(SettingsFilePath().c_str(), 4321, 4321), 0);
  }
  WriteSetting("Date1", "2");
  struct stat st;
  ASSERT_EQ(::stat(SettingsFilePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  if (as_root) {
    EXPECT_EQ(st.st_uid, 4321u);
  }
  // A store made afresh is the user's alone.
  ::unlink(SettingsFilePath().c_str());
  WriteSetting("Date1", "3");
  ASSERT_EQ(::stat(SettingsFilePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

class UnwritableStoreTest : public testing::FormTest {};

// A store that is no file that can be read: one report at start-up, every
// control at its default, and nothing more said for the rest of the session.
TEST_F(UnwritableStoreTest, AStoreThatCannotBeReadIsToldOnceAndStartUpGoesOn) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"is a FIFO, not a file", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }},
      {"is a folder, not a file", [](const std::string& p) { ::mkdir(p.c_str(), 0700); }},
      {"is too large (104.9 MB)",
       [](const std::string& p) {
         WriteFile(p, "[Quenmoor]\n");
         ASSERT_EQ(::truncate(p.c_str(), 100 << 20), 0);
       }},
      // A link to a device node of the test's own (as root): every write
      // leaves the node as it is.
      {"is a device, not a file",
       [](const std::string& p) {
         const std::string node = p + ".node";
         if (::mknod(node.c_str(), S_IFCHR | 0600, makedev(1, 5)) != 0) {
           ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);  // not root: a FIFO stands in
         }
         ASSERT_EQ(::symlink(node.c_str(), p.c_str()), 0);
       }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    config_env_.reset();
    config_env_ =
        std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", home_.Sub("cfg" + std::to_string(++n)));
    testing::MakeDirs(home_.Sub("cfg" + std::to_string(n)));
    c.make(SettingsFilePath());
    struct stat before, after;
    ASSERT_EQ(::stat(SettingsFilePath().c_str(), &before), 0);
    requests_.clear();
    auto form = NewForm();
    form->Text1->setText("7");
    form->Option5->click();
    testing::MakeDirs(home_.Sub("dest"));
    AnswerFolder(QString::fromStdString(home_.Sub("dest")));
    form->PushButton5->click();
    std::vector<QString> reports = ErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    const bool fifo_instead =
        S_ISFIFO(before.st_mode) && std::string(c.what).find("device") != std::string::npos;
    if (!fifo_instead) {
      EXPECT_TRUE(reports[0].startsWith(QStringLiteral("The settings file ") +
                                        QString::fromStdString(SettingsFilePath()) + " " + c.what +
                                        ". Quenmoor uses its default choices"))
          << reports[0].toStdString();
    }
    // What stands there was neither replaced nor written to.
    ASSERT_EQ(::stat(SettingsFilePath().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form_Load at line 136")));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form->Text1->text(), QStringLiteral("7"));
    EXPECT_TRUE(form->Option5->isChecked());
  }
}

TEST_F(UnwritableStoreTest, HandlersTellOnceAndKeepWorking) {
  auto form = NewForm();
  // The config folder's place is taken by a file: nothing can be written.
  ::system(("rm -rf '" + home_.Sub(".config") + "'").c_str());
  WriteFile(home_.Sub(".config"), "not a folder");
  requests_.clear();
  form->Text1->setText("7");
  form->Text1->setText("8");
  form->Option5->click();
  // Move To Folder's save of the folder chosen goes the same quiet way.
  testing::MakeDirs(home_.Sub("dest"));
  AnswerFolder(QString::fromStdString(home_.Sub("dest")));
  form->PushButton5->click();
  EXPECT_TRUE(ErrorReports().empty()) << ErrorReports()[0].toStdString();
  std::vector<QString> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Your choices could not be saved")));
  EXPECT_EQ(form->Text1->text(), QStringLiteral("8"));
}

}  // namespace
}  // namespace qm
