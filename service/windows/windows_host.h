// The plug-in service's platform on Windows: the policy from the registry,
// the site file checked with the wide calls, kv7700ctl.exe run beside the
// service with its output through pipes, and the events in the
// Application log under the source "KV7700".
#pragma once

#include <string>
#include <vector>

#include "plug_in_service.h"
#include "win32.h"

namespace kv::service::windows {

inline constexpr const wchar_t* kServiceName = L"KV7700Apply";
inline constexpr const wchar_t* kEventSource = L"KV7700";

class WindowsHost final : public Host {
 public:
  WindowsHost();
  ~WindowsHost() override;
  WindowsHost(const WindowsHost&) = delete;
  WindowsHost& operator=(const WindowsHost&) = delete;

  PolicyValues ReadPolicy() override;
  FileCheck CheckFile(const std::string& file) override;
  ToolRun RunTool(const std::vector<std::string>& args) override;
  std::string ToolName() const override;
  void Log(const Event& event) override;

  // %ProgramData%\KV7700\site.txt.
  static std::string DefaultSiteFile();
  // Also appends each event to `file` as a line (id, then its strings, tab
  // separated): where the event log cannot be read back, as under Wine.
  void CopyEventsTo(const std::string& file) { eventCopy_ = file; }

 private:
  std::wstring tool_;  // kv7700ctl.exe in the service's own folder
  std::string eventCopy_;
  HANDLE eventLog_ = nullptr;
};

// The system's words for an error code, without the trailing line end.
std::string SystemMessage(DWORD error);

}  // namespace kv::service::windows
