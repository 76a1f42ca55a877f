#include "property_page.h"

#include "dorvane_app.h"

namespace kv::ui {

PropertyPage::PropertyPage(CDorvaneApp& app, int templateId, std::string title)
    : app_(app), templateId_(templateId), title_(std::move(title)) {}

PropertyPage::~PropertyPage() = default;

void PropertyPage::Dispatch(const std::map<int, Handler>& handlers, int id) {
  const auto found = handlers.find(id);
  if (found != handlers.end() && found->second) {
    found->second(id);
  }
}

void PropertyPage::NotifyInitDialog() {
  EventGate::Scope running(app_.Gate());
  OnInitDialog();
}

void PropertyPage::NotifyTextChanged(int id) {
  EventGate::Scope running(app_.Gate());
  Dispatch(textHandlers_, id);
}

void PropertyPage::NotifyClicked(int id) {
  EventGate::Scope running(app_.Gate());
  Dispatch(clickHandlers_, id);
}

void PropertyPage::NotifySelectionChanged(int id) {
  EventGate::Scope running(app_.Gate());
  Dispatch(selectionHandlers_, id);
}

void PropertyPage::NotifyTimer(std::uint32_t id) {
  // A tick that falls due while anything else runs is dropped, not queued:
  // the next one comes a period later.
  if (app_.Gate().Busy()) {
    return;
  }
  EventGate::Scope running(app_.Gate());
  OnTimer(id);
}

void PropertyPage::NotifySetActive() {
  EventGate::Scope running(app_.Gate());
  OnSetActive();
}

bool PropertyPage::NotifyApply() {
  EventGate::Scope running(app_.Gate());
  return OnApply();
}

void PropertyPage::NotifyCommand(int command, int parameter) {
  EventGate::Scope running(app_.Gate());
  OnCommand(command, parameter);
}

void PropertyPage::HandleTextChange(int id, Handler handler) {
  textHandlers_[id] = std::move(handler);
}

void PropertyPage::HandleTextChange(std::initializer_list<int> ids, const Handler& handler) {
  for (int id : ids) {
    textHandlers_[id] = handler;
  }
}

void PropertyPage::HandleClick(int id, Handler handler) {
  clickHandlers_[id] = std::move(handler);
}

void PropertyPage::HandleClick(std::initializer_list<int> ids, const Handler& handler) {
  for (int id : ids) {
    clickHandlers_[id] = handler;
  }
}

void PropertyPage::HandleSelectionChange(int id, Handler handler) {
  selectionHandlers_[id] = std::move(handler);
}

void PropertyPage::HandleSelectionChange(std::initializer_list<int> ids, const Handler& handler) {
  for (int id : ids) {
    selectionHandlers_[id] = handler;
  }
}

void PropertyPage::SetModified(bool modified) {
  if (dialog_) {
    dialog_->SetModified(modified);
  }
}

MessageResult PropertyPage::Message(const std::string& text, const std::string& caption,
                                    MessageIcon icon, MessageButtons buttons) {
  if (!dialog_) {
    return MessageResult::Cancel;
  }
  return dialog_->ShowMessage({text, caption.empty() ? app_.AppName() : caption, icon, buttons});
}

void PropertyPage::Failure(const std::string& text, const std::string& caption, MessageIcon icon) {
  Message(text + app_.SensorInUseNote(), caption, icon);
}

}  // namespace kv::ui
