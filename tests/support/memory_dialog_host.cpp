#include "memory_dialog_host.h"

#include <kv7700/clock.h>

#include <stdexcept>

namespace kv::ui {

// --- WindowRecorder ---------------------------------------------------------

MessageResult WindowRecorder::ShowMessage(const MessageRequest& request) {
  messages_.push_back(request);
  if (whileOpen_) {
    whileOpen_();
  }
  if (!answers_.empty()) {
    const MessageResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (request.buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return MessageResult::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
      break;
  }
  return MessageResult::Ok;
}

std::vector<std::string> WindowRecorder::MessageTexts() const {
  std::vector<std::string> texts;
  for (const auto& message : messages_) {
    texts.push_back(message.text);
  }
  return texts;
}

void WindowRecorder::Pause(std::uint32_t ms) {
  pauses_.push_back(ms);
  GetClock().SleepMs(ms);
}

std::uint64_t WindowRecorder::PausedMs() const {
  std::uint64_t total = 0;
  for (auto ms : pauses_) {
    total += ms;
  }
  return total;
}

void WindowRecorder::BeginWaitCursor() {
  if (waitDepth_++ == 0) {
    ++waitUses_;
  }
}

void WindowRecorder::EndWaitCursor() {
  if (waitDepth_ > 0) {
    --waitDepth_;
  }
}

// --- MemoryDialogHost -------------------------------------------------------

namespace {

const DialogTemplate& BuiltIn(int templateId) {
  const DialogTemplate* dialog = FindDialogTemplate(templateId);
  if (!dialog) {
    throw std::invalid_argument("no dialog template " + std::to_string(templateId));
  }
  return *dialog;
}

}  // namespace

MemoryDialogHost::MemoryDialogHost(int templateId) : MemoryDialogHost(BuiltIn(templateId)) {}

MemoryDialogHost::MemoryDialogHost(const DialogTemplate& dialog) : template_(dialog) {
  for (const auto& form : template_.controls) {
    if (form.id == kIdStatic) {
      continue;
    }
    Control& control = controls_[form.id];
    control.form = &form;
    control.text = form.text;
    control.enabled = !form.disabled;
    control.visible = !form.hidden;
    control.checked = form.checked;
  }
}

MemoryDialogHost::Control* MemoryDialogHost::Find(int id) {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

const MemoryDialogHost::Control* MemoryDialogHost::Find(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

MemoryDialogHost::Control* MemoryDialogHost::Reachable(int id) {
  Control* control = Find(id);
  return control && control->enabled && control->visible ? control : nullptr;
}

void MemoryDialogHost::InitDialog() {
  if (events_) {
    events_->NotifyInitDialog();
  }
}

void MemoryDialogHost::SetActive() {
  if (events_) {
    events_->NotifySetActive();
  }
}

bool MemoryDialogHost::Apply() {
  return events_ ? events_->NotifyApply() : true;
}

void MemoryDialogHost::Command(int command, int parameter) {
  if (events_) {
    events_->NotifyCommand(command, parameter);
  }
}

bool MemoryDialogHost::Type(int id, const std::string& text) {
  Control* control = Reachable(id);
  if (!control || control->form->kind != ControlKind::Edit || control->form->style.readOnly) {
    return false;
  }
  std::string typed;
  for (char c : text) {
    if (!control->form->style.digitsOnly || (c >= '0' && c <= '9')) {
      typed += c;
    }
  }
  control->text = typed;
  if (events_) {
    events_->NotifyTextChanged(id);
  }
  return true;
}

bool MemoryDialogHost::Click(int id) {
  Control* control = Reachable(id);
  if (!control) {
    return false;
  }
  switch (control->form->kind) {
    case ControlKind::CheckBox:
      control->checked = !control->checked;
      break;
    case ControlKind::RadioButton:
      for (auto& [otherId, other] : controls_) {
        if (other.form->kind == ControlKind::RadioButton && !control->form->radioGroup.empty() &&
            other.form->radioGroup == control->form->radioGroup) {
          other.checked = false;
        }
      }
      control->checked = true;
      break;
    case ControlKind::PushButton:
      break;
    default:
      return false;
  }
  if (events_) {
    events_->NotifyClicked(id);
  }
  return true;
}

bool MemoryDialogHost::Choose(int id, int index) {
  Control* control = Reachable(id);
  if (!control || control->form->kind != ControlKind::DropDownList || index < 0 ||
      index >= static_cast<int>(control->entries.size())) {
    return false;
  }
  control->selection = index;
  if (events_) {
    events_->NotifySelectionChanged(id);
  }
  return true;
}

bool MemoryDialogHost::Choose(int id, const std::string& entryText) {
  const Control* control = Find(id);
  if (!control) {
    return false;
  }
  for (std::size_t i = 0; i < control->entries.size(); ++i) {
    if (control->entries[i].text == entryText) {
      return Choose(id, static_cast<int>(i));
    }
  }
  return false;
}

std::uint32_t MemoryDialogHost::TimerPeriod(std::uint32_t id) const {
  const auto found = timers_.find(id);
  return found == timers_.end() ? 0 : found->second;
}

bool MemoryDialogHost::FireTimer(std::uint32_t id) {
  if (!TimerRunning(id)) {
    return false;
  }
  if (events_) {
    events_->NotifyTimer(id);
  }
  return true;
}

MessageResult MemoryDialogHost::ShowMessage(const MessageRequest& request) {
  return record_.ShowMessage(request);
}

void MemoryDialogHost::SetEnabled(int id, bool enabled) {
  if (Control* control = Find(id)) {
    control->enabled = enabled;
  }
}

bool MemoryDialogHost::IsEnabled(int id) const {
  const Control* control = Find(id);
  return control && control->enabled;
}

void MemoryDialogHost::SetVisible(int id, bool visible) {
  if (Control* control = Find(id)) {
    control->visible = visible;
  }
}

bool MemoryDialogHost::IsVisible(int id) const {
  const Control* control = Find(id);
  return control && control->visible;
}

void MemoryDialogHost::SetText(int id, const std::string& text) {
  Control* control = Find(id);
  if (!control) {
    return;
  }
  control->text = text;
  // Rule 1: an edit notifies as if typed, even when nothing changed.
  if (control->form->kind == ControlKind::Edit && events_) {
    events_->NotifyTextChanged(id);
  }
}

std::string MemoryDialogHost::GetText(int id) const {
  const Control* control = Find(id);
  return control ? control->text : std::string();
}

void MemoryDialogHost::SetChecked(int id, bool checked) {
  Control* control = Find(id);
  if (control && (control->form->kind == ControlKind::CheckBox ||
                  control->form->kind == ControlKind::RadioButton)) {
    control->checked = checked;
  }
}

bool MemoryDialogHost::IsChecked(int id) const {
  const Control* control = Find(id);
  return control && control->checked;
}

void MemoryDialogHost::ResetList(int id) {
  Control* control = Find(id);
  if (control && control->form->kind == ControlKind::DropDownList) {
    control->entries.clear();
    control->selection = -1;
  }
}

int MemoryDialogHost::AddListEntry(int id, const std::string& text, std::int64_t data) {
  Control* control = Find(id);
  if (!control || control->form->kind != ControlKind::DropDownList) {
    return -1;
  }
  control->entries.push_back({text, data});
  return static_cast<int>(control->entries.size()) - 1;
}

int MemoryDialogHost::GetListCount(int id) const {
  const Control* control = Find(id);
  return control ? static_cast<int>(control->entries.size()) : 0;
}

void MemoryDialogHost::SetListSelection(int id, int index) {
  Control* control = Find(id);
  if (!control || control->form->kind != ControlKind::DropDownList) {
    return;
  }
  control->selection = index >= 0 && index < static_cast<int>(control->entries.size()) ? index : -1;
}

int MemoryDialogHost::GetListSelection(int id) const {
  const Control* control = Find(id);
  return control ? control->selection : -1;
}

std::string MemoryDialogHost::GetListText(int id, int index) const {
  const Control* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->entries.size())) {
    return {};
  }
  return control->entries[static_cast<std::size_t>(index)].text;
}

std::int64_t MemoryDialogHost::GetListData(int id, int index) const {
  const Control* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->entries.size())) {
    return 0;
  }
  return control->entries[static_cast<std::size_t>(index)].data;
}

void MemoryDialogHost::SetModified(bool modified) {
  modified_ = modified;
  modifiedHistory_.push_back(modified);
}

std::uint32_t MemoryDialogHost::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  if (id == 0) {
    return 0;
  }
  timers_[id] = periodMs;
  return id;
}

void MemoryDialogHost::KillTimer(std::uint32_t id) {
  timers_.erase(id);
}

void MemoryDialogHost::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
  beeps_.emplace_back(frequencyHz, durationMs);
}

std::optional<std::string> MemoryDialogHost::AskOpenFile() {
  ++openAsked_;
  if (openAnswers_.empty()) {
    return std::nullopt;
  }
  auto answer = openAnswers_.front();
  openAnswers_.pop_front();
  return answer;
}

std::optional<std::string> MemoryDialogHost::AskSaveFile() {
  ++saveAsked_;
  if (saveAnswers_.empty()) {
    return std::nullopt;
  }
  auto answer = saveAnswers_.front();
  saveAnswers_.pop_front();
  return answer;
}

}  // namespace kv::ui
