// kv7700-config.exe: the KV7700 configurator on the platform's own property
// sheet.

#include <kv7700/system_dlls.h>

#include <string>
#include <vector>

#include "program.h"
#include "program_options.h"
#include "wide_text.h"
#include "win32.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  // Before any DLL is loaded at run time (HID.DLL, SETUPAPI.DLL, and those
  // the system's dialogs load): from the system folder only.
  kv::LoadDllsFromSystemFolderOnly();
  // The arguments as the user typed them, in any script.
  std::vector<std::string> arguments;
  int count = 0;
  if (LPWSTR* given = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      arguments.push_back(kv::ui::win32::Narrow(given[i]));
    }
    LocalFree(given);
  }

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  kv::ui::Options options;
  std::string error;
  if (!kv::ui::ParseProgramOptions(arguments, &options, &error)) {
    const std::wstring text = kv::ui::win32::Widen(error + "\n\n" + kv::ui::kUsage);
    MessageBoxW(nullptr, text.c_str(), L"kv7700-config", MB_ICONERROR | MB_OK);
    return 2;
  }
  kv::ui::win32::Program program(options);
  // A second start brings the first one's sheet forward and ends.
  if (kv::ui::OneWindowPerSession(options) && !program.ClaimSession()) {
    return 0;
  }
  int status = 0;
  if (!program.Prepare(&status)) {
    return status;
  }
  return program.Run();
}
