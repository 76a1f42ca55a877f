// UTF-8 names into the wide paths of Windows' own calls.
#include "platform/file_name_windows.h"

#include <gtest/gtest.h>
#include <kv7700/file_names.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/file_name.h"
#include "platform/text_file_save.h"

namespace kv {
namespace {

TEST(FileNameWindows, Utf8ConvertsBothWaysAndInvalidBytesAreRefused) {
  const struct {
    std::string utf8;
    std::wstring wide;
  } rows[] = {
      {"", L""},
      {"\xC5\x81\xC3\xB3\x64\xC5\xBA.txt", L"\u0141\u00F3d\u017A.txt"},  // Łódź
      {"\xE6\x9D\xB1\xE4\xBA\xAC", L"\u6771\u4EAC"},                     // 東京
      {"\xF0\x9F\x98\x80", L"\U0001F600"},                               // a surrogate pair
  };
  for (const auto& row : rows) {
    std::wstring wide = L"unchanged";
    EXPECT_TRUE(WideFromUtf8(row.utf8, &wide)) << row.utf8;
    EXPECT_EQ(wide, row.wide) << row.utf8;
    EXPECT_EQ(Utf8FromWide(row.wide), row.utf8);
  }
  for (const char* invalid : {"\xC5", "a\xFF.txt", "\xED\xA0\x80"}) {  // cut, stray, surrogate
    std::wstring wide = L"unchanged";
    EXPECT_FALSE(WideFromUtf8(invalid, &wide)) << invalid;
    EXPECT_EQ(wide, L"unchanged");
  }
  errno = 0;
  EXPECT_EQ(OpenFileByName("a\xFF.txt", "w"), nullptr);
  EXPECT_EQ(errno, EILSEQ);
  // A save is refused too, rather than made under another name.
  errno = 0;
  EXPECT_FALSE(SaveTextFile("a\xFF.txt", "text\n"));
  EXPECT_EQ(errno, EILSEQ);
  EXPECT_FALSE(std::filesystem::exists(L"a\uFFFF.txt"));
}

TEST(FileNameWindows, LongPathsGetThePrefixTheWideCallsNeed) {
  const std::wstring folder(250, L'd');
  const struct {
    std::wstring path;
    std::wstring form;
  } rows[] = {
      {L"C:\\short\\x.txt", L"C:\\short\\x.txt"},
      {L"C:\\" + folder + L"\\x.txt", L"\\\\?\\C:\\" + folder + L"\\x.txt"},
      {L"\\\\server\\share\\" + folder, L"\\\\?\\UNC\\server\\share\\" + folder},
      {L"\\\\?\\C:\\" + folder, L"\\\\?\\C:\\" + folder},  // already prefixed
      {folder + L"\\x.txt", folder + L"\\x.txt"},          // relative: the caller makes it whole
  };
  for (const auto& row : rows) EXPECT_EQ(LongPathForm(row.path), row.form);

  std::wstring path;
  ASSERT_TRUE(SystemPathOf("C:/short/x.txt", &path));
  EXPECT_EQ(path, L"C:\\short\\x.txt");
  // A long relative name is made absolute, so it can take the prefix.
  ASSERT_TRUE(SystemPathOf(Utf8FromWide(folder + L"/x.txt").c_str(), &path));
  EXPECT_EQ(path.rfind(L"\\\\?\\", 0), 0u) << Utf8FromWide(path);
  EXPECT_EQ(path.substr(path.size() - folder.size() - 6), folder + L"\\x.txt");
}

// MAX_PATH limits the full path the system makes from a name, so a short
// name in a working folder of 250 characters needs the prefix too, for
// reads (PathFromUtf8, which std::filesystem and the streams take) as for
// writes.
TEST(FileNameWindows, AShortRelativeNameIsJudgedByItsFullLength) {
  const std::filesystem::path start = std::filesystem::current_path();
  std::filesystem::path deep = std::filesystem::temp_directory_path() / "kv7700-deep";
  while (deep.native().size() < 250)
    deep /= std::wstring(
        std::min<std::size_t>(40, std::max<std::size_t>(1, 252 - deep.native().size())), L'f');
  ASSERT_TRUE(std::filesystem::create_directories(deep) || std::filesystem::is_directory(deep));
  std::wstring path;
  ASSERT_TRUE(SystemPathOf("x.txt", &path));
  EXPECT_EQ(path, L"x.txt") << "a short working folder leaves a short name alone";

  std::filesystem::current_path(deep);
  ASSERT_TRUE(SystemPathOf("x.txt", &path));
  const std::wstring whole = L"\\\\?\\" + deep.native() + L"\\x.txt";
  EXPECT_EQ(path, whole) << Utf8FromWide(path);
  EXPECT_EQ(PathFromUtf8("x.txt").native(), whole);
  std::filesystem::current_path(start);
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "kv7700-deep");
}

// A user's hidden or system file stays so after a save: ReplaceFileW keeps
// a replaced file's attributes on Windows, and the layer puts them back
// where it does not (Wine) or where a rename took its place.
TEST(FileNameWindows, ASaveKeepsTheAttributesTheUserSet) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "kv7700-attributes.txt";
  for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    std::filesystem::remove(file);
    ASSERT_TRUE(SaveTextFile(Utf8FromWide(file.native()).c_str(), "old\n"));
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), attribute));
    EXPECT_TRUE(SaveTextFile(Utf8FromWide(file.native()).c_str(), "new\n"));
    EXPECT_NE(::GetFileAttributesW(file.c_str()) & attribute, 0u) << attribute;
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace kv
