// Saving the cache as a template file: the exact text, the round trip, and
// saves that fail without harming the file already there.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lib/template_test_support.h"
#include "platform/file_output.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

// The file as the writer must print it: "@" stands for the firmware version
// and each "#" for the next field value in row order.
constexpr const char* kLayout =
    "/--- Sonar Configuration Template File ---\n"
    ":Library Version: 5.5.0 \n"
    ":Device FW Version: @ \n"
    "\n"
    "/ tsSonarParms\n"
    "LEDFlagsS = #     / LED usage flags\n"
    "PingRateS = #     / Ping rate (msec) (min 200, max 1020)\n"
    "Reserved1S = #     / 40KHz cycle cnt (READ ONLY)\n"
    "MinDistS = #     / Minimum Distance acceptable (inches) (min 14, max 59)\n"
    "MaxDistS = #     / Maximum Distance acceptable (inches) (min 15, max 60)\n"
    "ORDBTmS = #     / debounce out of range time (sec/min)\n"
    "IRDBTmS = #     / debounce in range time (sec/min)\n"
    "StartDlyS = #     / cold start delay in seconds before joining USB\n"
    "\n"
    "/ tsWalkAwayParms\n"
    "KeyCountWA = #     / Defined keys to follow (max 6 modifiers/keys)\n"
    "InterKeyDelayWA = #     / dead time between key presses (msec) (min 64, max 16320)\n"
    "Key1ModsWA = #     / Key Modifiers...\n"
    "Key2ModsWA = #     / \n"
    "Key3ModsWA = #     / \n"
    "Key4ModsWA = #     / \n"
    "Key5ModsWA = #     / \n"
    "Key6ModsWA = #     / \n"
    "Flags0WA = #     / see API header File\n"
    "MinFltRepRate = #     / \n"
    "Key1CodeWA = #     / Key Codes...\n"
    "Key2CodeWA = #     / \n"
    "Key3CodeWA = #     / \n"
    "Key4CodeWA = #     / \n"
    "Key5CodeWA = #     / \n"
    "Key6CodeWA = #     / \n"
    "\n"
    "/ tsWalkUpParms\n"
    "KeyCountWU = #     / Defined keys to follow (max 6 modifiers/keys)\n"
    "InterKeyDelayWU = #     / dead time between key presses (msec) (min 64, max 16320)\n"
    "Key1ModsWU = #     / Key Modifiers...\n"
    "Key2ModsWU = #     / \n"
    "Key3ModsWU = #     / \n"
    "Key4ModsWU = #     / \n"
    "Key5ModsWU = #     / \n"
    "Key6ModsWU = #     / \n"
    "Flags0WU = #     / see API header File\n"
    "Reserved2WU = #     / \n"
    "Key1CodeWU = #     / Key Codes...\n"
    "Key2CodeWU = #     / \n"
    "Key3CodeWU = #     / \n"
    "Key4CodeWU = #     / \n"
    "Key5CodeWU = #     / \n"
    "Key6CodeWU = #     / \n"
    "\n"
    "/ tsIdleParms\n"
    "Reserved1I = #     / \n"
    "PressRateI = #     / Periodic Press Rate (1 second units) - Zero disables (default)\n"
    "Key1ModsI = #     / Key 1 modifier bit flags\n"
    "Key1CodeI = #     / Key 1 code\n"
    "FlagsI = #     / see API header File\n"
    "DMTODeltaI = #     / DeadMan T0Delta, 3.472 * Distance (in) = DMTODelta\n"
    "DMTOTmI = #     / DeadMan Time (seconds) - Time till Declared Dead while Deltas never "
    "exceeded\n"
    "SNBlankTmI = #     / Sonar drive blanking time (43usec units)\n";

std::string ExpectedFile(const std::string& firmware, const std::vector<unsigned>& values) {
  std::string text;
  std::size_t next = 0;
  for (const char* c = kLayout; *c != '\0'; ++c) {
    if (*c == '@') {
      text += firmware;
    } else if (*c == '#') {
      text += std::to_string(values.at(next++));
    } else {
      text += *c;
    }
  }
  EXPECT_EQ(next, values.size());
  return text;
}

