// What the configurator's logic asks of a window, and what it is told.
//
// The sheet and its pages find their controls by id and react to
// notifications, as Windows dialogs do. Every host (the Qt
// host, the native Windows host, the in-memory host of the tests) must keep
// that platform's notification rules, because the pages rely on them:
//
//  1. Setting an edit's text from code (SetText, SetNumber) raises its
//     text-changed notification exactly as typing does, synchronously, before
//     SetText returns, and even when the new text equals the old one. Only
//     edits notify; setting the text of a label, box or button raises nothing.
//  2. Checking a box or radio button from code (SetChecked) raises no click.
//     A user's click on an automatic check box toggles it, on an automatic
//     radio button checks it and unchecks the others of its group, and then
//     raises one click notification; a push button only raises the click.
//  3. Resetting, filling or selecting in a drop-down list from code raises no
//     selection change; only the user's choice does.
//  4. A disabled or hidden control takes no user input; code may still set it.
//
// Control ids are those of the dialog templates (dialog_template.h). An
// operation on an id the dialog does not have does nothing and reads as
// empty, 0, unchecked, disabled and hidden.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::ui {

// Page commands, sent by the sheet and the Misc page to the pages.
inline constexpr int CMD_REFRESH_PAGES = 1026;      // 0, or 1: also mark everything pending
inline constexpr int CMD_ADVANCED_SETTINGS = 1027;  // 1 on, 0 off
inline constexpr int CMD_QUICK_SETUP = 1028;        // preset 1 to 4

// Sheet-level control ids.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdHaltKeySends = 1025;  // check box beside the sheet's buttons

enum class MessageIcon {
  None,
  Information,
  Warning,
  Error,
  Question,
  Exclamation = Warning,  // the same icon on Windows
};

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

enum class MessageResult { Ok, Cancel, Yes, No };

struct MessageRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

// What any window of the configurator offers: message boxes, waits and the
// wait cursor.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Shows a modal message box owned by this window (or by no window, for
  // the start-up checks) and returns the button pressed.
  virtual MessageResult ShowMessage(const MessageRequest& request) = 0;

  // Waits `ms` milliseconds without taking user input. A real host keeps
  // painting meanwhile; a test host spends the time on kv::GetClock().
  virtual void Pause(std::uint32_t ms) = 0;

  // The wait cursor; calls nest, the cursor shows while any is open.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

// Shows the wait cursor for the life of the scope.
class WaitCursor {
 public:
  explicit WaitCursor(WindowHost& host) : host_(host) { host_.BeginWaitCursor(); }
  ~WaitCursor() { host_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  WindowHost& host_;
};

// What a page's logic asks of its dialog.
class DialogHost : public WindowHost {
 public:
  // --- Any control. ---
  virtual bool HasControl(int id) const = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void SetVisible(int id, bool visible) = 0;
  virtual bool IsVisible(int id) const = 0;

  // --- Text: an edit's contents, or a label's, box's or button's caption.
  // Rule 1 above: an edit notifies on every SetText. ---
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string GetText(int id) const = 0;

  // An edit as an unsigned number, written in decimal (through SetText, so
  // it notifies) and read as a Windows dialog does: leading blanks are
  // skipped; empty text, text that is not wholly a number, or a number above
  // 4294967295 reads 0.
  void SetNumber(int id, std::uint32_t value);
  std::uint32_t GetNumber(int id) const;

  // --- Check boxes and radio buttons (rule 2: no click from code). ---
  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool IsChecked(int id) const = 0;

  // --- Drop-down lists (rule 3: no selection change from code). ---
  virtual void ResetList(int id) = 0;
  // Appends an entry carrying `data`; returns its index, or -1.
  virtual int AddListEntry(int id, const std::string& text, std::int64_t data) = 0;
  virtual int GetListCount(int id) const = 0;
  // Selects entry `index`; -1 clears the selection.
  virtual void SetListSelection(int id, int index) = 0;
  // The selected index, or -1 when nothing is selected.
  virtual int GetListSelection(int id) const = 0;
  virtual std::string GetListText(int id, int index) const = 0;
  // The item data of entry `index`; 0 for an index out of range.
  virtual std::int64_t GetListData(int id, int index) const = 0;

  // --- The page in its sheet: modified enables the sheet's Apply button. ---
  virtual void SetModified(bool modified) = 0;

  // --- Window timers: ticks arrive as the page's timer notification. ---
  // Starts (or restarts) timer `id` with `periodMs`; returns id, 0 on failure.
  virtual std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
  virtual void KillTimer(std::uint32_t id) = 0;

  // A tone of `frequencyHz` for `durationMs`, or the system's beep where the
  // platform has no tones.
  virtual void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) = 0;

  // --- File dialogs: the chosen path, or nothing when the user cancelled.
  // The save dialog asks before it replaces an existing file. ---
  virtual std::optional<std::string> AskOpenFile() = 0;
  virtual std::optional<std::string> AskSaveFile() = 0;
};

// What a page is told. Hosts call these on the window thread; the page's
// base class (property_page.h) turns them into its handlers.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // The page's window now exists and its controls hold the template's state.
  virtual void NotifyInitDialog() = 0;
  virtual void NotifyTextChanged(int id) = 0;
  virtual void NotifyClicked(int id) = 0;
  virtual void NotifySelectionChanged(int id) = 0;
  virtual void NotifyTimer(std::uint32_t id) = 0;
  // The page is being shown in the sheet.
  virtual void NotifySetActive() = 0;
  // The sheet's Apply or OK; false when the page refused (OK then keeps the
  // sheet open).
  virtual bool NotifyApply() = 0;
  // One of the page commands above.
  virtual void NotifyCommand(int command, int parameter) = 0;
};

}  // namespace kv::ui
