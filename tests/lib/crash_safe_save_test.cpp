// A save interrupted at any of its system calls, by a failure or by the
// process dying there, leaves the old file or the new one, whole.
#include <gtest/gtest.h>
#include <kv7700/last_failure.h>
#include <kv7700/save_report.h>
#include <kv7700/template_file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "lib/template_test_support.h"
#include "platform/file_output.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

// Counts the save's system calls; at call `stop` it fails the call, or ends
// the process before or after making it.
class Interrupter : public FileOutput {
 public:
  enum class Mode { Count, Fail, DieBefore, DieAfter };
  Interrupter(Mode mode, int stop) : mode_(mode), stop_(stop) {}
  int Calls() const { return calls_; }

  std::FILE* Open(const Path& path, const char* mode) override {
    return Make([&] { return FileOutput::Open(path, mode); });
  }
  std::FILE* OpenExisting(const Path& path) override {
    return Make([&] { return FileOutput::OpenExisting(path); });
  }
  bool Write(std::FILE* file, std::string_view bytes) override {
    return Make([&] { return FileOutput::Write(file, bytes); });
  }
  bool Flush(std::FILE* file) override {
    return Make([&] { return FileOutput::Flush(file); });
  }
  bool Truncate(std::FILE* file, long length) override {
    return Make([&] { return FileOutput::Truncate(file, length); });
  }
  bool Sync(std::FILE* file) override {
    return Make([&] { return FileOutput::Sync(file); });
  }
  bool Close(std::FILE* file) override {
    // A failing close still releases the file, as fclose does.
    return Make([&] { return FileOutput::Close(file); }, true);
  }
  bool Chown(std::FILE* file, std::uint32_t owner, std::uint32_t group) override {
    return Make([&] { return FileOutput::Chown(file, owner, group); });
  }
  bool Chmod(std::FILE* file, std::uint32_t mode) override {
    return Make([&] { return FileOutput::Chmod(file, mode); });
  }
  bool CopyAcl(std::FILE* file, const Path& from) override {
    return Make([&] { return FileOutput::CopyAcl(file, from); });
  }
  bool Rename(const Path& from, const Path& to) override {
    return Make([&] { return FileOutput::Rename(from, to); });
  }
  bool Remove(const Path& path) override {
    return Make([&] { return FileOutput::Remove(path); });
  }
  bool SyncFolder(const Path& folder) override {
    return Make([&] { return FileOutput::SyncFolder(folder); });
  }

 private:
  // Makes the call, except at the stopping call: there the Fail mode
  // reports EIO without making it (or, for a close, after making it), and
  // the Die modes end the process before or after making it.
  template <class Call>
  auto Make(Call call, bool madeEvenWhenFailing = false) -> decltype(call()) {
    ++calls_;
    if (calls_ != stop_ || mode_ == Mode::Count) return call();
    if (mode_ == Mode::DieBefore) _exit(0);
    if (mode_ == Mode::DieAfter || madeEvenWhenFailing) call();
    if (mode_ == Mode::DieAfter) _exit(0);
    errno = EIO;
    return {};
  }

  Mode mode_;
  int stop_;
  int calls_ = 0;
};

class CrashSafeSaveTest : public TemplateTest {
 protected:
  // Saves `path` with `output` in a child process; its exit status.
  static int SaveInChild(Interrupter* output, const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
      SetFileOutput(output);
      const int saved = WriteDevCfgToFile(path.c_str());
      _exit(saved == 1 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // A save that only fails (no process dies) runs here: a third of the
  // runs without a fork each.
  static int Save(Interrupter* output, const std::string& path, Interrupter::Mode mode) {
    if (mode != Interrupter::Mode::Fail) return SaveInChild(output, path);
    SetFileOutput(output);
    const int saved = WriteDevCfgToFile(path.c_str());
    SetFileOutput(nullptr);
    return saved == 1 ? 0 : 1;
  }
};

TEST_F(CrashSafeSaveTest, AnInterruptedSaveLeavesTheOldFileOrTheNewOneWhole) {
  ASSERT_EQ(WriteDevCfgToFile(folder.File("expected").c_str()), 1);
  const std::string newText = ReadWholeFile(folder.File("expected"));
  fs::remove(folder.File("expected"));

  struct Start {
    const char* what;
    std::string old;  // "" for no file
    bool throughLink;
  };
  const std::vector<Start> starts = {
      {"no file yet", "", false},
      {"an empty file", "\n", false},
      {"a short file", "short\n", false},
      {"a longer file", newText + newText + newText, false},
      {"a file of the same length", std::string(newText.size() - 1, 'x') + "\n", false},
      {"a file behind a link", "linked\n", true},
  };
  int runs = 0;
  for (const Start& start : starts) {
    SCOPED_TRACE(start.what);
    const std::string file = folder.File("template.txt");
    const std::string path = start.throughLink ? folder.File("link.txt") : file;
    auto reset = [&] {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folder.Path())) fs::remove(entry.path(), ec);
      if (!start.old.empty()) WriteWholeFile(file, start.old);
      if (start.throughLink) fs::create_symlink("template.txt", path);
    };
    reset();
    Interrupter counter(Interrupter::Mode::Count, 0);
    SetFileOutput(&counter);
    ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
    SetFileOutput(nullptr);
    const int calls = counter.Calls();
    ASSERT_GT(calls, 60);  // 59 lines and the calls around them

    for (const auto mode :
         {Interrupter::Mode::Fail, Interrupter::Mode::DieBefore, Interrupter::Mode::DieAfter}) {
      for (int stop = 1; stop <= calls; ++stop) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + ", call " +
                     std::to_string(stop) + " of " + std::to_string(calls));
        reset();
        Interrupter interrupter(mode, stop);
        const int status = Save(&interrupter, path, mode);
        ++runs;
        const std::string now = ReadWholeFile(file);
        const bool isOld = start.old.empty() ? !fs::exists(file) : now == start.old;
        ASSERT_TRUE(isOld || now == newText) << "the file holds " << now.size() << " bytes";
        if (start.throughLink) {
          ASSERT_TRUE(fs::is_symlink(fs::symlink_status(path)));
        }
        if (mode == Interrupter::Mode::Fail) {
          // A failed call is reported and leaves no temporary file behind.
          EXPECT_EQ(status, 1);
          for (const auto& entry : fs::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.starts_with(".kv7700-")) << "a temporary file is left: " << name;
          }
        }
      }
    }
  }
  EXPECT_GE(runs, 1000);
}

