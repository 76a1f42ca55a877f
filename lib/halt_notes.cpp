#include <kv7700/halt_notes.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file_name.h"
#include "platform/processes.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// One note per sensor path: a hash of the path names it.
fs::path NoteOf(const fs::path& folder, const std::string& path) {
  std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (const char c : path) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, "halted-%016llx", static_cast<unsigned long long>(hash));
  return folder / name;
}

}  // namespace

bool NoteHalt(const std::string& path) {
  const fs::path folder = RuntimeFolder();
  if (folder.empty()) return false;
  const long pid = ThisProcessId();
  std::ofstream note(NoteOf(folder, path), std::ios::trunc);
  note << pid << '\n' << NoteNameOfProcess(pid) << '\n' << path << '\n';
  note.close();
  return static_cast<bool>(note);
}

void ForgetHalt(const std::string& path) {
  const fs::path folder = RuntimeFolder();
  if (folder.empty()) return;
  std::error_code ignored;
  fs::remove(NoteOf(folder, path), ignored);
}

std::vector<HaltNote> OrphanedHaltNotes() {
  std::vector<HaltNote> orphans;
  const fs::path folder = RuntimeFolder();
  std::error_code error;
  if (folder.empty()) return orphans;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().filename().string().rfind("halted-", 0) != 0) continue;
    std::ifstream in(entry.path());
    HaltNote note;
    note.file = Utf8Of(entry.path());
    std::string pid;
    if (!std::getline(in, pid) || !std::getline(in, note.program) || !std::getline(in, note.path)) {
      continue;
    }
    note.pid = std::strtol(pid.c_str(), nullptr, 10);
    if (note.pid > 0 && !ProcessRunsAs(note.pid, note.program)) orphans.push_back(note);
  }
  return orphans;
}

void RemoveHaltNote(const HaltNote& note) {
  std::error_code ignored;
  fs::remove(PathFromUtf8(note.file), ignored);
}

}  // namespace kv
