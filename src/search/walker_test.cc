// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/walker.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <set>

#include "platform/error_trap.h"
#include "platform/file_system.h"
#include "search/filters.h"
#include "search/folder_walk.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_mounts.h"

namespace qm {
namespace {

using testing::FaultyFs;
using testing::TempDir;
using testing::WriteFile;

struct Report {
  std::string routine;
  int number;
  int line;
};

// Captures error reports for the life of the object.
class ReportCapture {
 public:
  ReportCapture() {
    old_ = SetErrorReporter(
        [this](const std::string& id, const Failure& f, int line, const std::string&) {
          reports.push_back(Report{id, f.number(), line});
        });
  }
  ~ReportCapture() { SetErrorReporter(old_); }
  std::vector<Report> reports;

 private:
  ErrorReporter old_;
};

void Dir(const std::string& path) { testing::MakeDirs(path); }

std::set<std::string> AsSet(const std::vector<std::string>& v) {
  return std::set<std::string>(v.begin(), v.end());
}

int Depth(const std::string& path) {
  return static_cast<int>(std::count(path.begin(), path.end(), '/'));
}

class WalkerTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = dir_.path() + "/"; }
  std::vector<std::string> Walk(std::vector<std::string> folders, bool recursive = true) {
    GetSubDirectories2016(folders, recursive);
    return folders;
  }
  std::string R(const std::string& rel) const { return root_ + rel; }
  TempDir dir_;
  std::string root_;
  ReportCapture capture_;
};

TEST_F(WalkerTest, LevelOrderGroupedByParent) {
  for (const char* d : {"a/a1/deep", "a/a2", "b/b1", "c"}) Dir(R(d));
  WriteFile(R("a/file"));
  auto result = Walk({root_});
  EXPECT_EQ(AsSet(result), AsSet({R(""), R("a/"), R("b/"), R("c/"), R("a/a1/"), R("a/a2/"),
                                  R("b/b1/"), R("a/a1/deep/")}));
  ASSERT_EQ(result.size(), 8u);
  EXPECT_EQ(result[0], root_);
  for (size_t i = 1; i < result.size(); ++i) EXPECT_LE(Depth(result[i - 1]), Depth(result[i]));
  // Children of one parent stay together, parents in the order above.
  auto pos = [&](const std::string& p) {
    return std::find(result.begin(), result.end(), p) - result.begin();
  };
  bool a_first = pos(R("a/")) < pos(R("b/"));
  EXPECT_EQ(a_first, std::max(pos(R("a/a1/")), pos(R("a/a2/"))) < pos(R("b/b1/")));
  EXPECT_TRUE(capture_.reports.empty());

  auto flat = Walk({root_}, false);
  EXPECT_EQ(AsSet(flat), AsSet({R(""), R("a/"), R("b/"), R("c/")}));
}

TEST_F(WalkerTest, NameTests) {
  Dir(R(".hidden/in"));
  Dir(R("caf\xC3\xA9/in"));  // é
  Dir(
      R("en\xE2\x80\x93"
        "dash/in"));       // en dash, U+2013
  Dir(R("\xE4\xB8\xAD"));  // 中
  Dir(
      R("bad\xFF"
        "name/in"));  // not UTF-8: left out with its subtree
  Dir(R("what?/in"));
  Dir(
      R("c1\xC2\x85"
        "next/in"));  // U+0085, a C1 control
  Dir(R("back\\slash/in"));
  auto result = AsSet(Walk({root_}));
  EXPECT_EQ(result,
            AsSet({R(""), R(".hidden/"), R(".hidden/in/"), R("caf\xC3\xA9/"), R("caf\xC3\xA9/in/"),
                   R("en\xE2\x80\x93"
                     "dash/"),
                   R("en\xE2\x80\x93"
                     "dash/in/"),
                   R("\xE4\xB8\xAD/"), R("back\\slash/"), R("back\\slash/in/")}));
}

