#include "file_output.h"

#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace kv {

namespace fs = std::filesystem;

std::FILE* FileOutput::Open(const char* path, const char* mode) {
  return std::fopen(path, mode);
}

bool FileOutput::Write(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileOutput::Flush(std::FILE* file) {
  return std::fflush(file) == 0;
}

bool FileOutput::Close(std::FILE* file) {
  return std::fclose(file) == 0;
}

namespace {

FileOutput& StdioOutput() {
  static FileOutput output;
  return output;
}

FileOutput* g_output = nullptr;

// Writes every line, then flushes and closes; the file is closed in any case.
bool WriteAndClose(std::FILE* file, std::string_view text) {
  FileOutput& out = GetFileOutput();
  bool ok = true;
  while (ok && !text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    ok = out.Write(file, text.substr(0, length));
    text.remove_prefix(length);
  }
  ok = ok && out.Flush(file);
  return out.Close(file) && ok;
}

// A name in the target's folder that no file has yet; the exclusive open
// ("x") makes sure of it, so a few tries are enough.
std::FILE* CreateTemporaryBeside(const fs::path& target, fs::path* temporary) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = ".kv7700-";
    for (unsigned bits = entropy(), i = 0; i < 8; ++i, bits >>= 4) name += kHex[bits & 0xF];
    name += ".tmp";
    *temporary = target.parent_path() / name;
    if (std::FILE* file = GetFileOutput().Open(temporary->string().c_str(), "wx")) return file;
    std::error_code ec;
    if (!fs::exists(*temporary, ec)) return nullptr;  // the folder refuses, not a clash
  }
  return nullptr;
}

}  // namespace

FileOutput& GetFileOutput() {
  return g_output != nullptr ? *g_output : StdioOutput();
}

void SetFileOutput(FileOutput* output) {
  g_output = output;
}

bool SaveTextFile(const char* path, std::string_view text) {
  if (path == nullptr || *path == '\0') return false;
  fs::path target(path);
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // Nothing to protect and nothing to replace: a device or a pipe takes
    // the text as it comes, and a folder refuses to open.
    std::FILE* file = GetFileOutput().Open(path, "w");
    return file != nullptr && WriteAndClose(file, text);
  }
  if (fs::is_regular_file(status)) {
    // Renaming over a file needs no right to write it; a file this user may
    // not write is refused as opening it for writing would refuse it.
    std::FILE* probe = std::fopen(path, "r+");
    if (probe == nullptr) return false;
    std::fclose(probe);
    // Replace the file a link leads to, keeping the link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
      if (fs::path resolved = fs::canonical(target, ec); !ec) target = resolved;
    }
  }

  fs::path temporary;
  std::FILE* file = CreateTemporaryBeside(target, &temporary);
  if (file == nullptr) return false;
  bool ok = WriteAndClose(file, text);
  if (ok && fs::is_regular_file(status)) {
    // The new file keeps the access rights of the one it replaces.
    fs::permissions(temporary, status.permissions(), ec);
  }
  if (ok) {
    fs::rename(temporary, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(temporary, ec);
  return ok;
}

}  // namespace kv
