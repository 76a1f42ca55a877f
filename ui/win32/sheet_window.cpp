#include "sheet_window.h"

#include <kv7700/kv7700.h>

#include <algorithm>
#include <cstring>

#include "device_change.h"
#include "dialog_template.h"
#include "dpi_scale.h"
#include "focus_keeper.h"
#include "property_page.h"
#include "single_instance.h"
#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {

namespace {

constexpr UINT kStartMessage = WM_APP + 1;
constexpr int kApplyNowId = 0x3021;  // the property sheet's Apply button
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kLingerTimer = 0x4B56;
// Pixels at 96 dpi.
constexpr int kGap = 6;  // between the strip's parts
constexpr int kHaltLeft = 10;
constexpr int kHaltBottomMargin = 8;
// The system menu's own commands are 0xF000 and up, their low four bits
// the system's.
constexpr UINT kFirstMenuCommand = 0x0100;
constexpr UINT kMenuCommandStep = 0x10;

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

GUID ToGuid(const Guid& guid) {
  GUID out{};
  out.Data1 = guid.data1;
  out.Data2 = guid.data2;
  out.Data3 = guid.data3;
  std::memcpy(out.Data4, guid.data4, sizeof(out.Data4));
  return out;
}

}  // namespace

SheetWindow::SheetWindow(PropSheet& sheet, WindowServices& services, EventLoop& loop,
                         HotPlugNotifier* hotPlug)
    : ServedWindow(services), sheet_(sheet), loop_(loop), hotPlug_(hotPlug) {}

SheetWindow::~SheetWindow() {
  services_.Runner().SetProgressView(nullptr);
  if (deviceNotify_) {
    UnregisterDeviceNotification(deviceNotify_);
  }
  for (auto& dialog : dialogs_) {
    dialog->SetEvents(nullptr);
  }
  for (PropertyPage* page : sheet_.Pages()) {
    page->Attach(nullptr);
  }
  sheet_.Attach(nullptr, nullptr);
  if (window_) {
    loop_.RemoveDialog(window_);
    RemoveWindowSubclass(window_, &SheetProc, kSubclassId);
    DestroyWindow(window_);
  }
}

bool SheetWindow::Create(unsigned long* error) {
  const std::vector<PropertyPage*>& pages = sheet_.Pages();
  titles_.clear();
  for (PropertyPage* page : pages) {
    titles_.push_back(Widen(page->Title()));
  }
  std::vector<PROPSHEETPAGEW> sheetPages;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const DialogTemplate* form = FindDialogTemplate(pages[i]->TemplateId());
    if (!form) {
      *error = ERROR_RESOURCE_NAME_NOT_FOUND;
      return false;
    }
    auto dialog = std::make_unique<Win32DialogHost>(*form, services_);
    const int index = static_cast<int>(i);
    dialog->SetModifiedListener([this, index](bool) { UpdateApply(index); });
    dialog->SetActivatedListener([this, index] { PageActivated(index); });
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pResource = dialog->PageTemplate();
    page.pfnDlgProc = &Win32DialogHost::PageProc;
    page.pszTitle = titles_[i].c_str();
    page.lParam = reinterpret_cast<LPARAM>(dialog.get());
    sheetPages.push_back(page);
    dialogs_.push_back(std::move(dialog));
    bound_.push_back(false);
  }

  const std::wstring caption = Widen(sheet_.InitialCaption());
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOCONTEXTHELP;
  header.hInstance = GetModuleHandleW(nullptr);
  // The configurator's icon, resource 128, when the program carries it.
  header.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
  if (header.hIcon) {
    header.dwFlags |= PSH_USEHICON;
  }
  header.pszCaption = caption.c_str();
  header.nPages = static_cast<UINT>(sheetPages.size());
  header.nStartPage = 0;
  header.ppsp = sheetPages.data();
  const INT_PTR made = PropertySheetW(&header);
  if (made == 0 || made == -1) {
    *error = GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE;
    return false;
  }
  window_ = reinterpret_cast<HWND>(made);
  SetWindowSubclass(window_, &SheetProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  // A minimize button, as the configurator always had.
  SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | WS_MINIMIZEBOX);
  SetWindowTextW(window_, caption.c_str());
  BuildStrip();
  loop_.AddDialog(window_, true);
  sheet_.Attach(this, hotPlug_ ? hotPlug_ : this);
  services_.Runner().SetProgressView(this);
  ShowWindow(window_, SW_SHOW);
  PostMessageW(window_, kStartMessage, 0, 0);
  return true;
}

