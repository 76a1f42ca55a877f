// The window thread's message loop. It also watches wait objects (the
// emulated bus's hot-plug event) and runs their handlers on this thread, and
// it has a second form for the time library work runs: windows keep painting
// and timers and posted messages run, while the user's input stays queued
// for later, as typed-ahead input does.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "win32.h"

namespace kv::ui::win32 {

class EventLoop {
 public:
  // Runs `handler` on the window thread whenever `object` is signalled (it
  // must reset the object, or be an auto-reset event). At most a few.
  void Watch(HANDLE object, std::function<void()> handler);
  void Unwatch(HANDLE object);
  // Dialog windows whose keyboard navigation (Tab, arrows, Enter, Esc,
  // Ctrl+Tab in a sheet) the loop gives them.
  void AddDialog(HWND window, bool propertySheet);
  void RemoveDialog(HWND window);

  // Runs until Quit; returns its code.
  int Run();
  void Quit(int code);

  // Runs everything but the user's input until `done` is signalled, calling
  // `tick` every `tickMs` meanwhile. A WM_QUIT seen meanwhile is kept for
  // Run.
  void RunUntil(HANDLE done, std::uint32_t tickMs, const std::function<void()>& tick);

 private:
  struct Watched {
    HANDLE object;
    std::function<void()> handler;
  };
  struct Dialog {
    HWND window;
    bool propertySheet;
  };
  bool TakeDialogMessage(MSG& message);
  std::vector<HANDLE> Handles() const;
  void RunWatched(DWORD index);

  std::vector<Watched> watched_;
  std::vector<Dialog> dialogs_;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace kv::ui::win32
