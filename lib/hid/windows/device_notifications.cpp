#include "hid/windows/device_notifications.h"

#include <kv7700/device_interface_record.h>
#include <kv7700/native_hid.h>

#include <future>
#include <thread>

namespace kv::hid::windows_backend {

std::optional<HotPlugEvent> DeviceChangeEvent(WPARAM kind, const DEV_BROADCAST_HDR* header) {
  if (kind != DBT_DEVICEARRIVAL && kind != DBT_DEVICEREMOVECOMPLETE) return std::nullopt;
  HotPlugEvent event;
  event.kind = kind == DBT_DEVICEARRIVAL ? HotPlugEvent::Kind::Added : HotPlugEvent::Kind::Removed;
  event.path = DeviceInterfacePath(header);
  if (event.path.empty()) return std::nullopt;
  return event;
}

namespace {

constexpr const char* kWindowClass = "KV7700DeviceNotifications";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DEVICECHANGE: {
      auto* queue =
          reinterpret_cast<QueuedHotPlugMonitor*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
      const std::optional<HotPlugEvent> event =
          DeviceChangeEvent(wParam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam));
      if (queue && event) queue->Post(*event);
      return TRUE;
    }
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

class NotificationMonitor final : public HotPlugMonitor {
 public:
  explicit NotificationMonitor(std::unique_ptr<QueuedHotPlugMonitor> queue)
      : queue_(std::move(queue)) {}
  NotificationMonitor(const NotificationMonitor&) = delete;
  NotificationMonitor& operator=(const NotificationMonitor&) = delete;
  ~NotificationMonitor() override {
    if (window_) ::PostMessageA(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable()) thread_.join();
  }

  // 0 once the window listens; else the error that stopped it.
  DWORD Start() {
    std::promise<DWORD> started;
    std::future<DWORD> result = started.get_future();
    thread_ = std::thread([this, &started] { Run(&started); });
    const DWORD error = result.get();
    if (error != 0) thread_.join();
    return error;
  }

  WaitObject Waitable() const override { return queue_->Waitable(); }
  std::vector<HotPlugEvent> ReadEvents() override { return queue_->ReadEvents(); }

 private:
  // The window's thread: makes the window, registers for the keyboard
  // class's notifications, then pumps messages until the window is closed.
  void Run(std::promise<DWORD>* started) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    // A second monitor finds the class registered already.
    if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      started->set_value(::GetLastError());
      return;
    }
    HWND window = ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    if (!window) {
      started->set_value(::GetLastError());
      return;
    }
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(queue_.get()));
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = ToWindowsGuid(kKeyboardInterfaceClass);
    HDEVNOTIFY registration =
        ::RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!registration) {
      const DWORD error = ::GetLastError();
      ::DestroyWindow(window);
      started->set_value(error ? error : ERROR_GEN_FAILURE);
      return;
    }
    window_ = window;
    started->set_value(0);

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::UnregisterDeviceNotification(registration);
  }

  std::unique_ptr<QueuedHotPlugMonitor> queue_;
  std::thread thread_;
  HWND window_ = nullptr;  // set before Start returns; read by the destructor
};

}  // namespace

}  // namespace kv::hid::windows_backend

namespace kv::hid {

std::unique_ptr<HotPlugMonitor> CreateNativeHotPlugMonitor(int* error) {
  std::unique_ptr<QueuedHotPlugMonitor> queue = CreateQueuedHotPlugMonitor(error);
  if (!queue) return nullptr;
  auto monitor = std::make_unique<windows_backend::NotificationMonitor>(std::move(queue));
  const DWORD failure = monitor->Start();
  if (error) *error = static_cast<int>(failure);
  if (failure != 0) return nullptr;
  return monitor;
}

}  // namespace kv::hid
