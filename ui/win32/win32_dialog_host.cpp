#include "win32_dialog_host.h"

#include <thread>

#include "dialog_bytes.h"
#include "dpi_scale.h"
#include "focus_keeper.h"
#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {

namespace {

constexpr UINT kDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT
constexpr int kLineUnits = 8;                    // one line of text, in dialog units
constexpr int kBoxGlyphPixels = 16;              // a check box's glyph and gap at 96 dpi

// The width of `control`'s text on one line, in its font.
int OneLineTextWidth(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  HDC dc = GetDC(control);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT area{};
  DrawTextW(dc, text.c_str(), length, &area, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return area.right - area.left;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Inside(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

Win32DialogHost::Win32DialogHost(const DialogTemplate& dialog, WindowServices& services)
    : ServedWindow(services),
      template_(dialog),
      pageBytes_(BuildDialogTemplate(dialog, true)),
      freeBytes_(BuildDialogTemplate(dialog, false)) {}

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
  // The dialog manager makes the controls in template order, each after
  // the one before.
  windows_.clear();
  for (HWND child = GetWindow(window, GW_CHILD);
       child && windows_.size() < template_.controls.size();
       child = GetWindow(child, GW_HWNDNEXT)) {
    windows_.push_back(child);
  }
  NameControls();
  WidenClippedTexts();
  // A template in memory has no check state: the boxes start as the
  // dialog template says.
  for (const ControlTemplate& control : template_.controls) {
    if (control.checked && control.id != kIdStatic) {
      Send(control.id, BM_SETCHECK, BST_CHECKED);
    }
  }
}

void Win32DialogHost::WidenClippedTexts() {
  // A font wider than the one the template was drawn for (another system's
  // dialog font, another dpi's hinting) can leave a one-line text longer
  // than its control, which the control cuts. Such a control grows to the
  // right, into room that no other control takes and within its group box.
  RECT client{};
  GetClientRect(window_, &client);
  const UINT dpi = WindowDpi(window_);
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    const ControlTemplate& form = template_.controls[i];
    const bool box = form.kind == ControlKind::CheckBox || form.kind == ControlKind::RadioButton;
    const bool line = form.kind == ControlKind::Label && form.height < 2 * kLineUnits &&
                      !form.style.centred && !form.style.rightAligned;
    if (form.text.empty() || (!box && !line)) {
      continue;
    }
    RECT wanted = ChildRect(window_, windows_[i]);
    const int needed = OneLineTextWidth(windows_[i]) + (box ? ScaleToDpi(kBoxGlyphPixels, dpi) : 0);
    if (needed <= wanted.right - wanted.left) {
      continue;
    }
    const RECT place = wanted;
    wanted.right = wanted.left + needed;
    bool free = Inside(client, wanted);
    for (std::size_t j = 0; free && j < windows_.size(); ++j) {
      if (j == i) {
        continue;
      }
      const RECT other = ChildRect(window_, windows_[j]);
      RECT overlap{};
      if (template_.controls[j].kind == ControlKind::GroupBox && Inside(other, place)) {
        free = Inside(other, wanted);
      } else {
        free = !IntersectRect(&overlap, &other, &wanted);
      }
    }
    if (free) {
      MoveWindow(windows_[i], wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, TRUE);
    }
  }
}

void Win32DialogHost::NameControls() {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    const std::string name = AccessibleName(template_, template_.controls[i]);
    if (!name.empty()) {
      names_.Name(windows_[i], Widen(name));
    }
  }
}

void Win32DialogHost::Rename(std::size_t index, const std::string& text) {
  const ControlTemplate& source = template_.controls[index];
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (AccessibleNameSource(template_, template_.controls[i]) == &source) {
      names_.Name(windows_[i], Widen(text));
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
    case kDpiChangedAfterParent:
      // The dialog manager has placed the controls and set the font anew.
      WidenClippedTexts();
      return FALSE;
    case WM_SETCURSOR:
      if (services_.WaitCursorShowing()) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      // The controls still exist: their names go with them.
      names_.Clear();
      windows_.clear();
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
  const ControlTemplate* form = Form(id);
  if (form->kind != ControlKind::Edit) {  // no control is named after an edit
    Rename(static_cast<std::size_t>(form - template_.controls.data()), text);
  }
  if (form->kind == ControlKind::Edit && events_) {
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
  return services_.AskFile(MessageOwner(), WindowServices::FileDialog::Open);
}

std::optional<std::string> Win32DialogHost::AskSaveFile() {
  return services_.AskFile(MessageOwner(), WindowServices::FileDialog::Save);
}

}  // namespace kv::ui::win32
