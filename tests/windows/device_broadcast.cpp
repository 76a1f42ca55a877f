// Sends the library's notification window (the one `kv7700ctl monitor`
// listens with) an interface's arrival as the system does: WM_DEVICECHANGE
// with a device-interface record, in the character set asked for. The system
// may send either form to a window registered for the ANSI one.
//
//   kv7700-device-broadcast.exe ansi|wide PATH
//
// Waits up to 60 s for the window to be made; exit status 0 once it took the
// message.
#include <windows.h>
// windows.h first: dbt.h needs its types.
#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kWindowClass[] = "KV7700DeviceNotifications";

// The record in DWORD storage, aligned as the system's records are.
std::vector<DWORD> Record(const std::string& path, bool wide) {
  const std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  const std::size_t unit = wide ? sizeof(wchar_t) : 1;
  const std::size_t size = offset + (path.size() + 1) * unit;
  std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(storage.data());
  header->dbch_size = static_cast<DWORD>(size);
  header->dbch_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  auto* name = reinterpret_cast<unsigned char*>(storage.data()) + offset;
  for (std::size_t i = 0; i < path.size(); ++i)
    name[i * unit] = static_cast<unsigned char>(path[i]);
  return storage;
}

HWND WaitForWindow() {
  for (int tries = 0; tries < 1200; ++tries) {
    if (HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, kWindowClass, nullptr)) return window;
    ::Sleep(50);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string form = argc == 3 ? argv[1] : "";
  if (form != "ansi" && form != "wide") {
    std::fprintf(stderr, "usage: kv7700-device-broadcast ansi|wide PATH\n");
    return 2;
  }
  HWND window = WaitForWindow();
  if (!window) {
    std::fprintf(stderr, "kv7700-device-broadcast: no notification window\n");
    return 1;
  }
  std::vector<DWORD> record = Record(argv[2], form == "wide");
  DWORD_PTR answer = 0;
  const LPARAM data = reinterpret_cast<LPARAM>(record.data());
  const LRESULT sent = form == "wide"
                           ? ::SendMessageTimeoutW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, data,
                                                   SMTO_NORMAL, 10000, &answer)
                           : ::SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, data,
                                                   SMTO_NORMAL, 10000, &answer);
  if (!sent) {
    std::fprintf(stderr, "kv7700-device-broadcast: not delivered (%lu)\n", ::GetLastError());
    return 1;
  }
  return 0;
}
