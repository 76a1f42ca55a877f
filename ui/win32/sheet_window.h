// The property sheet's window: comctl32's own property sheet (PropertySheetW,
// modeless, run by the program's EventLoop) with the four pages as tabs in
// tab order, OK, Cancel and Apply (enabled while any page is modified), and
// the "Halt Key Sends" box (id 1025) at the bottom left with a strip beside
// it that shows the progress of long library work. Pages are made from their
// templates in memory on their first activation. OK, Cancel, Apply, Esc and
// the close box go to the sheet's logic before comctl32 sees them.
//
// Without another hot-plug source the window is one itself: it registers
// for the keyboard interface class's device notifications and hands each
// arrival and removal (WM_DEVICECHANGE) to the sheet.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "event_loop.h"
#include "hot_plug_notifier.h"
#include "prop_sheet.h"
#include "sheet_host.h"
#include "win32.h"
#include "win32_dialog_host.h"
#include "window_services.h"
#include "work_progress.h"

namespace kv::ui::win32 {

class SheetWindow final : public ServedWindow<WindowServices, SheetHost>,
                          public ProgressView,
                          public HotPlugNotifier {
 public:
  // `hotPlug` null: the window's own device notifications.
  SheetWindow(PropSheet& sheet, WindowServices& services, EventLoop& loop,
              HotPlugNotifier* hotPlug);
  ~SheetWindow() override;
  SheetWindow(const SheetWindow&) = delete;
  SheetWindow& operator=(const SheetWindow&) = delete;

  // Makes and shows the window; false with the system's error when it
  // cannot. The sheet's start-up (opening and reading the sensors) follows
  // as soon as the loop runs, so the user sees the window at once.
  bool Create(unsigned long* error);
  HWND Window() const { return window_; }
  // The sheet's start-up now (Create posts it).
  void StartUp();
  bool Finished() const { return sheet_.Finished(); }
  // The sheet is the one of the user's session: it answers a later start's
  // SingleInstance::ComeForwardMessage and comes to the front.
  void AnswerLaterStarts() { answersLaterStarts_ = true; }
  // The dialog of page `index`, or null.
  Win32DialogHost* PageDialog(int index) const;
  // An entry at the end of the sheet's system menu (its icon, Alt+Space),
  // after Create.
  void AddMenuCommand(const std::string& text, std::function<void()> chosen);

  // SheetHost
  void SetCaption(const std::string& caption) override;
  bool IsHaltKeySendsChecked() const override;
  void ActivatePage(int index) override;
  void CloseSheet() override;

  // ProgressView
  void ShowProgress(const std::string& text, int percent) override;
  void HideProgress() override;
  void StartLinger(std::uint32_t ms) override;

  // HotPlugNotifier: RegisterDeviceNotificationA on this window.
  bool Start(HotPlugSink& sink, unsigned long* error) override;

 protected:
  HWND MessageOwner() override { return window_; }

 private:
  static LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  void BuildStrip();
  // The "Halt Key Sends" box and the progress strip, at the window's dpi.
  void PlaceStrip();
  // The page's logic takes its window: attach, then its init.
  void BindPage(int index);
  void PageActivated(int index);
  void HaltClicked();
  void UpdateApply(int index);
  void DeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header);

  PropSheet& sheet_;
  EventLoop& loop_;
  HotPlugNotifier* hotPlug_;
  HotPlugSink* sink_ = nullptr;
  HDEVNOTIFY deviceNotify_ = nullptr;
  HWND window_ = nullptr;
  HWND halt_ = nullptr;
  HWND progressText_ = nullptr;
  HWND progressBar_ = nullptr;
  std::vector<std::unique_ptr<Win32DialogHost>> dialogs_;
  std::vector<bool> bound_;
  std::vector<std::wstring> titles_;
  std::vector<std::function<void()>> menuCommands_;
  bool started_ = false;
  bool activating_ = false;
  bool answersLaterStarts_ = false;
};

}  // namespace kv::ui::win32
