// The property sheet's window: the four pages as tabs in tab order, the
// "Halt Key Sends" box (id 1025) at the bottom left beside OK, Cancel and
// Apply (enabled while any page is modified), the caption, the icon and a
// minimize button. Each page's widgets are made from its template on its
// first activation. Closing by the title bar (or Esc) is Cancel. A strip
// beside the box shows the progress of long library work.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "busy_runner.h"
#include "event_gate.h"
#include "hot_plug_source.h"
#include "prop_sheet.h"
#include "sheet_host.h"
#include "window_services.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kv::ui::qt {

class QtDialogHost;

class SheetWindow final : public QDialog, public SheetHost, public ProgressView {
 public:
  // `hotPlug` may be null (the sheet then hears of no device changes).
  SheetWindow(PropSheet& sheet, EventGate& gate, WindowServices& services, HotPlugSource* hotPlug);
  ~SheetWindow() override;

  // The sheet's start-up: opens and reads the sensors, creates every page.
  // Call once the window shows, so the user sees it at once and watches the
  // progress.
  void Start();
  // Told once, when the sheet has closed by OK or Cancel.
  void SetClosedListener(std::function<void()> listener) { closed_ = std::move(listener); }
  bool Finished() const { return finished_; }
  // Cancel, as the close box gives it: runs when the sheet is idle.
  void RequestCancel();

  // --- The window's parts, for tests and tools. ---
  QTabWidget* Tabs() const { return tabs_; }
  // The dialog of page `index`, or null before its first activation.
  QtDialogHost* PageDialog(int index) const;
  QCheckBox* HaltKeySendsBox() const { return halt_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* ApplyButton() const { return apply_; }
  bool ProgressShowing() const;
  std::string ProgressText() const;

  // SheetHost
  MessageResult ShowMessage(const MessageRequest& request) override;
  void Pause(std::uint32_t ms) override { services_.Pause(ms); }
  void BeginWaitCursor() override { services_.BeginWaitCursor(); }
  void EndWaitCursor() override { services_.EndWaitCursor(); }
  void SetCaption(const std::string& caption) override;
  bool IsHaltKeySendsChecked() const override;
  void ActivatePage(int index) override;

  // ProgressView
  void ShowProgress(const std::string& text, int percent) override;
  void HideProgress() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc

 private:
  void BuildButtons();
  QtDialogHost* MakePage(int index);
  void ChooseTab(int index);
  void Ok();
  void Apply();
  void Finish();
  void UpdateApply();
  // False for what the window took while library work runs.
  bool UserMayAct() const { return !services_.Runner().Busy() && !finished_; }

  PropSheet& sheet_;
  EventGate& gate_;
  WindowServices& services_;
  QTabWidget* tabs_ = nullptr;
  std::vector<QWidget*> tabPages_;
  std::vector<QtDialogHost*> dialogs_;
  QCheckBox* halt_ = nullptr;
  QWidget* progress_ = nullptr;
  QLabel* progressText_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QTimer* progressHide_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool activating_ = false;
  bool cancelRequested_ = false;
  bool finished_ = false;
  std::function<void()> closed_;
};

}  // namespace kv::ui::qt
