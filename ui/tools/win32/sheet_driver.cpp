// kv7700-sheet-driver.exe: drives the running configurator as a user would,
// from another process, with the keyboard (SendInput) as a keyboard user
// does, and the platform's window queries. Used by scripts/windows-test (the smoke test) and
// scripts/screenshots (the pictures of the native sheet).
//
//   kv7700-sheet-driver.exe smoke CAPTION VALUE
//       finds the sheet by its caption, shows each page by the keyboard,
//       types VALUE into the Sonar page's Maximum Detection Distance, applies
//       it, closes with OK and waits for the program to end.
//   kv7700-sheet-driver.exe plot CAPTION
//       opens the distance plot from the sheet's system menu by the keyboard
//       (Alt+Space, P), finds the keyboard in it, closes it with Esc, opens
//       it again, then closes the sheet with Esc: the plot goes with it.
//   kv7700-sheet-driver.exe screenshots CAPTION DIR
//       saves the sheet with each page, the simulation panel and the
//       distance plot of a person walking up and away, as PNG.
//   kv7700-sheet-driver.exe files CAPTION SAVE RESTORE
//       on the Misc. page, saves to the file SAVE and restores from the file
//       RESTORE through the file dialogs (full names, in any script), then
//       applies what was restored and closes with OK.
//   kv7700-sheet-driver.exe compare CAPTION VALUE ANSWER COMMAND
//       once the sheet has read the sensor, runs COMMAND (another program
//       that writes the sensor) and waits for it; then types VALUE as the
//       smoke test does and applies it. The sheet must ask before writing
//       over the other program's change; the question is answered ANSWER
//       (yes, no or cancel), and the sheet closed with its Cancel button.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
// clang-format on

#include <cstdio>
#include <string>
#include <vector>

#include "screen_capture.h"

namespace {

constexpr int kApplyNowId = 0x3021;
constexpr int kPageCount = 4;
constexpr int kSonarPage = 2;
constexpr int kMaxDistanceEdit = 1027;
constexpr DWORD kPatienceMs = 60000;
constexpr int kPanelFirstPlugButton = 200;  // the simulation panel's "Pull out" of sensor 1
constexpr int kPanelFirstSlider = 203;      // and its target slider
constexpr int kMiscPage = 3;
constexpr int kSaveToFileButton = 1065;
constexpr int kRestoreFromFileButton = 1066;
constexpr int kAutoRangeBox = 1054;
constexpr int kRangeRateEdit = 1055;
constexpr wchar_t kPlotTitle[] = L"Distance - KV7700";

int failures = 0;

void Report(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  std::fflush(stdout);
  failures += ok ? 0 : 1;
}

std::wstring Widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
  text.resize(text.size() - 1);
  return text;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kPatienceMs) {
  const DWORD started = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - started > timeoutMs) {
      return false;
    }
    Sleep(50);
  }
  return true;
}

HWND Page(HWND sheet, int index) {
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, index, 0));
}

HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Key(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(input));
}

// The caller waits for what the key does: input reaches the sheet's thread
// whenever that thread gets to it.
void Press(WORD key) {
  Key(key, true);
  Key(key, false);
}

std::string Text(HWND window) {
  wchar_t text[256] = {};
  SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  std::string narrow;
  for (const wchar_t* c = text; *c; ++c) {
    narrow.push_back(static_cast<char>(*c));
  }
  return narrow;
}

// The sheet's progress strip, shown while library work runs.
bool ProgressShows(HWND sheet) {
  HWND bar = FindWindowExW(sheet, nullptr, PROGRESS_CLASSW, nullptr);
  return bar && IsWindowVisible(bar);
}

bool BringToFront(HWND sheet) {
  SetForegroundWindow(sheet);
  return WaitFor([&] { return GetForegroundWindow() == sheet; }, 10000);
}

HWND FindSheet(const std::string& caption) {
  HWND sheet = nullptr;
  const std::wstring wide = Widen(caption);
  WaitFor([&] { return (sheet = FindWindowW(nullptr, wide.c_str())) != nullptr; });
  Report(sheet != nullptr, "the sheet shows with the caption \"" + caption + "\"");
  if (!sheet) {
    return nullptr;
  }
  // The start-up has made every page when the last one exists and the
  // first is current again.
  const bool ready = WaitFor([&] {
    return Page(sheet, kPageCount - 1) != nullptr && CurrentPage(sheet) == Page(sheet, 0);
  });
  Report(ready, "the start-up made all four pages");
  Report(WaitFor([&] { return !ProgressShows(sheet); }), "the start-up's progress strip went");
  Report(BringToFront(sheet), "the sheet takes the keyboard");
  return sheet;
}