TEST_F(CrashSafeSaveTest, ASaveInPlaceThatFailsSaysTheFileMayBeIncomplete) {
  // A file with a second name is written in place, so that both keep it.
  const std::string path = folder.File("template.txt");
  WriteWholeFile(path, "old\n");
  fs::create_hard_link(path, folder.File("second name.txt"));
  const struct {
    const char* what;
    int stop;  // the failing call: 1 opens, then one write per line
    bool incomplete;
    const char* says;
  } cases[] = {
      {"the file cannot be opened", 1, false, "A file already there is left as it was."},
      {"a write fails half-way", 30, true, "may now be incomplete: save it again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Interrupter interrupter(Interrupter::Mode::Fail, c.stop);
    SetFileOutput(&interrupter);
    const SaveReport report = SaveDevCfgToFile(path.c_str());
    SetFileOutput(nullptr);
    EXPECT_FALSE(report.saved);
    EXPECT_TRUE(report.inPlace);
    EXPECT_EQ(report.error, EIO);
    EXPECT_EQ(report.fileMayBeIncomplete, c.incomplete);
    const std::string message = DescribeSaveFailure(path, report);
    EXPECT_NE(message.find("could not write '" + path +
                           "': Input/output error. The disk "
                           "reported an error"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    // The sensor's last failure says the same.
    const LastFailure failure = GetLastFailure();
    EXPECT_EQ(failure.operation, "WriteDevCfgToFile");
    EXPECT_EQ(DescribeFailure(failure), "C" + message.substr(1));
  }
  const SaveReport saved = SaveDevCfgToFile(path.c_str());
  ASSERT_TRUE(saved.saved);
  EXPECT_EQ(DescribeSaveFailure(path, saved), "");
  EXPECT_FALSE(GetLastFailure().Failed());
  EXPECT_EQ(ReadWholeFile(folder.File("second name.txt")), ReadWholeFile(path));
}

// Refuses to give a new file the old one's owner, ACL or mode.
class Refuses : public FileOutput {
 public:
  enum class Step { Chown, CopyAcl, Chmod };
  Refuses(Step step, int error) : step_(step), error_(error) {}
  bool Chown(std::FILE* file, std::uint32_t owner, std::uint32_t group) override {
    return Refused(Step::Chown) ? false : FileOutput::Chown(file, owner, group);
  }
  bool CopyAcl(std::FILE* file, const Path& from) override {
    return Refused(Step::CopyAcl) ? false : FileOutput::CopyAcl(file, from);
  }
  bool Chmod(std::FILE* file, std::uint32_t mode) override {
    return Refused(Step::Chmod) ? false : FileOutput::Chmod(file, mode);
  }

 private:
  bool Refused(Step step) const {
    if (step != step_) return false;
    errno = error_;
    return true;
  }
  Step step_;
  int error_;
};

TEST_F(CrashSafeSaveTest, AnOwnerAclOrModeANewFileCannotTakeIsKeptByASaveInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the old file another owner";
  using Step = Refuses::Step;
  const struct {
    const char* what;
    Step step;
    int error;
    bool saved;
  } cases[] = {
      {"the owner is refused", Step::Chown, EPERM, true},
      {"the file system keeps no ACL", Step::CopyAcl, ENOTSUP, true},
      {"the file system keeps no modes", Step::Chmod, EPERM, true},
      {"the disk fails", Step::Chmod, EIO, false},
  };
  const std::string path = folder.File("template.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(path, "old\n");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);  // someone else's: the owner must be given
    struct stat before {};
    stat(path.c_str(), &before);
    Refuses refuses(c.step, c.error);
    SetFileOutput(&refuses);
    const SaveReport report = SaveDevCfgToFile(path.c_str());
    SetFileOutput(nullptr);
    EXPECT_EQ(report.saved, c.saved);
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(report.inPlace, c.saved);
    EXPECT_EQ(ReadWholeFile(path).starts_with("/--- Sonar"), c.saved);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"template.txt"});
  }
}

}  // namespace
}  // namespace kv::testing
