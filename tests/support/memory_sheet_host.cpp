#include "memory_sheet_host.h"

#include "property_page.h"

namespace kv::ui {

MemorySheetHost::MemorySheetHost(PropSheet& sheet)
    : sheet_(sheet), dialogs_(sheet.Pages().size()), caption_(sheet.InitialCaption()) {}

MemorySheetHost::~MemorySheetHost() {
  // The pages outlive this window; they must not keep its dialogs.
  for (PropertyPage* page : sheet_.Pages()) {
    page->Attach(nullptr);
  }
  sheet_.Attach(nullptr, nullptr);
}

void MemorySheetHost::Open(HotPlugNotifier* hotPlug) {
  sheet_.Attach(this, hotPlug);
  sheet_.NotifyInitDialog();
}

void MemorySheetHost::ActivatePage(int index) {
  if (index < 0 || index >= static_cast<int>(dialogs_.size())) {
    return;
  }
  PropertyPage& page = *sheet_.Pages()[static_cast<std::size_t>(index)];
  auto& dialog = dialogs_[static_cast<std::size_t>(index)];
  if (!dialog) {
    dialog = std::make_unique<MemoryDialogHost>(page.TemplateId());
    dialog->SetEvents(&page);
    page.Attach(dialog.get());
    page.NotifyInitDialog();
  }
  activePage_ = index;
  activations_.push_back(index);
  page.NotifySetActive();
}

MemoryDialogHost* MemorySheetHost::PageDialog(int index) {
  if (index < 0 || index >= static_cast<int>(dialogs_.size())) {
    return nullptr;
  }
  return dialogs_[static_cast<std::size_t>(index)].get();
}

bool MemorySheetHost::ApplyEnabled() const {
  for (const auto& dialog : dialogs_) {
    if (dialog && dialog->Modified()) {
      return true;
    }
  }
  return false;
}

void MemorySheetHost::ClickHaltKeySends() {
  haltChecked_ = !haltChecked_;
  if (!sheet_.UserHaltKeySendsClicked()) {
    haltChecked_ = !haltChecked_;
  }
}

bool MemorySheetHost::PressOk() {
  sheet_.UserOk();
  return closed_;
}

bool MemorySheetHost::PressApply() {
  return sheet_.UserMayAct() && sheet_.NotifyApply();
}

void MemorySheetHost::PressCancel() {
  sheet_.RequestCancel();
}

void MemorySheetHost::CloseByTitleBar() {
  PressCancel();
}

}  // namespace kv::ui