TEST_F(WalkerTest, FoldersAreWalkedAsDeepAsTheKernelOpensThem) {
  // Far past 260 characters; the deepest folder that opens takes 4,095
  // bytes with its "/", and its child's path is longer than any that opens.
  const std::string deep = testing::MakeDeepFolder(R("deep"), 3000, {"child/"});
  const std::string edge = testing::MakeDeepFolder(R("edge"), 4095, {"child/"});
  auto result = AsSet(Walk({root_}));
  EXPECT_TRUE(result.count(deep) && result.count(deep + "child/"));
  EXPECT_TRUE(result.count(edge));
  EXPECT_FALSE(result.count(edge + "child/"));
  for (const std::string& path : result) EXPECT_LT(path.size(), 4096u);
  EXPECT_TRUE(capture_.reports.empty());
}

TEST_F(WalkerTest, EachFolderIsCollectedOnceHoweverManyLinksLeadToIt) {
  Dir(R("a/x"));
  Dir(R("b"));
  Dir(R("c/deep"));
  ::symlink("..", R("a/up").c_str());    // to the walk's root
  ::symlink(".", R("a/self").c_str());   // to its own folder
  ::symlink("../b", R("a/l1").c_str());  // a and b point at each other
  ::symlink("../a", R("b/l2").c_str());
  ::symlink("missing", R("a/broken").c_str());
  ::symlink("c/deep", R("short").c_str());  // one level up the same folder
  auto result = Walk({root_});
  // The first way the level order reaches a folder is the one walked.
  EXPECT_EQ(AsSet(result), AsSet({R(""), R("a/"), R("b/"), R("c/"), R("short/"), R("a/x/")}));
  EXPECT_EQ(result.size(), 6u);

  // Each walk keeps its own record: a second walk of the same folder, as
  // for a row listed twice, collects it all again.
  EXPECT_EQ(AsSet(Walk({R("a/")})),
            AsSet({R("a/"), R("a/x/"), R("a/l1/"), R("a/up/"), R("a/up/c/"), R("a/up/short/")}));
}

TEST_F(WalkerTest, PseudoFilesystemsAreRefusedButTheRootIsNot) {
  Dir(R("keep"));
  ::symlink("/proc", R("lp").c_str());  // 1046
  ::symlink("/sys", R(".ls").c_str());  // 1046
  auto result = Walk({root_});
  EXPECT_EQ(AsSet(result), AsSet({R(""), R("keep/")}));

  auto top = Walk({"/"}, false);
  ASSERT_FALSE(top.empty());
  EXPECT_EQ(top[0], "/");
  EXPECT_NE(std::find(top.begin(), top.end(), "/tmp/"), top.end());
  EXPECT_EQ(std::find(top.begin(), top.end(), "/proc/"), top.end());
  EXPECT_EQ(std::find(top.begin(), top.end(), "/sys/"), top.end());
  // Given directly, a refused folder stays but nothing is added below it.
  EXPECT_EQ(Walk({"/proc/"}), std::vector<std::string>{"/proc/"});
  EXPECT_TRUE(capture_.reports.empty());
}

TEST_F(WalkerTest, GivenEntriesThatCannotBeWalkedStay) {
  Dir(R("a/child"));
  WriteFile(R("file"));
  EXPECT_TRUE(Walk({}).empty());
  EXPECT_EQ(Walk({R("file"), R("missing/")}), (std::vector<std::string>{R("file"), R("missing/")}));
  // Without its final "/" an entry's children are misspelt and fall away.
  EXPECT_EQ(Walk({R("a")}), std::vector<std::string>{R("a")});
  EXPECT_TRUE(capture_.reports.empty());
}

