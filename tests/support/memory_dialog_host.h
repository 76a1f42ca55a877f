// An in-memory dialog for tests: built from a dialog template, it keeps every
// control's state, obeys the notification rules of dialog_host.h, plays the
// user (type, click, choose) and records what the logic asked of the window:
// message boxes and file dialogs (answered from a script), timers, beeps,
// pauses (spent on kv::GetClock()), the wait cursor and the modified state.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_host.h"
#include "dialog_template.h"

namespace kv::ui {

// What every in-memory window records: message boxes, pauses, wait cursor.
class WindowRecorder {
 public:
  // Message boxes: answered from the script, else with the first button.
  MessageResult ShowMessage(const MessageRequest& request);
  void AnswerNextMessage(MessageResult answer) { answers_.push_back(answer); }
  // Runs while each message box is open, as the window's events do.
  void WhileMessageOpen(std::function<void()> events) { whileOpen_ = std::move(events); }
  const std::vector<MessageRequest>& Messages() const { return messages_; }
  std::vector<std::string> MessageTexts() const;
  void ClearMessages() { messages_.clear(); }

  // Pauses are spent on kv::GetClock() (a VirtualClock in tests).
  void Pause(std::uint32_t ms);
  const std::vector<std::uint32_t>& Pauses() const { return pauses_; }
  std::uint64_t PausedMs() const;
  void ClearPauses() { pauses_.clear(); }

  void BeginWaitCursor();
  void EndWaitCursor();
  int WaitCursorDepth() const { return waitDepth_; }
  // How many times the wait cursor was put up (outermost scopes only).
  int WaitCursorUses() const { return waitUses_; }

 private:
  std::vector<MessageRequest> messages_;
  std::deque<MessageResult> answers_;
  std::function<void()> whileOpen_;
  std::vector<std::uint32_t> pauses_;
  int waitDepth_ = 0;
  int waitUses_ = 0;
};

// A window that is only a recorder: the owner of ownerless message boxes.
class MemoryWindowHost final : public WindowHost {
 public:
  MessageResult ShowMessage(const MessageRequest& request) override {
    return record_.ShowMessage(request);
  }
  void Pause(std::uint32_t ms) override { record_.Pause(ms); }
  void BeginWaitCursor() override { record_.BeginWaitCursor(); }
  void EndWaitCursor() override { record_.EndWaitCursor(); }
  WindowRecorder& Record() { return record_; }

 private:
  WindowRecorder record_;
};

class MemoryDialogHost final : public DialogHost {
 public:
  explicit MemoryDialogHost(const DialogTemplate& dialog);
  // The built-in template `templateId`; throws std::invalid_argument if none.
  explicit MemoryDialogHost(int templateId);
  // Controls point into the host's copy of the template.
  MemoryDialogHost(const MemoryDialogHost&) = delete;
  MemoryDialogHost& operator=(const MemoryDialogHost&) = delete;

  // Where notifications go (usually the page); may be null.
  void SetEvents(DialogEvents* events) { events_ = events; }
  const DialogTemplate& Template() const { return template_; }

  // --- The page's life, as the sheet drives it. ---
  void InitDialog();
  void SetActive();
  bool Apply();
  void Command(int command, int parameter);

  // --- The user. Each returns false and changes nothing when the control
  // is missing, disabled or hidden, or does not take that input. ---
  // Replaces an edit's text as typed: a digits-only edit drops any other
  // character, a read-only edit refuses. Raises text-changed.
  bool Type(int id, const std::string& text);
  // Toggles a check box, checks a radio button (unchecking its group), or
  // presses a push button; raises one click.
  bool Click(int id);
  // Selects a list entry by index or by its text; raises selection change.
  bool Choose(int id, int index);
  bool Choose(int id, const std::string& entryText);

  // --- Timers. ---
  bool TimerRunning(std::uint32_t id) const { return timers_.count(id) != 0; }
  std::uint32_t TimerPeriod(std::uint32_t id) const;
  std::size_t RunningTimerCount() const { return timers_.size(); }
  // Delivers one tick of a running timer; false when it is not running.
  bool FireTimer(std::uint32_t id);

  // --- File dialogs: answered from the script, else cancelled. ---
  void AnswerNextOpenFile(std::optional<std::string> path) {
    openAnswers_.push_back(std::move(path));
  }
  void AnswerNextSaveFile(std::optional<std::string> path) {
    saveAnswers_.push_back(std::move(path));
  }
  int OpenFileAsked() const { return openAsked_; }
  int SaveFileAsked() const { return saveAsked_; }

  // --- What was recorded. ---
  WindowRecorder& Record() { return record_; }
  const WindowRecorder& Record() const { return record_; }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>>& Beeps() const { return beeps_; }
  bool Modified() const { return modified_; }
  // Every SetModified call in order (true: modified).
  const std::vector<bool>& ModifiedHistory() const { return modifiedHistory_; }

  // DialogHost
  MessageResult ShowMessage(const MessageRequest& request) override;
  void Pause(std::uint32_t ms) override { record_.Pause(ms); }
  void BeginWaitCursor() override { record_.BeginWaitCursor(); }
  void EndWaitCursor() override { record_.EndWaitCursor(); }
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

 private:
  struct Entry {
    std::string text;
    std::int64_t data = 0;
  };
  struct Control {
    const ControlTemplate* form = nullptr;
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::vector<Entry> entries;
    int selection = -1;
  };

  Control* Find(int id);
  const Control* Find(int id) const;
  // The control when the user can reach it, else null.
  Control* Reachable(int id);

  DialogTemplate template_;
  std::map<int, Control> controls_;
  DialogEvents* events_ = nullptr;
  WindowRecorder record_;
  std::map<std::uint32_t, std::uint32_t> timers_;  // id -> period
  std::vector<std::pair<std::uint32_t, std::uint32_t>> beeps_;
  std::deque<std::optional<std::string>> openAnswers_;
  std::deque<std::optional<std::string>> saveAnswers_;
  int openAsked_ = 0;
  int saveAsked_ = 0;
  bool modified_ = false;
  std::vector<bool> modifiedHistory_;
};

}  // namespace kv::ui
