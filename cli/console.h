// The console around the tool (console_posix.cpp, console_windows.cpp):
// whether a stream is a terminal that takes the progress line's control
// sequences, Ctrl-C, and waiting on a hot-plug monitor in a way Ctrl-C ends
// at once. The tool's other platform differences are the advice that names
// the platform's tools (platform_advice.h) and main.cpp's entry point.
#pragma once

#include <kv7700/hot_plug.h>

#include <cstdio>
#include <string>

namespace kv::cli {

// Once at start: a reader that quits early (| head) must not kill the tool
// before it has kept its emulated sensors' files; the streaming commands stop
// instead when their output is gone.
void PrepareConsole();

// True when `stream` is a terminal that understands "\r" and "\33[K"
// (on Windows: a console whose virtual-terminal processing could be enabled).
bool IsTerminal(std::FILE* stream);

// Catches Ctrl-C (SIGINT and SIGTERM on POSIX; Ctrl-C and Ctrl-Break on
// Windows) while alive: it only sets a flag, and the loop ends cleanly.
// Restores the previous handling when it goes.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

bool Interrupted();

// What a system error number means, in words: an errno value on POSIX, a
// GetLastError() code on Windows.
std::string ErrorText(int error);

// Waits until `object` is ready, `timeoutMs` have passed or Ctrl-C was
// pressed; true only when it is ready.
bool WaitReady(hid::WaitObject object, int timeoutMs);

}  // namespace kv::cli
