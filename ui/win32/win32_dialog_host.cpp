#include "win32_dialog_host.h"

#include <thread>

#include "dialog_bytes.h"
#include "focus_keeper.h"
#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {

Win32DialogHost::Win32DialogHost(const DialogTemplate& dialog, WindowServices& services)
    : template_(dialog),
      pageBytes_(BuildDialogTemplate(dialog, true)),
      freeBytes_(BuildDialogTemplate(dialog, false)),
      services_(services) {}

Win32DialogHost::~Win32DialogHost() {
  if (window_) {
    SetWindowLongPtrW(window_, DWLP_USER, 0);
  }
}

INT_PTR CALLBACK Win32DialogHost::PageProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    auto* host = reinterpret_cast<Win32DialogHost*>(page->lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(host));
    host->Created(window);
    return TRUE;
  }
  auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
  return host ? host->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK Win32DialogHost::FreeProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* host = reinterpret_cast<Win32DialogHost*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(host));
    host->Created(window);
    return TRUE;
  }
  auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
  return host ? host->Handle(message, wParam, lParam) : FALSE;
}

HWND Win32DialogHost::CreateFreeDialog(HWND owner) {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<const DLGTEMPLATE*>(freeBytes_.data()), owner,
                                    &FreeProc, reinterpret_cast<LPARAM>(this));
}

void Win32DialogHost::Created(HWND window) {
  window_ = window;
  // A template in memory has no check state: the boxes start as the
  // dialog template says.
  for (const ControlTemplate& control : template_.controls) {
    if (control.checked && control.id != kIdStatic) {
      Send(control.id, BM_SETCHECK, BST_CHECKED);
    }
  }
}

INT_PTR Win32DialogHost::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {  // from a control, not a menu or accelerator
        FocusKeeper keep(GetAncestor(window_, GA_ROOT));
        Command(LOWORD(wParam), HIWORD(wParam));
      }
      return TRUE;
    case WM_TIMER:
      if (events_) {
        events_->NotifyTimer(static_cast<std::uint32_t>(wParam));
      }
      return TRUE;
    case WM_NOTIFY:
      return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SETCURSOR:
      if (services_.WaitCursorShowing()) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      SetWindowLongPtrW(window_, DWLP_USER, 0);
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void Win32DialogHost::Command(int id, int code) {
  const ControlTemplate* form = Form(id);
  if (!form) {
    return;
  }
  switch (form->kind) {
    case ControlKind::Edit:
      // SetText tells the page itself, once.
      if (code == EN_CHANGE && settingText_ == 0 && MayNotify()) {
        events_->NotifyTextChanged(id);
      }
      break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      if (code != BN_CLICKED) {
        break;
      }
      if (!MayNotify()) {
        // Taken while work runs: a box keeps what the page knows.
        if (form->kind == ControlKind::CheckBox) {
          SetChecked(id, !IsChecked(id));
        }
        break;
      }
      if (form->kind == ControlKind::RadioButton && !form->radioGroup.empty()) {
        // The dialog manager clears the others of a run of radio buttons;
        // a group spread over the template is cleared here.
        for (const ControlTemplate& other : template_.controls) {
          if (other.kind == ControlKind::RadioButton && other.radioGroup == form->radioGroup &&
              other.id != id) {
            SetChecked(other.id, false);
          }
        }
      }
      events_->NotifyClicked(id);
      break;
    case ControlKind::DropDownList:
      if (code == CBN_SELCHANGE && MayNotify()) {
        events_->NotifySelectionChanged(id);
      }
      break;
    case ControlKind::Label:
    case ControlKind::GroupBox:
      break;
  }
}

INT_PTR Win32DialogHost::Notify(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      if (activatedListener_) {
        activatedListener_();
      }
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
      return TRUE;
    case PSN_KILLACTIVE:
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, FALSE);
      return TRUE;
    default:
      return FALSE;
  }
}

HWND Win32DialogHost::Find(int id) const {
  if (!window_ || id == kIdStatic || !template_.Find(id)) {
    return nullptr;
  }
  return GetDlgItem(window_, id);
}

LRESULT Win32DialogHost::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  HWND control = Find(id);
  return control ? SendMessageW(control, message, wParam, lParam) : 0;
}

