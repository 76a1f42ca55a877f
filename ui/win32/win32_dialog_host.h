// A page's dialog as the platform's own dialog, made by the dialog manager
// from its template in memory (dialog_bytes.h). Turns the dialog's
// notifications into the page's with the rules of dialog_host.h: an edit's
// EN_CHANGE, which the dialog manager raises for typing and (not always) for
// WM_SETTEXT, is raised by SetText itself, exactly once; BM_SETCHECK and
// CB_SETCURSEL raise nothing; BN_CLICKED and CBN_SELCHANGE come only from
// the user. Notifications that arrive while library work runs are dropped.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "accessible_names.h"
#include "dialog_host.h"
#include "dialog_template.h"
#include "win32.h"
#include "window_services.h"

namespace kv::ui::win32 {

class Win32DialogHost final : public ServedWindow<WindowServices, DialogHost> {
 public:
  Win32DialogHost(const DialogTemplate& dialog, WindowServices& services);
  ~Win32DialogHost() override;
  Win32DialogHost(const Win32DialogHost&) = delete;
  Win32DialogHost& operator=(const Win32DialogHost&) = delete;

  // The in-memory template and dialog procedure of a sheet's page
  // (PROPSHEETPAGEW with PSP_DLGINDIRECT, lParam = this).
  const DLGTEMPLATE* PageTemplate() const {
    return reinterpret_cast<const DLGTEMPLATE*>(pageBytes_.data());
  }
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog on its own, for tests: a modeless dialog owned by `owner`.
  HWND CreateFreeDialog(HWND owner);

  HWND Window() const { return window_; }
  const DialogTemplate& Template() const { return template_; }
  // Where notifications go (the page); may be null.
  void SetEvents(DialogEvents* events) { events_ = events; }
  // Told whenever the page marks itself modified or not.
  void SetModifiedListener(std::function<void(bool)> listener) {
    modifiedListener_ = std::move(listener);
  }
  // Told when the sheet shows this page (PSN_SETACTIVE).
  void SetActivatedListener(std::function<void()> listener) {
    activatedListener_ = std::move(listener);
  }
  bool Modified() const { return modified_; }
  // The window of the template's `index`th control (labels and group boxes
  // too), or null.
  HWND ControlWindow(std::size_t index) const {
    return index < windows_.size() ? windows_[index] : nullptr;
  }
  const AccessibleNames& Names() const { return names_; }

  // DialogHost
  bool HasControl(int id) const override { return Find(id) != nullptr; }
  void SetEnabled(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void SetVisible(int id, bool visible) override;
  bool IsVisible(int id) const override;
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) const override;
  void SetChecked(int id, bool checked) override;
  bool IsChecked(int id) const override;
  void ResetList(int id) override;
  int AddListEntry(int id, const std::string& text, std::int64_t data) override;
  int GetListCount(int id) const override;
  void SetListSelection(int id, int index) override;
  int GetListSelection(int id) const override;
  std::string GetListText(int id, int index) const override;
  std::int64_t GetListData(int id, int index) const override;
  void SetModified(bool modified) override;
  std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void KillTimer(std::uint32_t id) override;
  void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
  std::optional<std::string> AskOpenFile() override;
  std::optional<std::string> AskSaveFile() override;

 protected:
  // The sheet (or the free dialog) the page sits in.
  HWND MessageOwner() override { return window_ ? GetAncestor(window_, GA_ROOT) : nullptr; }

 private:
  static INT_PTR CALLBACK FreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Created(HWND window);
  // One-line texts longer than their control grow into free room.
  void WidenClippedTexts();
  // Every control is announced by the name the Linux host gives it.
  void NameControls();
  // The controls named after control `index`'s text take its new text.
  void Rename(std::size_t index, const std::string& text);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Command(int id, int code);
  INT_PTR Notify(const NMHDR& header);
  // The control's window, or null (also before the dialog exists).
  HWND Find(int id) const;
  const ControlTemplate* Form(int id) const { return template_.Find(id); }
  LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Whether a notification raised now comes from the logic or the user, and
  // not from a message the window ran while library work runs.
  bool MayNotify() const { return events_ && !services_.Runner().Busy(); }

  DialogTemplate template_;
  std::vector<WORD> pageBytes_;
  std::vector<WORD> freeBytes_;
  HWND window_ = nullptr;
  std::vector<HWND> windows_;  // the controls' windows in template order
  AccessibleNames names_;
  DialogEvents* events_ = nullptr;
  bool modified_ = false;
  int settingText_ = 0;  // the program is setting an edit's text
  std::function<void(bool)> modifiedListener_;
  std::function<void()> activatedListener_;
};

}  // namespace kv::ui::win32