// The window that has the keyboard focus in the sheet's thread.
HWND Focus(HWND sheet) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &info);
  return info.hwndFocus;
}

// The next page, as a keyboard user shows it: Ctrl+Tab, from anywhere in
// the sheet (after the last page, the first).
bool NextPage(HWND sheet, int expected) {
  Key(VK_CONTROL, true);
  Press(VK_TAB);
  Key(VK_CONTROL, false);
  return WaitFor([&] { return CurrentPage(sheet) == Page(sheet, expected); }, 10000);
}

// Tab until `control` has the focus.
bool TabTo(HWND sheet, HWND control) {
  for (int i = 0; i < 60 && Focus(sheet) != control; ++i) {
    HWND before = Focus(sheet);
    Press(VK_TAB);
    WaitFor([&] { return Focus(sheet) != before; }, 5000);
  }
  return Focus(sheet) == control;
}

int Smoke(const std::string& caption, const std::string& value) {
  HWND sheet = FindSheet(caption);
  if (!sheet) {
    return 1;
  }
  static const char* const kTitles[] = {"Walk-Away", "Walk-To", "Sonar", "Misc.", "Walk-Away"};
  for (int i = 1; i <= kPageCount; ++i) {
    Report(NextPage(sheet, i % kPageCount),
           std::string("Ctrl+Tab shows the ") + kTitles[i] + " page");
  }
  // The simulation panel pulls the sensor out and plugs it back in: the
  // sheet hears of both through the event loop and says so in its caption.
  HWND panel = FindWindowW(nullptr, L"Emulated sensors");
  Report(panel != nullptr, "the simulation panel shows");
  if (panel) {
    const std::wstring wide = Widen(caption);
    const auto captionIs = [&](bool same) {
      wchar_t text[128] = {};
      GetWindowTextW(sheet, text, 128);
      return (wide == text) == same;
    };
    SendMessageW(GetDlgItem(panel, kPanelFirstPlugButton), BM_CLICK, 0, 0);
    Report(WaitFor([&] { return captionIs(false); }, 20000),
           "pulling the sensor out changes the caption");
    SendMessageW(GetDlgItem(panel, kPanelFirstPlugButton), BM_CLICK, 0, 0);
    Report(WaitFor([&] { return captionIs(true); }, 20000),
           "plugging it back in brings the caption back");
    Report(BringToFront(sheet), "the sheet takes the keyboard again");
  }
  for (int i = 1; i <= kSonarPage; ++i) {
    NextPage(sheet, i);
  }
  HWND edit = GetDlgItem(Page(sheet, kSonarPage), kMaxDistanceEdit);
  HWND apply = GetDlgItem(sheet, kApplyNowId);
  Report(edit && IsWindowEnabled(edit), "Maximum Detection Distance is there to type in");
  Report(apply && !IsWindowEnabled(apply), "Apply is off before any change");
  Report(TabTo(sheet, edit), "Tab reaches Maximum Detection Distance");
  // The dialog manager selects an edit's text when Tab reaches it.
  for (std::size_t i = 0; i < value.size(); ++i) {
    Press(static_cast<WORD>(value[i]));
    WaitFor([&] { return Text(edit) == value.substr(0, i + 1); }, 5000);
  }
  const bool typed = Text(edit) == value;
  Report(typed, "typed " + value + " (the edit holds \"" + Text(edit) + "\")");
  Report(WaitFor([&] { return IsWindowEnabled(apply) != FALSE; }, 5000),
         "the change turns Apply on");
  // Alt+A: Apply's mnemonic.
  Key(VK_MENU, true);
  Press('A');
  Key(VK_MENU, false);
  Report(WaitFor([&] { return !IsWindowEnabled(apply); }, 20000), "Alt+A applied the change");
  Press(VK_RETURN);  // OK, the default button
  Report(WaitFor([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); }, 20000),
         "Enter (OK) closed the sheet");
  return failures == 0 ? 0 : 1;
}

