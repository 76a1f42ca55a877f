// Saving a template where a user (not root) may write the file but not its
// folder, through links, over hard links and over files with an owner,
// mode or ACL to keep. Each save runs in a child process that has become
// the user "nobody"; the files are set up as root beforehand.
#include <grp.h>
#include <gtest/gtest.h>
#include <kv7700/save_report.h>
#include <kv7700/template_file.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "lib/template_test_support.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kOld = "the user's old template\n";

struct SaveResult {
  int returned = -1;
  SaveReport report;
};

// Runs WriteDevCfgToFile(path) in a child that has dropped root for `uid`.
SaveResult SaveAs(uid_t uid, gid_t gid, const std::string& path) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    SaveResult result;
    if (setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0) {
      result.report = SaveDevCfgToFile(path.c_str());
      result.returned = result.report.saved ? 1 : 0;
    }
    const bool sent = write(channel[1], &result, sizeof result) == sizeof result;
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  SaveResult result;
  if (read(channel[0], &result, sizeof result) != sizeof result) result = {};
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return result;
}

// An access ACL giving one more user read access, in the kernel's xattr
// layout: a version word, then (tag, permissions, id) entries.
std::vector<char> AclWithExtraReader(std::uint32_t extraUid) {
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  const std::uint32_t kVersion = 2;
  const std::uint32_t kNoId = 0xFFFFFFFF;
  const Entry entries[] = {{0x01, 6, kNoId},     // owner rw
                           {0x02, 4, extraUid},  // the extra user r
                           {0x04, 6, kNoId},     // group rw
                           {0x10, 6, kNoId},     // mask rw
                           {0x20, 4, kNoId}};    // others r
  std::vector<char> bytes(sizeof kVersion + sizeof entries);
  std::memcpy(bytes.data(), &kVersion, sizeof kVersion);
  std::memcpy(bytes.data() + sizeof kVersion, entries, sizeof entries);
  return bytes;
}

std::vector<char> AclOf(const std::string& path) {
  std::vector<char> acl(256);
  const ssize_t size = getxattr(path.c_str(), kAccessAcl, acl.data(), acl.size());
  acl.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
  return acl;
}

constexpr fs::perms kReadOnlyFolder = fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec;
constexpr fs::perms kSharedFolder = fs::perms::all;

class TemplateSaveAsUserTest : public TemplateTest {
 protected:
  void SetUp() override {
    TemplateTest::SetUp();
    if (geteuid() != 0)
      GTEST_SKIP() << "needs root to set up other users' files and drop to nobody";
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "there is no user 'nobody' to save as";
    uid_ = nobody->pw_uid;
    gid_ = nobody->pw_gid;
    // Whatever the umask, the user may pass through the scratch folder but
    // not write it.
    fs::permissions(folder.Path(), kReadOnlyFolder);
    // The expected text: the same cache saved as root.
    ASSERT_EQ(WriteDevCfgToFile(folder.File("expected").c_str()), 1);
    expected_ = ReadWholeFile(folder.File("expected"));
    fs::remove(folder.File("expected"));
  }

  // A folder of the scratch folder, owned by root with `mode`.
  std::string Folder(const std::string& name, fs::perms mode) {
    std::string path = folder.File(name);
    fs::create_directory(path);
    fs::permissions(path, mode);
    return path;
  }

  // A file with the old text, its owner and mode.
  void File(const std::string& path, uid_t owner, gid_t group, mode_t mode) {
    WriteWholeFile(path, kOld);
    ASSERT_EQ(chown(path.c_str(), owner, group), 0);
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
  }

  static std::vector<std::string> Entries(const std::string& folderPath) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folderPath)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static struct stat Stat(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
  }

  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::string expected_;
};

TEST_F(TemplateSaveAsUserTest, AWritableFileInAFolderTheUserMayNotWriteIsWrittenInPlace) {
  const std::string locked = Folder("locked", kReadOnlyFolder);
  const std::string path = locked + "/mine.txt";
  File(path, uid_, gid_, 0640);
  const struct stat before = Stat(path);

  const SaveResult result = SaveAs(uid_, gid_, path);
  EXPECT_EQ(result.returned, 1);
  EXPECT_TRUE(result.report.saved);
  EXPECT_TRUE(result.report.inPlace);
  EXPECT_EQ(ReadWholeFile(path), expected_);
  const struct stat after = Stat(path);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, uid_);
  EXPECT_EQ(Entries(locked), std::vector<std::string>{"mine.txt"});
}

