// Where the file dialogs start: never the working folder (Program Files
// for a program started from the Start menu).
#include "file_dialog_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kv::ui::win32 {
namespace {

TEST(FileDialogFolderTest, StartsInDocumentsThenWhereTheLastFileWasChosen) {
  FileDialogFolder folder;
  const std::wstring documents = folder.Start();
  ASSERT_FALSE(documents.empty());
  EXPECT_TRUE(std::filesystem::is_directory(documents));
  EXPECT_NE(std::filesystem::path(documents), std::filesystem::current_path());
  const struct {
    const wchar_t* chosen;
    const wchar_t* start;
  } rows[] = {
      {L"C:\\Users\\ann\\Templates\\site.txt", L"C:\\Users\\ann\\Templates"},
      {L"C:\\site.txt", L"C:\\"},
      {L"\\\\server\\share\\site.txt", L"\\\\server\\share"},
  };
  for (const auto& row : rows) {
    folder.Chosen(row.chosen);
    EXPECT_EQ(folder.Start(), row.start);
  }
}

}  // namespace
}  // namespace kv::ui::win32
