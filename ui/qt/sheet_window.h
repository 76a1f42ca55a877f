// The property sheet's window: the four pages as tabs in tab order, the
// "Halt Key Sends" box (id 1025) at the bottom left beside OK, Cancel and
// Apply (enabled while any page is modified), the caption, the icon and a
// minimize button. Each page's widgets are made from its template on its
// first activation. Closing by the title bar (or Esc) is Cancel. A strip
// beside the box shows the progress of long library work.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "hot_plug_notifier.h"
#include "prop_sheet.h"
#include "sheet_host.h"
#include "window_services.h"
#include "work_progress.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kv::ui::qt {

class QtDialogHost;

class SheetWindow final : public QDialog,
                          public ServedWindow<WindowServices, SheetHost>,
                          public ProgressView {
 public:
  // `hotPlug` may be null (the sheet then hears of no device changes).
  SheetWindow(PropSheet& sheet, WindowServices& services, HotPlugNotifier* hotPlug);
  ~SheetWindow() override;

  // The sheet's start-up: opens and reads the sensors, creates every page.
  // Call once the window shows, so the user sees it at once and watches the
  // progress.
  void Start();
  bool Finished() const { return sheet_.Finished(); }

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
  void SetCaption(const std::string& caption) override;
  bool IsHaltKeySendsChecked() const override;
  void ActivatePage(int index) override;
  void CloseSheet() override { close(); }

  // ProgressView
  void ShowProgress(const std::string& text, int percent) override;
  void HideProgress() override;
  void StartLinger(std::uint32_t ms) override;

 protected:
  QWidget* MessageOwner() override { return this; }
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc

 private:
  void BuildButtons();
  QtDialogHost* MakePage(int index);
  void ChooseTab(int index);
  void UpdateApply();

  PropSheet& sheet_;
  QTabWidget* tabs_ = nullptr;
  std::vector<QWidget*> tabPages_;
  std::vector<QtDialogHost*> dialogs_;
  QCheckBox* halt_ = nullptr;
  QWidget* progress_ = nullptr;
  QLabel* progressText_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QTimer* linger_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool activating_ = false;
};

}  // namespace kv::ui::qt
