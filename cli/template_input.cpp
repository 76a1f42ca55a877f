#include "template_input.h"

#include <kv7700/file_names.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "output.h"

namespace kv::cli {

namespace {

bool IsFolder(const std::string& file) {
  std::error_code ignored;
  const std::u8string_view name(reinterpret_cast<const char8_t*>(file.data()), file.size());
  return std::filesystem::is_directory(std::filesystem::path(name), ignored);
}

}  // namespace

void CheckReadable(const std::string& file) {
  // On Windows a folder does not open at all; elsewhere it opens, and only
  // reading it fails.
  std::FILE* stream = OpenFileByName(file.c_str(), "r");
  const int error = errno;
  const bool opened = stream != nullptr;
  struct stat info {};
  const bool folder =
      opened ? fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode) : IsFolder(file);
  if (opened) std::fclose(stream);
  if (folder) throw UsageError("cannot read '" + file + "': it is a folder.");
  if (!opened) throw UsageError("cannot read '" + file + "': " + std::strerror(error) + ".");
}

std::string LimitsOf(RecordKind record) {
  std::string text;
  for (const Field& field : AllFields()) {
    if (field.record != record || field.check.code == 0) continue;
    text += (text.empty() ? "" : ", ") + std::string(field.name) + " " +
            std::to_string(field.check.low) + " to " + std::to_string(field.check.high);
  }
  return text;
}

}  // namespace kv::cli
