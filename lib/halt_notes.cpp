#include <kv7700/halt_notes.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "file_name.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "advisory_lock_posix.h"
#endif

namespace kv {

namespace {

namespace fs = std::filesystem;

// The folder of the notes, made for this user alone; empty when the
// platform names no runtime folder.
fs::path NotesFolder() {
#ifdef _WIN32
  const wchar_t* base = _wgetenv(L"LOCALAPPDATA");
#else
  const char* base = std::getenv("XDG_RUNTIME_DIR");
#endif
  if (!base || !*base) return {};
  fs::path folder = fs::path(base) / "kv7700";
  std::error_code ignored;
  fs::create_directory(folder, ignored);
#ifndef _WIN32
  ::chmod(folder.c_str(), 0700);
#endif
  return folder;
}

long ThisProcess() {
#ifdef _WIN32
  return static_cast<long>(::GetCurrentProcessId());
#else
  return static_cast<long>(::getpid());
#endif
}

std::string ProcessName(long pid) {
#ifdef _WIN32
  return "process " + std::to_string(pid);
#else
  return DescribeProcess(pid);
#endif
}

// A process id may be reused: the note's program is alive only when the
// process of that id still carries the name the note gives.
bool Alive(const HaltNote& note) {
#ifdef _WIN32
  HANDLE process =
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(note.pid));
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return running;
#else
  if (::kill(static_cast<pid_t>(note.pid), 0) != 0 && errno != EPERM) return false;
  return ProcessName(note.pid) == note.program;
#endif
}

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
  const fs::path folder = NotesFolder();
  if (folder.empty()) return false;
  const long pid = ThisProcess();
  std::ofstream note(NoteOf(folder, path), std::ios::trunc);
  note << pid << '\n' << ProcessName(pid) << '\n' << path << '\n';
  note.close();
  return static_cast<bool>(note);
}

void ForgetHalt(const std::string& path) {
  const fs::path folder = NotesFolder();
  if (folder.empty()) return;
  std::error_code ignored;
  fs::remove(NoteOf(folder, path), ignored);
}

std::vector<HaltNote> OrphanedHaltNotes() {
  std::vector<HaltNote> orphans;
  const fs::path folder = NotesFolder();
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
    if (note.pid > 0 && !Alive(note)) orphans.push_back(note);
  }
  return orphans;
}

void RemoveHaltNote(const HaltNote& note) {
  std::error_code ignored;
  fs::remove(PathFromUtf8(note.file), ignored);
}

}  // namespace kv
