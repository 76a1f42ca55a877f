// What the property sheet's logic asks of its window. The host builds the
// window with the pages' tabs in order, OK, Cancel and Apply (enabled while
// any page is modified) and the "Halt Key Sends" box (kIdHaltKeySends,
// unticked), and calls the sheet's Notify operations (prop_sheet.h).
#pragma once

#include <string>

#include "dialog_host.h"

namespace kv::ui {

class SheetHost : public WindowHost {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual bool IsHaltKeySendsChecked() const = 0;
  // Shows page `index` (tab order). On its first activation the host makes
  // the page's window from its template, attaches a DialogHost to the page
  // (PropertyPage::Attach) and calls NotifyInitDialog; every activation then
  // calls NotifySetActive.
  virtual void ActivatePage(int index) = 0;
  // The sheet has finished (OK or Cancel): the window goes from the screen.
  virtual void CloseSheet() = 0;
};

}  // namespace kv::ui