// OrdinaryRecords() in row order.
const std::vector<unsigned> kOrdinaryValues = {
    5, 500, 12, 14,  48, 10, 3,   2,                                //
    2, 128, 2,  0,   1,  0,  0,   4,  1, 30, 21, 40, 0, 0, 0, 227,  //
    3, 64,  1,  2,   4,  8,  16,  32, 0, 7,  4,  5,  6, 7, 8, 9,    //
    1, 60,  0,  104, 3,  17, 600, 25};

RecordSet AllWords(std::uint16_t value) {
  RecordSet r;
  for (const TemplateField& field : kTemplateFields) FieldWord(r, field) = value;
  return r;
}

using TemplateWriterTest = TemplateTest;

// Template files are text files: LF line ends, CRLF on Windows.
std::string WithNativeLineEnds(const std::string& text) {
#if defined(_WIN32)
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
#else
  return text;
#endif
}

TEST_F(TemplateWriterTest, PrintsTheCachedRecordsLineForLine) {
  struct Case {
    const char* what;
    RecordSet records;
    std::uint16_t firmware;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"ordinary values", OrdinaryRecords(), 0x0144, ExpectedFile("01.44", kOrdinaryValues)},
      // Each 4-bit group of the firmware word prints as a decimal number.
      {"firmware 0x010A", OrdinaryRecords(), 0x010A, ExpectedFile("01.010", kOrdinaryValues)},
      {"firmware 0xC3D2", OrdinaryRecords(), 0xC3D2, ExpectedFile("123.132", kOrdinaryValues)},
      {"zero everywhere", AllWords(0), 0x0000, ExpectedFile("00.00", std::vector<unsigned>(48, 0))},
      {"65535 everywhere", AllWords(65535), 0xFFFF,
       ExpectedFile("1515.1515", std::vector<unsigned>(48, 65535))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Cache(c.records, c.firmware);
    const std::string path = folder.File("out.txt");
    ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), WithNativeLineEnds(c.expected));
  }
}

TEST_F(TemplateWriterTest, AFileWrittenAndReadBackRestoresTheCacheAndMarksItChanged) {
  const std::string path = folder.File("round trip.txt");
  ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
  Cache(OtherRecords(), 0x0144);
  CurrentSlot().DevError = 0x201000;

  ASSERT_EQ(ReadDevCfgFmFile(path.c_str()), 1);
  ExpectRecords(CachedRecords(), OrdinaryRecords());
  EXPECT_EQ(CachedDirtyFlags(), (DirtyFlags{1, 1, 1, 1}));
  EXPECT_EQ(GetDevError(), 0u);
}

TEST_F(TemplateWriterTest, AFileSavedOnEitherPlatformReadsBackTheSame) {
  const std::string path = folder.File("moved.txt");
  ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
  std::string lf;
  for (char c : ReadWholeFile(path)) {
    if (c != '\r') lf += c;
  }
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {lf, crlf}) {
    SCOPED_TRACE(text == lf ? "LF (Linux)" : "CRLF (Windows)");
    WriteWholeFile(path, text);
    Cache(OtherRecords(), 0x0144);
    ASSERT_EQ(ReadDevCfgFmFile(path.c_str()), 1);
    ExpectRecords(CachedRecords(), OrdinaryRecords());
    EXPECT_EQ(CachedDirtyFlags(), (DirtyFlags{1, 1, 1, 1}));
  }
}

TEST_F(TemplateWriterTest, SavingReplacesAnExistingFileKeepingItsAccessRights) {
  const std::string path = folder.File("existing.txt");
  WriteWholeFile(path, "old contents\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
  EXPECT_EQ(ReadWholeFile(path).substr(0, 42), "/--- Sonar Configuration Template File ---");
#if !defined(_WIN32)  // Windows keeps access rights in access lists, not permission bits
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"existing.txt"});
}

TEST_F(TemplateWriterTest, SavingThroughALinkReplacesTheFileItLeadsTo) {
  const std::string file = folder.File("real.txt");
  const std::string link = folder.File("link.txt");
  WriteWholeFile(file, "old contents\n");
  std::error_code error;
  fs::create_symlink("real.txt", link, error);
  // Windows lets only privileged users make symbolic links.
  if (error) GTEST_SKIP() << "no symbolic link can be made here: " << error.message();

  ASSERT_EQ(WriteDevCfgToFile(link.c_str()), 1);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(ReadWholeFile(file).substr(0, 1), "/");
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"link.txt", "real.txt"}));
}

