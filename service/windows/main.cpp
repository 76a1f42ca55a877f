// kv7700-service.exe: the Windows service "KV7700Apply". It watches the
// keyboard interface class's arrivals through the library's hot-plug monitor
// (device notifications to a message-only window, which services may use as
// well as their status handle; Wine delivers only those to a window), takes
// each KV7700 that arrives (and each present when it starts) one at a time,
// and has kv7700ctl.exe apply the site template to it. A stop waits for the
// sensor under way, so none is left half written.
#include <kv7700/clock.h>
#include <kv7700/native_hid.h>
#include <kv7700/system_dlls.h>
#include <kv7700/utf16.h>

#include <atomic>
#include <cstdio>
#include <iterator>
#include <memory>

#include "arrival_queue.h"
#include "plug_in_service.h"
#include "windows_host.h"

namespace kv::service::windows {
namespace {

// What a stop may take: kv7700ctl's own 20 s wait for a busy sensor, then
// the write and its read-back.
constexpr DWORD kStopWaitHintMs = 45000;
// The queue's marker for "the sensors present".
constexpr const char* kPresentSensors = "";

struct ServiceState {
  SERVICE_STATUS_HANDLE statusHandle = nullptr;
  SERVICE_STATUS status = {};
  HANDLE stopRequested = nullptr;
  std::atomic<ArrivalQueue*> queue = nullptr;  // set while the service runs
};

ServiceState g_state;

void SetState(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0) {
  SERVICE_STATUS& status = g_state.status;
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwWin32ExitCode = exitCode;
  status.dwWaitHint = waitHint;
  status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwCheckPoint =
      state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : status.dwCheckPoint + 1;
  ::SetServiceStatus(g_state.statusHandle, &status);
}

// Runs on the dispatcher's thread: it must return at once.
DWORD WINAPI Control(DWORD control, DWORD /*eventType*/, void* /*eventData*/, void* /*context*/) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      // No arrival waiting is started from now on; the one under way ends.
      if (ArrivalQueue* queue = g_state.queue.load()) queue->RequestStop();
      ::SetEvent(g_state.stopRequested);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

// Restart after a minute when the service fails, twice, then leave it to
// the administrator; the count starts afresh after a day. Set by the
// service itself, as the installer's tool cannot write it.
void ConfigureRecovery() {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return;
  SC_HANDLE self = ::OpenServiceW(manager, kServiceName, SERVICE_CHANGE_CONFIG | SERVICE_START);
  if (self) {
    SC_ACTION actions[] = {
        {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}, {SC_ACTION_NONE, 0}};
    SERVICE_FAILURE_ACTIONSW failure = {};
    failure.dwResetPeriod = 24 * 60 * 60;
    failure.cActions = static_cast<DWORD>(std::size(actions));
    failure.lpsaActions = actions;
    ::ChangeServiceConfig2W(self, SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
    ::CloseServiceHandle(self);
  }
  ::CloseServiceHandle(manager);
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv) {
  g_state.statusHandle = ::RegisterServiceCtrlHandlerExW(kServiceName, Control, nullptr);
  if (!g_state.statusHandle) return;
  SetState(SERVICE_START_PENDING, NO_ERROR, 10000);
  g_state.stopRequested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

  // Start arguments, for tests (sc start KV7700Apply ...): --event-file=FILE
  // copies the events to FILE; the others (--simulate=FILE) go to
  // kv7700ctl.exe. argv[0] is the service's name.
  WindowsHost host;
  std::vector<std::string> toolOptions;
  const std::string eventFile = "--event-file=";
  for (DWORD i = 1; i < argc; ++i) {
    const std::string arg = Utf8FromWide(argv[i]);
    if (arg.starts_with(eventFile)) {
      host.CopyEventsTo(arg.substr(eventFile.size()));
    } else {
      toolOptions.push_back(arg);
    }
  }
  PlugInService service(host, GetClock(), WindowsHost::DefaultSiteFile(), toolOptions);
  ArrivalQueue queue([&service](const std::string& path) {
    if (path == kPresentSensors) {
      for (const std::string& present : service.PresentSensors()) service.Apply(present);
    } else {
      service.Apply(path);
    }
  });
  g_state.queue = &queue;

  int monitorError = 0;
  std::unique_ptr<hid::HotPlugMonitor> arrivals = hid::CreateNativeHotPlugMonitor(&monitorError);
  if (!arrivals) {
    const auto error = static_cast<DWORD>(monitorError);
    host.Log({EventId::ToolFailed,
              {"RegisterDeviceNotificationW", "sensors plugged in", SystemMessage(error)}});
    g_state.queue = nullptr;
    queue.Stop();
    SetState(SERVICE_STOPPED, error ? error : ERROR_GEN_FAILURE);
    return;
  }

  SetState(SERVICE_RUNNING);
  ConfigureRecovery();
  service.LogStart();
  // Registered first, listed second: a sensor plugged in between is in the
  // list, in the notifications or in both (the second apply finds it
  // unchanged), never in neither.
  queue.Post(kPresentSensors);

  // Until the stop: each sensor that arrives is queued (the monitor's
  // window thread only collects them).
  const HANDLE waits[] = {g_state.stopRequested, arrivals->Waitable()};
  DWORD exitCode = NO_ERROR;
  for (;;) {
    const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) {
      for (const hid::HotPlugEvent& event : arrivals->ReadEvents()) {
        if (event.kind == hid::HotPlugEvent::Kind::Added && IsSensorPath(event.path)) {
          queue.Post(event.path);
        }
      }
      continue;
    }
    if (woken != WAIT_OBJECT_0) {
      exitCode = ::GetLastError();
      host.Log({EventId::ToolFailed,
                {"WaitForMultipleObjects", "sensors plugged in", SystemMessage(exitCode)}});
    }
    break;
  }
  SetState(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs);
  arrivals.reset();
  g_state.queue = nullptr;
  queue.Stop();  // the sensor under way is finished, the rest dropped
  host.Log({EventId::Stopped, {}});
  ::CloseHandle(g_state.stopRequested);
  SetState(SERVICE_STOPPED, exitCode);
}

}  // namespace
}  // namespace kv::service::windows

int wmain() {
  kv::LoadDllsFromSystemFolderOnly();
  SERVICE_TABLE_ENTRYW table[] = {
      {const_cast<wchar_t*>(kv::service::windows::kServiceName), kv::service::windows::ServiceMain},
      {nullptr, nullptr}};
  if (!::StartServiceCtrlDispatcherW(table)) {
    if (::GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
      std::fprintf(stderr,
                   "kv7700-service.exe is the KV7700Apply service: the installer registers it and "
                   "Windows starts it (sc start KV7700Apply).\n");
    }
    return 1;
  }
  return 0;
}
