#include "platform/processes.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/advisory_lock_posix.h"
#endif

namespace kv {

namespace fs = std::filesystem;

long ThisProcessId() {
#ifdef _WIN32
  return static_cast<long>(::GetCurrentProcessId());
#else
  return static_cast<long>(::getpid());
#endif
}

std::string NoteNameOfProcess(long pid) {
#ifdef _WIN32
  return "process " + std::to_string(pid);
#else
  return DescribeProcess(pid);
#endif
}

bool ProcessRunsAs(long pid, const std::string& name) {
#ifdef _WIN32
  (void)name;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return running;
#else
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  return NoteNameOfProcess(pid) == name;
#endif
}

fs::path RuntimeFolder() {
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

}  // namespace kv
