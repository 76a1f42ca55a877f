// An in-memory property sheet for tests: builds each page's MemoryDialogHost
// on its first activation, keeps the caption, the "Halt Key Sends" box and
// the Apply button's state, plays the user at the sheet's buttons and records
// message boxes, pauses and the wait cursor like MemoryDialogHost does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "memory_dialog_host.h"
#include "prop_sheet.h"
#include "sheet_host.h"

namespace kv::ui {

class MemorySheetHost final : public SheetHost {
 public:
  explicit MemorySheetHost(PropSheet& sheet);
  ~MemorySheetHost() override;

  // Creates the window: attaches to the sheet and runs its initialisation.
  void Open(HotPlugNotifier* hotPlug = nullptr);

  // --- The user at the sheet. ---
  void ClickHaltKeySends();  // toggles the box, then notifies
  bool PressOk();            // true when the sheet closed
  bool PressApply();         // true when every page accepted
  void PressCancel();
  void CloseByTitleBar();  // the same as Cancel
  // Shows page `index`, as a click on its tab.
  void ChooseTab(int index) { ActivatePage(index); }

  bool Closed() const { return closed_; }
  const std::string& Caption() const { return caption_; }
  bool HaltKeySendsChecked() const { return haltChecked_; }
  int ActivePage() const { return activePage_; }
  // Every activation in order (page indexes).
  const std::vector<int>& Activations() const { return activations_; }
  // Apply is enabled while any page is marked modified.
  bool ApplyEnabled() const;
  // The dialog of page `index`, or null before its first activation.
  MemoryDialogHost* PageDialog(int index);
  WindowRecorder& Record() { return record_; }

  // SheetHost
  MessageResult ShowMessage(const MessageRequest& request) override {
    return record_.ShowMessage(request);
  }
  void Pause(std::uint32_t ms) override { record_.Pause(ms); }
  void BeginWaitCursor() override { record_.BeginWaitCursor(); }
  void EndWaitCursor() override { record_.EndWaitCursor(); }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  bool IsHaltKeySendsChecked() const override { return haltChecked_; }
  void ActivatePage(int index) override;
  void CloseSheet() override { closed_ = true; }

 private:
  PropSheet& sheet_;
  std::vector<std::unique_ptr<MemoryDialogHost>> dialogs_;
  WindowRecorder record_;
  std::string caption_;
  bool haltChecked_ = false;
  bool closed_ = false;
  int activePage_ = -1;
  std::vector<int> activations_;
};

}  // namespace kv::ui