MessageResult Win32DialogHost::ShowMessage(const MessageRequest& request) {
  return services_.ShowMessage(window_ ? GetAncestor(window_, GA_ROOT) : nullptr, request);
}

void Win32DialogHost::SetEnabled(int id, bool enabled) {
  if (HWND control = Find(id)) {
    EnableWindow(control, enabled ? TRUE : FALSE);
  }
}

bool Win32DialogHost::IsEnabled(int id) const {
  HWND control = Find(id);
  return control && IsWindowEnabled(control);
}

void Win32DialogHost::SetVisible(int id, bool visible) {
  if (HWND control = Find(id)) {
    ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  }
}

bool Win32DialogHost::IsVisible(int id) const {
  // Its own state: a page that is not the sheet's current one hides
  // every control of it, which is not the control's business.
  HWND control = Find(id);
  return control && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32DialogHost::SetText(int id, const std::string& text) {
  HWND control = Find(id);
  if (!control) {
    return;
  }
  ++settingText_;
  SetWindowTextW(control, Widen(text).c_str());
  --settingText_;
  if (Form(id)->kind == ControlKind::Edit && events_) {
    events_->NotifyTextChanged(id);
  }
}

std::string Win32DialogHost::GetText(int id) const {
  HWND control = Find(id);
  if (!control) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return Narrow(text);
}

void Win32DialogHost::SetChecked(int id, bool checked) {
  Send(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32DialogHost::IsChecked(int id) const {
  const ControlTemplate* form = Form(id);
  if (!form || (form->kind != ControlKind::CheckBox && form->kind != ControlKind::RadioButton)) {
    return false;
  }
  return Send(id, BM_GETCHECK) == BST_CHECKED;
}

void Win32DialogHost::ResetList(int id) {
  Send(id, CB_RESETCONTENT);
}

int Win32DialogHost::AddListEntry(int id, const std::string& text, std::int64_t data) {
  if (!Find(id)) {
    return -1;
  }
  const std::wstring wide = Widen(text);
  const LRESULT index = Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (index < 0) {
    return -1;
  }
  Send(id, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
  return static_cast<int>(index);
}

int Win32DialogHost::GetListCount(int id) const {
  const LRESULT count = Send(id, CB_GETCOUNT);
  return count > 0 ? static_cast<int>(count) : 0;
}

void Win32DialogHost::SetListSelection(int id, int index) {
  Send(id, CB_SETCURSEL, static_cast<WPARAM>(index));
}

int Win32DialogHost::GetListSelection(int id) const {
  if (!Find(id)) {
    return -1;
  }
  const LRESULT index = Send(id, CB_GETCURSEL);
  return index < 0 ? -1 : static_cast<int>(index);
}

std::string Win32DialogHost::GetListText(int id, int index) const {
  if (index < 0 || index >= GetListCount(id)) {
    return {};
  }
  const LRESULT length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length <= 0) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Narrow(text);
}

std::int64_t Win32DialogHost::GetListData(int id, int index) const {
  if (index < 0 || index >= GetListCount(id)) {
    return 0;
  }
  return static_cast<std::int64_t>(Send(id, CB_GETITEMDATA, static_cast<WPARAM>(index)));
}

void Win32DialogHost::SetModified(bool modified) {
  modified_ = modified;
  if (modifiedListener_) {
    modifiedListener_(modified);
  }
}

std::uint32_t Win32DialogHost::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  if (!window_ || id == 0) {
    return 0;
  }
  return SetTimer(window_, id, periodMs, nullptr) != 0 ? id : 0;
}

void Win32DialogHost::KillTimer(std::uint32_t id) {
  if (window_) {
    ::KillTimer(window_, id);
  }
}

void Win32DialogHost::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
  // Beep holds its caller for the whole tone; the window goes on meanwhile.
  std::thread([frequencyHz, durationMs] { ::Beep(frequencyHz, durationMs); }).detach();
}

std::optional<std::string> Win32DialogHost::AskOpenFile() {
  return services_.AskFile(window_ ? GetAncestor(window_, GA_ROOT) : nullptr,
                           WindowServices::FileDialog::Open);
}

std::optional<std::string> Win32DialogHost::AskSaveFile() {
  return services_.AskFile(window_ ? GetAncestor(window_, GA_ROOT) : nullptr,
                           WindowServices::FileDialog::Save);
}

}  // namespace kv::ui::win32