TEST_F(TemplateWriterTest, PathsLongerThan127CharactersAreSavedAndRead) {
  const std::string deep = (folder.Path() / std::string(100, 'd') / std::string(100, 'e')).string();
  fs::create_directories(deep);
  const std::string path = deep + "/template.txt";
  ASSERT_GT(path.size(), 200u);
  ASSERT_EQ(WriteDevCfgToFile(path.c_str()), 1);
  Cache(OtherRecords(), 0x0144);
  ASSERT_EQ(ReadDevCfgFmFile(path.c_str()), 1);
  ExpectRecords(CachedRecords(), OrdinaryRecords());
}

// Makes one stdio step of a save fail the way a full device does.
class FullDevice : public FileOutput {
 public:
  enum class Step { Write, Flush, Close };
  FullDevice(Step step, int failingWrite) : step_(step), failingWrite_(failingWrite) {}

  bool Write(std::FILE* file, std::string_view bytes) override {
    if (step_ == Step::Write && ++writes_ == failingWrite_) return false;
    return FileOutput::Write(file, bytes);
  }
  bool Flush(std::FILE* file) override { return FileOutput::Flush(file) && step_ != Step::Flush; }
  bool Close(std::FILE* file) override { return FileOutput::Close(file) && step_ != Step::Close; }

 private:
  Step step_;
  int failingWrite_;
  int writes_ = 0;
};

TEST_F(TemplateWriterTest, AFailedSaveReturns0AndLeavesTheExistingFileAlone) {
  using Step = FullDevice::Step;
  const struct {
    const char* what;
    Step step;
    int failingWrite;
  } cases[] = {
      {"first line refused", Step::Write, 1}, {"half-way", Step::Write, 30},
      {"last line refused", Step::Write, 59}, {"flush fails", Step::Flush, 0},
      {"close fails", Step::Close, 0},
  };
  const std::string path = folder.File("keep.txt");
  WriteWholeFile(path, "the user's template\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FullDevice device(c.step, c.failingWrite);
    SetFileOutput(&device);
    EXPECT_EQ(WriteDevCfgToFile(path.c_str()), 0);
    SetFileOutput(nullptr);
    EXPECT_EQ(ReadWholeFile(path), "the user's template\n");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"keep.txt"});
  }
}

TEST_F(TemplateWriterTest, ASaveToAPlaceThatCannotHoldAFileReturns0) {
  WriteWholeFile(folder.File("plain"), "a regular file\n");
  fs::create_directory(folder.File("sub"));
  const std::vector<std::string> paths = {
      folder.File("no such folder/template.txt"),
      folder.File("plain/template.txt"),  // a path under a regular file
      folder.File("sub"),                 // an existing folder
      folder.File("sub/"),
      "",
  };
  for (const std::string& path : paths) {
    EXPECT_EQ(WriteDevCfgToFile(path.c_str()), 0) << path;
  }
  EXPECT_EQ(WriteDevCfgToFile(nullptr), 0);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"plain", "sub"}));
  EXPECT_TRUE(fs::is_empty(folder.File("sub")));
  EXPECT_EQ(ReadWholeFile(folder.File("plain")), "a regular file\n");
}

// WriteDevCfgToFile(path) as a user to whom read-only files are read-only:
// this process, or, under root (who writes any file), a child that has become
// the owner of `path` and of its folder ("nobody") and dropped root. -1 when
// that cannot be.
int SaveAsUnprivileged(const std::string& path) {
#if defined(_WIN32)
  return WriteDevCfgToFile(path.c_str());
#else
  if (geteuid() != 0) return WriteDevCfgToFile(path.c_str());
  const passwd* nobody = getpwnam("nobody");
  const std::string folder = fs::path(path).parent_path().string();
  if (nobody == nullptr || chown(path.c_str(), nobody->pw_uid, nobody->pw_gid) != 0 ||
      chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
    return -1;
  }
  const pid_t child = fork();
  if (child == 0) {
    const bool dropped =
        setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
    _exit(dropped ? WriteDevCfgToFile(path.c_str()) : 2);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 2 ? -1 : WEXITSTATUS(status);
#endif
}

TEST_F(TemplateWriterTest, AFileThisUserMayNotWriteIsNotReplaced) {
  const std::string path = folder.File("read-only.txt");
  WriteWholeFile(path, "the user's template\n");
  fs::permissions(path, fs::perms::owner_read);
  // The folder is the user's to write: a rename over the file would need no
  // right to write the file, so only the save's own check keeps it.
  fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  EXPECT_EQ(SaveAsUnprivileged(path), 0);
  EXPECT_EQ(ReadWholeFile(path), "the user's template\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"read-only.txt"});
}

TEST_F(TemplateWriterTest, AFullDeviceFileIsWrittenInPlaceAndReportsTheFailure) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  EXPECT_EQ(WriteDevCfgToFile("/dev/full"), 0);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));  // not replaced by a regular file
}

