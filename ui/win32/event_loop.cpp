#include "event_loop.h"

#include <algorithm>

#include "win32.h"

namespace kv::ui::win32 {

namespace {

// Everything a waiting window thread runs: paint, sent and posted messages
// (timers among them), never the hardware's input queue.
constexpr UINT kNoInputPeek = PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
constexpr DWORD kNoInputWake = QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_TIMER;

}  // namespace

void EventLoop::Watch(HANDLE object, std::function<void()> handler) {
  watched_.push_back({object, std::move(handler)});
}

void EventLoop::Unwatch(HANDLE object) {
  std::erase_if(watched_, [object](const Watched& w) { return w.object == object; });
}

void EventLoop::AddDialog(HWND window, bool propertySheet) {
  dialogs_.push_back({window, propertySheet});
}

void EventLoop::RemoveDialog(HWND window) {
  std::erase_if(dialogs_, [window](const Dialog& d) { return d.window == window; });
}

std::vector<HANDLE> EventLoop::Handles() const {
  std::vector<HANDLE> handles;
  for (const Watched& w : watched_) {
    handles.push_back(w.object);
  }
  return handles;
}

void EventLoop::RunWatched(DWORD index) {
  if (index < watched_.size()) {
    // A copy: the handler may unwatch.
    const std::function<void()> handler = watched_[index].handler;
    handler();
  }
}

bool EventLoop::TakeDialogMessage(MSG& message) {
  for (const Dialog& dialog : dialogs_) {
    if (!IsWindow(dialog.window)) {
      continue;
    }
    if (dialog.propertySheet ? PropSheet_IsDialogMessage(dialog.window, &message)
                             : IsDialogMessageW(dialog.window, &message)) {
      return true;
    }
  }
  return false;
}

int EventLoop::Run() {
  while (!quit_) {
    const std::vector<HANDLE> handles = Handles();
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
    if (woke < WAIT_OBJECT_0 + count) {
      RunWatched(woke - WAIT_OBJECT_0);
      continue;
    }
    MSG message;
    while (!quit_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        Quit(static_cast<int>(message.wParam));
        break;
      }
      if (!TakeDialogMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  quit_ = false;
  return quitCode_;
}

void EventLoop::Quit(int code) {
  quit_ = true;
  quitCode_ = code;
}

void EventLoop::RunUntil(HANDLE done, std::uint32_t tickMs, const std::function<void()>& tick) {
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, kNoInputPeek)) {
      if (message.message == WM_QUIT) {
        Quit(static_cast<int>(message.wParam));
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    std::vector<HANDLE> handles{done};
    for (HANDLE h : Handles()) {
      handles.push_back(h);
    }
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD woke =
        MsgWaitForMultipleObjects(count, handles.data(), FALSE, tickMs, kNoInputWake);
    if (woke == WAIT_OBJECT_0) {
      return;
    }
    if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count) {
      RunWatched(woke - WAIT_OBJECT_0 - 1);
    } else if (woke == WAIT_TIMEOUT && tick) {
      tick();
    }
  }
}

}  // namespace kv::ui::win32