void SheetWindow::BuildStrip() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  halt_ = CreateWindowExW(
      0, L"BUTTON", L"Halt Key Sends",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, 0, 0, 0, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdHaltKeySends)), instance, nullptr);
  progressText_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE,
                                  0, 0, 0, 0, window_, nullptr, instance, nullptr);
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, window_, nullptr,
                                 instance, nullptr);
  SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
  PlaceStrip();
}

void SheetWindow::PlaceStrip() {
  const auto font = static_cast<WPARAM>(SendMessageW(window_, WM_GETFONT, 0, 0));
  const RECT ok = ChildRect(window_, GetDlgItem(window_, IDOK));
  RECT client{};
  GetClientRect(window_, &client);
  const UINT dpi = WindowDpi(window_);
  const int left = ScaleToDpi(kHaltLeft, dpi);
  const int gap = ScaleToDpi(kGap, dpi);
  const int buttonWidth = ok.right - ok.left;
  const int height = ok.bottom - ok.top;
  // The box: 10 px from the left, its bottom 8 px above the client area's
  // (both at 96 dpi), as high as OK and twice as wide. The strip is level
  // with it.
  const int top = client.bottom - ScaleToDpi(kHaltBottomMargin, dpi) - height;
  MoveWindow(halt_, left, top, 2 * buttonWidth, height, TRUE);
  const int stripLeft = left + 2 * buttonWidth + gap;
  const int stripWidth = ok.left - gap - stripLeft;
  const int barWidth = std::min(buttonWidth, stripWidth / 3);
  MoveWindow(progressText_, stripLeft, top, stripWidth - barWidth - gap, height, TRUE);
  MoveWindow(progressBar_, stripLeft + stripWidth - barWidth, top + height / 4, barWidth,
             height / 2, TRUE);
  for (HWND part : {halt_, progressText_, progressBar_}) {
    SendMessageW(part, WM_SETFONT, font, TRUE);
  }
}

LRESULT CALLBACK SheetWindow::SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR self) {
  auto* sheet = reinterpret_cast<SheetWindow*>(self);
  if (message == WM_DPICHANGED) {
    // The dialog manager scales the sheet, its pages and its font to the
    // new monitor; the strip, placed here in pixels, follows them.
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    sheet->PlaceStrip();
    return result;
  }
  bool handled = false;
  const LRESULT result = sheet->Handle(message, wParam, lParam, &handled);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &SheetProc, kSubclassId);
  }
  return handled ? result : DefSubclassProc(window, message, wParam, lParam);
}