TEST_F(WalkerTest, RefusedAndVanishedListingsRemoveTheirEntriesQuietly) {
  for (const char* d : {"a/a1", "b/b1", "c/c1", "d/d1", "d/d2", "d/d3", "e/e1"}) Dir(R(d));
  FaultyFs fs;
  ScopedFs use(&fs);
  fs.FailListing(R("a/"), 0, EACCES);
  fs.FailListing(R("c/"), 0, EACCES);
  fs.FailListing(R("d/"), 1, ENOENT);  // gone after one subfolder was read
  fs.FailListing(R("e/"), 0, EIO);     // another fault: the entry stays
  auto result = Walk({root_});
  std::set<std::string> got = AsSet(result);
  EXPECT_EQ(got.count(R("a/")) + got.count(R("c/")) + got.count(R("d/")), 0u);
  EXPECT_EQ(got.count(R("b/b1/")), 1u);
  EXPECT_EQ(got.count(R("e/")), 1u);
  EXPECT_EQ(got.count(R("e/e1/")), 0u);
  EXPECT_EQ(got.count(R("d/d1/")) + got.count(R("d/d2/")) + got.count(R("d/d3/")), 1u);
  EXPECT_EQ(result.size(), 5u);  // root, b, e, b1, one of d's
  EXPECT_TRUE(capture_.reports.empty());

  fs.FailListing(root_, 0, EACCES);
  EXPECT_TRUE(Walk({root_, R("b/")}, false) == std::vector<std::string>({R("b/"), R("b/b1/")}));
}

TEST_F(WalkerTest, FailuresOutsideTheListingAreReportedAndCountAsPassed) {
  Dir(R("a"));
  FaultyFs fs;
  ScopedFs use(&fs);
  fs.FailStatfs(root_, EIO);    // the root's attributes, before any admission
  fs.FailStatfs(R("a/"), EIO);  // a's attributes in the hand-up
  auto result = Walk({root_}, false);
  EXPECT_EQ(result, (std::vector<std::string>{R(""), R("a/")}));
  ASSERT_EQ(capture_.reports.size(), 2u);
  EXPECT_EQ(capture_.reports[0].routine,
            "in BrannocTitle2021/08/31.AddFolder.GetSubDirectories2016 ");
  EXPECT_EQ(capture_.reports[0].line, 116);
  EXPECT_EQ(capture_.reports[0].number, 57);
  EXPECT_EQ(capture_.reports[1].line, 158);
}

