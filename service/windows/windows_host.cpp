#include "windows_host.h"

#include <kv7700/utf16.h>
#include <shlobj.h>

#include <thread>

#include "command_line_quote.h"
#include "messages.h"

// The message compiler numbers the messages from messages.mc; the service
// reports them by event_ids.h. The two must not drift apart.
static_assert(MSG_STARTED == kv::service::FullEventId(kv::service::EventId::Started,
                                                      kv::service::Severity::Informational));
static_assert(MSG_STOPPED == kv::service::FullEventId(kv::service::EventId::Stopped,
                                                      kv::service::Severity::Informational));
static_assert(MSG_APPLIED == kv::service::FullEventId(kv::service::EventId::Applied,
                                                      kv::service::Severity::Informational));
static_assert(MSG_UNCHANGED == kv::service::FullEventId(kv::service::EventId::Unchanged,
                                                        kv::service::Severity::Informational));
static_assert(MSG_FAILED ==
              kv::service::FullEventId(kv::service::EventId::Failed, kv::service::Severity::Error));
static_assert(MSG_NOT_CONFIGURED == kv::service::FullEventId(kv::service::EventId::NotConfigured,
                                                             kv::service::Severity::Informational));
static_assert(MSG_SITE_FILE_MISSING ==
              kv::service::FullEventId(kv::service::EventId::SiteFileMissing,
                                       kv::service::Severity::Warning));
static_assert(MSG_SITE_FILE_UNREADABLE ==
              kv::service::FullEventId(kv::service::EventId::SiteFileUnreadable,
                                       kv::service::Severity::Error));
static_assert(MSG_SITE_FILE_REFUSED ==
              kv::service::FullEventId(kv::service::EventId::SiteFileRefused,
                                       kv::service::Severity::Error));
static_assert(MSG_TURNED_OFF == kv::service::FullEventId(kv::service::EventId::TurnedOff,
                                                         kv::service::Severity::Informational));
static_assert(MSG_TOOL_FAILED == kv::service::FullEventId(kv::service::EventId::ToolFailed,
                                                          kv::service::Severity::Error));

namespace kv::service::windows {

namespace {

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  WideFromUtf8(text, &wide);
  return wide;
}

// The folder this program was started from, with its trailing backslash.
std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Reads a pipe to its end.
std::string ReadAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

// A pipe whose write end the child inherits and whose read end it does not.
bool ChildPipe(HANDLE* read, HANDLE* write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!::CreatePipe(read, write, &inherit, 0)) return false;
  ::SetHandleInformation(*read, HANDLE_FLAG_INHERIT, 0);
  return true;
}

WORD EventType(Severity severity) {
  switch (severity) {
    case Severity::Error:
      return EVENTLOG_ERROR_TYPE;
    case Severity::Warning:
      return EVENTLOG_WARNING_TYPE;
    case Severity::Informational:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length ? Utf8FromWide(std::wstring_view(text, length)) : "";
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return "error " + std::to_string(error) + (message.empty() ? "" : ": " + message);
}

WindowsHost::WindowsHost()
    : tool_(OwnFolder() + L"kv7700ctl.exe"),
      eventLog_(::RegisterEventSourceW(nullptr, kEventSource)) {}

WindowsHost::~WindowsHost() {
  if (eventLog_) ::DeregisterEventSource(eventLog_);
}

std::string WindowsHost::DefaultSiteFile() {
  wchar_t* folder = nullptr;
  std::string path = "C:\\ProgramData";
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder))) {
    path = Utf8FromWide(folder);
  }
  ::CoTaskMemFree(folder);
  return path + "\\KV7700\\site.txt";
}

// The policy is read at every arrival, so a changed policy holds from the
// next sensor on without restarting the service.
PolicyValues WindowsHost::ReadPolicy() {
  PolicyValues values;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kPolicyKey).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return values;
  }
  DWORD type = 0;
  DWORD size = 0;
  const std::wstring site = Wide(kSiteTemplateValue);
  if (::RegQueryValueExW(key, site.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, site.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &size) == ERROR_SUCCESS) {
      text.resize(wcsnlen(text.c_str(), text.size()));  // the data need not end in a null
      if (type == REG_EXPAND_SZ) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        std::wstring expanded(needed, L'\0');
        if (needed && ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed)) {
          expanded.resize(needed - 1);
          text = expanded;
        }
      }
      values.siteTemplate = Utf8FromWide(text);
    }
  }
  DWORD on = 0;
  size = sizeof on;
  if (::RegQueryValueExW(key, Wide(kApplyOnPlugInValue).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&on), &size) == ERROR_SUCCESS &&
      type == REG_DWORD) {
    values.applyOnPlugIn = on;
  }
  ::RegCloseKey(key);
  return values;
}

FileCheck WindowsHost::CheckFile(const std::string& file) {
  std::wstring wide;
  if (!WideFromUtf8(file, &wide)) return {FileState::Unreadable, "the name is not valid text"};
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {FileState::Missing, ""};
    }
    return {FileState::Unreadable, SystemMessage(error)};  // a share out of reach, say
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {FileState::Unreadable, "it is a folder"};
  HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return {FileState::Unreadable, SystemMessage(::GetLastError())};
  ::CloseHandle(handle);
  return {FileState::Readable, ""};
}

ToolRun WindowsHost::RunTool(const std::vector<std::string>& args) {
  ToolRun run;
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!ChildPipe(&outRead, &outWrite) || !ChildPipe(&errRead, &errWrite)) {
    run.started = false;
    run.err = SystemMessage(::GetLastError());
    return run;
  }
  std::vector<std::string> line = {"kv7700ctl.exe"};
  line.insert(line.end(), args.begin(), args.end());
  std::wstring commandLine = Wide(QuotedCommandLine(line));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  const BOOL created = ::CreateProcessW(tool_.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  const DWORD createError = ::GetLastError();
  // The child holds its own copies; ours must go for the pipes to end.
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  if (!created) {
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    run.started = false;
    run.err = SystemMessage(createError);
    return run;
  }
  // Both pipes at once: a child that fills one while we wait on the other
  // would never end.
  std::thread errors([&] { run.err = ReadAll(errRead); });
  run.out = ReadAll(outRead);
  errors.join();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  run.exitCode = static_cast<int>(code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(outRead);
  ::CloseHandle(errRead);
  return run;
}

std::string WindowsHost::ToolName() const {
  return Utf8FromWide(tool_);
}

void WindowsHost::Log(const Event& event) {
  const EventKind& kind = KindOf(event.id);
  if (!eventCopy_.empty()) {
    std::string line = std::to_string(static_cast<int>(kind.id));
    for (const std::string& text : event.strings) line += "\t" + text;
    line += "\r\n";
    HANDLE file = ::CreateFileW(Wide(eventCopy_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      ::CloseHandle(file);
    }
  }
  if (!eventLog_) return;
  std::vector<std::wstring> strings;
  strings.reserve(event.strings.size());
  for (const std::string& text : event.strings) strings.push_back(Wide(text));
  std::vector<const wchar_t*> pointers;
  pointers.reserve(strings.size());
  for (const std::wstring& text : strings) pointers.push_back(text.c_str());
  ::ReportEventW(eventLog_, EventType(kind.severity), 0, FullEventId(kind.id, kind.severity),
                 nullptr, static_cast<WORD>(pointers.size()), 0,
                 pointers.empty() ? nullptr : pointers.data(), nullptr);
}

}  // namespace kv::service::windows