LRESULT SheetWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  if (message == SingleInstance::ComeForwardMessage() && answersLaterStarts_ &&
      !sheet_.Finished()) {
    if (IsIconic(window_)) {
      ShowWindow(window_, SW_RESTORE);
    }
    return SingleInstance::kAnswer;
  }
  switch (message) {
    case kStartMessage:
      StartUp();
      return 0;
    case WM_COMMAND:
      // The sheet's buttons (and Enter and Esc, which the dialog manager
      // turns into them) go to the sheet's logic, never to comctl32's own
      // apply and close.
      if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
          case IDOK: {
            FocusKeeper keep(window_);
            sheet_.UserOk();
            return 0;
          }
          case IDCANCEL:
            sheet_.RequestCancel();
            return 0;
          case kApplyNowId: {
            FocusKeeper keep(window_);
            sheet_.UserApply();
            return 0;
          }
          case kIdHaltKeySends:
            HaltClicked();
            return 0;
          default:
            break;
        }
      }
      break;
    case WM_SYSCOMMAND: {
      const WPARAM command = wParam & 0xFFF0;
      if (command == SC_CLOSE) {
        sheet_.RequestCancel();
        return 0;
      }
      const std::size_t entry = (command - kFirstMenuCommand) / kMenuCommandStep;
      if (command >= kFirstMenuCommand && entry < menuCommands_.size()) {
        menuCommands_[entry]();
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      sheet_.RequestCancel();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Logging out ends the program when this returns, even while a reading
      // runs or a message box waits: key sends the user halted are resumed
      // before that, after the work under way.
      if (wParam) {
        // The reason holds the end of the session off while the sensor is
        // told to resume.
        ShutdownBlockReasonCreate(window_, L"Resuming the sensor's key sends");
        sheet_.EndSession();
        ShutdownBlockReasonDestroy(window_);
      }
      return 0;
    case WM_DEVICECHANGE:
      DeviceChange(wParam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (services_.WaitCursorShowing()) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wParam == kLingerTimer) {
        KillTimer(window_, kLingerTimer);
        services_.Runner().Progress().LingerOver();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      loop_.RemoveDialog(window_);
      window_ = nullptr;
      break;
    default:
      break;
  }
  *handled = false;
  return 0;
}

void SheetWindow::StartUp() {
  if (started_ || sheet_.Finished()) {
    return;
  }
  started_ = true;
  // Page 0 was made with the window; its logic takes it now, in the order
  // every host keeps: the sheet's start-up first.
  sheet_.NotifyInitDialog();
}

Win32DialogHost* SheetWindow::PageDialog(int index) const {
  if (index < 0 || index >= static_cast<int>(dialogs_.size())) {
    return nullptr;
  }
  return dialogs_[static_cast<std::size_t>(index)].get();
}

void SheetWindow::AddMenuCommand(const std::string& text, std::function<void()> chosen) {
  HMENU menu = window_ ? GetSystemMenu(window_, FALSE) : nullptr;
  if (!menu) {
    return;
  }
  if (menuCommands_.empty()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  }
  const UINT id = kFirstMenuCommand + static_cast<UINT>(menuCommands_.size()) * kMenuCommandStep;
  AppendMenuW(menu, MF_STRING, id, Widen(text).c_str());
  menuCommands_.push_back(std::move(chosen));
}

void SheetWindow::BindPage(int index) {
  const auto i = static_cast<std::size_t>(index);
  Win32DialogHost& dialog = *dialogs_[i];
  if (bound_[i] || !dialog.Window()) {
    return;
  }
  bound_[i] = true;
  PropertyPage& page = *sheet_.Pages()[i];
  dialog.SetEvents(&page);
  page.Attach(&dialog);
  page.NotifyInitDialog();
}

void SheetWindow::ActivatePage(int index) {
  if (!window_ || index < 0 || index >= static_cast<int>(dialogs_.size())) {
    return;
  }
  activating_ = true;
  PropSheet_SetCurSel(window_, nullptr, index);  // makes the page on its first activation
  activating_ = false;
  BindPage(index);
  if (bound_[static_cast<std::size_t>(index)]) {
    sheet_.Pages()[static_cast<std::size_t>(index)]->NotifySetActive();
  }
}

void SheetWindow::PageActivated(int index) {
  // The user's choice of tab; the sheet's own choice goes through
  // ActivatePage, and before the start-up no page has its logic yet.
  if (activating_ || !started_ || sheet_.Finished()) {
    return;
  }
  FocusKeeper keep(window_);
  BindPage(index);
  sheet_.Pages()[static_cast<std::size_t>(index)]->NotifySetActive();
}

void SheetWindow::SetCaption(const std::string& caption) {
  if (window_) {
    SetWindowTextW(window_, Widen(caption).c_str());
  }
}

bool SheetWindow::IsHaltKeySendsChecked() const {
  return halt_ && SendMessageW(halt_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SheetWindow::UpdateApply(int index) {
  Win32DialogHost& dialog = *dialogs_[static_cast<std::size_t>(index)];
  if (!window_ || !dialog.Window()) {
    return;
  }
  SendMessageW(window_, dialog.Modified() ? PSM_CHANGED : PSM_UNCHANGED,
               reinterpret_cast<WPARAM>(dialog.Window()), 0);
  // Apply is enabled exactly while any page is modified.
  bool modified = false;
  for (const auto& each : dialogs_) {
    modified = modified || each->Modified();
  }
  HWND apply = GetDlgItem(window_, kApplyNowId);
  if (!modified && GetFocus() == apply) {
    // A disabled button cannot keep the focus: it goes to OK, so Enter and
    // Tab still work.
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, IDOK)), TRUE);
  }
  EnableWindow(apply, modified ? TRUE : FALSE);
}