// A relative name, as kv7700ctl takes it from the user, and a path past 260
// characters each replace the file they name (Wine's ReplaceFileW refuses
// both forms, relative and prefixed with \\?\, where Windows' takes them).
TEST_F(TemplateWriterTest, ARelativeOrLongNameReplacesTheFileItNames) {
  const std::string deep = (folder.Path() / std::string(120, 'a') / std::string(120, 'b')).string();
  fs::create_directories(deep);
  const struct {
    std::string name;  // as given, from the folder
    std::string file;
  } rows[] = {
      {"relative.txt", folder.File("relative.txt")},
      {deep + "/" + std::string(40, 'c') + ".txt", deep + "/" + std::string(40, 'c') + ".txt"},
  };
  const fs::path start = fs::current_path();
  fs::current_path(folder.Path());
  for (const auto& row : rows) {
    WriteWholeFile(row.file, "the user's template\n");
    EXPECT_EQ(WriteDevCfgToFile(row.name.c_str()), 1) << row.name.size();
    EXPECT_NE(ReadWholeFile(row.file), "the user's template\n") << row.name.size();
  }
  fs::current_path(start);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{std::string(120, 'a'), "relative.txt"}));
}

// The C runtime modes a save asks for, and how often it made a file anew.
class ModeRecorder : public FileOutput {
 public:
  std::vector<std::string> modes;
  int created = 0;
  std::FILE* Open(const Path& path, const char* mode) override {
    modes.emplace_back(mode);
    return FileOutput::Open(path, mode);
  }
  std::FILE* CreateNew(const Path& path) override {
    ++created;
    return FileOutput::CreateNew(path);
  }
};

// MinGW links msvcrt.dll, which fails an open in a mode it does not know
// ("wx", say) where Wine's and glibc's succeed: every build checks that no
// save asks for one, and that the base seam refuses one as Windows would.
TEST_F(TemplateWriterTest, SavesHandTheCRuntimeOnlyModesMsvcrtKnows) {
  const std::string plain = folder.File("plain.txt");
  const std::string linked = folder.File("linked.txt");
  WriteWholeFile(plain, "old\n");
  WriteWholeFile(linked, "old\n");
  fs::create_hard_link(linked, folder.File("other name.txt"));
  ModeRecorder recorder;
  SetFileOutput(&recorder);
  for (const std::string& path : {folder.File("new.txt"), plain, linked}) {
    EXPECT_EQ(WriteDevCfgToFile(path.c_str()), 1) << path;
  }
  SetFileOutput(nullptr);
  EXPECT_EQ(recorder.created, 2);  // the new file and the plain one; the linked one in place
  for (const std::string& mode : recorder.modes)
    EXPECT_TRUE(IsPortableOpenMode(mode.c_str())) << mode;

  for (const char* mode : {"r", "w", "a", "r+", "w+b", "rb", "wt", "a+t", "rb+"}) {
    EXPECT_TRUE(IsPortableOpenMode(mode)) << mode;
  }
  for (const char* mode : {"wx", "w+x", "re", "wc", "w, ccs=UTF-8", "", "+w", "rw", "wbt", "w++"}) {
    EXPECT_FALSE(IsPortableOpenMode(mode)) << mode;
    errno = 0;
    EXPECT_EQ(GetFileOutput().Open(folder.File("refused.txt").c_str(), mode), nullptr) << mode;
    EXPECT_EQ(errno, EINVAL) << mode;
  }
  EXPECT_FALSE(fs::exists(folder.File("refused.txt")));
}

}  // namespace
}  // namespace kv::testing
