// A page's dialog as Qt widgets, built from its dialog template and placed in
// dialog units scaled from the page's font. Turns Qt's signals into the
// page's notifications with the Windows dialog rules (dialog_host.h):
// QLineEdit::textChanged fires for setText as for typing (and SetText of an
// unchanged text notifies too); QAbstractButton::clicked fires only for the
// user; QComboBox::activated only for the user's choice.
#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialog_host.h"
#include "dialog_template.h"
#include "window_services.h"

class QButtonGroup;
class QTimer;

namespace kv::ui::qt {

class QtDialogHost final : public QWidget, public ServedWindow<WindowServices, DialogHost> {
 public:
  QtDialogHost(const DialogTemplate& dialog, WindowServices& services, QWidget* parent = nullptr);
  ~QtDialogHost() override;

  // Where notifications go (the page); may be null.
  void SetEvents(DialogEvents* events) { events_ = events; }
  // Told whenever the page marks itself modified or not.
  void SetModifiedListener(std::function<void(bool)> listener) {
    modifiedListener_ = std::move(listener);
  }
  bool Modified() const { return modified_; }
  const DialogTemplate& Template() const { return template_; }
  // The widget of control `id`, or null.
  QWidget* Widget(int id) const;
  // The page's size in pixels for its font.
  QSize DialogSize() const;

  // DialogHost
  bool HasControl(int id) const override { return Widget(id) != nullptr; }
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
  QWidget* MessageOwner() override { return window(); }

 private:
  struct Control {
    const ControlTemplate* form = nullptr;
    QWidget* widget = nullptr;
  };

  void Build();
  void WidenClippedTexts(const std::vector<std::pair<const ControlTemplate*, QWidget*>>& built);
  void Connect(const Control& control);
  void ConnectCheckable(int id, QAbstractButton* button, bool radio);
  // Checks or clears a box without telling the page.
  void SetCheckedQuietly(QAbstractButton* button, bool checked);
  // Whether a notification raised now comes from the logic or the user, and
  // not from an event the window took while library work runs.
  bool MayNotify() const { return events_ && !services_.Runner().Busy(); }
  const Control* Find(int id) const;
  QButtonGroup* RadioGroup(const ControlTemplate& control);

  DialogTemplate template_;
  DialogEvents* events_ = nullptr;
  std::map<int, Control> controls_;
  std::map<std::string, QButtonGroup*> radioGroups_;
  std::map<std::uint32_t, QTimer*> timers_;
  bool modified_ = false;
  bool settingChecked_ = false;  // the program is checking a box
  bool clickToggled_ = false;    // the click under way has toggled its box
  // The controls whose accessible name is the key widget's text.
  std::map<QWidget*, std::vector<QWidget*>> namedAfter_;
  std::function<void(bool)> modifiedListener_;
};

}  // namespace kv::ui::qt
