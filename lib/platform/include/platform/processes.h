// Processes by id, and the folder where the library keeps what must outlive
// a process but not the user's session.
#pragma once

#include <filesystem>
#include <string>

namespace kv {

long ThisProcessId();

// How a note names the process `pid`: "NAME, process PID" where the system
// tells the name (Linux), else "process PID".
std::string NoteNameOfProcess(long pid);

// Whether the process `pid` still runs as `name` (a NoteNameOfProcess
// answer). An id may be reused: where names are known, a process of that id
// under another name is not the one meant. A process this user may not
// query counts as running.
bool ProcessRunsAs(long pid, const std::string& name);

// The library's folder in the user's runtime folder ($XDG_RUNTIME_DIR/kv7700
// on POSIX, %LOCALAPPDATA%\kv7700 on Windows), made for this user alone when
// missing; empty when the system names no runtime folder.
std::filesystem::path RuntimeFolder();

}  // namespace kv
