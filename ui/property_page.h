// The base of the four pages: the page's template and title, its dialog, and
// the plumbing from the host's notifications to the page's handlers.
//
// A page registers control handlers by id in its constructor (like a message
// map) and overrides the page-level handlers it needs. Every notification runs
// inside the application's EventGate, so device notifications wait until the
// handler is done, and a timer tick that falls due while any handler or
// library call runs is dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

#include "dialog_host.h"

namespace kv::ui {

class CDorvaneApp;

class PropertyPage : public DialogEvents {
 public:
  using Handler = std::function<void(int id)>;

  PropertyPage(CDorvaneApp& app, int templateId, std::string title);
  ~PropertyPage() override;
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  int TemplateId() const { return templateId_; }
  const std::string& Title() const { return title_; }

  // The host gives the page its dialog when it creates the page's window,
  // before NotifyInitDialog (null when the window goes away).
  void Attach(DialogHost* dialog) { dialog_ = dialog; }
  bool HasWindow() const { return dialog_ != nullptr; }
  DialogHost& Dialog() { return *dialog_; }
  CDorvaneApp& App() { return app_; }

  // DialogEvents, called by the host.
  void NotifyInitDialog() final;
  void NotifyTextChanged(int id) final;
  void NotifyClicked(int id) final;
  void NotifySelectionChanged(int id) final;
  void NotifyTimer(std::uint32_t id) final;
  void NotifySetActive() final;
  bool NotifyApply() final;
  void NotifyCommand(int command, int parameter) final;

 protected:
  // --- Page-level handlers. ---
  virtual void OnInitDialog() {}
  virtual void OnSetActive() {}
  // True when the page accepted the apply; false keeps OK from closing.
  virtual bool OnApply() { return true; }
  // CMD_REFRESH_PAGES, CMD_ADVANCED_SETTINGS, CMD_QUICK_SETUP.
  virtual void OnCommand(int /*command*/, int /*parameter*/) {}
  virtual void OnTimer(std::uint32_t /*id*/) {}

  // --- Control handlers by id (a later registration for an id replaces an
  // earlier one). ---
  void HandleTextChange(int id, Handler handler);
  void HandleTextChange(std::initializer_list<int> ids, const Handler& handler);
  void HandleClick(int id, Handler handler);
  void HandleClick(std::initializer_list<int> ids, const Handler& handler);
  void HandleSelectionChange(int id, Handler handler);
  void HandleSelectionChange(std::initializer_list<int> ids, const Handler& handler);

  // Marks the page modified in the sheet (enables Apply) or not.
  void SetModified(bool modified);
  // A message box owned by the page; an empty caption means the
  // application's name.
  MessageResult Message(const std::string& text, const std::string& caption = {},
                        MessageIcon icon = MessageIcon::None,
                        MessageButtons buttons = MessageButtons::Ok);
  // A failed sensor operation's message, followed by who kept the sensor
  // when another program did.
  void Failure(const std::string& text, const std::string& caption = {},
               MessageIcon icon = MessageIcon::None);

 private:
  static void Dispatch(const std::map<int, Handler>& handlers, int id);

  CDorvaneApp& app_;
  int templateId_;
  std::string title_;
  DialogHost* dialog_ = nullptr;
  std::map<int, Handler> textHandlers_;
  std::map<int, Handler> clickHandlers_;
  std::map<int, Handler> selectionHandlers_;
};

}  // namespace kv::ui