TEST_F(TemplateSaveAsUserTest, WhatTheUserMayNotWriteIsRefusedWithTheReasonAndWhatToDo) {
  const std::string locked = Folder("locked", kReadOnlyFolder);
  const std::string shared = Folder("shared", kSharedFolder);
  File(locked + "/roots.txt", 0, 0, 0644);
  File(shared + "/roots.txt", 0, 0, 0644);
  const struct {
    const char* what;
    std::string path;
  } cases[] = {
      {"a new file in a folder the user may not write", locked + "/new.txt"},
      {"someone else's read-only file in a folder the user may not write", locked + "/roots.txt"},
      {"someone else's read-only file in a shared folder", shared + "/roots.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SaveResult result = SaveAs(uid_, gid_, c.path);
    EXPECT_EQ(result.returned, 0);
    EXPECT_FALSE(result.report.saved);
    EXPECT_EQ(result.report.error, EACCES);
    EXPECT_FALSE(result.report.fileMayBeIncomplete);
    const std::string message = DescribeSaveFailure(c.path, result.report);
    EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
    EXPECT_NE(message.find("This user may not write there"), std::string::npos) << message;
    EXPECT_NE(message.find("left as it was"), std::string::npos) << message;
  }
  EXPECT_EQ(ReadWholeFile(locked + "/roots.txt"), kOld);
  EXPECT_EQ(ReadWholeFile(shared + "/roots.txt"), kOld);
  EXPECT_EQ(Entries(locked), std::vector<std::string>{"roots.txt"});
  EXPECT_EQ(Entries(shared), std::vector<std::string>{"roots.txt"});
}

TEST_F(TemplateSaveAsUserTest, SavingThroughLinksWritesTheFileTheyLeadTo) {
  const std::string shared = Folder("shared", kSharedFolder);
  const std::string locked = Folder("locked", kReadOnlyFolder);
  File(shared + "/real.txt", uid_, gid_, 0600);
  File(locked + "/real.txt", uid_, gid_, 0600);
  fs::create_symlink("real.txt", shared + "/link.txt");
  fs::create_symlink("link.txt", shared + "/link-to-link.txt");
  fs::create_symlink("made-by-save.txt", shared + "/dangling.txt");
  fs::create_symlink(locked + "/real.txt", shared + "/into-locked.txt");
  const struct {
    const char* what;
    std::string link;
    std::string file;
  } cases[] = {
      {"a link", shared + "/link.txt", shared + "/real.txt"},
      {"a link to a link", shared + "/link-to-link.txt", shared + "/real.txt"},
      {"a dangling link", shared + "/dangling.txt", shared + "/made-by-save.txt"},
      {"a link into a folder the user may not write", shared + "/into-locked.txt",
       locked + "/real.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(c.file, kOld);
    if (std::string(c.what) == "a dangling link") fs::remove(c.file);
    const SaveResult result = SaveAs(uid_, gid_, c.link);
    EXPECT_EQ(result.returned, 1);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(c.link)));
    EXPECT_EQ(ReadWholeFile(c.file), expected_);
    EXPECT_EQ(Stat(c.file).st_uid, uid_);
  }
  EXPECT_EQ(Stat(shared + "/real.txt").st_mode & 07777, 0600u);
  EXPECT_EQ(Entries(shared),
            (std::vector<std::string>{"dangling.txt", "into-locked.txt", "link-to-link.txt",
                                      "link.txt", "made-by-save.txt", "real.txt"}));
  EXPECT_EQ(Entries(locked), std::vector<std::string>{"real.txt"});
}

TEST_F(TemplateSaveAsUserTest, SavingKeepsHardLinksOwnerModeAndAcl) {
  const std::string shared = Folder("shared", kSharedFolder);
  // A file of the user's with a second name: both names see the new text.
  File(shared + "/linked.txt", uid_, gid_, 0644);
  fs::create_hard_link(shared + "/linked.txt", shared + "/other-name.txt");
  // Someone else's file that the user may write: it stays theirs.
  File(shared + "/roots.txt", 0, 0, 0666);
  // The user's own file with a mode to keep.
  File(shared + "/mode.txt", uid_, gid_, 0604);

  ASSERT_EQ(SaveAs(uid_, gid_, shared + "/linked.txt").returned, 1);
  EXPECT_EQ(ReadWholeFile(shared + "/other-name.txt"), expected_);
  EXPECT_EQ(Stat(shared + "/linked.txt").st_ino, Stat(shared + "/other-name.txt").st_ino);

  const SaveResult roots = SaveAs(uid_, gid_, shared + "/roots.txt");
  ASSERT_EQ(roots.returned, 1);
  EXPECT_TRUE(roots.report.inPlace);
  EXPECT_EQ(ReadWholeFile(shared + "/roots.txt"), expected_);
  EXPECT_EQ(Stat(shared + "/roots.txt").st_uid, 0u);
  EXPECT_EQ(Stat(shared + "/roots.txt").st_mode & 07777, 0666u);

  const struct stat modeBefore = Stat(shared + "/mode.txt");
  const SaveResult mode = SaveAs(uid_, gid_, shared + "/mode.txt");
  ASSERT_EQ(mode.returned, 1);
  EXPECT_FALSE(mode.report.inPlace);  // replaced through a temporary
  EXPECT_NE(Stat(shared + "/mode.txt").st_ino, modeBefore.st_ino);
  EXPECT_EQ(Stat(shared + "/mode.txt").st_mode & 07777, 0604u);
  EXPECT_EQ(ReadWholeFile(shared + "/mode.txt"), expected_);

  const std::string aclPath = shared + "/acl.txt";
  File(aclPath, uid_, gid_, 0664);
  const std::vector<char> acl = AclWithExtraReader(uid_ + 1);
  if (setxattr(aclPath.c_str(), kAccessAcl, acl.data(), acl.size(), 0) != 0) {
    GTEST_SKIP() << "this file system keeps no ACLs (" << std::strerror(errno) << ")";
  }
  const std::vector<char> aclBefore = AclOf(aclPath);
  ASSERT_FALSE(aclBefore.empty());
  const SaveResult withAcl = SaveAs(uid_, gid_, aclPath);
  ASSERT_EQ(withAcl.returned, 1);
  EXPECT_FALSE(withAcl.report.inPlace);
  EXPECT_EQ(AclOf(aclPath), aclBefore);
  EXPECT_EQ(ReadWholeFile(aclPath), expected_);
}

}  // namespace
}  // namespace kv::testing