void SheetWindow::HaltClicked() {
  FocusKeeper keep(window_);
  if (!sheet_.UserHaltKeySendsClicked()) {
    // Taken while work runs: the box keeps what the sheet knows.
    SendMessageW(halt_, BM_SETCHECK, IsHaltKeySendsChecked() ? BST_UNCHECKED : BST_CHECKED, 0);
  }
}

void SheetWindow::CloseSheet() {
  if (window_) {
    ShowWindow(window_, SW_HIDE);
  }
}

void SheetWindow::ShowProgress(const std::string& text, int percent) {
  if (!window_) {
    return;
  }
  KillTimer(window_, kLingerTimer);
  SetWindowTextW(progressText_, Widen(text + "\u2026").c_str());
  LONG_PTR style = GetWindowLongPtrW(progressBar_, GWL_STYLE);
  if (percent < 0) {
    if ((style & PBS_MARQUEE) == 0) {
      SetWindowLongPtrW(progressBar_, GWL_STYLE, style | PBS_MARQUEE);
      SendMessageW(progressBar_, PBM_SETMARQUEE, TRUE, 50);
    }
  } else {
    if ((style & PBS_MARQUEE) != 0) {
      SendMessageW(progressBar_, PBM_SETMARQUEE, FALSE, 0);
      SetWindowLongPtrW(progressBar_, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    }
    SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }
  ShowWindow(progressText_, SW_SHOWNA);
  ShowWindow(progressBar_, SW_SHOWNA);
}

void SheetWindow::HideProgress() {
  if (window_) {
    ShowWindow(progressText_, SW_HIDE);
    ShowWindow(progressBar_, SW_HIDE);
  }
}

void SheetWindow::StartLinger(std::uint32_t ms) {
  if (window_) {
    SetTimer(window_, kLingerTimer, ms, nullptr);
  }
}

bool SheetWindow::Start(HotPlugSink& sink, unsigned long* error) {
  Guid guid;
  GetHidGuid(&guid);
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = ToGuid(guid);
  deviceNotify_ = RegisterDeviceNotificationA(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!deviceNotify_) {
    *error = GetLastError();
    return false;
  }
  sink_ = &sink;
  return true;
}

void SheetWindow::DeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header) {
  if (!sink_ || !header) {
    return;
  }
  const std::string path = InterfacePathOf(*header);
  if (path.empty()) {
    return;
  }
  if (event == DBT_DEVICEARRIVAL) {
    sink_->OnDeviceArrival(path);
  } else if (event == DBT_DEVICEREMOVECOMPLETE) {
    sink_->OnDeviceRemoval(path);
  }
}

}  // namespace kv::ui::win32