TEST_F(WalkerTest, AListingTakesRegularFilesAndFoldersOnlyAndNeverBlocks) {
  WriteFile(R("plain.txt"));
  WriteFile(R(".dot"));
  WriteFile(R("back\\slash"));
  WriteFile(R("caf\xC3\xA9"));
  WriteFile(R("bad\xFF"));
  Dir(R("sub"));
  Dir(R("what?"));
  ::symlink("plain.txt", R("link").c_str());
  ::symlink("sub", R("dirlink").c_str());
  ::symlink("gone", R("broken").c_str());
  ASSERT_EQ(::mkfifo(R("fifo").c_str(), 0644), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  struct sockaddr_un addr = {};
  addr.sun_family = AF_UNIX;
  std::string sock_path = R("sock");
  ASSERT_LT(sock_path.size(), sizeof addr.sun_path);
  std::copy(sock_path.begin(), sock_path.end(), addr.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

  FaultyFs fs;
  ScopedFs use(&fs);
  FolderListing listing;
  ASSERT_EQ(listing.Open(root_), 0);
  ASSERT_EQ(listing.Read(true, true), 0);
  ::close(sock);
  std::set<std::string> files, folders;
  for (std::size_t i = 0; i < listing.FileCount(); ++i) {
    files.insert(std::string(listing.FileName(i), listing.FileNameSize(i)));
  }
  for (const auto& sub : listing.subfolders) folders.insert(sub.name);
  EXPECT_EQ(files, AsSet({"plain.txt", ".dot", "back\\slash", "caf\xC3\xA9", "link"}));
  EXPECT_EQ(folders, AsSet({"sub", "dirlink"}));
  EXPECT_EQ(listing.unreadable_names, 1u);  // "bad\xFF"
  EXPECT_TRUE(fs.opened().empty());         // nothing but the folder was opened

  FolderListing missing;
  EXPECT_EQ(missing.Open(R("missing/")), ENOENT);
}

// Records every folder listed.
class ListedFs : public FileSystem {
 public:
  DIR* OpenDir(const char* path) override {
    std::lock_guard<std::mutex> lock(mu_);
    listed_.insert(path);
    return FileSystem::OpenDir(path);
  }
  std::set<std::string> Listed() {
    std::lock_guard<std::mutex> lock(mu_);
    return listed_;
  }

 private:
  std::mutex mu_;
  std::set<std::string> listed_;
};

std::vector<std::string> WalkWith(const FolderWalk::Options& options,
                                  const std::vector<std::string>& folders) {
  FolderWalk walk(options, nullptr, nullptr);
  return walk.Run(folders);
}

TEST_F(WalkerTest, ExcludedFoldersAreNeitherListedNorEntered) {
  for (const char* d : {".git/objects", "a/.git/objects", "a/b/c/.git/hooks", "node_modules/x",
                        "a/node_modules/y/node_modules/z", "a/keep/deep", "a/pip.cache/w",
                        "a/b/skip/inner", "a/c/skip", "a/.gitignore-dir"}) {
    Dir(R(d));
  }
  FolderExclusions exclude;
  QString problem;
  for (const QString& p : {QStringLiteral(".git"), QStringLiteral("node_modules"),
                           QStringLiteral("*.cache"), QString::fromStdString(R("a/b/skip"))}) {
    ASSERT_TRUE(exclude.Add(p, QString(), &problem)) << problem.toStdString();
  }
  FolderWalk::Options options;
  options.exclude = std::make_shared<const FolderExclusions>(exclude);
  ListedFs fs;
  ScopedFs use(&fs);
  EXPECT_EQ(AsSet(WalkWith(options, {root_})),
            AsSet({R(""), R("a/"), R("a/b/"), R("a/b/c/"), R("a/c/"), R("a/c/skip/"), R("a/keep/"),
                   R("a/keep/deep/"), R("a/.gitignore-dir/")}));
  for (const std::string& listed : fs.Listed()) {
    for (const char* left_out : {"/.git/", "/node_modules/", "/pip.cache/", "/b/skip/"}) {
      EXPECT_EQ(listed.find(left_out), std::string::npos) << listed;
    }
  }
  // A folder given to the walk is walked whatever the patterns say.
  EXPECT_EQ(AsSet(WalkWith(options, {R(".git/")})), AsSet({R(".git/"), R(".git/objects/")}));
  EXPECT_TRUE(capture_.reports.empty());
}

TEST_F(WalkerTest, TheTrashFoldersAreHiddenSystemFolders) {
  for (const char* d : {"home/.local/share/Trash/files/old", "home/.local/share/Trash/info",
                        "home/Trash/mine", "home/docs/.Trash-1000/x", "home/docs/.Trash/x"}) {
    Dir(R(d));
  }
  testing::ScopedEnv data("XDG_DATA_HOME", R("home/.local/share"));
  std::set<std::string> found = AsSet(Walk({R("home/")}));
  EXPECT_FALSE(found.count(R("home/.local/share/Trash/")));
  EXPECT_TRUE(found.count(R("home/.local/share/")));
  // Another folder of that name is no trash, nor are .Trash folders below
  // the top of a file system.
  EXPECT_TRUE(found.count(R("home/Trash/mine/")));
  EXPECT_TRUE(found.count(R("home/docs/.Trash-1000/x/")));
  EXPECT_TRUE(found.count(R("home/docs/.Trash/x/")));

  // At the top of a mounted file system, .Trash and .Trash-N are trash.
  testing::ScopedMount disk(testing::ScopedMount::Kind::kTmpfs, R("home/disk"));
  if (!disk.ok()) GTEST_SKIP() << disk.why();
  for (const char* d :
       {"home/disk/.Trash/1000/files", "home/disk/.Trash-1000/files", "home/disk/.Trash-0/files",
        "home/disk/.Trash-me/files", "home/disk/photos"}) {
    Dir(R(d));
  }
  found = AsSet(Walk({R("home/")}));
  EXPECT_TRUE(found.count(R("home/disk/")));
  EXPECT_TRUE(found.count(R("home/disk/photos/")));
  EXPECT_TRUE(found.count(R("home/disk/.Trash-me/files/")));
  for (const char* trash : {"home/disk/.Trash/", "home/disk/.Trash-1000/", "home/disk/.Trash-0/"}) {
    EXPECT_FALSE(found.count(R(trash))) << trash;
  }
  // The mount's top given to the walk: known from the mount table.
  found = AsSet(Walk({R("home/disk/")}));
  EXPECT_FALSE(found.count(R("home/disk/.Trash-1000/")));
  EXPECT_TRUE(found.count(R("home/disk/photos/")));
  EXPECT_TRUE(capture_.reports.empty());
}

TEST_F(WalkerTest, OneFileSystemEntersNoOtherMountBelowAGivenFolder) {
  testing::TempDir outside;  // on the walk's own file system
  Dir(outside.Sub("x/y"));
  Dir(R("plain/p"));
  {
    testing::ScopedMount disk(testing::ScopedMount::Kind::kTmpfs, R("disk"));
    testing::ScopedMount bound(testing::ScopedMount::Kind::kBind, R("plain/bound"), outside.path());
    if (!disk.ok()) GTEST_SKIP() << disk.why();
    if (!bound.ok()) GTEST_SKIP() << bound.why();
    Dir(R("disk/d1/d2"));
    FolderWalk::Options options;
    EXPECT_EQ(AsSet(WalkWith(options, {root_})),
              AsSet({R(""), R("plain/"), R("plain/p/"), R("plain/bound/"), R("plain/bound/x/"),
                     R("plain/bound/x/y/"), R("disk/"), R("disk/d1/"), R("disk/d1/d2/")}));
    options.one_file_system = true;
    ListedFs fs;
    ScopedFs use(&fs);
    // The tmpfs has a device of its own; the bind mount shows the walk's
    // own device, but is another mount all the same.
    EXPECT_EQ(AsSet(WalkWith(options, {root_})), AsSet({R(""), R("plain/"), R("plain/p/")}));
    for (const std::string& listed : fs.Listed()) {
      EXPECT_EQ(listed.find("disk"), std::string::npos) << listed;
      EXPECT_EQ(listed.find("bound"), std::string::npos) << listed;
    }
    // Given, a mount is walked on its own file system.
    EXPECT_EQ(AsSet(WalkWith(options, {R("disk/"), R("plain/bound/")})),
              AsSet({R("disk/"), R("disk/d1/"), R("disk/d1/d2/"), R("plain/bound/"),
                     R("plain/bound/x/"), R("plain/bound/x/y/")}));
  }
  EXPECT_TRUE(capture_.reports.empty());
}

TEST(NameCharsTest, CodePointRules) {
  EXPECT_FALSE(HasUnsafeNameChars(""));
  EXPECT_FALSE(HasUnsafeNameChars("caf\xC3\xA9 \xC3\xBF"));
  EXPECT_FALSE(HasUnsafeNameChars("R\xC3\xA9sum\xC3\xA9 \xE2\x80\x93 2019"));  // en dash
  EXPECT_FALSE(HasUnsafeNameChars("\xE2\x82\xAC"));                            // euro sign
  EXPECT_FALSE(HasUnsafeNameChars("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE"));        // Фото
  EXPECT_FALSE(HasUnsafeNameChars("\xE5\x86\x99\xE7\x9C\x9F"));                // 写真
  EXPECT_FALSE(HasUnsafeNameChars("emoji \xF0\x9F\x93\x81"));                  // 📁
  EXPECT_FALSE(HasUnsafeNameChars("\xC2\xA0nbsp"));                            // U+00A0
  EXPECT_TRUE(HasUnsafeNameChars("a\x7F"));
  EXPECT_TRUE(HasUnsafeNameChars("a\xC2\x80"));  // U+0080
  EXPECT_TRUE(HasUnsafeNameChars("a\xC2\x9F"));  // U+009F
  EXPECT_TRUE(HasUnsafeNameChars("tab\there"));
  EXPECT_TRUE(HasUnsafeNameChars("a?"));
  EXPECT_TRUE(HasUnsafeNameChars("x\xFF"));
  EXPECT_TRUE(HasUnsafeNameChars("\xC3"));      // cut short
  EXPECT_TRUE(HasUnsafeNameChars("\xC0\xAF"));  // an overlong "/"
}

}  // namespace
}  // namespace qm