// A person walks up to the sensor, stays a while and walks away, read once
// a second by the Misc. page's Auto GetRange; the plot beside the sheet
// draws it. The sheet shows the Misc. page.
void SavePlot(HWND sheet, const std::string& file) {
  HWND misc = Page(sheet, kMiscPage);
  HWND panel = FindWindowW(nullptr, L"Emulated sensors");
  HWND slider = panel ? GetDlgItem(panel, kPanelFirstSlider) : nullptr;
  if (!misc || !slider) {
    Report(false, "the Misc. page and the simulation panel are there for the plot");
    return;
  }
  const auto moveTarget = [&](int inches) {
    SendMessageW(slider, TBM_SETPOS, TRUE, inches);
    SendMessageW(panel, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, inches),
                 reinterpret_cast<LPARAM>(slider));
  };
  int inches = 57;
  moveTarget(inches);
  SendMessageW(GetDlgItem(misc, kRangeRateEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1000"));
  HWND box = GetDlgItem(misc, kAutoRangeBox);
  SendMessageW(box, BM_CLICK, 0, 0);
  HWND plot = nullptr;
  Report(WaitFor([&] { return (plot = FindWindowW(nullptr, kPlotTitle)) && IsWindowVisible(plot); },
                 10000),
         "Auto GetRange opens the distance plot");
  const struct {
    int seconds;
    int inchesEach;  // negative is nearer
  } walk[] = {{12, -2}, {14, 0}, {13, 2}};
  for (const auto& leg : walk) {
    for (int i = 0; i < leg.seconds; ++i) {
      inches += leg.inchesEach;
      moveTarget(inches);
      Sleep(1000);
    }
  }
  if (plot) {
    RedrawWindow(plot, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Report(kv::test::SaveWindowAsPng(plot, Widen(file)), "saved " + file);
  }
  SendMessageW(box, BM_CLICK, 0, 0);  // stops reading
}

int Plot(const std::string& caption) {
  HWND sheet = FindSheet(caption);
  if (!sheet) {
    return 1;
  }
  HWND plot = FindWindowW(nullptr, kPlotTitle);
  Report(plot && !IsWindowVisible(plot), "the distance plot waits, hidden");
  const auto inMenu = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &info);
    return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
  };
  const auto openFromMenu = [&] {
    Key(VK_MENU, true);
    Press(VK_SPACE);
    Key(VK_MENU, false);
    Report(WaitFor(inMenu, 10000), "Alt+Space opens the sheet's system menu");
    Press('P');  // the entry's access key: "Distance &Plot..."
    Report(WaitFor([&] { return plot && IsWindowVisible(plot); }, 10000),
           "P, the access key of \"Distance Plot...\", shows the plot");
    Report(WaitFor([&] { return GetForegroundWindow() == plot; }, 10000),
           "the plot has the keyboard");
  };
  openFromMenu();
  Report((GetWindowLongPtrW(plot, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0,
         "the plot is an application window: Alt+Tab and the taskbar list it");
  RECT sheetRect{};
  RECT plotRect{};
  GetWindowRect(sheet, &sheetRect);
  GetWindowRect(plot, &plotRect);
  Report(plotRect.left > sheetRect.left, "the plot stands right of the sheet");
  Press(VK_ESCAPE);
  Report(WaitFor([&] { return !IsWindowVisible(plot); }, 10000), "Esc closes the plot");
  Report(WaitFor([&] { return GetForegroundWindow() == sheet; }, 10000),
         "the sheet has the keyboard again");
  openFromMenu();
  Report(BringToFront(sheet), "the sheet takes the keyboard again");
  Press(VK_ESCAPE);
  Report(WaitFor([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); }, 20000),
         "Esc closes the sheet");
  Report(!IsWindow(plot) || !IsWindowVisible(plot), "the plot went with the sheet");
  return failures == 0 ? 0 : 1;
}

// Clicks a button of the Misc. page that opens a file dialog titled `title`,
// types `name` into the dialog's name box and presses Enter. The click is
// posted: the sheet's thread stays in the dialog until it closes.
bool ChooseFile(HWND sheet, int button, const wchar_t* title, const std::string& name) {
  PostMessageW(GetDlgItem(Page(sheet, kMiscPage), button), BM_CLICK, 0, 0);
  DWORD sheetProcess = 0;
  const DWORD sheetThread = GetWindowThreadProcessId(sheet, &sheetProcess);
  HWND dialog = nullptr;
  const bool shown = WaitFor(
      [&] {
        dialog = FindWindowW(nullptr, title);
        DWORD process = 0;
        return dialog && GetWindowThreadProcessId(dialog, &process) == sheetThread &&
               process == sheetProcess && IsWindowVisible(dialog);
      },
      20000);
  Report(shown, "the \"" + Narrow(title) + "\" dialog opens");
  if (!shown) {
    return false;
  }
  // The name box has the focus when the dialog opens.
  HWND box = nullptr;
  WaitFor([&] { return (box = Focus(dialog)) != nullptr && box != dialog; }, 10000);
  const std::wstring wide = Widen(name);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  SetForegroundWindow(dialog);
  Press(VK_RETURN);
  const bool closed = WaitFor([&] { return !IsWindow(dialog); }, 20000);
  Report(closed, "Enter took the name " + name);
  return closed;
}

int Files(const std::string& caption, const std::string& save, const std::string& restore) {
  HWND sheet = FindSheet(caption);
  if (!sheet) {
    return 1;
  }
  for (int i = 1; i <= kMiscPage; ++i) {
    NextPage(sheet, i);
  }
  Report(CurrentPage(sheet) == Page(sheet, kMiscPage), "the Misc. page shows");
  if (ChooseFile(sheet, kSaveToFileButton, L"Save As", save)) {
    const std::wstring wide = Widen(save);
    Report(
        WaitFor([&] { return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000),
        "Save To File wrote " + save);
  }
  HWND apply = GetDlgItem(sheet, kApplyNowId);
  if (ChooseFile(sheet, kRestoreFromFileButton, L"Open", restore)) {
    Report(WaitFor([&] { return IsWindowEnabled(apply) != FALSE; }, 20000),
           "the restored values turn Apply on");
  }
  BringToFront(sheet);
  Key(VK_MENU, true);
  Press('A');
  Key(VK_MENU, false);
  Report(WaitFor([&] { return !IsWindowEnabled(apply); }, 20000), "Alt+A applied them");
  // Writing the whole restored configuration takes a while; the sheet takes
  // no button until it is done.
  Report(WaitFor([&] { return !ProgressShows(sheet); }), "the writing's progress strip went");
  // Enter would press the file button that still has the focus.
  PostMessageW(FindWindowExW(sheet, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
  Report(WaitFor([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); }, 20000),
         "OK closed the sheet");
  return failures == 0 ? 0 : 1;
}

// Shows the Sonar page, types `value` into Maximum Detection Distance from
// the keyboard and presses Alt+A; true when the value was typed.
bool TypeMaxDistanceAndApply(HWND sheet, const std::string& value) {
  for (int i = 1; i <= kSonarPage; ++i) {
    NextPage(sheet, i);
  }
  HWND edit = GetDlgItem(Page(sheet, kSonarPage), kMaxDistanceEdit);
  if (!edit || !TabTo(sheet, edit)) {
    return false;
  }
  // The dialog manager selects an edit's text when Tab reaches it.
  for (std::size_t i = 0; i < value.size(); ++i) {
    Press(static_cast<WORD>(value[i]));
    WaitFor([&] { return Text(edit) == value.substr(0, i + 1); }, 5000);
  }
  const bool typed = Text(edit) == value;
  Report(typed, "typed " + value + " (the edit holds \"" + Text(edit) + "\")");
  // Alt+A: Apply's mnemonic.
  Key(VK_MENU, true);
  Press('A');
  Key(VK_MENU, false);
  return typed;
}

// A message box of the sheet's thread whose text holds `words`, or null.
HWND MessageBoxSaying(HWND sheet, const std::string& words) {
  struct Search {
    HWND sheet;
    const std::string* words;
    HWND found;
  } search{sheet, &words, nullptr};
  EnumThreadWindows(
      GetWindowThreadProcessId(sheet, nullptr),
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        if (window == search->sheet || !IsWindowVisible(window)) {
          return TRUE;
        }
        for (HWND child = FindWindowExW(window, nullptr, L"Static", nullptr); child;
             child = FindWindowExW(window, child, L"Static", nullptr)) {
          if (Text(child).find(*search->words) != std::string::npos) {
            search->found = window;
            return FALSE;
          }
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs `command` (a whole command line) and waits for it; its exit status,
// or -1 when it could not start.
int RunAndWait(const std::string& command) {
  std::wstring line = Widen(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, kPatienceMs);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

int Compare(const std::string& caption, const std::string& value, const std::string& answer,
            const std::string& command) {
  HWND sheet = FindSheet(caption);
  if (!sheet) {
    return 1;
  }
  Report(RunAndWait(command) == 0, "another program wrote the sensor: " + command);
  Report(BringToFront(sheet), "the sheet takes the keyboard again");
  if (!TypeMaxDistanceAndApply(sheet, value)) {
    return 1;
  }
  HWND question = nullptr;
  Report(WaitFor(
             [&] {
               return (question = MessageBoxSaying(sheet, "Another program changed")) != nullptr;
             },
             20000),
         "Apply asks before writing over the other program's change");
  if (!question) {
    return 1;
  }
  const int button = answer == "yes" ? IDYES : answer == "no" ? IDNO : IDCANCEL;
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(question, button)));
  Report(WaitFor([&] { return !IsWindow(question); }, 20000), "answered " + answer);
  Report(WaitFor([&] { return !ProgressShows(sheet); }), "the writing's progress strip went");
  HWND apply = GetDlgItem(sheet, kApplyNowId);
  const bool written = answer != "cancel";
  Report(WaitFor([&] { return (IsWindowEnabled(apply) == FALSE) == written; }, 20000),
         written ? "the change was written: Apply is off" : "nothing written: Apply stays on");
  PostMessageW(FindWindowExW(sheet, nullptr, L"Button", L"Cancel"), BM_CLICK, 0, 0);
  Report(WaitFor([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); }, 20000),
         "Cancel closed the sheet");
  return failures == 0 ? 0 : 1;
}

int Screenshots(const std::string& caption, const std::string& directory) {
  HWND sheet = FindSheet(caption);
  if (!sheet) {
    return 1;
  }
  static const char* const kNames[] = {"walk-away", "walk-to", "sonar", "misc"};
  for (int i = 0; i < kPageCount; ++i) {
    if (i > 0) {
      NextPage(sheet, i);
    }
    // Painted now, in the sheet's thread, before the picture is taken.
    RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::string file =
        directory + "\\windows-sheet-" + std::to_string(i + 1) + "-" + kNames[i] + ".png";
    Report(kv::test::SaveWindowAsPng(sheet, Widen(file)), "saved " + file);
  }
  if (HWND panel = FindWindowW(nullptr, L"Emulated sensors")) {
    const std::string file = directory + "\\windows-simulation-panel.png";
    Report(kv::test::SaveWindowAsPng(panel, Widen(file)), "saved " + file);
  }
  SavePlot(sheet, directory + "\\windows-range-plot.png");
  // Closed as the user closes it without a change.
  Press(VK_ESCAPE);
  WaitFor([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); }, 20000);
  return failures == 0 ? 0 : 1;
}

}  // namespace

// The arguments in UTF-8, file names in any script among them.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(Narrow(argv[i]));
  }
  if (arguments.size() == 3 && arguments[0] == "smoke") {
    return Smoke(arguments[1], arguments[2]);
  }
  if (arguments.size() == 2 && arguments[0] == "plot") {
    return Plot(arguments[1]);
  }
  if (arguments.size() == 3 && arguments[0] == "screenshots") {
    return Screenshots(arguments[1], arguments[2]);
  }
  if (arguments.size() == 4 && arguments[0] == "files") {
    return Files(arguments[1], arguments[2], arguments[3]);
  }
  if (arguments.size() == 5 && arguments[0] == "compare") {
    return Compare(arguments[1], arguments[2], arguments[3], arguments[4]);
  }
  std::fprintf(stderr,
               "usage: kv7700-sheet-driver.exe smoke CAPTION VALUE\n"
               "       kv7700-sheet-driver.exe plot CAPTION\n"
               "       kv7700-sheet-driver.exe screenshots CAPTION DIR\n"
               "       kv7700-sheet-driver.exe files CAPTION SAVE RESTORE\n"
               "       kv7700-sheet-driver.exe compare CAPTION VALUE yes|no|cancel COMMAND\n");
  return 2;
}
